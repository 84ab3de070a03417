#pragma once
// The engine's texts: one record of 90 keyed texts, six built-in language
// tables, and the active record chosen once at start-up from the user's
// language. Every window and message of the engine reads the active record.

#include <QString>

#include <array>
#include <optional>

namespace prenso {

struct TRLLocaleStrings {
    QString LS_PrintingInProgressStr;
    QString LS_FilterInProgressStr;
    QString LS_PreparingReportStr;
    QString LS_PrinterNotFoundStr;
    QString LS_NoPathToPrinterStr;
    QString LS_LoadDefaultConfigStr;
    QString LS_PrinterDriverErrorStr;
    QString LS_PageStr;
    QString LS_PrepareErrorStr;
    QString LS_PageBreakStr;
    QString LS_PageMendStr;
    QString LS_ReportEndStr;
    QString LS_FileNotFoundStr;
    QString LS_FileNameStr;
    QString LS_AllFileTypesStr;
    QString LS_LoadReportStr;
    QString LS_NotFoundStr;
    QString LS_WaitStr;
    QString LS_FinishedStr;
    QString LS_CancelStr;
    QString LS_CloseStr;
    QString LS_SaveStr;
    QString LS_SendStr;
    QString LS_PrintStr;
    QString LS_AboutTheStr;
    QString LS_PreviewStr;
    QString LS_OfStr;
    QString LS_ZoomStr;
    QString LS_FirstPageStr;
    QString LS_PriorPageStr;
    QString LS_NextPageStr;
    QString LS_LastPageStr;
    QString LS_EntirePageStr;
    QString LS_EntireWidthStr;
    QString LS_MultiplePagesStr;
    QString LS_ConfigPrinterStr;
    QString LS_SaveToFileStr;
    QString LS_SendToStr;
    QString LS_PrinterStr;
    QString LS_NameStr;
    QString LS_PrintToFileStr;
    QString LS_PrintInBackgroundStr;
    QString LS_OptionsStr;
    QString LS_SaveInBackground;
    QString LS_PageRangeStr;
    QString LS_CopyAsImageStr;
    QString LS_RangeFromStr;
    QString LS_RangeToStr;
    QString LS_AllStr;
    QString LS_PagesStr;
    QString LS_SelectionStr;
    QString LS_CopiesStr;
    QString LS_NumberOfCopiesStr;
    QString LS_OkStr;
    QString LS_DivideScreenStr;
    QString LS_InvalidNameStr;
    QString LS_DuplicateNameStr;
    QString LS_UseFilterStr;
    QString LS_WebPageStr;
    QString LS_RichFormatStr;
    QString LS_PDFFormatStr;
    QString LS_XLSFormatStr;
    QString LS_AtStr;
    QString LS_FormStr;
    QString LS_DefaultStr;
    QString LS_ZoomInStr;
    QString LS_ZoomOutStr;
    QString LS_CopyStr;
    QString LS_EditStr;
    QString LS_FindCaptionStr;
    QString LS_TextToFindStr;
    QString LS_FindNextStr;
    QString LS_WholeWordsStr;
    QString LS_MatchCaseStr;
    QString LS_DirectionUpStr;
    QString LS_DirectionDownStr;
    QString LS_DirectionCaptionStr;
    QString LS_ColumnsStr;
    QString LS_CharTableStr;
    QString LS_SetupStr;
    QString LS_FontSizeError;
    QString LS_OddPages;
    QString LS_EvenPages;
    QString LS_OddPagesOnly;
    QString LS_EvenPagesOnly;
    QString LS_AllOddAndEven;
    QString LS_PrintDialogError;
    QString LS_PageSelectionHint;
    QString LS_DefaultJobTitle;
    QString LS_LastFooMsg;
};

// The record is nothing but its 90 texts, so that code walking the keys (below)
// covers every field.
static_assert(sizeof(TRLLocaleStrings) == 90 * sizeof(QString));

// Every key of the record, in field order, with its name as written above.
struct TRLLocaleStringKey {
    const char *name;
    QString TRLLocaleStrings::*field;
};
const std::array<TRLLocaleStringKey, 90> &LocaleStringKeys();

enum class TRLLanguage { English, Portuguese, French, Spanish, Italian, German };

// The built-in table of a language.
const TRLLocaleStrings &LocaleTable(TRLLanguage language);
// The table for a primary-language number (7, 9, 10, 12, 16, 22; English otherwise).
TRLLanguage LanguageForId(int primaryLanguageId);

// The table for the user's language as the platform reports it now.
const TRLLocaleStrings &LocaleTableForUser();

// The active record. Filled from the user's language on first use (or by
// InitLocaleStrings at start-up) and unchanged afterwards.
const TRLLocaleStrings &LS();
void InitLocaleStrings();
// Tests only: make another table the active one, or with nullopt forget the
// choice so that the next LS() makes it again from the user's language.
void SetActiveLocaleForTesting(std::optional<TRLLanguage> language);

// LS_DefaultJobTitle of the active record with its "%s" replaced by the
// argument, taken as it is (a "%" inside the argument is not expanded).
QString FormatDefaultJobTitle(const QString &argument);

} // namespace prenso
