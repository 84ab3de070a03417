// The whole print job with the PDF filter in the printer's place: the form's
// lines come back out of the PDF, page by page, as a reader sees them.
#include "app/Principal.h"
#include "platform/system/codepage.h"
#include "report/filters/RLFilters.h"
#include "report/filters/pdf/RLPDFFilter.h"
#include "report/pagination/RLReport.h"
#include "support/pdf_tools.h"
#include "support/test_support.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace prenso;
using namespace prenso::test;

namespace {

// A line as pdftotext -layout gives it back: runs of blanks may differ.
QString squeezed(QString line)
{
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    return line.replace(blanks, QStringLiteral(" ")).trimmed();
}

// The form's pages (a form feed at the start of a line begins a page), each
// as its non-blank lines, squeezed.
QList<QStringList> formPages(const std::string &form)
{
    QList<QStringList> pages{QStringList()};
    for (QString line : cp1252::decode(form).split(QStringLiteral("\r\n"))) {
        if (line.startsWith(u'\f')) {
            if (!pages.last().isEmpty())
                pages.append(QStringList());
            line.remove(0, 1);
        }
        if (!squeezed(line).isEmpty())
            pages.last().append(squeezed(line));
    }
    return pages;
}

class PdfJob : public ::testing::Test {
protected:
    void SetUp() override
    {
        pdf.SetShowProgress(false);
        pdf.SetFileName(dir.file(QStringLiteral("out.pdf")));
        SetSelectedFilter(&pdf);
    }
    void TearDown() override { SetSelectedFilter(nullptr); }

    TfrmPrincipal &run(const QString &form, QStringList switches = {})
    {
        form_ = std::make_unique<TfrmPrincipal>(
            TfrmPrincipal::NoCreate{},
            QStringList{QStringLiteral("Prenso"), QStringLiteral("/ARQ=") + form, QStringLiteral("/DLG=NAO")} +
                switches);
        for (TRLReport *r : {form_->rlrRetrato, form_->rlrPaisagem})
            r->SetShowProgress(false);
        form_->FormCreate();
        return *form_;
    }

    TRLPDFFilter pdf;
    TempDir dir;
    std::unique_ptr<TfrmPrincipal> form_;
};

} // namespace

TEST_F(PdfJob, SampleInvoiceComesBackLineByLinePageByPage)
{
    const QString form = samplePath(QStringLiteral("nota.txt"));
    run(form);
    ASSERT_TRUE(QpdfCheckClean(pdf.FileName()));
    const QList<QStringList> expected = formPages(readFile(form));
    const QStringList pages = PdfTextPages(pdf.FileName());
    ASSERT_EQ(pages.size(), expected.size());
    for (int p = 0; p < pages.size(); ++p) {
        QStringList got;
        for (const QString &line : NonBlankLines(pages[p]))
            got << squeezed(line);
        EXPECT_EQ(got, expected[p]) << "page " << p + 1;
    }
    QMap<QString, QString> info;
    ASSERT_TRUE(PdfInfo(pdf.FileName(), &info));
    EXPECT_EQ(info.value(QStringLiteral("Creator")), PrensoCreatorText());
}

TEST_F(PdfJob, WideFormIsALandscapePdf)
{
    const QString form = samplePath(QStringLiteral("largo.txt"));
    TfrmPrincipal &p = run(form);
    EXPECT_EQ(p.lastReport(), p.rlrPaisagem);
    ASSERT_TRUE(QpdfCheckClean(pdf.FileName()));
    QMap<QString, QString> info;
    ASSERT_TRUE(PdfInfo(pdf.FileName(), &info));
    EXPECT_TRUE(info.value(QStringLiteral("Page size")).startsWith(QStringLiteral("842.25 x 595.5")))
        << info.value(QStringLiteral("Page size")).toStdString();
    const QList<QStringList> expected = formPages(readFile(form));
    const QStringList pages = PdfTextPages(pdf.FileName());
    ASSERT_EQ(pages.size(), expected.size());
    QStringList got;
    for (const QString &line : NonBlankLines(pages[0]))
        got << squeezed(line);
    EXPECT_EQ(got, expected[0]);
}
