#include "platform/printers.h"

#include "platform/errors.h"
#include "platform/printqueue.h"
#include "platform/printserver.h"
#include "platform/units.h"

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

QRect roundRect(const QRectF &r)
{
    return QRect(RoundCoord(r.x()), RoundCoord(r.y()), RoundCoord(r.width()), RoundCoord(r.height()));
}

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

bool PlatformPrinter::isAdvertised(int index) const
{
    const qsizetype first = m_names.size() - static_cast<qsizetype>(m_advertised.size());
    return index >= first && index < m_names.size();
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
    m_described = true;
    if (index < 0)
        return true;
    const QString name = names[index];
    if (!m_printer) {
        // Described when its settings are first needed.
        m_described = false;
        m_landscape = false;
        m_copies = 1;
        return true;
    }
    m_printer->setPrinterName(name);
    // Qt quietly falls back to another printer when the queue has gone since
    // the list was read; then this printer's settings are not at hand.
    m_settingsValid = m_printer->printerName() == name && m_printer->isValid();
    if (!m_settingsValid)
        return true;
    QPageSize pageSize = defaultPageSizeOf(name);
    if (!pageSize.isValid())
        pageSize = localeDefaultPageSize();
    m_printer->setPageOrientation(QPageLayout::Portrait);
    m_printer->setPageSize(pageSize);
    m_printer->setCopyCount(1);
    fitMarginsToPrintableArea();
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
    m_layout = QPageLayout(QPageSize(QPageSize::A4), m_landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                           QMarginsF(), QPageLayout::Point);
    QPageSize pageSize = m_queue->defaultPageSize();
    if (!pageSize.isValid())
        pageSize = localeDefaultPageSize();
    setOwnPageSize(pageSize);
    m_sides = m_queue->defaultSides();
}

