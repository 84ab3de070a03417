#pragma once
// Enumerations and event types of the report controls. Values keep their
// declaration order: the ordinal is what forms and streams store.

#include <QString>
#include <cstdint>
#include <functional>

namespace prenso {

class TRLCustomControl;
class TRLGraphicSurface;
struct TRect;

enum TRLControlAlign : std::uint8_t {
    faNone, faLeft, faTop, faRight, faBottom, faLeftMost, faRightMost, faClient, faLeftTop, faRightTop,
    faLeftBottom, faRightBottom, faCenter, faCenterLeft, faCenterTop, faCenterRight, faCenterBottom,
    faClientLeft, faClientTop, faClientRight, faClientBottom, faHeight, faWidth, faLeftOnly, faRightOnly,
    faTopOnly, faBottomOnly,
    faAlignCount
};
enum TRLTextAlignment : std::uint8_t { taLeftJustify, taRightJustify, taCenter, taJustify };
enum TRLTextLayout : std::uint8_t { tlTop, tlCenter, tlBottom, tlJustify };
enum TRLBandType : std::uint8_t { btHeader, btTitle, btColumnHeader, btDetail, btColumnFooter, btSummary, btFooter };
inline constexpr int kBandTypeCount = 7;
enum TRLPageBreaking : std::uint8_t { pbNone, pbBeforePrint, pbAfterPrint };
enum TRLCompletionType : std::uint8_t { ctNone, ctFullPage, ctMaxBands, ctMinBands };
enum TRLReportState : std::uint8_t { rsAbout, rsWriting, rsClosing, rsReady };
enum TRLPrintQuality : std::uint8_t { pqFullFeature, pqFixedOnly };
enum TRLBorderSides : std::uint8_t { sdCustom, sdNone, sdAll };
enum TRLHoldStyle : std::uint8_t {
    hsAsColumn, hsHorizontally, hsVertically, hsRelatively, hsCopyWidth, hsCopyHeight, hsCopySize
};
enum TRLFooterMeasuring : std::uint8_t { fmNone, fmAfterHeader, fmBeforeDetail };
enum TRLRecordRange : std::uint8_t { rrAllRecords, rrCurrentOnly, rrUntilEof, rrNextN };
enum TRLRecordAction : std::uint8_t { raUseIt, raIgnoreIt, raUseAndRetain, raBlankAndRetain };
enum TRLPreviewOptionsDefaults : std::uint8_t { pdUseDefaults, pdIgnoreDefaults };
enum TRLPageOrientation : std::uint8_t { poPortrait, poLandscape };
enum TRLRealBoundsUnit : std::uint8_t { buNone, buMilimeters, buInches };
enum TRLDegradeDirection : std::uint8_t { ddNone, ddHorizontal, ddVertical };
enum TRLImageArrange : std::uint8_t { baAligned, baSidebySide, baCenter, baDistributed };
enum TRLPrintBandResults : std::uint8_t { brNoBands, brPrinted, brStackExit };

// Small sets as bit masks of their members' ordinals.
template <typename E>
struct TSet {
    std::uint32_t bits = 0;
    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<E> members)
    {
        for (E e : members)
            bits |= 1u << static_cast<unsigned>(e);
    }
    constexpr bool has(E e) const { return bits & (1u << static_cast<unsigned>(e)); }
    constexpr void include(E e) { bits |= 1u << static_cast<unsigned>(e); }
    constexpr void exclude(E e) { bits &= ~(1u << static_cast<unsigned>(e)); }
    constexpr bool empty() const { return bits == 0; }
    friend constexpr bool operator==(TSet a, TSet b) { return a.bits == b.bits; }
};

enum TRLAutoSizeDirType : std::uint8_t { asWidthDir, asHeightDir };
using TRLAutoSizeDirSet = TSet<TRLAutoSizeDirType>;
enum TRLControlAnchorsType : std::uint8_t { fkLeft, fkTop, fkRight, fkBottom };
using TRLControlAnchors = TSet<TRLControlAnchorsType>;
enum TRLControlStateType : std::uint8_t {
    stPrinting, stAligningControls, stAdjustingHoldeds, stAdjustingBounds, stExpandingParent,
    stRestoringBounds, stMeasuringHeights
};
using TRLControlState = TSet<TRLControlStateType>;
enum TRLControlBehaviorType : std::uint8_t { beSiteExpander };
using TRLControlBehavior = TSet<TRLControlBehaviorType>;
enum TRLBandOption : std::uint8_t { boOptimisticPageBreak };
using TRLBandOptions = TSet<TRLBandOption>;
enum TRLPagerStatusType : std::uint8_t { psCompleting };
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
using TRLOnDataRecordEvent = std::function<void(TRLCustomControl *sender, int recNo, int copyNo, bool &eof,
                                                TRLRecordAction &recordAction)>;
using TRLOnDrawEvent = std::function<void(TRLCustomControl *sender, TRLGraphicSurface *surface, const TRect &rect)>;

// Millimetres to pixels at 96 per inch, halves to even.
int MMToPixels(double mm);
// Inches to pixels at 96 per inch, halves to even.
int InchesToPixels(double inches);

// The two groups of aligns that fix one dimension of a control.
bool IsWidthAlign(TRLControlAlign a);  // the control's width follows its content
bool IsHeightAlign(TRLControlAlign a); // the control's height follows its content

} // namespace prenso
