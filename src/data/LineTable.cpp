#include "data/LineTable.h"

#include "platform/io/files.h"
#include "platform/io/safefile.h"
#include "platform/system/codepage.h"
#include "platform/system/errors.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace prenso {

class TLineTable::Field : public TField {
public:
    Field(TLineTable *table, bool isIndice) : FTable(table), FIsIndice(isIndice) {}
    QString FieldName() const override { return FIsIndice ? QStringLiteral("INDICE") : QStringLiteral("LINHA"); }
    QString DisplayText() const override
    {
        if (FTable->Eof())
            return QString();
        return FIsIndice ? QString::number(FTable->CurrentIndice()) : cp1252::decode(FTable->CurrentLinha());
    }

private:
    TLineTable *FTable;
    bool FIsIndice;
};

TLineTable::TLineTable()
    : FFieldIndice(std::make_unique<Field>(this, true)), FFieldLinha(std::make_unique<Field>(this, false))
{}

namespace {

files::SafeFile::Durability durabilityOf(bool scratch)
{
    return scratch ? files::SafeFile::Durability::Unflushed : files::SafeFile::Durability::Flushed;
}

} // namespace

TLineTable::~TLineTable()
{
    dropWriteAhead();
}

std::string TLineTable::cut(std::string_view bytes)
{
    // A NUL ends the stored text; at most 250 bytes are kept.
    const size_t nul = bytes.find('\0');
    if (nul != std::string_view::npos)
        bytes = bytes.substr(0, nul);
    if (bytes.size() > kLinhaSize)
        bytes = bytes.substr(0, kLinhaSize);
    return std::string(bytes);
}

void TLineTable::Close()
{
    if (!FActive) {
        dropWriteAhead();
        return;
    }
    if (!FFileName.isEmpty() && (FChanged || !files::fileExists(FFileName))) {
        finishWriteAhead();
        if (FAhead && FAheadOk) {
            std::unique_ptr<files::SafeFile> ahead = std::move(FAhead);
            ahead->commit();
        } else {
            dropWriteAhead();
            writeFile(); // again here, so that a failure is told as it happens
        }
    }
    CloseWithoutWriting();
}

void TLineTable::CloseWithoutWriting()
{
    dropWriteAhead();
    FRecords.clear();
    FRecords.shrink_to_fit();
    FCursor = 0;
    FInserting = false;
    FActive = false;
    FChanged = false;
}

void TLineTable::SetFileName(const QString &name)
{
    if (name == FFileName)
        return;
    dropWriteAhead(); // the writer reads the name
    FFileName = name;
}

void TLineTable::CreateDataSet()
{
    dropWriteAhead();
    FRecords.clear();
    FCursor = 0;
    FInserting = false;
    FActive = true;
    FChanged = false;
}

void TLineTable::Open()
{
    if (FActive)
        return;
    CreateDataSet();
}

void TLineTable::Insert()
{
    FInserting = true;
    FPending = Record{};
}

void TLineTable::SetFieldText(const QString &fieldName, const QString &text)
{
    SetFieldBytes(fieldName, cp1252::encode(text));
}

void TLineTable::SetFieldBytes(const QString &fieldName, std::string_view bytes)
{
    if (!FInserting)
        throw Exception(QStringLiteral("Dataset not in edit or insert mode"), "EDatabaseError");
    if (fieldName.compare(QLatin1String("LINHA"), Qt::CaseInsensitive) == 0)
        FPending.linha = cut(bytes);
    else if (fieldName.compare(QLatin1String("INDICE"), Qt::CaseInsensitive) == 0)
        FPending.indice = StrToInt(cp1252::decode(bytes));
    else
        throw Exception(QStringLiteral("Field '%1' not found").arg(fieldName), "EDatabaseError");
}

void TLineTable::SetFieldInteger(const QString &fieldName, int32_t value)
{
    if (!FInserting)
        throw Exception(QStringLiteral("Dataset not in edit or insert mode"), "EDatabaseError");
    if (fieldName.compare(QLatin1String("INDICE"), Qt::CaseInsensitive) == 0)
        FPending.indice = value;
    else if (fieldName.compare(QLatin1String("LINHA"), Qt::CaseInsensitive) == 0)
        FPending.linha = std::to_string(value);
    else
        throw Exception(QStringLiteral("Field '%1' not found").arg(fieldName), "EDatabaseError");
}

void TLineTable::Post()
{
    if (!FInserting)
        return;
    FInserting = false;
    AppendLine(FPending.indice, FPending.linha);
}

