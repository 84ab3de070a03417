#include "support/pdf_probe.h"

#include "support/test_support.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QXmlStreamReader>

namespace prenso::test::probe {

namespace {

// Runs a poppler tool on the document and gives its standard output.
QByteArray runOn(const std::string &pdf, const QString &tool, const QStringList &before,
                 const QStringList &after = {QStringLiteral("-")})
{
    TempDir dir;
    const QString file = dir.file(QStringLiteral("doc.pdf"));
    writeFile(file, pdf);
    QProcess p;
    p.start(tool, before + QStringList{file} + after);
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        return QByteArray();
    }
    return p.readAllStandardOutput();
}

} // namespace

QString pdfInfoField(const std::string &pdf, const QString &field)
{
    const QString report = QString::fromUtf8(runOn(pdf, QStringLiteral("pdfinfo"), {}, {}));
    for (const QString &line : report.split(u'\n')) {
        if (line.startsWith(field + u':'))
            return line.mid(field.size() + 1).trimmed();
    }
    return QStringLiteral("(no %1 in pdfinfo's report)").arg(field);
}

int pdfPageCount(const std::string &pdf)
{
    bool ok = false;
    const int pages = pdfInfoField(pdf, QStringLiteral("Pages")).toInt(&ok);
    return ok ? pages : -1;
}

std::vector<QSizeF> pdfPageSizes(const std::string &pdf)
{
    // "Page    1 size: 595 x 842 pts (A4)" for every page of the range.
    const QString report = QString::fromUtf8(
        runOn(pdf, QStringLiteral("pdfinfo"),
              {QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"), QStringLiteral("100000")}, {}));
    static const QRegularExpression line(QStringLiteral(R"(^Page\s+\d+\s+size:\s+([\d.]+) x ([\d.]+) pts)"),
                                         QRegularExpression::MultilineOption);
    std::vector<QSizeF> sizes;
    for (auto it = line.globalMatch(report); it.hasNext();) {
        const auto m = it.next();
        sizes.emplace_back(m.captured(1).toDouble(), m.captured(2).toDouble());
    }
    return sizes;
}

QString pdfText(const std::string &pdf)
{
    return QString::fromUtf8(runOn(pdf, QStringLiteral("pdftotext"), {}));
}

QStringList pdfPageTexts(const std::string &pdf)
{
    QStringList pages =
        QString::fromUtf8(runOn(pdf, QStringLiteral("pdftotext"), {QStringLiteral("-layout")})).split(u'\f');
    // pdftotext ends every page with a form feed, the last one included.
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

std::vector<std::vector<PdfWord>> pdfWords(const std::string &pdf)
{
    QXmlStreamReader xml(runOn(pdf, QStringLiteral("pdftotext"), {QStringLiteral("-bbox")}));
    std::vector<std::vector<PdfWord>> pages;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == u"page") {
            pages.emplace_back();
        } else if (xml.name() == u"word" && !pages.empty()) {
            const auto a = xml.attributes();
            PdfWord w;
            w.xMin = a.value(QLatin1String("xMin")).toDouble();
            w.yMin = a.value(QLatin1String("yMin")).toDouble();
            w.xMax = a.value(QLatin1String("xMax")).toDouble();
            w.yMax = a.value(QLatin1String("yMax")).toDouble();
            w.text = xml.readElementText();
            pages.back().push_back(w);
        }
    }
    return pages;
}

QImage pdfRegion(const std::string &pdf, int page, int dpi, int x, int y, int w, int h)
{
    TempDir dir;
    const QString file = dir.file(QStringLiteral("doc.pdf"));
    writeFile(file, pdf);
    const QString out = dir.file(QStringLiteral("region"));
    QProcess p;
    p.start(QStringLiteral("pdftoppm"), {QStringLiteral("-gray"),
                                         QStringLiteral("-aa"),
                                         QStringLiteral("no"),
                                         QStringLiteral("-aaVector"),
                                         QStringLiteral("no"),
                                         QStringLiteral("-r"),
                                         QString::number(dpi),
                                         QStringLiteral("-f"),
                                         QString::number(page),
                                         QStringLiteral("-l"),
                                         QString::number(page),
                                         QStringLiteral("-x"),
                                         QString::number(x),
                                         QStringLiteral("-y"),
                                         QString::number(y),
                                         QStringLiteral("-W"),
                                         QString::number(w),
                                         QStringLiteral("-H"),
                                         QString::number(h),
                                         QStringLiteral("-singlefile"),
                                         QStringLiteral("-png"),
                                         file,
                                         out});
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        return QImage();
    }
    return QImage(out + QStringLiteral(".png")).convertToFormat(QImage::Format_Grayscale8);
}

} // namespace prenso::test::probe
