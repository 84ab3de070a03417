#include "data/LineTable.h"

#include "platform/codepage.h"
#include "platform/errors.h"
#include "platform/files.h"

#include <QFile>
#include <QXmlStreamWriter>

#include <algorithm>
#include <cstring>
#include <system_error>

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
        if (!FAheadOk || !files::renameFile(FAheadName, FFileName))
            writeFile(); // again here, so that a failure is told with the scratch file's own name
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
    QString reason;
    if (!writeTo(FFileName, &reason))
        throw EFCreateError(QStringLiteral("Cannot create file \"%1\". %2").arg(FFileName, reason));
}

bool TLineTable::writeTo(const QString &path, QString *reason) const
{
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        *reason = out.errorString();
        return false;
    }
    if (FFileName.endsWith(QLatin1String(".xml"), Qt::CaseInsensitive))
        writeXml(out);
    else
        writeCompact(out);
    if (!out.flush() || out.error() != QFileDevice::NoError) {
        *reason = out.errorString();
        out.close();
        files::deleteFile(path);
        return false;
    }
    return true;
}

void TLineTable::WriteAhead()
{
    dropWriteAhead();
    if (!FActive || FFileName.isEmpty())
        return;
    // A name of our own beside the scratch file (a rename never crosses
    // file systems then), created exclusively; without one Close writes as
    // usual.
    for (int attempt = 0; attempt < 10 && FAheadName.isEmpty(); ++attempt) {
        const QString candidate = FFileName + QStringLiteral(".~%1").arg(attempt);
        QFile probe(candidate);
        if (probe.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            FAheadName = candidate;
    }
    if (FAheadName.isEmpty())
        return;
    files::registerTempFile(FAheadName);
    // The records do not change while the writer runs: every change first
    // waits for it (dropWriteAhead).
    try {
        FWriter = std::thread([this] {
            QString reason;
            FAheadOk = writeTo(FAheadName, &reason);
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
    if (!FAheadName.isEmpty()) {
        if (files::fileExists(FAheadName))
            files::deleteFile(FAheadName);
        files::unregisterTempFile(FAheadName);
        FAheadName.clear();
    }
    FAheadOk = false;
}

void TLineTable::writeXml(QIODevice &out) const
{
    // XML 1.0 cannot carry most control characters, not even as references;
    // they are written as the private-use characters U+E000 + code so that the
    // packet stays well formed and no line is lost.
    auto xmlText = [](const std::string &bytes) {
        QString s = cp1252::decode(bytes);
        for (QChar &c : s)
            if (c.unicode() < 0x20 && c != u'\t' && c != u'\n' && c != u'\r')
                c = QChar(0xE000 + c.unicode());
        return s;
    };
    QXmlStreamWriter xml(&out);
    xml.writeStartDocument(QStringLiteral("1.0"), true);
    xml.writeStartElement(QStringLiteral("DATAPACKET"));
    xml.writeAttribute(QStringLiteral("Version"), QStringLiteral("2.0"));
    xml.writeStartElement(QStringLiteral("METADATA"));
    xml.writeStartElement(QStringLiteral("FIELDS"));
    xml.writeEmptyElement(QStringLiteral("FIELD"));
    xml.writeAttribute(QStringLiteral("attrname"), QStringLiteral("INDICE"));
    xml.writeAttribute(QStringLiteral("fieldtype"), QStringLiteral("i4"));
    xml.writeEmptyElement(QStringLiteral("FIELD"));
    xml.writeAttribute(QStringLiteral("attrname"), QStringLiteral("LINHA"));
    xml.writeAttribute(QStringLiteral("fieldtype"), QStringLiteral("string"));
    xml.writeAttribute(QStringLiteral("WIDTH"), QString::number(kLinhaSize));
    xml.writeEndElement(); // FIELDS
    xml.writeEmptyElement(QStringLiteral("PARAMS"));
    xml.writeEndElement(); // METADATA
    xml.writeStartElement(QStringLiteral("ROWDATA"));
    for (const Record &r : FRecords) {
        xml.writeEmptyElement(QStringLiteral("ROW"));
        xml.writeAttribute(QStringLiteral("INDICE"), QString::number(r.indice));
        xml.writeAttribute(QStringLiteral("LINHA"), xmlText(r.linha));
    }
    xml.writeEndElement(); // ROWDATA
    xml.writeEndElement(); // DATAPACKET
    xml.writeEndDocument();
}

void TLineTable::writeCompact(QIODevice &out) const
{
    // The table's own packet: a tag, the record count, then per record the
    // index and the text with its length, little-endian.
    auto put32 = [&out](uint32_t v) {
        char b[4] = {char(v & 0xFF), char((v >> 8) & 0xFF), char((v >> 16) & 0xFF), char((v >> 24) & 0xFF)};
        out.write(b, 4);
    };
    out.write("PLT1", 4);
    put32(static_cast<uint32_t>(FRecords.size()));
    for (const Record &r : FRecords) {
        put32(static_cast<uint32_t>(r.indice));
        put32(static_cast<uint32_t>(r.linha.size()));
        out.write(r.linha.data(), static_cast<qint64>(r.linha.size()));
    }
}

} // namespace prenso
