#include "report/filters/pdf/RLPDFFonts.h"

#include "platform/graphics/fontprogram.h"
#include "platform/system/codepage.h"
#include "platform/system/errors.h"
#include "report/filters/pdf/RLPDFFile.h"
#include "report/filters/pdf/RLPDFFontMetrics.h"
#include "report/filters/pdf/RLPDFFormat.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace prenso {
namespace {

// The 14 fonts every PDF reader has, in their own spelling.
constexpr std::array<const char *, 14> kStandardFonts = {
    "Courier",          "Courier-Bold",   "Courier-Oblique",   "Courier-BoldOblique",
    "Helvetica",        "Helvetica-Bold", "Helvetica-Oblique", "Helvetica-BoldOblique",
    "Symbol",           "Times-Roman",    "Times-Bold",        "Times-Italic",
    "Times-BoldItalic", "ZapfDingbats"};

QString withoutSpaces(const QString &name)
{
    QString s = name;
    s.remove(u' ');
    return s;
}

// The standard font a name stands for, or null. A family's plain face takes
// the variant of the style, so that a bold Courier text is bold in the file
// too; a name that already names a variant is kept.
const char *standardFontName(const QString &name, TFontStyles style)
{
    const QString key = withoutSpaces(name);
    int index = -1;
    for (size_t i = 0; i < kStandardFonts.size(); ++i)
        if (key.compare(QLatin1String(kStandardFonts[i]), Qt::CaseInsensitive) == 0)
            index = static_cast<int>(i);
    if (index < 0)
        return nullptr;
    const bool bold = style & fsBold;
    const bool italic = style & fsItalic;
    const int variant = (bold ? 1 : 0) + (italic ? 2 : 0);
    if (index == 0 || index == 4) // Courier, Helvetica: plain, bold, oblique, bold oblique
        return kStandardFonts[static_cast<size_t>(index + variant)];
    if (index == 9) // Times-Roman, then Bold, Italic, BoldItalic
        return kStandardFonts[static_cast<size_t>(9 + variant)];
    return kStandardFonts[static_cast<size_t>(index)];
}

// The characters a font shows, as Unicode: the printable bytes of
// Windows-1252 (the unassigned ones stand for control characters, which
// have no glyph).
std::vector<char32_t> charactersOf(const std::bitset<256> &shown)
{
    std::vector<char32_t> out;
    for (int c = 32; c < 256; ++c) {
        if (!shown.test(static_cast<size_t>(c)) || c == 127)
            continue;
        const char16_t u = cp1252::toUnicode(static_cast<unsigned char>(c));
        if (u >= 0x20 && (u < 0x7F || u > 0x9F))
            out.push_back(u);
    }
    return out;
}

// A subset's name begins with six capital letters that differ between
// subsets of one face; taken from what the subset holds, the same document
// gives the same name every time.
std::string subsetTag(const QString &name, TFontStyles style, const std::bitset<256> &shown)
{
    std::uint64_t h = 1469598103934665603ull;
    auto mix = [&h](std::uint64_t v) {
        h ^= v;
        h *= 1099511628211ull;
    };
    for (const QChar c : name)
        mix(c.unicode());
    mix(style);
    for (size_t i = 0; i < shown.size(); ++i)
        mix(shown.test(i) ? i + 1 : 0);
    std::string tag(6, 'A');
    for (char &c : tag) {
        c = static_cast<char>('A' + h % 26);
        h /= 26;
    }
    return tag;
}

// The name a font is written under when it is not embedded: the family
// without blanks, then its style, as readers look faces up.
std::string styledBaseName(const QString &name, TFontStyles style)
{
    std::string baseName = PDFName(cp1252::encode(withoutSpaces(name)));
    const bool bold = style & fsBold;
    const bool italic = style & fsItalic;
    if (bold && italic)
        baseName += ",BoldItalic";
    else if (bold)
        baseName += ",Bold";
    else if (italic)
        baseName += ",Italic";
    if (style & fsUnderline)
        baseName += ",Underline";
    if (style & fsStrikeOut)
        baseName += ",StrikeOut";
    return baseName;
}

// The /Widths array, 18 widths to a line.
void writeWidths(TRLPDFFile &file, const TRLMetaFontMetrics &metrics, int first, int last)
{
    file.WriteLn("/Widths [");
    std::string line;
    for (int code = first, n = 1; code <= last; ++code, ++n) {
        line += std::to_string(metrics.Widths[static_cast<size_t>(code)]) + ' ';
        if (n % 18 == 0 || code == last) {
            file.WriteLn(line);
            line.clear();
        }
    }
    file.WriteLn("]");
}

// The font dictionary of a font that is not one of the 14; the object
// number it reserves for its descriptor.
int writeFontDictionary(TRLPDFFile &file, int objectNumber, const std::string &fontId, const std::string &baseName,
                        bool cff, const TRLMetaFontMetrics &metrics)
{
    const int first = std::clamp(metrics.FirstChar, 0, 255);
    const int last = std::clamp(metrics.LastChar, first, 255);
    file.BeginDictionaryObj(objectNumber);
    file.WriteLn(std::string(cff ? "/Type/Font/Subtype/Type1/Name" : "/Type/Font/Subtype/TrueType/Name") + fontId +
                 "/BaseFont/" + baseName);
    file.WriteLn("/FirstChar " + std::to_string(first));
    file.WriteLn("/LastChar " + std::to_string(last));
    writeWidths(file, metrics, first, last);
    const int descriptor = file.ReserveObjNumber();
    file.WriteLn("/FontDescriptor " + PDF_IndirectObjStr(descriptor));
    file.WriteLn("/Encoding/WinAnsiEncoding");
    file.EndDictionaryObj();
    return descriptor;
}

// The font descriptor; `fontFile` is the object of the embedded program,
// 0 for none.
void writeFontDescriptor(TRLPDFFile &file, int descriptor, const std::string &baseName, const TRLMetaFontDescriptor &d,
                         int fontFile, bool cff)
{
    file.BeginDictionaryObj(descriptor);
    file.WriteLn("/Type/FontDescriptor");
    file.WriteLn("/FontName/" + baseName);
    file.WriteLn("/Flags 32");
    file.WriteLn("/FontBBox [ " + std::to_string(d.FontBBox.Left) + ' ' + std::to_string(d.FontBBox.Bottom) + ' ' +
                 std::to_string(d.FontBBox.Right) + ' ' + std::to_string(d.FontBBox.Top) + " ]");
    file.WriteLn("/MissingWidth 0");
    file.WriteLn("/StemV 73");
    file.WriteLn("/StemH 73");
    // The metrics give tenths of a degree; PDF wants degrees.
    file.WriteLn("/ItalicAngle " + PDF_FloatToStr(d.ItalicAngle / 10.0));
    file.WriteLn("/CapHeight " + std::to_string(d.CapHeight));
    file.WriteLn("/XHeight " + std::to_string(d.XHeight));
    file.WriteLn("/Ascent " + std::to_string(d.Ascent));
    // Below the baseline, so negative in PDF.
    file.WriteLn("/Descent " + std::to_string(-std::abs(d.Descent)));
    file.WriteLn("/Leading " + std::to_string(d.Leading));
    file.WriteLn("/MaxWidth " + std::to_string(d.MaxWidth));
    file.WriteLn("/AvgWidth " + std::to_string(d.AvgWidth));
    if (fontFile)
        file.WriteLn((cff ? "/FontFile3 " : "/FontFile2 ") + PDF_IndirectObjStr(fontFile));
    file.EndDictionaryObj();
}

} // namespace

