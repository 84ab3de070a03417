// The PDF filter over stored pages: its settings, every object kind through
// the page loop of the filter base, a golden file, and the runs that fail or
// are cancelled halfway.

#include "platform/graphics/pictures.h"
#include "platform/io/streams.h"
#include "report/RLConsts.h"
#include "report/filters/pdf/RLPDFFilter.h"
#include "report/filters/pdf/RLPDFFontMetrics.h"
#include "report/storage/RLGraphicStorage.h"
#include "report/storage/RLGraphicSurface.h"
#include "support/pdf_tools.h"
#include "support/test_support.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

using namespace prenso;
using namespace prenso::test;

namespace {

// A storage of the test's own, which filters may hold too.
struct StorageHolder {
    std::shared_ptr<TRLGraphicStorage> kept = std::make_shared<TRLGraphicStorage>();
    TRLGraphicStorage *storage = kept.get();
    explicit StorageHolder(TRLPageOrientation orientation = TRLPageOrientation::poPortrait)
    {
        storage->SetOrientation(orientation);
        storage->SetPaperWidth(210);
        storage->SetPaperHeight(297);
    }
};

std::unique_ptr<TRLGraphicSurface> newPage(const TRLGraphicStorage &storage)
{
    auto page = std::make_unique<TRLGraphicSurface>();
    page->SetWidth(storage.OrientedWidth());
    page->SetHeight(storage.OrientedHeight());
    page->SetOrientation(storage.Orientation());
    page->SetPaperWidth(storage.PaperWidth());
    page->SetPaperHeight(storage.PaperHeight());
    return page;
}

void setFont(TRLGraphicSurface &page, const QString &name, int size, TFontStyles style = 0, TColor color = clBlack)
{
    TFont font;
    font.SetName(name);
    font.SetSize(size);
    font.SetStyle(style);
    font.SetColor(color);
    page.SetFont(font);
}

// Pages of text lines, written the way pagination writes a form: one
// clipped text per line, in Courier New.
void addTextPages(TRLGraphicStorage &storage, const std::vector<std::vector<std::string>> &pages)
{
    for (const auto &lines : pages) {
        auto page = newPage(storage);
        setFont(*page, QStringLiteral("Courier New"), 10);
        int y = 60;
        for (const std::string &line : lines) {
            const int h = page->TextHeight(line);
            page->TextRect(TRect{40, y, 760, y + h}, 40, y, line);
            y += h;
        }
        storage.Add(std::move(page));
    }
}

std::string bitmapData(int w, int h, QColor color)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(color);
    TBitmap bmp;
    bmp.SetImage(img);
    return "BMP" + bmp.SaveToBytes();
}

