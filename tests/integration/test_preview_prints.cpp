// Printing and saving from the preview window, as the operator does it: the
// print button's dialog sends the chosen pages to a queue of the private
// print server, the save button's dialog writes a PDF.
#include "report/filters/pdf/RLPDFFilter.h"
#include "report/windows/RLPrintDialog.h"
#include "report/windows/RLSaveDialog.h"
#include "report/windows/RLWindows.h"
#include "report/windows/preview_fixture.h"
#include "support/driverless_printer.h"
#include "support/pdf_tools.h"
#include "support/test_support.h"

#include "integration/printer_server_test.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

using namespace prenso;
using namespace prenso::test;

namespace {

// Plays the operator on the next dialog of type D once it is open: `fill`
// types into it, then its default button is pressed. Gives up after 10 s,
// so a dialog that never comes fails the test instead of hanging it.
template <typename D>
void answerNext(std::function<void(D &)> fill, bool *answered)
{
    auto *poll = new QTimer;
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    QObject::connect(poll, &QTimer::timeout, [poll, started, fill, answered] {
        D *dialog = nullptr;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *d = qobject_cast<D *>(w); d && d->isVisible())
                dialog = d;
        if (!dialog && started->elapsed() < 10000)
            return;
        poll->deleteLater();
        if (!dialog)
            return;
        fill(*dialog);
        *answered = true;
        for (QPushButton *b : dialog->template findChildren<QPushButton *>())
            if (b->isDefault()) {
                QTest::mouseClick(b, Qt::LeftButton);
                return;
            }
    });
    poll->start(20);
}

class PreviewPrints : public PrinterServerTest {
protected:
    void SetUp() override
    {
        PrinterServerTest::SetUp();
        if (IsSkipped())
            return;
        cupsd->addRawQueue(QStringLiteral("Plain"), plain.port());
        RLPrinter().SetPrinterName(QStringLiteral("Plain"));
        InstallRLWindows();
        hold.Reset(std::make_shared<TRLGraphicStorage>());
        storage = hold.get();
        addPages(*storage, numberedPages(5));
        form = std::make_unique<TRLPreviewForm>();
        form->Preview()->SetPages(storage);
        form->show();
    }

    void TearDown() override
    {
        form.reset();
        SetSelectedFilter(nullptr);
        PrinterServerTest::TearDown();
    }

    // The first line of every page that reached the queue in the next job.
    QStringList printedPages()
    {
        const std::vector<std::string> jobs = plain.waitForJobs(1);
        if (jobs.empty())
            return {QStringLiteral("no job")};
        const QString pdf = dir.file(QStringLiteral("job.pdf"));
        writeFile(pdf, jobs.back());
        QStringList firsts;
        for (const QString &page : PdfTextPages(pdf))
            firsts << NonBlankLines(page).value(0);
        return firsts;
    }

    Attended attended; // the dialogs wait for the operator
    ScopedMessageBoxHook boxes{[this](BoxKind, const QString &, const QString &t) { shown << t; }};
    QStringList shown;
    SocketListener plain;
    TempDir dir;
    TComponent owner;
    TRLStorageHold hold{&owner};
    TRLGraphicStorage *storage = nullptr;
    std::unique_ptr<TRLPreviewForm> form;
};

TEST_F(PreviewPrints, PrintButtonSendsThePagesChosenInTheDialog)
{
    auto range = [](const char *from, const char *to) {
        return [from, to](TRLPrintDialog &d) {
            d.EditFromPage->clear();
            QTest::keyClicks(d.EditFromPage, QString::fromLatin1(from));
            d.EditToPage->clear();
            QTest::keyClicks(d.EditToPage, QString::fromLatin1(to));
        };
    };
    struct Case {
        const char *name;
        std::function<void(TRLPrintDialog &)> choose;
        QStringList pages;
        const char *copies = "1";
    } const cases[] = {
        {"all pages", [](TRLPrintDialog &) {}, {"PAGE 1", "PAGE 2", "PAGE 3", "PAGE 4", "PAGE 5"}},
        {"a range",
         [](TRLPrintDialog &d) {
             d.EditFromPage->clear();
             QTest::keyClicks(d.EditFromPage, QStringLiteral("2"));
             d.EditToPage->clear();
             QTest::keyClicks(d.EditToPage, QStringLiteral("3"));
         },
         {"PAGE 2", "PAGE 3"}},
        {"a typed page list",
         [](TRLPrintDialog &d) { QTest::keyClicks(d.EditPageSelection, QStringLiteral("1;4-5")); },
         {"PAGE 1", "PAGE 4", "PAGE 5"}},
        // As the report prints: a range left open runs to the last page, one
        // that starts before the first page or at no number starts there.
        {"a range without its last page", range("3", ""), {"PAGE 3", "PAGE 4", "PAGE 5"}},
        {"a range from page 0", range("0", "2"), {"PAGE 1", "PAGE 2"}},
        {"a range from no number", range("x", "2"), {"PAGE 1", "PAGE 2"}},
        {"two copies",
         [](TRLPrintDialog &d) {
             d.EditCopies->clear();
             QTest::keyClicks(d.EditCopies, QStringLiteral("2"));
         },
         {"PAGE 1", "PAGE 2", "PAGE 3", "PAGE 4", "PAGE 5"},
         "2"},
        {"copies of no number",
         [](TRLPrintDialog &d) { d.EditCopies->clear(); },
         {"PAGE 1", "PAGE 2", "PAGE 3", "PAGE 4", "PAGE 5"}},
    };
    int jobs = 0;
    for (const Case &c : cases) {
        bool answered = false;
        answerNext<TRLPrintDialog>(c.choose, &answered);
        QTest::mouseClick(form->SpeedButtonPrint, Qt::LeftButton);
        ASSERT_TRUE(answered) << c.name;
        ++jobs;
        const std::vector<std::string> arrived = plain.waitForJobs(static_cast<size_t>(jobs));
        ASSERT_EQ(arrived.size(), static_cast<size_t>(jobs)) << c.name;
        EXPECT_EQ(printedPages(), c.pages) << c.name;
        const std::map<std::string, std::string> job = cupsd->lastJobAttributes(QStringLiteral("Plain"));
        EXPECT_EQ(job.count("copies") ? job.at("copies") : "1", c.copies) << c.name;
    }
    EXPECT_TRUE(form->Printed());
    EXPECT_TRUE(shown.isEmpty()) << shown.join(u'\n').toStdString();
}

