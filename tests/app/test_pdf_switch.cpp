// /PDF=FILE as the business system uses it to archive and mail forms: the
// real program as a process, with no printer and no display, writing the
// form as an archive file. Outside judges read what it wrote: qpdf, PDFBox
// Preflight (PDF/A-1b), pdftotext, pdffonts, pdfinfo. A name it cannot write
// is a clear error that names it, before any work, and leaves nothing.
#include "support/pdf_tools.h"
#include "support/program_run.h"
#include "support/test_support.h"

#include <QFile>
#include <QMap>
#include <gtest/gtest.h>

#include <functional>
#include <sys/stat.h>
#include <unistd.h>

using namespace prenso;
using namespace prenso::test;

namespace {

class PdfSwitch : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const TempDir *d : {&tmp, &out, &forms})
            ::chmod(d->path().toLocal8Bit().constData(), 0777);
        // Root writes where nobody else may: the runs are an ordinary user's.
        if (!OrdinaryUserPrefix(options.prefix))
            GTEST_SKIP() << "setpriv is needed to run as an unprivileged user";
        options.tmpDir = tmp.path();
        // A copy of the program, as one installed: the checkout may be closed
        // to the user it runs as.
        options.program = bin.file(QStringLiteral("Prenso"));
        ::chmod(bin.path().toLocal8Bit().constData(), 0755);
        ASSERT_TRUE(QFile::copy(programPath(), options.program));
        ::chmod(options.program.toLocal8Bit().constData(), 0755);
        // No print server at all: the file must not need one.
        options.extra.insert(QStringLiteral("CUPS_SERVER"), tmp.file(QStringLiteral("no-server.sock")));
    }

    ProgramResult run(const QString &form, const QString &pdf, const QStringList &more = {})
    {
        return runProgram(QStringList{QStringLiteral("/ARQ=") + form, QStringLiteral("/PDF=") + pdf} + more, options);
    }

    QString writeForm(const QString &name, const std::string &text)
    {
        const QString path = forms.file(name);
        writeFile(path, text);
        return path;
    }

    TempDir tmp, out, forms, bin;
    ProgramOptions options;
};

struct Archived {
    const char *name;
    std::string form;      // empty: the bundled sample invoice
    QStringList pageWords; // a word each page shows, in page order
    bool landscape;
    QStringList switches; // besides /ARQ and /PDF
};

class PdfSwitchWrites : public PdfSwitch, public ::testing::WithParamInterface<Archived> {};

TEST_P(PdfSwitchWrites, AnArchiveFileOfThePagesAsTheyWouldPrint)
{
    const Archived &c = GetParam();
    // The sample is copied too.
    const QString form = writeForm(QStringLiteral("form.txt"),
                                   c.form.empty() ? readFile(samplePath(QStringLiteral("nota.txt"))) : c.form);
    const QString pdf = out.file(QStringLiteral("arquivo.pdf"));
    // An earlier file of that name is replaced whole.
    writeFile(pdf, "an earlier archive");
    ::chmod(pdf.toLocal8Bit().constData(), 0666);
    const ProgramResult r = run(form, pdf, QStringList{QStringLiteral("/IMPS=NENHUMA")} + c.switches);
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.err, QString());

    EXPECT_TRUE(QpdfCheckClean(pdf));
    EXPECT_TRUE(PdfA1bValid(pdf));
    const QStringList pages = PdfTextPages(pdf);
    ASSERT_EQ(pages.size(), c.pageWords.size()) << pages.join(u'|').toStdString();
    for (qsizetype i = 0; i < pages.size(); ++i)
        EXPECT_TRUE(pages[i].contains(c.pageWords[i])) << "page " << i + 1 << ": " << pages[i].toStdString();
    const QList<PdfFontInfo> fonts = PdfFonts(pdf);
    EXPECT_FALSE(fonts.isEmpty());
    for (const PdfFontInfo &f : fonts)
        EXPECT_TRUE(f.embedded && f.subset) << f.name.toStdString();
    QMap<QString, QString> info;
    ASSERT_TRUE(PdfInfo(pdf, &info));
    const QStringList size = info.value(QStringLiteral("Page size")).split(u' ');
    ASSERT_GE(size.size(), 3);
    EXPECT_EQ(size[0].toDouble() > size[2].toDouble(), c.landscape)
        << info.value(QStringLiteral("Page size")).toStdString();

    EXPECT_EQ(listFolder(out.path()), QStringList{QStringLiteral("arquivo.pdf")});
    EXPECT_EQ(listFolder(tmp.path()), QStringList());
}