// One page with an object of every kind, each field away from its default.
void addEveryKindPage(TRLGraphicStorage &storage)
{
    auto page = newPage(storage);
    TRLGraphicSurface &s = *page;
    s.Macros().SetValue("PageNo", "7");

    auto *px = s.NewObject<TRLPixelObject>();
    px->SetBoundsRect({10, 10, 11, 11});
    px->SetColor({10, 20, 30});

    auto *ln = s.NewObject<TRLLineObject>();
    ln->SetBoundsRect({19, 19, 201, 21});
    ln->SetFromPoint({20, 20});
    ln->SetToPoint({200, 20});
    ln->Pen().SetColor({200, 0, 0});
    ln->Pen().SetStyle(MetaPenStyleDash);
    ln->Pen().SetWidth(2);

    auto *rc = s.NewObject<TRLRectangleObject>();
    rc->SetBoundsRect({20, 40, 120, 90});
    rc->Pen().SetWidth(1);
    rc->Brush().SetColor({255, 255, 200});

    auto *tx = s.NewObject<TRLTextObject>();
    tx->SetBoundsRect({20, 100, 300, 116});
    tx->SetOrigin({20, 100});
    tx->SetText("P\xE1gina {PageNo} \x97 (a\\b)");
    tx->SetTextFlags(MetaTextFlagNoSplit);
    tx->Font().SetName(QStringLiteral("Courier New"));
    tx->Font().SetPixelsPerInch(96);
    tx->Font().SetHeight(-16);
    tx->Font().SetSize(12);
    tx->Font().SetColor({0, 0, 128});

    auto *tr = s.NewObject<TRLTextObject>();
    tr->SetBoundsRect({300, 130, 700, 150});
    tr->SetOrigin({300, 130});
    tr->SetText("Total \x80 9,99");
    tr->SetAlignment(MetaTextAlignmentRight);
    tr->SetLayout(MetaTextLayoutCenter);
    tr->SetTextFlags(0);
    tr->Font().SetName(QStringLiteral("Arial"));
    tr->Font().SetPixelsPerInch(96);
    tr->Font().SetHeight(-13);
    tr->Font().SetSize(10);
    tr->Font().SetStyle(MetaFontStyleBold);

    auto *fr = s.NewObject<TRLFillRectObject>();
    fr->SetBoundsRect({20, 160, 774, 170});
    fr->Brush().SetColor({220, 220, 220});

    auto *el = s.NewObject<TRLEllipseObject>();
    el->SetBoundsRect({300, 200, 360, 240});
    el->Pen().SetColor({0, 100, 0});
    el->Brush().SetStyle(MetaBrushStyleClear);

    auto *pg = s.NewObject<TRLPolygonObject>();
    pg->SetBoundsRect({399, 199, 501, 251});
    pg->SetPoints({{400, 250}, {500, 250}, {450, 200}});
    pg->Brush().SetColor({0, 0, 255});

    auto *pl = s.NewObject<TRLPolylineObject>();
    pl->SetBoundsRect({9, 199, 31, 221});
    pl->SetPoints({{10, 200}, {20, 220}, {30, 200}});
    pl->Pen().SetStyle(MetaPenStyleDot);

    auto *sc = s.NewObject<TRLSetClipRectObject>();
    sc->SetBoundsRect({600, 200, 640, 230});
    auto *im = s.NewObject<TRLImageObject>();
    im->SetBoundsRect({600, 200, 660, 240});
    im->SetData(bitmapData(3, 2, Qt::red));
    auto *rs = s.NewObject<TRLResetClipRectObject>();
    rs->SetBoundsRect({0, 0, 794, 1123});

    storage.Add(std::move(page));
}

std::vector<int> objectOrder(const std::string &pdf)
{
    std::vector<int> order;
    static const QRegularExpression re(QStringLiteral("(?:^|\\n)(\\d+) 0 obj"));
    auto it = re.globalMatch(QString::fromLatin1(pdf.data(), static_cast<qsizetype>(pdf.size())));
    while (it.hasNext())
        order.push_back(it.next().captured(1).toInt());
    return order;
}

QStringList trimmedLines(const QString &page)
{
    QStringList lines = NonBlankLines(page);
    for (QString &l : lines)
        l = l.trimmed();
    return lines;
}

// A filter whose operator cancels after the first page.
class CancellingFilter : public TRLPDFFilter {
protected:
    void InternalDrawPage(TRLGraphicPage *page) override
    {
        TRLPDFFilter::InternalDrawPage(page);
        FCanceled = true;
    }
};

} // namespace

