#pragma once
// TRLPDFFilter: the save filter that writes the pages of a report as a PDF
// file. It walks each stored page and hands every graphic object to the PDF
// writer (RLPDFWriter.h), which turns it into content-stream operators.
//
// The page setup and text control settings are kept with the component for
// the forms that carry them; the output of stored pages does not use them.

#include "platform/graphics/valuetypes.h"
#include "report/filters/RLFilters.h"
#include "report/filters/pdf/RLPDFWriter.h"

#include <QByteArray>
#include <QString>

#include <memory>

namespace prenso {

class TRLGraphicPage;
class TRLPDFPagePainter;

enum class TRLPDFFilterColumnBorderType { cbRegular, cbSplitter, cbBorder };

// A size in millimetres.
struct TRLPDFFilterSize {
    double Width = 0;
    double Height = 0;
    friend bool operator==(const TRLPDFFilterSize &, const TRLPDFFilterSize &) = default;
};

class TRLPDFFilterPageSetup {
public:
    // A zero font size becomes 10 and each leading follows from its font
    // size (PDF_CalcTextLeadingPointSize).
    TRLPDFFilterPageSetup();

    const TRLPDFFilterSize &PaperSize() const { return FPaperSize; }
    void SetPaperSize(const TRLPDFFilterSize &v) { FPaperSize = v; }
    bool LandScape() const { return FLandScape; }
    void SetLandScape(bool v) { FLandScape = v; }
    const TRLPDFFilterSize &MediaSize() const { return FMediaSize; }
    void SetMediaSize(const TRLPDFFilterSize &v) { FMediaSize = v; }
    const TRect &Margins() const { return FMargins; }
    void SetMargins(const TRect &v) { FMargins = v; }
    bool PageBorder() const { return FPageBorder; }
    void SetPageBorder(bool v) { FPageBorder = v; }
    TRLPDFFilterColumnBorderType ColumnBorder() const { return FColumnBorder; }
    void SetColumnBorder(TRLPDFFilterColumnBorderType v) { FColumnBorder = v; }
    TRLPDFFilterDashPatternType BorderDashPattern() const { return FBorderDashPattern; }
    void SetBorderDashPattern(TRLPDFFilterDashPatternType v) { FBorderDashPattern = v; }
    int ColumnMargin() const { return FColumnMargin; }
    void SetColumnMargin(int v) { FColumnMargin = v; }
    int ColumnGap() const { return FColumnGap; }
    void SetColumnGap(int v) { FColumnGap = v; }
    int ColumnCount() const { return FColumnCount; }
    void SetColumnCount(int v) { FColumnCount = v; }
    int RowCount() const { return FRowCount; }
    void SetRowCount(int v) { FRowCount = v; }
    int FontPointSize() const { return FFontPointSize; }
    void SetFontPointSize(int v) { FFontPointSize = v; }
    int ColumnFontPointSize() const { return FColumnFontPointSize; }
    void SetColumnFontPointSize(int v) { FColumnFontPointSize = v; }
    int LeadingPointSize() const { return FLeadingPointSize; }
    void SetLeadingPointSize(int v) { FLeadingPointSize = v; }
    int ColumnLeadingPointSize() const { return FColumnLeadingPointSize; }
    void SetColumnLeadingPointSize(int v) { FColumnLeadingPointSize = v; }
    int CharCount() const { return FCharCount; }
    void SetCharCount(int v) { FCharCount = v; }
    const TRect &WorkArea() const { return FWorkArea; }
    void SetWorkArea(const TRect &v) { FWorkArea = v; }

    // Copies every field; nullptr clears them all (zeros, false, the first
    // value of each choice).
    void Assign(const TRLPDFFilterPageSetup *source);
    friend bool operator==(const TRLPDFFilterPageSetup &, const TRLPDFFilterPageSetup &) = default;

private:
    struct Cleared {};
    explicit TRLPDFFilterPageSetup(Cleared) {}

