#include "data/LineTable.h"
#include "platform/codepage.h"
#include "platform/errors.h"
#include "support/test_support.h"

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
    EXPECT_TRUE(rows.at(0).toElement().attribute(QStringLiteral("LINHA")).endsWith(QStringLiteral("PÁGINA 2 <a & \"b\">")));
    EXPECT_EQ(doc.elementsByTagName(QStringLiteral("FIELD")).size(), 2);
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

TEST(LineTable, ScratchFileThatCannotBeCreated)
{
    TempDir dir;
    const QString name = dir.file(QStringLiteral("missing/R.XML"));
    TLineTable t;
    t.SetFileName(name);
    t.CreateDataSet();
    insertLine(t, 1, QStringLiteral("a"));
    try {
        t.Close();
        FAIL() << "close must fail";
    } catch (const EFCreateError &e) {
        EXPECT_TRUE(e.message().startsWith(QStringLiteral("Cannot create file \"%1\". ").arg(name))) << e.what();
    }
}
