#include "data/LineTable.h"
#include "platform/system/codepage.h"
#include "platform/system/errors.h"
#include "support/test_support.h"

#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <gtest/gtest.h>

using namespace prenso;
using prenso::test::TempDir;

namespace {
std::vector<int> walk(TLineTable &t)
{
    std::vector<int> order;
    for (t.First(); !t.Eof(); t.Next())
        order.push_back(t.CurrentIndice());
    return order;
}

void expectEmpty(const TempDir &dir)
{
    const QStringList left = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    EXPECT_TRUE(left.isEmpty()) << "left behind: " << left.join(u' ').toStdString();
}

void insertLine(TLineTable &t, int indice, const QString &text)
{
    t.Insert();
    t.SetFieldText(QStringLiteral("LINHA"), text);
    t.SetFieldInteger(QStringLiteral("INDICE"), indice);
    t.Post();
}
} // namespace

TEST(LineTable, WalksInIndiceOrderWhateverTheInsertionOrder)
{
    TLineTable t;
    t.CreateDataSet();
    t.SetIndexFieldNames(QStringLiteral("INDICE"));
    insertLine(t, 3, QStringLiteral("c"));
    insertLine(t, 1, QStringLiteral("a"));
    insertLine(t, 2, QStringLiteral("b"));
    insertLine(t, 2, QStringLiteral("b2")); // duplicates are accepted and keep their order
    EXPECT_EQ(walk(t), (std::vector<int>{1, 2, 2, 3}));
    t.First();
    t.Next();
    t.Next();
    EXPECT_EQ(t.FindField(QStringLiteral("linha"))->DisplayText(), QStringLiteral("b2"));
    EXPECT_EQ(t.RecordCount(), 4);
}

TEST(LineTable, StoresAtMost250BytesAndStopsAtNul)
{
    TLineTable t;
    t.CreateDataSet();
    insertLine(t, 1, QString(300, u'x'));
    t.Insert();
    t.SetFieldBytes(QStringLiteral("LINHA"), std::string("ab\0cd", 5));
    t.SetFieldInteger(QStringLiteral("INDICE"), 2);
    t.Post();
    insertLine(t, 3, QStringLiteral("Fatura nº 12 — ação €"));
    t.First();
    EXPECT_EQ(t.CurrentLinha().size(), 250u);
    t.Next();
    EXPECT_EQ(t.CurrentLinha(), "ab");
    t.Next();
    EXPECT_EQ(t.FindField(QStringLiteral("LINHA"))->DisplayText(), QStringLiteral("Fatura nº 12 — ação €"));
    EXPECT_EQ(t.FindField(QStringLiteral("NOPE")), nullptr);
}

TEST(LineTable, CloseWritesAnXmlPacketThatReadsBack)
{
    TempDir dir;
    const QString name = dir.file(QStringLiteral("R1.XML"));
    TLineTable t;
    t.SetFileName(name);
    t.CreateDataSet();
    insertLine(t, 1, QStringLiteral("\fPÁGINA 2 <a & \"b\">"));
    insertLine(t, 2, QString());
    t.Close();
    EXPECT_FALSE(t.Active());
    QFile f(name);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QDomDocument doc;
    ASSERT_TRUE(doc.setContent(&f)) << "the packet must be well-formed XML";
    EXPECT_EQ(doc.documentElement().tagName(), QStringLiteral("DATAPACKET"));
    const auto rows = doc.elementsByTagName(QStringLiteral("ROW"));
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows.at(0).toElement().attribute(QStringLiteral("INDICE")), QStringLiteral("1"));
    EXPECT_TRUE(
        rows.at(0).toElement().attribute(QStringLiteral("LINHA")).endsWith(QStringLiteral("PÁGINA 2 <a & \"b\">")));
    EXPECT_EQ(doc.elementsByTagName(QStringLiteral("FIELD")).size(), 2);
}

// Every byte a line can hold comes back from the packet as its character,
// read by an XML parser of its own: the delimiters, tab, line feed and
// carriage return (which an attribute would otherwise turn into blanks), the
// typographic signs; control characters, which XML cannot carry, as U+E000
// plus their code.
TEST(LineTable, EveryByteComesBackFromThePacket)
{
    TempDir dir;
    const QString name = dir.file(QStringLiteral("R2.XML"));
    TLineTable t;
    t.SetFileName(name);
    t.CreateDataSet();
    std::string all;
    for (int b = 1; b < 256; ++b)
        all += static_cast<char>(b);
    t.AppendLine(1, all.substr(0, 128));
    t.AppendLine(2, all.substr(128));
    t.Close();
    QFile f(name);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QDomDocument doc;
    ASSERT_TRUE(doc.setContent(&f));
    const auto rows = doc.elementsByTagName(QStringLiteral("ROW"));
    ASSERT_EQ(rows.size(), 2);
    for (int r = 0; r < 2; ++r) {
        QString expected = cp1252::decode(r == 0 ? all.substr(0, 128) : all.substr(128));
        for (QChar &c : expected)
            if (c.unicode() < 0x20 && c != u'\t' && c != u'\n' && c != u'\r')
                c = QChar(0xE000 + c.unicode());
        EXPECT_EQ(rows.at(r).toElement().attribute(QStringLiteral("LINHA")), expected) << "row " << r;
        EXPECT_EQ(rows.at(r).toElement().attribute(QStringLiteral("INDICE")), QString::number(r + 1));
    }
}

