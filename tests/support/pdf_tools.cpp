#include "support/pdf_tools.h"

#include <QDir>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <unistd.h>

namespace prenso::test {

ToolRun runTool(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    ToolRun run;
    if (!p.waitForStarted(10000)) {
        run.err = "cannot start " + program.toStdString();
        return run;
    }
    p.waitForFinished(60000);
    run.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    run.out = p.readAllStandardOutput().toStdString();
    run.err = p.readAllStandardError().toStdString();
    return run;
}

::testing::AssertionResult QpdfCheckClean(const QString &pdf)
{
    const ToolRun run = runTool(QStringLiteral("qpdf"), {QStringLiteral("--check"), pdf});
    const QString all = QString::fromStdString(run.out + run.err);
    if (run.exitCode != 0 || all.contains(QStringLiteral("WARNING"), Qt::CaseInsensitive))
        return ::testing::AssertionFailure()
               << "qpdf --check " << pdf.toStdString() << " exited with " << run.exitCode << ":\n"
               << run.out << run.err;
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult PdfA1bValid(const QString &pdf)
{
    QStringList classPath;
    for (const char *jar :
         {"preflight", "pdfbox2", "fontbox2", "xmpbox", "commons-logging", "javax.activation", "jaxb-api"})
        classPath << QStringLiteral("/usr/share/java/%1.jar").arg(QLatin1String(jar));
    const ToolRun run =
        runTool(QStringLiteral("java"), {QStringLiteral("-cp"), classPath.join(u':'),
                                         QStringLiteral("org.apache.pdfbox.preflight.Validator_A1b"), pdf});
    if (run.exitCode != 0 || run.out.find("is a valid PDF/A-1b file") == std::string::npos)
        return ::testing::AssertionFailure()
               << "PDFBox Preflight on " << pdf.toStdString() << " (exit " << run.exitCode << "):\n"
               << run.out.substr(0, 4000) << run.err.substr(0, 2000);
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult PdfInfo(const QString &pdf, QMap<QString, QString> *fields)
{
    const ToolRun run = runTool(QStringLiteral("pdfinfo"), {QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdf});
    if (run.exitCode != 0 || !run.err.empty())
        return ::testing::AssertionFailure()
               << "pdfinfo " << pdf.toStdString() << " exited with " << run.exitCode << ":\n"
               << run.out << run.err;
    if (fields) {
        fields->clear();
        for (const QString &line : QString::fromUtf8(run.out).split(u'\n')) {
            const int colon = line.indexOf(u':');
            if (colon > 0)
                fields->insert(line.left(colon), line.mid(colon + 1).trimmed());
        }
    }
    return ::testing::AssertionSuccess();
}

QStringList PdfTextPages(const QString &pdf)
{
    const ToolRun run = runTool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), QStringLiteral("-enc"),
                                                              QStringLiteral("UTF-8"), pdf, QStringLiteral("-")});
    if (run.exitCode != 0)
        return {QStringLiteral("pdftotext failed: ") + QString::fromStdString(run.err)};
    QStringList pages = QString::fromUtf8(run.out).split(u'\f');
    // pdftotext ends every page with a form feed, the last one included.
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

QStringList NonBlankLines(const QString &pageText)
{
    QStringList lines;
    for (QString line : pageText.split(u'\n')) {
        line.remove(QRegularExpression(QStringLiteral("\\s+$")));
        if (!line.isEmpty())
            lines << line;
    }
    return lines;
}

QImage RenderPage(const QString &pdf, int page, int dpi)
{
    QTemporaryDir dir;
    const QString base = dir.filePath(QStringLiteral("page"));
    const ToolRun run =
        runTool(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-f"),
                                             QString::number(page), QStringLiteral("-l"), QString::number(page),
                                             QStringLiteral("-singlefile"), QStringLiteral("-png"), pdf, base});
    if (run.exitCode != 0)
        return QImage();
    return QImage(base + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
}

QList<PdfWord> PdfWords(const QString &pdf, int page)
{
    const ToolRun run =
        runTool(QStringLiteral("pdftotext"),
                {QStringLiteral("-bbox"), QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
                 QString::number(page), QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdf, QStringLiteral("-")});
    QList<PdfWord> words;
    static const QRegularExpression re(QStringLiteral(
        "<word xMin=\"([-0-9.]+)\" yMin=\"([-0-9.]+)\" xMax=\"([-0-9.]+)\" yMax=\"([-0-9.]+)\">([^<]*)</word>"));
    auto it = re.globalMatch(QString::fromUtf8(run.out));
    while (it.hasNext()) {
        const auto m = it.next();
        QString text = m.captured(5);
        text.replace(QStringLiteral("&lt;"), QStringLiteral("<"))
            .replace(QStringLiteral("&gt;"), QStringLiteral(">"))
            .replace(QStringLiteral("&quot;"), QStringLiteral("\""))
            .replace(QStringLiteral("&amp;"), QStringLiteral("&"));
        words.append(PdfWord{text, m.captured(1).toDouble(), m.captured(2).toDouble(), m.captured(3).toDouble(),
                             m.captured(4).toDouble()});
    }
    return words;
}

QList<PdfFontInfo> PdfFonts(const QString &pdf)
{
    // The columns are fixed by the header's dashes: name, type, encoding,
    // emb, sub, uni, object ID.
    const ToolRun run = runTool(QStringLiteral("pdffonts"), {pdf});
    const QStringList lines = QString::fromUtf8(run.out).split(u'\n', Qt::SkipEmptyParts);
    QList<PdfFontInfo> fonts;
    if (lines.size() < 2)
        return fonts;
    QList<qsizetype> starts{0};
    for (qsizetype i = 1; i < lines[1].size(); ++i)
        if (lines[1][i] == u'-' && lines[1][i - 1] == u' ')
            starts.append(i);
    if (starts.size() < 5)
        return fonts;
    for (qsizetype l = 2; l < lines.size(); ++l) {
        const QString &line = lines[l];
        auto column = [&](int c) {
            return line.mid(starts[c], starts.value(c + 1, line.size()) - starts[c]).trimmed();
        };
        fonts.append(
            PdfFontInfo{column(0), column(1), column(3) == QLatin1String("yes"), column(4) == QLatin1String("yes")});
    }
    return fonts;
}

ScopedTmpfs::ScopedTmpfs(const QString &folder, int kilobytes, bool readOnly) : m_folder(folder)
{
    QDir().mkpath(folder);
    if (::geteuid() != 0)
        return;
    QString options = QStringLiteral("size=%1k").arg(kilobytes);
    if (readOnly)
        options += QStringLiteral(",ro");
    const ToolRun run =
        runTool(QStringLiteral("mount"), {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"), options,
                                          QStringLiteral("tmpfs"), folder});
    m_mounted = run.exitCode == 0;
}

ScopedTmpfs::~ScopedTmpfs()
{
    if (m_mounted)
        runTool(QStringLiteral("umount"), {m_folder});
}

} // namespace prenso::test
