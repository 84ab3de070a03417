#pragma once
// Controls that print a caption: the label, and the text bound to a field of
// a data source.

#include "report/controls/RLControl.h"

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
};

class TRLCustomDBText : public TRLCustomLabel {
public:
    using TRLCustomLabel::TRLCustomLabel;

    const QString &Text() const { return m_text; }
    void SetText(const QString &mask) { m_text = mask; AdjustBounds(); }
    const QString &DataField() const { return m_dataField; }
    void SetDataField(const QString &f);
    const QString &DataFormula() const { return m_dataFormula; }
    void SetDataFormula(const QString &f);
    TDataSource *DataSource() const { return m_dataSource; }
    void SetDataSource(TDataSource *ds) { m_dataSource = ds; }
    const QString &DisplayMask() const { return m_displayMask; }
    void SetDisplayMask(const QString &m) { m_displayMask = m; }

    TDataSet *DataSet() const;
    TField *Field() const;

    void InternalMakeCaption(QString &text) override;

private:
    QString m_text;
    QString m_dataField;
    QString m_dataFormula;
    TDataSource *m_dataSource = nullptr;
    QString m_displayMask;
};

class TRLDBText : public TRLCustomDBText {
public:
    using TRLCustomDBText::TRLCustomDBText;
};

} // namespace prenso