// The same button on a driverless printer (a queue the server made from what
// the printer says it takes): the pages chosen arrive there as a PDF.
class PreviewPrintsDriverless : public PreviewPrints {
protected:
    void SetUp() override
    {
        PreviewPrints::SetUp();
        if (IsSkipped())
            return;
        if (!printer.running())
            GTEST_SKIP() << "the driverless printer could not start: " << printer.error().toStdString();
        cupsd->addDriverlessQueue(QStringLiteral("Eve"), printer.uri());
        // The printer list was read before the queue came.
        RLPrinter().Refresh();
        RLPrinter().SetPrinterName(QStringLiteral("Eve"));
        ASSERT_EQ(RLPrinter().PrinterName(), QStringLiteral("Eve"));
    }

    DriverlessPrinter printer;
};

TEST_F(PreviewPrintsDriverless, PrintButtonSendsTheChosenPagesToADriverlessPrinter)
{
    bool answered = false;
    answerNext<TRLPrintDialog>(
        [](TRLPrintDialog &d) { QTest::keyClicks(d.EditPageSelection, QStringLiteral("1;4-5")); }, &answered);
    QTest::mouseClick(form->SpeedButtonPrint, Qt::LeftButton);
    ASSERT_TRUE(answered);
    const std::vector<DriverlessPrinter::Document> docs = printer.waitForDocuments(1);
    ASSERT_EQ(docs.size(), 1u) << "nothing reached the printer; its log ends with: "
                               << printer.log().right(1500).toStdString();
    EXPECT_EQ(docs[0].format, QStringLiteral("application/pdf"));
    const QString pdf = dir.file(QStringLiteral("arrived.pdf"));
    writeFile(pdf, docs[0].bytes);
    QStringList firsts;
    for (const QString &page : PdfTextPages(pdf))
        firsts << NonBlankLines(page).value(0);
    EXPECT_EQ(firsts, (QStringList{QStringLiteral("PAGE 1"), QStringLiteral("PAGE 4"), QStringLiteral("PAGE 5")}));
    EXPECT_TRUE(plain.jobs().empty()) << "the raw queue printed too";
    EXPECT_TRUE(form->Printed());
    EXPECT_TRUE(shown.isEmpty()) << shown.join(u'\n').toStdString();
}

TEST_F(PreviewPrints, SaveButtonWritesTheChosenPagesAsPdf)
{
    TRLPDFFilter pdf;
    const QString target = dir.file(QStringLiteral("notas"));
    bool answered = false;
    answerNext<TRLSaveDialog>(
        [&](TRLSaveDialog &d) {
            d.ComboBoxFilters->setCurrentIndex(d.ComboBoxFilters->findText(pdf.GetDisplayLabel()));
            d.EditFileName->setText(target);
            d.EditFromPage->clear();
            QTest::keyClicks(d.EditFromPage, QStringLiteral("4"));
            d.EditToPage->clear();
            QTest::keyClicks(d.EditToPage, QStringLiteral("5"));
        },
        &answered);
    QTest::mouseClick(form->SpeedButtonSave, Qt::LeftButton);
    ASSERT_TRUE(answered);
    const QString written = target + QStringLiteral(".pdf");
    ASSERT_TRUE(QFile::exists(written)) << listFolder(dir.path()).join(u' ').toStdString();
    EXPECT_TRUE(QpdfCheckClean(written));
    QStringList firsts;
    for (const QString &page : PdfTextPages(written))
        firsts << NonBlankLines(page).value(0);
    EXPECT_EQ(firsts, (QStringList{QStringLiteral("PAGE 4"), QStringLiteral("PAGE 5")}));
    EXPECT_TRUE(plain.jobs().empty()) << "saving prints nothing";
}

} // namespace
