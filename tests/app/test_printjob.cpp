// The print job's reading and decisions, on real files.
#include "app/Principal.h"
#include "platform/io/files.h"
#include "platform/system/errors.h"
#include "platform/system/messagebox.h"
#include "report/controls/RLLabel.h"
#include "report/filters/RLFilters.h"
#include "report/filters/draft/RLDraftFilter.h"
#include "report/pagination/RLReport.h"
#include "report/storage/RLGraphicStorage.h"
#include "report/windows/RLPreviewForm.h"
#include "support/capture_filter.h"
#include "support/operator.h"
#include "support/test_support.h"

#include <QDir>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace prenso;
using prenso::test::TempDir;

namespace {

class PrintJob : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Pages go to a capturing filter instead of a printer.
        capture.SetName(QStringLiteral("capture"));
        SetSelectedFilter(&capture);
        binBefore = test::listFolder(QString(files::executableFolder()));
        tmpBefore = test::listFolder(QDir::tempPath());
        tmpBefore.removeAll(QDir(dir.path()).dirName());
    }
    void TearDown() override
    {
        // The reports keep their page files while they live.
        form_.reset();
        // Nothing may be left behind: no scratch file beside the program and
        // nothing new in the temporary folder (our own TempDir excepted).
        EXPECT_EQ(test::listFolder(files::executableFolder()), binBefore);
        QStringList tmpAfter = test::listFolder(QDir::tempPath());
        tmpAfter.removeAll(QDir(dir.path()).dirName());
        EXPECT_EQ(tmpAfter, tmpBefore);
    }

    // Runs a job on a form with the given content and extra switches, without
    // the print dialog (nobody answers it here).
    TfrmPrincipal &run(const std::string &content, QStringList switches = {})
    {
        const QString form = dir.file(QStringLiteral("form.txt"));
        test::writeFile(form, content);
        form_ = std::make_unique<TfrmPrincipal>(
            TfrmPrincipal::NoCreate{},
            QStringList{QStringLiteral("Prenso"), QStringLiteral("/ARQ=") + form, QStringLiteral("/DLG=NAO")} +
                switches);
        form_->FormCreate();
        return *form_;
    }

    static std::string lineOf(int length)
    {
        std::string line(static_cast<size_t>(length), 'x');
        line.append("\r\n");
        return line;
    }

    int fontSize(const TfrmPrincipal &p) const
    {
        const TRLDBText *t = p.lastReport() == p.rlrRetrato ? p.rldbtxtLinha : p.rldbtxtLinhaP;
        return t->Font().Size();
    }

    test::CaptureFilter capture;
    TempDir dir;
    QStringList binBefore, tmpBefore;
    std::unique_ptr<TfrmPrincipal> form_;
};

} // namespace

TEST_F(PrintJob, PortraitLadder)
{
    const std::pair<int, int> cases[] = {{1, 8},   {99, 8},  {100, 7}, {126, 7}, {127, 6},
                                         {139, 6}, {140, 5}, {174, 5}, {175, 4}, {200, 4}};
    for (auto [length, size] : cases) {
        TfrmPrincipal &p = run("short\r\n" + lineOf(length) + "end");
        EXPECT_EQ(p.sPbOrientacao, QStringLiteral("RETRATO")) << length;
        EXPECT_EQ(p.iPbFontSize, size) << length;
        EXPECT_EQ(p.lastReport(), p.rlrRetrato);
        EXPECT_EQ(fontSize(p), size);
        EXPECT_EQ(p.rlrRetrato->ReportState(), TRLReportState::rsReady);
    }
}

TEST_F(PrintJob, LandscapeLadderAndTheSwitchAbove200)
{
    const std::pair<int, int> cases[] = {{201, 7}, {205, 7}, {206, 5}, {250, 5}, {300, 5}};
    for (auto [length, size] : cases) {
        TfrmPrincipal &p = run(lineOf(length), {QStringLiteral("/ORI=RETRATO")});
        EXPECT_EQ(p.sPbOrientacao, QStringLiteral("PAISAGEM")) << length;
        EXPECT_EQ(p.iPbFontSize, size) << length;
        EXPECT_EQ(p.lastReport(), p.rlrPaisagem);
        EXPECT_EQ(p.lastLongestLine(), length);
    }
    for (auto [length, size] : {std::pair{146, 8}, std::pair{147, 7}}) {
        TfrmPrincipal &p = run(lineOf(length), {QStringLiteral("/ORI=Paisagem")});
        EXPECT_EQ(p.iPbFontSize, size) << length;
    }
}

