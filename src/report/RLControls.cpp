#include "report/RLControls.h"

#include "data/dataset.h"
#include "platform/canvas.h"
#include "platform/codepage.h"
#include "platform/errors.h"
#include "report/RLConsts.h"
#include "report/RLMetaFile.h"
#include "report/RLReport.h"
#include "report/RLStateGuard.h"

#include <algorithm>
#include <cmath>

namespace prenso {

int MMToPixels(double mm)
{
    return RoundCoord(mm * 96.0 / 25.4);
}

int InchesToPixels(double inches)
{
    return RoundCoord(inches * 96.0);
}

bool IsWidthAlign(TRLControlAlign a)
{
    switch (a) {
    case faLeft: case faRight: case faLeftMost: case faRightMost: case faLeftTop: case faRightTop:
    case faLeftBottom: case faRightBottom: case faCenter: case faCenterLeft: case faCenterTop:
    case faCenterRight: case faCenterBottom: case faClientLeft: case faClientRight: case faHeight:
    case faLeftOnly: case faRightOnly: case faTopOnly: case faBottomOnly:
        return true;
    default:
        return false;
    }
}

bool IsHeightAlign(TRLControlAlign a)
{
    switch (a) {
    case faTop: case faBottom: case faLeftTop: case faRightTop: case faLeftBottom: case faRightBottom:
    case faCenter: case faCenterLeft: case faCenterTop: case faCenterRight: case faCenterBottom:
    case faClientTop: case faClientBottom: case faWidth: case faLeftOnly: case faRightOnly: case faTopOnly:
    case faBottomOnly:
        return true;
    default:
        return false;
    }
}

// ---------------------------------------------------------------------------
// Borders

void TRLBorders::SetSides(TRLBorderSides sides)
{
    m_sides = sides;
    if (sides == sdNone) {
        m_drawLeft = m_drawTop = m_drawRight = m_drawBottom = false;
        m_fixedLeft = m_fixedTop = m_fixedRight = m_fixedBottom = false;
    } else if (sides == sdAll) {
        m_drawLeft = m_drawTop = m_drawRight = m_drawBottom = true;
    }
    changed();
}

bool TRLBorders::canDraw(bool draw, bool fixed) const
{
    if (!draw)
        return false;
    if (fixed)
        return true;
    const TRLCustomReport *master = m_parent ? m_parent->MasterReport() : nullptr;
    return master && master->PrintQuality() == pqFullFeature;
}

bool TRLBorders::CanDrawLeft() const { return canDraw(m_drawLeft, m_fixedLeft); }
bool TRLBorders::CanDrawTop() const { return canDraw(m_drawTop, m_fixedTop); }
bool TRLBorders::CanDrawRight() const { return canDraw(m_drawRight, m_fixedRight); }
bool TRLBorders::CanDrawBottom() const { return canDraw(m_drawBottom, m_fixedBottom); }

// Pages and canvases take the same pen, brush and rectangles.
template <class Target>
void TRLBorders::paint(Target &target, const TRect &r) const
{
    if (m_width <= 0)
        return;
    TPen pen;
    pen.Color = m_color;
    pen.Style = TPenStyle::psSolid;
    pen.Width = 1;
    TBrush brush;
    brush.Color = m_color;
    brush.Style = TBrushStyle::bsSolid;
    target.SetPen(pen);
    target.SetBrush(brush);
    const int w = m_width;
    if (CanDrawLeft())
        target.Rectangle(r.Left, r.Top, r.Left + w, r.Bottom);
    if (CanDrawTop())
        target.Rectangle(r.Left, r.Top, r.Right, r.Top + w);
    if (CanDrawRight())
        target.Rectangle(r.Right - w, r.Top, r.Right, r.Bottom);
    if (CanDrawBottom())
        target.Rectangle(r.Left, r.Bottom - w, r.Right, r.Bottom);
}

void TRLBorders::PaintTo(TRLGraphicSurface &surface, const TRect &r) const
{
    paint(surface, r);
}

void TRLBorders::PaintTo(TCanvas &canvas, const TRect &r) const
{
    paint(canvas, r);
}

void TRLBorders::changed()
{
    if (m_parent)
        m_parent->AdjustBounds();
}

// ---------------------------------------------------------------------------
// Margins

void TRLMargins::SetLeftMargin(double v)
{
    if (v != m_left) {
        m_left = v;
        m_pixels.Left = MMToPixels(v);
        changed();
    }
}
void TRLMargins::SetTopMargin(double v)
{
    if (v != m_top) {
        m_top = v;
        m_pixels.Top = MMToPixels(v);
        changed();
    }
}
void TRLMargins::SetRightMargin(double v)
{
    if (v != m_right) {
        m_right = v;
        m_pixels.Right = MMToPixels(v);
        changed();
    }
}
void TRLMargins::SetBottomMargin(double v)
{
    if (v != m_bottom) {
        m_bottom = v;
        m_pixels.Bottom = MMToPixels(v);
        changed();
    }
}

void TRLMargins::SetDefaults(double left, double top, double right, double bottom)
{
    m_defLeft = left;
    m_defTop = top;
    m_defRight = right;
    m_defBottom = bottom;
}

bool TRLMargins::IsDefault() const
{
    return m_left == m_defLeft && m_top == m_defTop && m_right == m_defRight && m_bottom == m_defBottom;
}

void TRLMargins::Assign(const TRLMargins &source)
{
    SetLeftMargin(source.m_left);
    SetTopMargin(source.m_top);
    SetRightMargin(source.m_right);
    SetBottomMargin(source.m_bottom);
}

void TRLMargins::changed()
{
    if (m_parent) {
        m_parent->AdjustBounds();
        m_parent->RealignControls();
    }
}

// ---------------------------------------------------------------------------
// Control

TRLCustomControl::TRLCustomControl(TRLCustomSite *parent) : m_parent(parent), m_borders(this)
{
    // A new control takes its parent's font and colour, as placing it on the
    // parent at design time does.
    if (m_parent) {
        m_font.Assign(m_parent->Font());
        m_color = m_parent->Color();
    }
}

TRLCustomControl::~TRLCustomControl()
{
    BeginDestroy();
    releaseHolds();
}

void TRLCustomControl::setBoundsRaw(int l, int t, int w, int h)
{
    m_left = l;
    m_top = t;
    m_width = w;
    m_height = h;
}

void TRLCustomControl::SetBounds(int left, int top, int width, int height)
{
    // Holders and real bounds are rare: a control without them checks this
    // one flag and goes the plain way.
    if (m_boundsLinked) [[unlikely]] {
        setBoundsLinked(left, top, width, height);
        return;
    }
    applyBounds(left, top, width, height);
}

bool TRLCustomControl::applyBounds(int left, int top, int width, int height)
{
    if (m_sizeFixed) {
        width = m_fixedWidth;
        height = m_fixedHeight;
    }
    if (left == m_left && top == m_top && width == m_width && height == m_height) {
        RealignControls();
        return false;
    }
    const int oldWidth = m_width, oldHeight = m_height;
    const unsigned ownSerial = m_alignSerial;
    const unsigned parentSerial = m_parent ? m_parent->m_alignSerial : 0;
    m_oldBounds = BoundsRect();
    setBoundsRaw(left, top, width, height);
    ExpandParentSite(oldWidth, oldHeight);
    // A parent that grew with this control has realigned its children with
    // the new bounds already, and a parent that placed this site has
    // realigned the site's children: each once is enough.
    if (m_parent && m_parent->m_alignSerial == parentSerial)
        m_parent->RealignControls();
    if (m_alignSerial == ownSerial)
        RealignControls();
    BoundsChanged();
    return true;
}

void TRLCustomControl::ExpandParentSite(int oldWidth, int oldHeight)
{
    if (m_state.has(stRestoringBounds) || m_state.has(stExpandingParent))
        return;
    StateGuard guard(m_state, stExpandingParent);
    auto grow = [&](bool vertical) {
        auto inSet = [vertical](TRLControlAlign a) { return a == faNone || (vertical ? IsHeightAlign(a) : IsWidthAlign(a)); };
        if (!inSet(m_align))
            return;
        TRLCustomSite *site = m_parent;
        while (site && !inSet(site->Align()))
            site = site->Parent();
        if (!site || !site->AutoSizeDir().has(vertical ? asHeightDir : asWidthDir))
            return;
        if (site->AutoSize())
            site->AdjustBounds();
        else if (site->AutoExpand() && m_behavior.has(beSiteExpander)) {
            if (vertical)
                site->SetHeight(site->Height() + (m_height - oldHeight));
            else
                site->SetWidth(site->Width() + (m_width - oldWidth));
        }
    };
    if (m_height != oldHeight)
        grow(true);
    if (m_width != oldWidth)
        grow(false);
}

void TRLCustomControl::SetVisible(bool v)
{
    if (v == m_visible)
        return;
    m_visible = v;
    if (m_parent) {
        m_parent->AdjustBounds();
        m_parent->RealignControls();
    }
}

void TRLCustomControl::SetAlign(TRLControlAlign align)
{
    if (align == m_align)
        return;
    const TRLControlAlign old = m_align;
    if (align != faNone)
        m_anchors = TRLControlAnchors{};
    const bool oldH = old == faNone || IsHeightAlign(old), oldW = old == faNone || IsWidthAlign(old);
    const bool newH = align == faNone || IsHeightAlign(align), newW = align == faNone || IsWidthAlign(align);
    if ((oldH && newW) || (oldW && newH)) {
        // Take the natural size first, then the new alignment.
        m_align = faNone;
        AdjustBounds();
    }
    m_align = align;
    if (m_parent)
        m_parent->RealignControls();
}

void TRLCustomControl::SetAutoSize(bool v)
{
    if (v == m_autoSize)
        return;
    m_autoSize = v;
    if (v)
        AdjustBounds();
}

void TRLCustomControl::SetTransparent(bool v)
{
    m_transparent = v;
    if (v && m_parent)
        m_color = m_parent->Color();
}

TColor TRLCustomControl::Color() const
{
    if (m_transparent && m_parent)
        return m_parent->Color();
    return m_color;
}

void TRLCustomControl::SetColor(TColor c)
{
    m_color = c;
    if (c != clWhite)
        m_transparent = false;
}

void TRLCustomControl::SetFont(const TFont &font)
{
    m_font.Assign(font);
    AdjustBounds();
}

void TRLCustomControl::SetFontName(const QString &name)
{
    m_font.SetName(name);
    AdjustBounds();
}

void TRLCustomControl::SetFontSize(int points)
{
    m_font.SetSize(points);
    AdjustBounds();
}

bool TRLCustomControl::ShowDesigners() const
{
    const TRLCustomReport *report = FindParentReport();
    return !report || report->ShowDesigners();
}

bool TRLCustomControl::IsPreparing() const
{
    const TRLCustomReport *report = FindParentReport();
    if (!report)
        return false;
    const TRLReportState state = report->ReportState();
    return state == rsWriting || state == rsClosing;
}

QString TRLCustomControl::Caption() const
{
    return IsPreparing() ? m_preparingCaption : m_caption;
}

void TRLCustomControl::SetCaption(const QString &caption)
{
    // Even the same text is measured again: the bounds it had may have been
    // restored to the design bounds since (every record starts from them).
    const bool preparing = IsPreparing();
    m_preparingCaption = caption;
    if (!preparing)
        m_caption = caption;
    AdjustBounds();
}

void TRLCustomControl::SetFixedSize(int width, int height)
{
    m_fixedWidth = width;
    m_fixedHeight = height;
    m_sizeFixed = true;
}

bool TRLCustomControl::IsMeasurable() const
{
    return m_autoSize || m_autoExpand || static_cast<bool>(OnMeasureHeight);
}

void TRLCustomControl::MeasureHeight()
{
    if (!m_visible || !IsMeasurable() || m_state.has(stMeasuringHeights))
        return;
    StateGuard guard(m_state, stMeasuringHeights);
    InternalMeasureHeight();
    if (OnMeasureHeight)
        OnMeasureHeight(this);
    AdjustBounds();
}

void TRLCustomControl::InternalMeasureHeight()
{
    QString text;
    InternalMakeCaption(text);
    SetCaption(text);
}

void TRLCustomControl::PushBoundsRect()
{
    m_peekBounds = BoundsRect();
}

void TRLCustomControl::PopBoundsRect()
{
    StateGuard guard(m_state, stRestoringBounds);
    SetBoundsRect(m_peekBounds);
}

void TRLCustomControl::AdjustBounds()
{
    if (m_state.has(stAdjustingBounds))
        return;
    StateGuard guard(m_state, stAdjustingBounds);
    int w = m_width, h = m_height;
    CalcSize(w, h);
    int left = m_left, top = m_top;
    switch (m_alignment) {
    case taRightJustify:
        left = m_left + m_width - w;
        break;
    case taCenter:
        if (w % 2)
            ++w;
        left = m_left + (m_width - w) / 2;
        break;
    default:
        break;
    }
    switch (m_layout) {
    case tlBottom:
        top = m_top + m_height - h;
        break;
    case tlCenter:
        if (h % 2)
            ++h;
        top = m_top + (m_height - h) / 2;
        break;
    default:
        break;
    }
    SetBounds(left, top, w, h);
}

void TRLCustomControl::Realign()
{
    if (m_parent)
        m_parent->RealignControls();
}

void TRLCustomControl::CalcSize(int &width, int &height)
{
    width = m_width;
    height = m_height;
}

TRect TRLCustomControl::CalcNonClientRect() const
{
    TRect r;
    const int w = m_borders.Width();
    if (w > 0) {
        if (m_borders.CanDrawLeft())
            r.Left = w + 1;
        if (m_borders.CanDrawTop())
            r.Top = w + 1;
        if (m_borders.CanDrawRight())
            r.Right = w + 1;
        if (m_borders.CanDrawBottom())
            r.Bottom = w + 1;
    }
    return r;
}

TRect TRLCustomControl::ClientRect() const
{
    const TRect nc = CalcNonClientRect();
    return TRect{nc.Left, nc.Top, m_width - nc.Right, m_height - nc.Bottom};
}

TRect TRLCustomControl::CalcPrintBoundsRect() const
{
    // Offset by every ancestor that is not a site (none in a band of plain controls).
    return BoundsRect();
}

TRect TRLCustomControl::ReportBoundsRect() const
{
    TRect r = BoundsRect();
    for (const TRLCustomSite *s = m_parent; s; s = s->Parent()) {
        r.Left += s->Left();
        r.Top += s->Top();
        r.Right += s->Left();
        r.Bottom += s->Top();
    }
    return r;
}

TRect TRLCustomControl::CalcClientPrintRect() const
{
    TRect r = CalcPrintBoundsRect();
    const int w = m_borders.Width();
    if (w > 0) {
        if (m_borders.CanDrawLeft())
            r.Left += w;
        if (m_borders.CanDrawTop())
            r.Top += w;
        if (m_borders.CanDrawRight())
            r.Right -= w;
        if (m_borders.CanDrawBottom())
            r.Bottom -= w;
    }
    return r;
}

TRect TRLCustomControl::CalcPrintSizeRect() const
{
    const TRect r = CalcPrintBoundsRect();
    return TRect{0, 0, r.Width(), r.Height()};
}

void TRLCustomControl::InternalMakeCaption(QString &text)
{
    text = Caption();
}

void TRLCustomControl::Print()
{
    StateGuard guard(m_state, stPrinting);
    InternalPrint();
}

void TRLCustomControl::DrawBoundsFrame(TRLGraphicSurface &surface, const TRect &rect)
{
    surface.SetGeneratorId(this);
    NewGroupId();
    if (!m_transparent) {
        TBrush brush;
        brush.Color = Color();
        brush.Style = TBrushStyle::bsSolid;
        surface.SetBrush(brush);
        surface.FillRect(rect);
    }
    m_borders.PaintTo(surface, rect);
}

void TRLCustomControl::InternalPrint()
{
    if (TRLGraphicSurface *surface = FindParentSurface())
        DrawBoundsFrame(*surface, CalcPrintBoundsRect());
}

bool TRLCustomControl::CanPrint()
{
    m_couldPrint = m_visible;
    if (!m_couldPrint)
        return false;
    if (BeforePrintEvent)
        BeforePrintEvent(this, m_couldPrint);
    QString text;
    const TRLCustomBand *band = FindParentBand();
    if (!(band && band->IsBlank()))
        InternalMakeCaption(text);
    if (BeforeText)
        BeforeText(this, text, m_couldPrint);
    if (m_couldPrint) {
        const TRLCustomReport *report = FindParentReport();
        if (report && report->OnFilterText)
            report->OnFilterText(this, text, m_couldPrint);
    }
    if (m_couldPrint)
        SetCaption(text);
    return m_couldPrint;
}

// ---------------------------------------------------------------------------
// Ancestors

TRLCustomSite *TRLCustomControl::FindParentSite() const
{
    return m_parent;
}

TRLCustomBand *TRLCustomControl::FindParentBand() const
{
    for (TRLCustomSite *s = m_parent; s; s = s->Parent())
        if (TRLCustomBand *b = s->AsBand())
            return b;
    return nullptr;
}

TRLCustomGroup *TRLCustomControl::FindParentGroup() const
{
    for (TRLCustomSite *s = m_parent; s; s = s->Parent()) {
        if (auto *g = dynamic_cast<TRLCustomGroup *>(s))
            return g;
        if (s->AsPager())
            return nullptr;
    }
    return nullptr;
}

TRLCustomPager *TRLCustomControl::FindParentPager() const
{
    for (TRLCustomSite *s = m_parent; s; s = s->Parent())
        if (TRLCustomPager *p = s->AsPager())
            return p;
    return nullptr;
}

TRLCustomSkipper *TRLCustomControl::FindParentSkipper() const
{
    for (TRLCustomControl *c = const_cast<TRLCustomControl *>(this); c; c = c->m_parent)
        if (TRLCustomSkipper *k = c->AsSkipper())
            return k;
    return nullptr;
}

TRLCustomReport *TRLCustomControl::FindParentReport() const
{
    // Reports are never placed inside other controls: the report is the root.
    TRLCustomControl *c = const_cast<TRLCustomControl *>(this);
    while (c->m_parent)
        c = c->m_parent;
    return c->AsReport();
}

namespace {
[[noreturn]] void notFound(const TRLCustomControl *c, const char *what)
{
    throw Exception(LS().LS_NotFoundStr + QStringLiteral(": ") + c->Name() + QLatin1String(what));
}
} // namespace

TRLCustomPager *TRLCustomControl::RequestParentPager() const
{
    if (TRLCustomPager *p = FindParentPager())
        return p;
    notFound(this, ".ParentPager");
}

TRLCustomSkipper *TRLCustomControl::RequestParentSkipper() const
{
    if (TRLCustomSkipper *p = FindParentSkipper())
        return p;
    notFound(this, ".ParentSkipper");
}

TRLCustomReport *TRLCustomControl::RequestParentReport() const
{
    if (TRLCustomReport *p = FindParentReport())
        return p;
    notFound(this, ".ParentReport");
}

TRLGraphicSurface *TRLCustomControl::RequestParentSurface() const
{
    if (TRLGraphicSurface *s = FindParentSurface())
        return s;
    notFound(this, ".ParentSurface");
}

TRLGraphicSurface *TRLCustomControl::FindParentSurface() const
{
    return m_parent ? &m_parent->Surface() : nullptr;
}

TRLCustomReport *TRLCustomControl::MasterReport() const
{
    TRLCustomReport *r = FindParentReport();
    while (r && r->PriorReport())
        r = r->PriorReport();
    return r;
}

TRLCustomReport *TRLCustomControl::LastReport() const
{
    TRLCustomReport *r = FindParentReport();
    while (r && r->NextReport())
        r = r->NextReport();
    return r;
}

// ---------------------------------------------------------------------------
// Label

TRLCustomLabel::TRLCustomLabel(TRLCustomSite *parent) : TRLCustomControl(parent)
{
    setBoundsRaw(0, 0, 65, 17);
    SetAutoSizeDir(TRLAutoSizeDirSet{asWidthDir});
    SetAutoSize(true);
}

namespace {
// Width of the caption as the page stores it (Windows-1252 bytes) followed by
// one space, the way the engine has always measured captions; summed here
// without making the bytes.
int measuredWidth(const FontResource &font, const QString &caption)
{
    int width = font.advances[' '];
    for (QChar ch : caption)
        width += font.advances[cp1252::toByte(ch.unicode())];
    return width;
}
} // namespace

void TRLCustomLabel::CalcSize(int &width, int &height)
{
    width = Width();
    height = Height();
    if (!AutoSize())
        return;
    QString text = Caption();
    if (text.isEmpty() && !IsPreparing())
        text = Name();
    const FontResource &font = Font().Resource();
    width = measuredWidth(font, text);
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
    const std::string caption = cp1252::encode(Caption());
    const FontResource &font = Font().Resource();
    const int s = font.advances[' '];
    const TPoint origin = CaptionOrigin(r, font.width(caption) + s, font.height(), s);
    const int x = origin.X, y = origin.Y;
    static constexpr std::uint8_t kAlignment[] = {MetaTextAlignmentLeft, MetaTextAlignmentRight,
                                                  MetaTextAlignmentCenter, MetaTextAlignmentJustify};
    static constexpr std::uint8_t kLayout[] = {MetaTextLayoutTop, MetaTextLayoutCenter, MetaTextLayoutBottom,
                                               MetaTextLayoutTop};
    TBrush brush;
    brush.Style = TBrushStyle::bsClear;
    surface->SetBrush(brush);
    const std::uint16_t flags = MetaTextFlagNoSplit | (AutoSize() ? MetaTextFlagAutoSize : 0);
    surface->TextRectEx(r, x, y, caption, kAlignment[Alignment()], kLayout[Layout()], flags);
    if (AfterPrint)
        AfterPrint(this);
}

TPoint TRLCustomLabel::CaptionOrigin(const TRect &r, int w, int h, int s) const
{
    TPoint p;
    switch (Alignment()) {
    case taRightJustify:
        p.X = r.Right - w + s / 2;
        break;
    case taCenter:
        p.X = (r.Left + r.Right - w) / 2 + s / 2;
        break;
    default:
        p.X = r.Left + s / 2;
        break;
    }
    switch (Layout()) {
    case tlBottom:
        p.Y = r.Bottom - h;
        break;
    case tlCenter:
        p.Y = (r.Top + r.Bottom - h) / 2;
        break;
    default:
        p.Y = r.Top;
        break;
    }
    return p;
}

// ---------------------------------------------------------------------------
// Data-bound text

void TRLCustomDBText::SetDataField(const QString &f)
{
    m_dataField = f;
    if (!f.isEmpty())
        m_dataFormula.clear();
    AdjustBounds();
}

void TRLCustomDBText::SetDataFormula(const QString &f)
{
    m_dataFormula = f;
    if (!f.isEmpty())
        m_dataField.clear();
    AdjustBounds();
}

TDataSet *TRLCustomDBText::DataSet() const
{
    return m_dataSource ? m_dataSource->DataSet() : nullptr;
}

TField *TRLCustomDBText::Field() const
{
    TDataSet *ds = DataSet();
    return ds && !m_dataField.isEmpty() ? ds->FindField(m_dataField) : nullptr;
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
    } else if (!m_dataField.isEmpty()) {
        TField *f = Field();
        fieldText = f ? f->DisplayLabel() : m_dataField;
    } else if (!m_dataFormula.isEmpty()) {
        fieldText = QStringLiteral("(") + m_dataFormula + QStringLiteral(")");
    } else {
        fieldText = Name();
    }
    if (m_text.isEmpty()) {
        text = fieldText;
    } else {
        const qsizetype hash = m_text.indexOf(u'#');
        text = hash >= 0 ? QString(m_text).replace(hash, 1, fieldText) : m_text + fieldText;
    }
}

} // namespace prenso
