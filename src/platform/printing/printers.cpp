#include "platform/printing/printers.h"

#include "platform/graphics/units.h"
#include "platform/printing/printqueue.h"
#include "platform/printing/printserver.h"
#include "platform/system/errors.h"
#include "platform/system/session.h"

#include <QCoreApplication>
#include <QLocale>
#include <QPageLayout>
#include <QPainter>
#include <QPrintEngine>
#include <QPrinter>
#include <QPrinterInfo>
#include <cups/cups.h>

#include <algorithm>
#include <cmath>

namespace prenso::printing {

// ---------------------------------------------------------------------------
// The printer object

namespace {

// The paper a printer without a paper list of its own starts with.
QPageSize localeDefaultPageSize()
{
    const QLocale::MeasurementSystem system = QLocale().measurementSystem();
    return QPageSize(system == QLocale::ImperialUSSystem ? QPageSize::Letter : QPageSize::A4);
}

// The toolkit's printer prints at 1200 dots per inch in high-resolution mode
// on this platform; pages for a queue are laid out at that resolution either
// way.
constexpr int kPrinterResolution = 1200;

} // namespace

PlatformPrinter::PlatformPrinter() = default;

PlatformPrinter::~PlatformPrinter()
{
    if (m_painter && m_painter->isActive())
        m_painter->end();
}

const QStringList &PlatformPrinter::printers()
{
    if (!m_listRead) {
        m_names = installedPrinterNames();
        m_listRead = true;
    }
    return m_names;
}

void PlatformPrinter::refreshPrinters()
{
    m_printerInfos.clear();
    m_queues.clear();
    m_problems.clear();
    m_names = installedPrinterNames();
    m_listRead = true;
    // Advertised printers asked for stay at the end, unless a queue of that
    // name has come.
    std::erase_if(m_advertised, [&](const AdvertisedPrinter &p) { return m_names.contains(p.name); });
    for (const AdvertisedPrinter &printer : m_advertised)
        m_names.append(printer.name);
    if (m_index >= m_names.size()) {
        m_index = -1;
        m_settingsValid = false;
        m_described = true;
    }
}

int PlatformPrinter::addAdvertised(const AdvertisedPrinter &printer)
{
    const int known = static_cast<int>(printers().indexOf(printer.name));
    if (known >= 0)
        return known;
    m_advertised.push_back(printer);
    m_names.append(printer.name);
    return static_cast<int>(m_names.size()) - 1;
}

QString PlatformPrinter::selectedName() const
{
    return m_index >= 0 && m_index < m_names.size() ? m_names[m_index] : QString();
}

bool PlatformPrinter::select(int index)
{
    const QStringList &names = printers();
    if (index < -1 || index >= names.size())
        return false;
    m_index = index;
    m_paper = PaperSetting();
    m_operatorLayout = false;
    m_queue.reset();
    m_problem.clear();
    m_settingsValid = false;
    // Described when its settings are first needed.
    m_described = index < 0;
    m_settings = Settings();
    return true;
}

// The selected printer's defaults, from what the print server says of it:
// its default paper with its own margins, and its default sides. The queue
// may have gone since the list was read, or an advertised printer not
// answer; then this printer's settings are not at hand.
void PlatformPrinter::describeSelection() const
{
    if (m_described)
        return;
    m_described = true;
    const QString name = selectedName();
    m_queue = queueOf(name);
    m_settingsValid = m_queue != nullptr;
    m_problem = m_problems.value(name);
    if (!m_settingsValid)
        return;
    QPageSize pageSize = m_queue->defaultPageSize();
    if (!pageSize.isValid())
        pageSize = localeDefaultPageSize();
    setOwnPageSize(pageSize);
    m_settings.sides = m_queue->defaultSides();
}

// The page as a driver sets it: the printer's own paper for the size when it
// has one, its unprintable margins as the page's margins.
void PlatformPrinter::setOwnPageSize(const QPageSize &pageSize) const
{
    const QPageSize own = m_queue->supportedPageSize(pageSize);
    const QPageSize use = own.isValid() ? own : pageSize;
    const QMarginsF minimum = m_queue->printableMargins(use);
    m_settings.layout.setPageSize(use, minimum);
    m_settings.layout.setMargins(minimum);
}

// An advertised printer is described through the temporary queue the
// server makes for it, which may take a moment: the printer is asked what
// it takes. One that does not answer is given up after a bounded wait.
std::shared_ptr<const PrintQueue> PlatformPrinter::queueOf(const QString &name) const
{
    auto known = m_queues.find(name);
    if (known != m_queues.end())
        return *known;
    QString problem;
    std::shared_ptr<const PrintQueue> queue;
    const auto advertised = std::find_if(m_advertised.begin(), m_advertised.end(),
                                         [&](const AdvertisedPrinter &p) { return p.name == name; });
    if (advertised == m_advertised.end())
        queue = PrintQueue::describe(name);
    else if (makeTemporaryQueue(*advertised, &problem))
        queue = PrintQueue::describe(name, &problem);
    // A queue that went away is simply not there; why an advertised printer
    // could not be had is worth telling.
    if (!queue && advertised != m_advertised.end())
        m_problems.insert(name, problem);
    return *m_queues.insert(name, queue);
}

// Asking the print server about a printer takes a round trip and a parse of
// its description: the toolkit's answer is kept as long as the list of
// printers it came with.
const QPrinterInfo &PlatformPrinter::printerInfoOf(const QString &name) const
{
    auto known = m_printerInfos.find(name);
    if (known == m_printerInfos.end())
        known = m_printerInfos.insert(name, std::make_shared<const QPrinterInfo>(QPrinterInfo::printerInfo(name)));
    return **known;
}

bool PlatformPrinter::hasDeviceSettings() const
{
    if (m_index < 0)
        return false;
    describeSelection();
    return m_settingsValid;
}

void PlatformPrinter::setPaper(int code, int widthTenths, int lengthTenths, QSizeF sizeMM)
{
    if (!hasDeviceSettings() || m_operatorLayout)
        return;
    m_paper.code = code;
    QPageSize pageSize;
    if (code == 256) {
        if (widthTenths != 0)
            m_paper.widthTenths = widthTenths;
        if (lengthTenths != 0)
            m_paper.lengthTenths = lengthTenths;
        const QSizeF current = m_settings.layout.pageSize().size(QPageSize::Millimeter);
        const QSizeF size(m_paper.widthTenths > 0 ? m_paper.widthTenths / 10.0 : current.width(),
                          m_paper.lengthTenths > 0 ? m_paper.lengthTenths / 10.0 : current.height());
        pageSize = QPageSize(size, QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
    } else {
        // By code the printing system picks the paper's true size, as a
        // driver does; the measure is only for codes it does not know.
        const QPageSize::PageSizeId id = QPageSize::id(code);
        if (id != QPageSize::Custom)
            pageSize = QPageSize(id);
        else if (sizeMM.width() > 0 && sizeMM.height() > 0)
            pageSize = QPageSize(sizeMM, QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
    }
    if (pageSize.isValid())
        setOwnPageSize(pageSize);
}

namespace {

// The IPP sides a toolkit printer's duplex stands for.
QByteArray sidesOf(QPrinter::DuplexMode duplex, bool landscape)
{
    switch (duplex) {
    case QPrinter::DuplexNone: break;
    case QPrinter::DuplexLongSide: return "two-sided-long-edge";
    case QPrinter::DuplexShortSide: return "two-sided-short-edge";
    case QPrinter::DuplexAuto: return landscape ? "two-sided-short-edge" : "two-sided-long-edge";
    }
    return "one-sided";
}

QPrinter::DuplexMode duplexOf(const QByteArray &sides)
{
    return sides == "two-sided-long-edge"    ? QPrinter::DuplexLongSide
           : sides == "two-sided-short-edge" ? QPrinter::DuplexShortSide
                                             : QPrinter::DuplexNone;
}

// The options the toolkit's printer passes to the print server besides its
// own settings (what its setup dialog adds: pages per sheet, page border …),
// as name and value pairs.
constexpr auto kCupsOptions = QPrintEngine::PrintEnginePropertyKey(0xfe00);

} // namespace

void PlatformPrinter::keepOperatorLayout()
{
    if (!hasDeviceSettings() || !m_printer)
        return;
    const QPageLayout chosen = m_printer->pageLayout();
    m_settings.layout.setOrientation(chosen.orientation());
    setOwnPageSize(chosen.pageSize());
    m_settings.collate = m_printer->collateCopies();
    m_settings.sides = sidesOf(m_printer->duplex(), chosen.orientation() == QPageLayout::Landscape);
    m_settings.chosen.clear();
    const QStringList extra = m_printer->printEngine()->property(kCupsOptions).toStringList();
    for (qsizetype i = 0; i + 1 < extra.size(); i += 2)
        m_settings.chosen.push_back({extra[i].toUtf8(), extra[i + 1].toUtf8()});
    const QPageSize pageSize = m_settings.layout.pageSize();
    const int code = pageSize.windowsId();
    // A paper the driver has no code for is user-defined (code 256).
    if (pageSize.id() == QPageSize::Custom || code <= 0 || code == 256) {
        const QSizeF mm = pageSize.size(QPageSize::Millimeter);
        m_paper = PaperSetting{256, RoundCoord(mm.width() * 10), RoundCoord(mm.height() * 10)};
    } else {
        m_paper = PaperSetting{code, 0, 0};
    }
    m_operatorLayout = true;
}

bool PlatformPrinter::landscape() const
{
    return m_settings.layout.orientation() == QPageLayout::Landscape;
}

void PlatformPrinter::setLandscape(bool landscape)
{
    if (m_operatorLayout)
        return;
    m_settings.layout.setOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    // Turned, the unprintable margins turn with the sheet.
    m_settings.layout.setMargins(m_settings.layout.minimumMargins());
}

int PlatformPrinter::copies() const
{
    return m_settings.copies;
}

void PlatformPrinter::setCopies(int copies)
{
    m_settings.copies = copies;
}

bool PlatformPrinter::readMetrics(DeviceMetrics &metrics) const
{
    if (!hasDeviceSettings())
        return false;
    DeviceMetrics m;
    m.ppiX = kPrinterResolution;
    m.ppiY = kPrinterResolution;
    m.paper = m_settings.layout.fullRectPixels(kPrinterResolution);
    m.printable = m_settings.layout.paintRectPixels(kPrinterResolution);
    if (m.paper.isEmpty() || m.printable.isEmpty())
        return false;
    metrics = m;
    return true;
}

bool PlatformPrinter::printsThroughServer() const
{
    return hasDeviceSettings();
}

namespace {

// A paper by its size as the print server names it: the standard name when
// there is one for the size, else a self-describing custom size.
QByteArray mediaName(const QSizeF &mm)
{
    const int width = RoundCoord(mm.width() * 100);
    const int length = RoundCoord(mm.height() * 100);
    if (pwg_media_t *media = pwgMediaForSize(width, length))
        return QByteArray(media->pwg);
    char name[128];
    if (!pwgFormatSizeName(name, sizeof name, "custom", nullptr, width, length, nullptr))
        return QByteArray();
    return QByteArray(name);
}

} // namespace

std::vector<JobOption> PlatformPrinter::documentOptions() const
{
    std::vector<JobOption> options;
    if (!hasDeviceSettings())
        return options;
    const QPageLayout &layout = m_settings.layout;
    const QByteArray media = mediaName(layout.pageSize().size(QPageSize::Millimeter));
    if (!media.isEmpty())
        options.push_back({"media", media});
    if (layout.orientation() == QPageLayout::Landscape)
        options.push_back({"orientation-requested", "4"});
    if (m_settings.copies > 1) {
        options.push_back({"copies", QByteArray::number(m_settings.copies)});
        if (m_settings.collate)
            options.push_back({"multiple-document-handling", "separate-documents-collated-copies"});
    }
    options.push_back({"sides", m_settings.sides});
    for (const JobOption &chosen : m_settings.chosen) {
        const auto known =
            std::find_if(options.begin(), options.end(), [&](const JobOption &o) { return o.name == chosen.name; });
        if (known != options.end())
            known->value = chosen.value;
        else
            options.push_back(chosen);
    }
    return options;
}

bool PlatformPrinter::beginDocument(const QString &title)
{
    if (!hasDeviceSettings() || printing())
        return false;
    // Painting on the printer needs the toolkit's printer, which quietly
    // takes another printer when it cannot have this one.
    QPrinter &printer = qprinter();
    if (printer.printerName() != selectedName() || !printer.isValid())
        return false;
    printer.setDocName(title);
    if (!m_painter)
        m_painter = std::make_unique<QPainter>();
    return m_painter->begin(&printer);
}

bool PlatformPrinter::newPage()
{
    m_lastError.clear();
    if (!printing()) {
        m_lastError = QStringLiteral("no document is open for a new page");
        return false;
    }
    if (!m_printer->newPage()) {
        m_lastError = QStringLiteral("the printer could not start a new page");
        return false;
    }
    return true;
}

bool PlatformPrinter::endDocument()
{
    m_lastError.clear();
    if (!printing())
        return false;
    // A document for a queue is handed to the print server while the painter
    // ends. Qt does not pass the server's answer on, but the printing
    // library keeps it for this thread: a queue that refuses the job, or a
    // server that has gone, must not look like a printed document.
    const bool toServer = m_printer->outputFormat() == QPrinter::NativeFormat && m_printer->outputFileName().isEmpty();
    if (!m_painter->end()) {
        m_lastError = QStringLiteral("the document could not be finished");
        return false;
    }
    if (toServer && cupsLastError() > IPP_STATUS_OK_EVENTS_COMPLETE) {
        QString reason = QString::fromUtf8(cupsLastErrorString());
        if (reason.isEmpty())
            reason = QString::fromUtf8(ippErrorString(cupsLastError()));
        m_lastError = QStringLiteral("the print server did not take the document (%1)").arg(reason);
        return false;
    }
    return true;
}

bool PlatformPrinter::printing() const
{
    return m_painter && m_painter->isActive();
}

QPainter *PlatformPrinter::painter() const
{
    return printing() ? m_painter.get() : nullptr;
}

QPrinter &PlatformPrinter::qprinter() const
{
    // Made for a printer that is already described, the QPrinter reads only
    // its own copy of the description; made for none, it looks for the
    // user's default printer first and describes that one too.
    const bool described = hasDeviceSettings();
    const QString name = selectedName();
    if (!m_printer) {
        m_printer = described ? std::make_unique<QPrinter>(printerInfoOf(name), QPrinter::HighResolution)
                              : std::make_unique<QPrinter>(QPrinter::HighResolution);
    } else if (described && m_printer->printerName() != name) {
        m_printer->setPrinterName(name);
    }
    if (printing())
        return *m_printer;
    const QPageLayout &layout = m_settings.layout;
    m_printer->setPageOrientation(layout.orientation());
    m_printer->setCopyCount(m_settings.copies);
    m_printer->setCollateCopies(m_settings.collate);
    if (described) {
        m_printer->setPageSize(layout.pageSize());
        m_printer->setDuplex(duplexOf(m_settings.sides));
        QStringList chosen;
        for (const JobOption &option : m_settings.chosen)
            chosen << QString::fromUtf8(option.name) << QString::fromUtf8(option.value);
        m_printer->printEngine()->setProperty(kCupsOptions, chosen);
        // The page rectangle is the printable area, and painting starts at
        // its corner (where a printer puts its first dot), only when the
        // page margins are the printer's own unprintable margins; Qt keeps
        // whatever margins it had before.
        m_printer->setFullPage(false);
        const QPageLayout set = m_printer->pageLayout();
        m_printer->setPageMargins(set.minimumMargins(), set.units());
    }
    return *m_printer;
}

namespace {

// The session's printer: it goes when the session ends, while the
// application object and the printing plugin it talks to are still there.
struct PrinterOfTheSession {
    std::unique_ptr<PlatformPrinter> printer;
};

std::unique_ptr<PlatformPrinter> &printerSlot()
{
    return Session::current().part<PrinterOfTheSession>().printer;
}

} // namespace

PlatformPrinter &thePrinter()
{
    auto &slot = printerSlot();
    if (!slot)
        slot = std::make_unique<PlatformPrinter>();
    return *slot;
}

void resetPrinterForTesting()
{
    printerSlot().reset();
}

} // namespace prenso::printing
