#pragma once
// Outside judges of the PDF files the tests write: qpdf checks the file's
// structure, pdfinfo and pdftotext read it as a viewer would.

#include <QImage>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>

#include <string>

namespace prenso::test {

struct ToolRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs a program with arguments (no shell) and collects its output.
ToolRun runTool(const QString &program, const QStringList &args);

// `qpdf --check` passes: exit status 0 and no warning anywhere in its output.
::testing::AssertionResult QpdfCheckClean(const QString &pdf);

// Apache PDFBox Preflight finds the file a valid PDF/A-1b file (its errors,
// one per line, when not).
::testing::AssertionResult PdfA1bValid(const QString &pdf);

// `pdfinfo` reads the file; its "Key: value" lines, keys without the colon.
::testing::AssertionResult PdfInfo(const QString &pdf, QMap<QString, QString> *fields = nullptr);

// `pdftotext -layout` as UTF-8, one entry per page (split at form feeds).
QStringList PdfTextPages(const QString &pdf);

// The lines of a page's text with trailing blanks removed and blank lines
// dropped.
QStringList NonBlankLines(const QString &pageText);

// One page rendered by pdftoppm at `dpi` (96 gives report pixels); a null
// image when it cannot be rendered.
QImage RenderPage(const QString &pdf, int page, int dpi = 96);

// Words with their boxes in points from the top left, as `pdftotext -bbox`
// gives them.
struct PdfWord {
    QString text;
    double xMin = 0, yMin = 0, xMax = 0, yMax = 0;
};
QList<PdfWord> PdfWords(const QString &pdf, int page = 1);

// The fonts `pdffonts` lists, one entry per font object.
struct PdfFontInfo {
    QString name; // with its subset prefix
    QString type; // "TrueType", "Type 1C", "Type 1", …
    bool embedded = false;
    bool subset = false;
};
QList<PdfFontInfo> PdfFonts(const QString &pdf);

// A small tmpfs mounted on a fresh folder for the life of the object, to
// give a real full disk or a real read-only folder. Needs root; ok() tells
// whether the mount worked.
class ScopedTmpfs {
public:
    ScopedTmpfs(const QString &folder, int kilobytes, bool readOnly = false);
    ~ScopedTmpfs();
    ScopedTmpfs(const ScopedTmpfs &) = delete;
    ScopedTmpfs &operator=(const ScopedTmpfs &) = delete;
    bool ok() const { return m_mounted; }
    const QString &path() const { return m_folder; }

private:
    QString m_folder;
    bool m_mounted = false;
};

} // namespace prenso::test