void TLineTable::AppendLine(int32_t indice, std::string_view bytes)
{
    if (!FActive)
        throw Exception(QStringLiteral("Cannot perform this operation on a closed dataset"), "EDatabaseError");
    dropWriteAhead();
    // Lines arrive in order, so appending is the common case; anything else
    // goes after the last record with the same key.
    auto pos = FRecords.end();
    if (!FRecords.empty() && FRecords.back().indice > indice)
        pos = std::upper_bound(FRecords.begin(), FRecords.end(), indice,
                               [](int32_t key, const Record &r) { return key < r.indice; });
    const auto at = FRecords.insert(pos, Record{indice, cut(bytes)});
    FCursor = static_cast<size_t>(at - FRecords.begin());
    FChanged = true;
}

void TLineTable::First()
{
    FCursor = 0;
}

void TLineTable::Next()
{
    if (FCursor < FRecords.size())
        ++FCursor;
}

bool TLineTable::Eof() const
{
    return !FActive || FCursor >= FRecords.size();
}

namespace {
// Letter case ignored. A bound control asks for its field once per record:
// an ASCII name is compared here, anything else by Qt's case folding.
bool sameFieldName(const QString &name, QLatin1String field)
{
    if (name.size() != field.size())
        return false;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name[i].unicode();
        if (c >= 0x80)
            return name.compare(field, Qt::CaseInsensitive) == 0;
        const char16_t upper = c >= u'a' && c <= u'z' ? char16_t(c - 32) : c;
        if (upper != field[i].unicode())
            return false;
    }
    return true;
}
} // namespace

TField *TLineTable::FindField(const QString &name)
{
    if (sameFieldName(name, QLatin1String("LINHA")))
        return FFieldLinha.get();
    if (sameFieldName(name, QLatin1String("INDICE")))
        return FFieldIndice.get();
    return nullptr;
}

int32_t TLineTable::CurrentIndice() const
{
    return Eof() ? 0 : FRecords[FCursor].indice;
}

const std::string &TLineTable::CurrentLinha() const
{
    static const std::string empty;
    return Eof() ? empty : FRecords[FCursor].linha;
}

void TLineTable::writeFile() const
{
    files::SafeFile out(FFileName, false, durabilityOf(FScratch));
    writePacket(out);
    out.commit();
}

void TLineTable::writePacket(files::SafeFile &out) const
{
    if (FFileName.endsWith(QLatin1String(".xml"), Qt::CaseInsensitive))
        writeXml(out);
    else
        writeCompact(out);
}

void TLineTable::WriteAhead()
{
    dropWriteAhead();
    FReserveFailed = false;
    FReserveError.clear();
    if (!FActive || FFileName.isEmpty())
        return;
    // The new file beside the scratch file that Close gives its name; when
    // it cannot be made, Close writes as usual and tells why.
    try {
        FAhead = std::make_unique<files::SafeFile>(FFileName, false, durabilityOf(FScratch));
    } catch (const Exception &) {
        return;
    }
    // The room for the whole packet is taken now, before the job prints: a
    // disk or a file size limit that has no room for it is found out while
    // nothing has been printed, and the writer cannot run short later.
    if (!FAhead->reserve(packetSize(), &FReserveError)) {
        dropWriteAhead();
        FReserveFailed = true;
        return;
    }
    // The records do not change while the writer runs: every change first
    // waits for it (dropWriteAhead).
    try {
        FWriter = std::thread([this] {
            try {
                writePacket(*FAhead);
                FAheadOk = true;
            } catch (const Exception &) {
                FAheadOk = false; // Close writes again and tells why
            }
        });
    } catch (const std::system_error &) {
        dropWriteAhead(); // no thread to be had: Close writes as it always did
    }
}

void TLineTable::finishWriteAhead()
{
    if (FWriter.joinable())
        FWriter.join();
}

void TLineTable::dropWriteAhead()
{
    finishWriteAhead();
    FAhead.reset(); // the unfinished file goes
    FAheadOk = false;
}

