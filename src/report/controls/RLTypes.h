#pragma once
// Enumerations and event types of the report controls. Values keep their
// declaration order: the ordinal is what forms and streams store.

#include "report/RLUtils.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <functional>

namespace prenso {

class TRLCustomControl;
class TRLGraphicSurface;
struct TRect;

enum class TRLControlAlign : std::uint8_t {
    faNone,
    faLeft,
    faTop,
    faRight,
    faBottom,
    faLeftMost,
    faRightMost,
    faClient,
    faLeftTop,
    faRightTop,
    faLeftBottom,
    faRightBottom,
    faCenter,
    faCenterLeft,
    faCenterTop,
    faCenterRight,
    faCenterBottom,
    faClientLeft,
    faClientTop,
    faClientRight,
    faClientBottom,
    faHeight,
    faWidth,
    faLeftOnly,
    faRightOnly,
    faTopOnly,
    faBottomOnly,
    faAlignCount
};
enum class TRLTextAlignment : std::uint8_t { taLeftJustify, taRightJustify, taCenter, taJustify };
enum class TRLTextLayout : std::uint8_t { tlTop, tlCenter, tlBottom, tlJustify };
enum class TRLBandType : std::uint8_t {
    btHeader,
    btTitle,
    btColumnHeader,
    btDetail,
    btColumnFooter,
    btSummary,
    btFooter
};
inline constexpr int kBandTypeCount = 7;
enum class TRLPageBreaking : std::uint8_t { pbNone, pbBeforePrint, pbAfterPrint };
enum class TRLCompletionType : std::uint8_t { ctNone, ctFullPage, ctMaxBands, ctMinBands };
enum class TRLReportState : std::uint8_t { rsAbout, rsWriting, rsClosing, rsReady };
enum class TRLPrintQuality : std::uint8_t { pqFullFeature, pqFixedOnly };
enum class TRLBorderSides : std::uint8_t { sdCustom, sdNone, sdAll };
enum class TRLHoldStyle : std::uint8_t {
    hsAsColumn,
    hsHorizontally,
    hsVertically,
    hsRelatively,
    hsCopyWidth,
    hsCopyHeight,
    hsCopySize
};
enum class TRLFooterMeasuring : std::uint8_t { fmNone, fmAfterHeader, fmBeforeDetail };
enum class TRLRecordRange : std::uint8_t { rrAllRecords, rrCurrentOnly, rrUntilEof, rrNextN };
enum class TRLRecordAction : std::uint8_t { raUseIt, raIgnoreIt, raUseAndRetain, raBlankAndRetain };
enum class TRLPreviewOptionsDefaults : std::uint8_t { pdUseDefaults, pdIgnoreDefaults };
enum class TRLRealBoundsUnit : std::uint8_t { buNone, buMilimeters, buInches };
enum class TRLDegradeDirection : std::uint8_t { ddNone, ddHorizontal, ddVertical };
enum class TRLImageArrange : std::uint8_t { baAligned, baSidebySide, baCenter, baDistributed };
enum class TRLPrintBandResults : std::uint8_t { brNoBands, brPrinted, brStackExit };

enum class TRLAutoSizeDirType : std::uint8_t { asWidthDir, asHeightDir };
using TRLAutoSizeDirSet = TSet<TRLAutoSizeDirType>;
enum class TRLControlAnchorsType : std::uint8_t { fkLeft, fkTop, fkRight, fkBottom };
using TRLControlAnchors = TSet<TRLControlAnchorsType>;
enum class TRLControlStateType : std::uint8_t {
    stPrinting,
    stAligningControls,
    stAdjustingHoldeds,
    stAdjustingBounds,
    stExpandingParent,
    stRestoringBounds,
    stMeasuringHeights
};
using TRLControlState = TSet<TRLControlStateType>;
enum class TRLControlBehaviorType : std::uint8_t { beSiteExpander };
using TRLControlBehavior = TSet<TRLControlBehaviorType>;
enum class TRLBandOption : std::uint8_t { boOptimisticPageBreak };
using TRLBandOptions = TSet<TRLBandOption>;
enum class TRLPagerStatusType : std::uint8_t { psCompleting };
using TRLPagerStatus = TSet<TRLPagerStatusType>;
using TRLAllowedBands = TSet<TRLBandType>;

// Events: method pointers on the component, here callables.
using TRLBeforePrintEvent = std::function<void(TRLCustomControl *sender, bool &printIt)>;
using TRLBeforeTextEvent = std::function<void(TRLCustomControl *sender, QString &text, bool &printIt)>;
using TRLAfterPrintEvent = std::function<void(TRLCustomControl *sender)>;
using TRLNotifyEvent = std::function<void(TRLCustomControl *sender)>;
using TRLOnDetailComputeEvent = std::function<void(TRLCustomControl *sender, bool &computeIt)>;
using TRLOnGetBreakEvent = std::function<void(TRLCustomControl *sender, bool &breakIt)>;
using TRLOnDataCountEvent = std::function<void(TRLCustomControl *sender, int &dataCount)>;
using TRLOnNeedDataEvent = std::function<void(TRLCustomControl *sender, bool &moreData)>;
using TRLOnDataRecordEvent =
    std::function<void(TRLCustomControl *sender, int recNo, int copyNo, bool &eof, TRLRecordAction &recordAction)>;
using TRLOnDrawEvent = std::function<void(TRLCustomControl *sender, TRLGraphicSurface *surface, const TRect &rect)>;

// The two groups of aligns that fix one dimension of a control.
bool IsWidthAlign(TRLControlAlign a);  // the control's width follows its content
bool IsHeightAlign(TRLControlAlign a); // the control's height follows its content

} // namespace prenso
