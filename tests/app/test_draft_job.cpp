// Whole print jobs through the draft filter: the sample forms are read,
// laid out by the portrait and landscape reports and printed as printer
// commands into a file; reading the commands back gives the form's lines,
// in order, one printed line each, with a form feed per page.
#include "app/Principal.h"
#include "platform/io/files.h"
#include "platform/printing/printers.h"
#include "platform/system/errors.h"
#include "report/filters/draft/RLDraftFilter.h"
#include "report/pagination/RLReport.h"
#include "report/printing/RLPrinters.h"
#include "report/storage/RLGraphicStorage.h"
#include "support/escp_reader.h"
#include "support/test_support.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace prenso;
using prenso::test::EscpReader;
using prenso::test::TempDir;

namespace {

class DraftJob : public ::testing::Test {
protected:
    void SetUp() override
    {
        printing::setPrinterListSourceForTesting([] { return QStringList(); });
        ResetRLPrinterForTesting();
        tmpBefore = prenso::test::listFolder(QDir::tempPath());
        tmpBefore.removeAll(QDir(dir.path()).dirName());
    }
    void TearDown() override
    {
        filter.reset();
        form.reset();
        QStringList tmpAfter = prenso::test::listFolder(QDir::tempPath());
        tmpAfter.removeAll(QDir(dir.path()).dirName());
        EXPECT_EQ(tmpAfter, tmpBefore);
        printing::setPrinterListSourceForTesting({});
        ResetRLPrinterForTesting();
    }

    // Runs the job for a form file with the draft filter named on the
    // command line, as the business system does.
    std::string print(const QString &formFile, const QStringList &switches = {})
    {
        form = std::make_unique<TfrmPrincipal>(
            TfrmPrincipal::NoCreate{}, QStringList{QStringLiteral("Prenso"), QStringLiteral("/ARQ=") + formFile,
                                                   QStringLiteral("/MAT=RLDraftFilter1"), QStringLiteral("/DLG=NAO")} +
                                           switches);
        // The form's own draft filter when it carries one, else one put on it.
        TRLDraftFilter *draft = dynamic_cast<TRLDraftFilter *>(form->FindComponent(QStringLiteral("RLDraftFilter1")));
        if (!draft) {
            filter = std::make_unique<TRLDraftFilter>(form.get());
            filter->SetName(QStringLiteral("RLDraftFilter1"));
            draft = filter.get();
        }
        draft->SetShowProgress(false);
        draft->SetDeviceKind(TRLDeviceKind::dkFileName);
        draft->SetDevicePath(dir.file(QStringLiteral("out.prn")));
        draft->SetEjectMethod(TRLDraftEjectMethod::ejForceWithCode);
        form->FormCreate();
        const QString out = dir.file(QStringLiteral("out.prn"));
        return QFile::exists(out) ? prenso::test::readFile(out) : std::string(); // nothing sent
    }

    // The lines a form prints: form feeds are page breaks, trailing blanks
    // and empty lines print nothing, and the file ends at a Ctrl+Z.
    static std::vector<std::string> printable(std::string contents)
    {
        contents = contents.substr(0, contents.find('\x1A'));
        std::vector<std::string> lines;
        size_t start = 0;
        while (start < contents.size()) {
            size_t end = contents.find('\n', start);
            if (end == std::string::npos)
                end = contents.size();
            std::string line = contents.substr(start, end - start);
            start = end + 1;
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (!line.empty() && line.front() == '\f')
                line.erase(0, 1);
            while (!line.empty() && line.back() == ' ')
                line.pop_back();
            if (!line.empty())
                lines.push_back(line);
        }
        return lines;
    }

    // The printed lines of every page, less the report's left margin (the
    // indent they all share).
    static std::vector<std::string> printed(const EscpReader &r)
    {
        std::vector<std::string> lines;
        for (size_t p = 0; p < r.pages().size(); ++p)
            for (const auto &line : r.lines(p))
                lines.push_back(line.text);
        size_t indent = std::string::npos;
        for (const std::string &line : lines)
            indent = std::min(indent, line.find_first_not_of(' '));
        for (std::string &line : lines)
            line.erase(0, indent);
        return lines;
    }

    // The same lines, but that a typographic sign of the form (128 to 159,
    // control codes to the printer) prints as some plain character.
    static bool sameLine(const std::string &got, const std::string &want)
    {
        if (got.size() != want.size())
            return false;
        for (size_t i = 0; i < got.size(); ++i) {
            const auto w = static_cast<unsigned char>(want[i]), g = static_cast<unsigned char>(got[i]);
            if (w >= 128 && w <= 159 ? !(g >= 32 && g < 127) : g != w)
                return false;
        }
        return true;
    }

