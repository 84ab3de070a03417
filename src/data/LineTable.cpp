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
    Field(TLineTable *table, bool isIndice) : m_table(table), m_isIndice(isIndice) {}
    QString FieldName() const override { return m_isIndice ? QStringLiteral("INDICE") : QStringLiteral("LINHA"); }
    QString DisplayText() const override
    {
        if (m_table->Eof())
            return QString();
        return m_isIndice ? QString::number(m_table->CurrentIndice()) : cp1252::decode(m_table->CurrentLinha());
    }

private:
    TLineTable *m_table;
    bool m_isIndice;
};

TLineTable::TLineTable()
    : m_fieldIndice(std::make_unique<Field>(this, true)), m_fieldLinha(std::make_unique<Field>(this, false))
{
}

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
    if (!m_active) {
        dropWriteAhead();
        return;
    }
    if (!m_fileName.isEmpty() && (m_changed || !files::fileExists(m_fileName))) {
        finishWriteAhead();
        if (!m_aheadOk || !files::renameFile(m_aheadName, m_fileName))
            writeFile(); // again here, so that a failure is told with the scratch file's own name
        dropWriteAhead();
    } else {
        dropWriteAhead();
    }
    m_records.clear();
    m_records.shrink_to_fit();
    m_cursor = 0;
    m_inserting = false;
    m_active = false;
    m_changed = false;
}

void TLineTable::SetFileName(const QString &name)
{
    if (name == m_fileName)
        return;
    dropWriteAhead(); // the writer reads the name
    m_fileName = name;
}

void TLineTable::CreateDataSet()
{
    dropWriteAhead();
    m_records.clear();
    m_cursor = 0;
    m_inserting = false;
    m_active = true;
    m_changed = false;
}

void TLineTable::Open()
{
    if (m_active)
        return;
    CreateDataSet();
}

void TLineTable::Insert()
{
    m_inserting = true;
    m_pending = Record{};
}

void TLineTable::SetFieldText(const QString &fieldName, const QString &text)
{
    SetFieldBytes(fieldName, cp1252::encode(text));
}

void TLineTable::SetFieldBytes(const QString &fieldName, std::string_view bytes)
{
    if (!m_inserting)
        throw Exception(QStringLiteral("Dataset not in edit or insert mode"), "EDatabaseError");
    if (fieldName.compare(QLatin1String("LINHA"), Qt::CaseInsensitive) == 0)
        m_pending.linha = cut(bytes);
    else if (fieldName.compare(QLatin1String("INDICE"), Qt::CaseInsensitive) == 0)
        m_pending.indice = StrToInt(cp1252::decode(bytes));
    else
        throw Exception(QStringLiteral("Field '%1' not found").arg(fieldName), "EDatabaseError");
}

void TLineTable::SetFieldInteger(const QString &fieldName, int32_t value)
{
    if (!m_inserting)
        throw Exception(QStringLiteral("Dataset not in edit or insert mode"), "EDatabaseError");
    if (fieldName.compare(QLatin1String("INDICE"), Qt::CaseInsensitive) == 0)
        m_pending.indice = value;
    else if (fieldName.compare(QLatin1String("LINHA"), Qt::CaseInsensitive) == 0)
        m_pending.linha = std::to_string(value);
    else
        throw Exception(QStringLiteral("Field '%1' not found").arg(fieldName), "EDatabaseError");
}

void TLineTable::Post()
{
    if (!m_inserting)
        return;
    m_inserting = false;
    AppendLine(m_pending.indice, m_pending.linha);
}

void TLineTable::AppendLine(int32_t indice, std::string_view bytes)
{
    if (!m_active)
        throw Exception(QStringLiteral("Cannot perform this operation on a closed dataset"), "EDatabaseError");
    dropWriteAhead();
    // Lines arrive in order, so appending is the common case; anything else
    // goes after the last record with the same key.
    auto pos = m_records.end();
    if (!m_records.empty() && m_records.back().indice > indice)
        pos = std::upper_bound(m_records.begin(), m_records.end(), indice,
                               [](int32_t key, const Record &r) { return key < r.indice; });
    const auto at = m_records.insert(pos, Record{indice, cut(bytes)});
    m_cursor = static_cast<size_t>(at - m_records.begin());
    m_changed = true;
}

void TLineTable::First()
{
    m_cursor = 0;
}

void TLineTable::Next()
{
    if (m_cursor < m_records.size())
        ++m_cursor;
}

bool TLineTable::Eof() const
{
    return !m_active || m_cursor >= m_records.size();
}

TField *TLineTable::FindField(const QString &name)
{
    if (name.compare(QLatin1String("LINHA"), Qt::CaseInsensitive) == 0)
        return m_fieldLinha.get();
    if (name.compare(QLatin1String("INDICE"), Qt::CaseInsensitive) == 0)
        return m_fieldIndice.get();
    return nullptr;
}

int32_t TLineTable::CurrentIndice() const
{
    return Eof() ? 0 : m_records[m_cursor].indice;
}

const std::string &TLineTable::CurrentLinha() const
{
    static const std::string empty;
    return Eof() ? empty : m_records[m_cursor].linha;
}

void TLineTable::writeFile() const
{
    QString reason;
    if (!writeTo(m_fileName, &reason))
        throw EFCreateError(QStringLiteral("Cannot create file \"%1\". %2").arg(m_fileName, reason));
}

bool TLineTable::writeTo(const QString &path, QString *reason) const
{
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        *reason = out.errorString();
        return false;
    }
    if (m_fileName.endsWith(QLatin1String(".xml"), Qt::CaseInsensitive))
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
    if (!m_active || m_fileName.isEmpty())
        return;
    // A name of our own beside the scratch file (a rename never crosses
    // file systems then), created exclusively; without one Close writes as
    // usual.
    for (int attempt = 0; attempt < 10 && m_aheadName.isEmpty(); ++attempt) {
        const QString candidate = m_fileName + QStringLiteral(".~%1").arg(attempt);
        QFile probe(candidate);
        if (probe.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            m_aheadName = candidate;
    }
    if (m_aheadName.isEmpty())
        return;
    files::registerTempFile(m_aheadName);
    // The records do not change while the writer runs: every change first
    // waits for it (dropWriteAhead).
    try {
        m_writer = std::thread([this] {
            QString reason;
            m_aheadOk = writeTo(m_aheadName, &reason);
        });
    } catch (const std::system_error &) {
        dropWriteAhead(); // no thread to be had: Close writes as it always did
    }
}

void TLineTable::finishWriteAhead()
{
    if (m_writer.joinable())
        m_writer.join();
}

void TLineTable::dropWriteAhead()
{
    finishWriteAhead();
    if (!m_aheadName.isEmpty()) {
        if (files::fileExists(m_aheadName))
            files::deleteFile(m_aheadName);
        files::unregisterTempFile(m_aheadName);
        m_aheadName.clear();
    }
    m_aheadOk = false;
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
    for (const Record &r : m_records) {
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
    put32(static_cast<uint32_t>(m_records.size()));
    for (const Record &r : m_records) {
        put32(static_cast<uint32_t>(r.indice));
        put32(static_cast<uint32_t>(r.linha.size()));
        out.write(r.linha.data(), static_cast<qint64>(r.linha.size()));
    }
}

} // namespace prenso