std::string archivedName(const ::testing::TestParamInfo<Archived> &c)
{
    return c.param.name;
}

INSTANTIATE_TEST_SUITE_P(
    Forms, PdfSwitchWrites,
    ::testing::Values(Archived{"sample_invoice", {}, {"NOTA FISCAL", "FOLHA 2/3", "FOLHA 3/3"}, false, {}},
                      Archived{"form_feeds",
                               "Primeira p\xE1gina\r\n\fSegunda p\xE1gina\r\n\fTerceira p\xE1gina\r\n",
                               {QStringLiteral("Primeira página"), QStringLiteral("Segunda página"),
                                QStringLiteral("Terceira página")},
                               false,
                               {}},
                      Archived{"wide_line_turns_landscape",
                               "IN\xCD"
                               "CIO " +
                                   std::string(210, '=') + "\r\nFIM\r\n",
                               {QStringLiteral("INÍCIO")},
                               true,
                               {}},
                      // Neither orientation: the landscape report at the
                      // default size, which the text must be drawn at too.
                      Archived{"mistyped_orientation",
                               "LINHA UM\r\nLINHA DOIS\r\n",
                               {QStringLiteral("LINHA DOIS")},
                               true,
                               {QStringLiteral("/ORI=LANDSCAPE")}},
                      // The dot-matrix switch does not apply to a file, not
                      // even one naming a component that is no print filter.
                      Archived{"filter_switch_does_not_apply",
                               "LINHA UM\r\n",
                               {QStringLiteral("LINHA UM")},
                               false,
                               {QStringLiteral("/MAT=rlpdfltr1")}}),
    archivedName);

// Names the file cannot be written under. Each is refused with a message
// that names it, before the form is read: nothing is left in the folder or
// the temporary folder, and an earlier file stays as it was.
struct BadTarget {
    const char *name;
    std::function<QString(const TempDir &out)> target;
    const char *says;
};

class PdfSwitchRefuses : public PdfSwitch, public ::testing::WithParamInterface<BadTarget> {};

TEST_P(PdfSwitchRefuses, ANameItCannotWriteUnder)
{
    const BadTarget &c = GetParam();
    const QString earlier = out.file(QStringLiteral("anterior.pdf"));
    writeFile(earlier, "an earlier archive");
    ::chmod(earlier.toLocal8Bit().constData(), 0444);
    const QString target = c.target(out);
    const QStringList before = listFolder(out.path());
    const ProgramResult r = run(writeForm(QStringLiteral("form.txt"), "NOTA\r\n"), target);
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.says))) << r.err.toStdString();
    if (!target.isEmpty()) {
        EXPECT_TRUE(r.err.contains(target)) << "the message names the file: " << r.err.toStdString();
    }
    EXPECT_EQ(readFile(earlier), "an earlier archive");
    EXPECT_EQ(listFolder(out.path()), before);
    EXPECT_EQ(listFolder(tmp.path()), QStringList());
    ::chmod(out.file(QStringLiteral("fechada")).toLocal8Bit().constData(), 0777);
}

std::string badTargetName(const ::testing::TestParamInfo<BadTarget> &c)
{
    return c.param.name;
}

INSTANTIATE_TEST_SUITE_P(
    Targets, PdfSwitchRefuses,
    ::testing::Values(BadTarget{"empty", [](const TempDir &) { return QString(); }, "/PDF="},
                      BadTarget{"a_folder", [](const TempDir &o) { return o.path(); }, "é uma pasta"},
                      BadTarget{"missing_folder",
                                [](const TempDir &o) { return o.file(QStringLiteral("ausente/nota.pdf")); },
                                "não existe"},
                      BadTarget{"read_only_folder",
                                [](const TempDir &o) {
                                    const QString folder = o.file(QStringLiteral("fechada"));
                                    ::mkdir(folder.toLocal8Bit().constData(), 0555);
                                    return folder + QStringLiteral("/nota.pdf");
                                },
                                "não permite gravar"},
                      BadTarget{"read_only_file",
                                [](const TempDir &o) { return o.file(QStringLiteral("anterior.pdf")); },
                                "somente para leitura"}),
    badTargetName);

} // namespace