TEST_F(PrintJob, GivenSizeIsKeptButLandscapeStillApplies)
{
    TfrmPrincipal &p = run(lineOf(220), {QStringLiteral("/FOS=12")});
    EXPECT_EQ(p.iPbFontSize, 12);
    EXPECT_EQ(p.sPbOrientacao, QStringLiteral("PAISAGEM"));
    EXPECT_EQ(fontSize(p), 12);
}

TEST_F(PrintJob, OtherOrientationTextsUseLandscapeWithoutLadder)
{
    TfrmPrincipal &p = run(lineOf(50), {QStringLiteral("/ORI=landscape")});
    EXPECT_EQ(p.iPbFontSize, 0);
    EXPECT_EQ(p.lastReport(), p.rlrPaisagem);
}

// "/DLG=NAO" prints without the dialog, however it is written; anything else
// asks for the dialog, which nobody here can answer.
TEST_F(PrintJob, NoDialogSwitchInItsSpellings)
{
    struct Case {
        QString argument;
        bool prints;
    };
    const std::vector<Case> cases = {
        {"/DLG=NAO", true},   {"/dlg=nao", true},   {"/DLG=NÃO", true},      {"/Dlg=não", true},
        {"/DLG=NAO ", true},  {"/DLG=SIM", false},  {"/DLG=NO", false},      {"/DLG=", false},
        {" /DLG=NAO", false}, {"/DLG=NAO=1", true}, {"/DIALOGO=NAO", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.argument.toStdString());
        capture.pages.clear();
        test::writeFile(dir.file("f.txt"), "linha\n");
        form_ = std::make_unique<TfrmPrincipal>(
            TfrmPrincipal::NoCreate{},
            QStringList{QStringLiteral("Prenso"), QStringLiteral("/ARQ=") + dir.file("f.txt"), c.argument});
        if (c.prints) {
            form_->FormCreate();
            EXPECT_EQ(capture.pages.size(), 1u);
        } else {
            EXPECT_THROW(form_->FormCreate(), ENoOperator);
            EXPECT_TRUE(capture.pages.empty());
        }
    }
}

TEST_F(PrintJob, DefaultFontAndPreviewAndPrinter)
{
    // The preview is for someone at the screen: the test stands in and closes it.
    const test::Attended attended;
    const test::AnswerWhenOpen<TRLPreviewForm> closer([](TRLPreviewForm &preview) { preview.close(); });
    TfrmPrincipal &p = run("a\n", {QStringLiteral("/VIS=SIM")});
    EXPECT_EQ(p.sPbFontName, QStringLiteral("Courier New"));
    EXPECT_EQ(p.rldbtxtLinha->Font().Name(), QStringLiteral("Courier New"));
    // A preview prepares the pages but prints nothing.
    EXPECT_EQ(p.rlrRetrato->Pages().PageCount(), 1);
    EXPECT_TRUE(capture.pages.empty());
}

TEST_F(PrintJob, FormFeedAndTabCountInTheLengthAndCtrlZCuts)
{
    TfrmPrincipal &p = run("\f" + std::string(99, 'a') + "\r\nb\x1A" + std::string(500, 'z') + "\r\nc\r\n\x1A" +
                           std::string(400, 'q'));
    EXPECT_EQ(p.lastLongestLine(), 100);
    EXPECT_EQ(p.iPbFontSize, 7);
    ASSERT_EQ(capture.pages.size(), 2u); // the form feed broke the page
    EXPECT_EQ(capture.pages[0].texts.size(), 0u);
    ASSERT_EQ(capture.pages[1].texts.size(), 3u);
    EXPECT_EQ(capture.pages[1].texts[1].text, "b");
}