TEST(PdfFilter, DefaultsAndSettings)
{
    TRLPDFFilter filter;
    EXPECT_EQ(filter.DisplayName(), LS().LS_PDFFormatStr);
    EXPECT_EQ(filter.DefaultExt(), QStringLiteral(".pdf"));
    EXPECT_EQ(filter.ImageFormat(), TRLPDFFilterImageFormat::ifJPeg);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^Prenso \\d+\\.\\d+\\.\\d+$"))
                    .match(filter.DocumentInfo().Creator())
                    .hasMatch())
        << filter.DocumentInfo().Creator().toStdString();
    EXPECT_TRUE(filter.DocumentInfo().Title().isEmpty());
    EXPECT_TRUE(filter.DocumentInfo().Producer().isEmpty());
    EXPECT_EQ(SaveFilterByFileName(QStringLiteral("/tmp/Report.PDF")), &filter);

    // New filters start from the process-wide default; existing ones keep theirs.
    const TRLPDFFilterDocumentInfo saved = DefaultDocumentInfo();
    DefaultDocumentInfo().SetAuthor(QStringLiteral("Someone"));
    TRLPDFFilter second;
    EXPECT_EQ(second.DocumentInfo().Author(), QStringLiteral("Someone"));
    EXPECT_TRUE(filter.DocumentInfo().Author().isEmpty());
    DefaultDocumentInfo() = saved;
    second.SetDocumentInfo(nullptr);
    EXPECT_EQ(second.DocumentInfo(), TRLPDFFilterDocumentInfo());

    const TRLPDFFilterTextControl &tc = filter.TextControl();
    EXPECT_TRUE(tc.FormFeed());
    EXPECT_FALSE(tc.WordWrap());
    EXPECT_EQ(tc.TabSize(), 8);
    TRLPDFFilterTextControl other;
    other.SetTabSize(4);
    other.SetWordWrap(true);
    filter.SetTextControl(&other);
    EXPECT_EQ(filter.TextControl(), other);
    filter.SetTextControl(nullptr);
    EXPECT_FALSE(filter.TextControl().FormFeed());
    EXPECT_FALSE(filter.TextControl().WordWrap());
    EXPECT_EQ(filter.TextControl().TabSize(), 8);

    const TRLPDFFilterPageSetup &ps = filter.PageSetup();
    EXPECT_EQ(ps.FontPointSize(), 10);
    EXPECT_EQ(ps.ColumnFontPointSize(), 10);
    EXPECT_EQ(ps.LeadingPointSize(), 12);
    EXPECT_EQ(ps.ColumnLeadingPointSize(), 12);
    TRLPDFFilterPageSetup setup;
    setup.SetLandScape(true);
    setup.SetColumnCount(2);
    setup.SetBorderDashPattern(TRLPDFFilterDashPatternType::dp33);
    filter.SetPageSetup(&setup);
    EXPECT_EQ(filter.PageSetup(), setup);
    filter.SetPageSetup(nullptr);
    EXPECT_EQ(filter.PageSetup().FontPointSize(), 0);
    EXPECT_FALSE(filter.PageSetup().LandScape());
}

// The edge case of the file layout through the whole filter: reservations
// give 1, 2, 5, 6, 7, 8, 4, 3.
TEST(PdfFilter, OnePageWithOneStandardFontThroughTheFilter)
{
    TempDir dir;
    StorageHolder h;
    auto page = newPage(*h.storage);
    setFont(*page, QStringLiteral("Helvetica"), 12);
    page->TextOut(40, 40, "Hello");
    h.storage->Add(std::move(page));

    TRLPDFFilter filter;
    filter.SetShowProgress(false);
    filter.SetEmbedFonts(false); // the file's own layout, without font programs
    filter.SetFileName(dir.file(QStringLiteral("one.pdf")));
    filter.FilterPages(h.storage);
    const std::string pdf = readFile(filter.FileName());
    EXPECT_EQ(objectOrder(pdf), (std::vector<int>{1, 2, 5, 6, 7, 8, 4, 3}));
    EXPECT_NE(pdf.find("\r\nxref\r\n0 9\r\n"), std::string::npos);
    EXPECT_NE(pdf.find("/Creator(" + PrensoCreatorText().toStdString() + ")"), std::string::npos);
    EXPECT_TRUE(QpdfCheckClean(filter.FileName()));
    EXPECT_EQ(trimmedLines(PdfTextPages(filter.FileName()).value(0)), QStringList{QStringLiteral("Hello")});
}

