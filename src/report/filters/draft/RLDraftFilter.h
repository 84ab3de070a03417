#pragma once
// The draft filter: prints stored pages on dot-matrix printers in their own
// text mode instead of through a graphics driver. Texts become character runs
// at a pitch chosen from their font, positions become spaces, line feeds and
// fine feeds, dark frames and bars become line characters, and pictures
// become 8-dot bit-image strips. The bytes go to a raw print job, to the
// printer's port, to a file, or through a temporary file to a program.
//
// Pages are repeated once per copy by the page loop, since the bytes never
// pass a driver that could make copies.

#include "report/filters/RLFilters.h"
#include "report/filters/draft/RLDraftCommands.h"
#include "report/filters/draft/RLDraftDevice.h"
#include "report/filters/draft/RLDraftPage.h"
#include "report/filters/draft/RLDraftStream.h"
#include "report/filters/draft/RLDraftTypes.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <string>

namespace prenso {

class TRLDraftFilter : public TRLCustomPrintFilter {
public:
    explicit TRLDraftFilter(TComponent *owner = nullptr);
    ~TRLDraftFilter() override;

    // The command table, name=value lines. Kept in a form file only for
    // fmCustom (CommandsStored); the families rebuild theirs.
    const QStringList &Commands() const { return FCommands; }
    void SetCommands(const QStringList &commands) { FCommands = commands; }
    // Fills Commands with the table of PrinterFamily; fmCustom keeps its own.
    void DefaultCommands();
    bool CommandsStored() const { return FPrinterFamily == TRLPrinterFamily::fmCustom; }

    // A command table file read at the start of every document. A name that
    // does not exist is an error: printing with another printer's commands
    // would only waste paper.
    const QString &DriverName() const { return FDriverName; }
    void SetDriverName(const QString &name) { FDriverName = name; }

    TRLDeviceKind DeviceKind() const { return FDeviceKind; }
    void SetDeviceKind(TRLDeviceKind kind) { FDeviceKind = kind; }
    bool DeviceKindStored() const { return FDeviceKind != TRLDeviceKind::dkPrinterPort; }

    // The file (dkFileName) or the command line (dkProgram, with %p for the
    // printer's name and %f for the file).
    const QString &DevicePath() const { return FDevicePath; }
    void SetDevicePath(const QString &path) { FDevicePath = path; }

    TRLDraftAccentMethod AccentMethod() const { return FAccentMethod; }
    void SetAccentMethod(TRLDraftAccentMethod m) { FAccentMethod = m; }
    // The printer's character table the texts are sent in (none: the system
    // code page's bytes, as always); what it lacks takes the accent method.
    TRLDraftCharTable CharTable() const { return FCharTable; }
    void SetCharTable(TRLDraftCharTable table) { FCharTable = table; }
    TRLDraftEjectMethod EjectMethod() const { return FEjectMethod; }
    void SetEjectMethod(TRLDraftEjectMethod m) { FEjectMethod = m; }
    TRLPrinterFamily PrinterFamily() const { return FPrinterFamily; }
    // A different family brings its own command table.
    void SetPrinterFamily(TRLPrinterFamily family);
    TRLDitheringMethod DitheringMethod() const { return FDitheringMethod; }
    void SetDitheringMethod(TRLDitheringMethod m) { FDitheringMethod = m; }
    TRLLineDrawMethod LineDrawMethod() const { return FLineDrawMethod; }
    void SetLineDrawMethod(TRLLineDrawMethod m) { FLineDrawMethod = m; }
    TRLFillArtMethod FillArtMethod() const { return FFillArtMethod; }
    void SetFillArtMethod(TRLFillArtMethod m) { FFillArtMethod = m; }
    TRLFormSelection FormSelection() const { return FFormSelection; }
    void SetFormSelection(TRLFormSelection selection);
    TRLStretchCharWidth StretchCharWidth() const { return FStretchCharWidth; }
    void SetStretchCharWidth(TRLStretchCharWidth s) { FStretchCharWidth = s; }
    TRLDraftTextDecoration TextDecoration() const { return FTextDecoration; }
    void SetTextDecoration(TRLDraftTextDecoration decoration);
    TRLDraftTextStyles TextStyles() const { return FTextStyles; }
    void SetTextStyles(TRLDraftTextStyles styles);
    bool TextStylesStored() const { return FTextDecoration == TRLDraftTextDecoration::ddCustomized; }
    TRLCPPSelection CPPSelection() const { return FCPPSelection; }
    void SetCPPSelection(TRLCPPSelection s) { FCPPSelection = s; }