// The page as a driver sets it: the printer's own paper for the size when it
// has one, its unprintable margins as the page's margins.
void PlatformPrinter::setOwnPageSize(const QPageSize &pageSize) const
{
    const QPageSize own = m_queue->supportedPageSize(pageSize);
    const QPageSize use = own.isValid() ? own : pageSize;
    const QMarginsF minimum = m_queue->printableMargins(use);
    m_layout.setPageSize(use, minimum);
    m_layout.setMargins(minimum);
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
// its description, and a job selects its printer several times (the engine
// returns to a printer's defaults by selecting it again): the answer is kept
// as long as the list of printers it came with.
const QPrinterInfo &PlatformPrinter::printerInfoOf(const QString &name) const
{
    auto known = m_printerInfos.find(name);
    if (known == m_printerInfos.end())
        known = m_printerInfos.insert(name, std::make_shared<const QPrinterInfo>(QPrinterInfo::printerInfo(name)));
    return **known;
}

QPageSize PlatformPrinter::defaultPageSizeOf(const QString &name)
{
    return printerInfoOf(name).defaultPageSize();
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
        const QSizeF current = pageLayout().pageSize().size(QPageSize::Millimeter);
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
    if (!pageSize.isValid())
        return;
    if (!m_printer) {
        setOwnPageSize(pageSize);
        return;
    }
    m_printer->setPageSize(pageSize);
    fitMarginsToPrintableArea();
}

void PlatformPrinter::keepOperatorLayout()
{
    if (!hasDeviceSettings())
        return;
    if (m_printer)
        fitMarginsToPrintableArea();
    const QPageSize pageSize = pageLayout().pageSize();
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
    if (!m_printer)
        return m_landscape;
    return m_printer->pageLayout().orientation() == QPageLayout::Landscape;
}

void PlatformPrinter::setLandscape(bool landscape)
{
    if (m_operatorLayout)
        return;
    if (!m_printer) {
        // A printer not described yet takes the orientation when it is.
        m_landscape = landscape;
        if (m_described && m_settingsValid) {
            m_layout.setOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
            m_layout.setMargins(m_layout.minimumMargins());
        }
        return;
    }
    m_printer->setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    if (hasDeviceSettings())
        fitMarginsToPrintableArea();
}

int PlatformPrinter::copies() const
{
    return m_printer ? m_printer->copyCount() : m_copies;
}

void PlatformPrinter::setCopies(int copies)
{
    if (m_printer)
        m_printer->setCopyCount(copies);
    else
        m_copies = copies;
}

// The page rectangle is the printable area, and painting starts at its corner
// (where a printer puts its first dot), only when the page margins are the
// printer's own unprintable margins; Qt keeps whatever margins it had before.
void PlatformPrinter::fitMarginsToPrintableArea() const
{
    m_printer->setFullPage(false);
    const QPageLayout layout = m_printer->pageLayout();
    m_printer->setPageMargins(layout.minimumMargins(), layout.units());
}

bool PlatformPrinter::readMetrics(DeviceMetrics &metrics) const
{
    if (!hasDeviceSettings())
        return false;
    DeviceMetrics m;
    if (m_printer) {
        m.ppiX = m_printer->resolution();
        m.ppiY = m_printer->resolution();
        m.paper = roundRect(m_printer->paperRect(QPrinter::DevicePixel));
        m.printable = roundRect(m_printer->pageRect(QPrinter::DevicePixel));
    } else {
        m.ppiX = kPrinterResolution;
        m.ppiY = kPrinterResolution;
        m.paper = m_layout.fullRectPixels(kPrinterResolution);
        m.printable = m_layout.paintRectPixels(kPrinterResolution);
    }
    if (m.ppiX <= 0 || m.paper.isEmpty() || m.printable.isEmpty())
        return false;
    metrics = m;
    return true;
}

bool PlatformPrinter::printsThroughServer() const
{
    if (!m_printer)
        return hasDeviceSettings();
    return hasDeviceSettings() && m_printer->outputFormat() == QPrinter::NativeFormat &&
           m_printer->outputFileName().isEmpty();
}

QPageLayout PlatformPrinter::pageLayout() const
{
    return m_printer ? m_printer->pageLayout() : m_layout;
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
    const QPageLayout layout = pageLayout();
    const QByteArray media = mediaName(layout.pageSize().size(QPageSize::Millimeter));
    if (!media.isEmpty())
        options.push_back({"media", media});
    const bool landscape = layout.orientation() == QPageLayout::Landscape;
    if (landscape)
        options.push_back({"orientation-requested", "4"});
    const int copies = this->copies();
    if (copies > 1) {
        options.push_back({"copies", QByteArray::number(copies)});
        if (m_printer ? m_printer->collateCopies() : m_collate)
            options.push_back({"multiple-document-handling", "separate-documents-collated-copies"});
    }
    if (!m_printer) {
        options.push_back({"sides", m_sides});
        return options;
    }
    switch (m_printer->duplex()) {
    case QPrinter::DuplexNone: options.push_back({"sides", "one-sided"}); break;
    case QPrinter::DuplexLongSide: options.push_back({"sides", "two-sided-long-edge"}); break;
    case QPrinter::DuplexShortSide: options.push_back({"sides", "two-sided-short-edge"}); break;
    case QPrinter::DuplexAuto:
        options.push_back({"sides", landscape ? "two-sided-short-edge" : "two-sided-long-edge"});
        break;
    }
    // What the setup dialog added (pages per sheet, page border …), as
    // name and value pairs.
    constexpr auto kCupsOptions = QPrintEngine::PrintEnginePropertyKey(0xfe00);
    const QStringList extra = m_printer->printEngine()->property(kCupsOptions).toStringList();
    for (qsizetype i = 0; i + 1 < extra.size(); i += 2) {
        const QByteArray name = extra[i].toUtf8();
        const auto known =
            std::find_if(options.begin(), options.end(), [&](const JobOption &o) { return o.name == name; });
        if (known != options.end())
            known->value = extra[i + 1].toUtf8();
        else
            options.push_back({name, extra[i + 1].toUtf8()});
    }
    return options;
}

bool PlatformPrinter::beginDocument(const QString &title)
{
    if (!hasDeviceSettings() || printing())
        return false;
    // Painting on the printer needs the toolkit's printer.
    qprinter();
    if (!hasDeviceSettings())
        return false;
    m_printer->setDocName(title);
    if (!m_painter)
        m_painter = std::make_unique<QPainter>();
    return m_painter->begin(m_printer.get());
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
    if (!m_printer) {
        // What was set so far moves into the toolkit's printer, which holds
        // the settings from now on.
        const bool described = hasDeviceSettings();
        const QString name = selectedName();
        makePrinter(described ? printerInfoOf(name) : QPrinterInfo());
        if (described) {
            m_printer->setPageSize(m_layout.pageSize());
            m_printer->setCopyCount(m_copies);
            m_printer->setCollateCopies(m_collate);
            m_printer->setDuplex(m_sides == "two-sided-long-edge"    ? QPrinter::DuplexLongSide
                                 : m_sides == "two-sided-short-edge" ? QPrinter::DuplexShortSide
                                                                     : QPrinter::DuplexNone);
            m_settingsValid = m_printer->printerName() == name && m_printer->isValid();
            if (m_settingsValid)
                fitMarginsToPrintableArea();
        }
        m_queue.reset();
    }
    return *m_printer;
}

// Made for a printer that is already described, the QPrinter reads only its
// own copy of the description; made for none, it looks for the user's
// default printer first and describes that one too.
void PlatformPrinter::makePrinter(const QPrinterInfo &info) const
{
    m_printer = info.isNull() ? std::make_unique<QPrinter>(QPrinter::HighResolution)
                              : std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    m_printer->setPageOrientation(m_landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    m_printer->setCopyCount(m_copies);
}

namespace {

std::unique_ptr<PlatformPrinter> &printerSlot()
{
    static std::unique_ptr<PlatformPrinter> slot;
    return slot;
}

// The printer goes with the application object, while the printing plugin
// it talks to is still there.
void freePrinter()
{
    printerSlot().reset();
}

} // namespace

PlatformPrinter &thePrinter()
{
    auto &slot = printerSlot();
    if (!slot) {
        slot = std::make_unique<PlatformPrinter>();
        static bool cleanupRegistered = false;
        if (!cleanupRegistered && QCoreApplication::instance()) {
            qAddPostRoutine(freePrinter);
            cleanupRegistered = true;
        }
    }
    return *slot;
}

void resetPrinterForTesting()
{
    printerSlot().reset();
}

} // namespace prenso::printing