TEST(PdfFilter, FormPagesComeBackAsTextPageByPage)
{
    TempDir dir;
    StorageHolder h;
    addTextPages(*h.storage, {{"PEDIDO N\xBA 1234",
                               "Descri\xE7\xE3o: caf\xE9 & a\xE7\xFA"
                               "car",
                               "Pre\xE7o \x80 12,50 \x96 \x93ok\x94"},
                              {"P\xE1gina 2", "Linha com tab\tdepois"},
                              {"\xC9 o fim \x85"}});
    TRLPDFFilter filter;
    filter.SetShowProgress(false);
    filter.SetFileName(dir.file(QStringLiteral("form.pdf")));
    filter.FilterPages(h.storage);
    EXPECT_TRUE(QpdfCheckClean(filter.FileName()));
    QMap<QString, QString> info;
    ASSERT_TRUE(PdfInfo(filter.FileName(), &info));
    EXPECT_EQ(info.value(QStringLiteral("Pages")), QStringLiteral("3"));
    const QStringList pages = PdfTextPages(filter.FileName());
    ASSERT_EQ(pages.size(), 3);
    EXPECT_EQ(trimmedLines(pages[0]),
              (QStringList{QStringLiteral("PEDIDO Nº 1234"), QStringLiteral("Descrição: café & açúcar"),
                           QStringLiteral("Preço € 12,50 – “ok”")}));
    EXPECT_EQ(trimmedLines(pages[1]).value(0), QStringLiteral("Página 2"));
    EXPECT_TRUE(trimmedLines(pages[1]).value(1).startsWith(QStringLiteral("Linha com tab")));
    EXPECT_EQ(trimmedLines(pages[2]), QStringList{QStringLiteral("É o fim …")});

    // A page range writes only those pages.
    filter.SetFileName(dir.file(QStringLiteral("range.pdf")));
    filter.FilterPages(h.storage, 2, 3, QString(), TRLPrintOddEvenPages::odAllPages);
    const QStringList range = PdfTextPages(filter.FileName());
    ASSERT_EQ(range.size(), 2);
    EXPECT_EQ(trimmedLines(range[0]).value(0), QStringLiteral("Página 2"));
    EXPECT_TRUE(QpdfCheckClean(filter.FileName()));
}

TEST(PdfFilter, LandscapePagesHaveTheirOwnMediaBox)
{
    TempDir dir;
    StorageHolder h(TRLPageOrientation::poLandscape);
    addTextPages(*h.storage, {{"wide page"}});
    TRLPDFFilter filter;
    filter.SetShowProgress(false);
    filter.SetFileName(dir.file(QStringLiteral("land.pdf")));
    filter.FilterPages(h.storage);
    EXPECT_TRUE(QpdfCheckClean(filter.FileName()));
    QMap<QString, QString> info;
    ASSERT_TRUE(PdfInfo(filter.FileName(), &info));
    EXPECT_TRUE(info.value(QStringLiteral("Page size")).startsWith(QStringLiteral("842.25 x 595.5 pts")))
        << info.value(QStringLiteral("Page size")).toStdString();
    EXPECT_EQ(trimmedLines(PdfTextPages(filter.FileName()).value(0)), QStringList{QStringLiteral("wide page")});
}