TEST_F(PrintJob, EmptyFileStillAsksTheReport)
{
    TfrmPrincipal &p = run("");
    EXPECT_EQ(p.iPbFontSize, 8);
    EXPECT_EQ(capture.pages.size(), 1u);
    EXPECT_EQ(capture.pages[0].texts.size(), 0u);
}

TEST_F(PrintJob, BinaryFileAndHugeLine)
{
    std::string binary;
    for (int i = 0; i < 4096; ++i)
        binary.push_back(static_cast<char>((i * 37) & 0xFF));
    TfrmPrincipal &p = run(binary);
    size_t printed = 0;
    for (const auto &page : capture.pages)
        printed += page.texts.size();
    EXPECT_EQ(printed, 17u); // a Ctrl-Z inside line 1 and NULs do not stop the reading
    EXPECT_EQ(p.lastLongestLine(), 206);
    TfrmPrincipal &q = run(std::string(1 << 20, 'm') + "\n");
    EXPECT_EQ(q.lastLongestLine(), 1 << 20);
    EXPECT_EQ(q.sPbOrientacao, QStringLiteral("PAISAGEM"));
    EXPECT_EQ(q.iPbFontSize, 5);
}

// A form whose only line has no end and a gigabyte (a file of zeros here):
// the job measures the whole line and keeps its 250 characters, and its
// memory does not grow with the line.
TEST_F(PrintJob, LineWithoutEndOfAGigabyte)
{
    const QString path = dir.file(QStringLiteral("form.txt"));
    const int fd = ::open(path.toLocal8Bit().constData(), O_WRONLY | O_CREAT, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, off_t(1) << 30), 0);
    ::close(fd);
    rusage before{}, after{};
    getrusage(RUSAGE_SELF, &before);
    form_ = std::make_unique<TfrmPrincipal>(
        TfrmPrincipal::NoCreate{},
        QStringList{QStringLiteral("Prenso"), QStringLiteral("/ARQ=") + path, QStringLiteral("/DLG=NAO")});
    form_->FormCreate();
    getrusage(RUSAGE_SELF, &after);
    EXPECT_EQ(form_->lastLongestLine(), 1 << 30);
    EXPECT_EQ(form_->sPbOrientacao, QStringLiteral("PAISAGEM"));
    EXPECT_EQ(capture.pages.size(), 1u);
    EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 64 * 1024) << "kB more at the peak: the line was held";
}

// The setup screen runs several jobs in one process: each prints its own
// form in its own font, never the pages of the job before.
TEST_F(PrintJob, EachJobLaysOutItsOwnForm)
{
    TfrmPrincipal &p = run("primeiro formulario\r\n", {QStringLiteral("/FOS=8")});
    ASSERT_EQ(capture.pages.size(), 1u);
    ASSERT_EQ(capture.pages[0].texts.size(), 1u);
    const test::CapturedText first = capture.pages[0].texts[0];

    test::writeFile(dir.file("segundo.txt"), "segundo 1\r\nsegundo 2\r\n");
    capture.pages.clear();
    p.sPbArquivo = dir.file("segundo.txt");
    p.sPbFontName = QStringLiteral("Arial");
    p.iPbFontSize = 14;
    p.ExecutaImpressao();
    ASSERT_EQ(capture.pages.size(), 1u);
    std::vector<std::string> texts;
    for (const test::CapturedText &t : capture.pages[0].texts)
        texts.push_back(t.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"segundo 1", "segundo 2"}));
    EXPECT_GT(capture.pages[0].texts[0].bottom - capture.pages[0].texts[0].top, first.bottom - first.top)
        << "the second job's larger font did not reach its pages";
}

// A job that fails once its lines are read (here: a switch naming a
// component that is no print filter) leaves nothing behind: the table is
// closed unwritten and no scratch file stays beside the program, neither
// then nor after the next job, which prints.
TEST_F(PrintJob, AFailedJobLeavesNoScratchFileForTheNext)
{
    const QStringList before = test::listFolder(files::executableFolder());
    test::writeFile(dir.file("f.txt"), "linha\n");
    form_ = std::make_unique<TfrmPrincipal>(
        TfrmPrincipal::NoCreate{}, QStringList{QStringLiteral("Prenso"), QStringLiteral("/ARQ=") + dir.file("f.txt"),
                                               QStringLiteral("/MAT=RLPDFLTR1"), QStringLiteral("/DLG=NAO")});
    EXPECT_THROW(form_->FormCreate(), EInvalidCast);
    EXPECT_FALSE(form_->cdsLinhaRelatorio.Active());
    EXPECT_EQ(test::listFolder(files::executableFolder()), before);
    form_->sPbMatricial.clear();
    form_->ExecutaImpressao();
    EXPECT_EQ(capture.pages.size(), 1u);
    EXPECT_EQ(test::listFolder(files::executableFolder()), before);
}