    TRLPDFFilterSize FPaperSize;
    bool FLandScape = false;
    TRLPDFFilterSize FMediaSize;
    TRect FMargins;
    bool FPageBorder = false;
    TRLPDFFilterColumnBorderType FColumnBorder = TRLPDFFilterColumnBorderType::cbRegular;
    TRLPDFFilterDashPatternType FBorderDashPattern = TRLPDFFilterDashPatternType::dpRegular;
    int FColumnMargin = 0;
    int FColumnGap = 0;
    int FColumnCount = 0;
    int FRowCount = 0;
    int FFontPointSize = 0;
    int FColumnFontPointSize = 0;
    int FLeadingPointSize = 0;
    int FColumnLeadingPointSize = 0;
    int FCharCount = 0;
    TRect FWorkArea;
};

class TRLPDFFilterTextControl {
public:
    bool FormFeed() const { return FFormFeed; }
    void SetFormFeed(bool v) { FFormFeed = v; }
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool v) { FWordWrap = v; }
    int TabSize() const { return FTabSize; }
    void SetTabSize(int v) { FTabSize = v; }

    // Copies every field; nullptr sets false, false, 8.
    void Assign(const TRLPDFFilterTextControl *source);
    friend bool operator==(const TRLPDFFilterTextControl &, const TRLPDFFilterTextControl &) = default;

private:
    bool FFormFeed = true;
    bool FWordWrap = false;
    int FTabSize = 8;
};

// This program's name and version, as written into the files it makes.
QString PrensoCreatorText();

// The session's document information every new PDF filter starts from:
// empty but for the creator, PrensoCreatorText().
TRLPDFFilterDocumentInfo &DefaultDocumentInfo();

class TRLPDFFilter : public TRLCustomSaveFilter {
public:
    explicit TRLPDFFilter(TComponent *owner = nullptr);
    ~TRLPDFFilter() override;

    const TRLPDFFilterDocumentInfo &DocumentInfo() const { return FDocumentInfo; }
    TRLPDFFilterDocumentInfo &DocumentInfo() { return FDocumentInfo; }
    void SetDocumentInfo(const TRLPDFFilterDocumentInfo *info) { FDocumentInfo.Assign(info); }
    TRLPDFFilterImageFormat ImageFormat() const { return FImageFormat; }
    void SetImageFormat(TRLPDFFilterImageFormat format) { FImageFormat = format; }
    const TRLPDFFilterPageSetup &PageSetup() const { return FPageSetup; }
    TRLPDFFilterPageSetup &PageSetup() { return FPageSetup; }
    void SetPageSetup(const TRLPDFFilterPageSetup *setup) { FPageSetup.Assign(setup); }
    const TRLPDFFilterTextControl &TextControl() const { return FTextControl; }
    TRLPDFFilterTextControl &TextControl() { return FTextControl; }
    void SetTextControl(const TRLPDFFilterTextControl *control) { FTextControl.Assign(control); }

    // A fixed creation date, so that the same pages give the same bytes.
    // For tests.
    void SetDeterministic(bool value) { FDeterministic = value; }
    // Whether fonts carry their face's program (TRLPDFWriter::EmbedFonts):
    // on by default.
    void SetEmbedFonts(bool value) { FEmbedFonts = value; }
    // Whether the file is an archive file, PDF/A-1b (TRLPDFWriter::Archive):
    // off by default.
    bool Archive() const { return FArchive; }
    void SetArchive(bool value) { FArchive = value; }
    // Replaces how TrueType font metrics are read (tests make it fail).
    void SetFontMetricsProvider(TRLPDFWriter::FontMetricsProvider provider) { FFontMetrics = std::move(provider); }
    // The document goes into this buffer instead of FileName (nullptr: to
    // the file). A run that fails or is cancelled leaves the buffer as it
    // was. The buffer must outlive the runs.
    void SetOutputBuffer(std::string *buffer) { FOutputBuffer = buffer; }

protected:
    // Creates the file (under a temporary name until it is complete).
    void InternalBeginDoc() override;
    // Completes the file and gives it its name. Called while an error is on
    // its way out, or after the run was cancelled, it drops the unfinished
    // file instead: whatever was at FileName before stays as it was.
    void InternalEndDoc() override;
    void InternalNewPage() override;
    void InternalDrawPage(TRLGraphicPage *page) override;

private:
    TRLPDFFilterDocumentInfo FDocumentInfo;
    TRLPDFFilterImageFormat FImageFormat = TRLPDFFilterImageFormat::ifJPeg;
    TRLPDFFilterPageSetup FPageSetup;
    TRLPDFFilterTextControl FTextControl;
    bool FDeterministic = false;
    bool FEmbedFonts = true;
    bool FArchive = false;
    TRLPDFWriter::FontMetricsProvider FFontMetrics;
    std::unique_ptr<TRLPDFWriter> FWriter;
    std::unique_ptr<TRLPDFPagePainter> FPagePainter;
    std::string *FOutputBuffer = nullptr;
};

} // namespace prenso