// One small page with every object kind, compared byte for byte with the
// file kept in tests/report/filters/pdf/data (written with a fixed date). The fonts are
// those the install script brings (Liberation), so the file stays the same
// on every machine built that way. PRENSO_UPDATE_GOLDEN=1 rewrites it after
// an intended change; look at the difference before committing it.
TEST(PdfFilter, EveryObjectKindMatchesTheGoldenFile)
{
    TempDir dir;
    StorageHolder h;
    addEveryKindPage(*h.storage);
    TRLPDFFilter filter;
    filter.SetShowProgress(false);
    filter.SetDeterministic(true);
    filter.SetEmbedFonts(false); // a golden file one can read
    filter.SetImageFormat(TRLPDFFilterImageFormat::ifBitmap);
    TRLPDFFilterDocumentInfo info;
    info.SetTitle(QStringLiteral("Every kind"));
    info.SetCreator(QStringLiteral("Prenso tests"));
    filter.SetDocumentInfo(&info);
    filter.SetFileName(dir.file(QStringLiteral("every.pdf")));
    filter.FilterPages(h.storage);
    const std::string pdf = readFile(filter.FileName());
    EXPECT_TRUE(QpdfCheckClean(filter.FileName()));
    EXPECT_EQ(trimmedLines(PdfTextPages(filter.FileName()).value(0)),
              (QStringList{QStringLiteral("Página 7 — (a\\b)"), QStringLiteral("Total € 9,99")}));

    const QString golden = QStringLiteral(PRENSO_SOURCE_DIR "/tests/report/filters/pdf/data/every_kind.pdf");
    if (std::getenv("PRENSO_UPDATE_GOLDEN"))
        writeFile(golden, pdf);
    ASSERT_TRUE(QFile::exists(golden));
    const std::string expected = readFile(golden);
    if (pdf != expected) {
        size_t at = 0;
        while (at < pdf.size() && at < expected.size() && pdf[at] == expected[at])
            ++at;
        ADD_FAILURE() << "differs from " << golden.toStdString() << " at byte " << at << ":\n  got      "
                      << pdf.substr(at, 60) << "\n  expected " << expected.substr(at, 60);
    }

    // Into memory the same document comes out, after what the buffer held;
    // a failed run takes back what it put there.
    std::string memory = "kept";
    filter.SetOutputBuffer(&memory);
    filter.FilterPages(h.storage);
    EXPECT_TRUE(memory == "kept" + pdf);
    filter.SetImageFormat(static_cast<TRLPDFFilterImageFormat>(9));
    EXPECT_THROW(filter.FilterPages(h.storage), Exception);
    EXPECT_TRUE(memory == "kept" + pdf);
}

// Pictures are written before their page and the page draws them by their
// numbers; data that does not decode is left out without spoiling the file.
TEST(PdfFilter, PicturesAreWrittenBeforeTheirPageAndBadOnesLeftOut)
{
    TempDir dir;
    StorageHolder h;
    auto page = newPage(*h.storage);
    page->NewObject<TRLImageObject>()->SetData("NIL");
    auto *bad = page->NewObject<TRLImageObject>();
    bad->SetBoundsRect({0, 0, 50, 50});
    bad->SetData("BMPnot a bitmap");
    auto *good = page->NewObject<TRLImageObject>();
    good->SetBoundsRect({100, 100, 200, 150});
    good->SetData(bitmapData(10, 5, Qt::green));
    h.storage->Add(std::move(page));

    TRLPDFFilter filter;
    filter.SetShowProgress(false);
    filter.SetFileName(dir.file(QStringLiteral("pics.pdf")));
    filter.FilterPages(h.storage);
    const std::string pdf = readFile(filter.FileName());
    EXPECT_LT(pdf.find("/Subtype/Image"), pdf.find("/Type/Page\r\n"));
    EXPECT_EQ(pdf.find("/Image2"), std::string::npos);
    EXPECT_NE(pdf.find("/Image1 Do"), std::string::npos);
    EXPECT_TRUE(QpdfCheckClean(filter.FileName()));
    const QImage rendered = RenderPage(filter.FileName(), 1);
    const QRgb c = rendered.pixel(150, 125);
    EXPECT_LT(qRed(c), 60);
    EXPECT_GT(qGreen(c), 200);
}