    static void expectSameLines(const std::vector<std::string> &got, const std::vector<std::string> &want)
    {
        EXPECT_EQ(got.size(), want.size());
        for (size_t i = 0; i < std::min(got.size(), want.size()); ++i)
            if (!sameLine(got[i], want[i])) {
                ADD_FAILURE() << "line " << i + 1 << " printed as\n  [" << got[i] << "]\ninstead of\n  [" << want[i]
                              << "]";
                return;
            }
    }

    TempDir dir;
    QStringList tmpBefore;
    std::unique_ptr<TfrmPrincipal> form;
    std::unique_ptr<TRLDraftFilter> filter;
};

} // namespace

TEST_F(DraftJob, SampleFormsPrintLineByLine)
{
    for (const char *sample : {"nota.txt", "relatorio132.txt", "etiquetas.txt"}) {
        SCOPED_TRACE(sample);
        const QString path = prenso::test::samplePath(QString::fromLatin1(sample));
        const std::string bytes = print(path);
        const EscpReader r(bytes);
        EXPECT_TRUE(r.errors().empty()) << r.errors().front();
        EXPECT_EQ(r.resets(), 1);
        const int pages = form->lastReport()->Pages().PageCount();
        EXPECT_GT(pages, 0);
        EXPECT_EQ(r.formFeeds(), pages);
        expectSameLines(printed(r), printable(prenso::test::readFile(path)));
        // Lines go down the page one after another, never up.
        for (size_t p = 0; p < r.pages().size(); ++p) {
            const auto lines = r.lines(p);
            for (size_t i = 1; i < lines.size(); ++i)
                EXPECT_GT(lines[i].y, lines[i - 1].y);
        }
        filter.reset();
        form.reset();
    }
}

TEST_F(DraftJob, WideFormPrintsLandscape)
{
    // Lines of over 200 characters turn the job to the landscape report.
    const QString path = prenso::test::samplePath(QStringLiteral("largo.txt"));
    const std::string bytes = print(path);
    const EscpReader r(bytes);
    EXPECT_TRUE(r.errors().empty());
    EXPECT_EQ(form->lastReport(), form->rlrPaisagem);
    expectSameLines(printed(r), printable(prenso::test::readFile(path)));
}

// /TAB= names the draft filter's character table, in any letter case; an
// unknown one stops the job before anything is sent, and a job that does not
// go through the draft filter pays no attention to it.
TEST_F(DraftJob, CharacterTableSwitch)
{
    const QString formFile = dir.file(QStringLiteral("acentos.txt"));
    prenso::test::writeFile(formFile, "A\xE7\xE3o\r\n"); // "Ação" in the system code page
    const std::string pc850 = DraftCharTableSelection(TRLDraftCharTable::ctPC850);
    struct Case {
        QStringList switches;
        std::string selection, word; // what the stream holds; empty word: nothing printed
        QString message;
    };
    const QString pdf = dir.file(QStringLiteral("arquivo.pdf"));
    const std::vector<Case> cases = {
        {{},
         "",
         "A,\x08"
         "c~\x08"
         "ao",
         {}},
        {{QStringLiteral("/TAB=pc850")}, pc850, "A\x87\xC6o", {}},
        {{QStringLiteral("/TAB=XYZ")},
         "",
         "",
         QStringLiteral("/TAB=XYZ não é uma tabela de caracteres conhecida. As tabelas são: PC437, PC850, PC858, "
                        "PC860, ABICOMP, BRASCII")},
        {{QStringLiteral("/TAB=XYZ"), QStringLiteral("/PDF=") + pdf}, "", "", {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.switches.join(u' ').toStdString());
        ::unlink(dir.file(QStringLiteral("out.prn")).toUtf8().constData());
        std::string bytes;
        QString error;
        try {
            bytes = print(formFile, c.switches);
        } catch (const Exception &e) {
            error = e.message();
        }
        EXPECT_EQ(error, c.message);
        if (c.word.empty()) {
            EXPECT_EQ(bytes, "");
        } else {
            // Right after the reset, or not at all.
            EXPECT_EQ(bytes.find("\x1B(t"), c.selection.empty() ? std::string::npos : 5u);
            EXPECT_EQ(bytes.find(c.selection, 5), 5u);
            EXPECT_NE(bytes.find(c.word), std::string::npos);
        }
        filter.reset();
        form.reset();
    }
    EXPECT_TRUE(QFile::exists(pdf));
}