TEST_F(PrintJob, MissingFileOrFolderFailsBeforeAnyRecord)
{
    form_ = std::make_unique<TfrmPrincipal>(
        TfrmPrincipal::NoCreate{}, QStringList{QStringLiteral("Prenso"), QStringLiteral("/ARQ=") + dir.file("none.txt"),
                                               QStringLiteral("/DLG=NAO")});
    EXPECT_THROW(form_->FormCreate(), EInOutError);
    EXPECT_TRUE(capture.pages.empty());
    EXPECT_FALSE(form_->cdsLinhaRelatorio.Active());

    form_ = std::make_unique<TfrmPrincipal>(
        TfrmPrincipal::NoCreate{},
        QStringList{QStringLiteral("Prenso"), QStringLiteral("/ARQ=") + dir.path(), QStringLiteral("/DLG=NAO")});
    EXPECT_THROW(form_->FormCreate(), EInOutError);
    EXPECT_FALSE(form_->cdsLinhaRelatorio.Active());
}

TEST_F(PrintJob, FilterSwitchMustNameAPrintFilter)
{
    // A component that exists but is no print filter.
    TfrmPrincipal &p = *(form_ = std::make_unique<TfrmPrincipal>(TfrmPrincipal::NoCreate{}, QStringList{}));
    TComponent notAFilter(&p);
    notAFilter.SetName(QStringLiteral("cdsThing"));
    test::CaptureFilter filter(&p);
    filter.SetName(QStringLiteral("CaptureFilter1"));
    // The form's own dot-matrix filter is found by the name the launcher writes.
    EXPECT_EQ(p.FindComponent(QStringLiteral("RLDRAFTFILTER1")), static_cast<TComponent *>(p.RLDraftFilter1));
    EXPECT_NE(dynamic_cast<TRLCustomPrintFilter *>(p.FindComponent(QStringLiteral("RLDRAFTFILTER1"))), nullptr);

    test::writeFile(dir.file("f.txt"), "a\n");
    p.sPbArquivo = dir.file("f.txt");
    p.sPbOrientacao = QStringLiteral("RETRATO");
    p.sPbDialogo = QStringLiteral("NAO");
    p.sPbMatricial = QStringLiteral("CDSTHING");
    try {
        p.ExecutaImpressao();
        FAIL() << "expected the typecast error";
    } catch (const EInvalidCast &e) {
        EXPECT_EQ(e.message(), QStringLiteral("Invalid class typecast"));
    }
    p.sPbMatricial = QStringLiteral("CAPTUREFILTER1");
    p.ExecutaImpressao();
    EXPECT_EQ(p.rlrRetrato->DefaultFilter(), &filter);
    EXPECT_EQ(filter.pages.size(), 1u); // the named filter printed the page
    // A report is a component too, but not a print filter; nor is the PDF
    // save format.
    // So are the line table, its data source and the setup screen's
    // controls, also when the screen was never made (command-line mode).
    for (const char *other :
         {"RLRRETRATO", "RLPDFLTR1", "CDSLINHARELATORIO", "DTSLINHARELATORIO", "RGPIMPRESSORA", "EDTARQUIVO"}) {
        SCOPED_TRACE(other);
        p.sPbMatricial = QString::fromLatin1(other);
        EXPECT_THROW(p.ExecutaImpressao(), EInvalidCast);
    }
    p.sPbMatricial = QStringLiteral("NOSUCHTHING");
    p.rlrRetrato->SetDefaultFilter(nullptr);
    SetSelectedFilter(&capture);
    p.ExecutaImpressao();
    EXPECT_EQ(p.rlrRetrato->DefaultFilter(), nullptr);
}