// A logo on every page is one picture object that every page draws.
TEST(PdfFilter, ThePictureOfEveryPageIsWrittenOnce)
{
    TempDir dir;
    StorageHolder h;
    const std::string logo = bitmapData(8, 8, Qt::blue);
    for (int p = 0; p < 3; ++p) {
        auto page = newPage(*h.storage);
        auto *im = page->NewObject<TRLImageObject>();
        im->SetBoundsRect({50 + 10 * p, 50, 90 + 10 * p, 90});
        im->SetData(logo);
        if (p == 1) {
            auto *other = page->NewObject<TRLImageObject>();
            other->SetBoundsRect({200, 200, 240, 240});
            other->SetData(bitmapData(8, 8, Qt::red));
        }
        h.storage->Add(std::move(page));
    }
    TRLPDFFilter filter;
    filter.SetShowProgress(false);
    filter.SetFileName(dir.file(QStringLiteral("logo.pdf")));
    filter.FilterPages(h.storage);
    const std::string pdf = readFile(filter.FileName());
    int images = 0;
    for (size_t at = pdf.find("/Subtype/Image"); at != std::string::npos; at = pdf.find("/Subtype/Image", at + 1))
        ++images;
    EXPECT_EQ(images, 2);
    EXPECT_TRUE(QpdfCheckClean(filter.FileName()));
    for (int p = 1; p <= 3; ++p) {
        const QRgb c = RenderPage(filter.FileName(), p).pixel(70 + 10 * (p - 1), 70);
        EXPECT_TRUE(qBlue(c) > 200 && qRed(c) < 60) << "page " << p;
    }
    const QRgb red = RenderPage(filter.FileName(), 2).pixel(220, 220);
    EXPECT_TRUE(qRed(red) > 200 && qBlue(red) < 60);
}

// More pages than the storage keeps in memory, each with a picture of its
// own: pages read back take the memory (and so the addresses) of pages let
// go, and each must still draw its own picture, not one of a page before.
TEST(PdfFilter, EveryPageDrawsItsOwnPicture)
{
    TempDir dir;
    StorageHolder h;
    const QColor colors[] = {Qt::red, Qt::green, Qt::blue, Qt::yellow, Qt::cyan, Qt::magenta, Qt::black, Qt::gray};
    for (const QColor &color : colors) {
        auto page = newPage(*h.storage);
        auto *im = page->NewObject<TRLImageObject>();
        im->SetBoundsRect({100, 100, 200, 150});
        im->SetData(bitmapData(4, 4, color));
        h.storage->Add(std::move(page));
    }
    h.storage->FlushPages();
    TRLPDFFilter filter;
    filter.SetShowProgress(false);
    filter.SetFileName(dir.file(QStringLiteral("own.pdf")));
    filter.FilterPages(h.storage);
    int page = 0;
    for (const QColor &color : colors) {
        const QRgb c = RenderPage(filter.FileName(), ++page).pixel(150, 125);
        EXPECT_LT(std::abs(qRed(c) - color.red()) + std::abs(qGreen(c) - color.green()) +
                      std::abs(qBlue(c) - color.blue()),
                  60)
            << "page " << page;
    }
}

// A page that fails ends the run with its error; the page loop still ends
// the document, which must then drop the file instead of completing it.
TEST(PdfFilter, AnErrorInAPageLeavesNoFileAndKeepsTheEarlierOne)
{
    TempDir dir;
    StorageHolder h;
    addTextPages(*h.storage, {{"first"}});
    auto page = newPage(*h.storage);
    auto *im = page->NewObject<TRLImageObject>();
    im->SetBoundsRect({0, 0, 10, 10});
    im->SetData(bitmapData(2, 2, Qt::red));
    h.storage->Add(std::move(page));

    const QString path = dir.file(QStringLiteral("report.pdf"));
    writeFile(path, "the earlier report");
    TRLPDFFilter filter;
    filter.SetShowProgress(false);
    filter.SetFileName(path);
    filter.SetImageFormat(static_cast<TRLPDFFilterImageFormat>(9));
    try {
        filter.FilterPages(h.storage);
        FAIL() << "no error";
    } catch (const Exception &e) {
        EXPECT_EQ(e.message(), QStringLiteral("Unknown imageformat"));
    }
    EXPECT_EQ(readFile(path), "the earlier report");
    EXPECT_EQ(listFolder(dir.path()), QStringList{QStringLiteral("report.pdf")});
}

