#include "report/controls/RLLabel.h"

#include "data/dataset.h"
#include "platform/graphics/canvas.h"
#include "platform/system/codepage.h"
#include "platform/system/errors.h"
#include "report/controls/RLDesignPaint.h"
#include "report/controls/RLSite.h"
#include "report/storage/RLGraphicSurface.h"

#include <algorithm>

namespace prenso {

// ---------------------------------------------------------------------------
// Label

TRLCustomLabel::TRLCustomLabel(TRLCustomSite *parent) : TRLCustomControl(parent)
{
    setBoundsRaw(0, 0, 65, 17);
    SetAutoSizeDir(TRLAutoSizeDirSet{TRLAutoSizeDirType::asWidthDir});
    SetAutoSize(true);
}

const std::string &TRLCustomLabel::encodedText(const QString &text)
{
    if (text.constData() != FEncodedOf.constData() || text.size() != FEncodedOf.size()) {
        cp1252::encode(text, FEncoded);
        FEncodedOf = text;
        FWidthKnown = false;
    }
    return FEncoded;
}

int TRLCustomLabel::encodedWidth(const QString &text)
{
    const std::string &bytes = encodedText(text);
    // Fonts that compare equal are realised alike, so their widths are too.
    if (!FWidthKnown || !(FMeasuredFont == Font())) {
        FMeasuredWidth = Font().Resource().width(bytes);
        FMeasuredFont = Font();
        FWidthKnown = true;
    }
    return FMeasuredWidth;
}

void TRLCustomLabel::CalcSize(int &width, int &height)
{
    width = Width();
    height = Height();
    if (!AutoSize())
        return;
    const QString &caption = Caption();
    const QString &text = caption.isEmpty() && !IsPreparing() ? Name() : caption;
    // The caption is measured as the page will store it, followed by one
    // space, the way the engine has always measured captions.
    const FontResource &font = Font().Resource();
    width = SatAdd(font.advances[' '], encodedWidth(text));
    height = font.height();
    const int bw = Borders().Width();
    if (bw > 0) {
        if (Borders().CanDrawLeft())
            width += bw + 1;
        if (Borders().CanDrawRight())
            width += bw + 1;
        if (Borders().CanDrawTop())
            height += bw + 1;
        if (Borders().CanDrawBottom())
            height += bw + 1;
    }
}

void TRLCustomLabel::InternalPrint()
{
    TRLGraphicSurface *surface = RequestParentSurface();
    DrawBoundsFrame(*surface, CalcPrintBoundsRect());
    const TRect r = CalcClientPrintRect();
    surface->SetGeneratorId(this);
    NewGroupId();
    surface->SetFont(Font());
    const QString &text = Caption();
    const int textWidth = encodedWidth(text);
    const std::string &caption = encodedText(text);
    const FontResource &font = Font().Resource();
    const int s = font.advances[' '];
    const TPoint origin = CaptionOrigin(r, textWidth + s, font.height(), s);
    const int x = origin.X, y = origin.Y;
    static constexpr std::uint8_t kAlignment[] = {MetaTextAlignmentLeft, MetaTextAlignmentRight,
                                                  MetaTextAlignmentCenter, MetaTextAlignmentJustify};
    static constexpr std::uint8_t kLayout[] = {MetaTextLayoutTop, MetaTextLayoutCenter, MetaTextLayoutBottom,
                                               MetaTextLayoutTop};
    TBrush brush;
    brush.Style = TBrushStyle::bsClear;
    surface->SetBrush(brush);
    const std::uint16_t flags = MetaTextFlagNoSplit | (AutoSize() ? MetaTextFlagAutoSize : 0);
    surface->TextRectEx(r, x, y, caption, kAlignment[Ord(Alignment())], kLayout[Ord(Layout())], flags);
    if (AfterPrint)
        AfterPrint(this);
}

TPoint TRLCustomLabel::CaptionOrigin(const TRect &r, int w, int h, int s) const
{
    TPoint p;
    switch (Alignment()) {
    case TRLTextAlignment::taRightJustify: p.X = r.Right - w + s / 2; break;
    case TRLTextAlignment::taCenter: p.X = (r.Left + r.Right - w) / 2 + s / 2; break;
    default: p.X = r.Left + s / 2; break;
    }
    switch (Layout()) {
    case TRLTextLayout::tlBottom: p.Y = r.Bottom - h; break;
    case TRLTextLayout::tlCenter: p.Y = (r.Top + r.Bottom - h) / 2; break;
    default: p.Y = r.Top; break;
    }
    return p;
}

// ---------------------------------------------------------------------------
// Data-bound text

void TRLCustomDBText::SetDataField(const QString &f)
{
    FDataField = f;
    if (!f.isEmpty())
        FDataFormula.clear();
    AdjustBounds();
}

void TRLCustomDBText::SetDataFormula(const QString &f)
{
    FDataFormula = f;
    if (!f.isEmpty())
        FDataField.clear();
    AdjustBounds();
}

TDataSet *TRLCustomDBText::DataSet() const
{
    return FDataSource ? FDataSource->DataSet() : nullptr;
}

TField *TRLCustomDBText::Field() const
{
    TDataSet *ds = DataSet();
    return ds && !FDataField.isEmpty() ? ds->FindField(FDataField) : nullptr;
}

void TRLCustomDBText::InternalMakeCaption(QString &text)
{
    QString fieldText;
    if (IsPreparing()) {
        TDataSet *ds = DataSet();
        if (ds && ds->Active() && !ds->Eof()) {
            if (TField *f = Field())
                fieldText = f->DisplayText();
            // Formulas need an expression evaluator that this program does not use.
        }
    } else if (!FriendlyName().isEmpty()) {
        fieldText = FriendlyName();
    } else if (!FDataField.isEmpty()) {
        TField *f = Field();
        fieldText = f ? f->DisplayLabel() : FDataField;
    } else if (!FDataFormula.isEmpty()) {
        fieldText = QStringLiteral("(") + FDataFormula + QStringLiteral(")");
    } else {
        fieldText = Name();
    }
    if (FText.isEmpty()) {
        text = std::move(fieldText);
    } else {
        const qsizetype hash = FText.indexOf(u'#');
        text = hash >= 0 ? QString(FText).replace(hash, 1, fieldText) : FText + fieldText;
    }
}

// ---------------------------------------------------------------------------
// Design view

void TRLCustomLabel::DesignPaint(TCanvas &canvas, const TRect &rect)
{
    DesignPaintFrame(canvas, rect);
    QString text;
    InternalMakeCaption(text);
    if (text.isEmpty())
        text = Name();
    const std::string bytes = cp1252::encode(text);
    canvas.SetFont(Font());
    const int space = canvas.TextWidth(std::string_view(" "));
    const TRect client = DesignOffset(ClientRect(), rect.Left, rect.Top);
    const TPoint at = CaptionOrigin(client, canvas.TextWidth(bytes) + space, canvas.TextHeight(bytes), space);
    DesignSetBrush(canvas, clWhite, TBrushStyle::bsClear);
    canvas.TextRect(client, at.X, at.Y, bytes);
    if (ShowDesigners())
        DesignCornerMarks(canvas, rect);
}

} // namespace prenso
