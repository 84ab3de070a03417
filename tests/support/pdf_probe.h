#pragma once
// Outside judges of the PDF documents that reach a printer: the poppler
// tools read them back as text, words with positions, pictures and facts.

#include <QImage>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <string>
#include <vector>

namespace prenso::test::probe {

// One field of pdfinfo's report ("Pages", "Title", ...), or a note in
// parentheses saying why there is none.
QString pdfInfoField(const std::string &pdf, const QString &field);
// pdfinfo's page count, or -1.
int pdfPageCount(const std::string &pdf);
// The size of every page in points, as pdfinfo reads it.
std::vector<QSizeF> pdfPageSizes(const std::string &pdf);

// The text of the whole document (pdftotext).
QString pdfText(const std::string &pdf);
// The text of each page, laid out as on the sheet (pdftotext -layout, split
// at its form feeds).
QStringList pdfPageTexts(const std::string &pdf);

struct PdfWord {
    double xMin = 0, yMin = 0, xMax = 0, yMax = 0; // points from the sheet's top left corner
    QString text;
};
// The words of each page with their boxes (pdftotext -bbox).
std::vector<std::vector<PdfWord>> pdfWords(const std::string &pdf);

// Part of page `page` (from 1) drawn at `dpi` in grey, without smoothing, so
// that one device pixel of the printer is one pixel here when `dpi` is the
// printer's resolution; (x, y, w, h) in pixels of that drawing.
QImage pdfRegion(const std::string &pdf, int page, int dpi, int x, int y, int w, int h);

} // namespace prenso::test::probe
