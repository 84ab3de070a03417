#include "report/filters/draft/RLDraftPage.h"

#include "platform/graphics/canvas.h"
#include "platform/graphics/pictures.h"
#include "platform/system/codepage.h"
#include "platform/system/session.h"
#include "report/storage/RLMetaConversions.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <limits>

namespace prenso {

namespace {

// The vertical unit of the session's draft printing: 12 steps a line, unless
// set otherwise.
struct DraftUnits {
    int verticalUnit = 12;
};

int truncToInt(double v)
{
    if (std::isnan(v))
        return 0;
    if (v >= static_cast<double>(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (v <= static_cast<double>(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return static_cast<int>(std::trunc(v));
}

bool isGapChar(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// A frame or bar drawn with thousands of characters is a damaged page, not a
// form: no page of paper holds more, and the limit keeps memory bounded.
constexpr int kMaxDraftRepeat = 65536;
// The longest sheet: as many lines of 1/6 inch as the longest repeat, some
// 277 metres; also the widest.
constexpr int kMaxDraftSheetPixels = kMaxDraftRepeat * kDesignPixelsPerInch / 6;
// Pictures larger than this many dots (some 16 times an A4 page) are damaged
// records; they are left out rather than allocated.
constexpr long long kMaxImageDots = 1LL << 24;

// How many cells of width `cell` fit between two positions, as a division
// that truncates toward zero; damaged pages with far-apart positions get at
// most kMaxDraftRepeat.
int cellsBetween(int from, int to, int cell)
{
    const long long n = (static_cast<long long>(to) - from) / cell;
    return static_cast<int>(std::min<long long>(n, kMaxDraftRepeat));
}

// The y of line k of `rows` lines spread over the height of `b`.
int lineTop(const TRect &b, int k, int rows)
{
    const long long step = (static_cast<long long>(b.Bottom) - b.Top) / rows;
    return static_cast<int>(b.Top + k * step);
}

bool darkEnough(const TRLMetaColor &c)
{
    return (c.Red + c.Green + c.Blue) / 3.0 <= 127;
}

struct AccentTables {
    std::array<char, 256> mark{};
    std::array<char, 256> base{};
    std::array<bool, 256> accented{};
};

const AccentTables &accentTables()
{
    static const AccentTables tables = [] {
        AccentTables t;
        const std::string letters = cp1252::encode(QStringLiteral(u"áàãâäÁÀÃÂÄéèêëÉÈÊËíìîïÍÌÎÏóòõôöÓÒÕÔÖúùûüÚÙÛÜçÇºª"));
        const std::string marks = cp1252::encode(QStringLiteral(u"'`~^¨'`~^¨'`^¨'`^¨'`^¨'`^¨'`~^¨'`~^¨'`^¨'`^¨,,__"));
        const std::string bases = cp1252::encode(QStringLiteral(u"aaaaaAAAAAeeeeEEEEiiiiIIIIoooooOOOOOuuuuUUUUcCoa"));
        for (size_t i = 0; i < letters.size(); ++i) {
            const auto c = static_cast<unsigned char>(letters[i]);
            t.accented[c] = true;
            t.mark[c] = marks[i];
            t.base[c] = bases[i];
        }
        return t;
    }();
    return tables;
}

constexpr int kDitherTable[4][4] = {
    {0, 192, 48, 240},
    {128, 64, 176, 112},
    {32, 224, 16, 208},
    {160, 96, 144, 80},
};

} // namespace

int DraftVerticalUnit()
{
    return Session::current().part<DraftUnits>().verticalUnit;
}

void SetDraftVerticalUnit(int unitsPerLine)
{
    Session::current().part<DraftUnits>().verticalUnit = unitsPerLine;
}

double DraftHorizontalScale(TRLPageOrientation orientation, int optionIndex)
{
    if (orientation == TRLPageOrientation::poPortrait && optionIndex == 2)
        return 1.65;
    if (orientation == TRLPageOrientation::poLandscape && optionIndex == 1)
        return 0.6060606060606061;
    return 1.0;
}

int TRLDraftUnits::Column(int x) const
{
    return truncToInt(12.0 * (PixelsToInches(FScale * (static_cast<double>(x) - FCut.X)) * 10.0));
}

int TRLDraftUnits::Row(int y) const
{
    return truncToInt(DraftVerticalUnit() * (PixelsToInches(static_cast<double>(y) - FCut.Y) * 6.0));
}

int DraftCharWidth(int cpp)
{
    return cpp > 0 ? RoundCoord(120.0 / cpp) : 12;
}

std::string_view DraftPitchSample()
{
    return "In addition, a check is made to see if the screen or printer is a palette device, and if so, "
           "palette handling for the device is enabled.";
}

int DraftPitchForRatio(double k)
{
    if (k <= 5)
        return 5;
    if (k <= 10)
        return 10;
    if (k <= 12)
        return 12;
    if (k <= 17)
        return 17;
    return 20;
}

int DraftPitchForSampleWidth(int sampleWidth)
{
    // A font that measures nothing has no width to go by; the division by
    // zero gives the narrowest pitch, as it always did.
    return DraftPitchForRatio(kDesignPixelsPerInch / (sampleWidth * 1.4 / 136.0));
}

std::string DraftCutText(std::string_view text, int n, TRLMetaTextAlignment alignment)
{
    if (n <= 0)
        return std::string();
    const int len = static_cast<int>(text.size());
    // Positions count from 1 here, as the copy they describe does.
    auto copy = [&](int pos) { return std::string(text.substr(static_cast<size_t>(pos - 1), static_cast<size_t>(n))); };
    switch (alignment) {
    case MetaTextAlignmentRight: return copy(std::max(1, len - n + 1));
    case MetaTextAlignmentCenter: return copy(std::max(1, (len - n) / 2));
    case MetaTextAlignmentJustify: return DraftJustifyText(copy(1), n);
    default: return copy(1);
    }
}

std::string DraftJustifyText(std::string_view text, int n)
{
    // No line of any carriage is this long: bounds that ask for more come
    // from a damaged page, and widening stops here.
    n = std::min(n, std::max(kMaxDraftRepeat, static_cast<int>(std::min<size_t>(text.size(), INT_MAX))));
    const long long extra = static_cast<long long>(n) - static_cast<long long>(text.size());
    if (extra <= 0)
        return std::string(text);
    // Gaps are runs of separators, the leading and trailing ones too; spaces
    // go into them one at a time from the right, starting again at the
    // right end after the leftmost.
    const size_t end = text.size();
    std::vector<size_t> gaps;
    for (size_t i = 0; i < end;) {
        if (isGapChar(text[i])) {
            gaps.push_back(i);
            while (i < end && isGapChar(text[i]))
                ++i;
        } else {
            ++i;
        }
    }
    if (gaps.empty())
        return std::string(text);
    const long long g = static_cast<long long>(gaps.size());
    std::string out;
    out.reserve(static_cast<size_t>(n));
    size_t from = 0;
    for (long long k = 0; k < g; ++k) {
        const long long fromRight = g - 1 - k;
        const long long add = extra / g + (fromRight < extra % g ? 1 : 0);
        const size_t at = gaps[static_cast<size_t>(k)];
        out.append(text.substr(from, at - from));
        out.append(static_cast<size_t>(add), ' ');
        from = at;
    }
    out.append(text.substr(from));
    return out;
}

std::string DraftPrintableText(std::string_view text)
{
    // 128 to 159 in Windows-1252:  € . ‚ ƒ „ … † ‡ ˆ ‰ Š ‹ Œ . Ž . . ‘ ’ “ ” • – — ˜ ™ š › œ . ž Ÿ
    // (the five unassigned bytes shown as ".") and what the printer gets for each:
    static constexpr std::string_view kHigh = "E ,f\".++^%S<O Z  ''\"\"*--~Ts>o zY";
    static_assert(kHigh.size() == 32);
    std::string out(text);
    for (char &ch : out) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 32 || c == 127)
            ch = ' ';
        else if (c >= 128 && c <= 159)
            ch = kHigh[c - 128];
    }
    return out;
}

std::string DraftApplyAccents(std::string_view text, TRLDraftAccentMethod method, std::string_view backspace)
{
    if (method == TRLDraftAccentMethod::amSustain)
        return std::string(text);
    const AccentTables &t = accentTables();
    std::string out;
    out.reserve(text.size());
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (!t.accented[c]) {
            out += ch;
        } else if (method == TRLDraftAccentMethod::amOverwrite) {
            out += t.mark[c];
            out += backspace;
            out += t.base[c];
        } else {
            out += t.base[c];
        }
    }
    return out;
}

char DraftHorizontalFrameChar(TRLLineDrawMethod method, int penWidth)
{
    switch (method) {
    case TRLLineDrawMethod::ldMinusAndPipe: return penWidth < 2 ? '-' : '=';
    case TRLLineDrawMethod::ldGraphicCharset: return static_cast<char>(penWidth < 2 ? 196 : 205);
    default: return ' ';
    }
}

char DraftVerticalFrameChar(TRLLineDrawMethod method, int penWidth)
{
    switch (method) {
    case TRLLineDrawMethod::ldMinusAndPipe: return '|';
    case TRLLineDrawMethod::ldGraphicCharset: return static_cast<char>(penWidth < 2 ? 179 : 186);
    default: return ' ';
    }
}

char DraftFillChar(TRLFillArtMethod method)
{
    switch (method) {
    case TRLFillArtMethod::fmLetterX: return 'x';
    case TRLFillArtMethod::fmGraphicCharset: return static_cast<char>(219);
    default: return ' ';
    }
}

// ---------------------------------------------------------------------------

void TRLDraftPageList::Add(std::unique_ptr<TDraftObj> obj)
{
    // The list stays sorted by top, so the walk can start at the first item
    // on the new item's row and ends at the first item below it.
    const int top = obj->PinBounds.Top;
    const int left = obj->PinBounds.Left;
    auto it = std::partition_point(FItems.begin(), FItems.end(),
                                   [top](const std::unique_ptr<TDraftObj> &e) { return e->PinBounds.Top < top; });
    if (obj->ObjKind() == TDraftObj::Kind::Text) {
        const auto &t = static_cast<const TDraftText &>(*obj);
        for (; it != FItems.end() && (*it)->PinBounds.Top == top; ++it) {
            if ((*it)->ObjKind() == TDraftObj::Kind::Image)
                break;
            const auto &e = static_cast<const TDraftText &>(**it);
            if (e.CPP == t.CPP && e.Style == t.Style && left < e.PinBounds.Left)
                break;
        }
    } else {
        for (; it != FItems.end() && (*it)->PinBounds.Top == top; ++it)
            if (left < (*it)->PinBounds.Left)
                break;
    }
    FItems.insert(it, std::move(obj));
}

std::vector<TDraftStrip> DraftDitherImage(const QImage &source, TRLDitheringMethod method, std::mt19937 &random)
{
    std::vector<TDraftStrip> strips;
    if (source.isNull() || method == TRLDitheringMethod::dmNone)
        return strips;
    const QImage image = source.format() == QImage::Format_RGB32 || source.format() == QImage::Format_ARGB32
                             ? source
                             : source.convertToFormat(QImage::Format_RGB32);
    const int w = image.width(), h = image.height();
    std::uniform_int_distribution<int> noise(0, 255);
    for (int y0 = 0; y0 < h; y0 += 8) {
        TDraftStrip strip;
        strip.Rows = std::min(8, h - y0);
        strip.Columns.assign(static_cast<size_t>(w), '\0');
        for (int r = 0; r < strip.Rows; ++r) {
            const int y = y0 + r;
            const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
            const unsigned char bit = static_cast<unsigned char>(0x80u >> r);
            for (int x = 0; x < w; ++x) {
                const int grey = (qRed(line[x]) + qGreen(line[x]) + qBlue(line[x])) / 3;
                const int v = 2 * (grey - 128) + 128;
                const int threshold =
                    method == TRLDitheringMethod::dmColorTable ? kDitherTable[y % 4][x % 4] : noise(random);
                if (v < threshold)
                    strip.Columns[static_cast<size_t>(x)] =
                        static_cast<char>(strip.Columns[static_cast<size_t>(x)] | bit);
            }
        }
        strips.push_back(std::move(strip));
    }
    return strips;
}

// ---------------------------------------------------------------------------

TRLDraftPageBuilder::TRLDraftPageBuilder() : FRandom(std::random_device{}())
{}

void TRLDraftPageBuilder::SetSettings(const TRLDraftPageSettings &settings)
{
    // The scale and the pitch rules decide the measured size; a cached pitch
    // stays good only while they do not change.
    if (settings.Units.Scale() != FSettings.Units.Scale() || settings.CPPSelection != FSettings.CPPSelection ||
        settings.StretchCharWidth != FSettings.StretchCharWidth)
        FPitchCache.clear();
    FSettings = settings;
}

int TRLDraftPageBuilder::PitchFor(const QString &fontName, int size)
{
    switch (FSettings.CPPSelection) {
    case TRLCPPSelection::csFixed5CPP: return 5;
    case TRLCPPSelection::csFixed10CPP: return 10;
    case TRLCPPSelection::csFixed12CPP: return 12;
    case TRLCPPSelection::csFixed17CPP: return 17;
    case TRLCPPSelection::csFixed20CPP: return 20;
    case TRLCPPSelection::csAutomatic: break;
    }
    const double s = FSettings.Units.Scale();
    int measured = size;
    switch (FSettings.StretchCharWidth) {
    case TRLStretchCharWidth::scEnlargementsOnly:
        if (s > 1)
            measured = RoundCoord(s * size);
        break;
    case TRLStretchCharWidth::scShrinksOnly:
        if (s < 1)
            measured = RoundCoord(s * size);
        break;
    case TRLStretchCharWidth::scAlways: measured = RoundCoord(s * size); break;
    case TRLStretchCharWidth::scNone: break;
    }
    const auto key = std::make_pair(fontName, measured);
    if (auto it = FPitchCache.find(key); it != FPitchCache.end())
        return it->second;

    // The measuring canvas is shared: its font is put back afterwards.
    TCanvas &canvas = MeasureCanvas();
    const TFont saved = canvas.Font();
    TFont font;
    font.SetName(fontName);
    font.SetSize(measured);
    canvas.SetFont(font);
    const int width = canvas.TextWidth(DraftPitchSample());
    canvas.SetFont(saved);

    const int pitch = DraftPitchForSampleWidth(width);
    FPitchCache.emplace(key, pitch);
    return pitch;
}

void TRLDraftPageBuilder::Build(const TRLGraphicPage &page, TRLDraftPageList &list)
{
    // What starts beyond the sheet's right or bottom edge is off the paper,
    // as on every other output; leaving it out also keeps a damaged page
    // from feeding the paper or moving the head without end.
    // A page that does not say its size, or says one beyond any sheet, ends
    // at the longest sheet there is: a text further off would have the
    // stream feed paper or send blanks by the hundred million.
    const TRLDraftUnits &u = FSettings.Units;
    const auto edge = [](int pixels) {
        return pixels > 0 ? std::min(pixels, kMaxDraftSheetPixels) : kMaxDraftSheetPixels;
    };
    FLimit = TPoint{u.Column(edge(page.Width())), u.Row(edge(page.Height()))};
    // Lines, ellipses, polygons, pixels and clipping have no draft form.
    struct Collect : TRLGraphicVisitor {
        TRLDraftPageBuilder &builder;
        TRLDraftPageList &list;
        Collect(TRLDraftPageBuilder &b, TRLDraftPageList &l) : builder(b), list(l) {}
        void VisitText(const TRLTextObject &o) override { builder.addText(o, list); }
        void VisitRectangle(const TRLRectangleObject &o) override { builder.addFrame(o, list); }
        void VisitFillRect(const TRLFillRectObject &o) override { builder.addFill(o, list); }
        void VisitImage(const TRLImageObject &o) override { builder.addImage(o, list); }
    } collect(*this, list);
    for (int i = 0; i < page.ObjectCount(); ++i)
        page.Objects(i)->Accept(collect);
}

void TRLDraftPageBuilder::add(TRLDraftPageList &list, std::unique_ptr<TDraftObj> item)
{
    if (item->PinBounds.Left >= FLimit.X || item->PinBounds.Top >= FLimit.Y)
        return;
    list.Add(std::move(item));
}

void TRLDraftPageBuilder::addText(const TRLTextObject &obj, TRLDraftPageList &list)
{
    const TRLDraftUnits &u = FSettings.Units;
    auto item = std::make_unique<TDraftText>();
    item->CPP = PitchFor(obj.Font().Name(), obj.Font().Size());
    item->Style = obj.Font().Style();
    item->Text = obj.DisplayText();
    const int cw = DraftCharWidth(item->CPP);
    const TRect &b = obj.BoundsRect();
    if (!(obj.TextFlags() & MetaTextFlagAutoSize)) {
        const int n = cellsBetween(u.Column(b.Left), u.Column(b.Right), cw) + 1;
        item->Text = DraftCutText(item->Text, n, obj.Alignment());
    }
    const long long width = static_cast<long long>(item->Text.size()) * cw;
    long long left;
    switch (obj.Alignment()) {
    case MetaTextAlignmentRight: left = u.Column(b.Right) - width; break;
    case MetaTextAlignmentCenter:
        left = (static_cast<long long>(u.Column(b.Left)) + u.Column(b.Right) - width) / 2;
        break;
    default: left = u.Column(obj.Origin().X); break;
    }
    const int top = u.Row(obj.Origin().Y);
    item->PinBounds = TRect{static_cast<int>(std::clamp<long long>(left, INT_MIN, INT_MAX)), top,
                            SatAdd(static_cast<int>(std::clamp<long long>(left, INT_MIN, INT_MAX)),
                                   static_cast<int>(std::min<long long>(width, INT_MAX))),
                            SatAdd(top, DraftVerticalUnit())};
    add(list, std::move(item));
}

void TRLDraftPageBuilder::addChars(TRLDraftPageList &list, int cpp, char ch, int count, int left, int top)
{
    auto item = std::make_unique<TDraftText>();
    item->CPP = cpp;
    item->Text.assign(static_cast<size_t>(count), ch);
    item->PinBounds = TRect{left, top, SatAdd(left, count * DraftCharWidth(cpp)), SatAdd(top, DraftVerticalUnit())};
    add(list, std::move(item));
}

void TRLDraftPageBuilder::addFrame(const TRLRectangleObject &obj, TRLDraftPageList &list)
{
    const TRLDraftPageSettings &s = FSettings;
    if (s.LineDrawMethod == TRLLineDrawMethod::ldNone || obj.Pen().Style() != MetaPenStyleSolid ||
        !darkEnough(obj.Pen().Color()))
        return;
    const TRLDraftUnits &u = s.Units;
    // Frames are drawn at the pitch of the smallest text a form carries.
    const int cpp = PitchFor(QStringLiteral("Arial"), 6);
    const int cw = DraftCharWidth(cpp), ch = DraftVerticalUnit();
    const TRect &b = obj.BoundsRect();
    const int cols = cellsBetween(u.Column(b.Left), u.Column(b.Right), cw);
    const int rows = cellsBetween(u.Row(b.Top), u.Row(b.Bottom), ch);
    const int width = obj.Pen().Width();
    if (cols > 0) {
        const char edge = DraftHorizontalFrameChar(s.LineDrawMethod, width);
        addChars(list, cpp, edge, cols, u.Column(b.Left), SatAdd(u.Row(b.Top), -(ch / 2)));
        if (rows > 1)
            addChars(list, cpp, edge, cols, u.Column(b.Left), SatAdd(u.Row(b.Bottom), -(ch / 2)));
    }
    if (rows > 0) {
        const char edge = DraftVerticalFrameChar(s.LineDrawMethod, width);
        for (int k = 0; k < rows; ++k) {
            const int top = u.Row(lineTop(b, k, rows));
            addChars(list, cpp, edge, 1, SatAdd(u.Column(b.Left), -(cw / 2)), top);
            if (cols > 1)
                addChars(list, cpp, edge, 1, SatAdd(u.Column(b.Right), -(cw / 2)), top);
        }
    }
}

void TRLDraftPageBuilder::addFill(const TRLFillRectObject &obj, TRLDraftPageList &list)
{
    const TRLDraftPageSettings &s = FSettings;
    if (s.FillArtMethod == TRLFillArtMethod::fmNone || obj.Brush().Style() != MetaBrushStyleSolid ||
        !darkEnough(obj.Brush().Color()))
        return;
    const TRLDraftUnits &u = s.Units;
    const int cpp = PitchFor(QStringLiteral("Arial"), 6);
    const int cw = DraftCharWidth(cpp), ch = DraftVerticalUnit();
    const TRect &b = obj.BoundsRect();
    const char fill = DraftFillChar(s.FillArtMethod);
    const int cols = cellsBetween(u.Column(b.Left), u.Column(b.Right), cw);
    if (cols > 0) {
        addChars(list, cpp, fill, cols, u.Column(b.Left), SatAdd(u.Row(b.Top), -(ch / 2)));
        return;
    }
    const int rows = cellsBetween(u.Row(b.Top), u.Row(b.Bottom), ch);
    for (int k = 0; k < rows; ++k)
        addChars(list, cpp, fill, 1, SatAdd(u.Column(b.Left), -(cw / 2)), u.Row(lineTop(b, k, rows)));
}

void TRLDraftPageBuilder::addImage(const TRLImageObject &obj, TRLDraftPageList &list)
{
    const TRLDraftPageSettings &s = FSettings;
    if (s.DitheringMethod == TRLDitheringMethod::dmNone)
        return;
    const std::unique_ptr<TGraphic> graphic = FromMetaGraphic(obj.Data());
    if (!graphic || graphic->Empty())
        return;
    const TRect &b = obj.BoundsRect();
    // Dots: 120 per inch across, about 72 down, from 96 page pixels per inch.
    const int w = RoundCoord(1.26 * (static_cast<double>(b.Right) - b.Left));
    const int h = RoundCoord(0.72 * (static_cast<double>(b.Bottom) - b.Top));
    // The bit-image command counts at most 65535 dot columns.
    if (w <= 0 || h <= 0 || w > 65535 || static_cast<long long>(w) * h > kMaxImageDots)
        return;
    TBitmap bitmap(w, h);
    bitmap.Canvas().StretchDraw(TRect{0, 0, w, h}, *graphic);
    const std::vector<TDraftStrip> strips = DraftDitherImage(bitmap.Image(), s.DitheringMethod, FRandom);
    const TRLDraftUnits &u = s.Units;
    const int left = u.Column(b.Left), right = u.Column(b.Right), top = u.Row(b.Top);
    // A dot row is 1/72 inch, whatever the family counts rows in: five rows
    // of 1/360 inch on ESC/P 2. Strips placed a dot row per unit there would
    // print over each other.
    const int unitsPerDotRow = std::max(1, DraftVerticalUnit() / 12);
    int dotRowsAbove = 0;
    for (const TDraftStrip &strip : strips) {
        auto item = std::make_unique<TDraftImage>();
        item->Columns = strip.Columns;
        item->Rows = strip.Rows;
        const int stripTop = SatAdd(top, dotRowsAbove * unitsPerDotRow);
        item->PinBounds = TRect{left, stripTop, right, SatAdd(stripTop, strip.Rows * unitsPerDotRow)};
        dotRowsAbove += strip.Rows;
        add(list, std::move(item));
    }
}

} // namespace prenso