namespace {

// Each Windows-1252 byte as it stands in an attribute value of the packet:
// UTF-8, the delimiters as entities, tab, line feed and carriage return as
// character references (an attribute would turn them into spaces). XML 1.0
// cannot carry the other control characters, not even as references; they
// are written as the private-use characters U+E000 + code so that the packet
// stays well formed and no line is lost.
struct XmlByte {
    char text[8];
    std::uint8_t size;
};

std::array<XmlByte, 256> xmlBytes()
{
    std::array<XmlByte, 256> table{};
    for (int b = 0; b < 256; ++b) {
        char16_t u = cp1252::toUnicode(static_cast<unsigned char>(b));
        std::string s;
        switch (u) {
        case u'&': s = "&amp;"; break;
        case u'<': s = "&lt;"; break;
        case u'>': s = "&gt;"; break;
        case u'"': s = "&quot;"; break;
        case u'\t': s = "&#9;"; break;
        case u'\n': s = "&#10;"; break;
        case u'\r': s = "&#13;"; break;
        default:
            if (u < 0x20)
                u = static_cast<char16_t>(0xE000 + u);
            s = QString(QChar(u)).toUtf8().toStdString();
        }
        XmlByte &x = table[static_cast<size_t>(b)];
        std::memcpy(x.text, s.data(), s.size());
        x.size = static_cast<std::uint8_t>(s.size());
    }
    return table;
}

// The packet's fixed parts, around the rows.
constexpr std::string_view kXmlHead = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
                                      "<DATAPACKET Version=\"2.0\"><METADATA><FIELDS>"
                                      "<FIELD attrname=\"INDICE\" fieldtype=\"i4\"/>"
                                      "<FIELD attrname=\"LINHA\" fieldtype=\"string\" WIDTH=\"";
constexpr std::string_view kXmlFields = "\"/></FIELDS><PARAMS/></METADATA><ROWDATA>";
constexpr std::string_view kRowStart = "<ROW INDICE=\"";
constexpr std::string_view kRowBetween = "\" LINHA=\"";
constexpr std::string_view kRowEnd = "\"/>";
constexpr std::string_view kXmlTail = "</ROWDATA></DATAPACKET>\n";

size_t digitsOf(long long value)
{
    char digits[24];
    return static_cast<size_t>(std::to_chars(digits, digits + sizeof digits, value).ptr - digits);
}

} // namespace

// The size of the packet Close writes, to the byte.
std::uint64_t TLineTable::packetSize() const
{
    std::uint64_t size = 0;
    if (!FFileName.endsWith(QLatin1String(".xml"), Qt::CaseInsensitive)) {
        size = 8;
        for (const Record &r : FRecords)
            size += 8 + r.linha.size();
        return size;
    }
    static const std::array<XmlByte, 256> bytes = xmlBytes();
    size = kXmlHead.size() + digitsOf(kLinhaSize) + kXmlFields.size() + kXmlTail.size();
    for (const Record &r : FRecords) {
        size += kRowStart.size() + digitsOf(r.indice) + kRowBetween.size() + kRowEnd.size();
        for (const unsigned char c : std::string_view(r.linha).substr(0, kLinhaSize))
            size += bytes[c].size;
    }
    return size;
}

// The packet is made straight from the bytes of the records: the scratch
// file of a long form is written while the report lays out its pages, and a
// general XML writer cost as much as the layout itself.
void TLineTable::writeXml(files::SafeFile &out) const
{
    static const std::array<XmlByte, 256> bytes = xmlBytes();
    // Rows are written in place into a buffer with room for the longest row
    // past the point where it is handed on.
    constexpr size_t kFlushAt = 1 << 16;
    constexpr size_t kLongestRow =
        kRowStart.size() + 12 + kRowBetween.size() + kLinhaSize * sizeof(XmlByte::text) + kRowEnd.size();
    std::vector<char> buffer(kFlushAt + kLongestRow);
    char *const start = buffer.data();
    char *p = start;
    auto flush = [&] {
        out.write(std::string_view(start, static_cast<size_t>(p - start)));
        p = start;
    };
    auto put = [&p](std::string_view text) { p = std::copy(text.begin(), text.end(), p); };
    put(kXmlHead);
    p = std::to_chars(p, p + 12, kLinhaSize).ptr;
    put(kXmlFields);
    for (const Record &r : FRecords) {
        put(kRowStart);
        p = std::to_chars(p, p + 12, r.indice).ptr;
        put(kRowBetween);
        // A record holds at most kLinhaSize bytes; a longer one is cut, as
        // the table itself would cut it.
        const std::string_view linha(r.linha.data(), std::min<size_t>(r.linha.size(), kLinhaSize));
        for (const unsigned char c : linha) {
            const XmlByte &x = bytes[c];
            std::memcpy(p, x.text, sizeof x.text);
            p += x.size;
        }
        put(kRowEnd);
        if (static_cast<size_t>(p - start) >= kFlushAt)
            flush();
    }
    put(kXmlTail);
    flush();
}

void TLineTable::writeCompact(files::SafeFile &out) const
{
    // The table's own packet: a tag, the record count, then per record the
    // index and the text with its length, little-endian.
    auto put32 = [&out](uint32_t v) {
        char b[4] = {char(v & 0xFF), char((v >> 8) & 0xFF), char((v >> 16) & 0xFF), char((v >> 24) & 0xFF)};
        out.write(std::string_view(b, 4));
    };
    out.write("PLT1");
    put32(static_cast<uint32_t>(FRecords.size()));
    for (const Record &r : FRecords) {
        put32(static_cast<uint32_t>(r.indice));
        put32(static_cast<uint32_t>(r.linha.size()));
        out.write(r.linha);
    }
}

} // namespace prenso