TEST(LineTable, CloseRules)
{
    TempDir dir;
    // A table with a name and no records still writes its file; other
    // extensions get the compact form.
    const QString name = dir.file(QStringLiteral("scratch.cds"));
    TLineTable t;
    t.SetFileName(name);
    t.CreateDataSet();
    t.Close();
    EXPECT_TRUE(QFile::exists(name));
    EXPECT_EQ(test::readFile(name).substr(0, 4), "PLT1");
    // Closing a closed table writes nothing.
    QFile::remove(name);
    t.Close();
    EXPECT_FALSE(QFile::exists(name));
    // Opening an open table keeps its records.
    t.CreateDataSet();
    insertLine(t, 1, QStringLiteral("a"));
    t.Open();
    EXPECT_EQ(t.RecordCount(), 1);
}

// Also when the file was being written ahead: the error names the scratch
// file, not the writer's own temporary name.
TEST(LineTable, ScratchFileThatCannotBeCreated)
{
    for (const bool ahead : {false, true}) {
        TempDir dir;
        const QString name = dir.file(QStringLiteral("missing/R.XML"));
        TLineTable t;
        t.SetFileName(name);
        t.CreateDataSet();
        insertLine(t, 1, QStringLiteral("a"));
        if (ahead)
            t.WriteAhead();
        try {
            t.Close();
            FAIL() << "close must fail";
        } catch (const EFCreateError &e) {
            EXPECT_TRUE(e.message().startsWith(QStringLiteral("Cannot create file \"%1\". ").arg(name))) << e.what();
        }
    }
}

// Writing ahead must give exactly the file a plain close gives, under the
// scratch file's name only once the table is closed, and nothing at all when
// the table is dropped before that.
TEST(LineTable, WriteAheadGivesTheSameFileAtClose)
{
    TempDir dir;
    auto fill = [](TLineTable &t) {
        for (int i = 1; i <= 2000; ++i)
            insertLine(t, i, QStringLiteral("Linha %1 — ação <&> \f").arg(i));
    };
    const QString plain = dir.file(QStringLiteral("plain.XML"));
    {
        TLineTable t;
        t.SetFileName(plain);
        t.CreateDataSet();
        fill(t);
        t.Close();
    }
    const QString ahead = dir.file(QStringLiteral("ahead.XML"));
    TLineTable t;
    t.SetFileName(ahead);
    t.CreateDataSet();
    fill(t);
    t.WriteAhead();
    // The report walks the table meanwhile.
    int walked = 0;
    for (t.First(); !t.Eof(); t.Next())
        walked += t.CurrentLinha().empty() ? 0 : 1;
    EXPECT_EQ(walked, 2000);
    EXPECT_FALSE(QFile::exists(ahead)) << "the scratch file appears only at close";
    t.Close();
    ASSERT_TRUE(QFile::exists(ahead));
    EXPECT_EQ(test::readFile(ahead), test::readFile(plain));
    QFile::remove(ahead);
    QFile::remove(plain);
    expectEmpty(dir);
}

TEST(LineTable, ChangesAfterWriteAheadAreWritten)
{
    TempDir dir;
    const QString name = dir.file(QStringLiteral("R.XML"));
    TLineTable t;
    t.SetFileName(name);
    t.CreateDataSet();
    insertLine(t, 1, QStringLiteral("primeira"));
    t.WriteAhead();
    insertLine(t, 2, QStringLiteral("segunda, depois"));
    t.Close();
    const std::string written = test::readFile(name);
    EXPECT_NE(written.find("primeira"), std::string::npos);
    EXPECT_NE(written.find("segunda, depois"), std::string::npos);

    // A new name after writing ahead: the packet goes under the new name
    // (and in its form), nothing under the old one.
    const QString other = dir.file(QStringLiteral("R.cds"));
    t.SetFileName(name);
    QFile::remove(name);
    t.CreateDataSet();
    insertLine(t, 1, QStringLiteral("x"));
    t.WriteAhead();
    t.SetFileName(other);
    t.Close();
    EXPECT_FALSE(QFile::exists(name));
    EXPECT_EQ(test::readFile(other).substr(0, 4), "PLT1");
}

TEST(LineTable, WriteAheadLeavesNothingWhenTheTableIsDropped)
{
    TempDir dir;
    const QString name = dir.file(QStringLiteral("R.XML"));
    {
        TLineTable t;
        t.SetFileName(name);
        t.CreateDataSet();
        for (int i = 1; i <= 500; ++i)
            insertLine(t, i, QStringLiteral("linha"));
        t.WriteAhead();
        // A print that fails never closes the table.
    }
    expectEmpty(dir);
}