void TRLPDFFonts::Clear()
{
    FFonts.clear();
    FLast = 0;
}

int TRLPDFFonts::Register(TRLPDFFile &file, const QString &name, TFontStyles style,
                          const std::shared_ptr<const fonts::FontFace> &face)
{
    style &= 15;
    if (FLast > 0) {
        const Entry &last = FFonts[static_cast<size_t>(FLast - 1)];
        if (last.Style == style && last.Name.size() == std::min<qsizetype>(name.size(), 127) &&
            last.Name.compare(QStringView(name).left(127), Qt::CaseInsensitive) == 0)
            return FLast;
    }
    const QString key = name.left(127);
    for (size_t i = 0; i < FFonts.size(); ++i)
        if (FFonts[i].Style == style && FFonts[i].Name.compare(key, Qt::CaseInsensitive) == 0)
            return FLast = static_cast<int>(i) + 1;
    FFonts.push_back(Entry{key, style, file.ReserveObjNumber(), face, {}});
    return FLast = static_cast<int>(FFonts.size());
}

void TRLPDFFonts::WriteAll(TRLPDFFile &file, const FontMetricsProvider &metrics, Embedding embedding)
{
    for (int i = 0; i < static_cast<int>(FFonts.size()); ++i)
        WriteFont(file, i, metrics, embedding);
}

void TRLPDFFonts::WriteFont(TRLPDFFile &file, int index, const FontMetricsProvider &metricsOf, Embedding embedding)
{
    const Entry &font = FFonts[static_cast<size_t>(index)];
    const std::string fontId = "/F" + std::to_string(index + 1);
    const char *standard = standardFontName(font.Name, font.Style);

    fonts::FontProgram program;
    if (embedding != Embedding::Off && font.Face)
        program = fonts::subsetFontProgram(*font.Face, charactersOf(font.Shown));
    const bool embedded = program.kind != fonts::FontProgramKind::None;
    if (!embedded && embedding == Embedding::Required)
        throw Exception(QStringLiteral("The font \"%1\" cannot be embedded in the file").arg(font.Name));
    if (standard && !embedded) {
        file.BeginDictionaryObj(font.ObjectNumber);
        file.WriteLn("/Type/Font/Subtype/Type1/Name" + fontId + "/BaseFont/" + standard + "/Encoding/WinAnsiEncoding");
        file.EndDictionaryObj();
        return;
    }

    TRLMetaFontMetrics metrics;
    metricsOf(font.Name, font.Style, metrics);
    // Embedded, the face's own name: the style is in the face itself.
    const std::string baseName =
        embedded ? subsetTag(font.Name, font.Style, font.Shown) + '+' + PDFName(program.postScriptName.toStdString())
                 : styledBaseName(font.Name, font.Style);

    const bool cff = program.kind == fonts::FontProgramKind::Cff;
    const int descriptor = writeFontDictionary(file, font.ObjectNumber, fontId, baseName, cff, metrics);
    const int fontFile = embedded ? file.ReserveObjNumber() : 0;
    writeFontDescriptor(file, descriptor, baseName, metrics.FontDescriptor, fontFile, cff);

    if (embedded) {
        const std::string_view data(program.data.constData(), static_cast<size_t>(program.data.size()));
        file.WriteStreamObj(fontFile, cff ? "/Subtype/Type1C" : "/Length1 " + std::to_string(data.size()), data);
    }
}

} // namespace prenso