// A page the page file can no longer give back (the file damaged in the
// middle of a run) is an error that names it; a PDF of the pages before it
// would pass for the whole report.
TEST(PdfFilter, APageThatCannotBeReadLeavesNoFile)
{
    TempDir dir;
    StorageHolder h;
    addTextPages(*h.storage, {{"one"}, {"two"}, {"three"}, {"four"}, {"five"}, {"six"}, {"seven"}});
    {
        // Pages 1 and 2 are only in the page file now: cut it inside page 2.
        QFile file(h.storage->TempFileName());
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.resize(file.size() / 5));
    }
    const QString path = dir.file(QStringLiteral("whole.pdf"));
    writeFile(path, "the earlier report");
    TRLPDFFilter filter;
    filter.SetShowProgress(false);
    filter.SetFileName(path);
    try {
        filter.FilterPages(h.storage);
        FAIL() << "a PDF without a page passed for the whole report";
    } catch (const EReadError &e) {
        EXPECT_TRUE(e.message().startsWith(QStringLiteral("Page 2 cannot be read"))) << e.message().toStdString();
    }
    EXPECT_EQ(readFile(path), "the earlier report");
    EXPECT_EQ(listFolder(dir.path()), QStringList{QStringLiteral("whole.pdf")});
}

// A text that names a long macro value thousands of times is written cut to
// the bounded length of a displayed text, not as megabytes per text.
TEST(PdfFilter, AMacroBombStaysSmall)
{
    TempDir dir;
    StorageHolder h;
    h.storage->Macros().SetValue("m", std::string(10000, 'v'));
    std::string bomb;
    for (int i = 0; i < 5000; ++i)
        bomb += "{m}";
    addTextPages(*h.storage, {{bomb}});
    TRLPDFFilter filter;
    filter.SetShowProgress(false);
    filter.SetFileName(dir.file(QStringLiteral("bomb.pdf")));
    filter.FilterPages(h.storage);
    EXPECT_LT(QFileInfo(filter.FileName()).size(), 4 * static_cast<qint64>(TRLTextObject::kMaxDisplayTextLength));
    EXPECT_TRUE(QpdfCheckClean(filter.FileName()));
}

TEST(PdfFilter, FontMetricsFailureAtTheEndLeavesNoFile)
{
    TempDir dir;
    StorageHolder h;
    addTextPages(*h.storage, {{"one"}, {"two"}});
    TRLPDFFilter filter;
    filter.SetShowProgress(false);
    filter.SetFileName(dir.file(QStringLiteral("f.pdf")));
    filter.SetFontMetricsProvider([](const QString &, TFontStyles, TRLMetaFontMetrics &) {
        throw Exception(QStringLiteral("GetOutlineTextMetrics failed"));
    });
    try {
        filter.FilterPages(h.storage);
        FAIL() << "no error";
    } catch (const Exception &e) {
        EXPECT_EQ(e.message(), QStringLiteral("GetOutlineTextMetrics failed"));
    }
    EXPECT_TRUE(listFolder(dir.path()).isEmpty());
}

TEST(PdfFilter, MissingFolderRaisesBeforeAnyPage)
{
    TempDir dir;
    StorageHolder h;
    addTextPages(*h.storage, {{"x"}});
    TRLPDFFilter filter;
    filter.SetShowProgress(false);
    filter.SetFileName(dir.file(QStringLiteral("gone/out.pdf")));
    EXPECT_THROW(filter.FilterPages(h.storage), EFCreateError);
    EXPECT_TRUE(listFolder(dir.path()).isEmpty());
    // The filter is usable again afterwards.
    filter.SetFileName(dir.file(QStringLiteral("out.pdf")));
    filter.FilterPages(h.storage);
    EXPECT_TRUE(QpdfCheckClean(filter.FileName()));
}

// A cancelled run writes nothing: a file with only the pages done so far
// would pass for the whole report.
TEST(PdfFilter, CancelledRunLeavesNoFile)
{
    TempDir dir;
    StorageHolder h;
    addTextPages(*h.storage, {{"one"}, {"two"}, {"three"}});
    CancellingFilter filter;
    filter.SetShowProgress(false);
    filter.SetFileName(dir.file(QStringLiteral("c.pdf")));
    filter.FilterPages(h.storage);
    EXPECT_TRUE(filter.Canceled());
    EXPECT_TRUE(listFolder(dir.path()).isEmpty());
}
