#include "report/filters/draft/RLDraftFilter.h"

#include "platform/io/files.h"
#include "platform/system/codepage.h"
#include "platform/system/errors.h"
#include "report/RLConsts.h"
#include "report/printing/RLPrinters.h"
#include "report/storage/RLGraphicStorage.h"

#include <QFile>

#include <exception>

namespace prenso {

TRLDraftFilter::TRLDraftFilter(TComponent *owner) : TRLCustomPrintFilter(owner)
{
    DefaultCommands();
    SetEmulateCopies(true);
}

TRLDraftFilter::~TRLDraftFilter()
{
    BeginDestroy();
    // A document still open here was never finished: nothing of it prints.
    FDevice.Abort();
}

void TRLDraftFilter::DefaultCommands()
{
    if (FPrinterFamily == TRLPrinterFamily::fmCustom)
        return;
    FCommands = DraftFamilyCommands(FPrinterFamily);
}

void TRLDraftFilter::SetPrinterFamily(TRLPrinterFamily family)
{
    if (family == FPrinterFamily)
        return;
    FPrinterFamily = family;
    DefaultCommands();
}

void TRLDraftFilter::SetTextDecoration(TRLDraftTextDecoration decoration)
{
    if (decoration == FTextDecoration)
        return;
    FTextDecoration = decoration;
    if (decoration == TRLDraftTextDecoration::ddIncludeNone)
        FTextStyles = 0;
    else if (decoration == TRLDraftTextDecoration::ddIncludeAll)
        FTextStyles = tsAllDraftTextStyles;
}

void TRLDraftFilter::SetTextStyles(TRLDraftTextStyles styles)
{
    if (styles == FTextStyles)
        return;
    FTextStyles = styles;
    FTextDecoration = TRLDraftTextDecoration::ddCustomized;
}

void TRLDraftFilter::applyFormSelection()
{
    switch (FFormSelection) {
    case TRLFormSelection::fsAccordingToOrientation:
        FOptionIndex = FOrientation == TRLPageOrientation::poLandscape ? 2 : 1;
        break;
    case TRLFormSelection::fs80Cols: FOptionIndex = 1; break;
    case TRLFormSelection::fs132Cols: FOptionIndex = 2; break;
    case TRLFormSelection::fsNone: break;
    }
}

void TRLDraftFilter::SetFormSelection(TRLFormSelection selection)
{
    FFormSelection = selection;
    applyFormSelection();
}

void TRLDraftFilter::SetOrientation(TRLPageOrientation orientation)
{
    FOrientation = orientation;
    if (FFormSelection == TRLFormSelection::fsAccordingToOrientation)
        applyFormSelection();
}

QString TRLDraftFilter::OptionsLabel() const
{
    return LS().LS_FormStr;
}

QStringList TRLDraftFilter::Options() const
{
    if (FOptions.isEmpty())
        FOptions = QStringList{LS().LS_DefaultStr, QStringLiteral("80 ") + LS().LS_ColumnsStr,
                               QStringLiteral("132 ") + LS().LS_ColumnsStr};
    return FOptions;
}

QStringList TRLDraftFilter::CharTables() const
{
    return QStringList{LS().LS_DefaultStr} + DraftCharTableNames();
}

void TRLDraftFilter::SetCharTableIndex(int index)
{
    if (index >= 0 && index <= DraftCharTableNames().size())
        FCharTable = static_cast<TRLDraftCharTable>(index);
}

void TRLDraftFilter::loadDriverFile()
{
    if (FDriverName.isEmpty())
        return;
    if (!files::fileExists(FDriverName))
        throw EFOpenError(QStringLiteral("The printer command file \"%1\" does not exist.").arg(FDriverName));
    QFile file(FDriverName);
    if (!file.open(QIODevice::ReadOnly))
        throw EFOpenError(
            QStringLiteral("Cannot open the printer command file \"%1\". %2").arg(FDriverName, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw EReadError(
            QStringLiteral("Cannot read the printer command file \"%1\". %2").arg(FDriverName, file.errorString()));
    // One name=value line per line, in the system code page; CR LF and LF
    // line ends alike, and no empty entry for the end of the last line.
    QStringList lines =
        cp1252::decode(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size()))).split(u'\n');
    if (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();
    for (QString &line : lines)
        if (line.endsWith(u'\r'))
            line.chop(1);
    FCommands = lines;
}

void TRLDraftFilter::InternalBeginDoc()
{
    FDocOpen = false;
    FDocFailed = false;
    FList.Clear();
    FOut.clear();
    TRLGraphicStorage *pages = Pages();
    TRLPrinterWrapper &printer = RLPrinter();
    printer.SetPaperSize(pages ? pages->PaperWidth() : 0, pages ? pages->PaperHeight() : 0,
                         pages ? pages->Orientation() : TRLPageOrientation::poPortrait, false, false);
    TRLPrinterMetrics metrics;
    printer.LoadMetrics(metrics);

    // The unprintable margin, in page pixels: the printer's first column and
    // line are that far from the sheet's edge.
    FPrintSize = TPoint{pages ? pages->OrientedWidth() : 0, pages ? pages->OrientedHeight() : 0};
    FPrintCut.X = metrics.PhysicalWidth != 0
                      ? RoundCoord(static_cast<double>(FPrintSize.X) * metrics.MarginLeft / metrics.PhysicalWidth)
                      : 0;
    FPrintCut.Y = metrics.PhysicalHeight != 0
                      ? RoundCoord(static_cast<double>(FPrintSize.Y) * metrics.MarginTop / metrics.PhysicalHeight)
                      : 0;

    loadDriverFile();
    if (FCommands.isEmpty())
        DefaultCommands();

    SetDraftVerticalUnit(FPrinterFamily == TRLPrinterFamily::fmESCP2 ? 60 : 12);
    FUnits = TRLDraftUnits(DraftHorizontalScale(FOrientation, FOptionIndex), FPrintCut);
    TRLDraftPageSettings settings;
    settings.CPPSelection = FCPPSelection;
    settings.StretchCharWidth = FStretchCharWidth;
    settings.LineDrawMethod = FLineDrawMethod;
    settings.FillArtMethod = FFillArtMethod;
    settings.DitheringMethod = FDitheringMethod;
    settings.Units = FUnits;
    FBuilder.SetSettings(settings);

    FTable = std::make_unique<TRLDraftCommandTable>(FCommands);
    FStream = std::make_unique<TRLDraftStream>(*FTable, FOut);
    FStream->AccentMethod = FAccentMethod;
    FStream->CharTable = FCharTable;
    FStream->TextStyles = FTextStyles;
    FStream->BeginDocument();

    if (FOutputBuffer) {
        FOutputBufferStart = FOutputBuffer->size();
        FDocOpen = true;
        return;
    }
    TRLDraftDeviceTarget target;
    target.Kind = FDeviceKind;
    target.DevicePath = FDevicePath;
    target.Title = RLPrinter().QueueName().isEmpty() ? QStringLiteral("QuortaReport") : RLPrinter().QueueName();
    if (FDeviceKind == TRLDeviceKind::dkPrinter || FDeviceKind == TRLDeviceKind::dkPrinterPort ||
        FDeviceKind == TRLDeviceKind::dkProgram)
        target.PrinterName = printer.PrinterName();
    if (FDeviceKind == TRLDeviceKind::dkPrinterPort)
        target.PrinterPort = printer.PrinterPort();
    FDevice.Open(target);
    FDocOpen = true;
}

void TRLDraftFilter::flush()
{
    if (FOut.empty())
        return;
    if (FOutputBuffer)
        FOutputBuffer->append(FOut);
    else
        FDevice.Write(FOut);
    FOut.clear();
}

void TRLDraftFilter::InternalDrawPage(TRLGraphicPage *page)
{
    try {
        FList.Clear();
        FBuilder.Build(*page, FList);
        FStream->DrawPage(FList);
        FList.Clear();
        // Each page goes out as soon as it is made, so that a long report
        // neither sits in memory nor waits for its end to start printing.
        flush();
    } catch (...) {
        FDocFailed = true;
        throw;
    }
}

void TRLDraftFilter::InternalNewPage()
{
    try {
        FStream->EjectPage(FEjectMethod, FUnits.Row(FPrintSize.Y), FUnits.Column(0));
    } catch (...) {
        FDocFailed = true;
        throw;
    }
}

void TRLDraftFilter::abandon()
{
    FOut.clear();
    if (FOutputBuffer)
        FOutputBuffer->resize(FOutputBufferStart);
    else
        FDevice.Abort();
}

void TRLDraftFilter::InternalEndDoc()
{
    if (!FDocOpen)
        return;
    FDocOpen = false;
    // Ended on the way out of an error: what was sent must not print as if
    // the document were whole, and no program gets a half-written file.
    if (FDocFailed || std::uncaught_exceptions() > 0) {
        abandon();
        return;
    }
    try {
        // The last page is ejected like every other one.
        NewPage();
        flush();
        if (!FOutputBuffer)
            FDevice.Close();
    } catch (...) {
        abandon();
        throw;
    }
}

} // namespace prenso