    // The form choice offered by the print dialog: default, 80 or 132 columns.
    QString OptionsLabel() const override;
    QStringList Options() const override;
    int OptionIndex() const override { return FOptionIndex; }
    void SetOptionIndex(int index) override { FOptionIndex = index; }
    void SetOrientation(TRLPageOrientation orientation) override;
    // The printer's default table, then the tables by name, in the order of
    // TRLDraftCharTable.
    QStringList CharTables() const override;
    int CharTableIndex() const override { return static_cast<int>(FCharTable); }
    void SetCharTableIndex(int index) override;
    TRLPageOrientation Orientation() const { return FOrientation; }

    // Tests: repeatable random dithering.
    void SeedDithering(unsigned seed) { FBuilder.SeedRandom(seed); }
    // Fonts measured so far for their pitch.
    int MeasuredFontCount() const { return FBuilder.MeasuredFontCount(); }
    // The file the last document was written to (a port, a temporary file
    // or DevicePath); empty for a raw job on a queue.
    const QString &DeviceFileName() const { return FDevice.DeviceFileName(); }
    // The bytes go into this buffer instead of the device (nullptr: to the
    // device). A run that fails leaves the buffer as it was. The buffer
    // must outlive the runs.
    void SetOutputBuffer(std::string *buffer) { FOutputBuffer = buffer; }

protected:
    void InternalBeginDoc() override;
    void InternalEndDoc() override;
    void InternalNewPage() override;
    void InternalDrawPage(TRLGraphicPage *page) override;

private:
    void loadDriverFile();
    void flush();
    // Nothing of the document is handed on: a raw job is cancelled, a
    // program's temporary file goes (the program is not started), the
    // buffer loses what this document put there.
    void abandon();
    void applyFormSelection();

    QStringList FCommands;
    QString FDriverName;
    TRLDeviceKind FDeviceKind = TRLDeviceKind::dkPrinterPort;
    QString FDevicePath = QStringLiteral("prn");
    TRLDraftAccentMethod FAccentMethod = TRLDraftAccentMethod::amOverwrite;
    TRLDraftCharTable FCharTable = TRLDraftCharTable::ctNone;
    TRLDraftEjectMethod FEjectMethod = TRLDraftEjectMethod::ejCompletePage;
    TRLPrinterFamily FPrinterFamily = TRLPrinterFamily::fmEpsonLike;
    TRLDitheringMethod FDitheringMethod = TRLDitheringMethod::dmColorTable;
    TRLLineDrawMethod FLineDrawMethod = TRLLineDrawMethod::ldMinusAndPipe;
    TRLFillArtMethod FFillArtMethod = TRLFillArtMethod::fmNone;
    TRLFormSelection FFormSelection = TRLFormSelection::fsAccordingToOrientation;
    TRLStretchCharWidth FStretchCharWidth = TRLStretchCharWidth::scShrinksOnly;
    TRLDraftTextDecoration FTextDecoration = TRLDraftTextDecoration::ddIncludeAll;
    TRLDraftTextStyles FTextStyles = tsAllDraftTextStyles;
    TRLCPPSelection FCPPSelection = TRLCPPSelection::csAutomatic;

    TRLPageOrientation FOrientation = TRLPageOrientation::poPortrait;
    int FOptionIndex = 0;
    mutable QStringList FOptions;

    // One document.
    TPoint FPrintCut;
    TPoint FPrintSize;
    TRLDraftUnits FUnits;
    std::unique_ptr<TRLDraftCommandTable> FTable;
    std::string FOut;
    std::unique_ptr<TRLDraftStream> FStream;
    TRLDraftPageBuilder FBuilder;
    TRLDraftPageList FList;
    TRLDraftDevice FDevice;
    std::string *FOutputBuffer = nullptr;
    size_t FOutputBufferStart = 0;
    bool FDocOpen = false;
    bool FDocFailed = false;
};

} // namespace prenso
