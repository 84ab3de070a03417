#pragma once
// Controls that print a caption: the label, and the text bound to a field of
// a data source.

#include "report/controls/RLControl.h"

#include <string>

namespace prenso {

class TDataSource;
class TDataSet;
class TField;

class TRLCustomLabel : public TRLCustomControl {
public:
    explicit TRLCustomLabel(TRLCustomSite *parent);
    void CalcSize(int &width, int &height) override;
    void InternalPrint() override;
    void DesignPaint(TCanvas &canvas, const TRect &rect) override;

protected:
    // Where a caption `width` × `height` pixels wide starts inside the client
    // rectangle, by Alignment and Layout; `space` is the font's space width
    // (captions are measured with one space after them).
    TPoint CaptionOrigin(const TRect &client, int width, int height, int space) const;

private:
    // `text` as the page stores it (Windows-1252 bytes). Measuring and
    // printing a record both ask for the same caption, so the bytes are made
    // once per caption: the copy kept of the text holds on to its characters,
    // which therefore cannot change or be reused while its address and length
    // still match.
    const std::string &encodedText(const QString &text);
    // The width of encodedText(text) in the control's font; kept with the
    // bytes until they or the font change.
    int encodedWidth(const QString &text);
    QString FEncodedOf;
    std::string FEncoded;
    TFont FMeasuredFont;
    int FMeasuredWidth = 0;
    bool FWidthKnown = false; // measured since the bytes were made
};

class TRLCustomDBText : public TRLCustomLabel {
public:
    using TRLCustomLabel::TRLCustomLabel;

    const QString &Text() const { return FText; }
    void SetText(const QString &mask)
    {
        FText = mask;
        AdjustBounds();
    }
    const QString &DataField() const { return FDataField; }
    void SetDataField(const QString &f);
    const QString &DataFormula() const { return FDataFormula; }
    void SetDataFormula(const QString &f);
    TDataSource *DataSource() const { return FDataSource; }
    void SetDataSource(TDataSource *ds) { FDataSource = ds; }
    const QString &DisplayMask() const { return FDisplayMask; }
    void SetDisplayMask(const QString &m) { FDisplayMask = m; }

    TDataSet *DataSet() const;
    TField *Field() const;

    void InternalMakeCaption(QString &text) override;

private:
    QString FText;
    QString FDataField;
    QString FDataFormula;
    TDataSource *FDataSource = nullptr;
    QString FDisplayMask;
};

class TRLDBText : public TRLCustomDBText {
public:
    using TRLCustomDBText::TRLCustomDBText;
};

} // namespace prenso
