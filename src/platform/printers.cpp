#include "platform/printers.h"

#include "platform/errors.h"
#include "platform/printqueue.h"
#include "platform/printserver.h"
#include "platform/units.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QPageLayout>
#include <QPainter>
#include <QPrintEngine>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSaveFile>
#include <QSysInfo>
#include <QUrl>
#include <cups/cups.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <pwd.h>
#include <unistd.h>

namespace prenso::printing {

namespace {

std::function<QStringList()> &printerListSource()
{
    static std::function<QStringList()> source;
    return source;
}

// The printing library waits half a minute for a connection and, once
// connected, for ever for an answer. The list is asked for on a connection
// with bounded waits, so that a server that is down or hung cannot stall the
// program: the list of printers is then empty, as with no server at all. It
// holds the destinations as the toolkit names them ("queue" or
// "queue/instance").
QStringList askPrintServerForPrinters()
{
    http_t *http = connectWithBoundedWaits();
    if (!http)
        return {};
    cups_dest_t *dests = nullptr;
    const int count = cupsGetDests2(http, &dests);
    QStringList names;
    names.reserve(count);
    for (int i = 0; i < count; ++i) {
        QString name = QString::fromLocal8Bit(dests[i].name);
        if (dests[i].instance)
            name += u'/' + QString::fromLocal8Bit(dests[i].instance);
        names.append(name);
    }
    cupsFreeDests(count, dests);
    httpClose(http);
    return names;
}

} // namespace

QStringList installedPrinterNames()
{
    if (printerListSource())
        return printerListSource()();
    return askPrintServerForPrinters();
}

void reconnectPrintServer()
{
    cupsSetServer(nullptr);
}

void setPrinterListSourceForTesting(std::function<QStringList()> source)
{
    printerListSource() = std::move(source);
}

// ---------------------------------------------------------------------------
// The user's default printer

QString userOptionsFilePath()
{
    QString home = qEnvironmentVariable("HOME");
    if (home.isEmpty()) {
        if (const passwd *pw = getpwuid(getuid()))
            home = QFile::decodeName(pw->pw_dir);
    }
    return home + QStringLiteral("/.cups/lpoptions");
}

namespace {

// A line of an lpoptions file split into its keyword, the destination
// ("name" or "name/instance") and whatever follows.
struct OptionsLine {
    QString keyword;
    QString destination;
    QString rest;
};

bool splitOptionsLine(const QString &line, OptionsLine &out)
{
    int pos = 0;
    auto skipBlanks = [&] {
        while (pos < line.size() && line[pos].isSpace())
            ++pos;
    };
    auto word = [&] {
        const int start = pos;
        while (pos < line.size() && !line[pos].isSpace())
            ++pos;
        return line.mid(start, pos - start);
    };
    skipBlanks();
    out.keyword = word();
    if (out.keyword.compare(u"Dest", Qt::CaseInsensitive) != 0 &&
        out.keyword.compare(u"Default", Qt::CaseInsensitive) != 0)
        return false;
    skipBlanks();
    out.destination = word();
    out.rest = line.mid(pos);
    return !out.destination.isEmpty();
}

// The printing system compares destination names without regard to case; an
// instance is part of the destination.
bool sameDestination(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

QString withDefaultDestination(const QString &optionsText, const QString &name)
{
    QStringList lines = optionsText.split(u'\n');
    // A text that ends in a line break splits into a last empty piece.
    const bool endedWithBreak = !optionsText.isEmpty() && optionsText.endsWith(u'\n');
    if (endedWithBreak || optionsText.isEmpty())
        lines.removeLast();

    bool found = false;
    for (QString &line : lines) {
        OptionsLine parsed;
        if (!splitOptionsLine(line, parsed))
            continue;
        const bool isDefault = parsed.keyword.compare(u"Default", Qt::CaseInsensitive) == 0;
        if (!found && sameDestination(parsed.destination, name)) {
            line = QStringLiteral("Default ") + parsed.destination + parsed.rest;
            found = true;
        } else if (isDefault) {
            line = QStringLiteral("Dest ") + parsed.destination + parsed.rest;
        }
    }
    if (!found)
        lines.append(QStringLiteral("Default ") + name);
    return lines.join(u'\n') + u'\n';
}

bool setUserDefaultPrinter(const QString &name)
{
    // A destination name never holds blanks or control characters; such a
    // name could only break the file.
    if (name.isEmpty())
        return false;
    for (const QChar c : name) {
        if (c.isSpace() || c.unicode() < 32)
            return false;
    }

    // The file is written here rather than through the printing library:
    // as root the library writes the system-wide options, and the default
    // printer we choose belongs to this user alone.
    const QString path = userOptionsFilePath();
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        return false;
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QString text;
    QFile existing(path);
    if (existing.exists()) {
        if (!existing.open(QIODevice::ReadOnly))
            return false;
        text = QString::fromUtf8(existing.readAll());
        existing.close();
    }
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    out.write(withDefaultDestination(text, name).toUtf8());
    return out.commit();
}

// ---------------------------------------------------------------------------
// Printer information

namespace {

bool isThisMachine(const QString &host)
{
    if (host.isEmpty() || host.startsWith(u'/'))
        return true;
    const QString h = host.toLower();
    if (h == u"localhost" || h.startsWith(u"localhost.") || h.startsWith(u"127.") || h == u"::1" || h == u"[::1]")
        return true;
    const QString self = QSysInfo::machineHostName().toLower();
    return !self.isEmpty() && (h == self || h == self + QStringLiteral(".local") || h.startsWith(self + u'.'));
}

} // namespace

PrinterInformation describeDestination(const QString &name, const QString &deviceUri, const QString &printerUri)
{
    PrinterInformation info;
    info.printerName = name;
    info.portName = deviceUri;
    const QUrl uri(printerUri);
    if (uri.isValid() && !isThisMachine(uri.host())) {
        info.serverName = uri.host();
        QString path = uri.path();
        for (const QString &prefix : {QStringLiteral("/printers/"), QStringLiteral("/classes/")}) {
            if (path.startsWith(prefix)) {
                path = path.mid(prefix.size());
                break;
            }
        }
        while (path.startsWith(u'/'))
            path.remove(0, 1);
        info.shareName = path.isEmpty() ? name : path;
    }
    return info;
}

PrinterInformation readPrinterInformation(const QString &name)
{
    const int slash = name.indexOf(u'/');
    const QByteArray queue = (slash < 0 ? name : name.left(slash)).toUtf8();
    const QByteArray instance = slash < 0 ? QByteArray() : name.mid(slash + 1).toUtf8();

    // An explicit connection with bounded waits: a server that does not
    // answer must not stall the program.
    http_t *http = connectWithBoundedWaits();
    if (!http)
        throw Exception(SystemErrorMessage(errno ? errno : ECONNREFUSED));
    cups_dest_t *dest = cupsGetNamedDest(http, queue.constData(), instance.isEmpty() ? nullptr : instance.constData());
    if (!dest) {
        const QString message = QString::fromUtf8(cupsLastErrorString());
        httpClose(http);
        throw Exception(message);
    }
    const char *deviceUri = cupsGetOption("device-uri", dest->num_options, dest->options);
    const char *printerUri = cupsGetOption("printer-uri-supported", dest->num_options, dest->options);
    PrinterInformation info = describeDestination(name, QString::fromUtf8(deviceUri ? deviceUri : ""),
                                                  QString::fromUtf8(printerUri ? printerUri : ""));
    cupsFreeDests(1, dest);
    httpClose(http);
    return info;
}

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
    m_names = installedPrinterNames();
    m_listRead = true;
    if (m_index >= m_names.size()) {
        m_index = -1;
        m_settingsValid = false;
    }
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
    if (index < 0) {
        m_settingsValid = false;
        return true;
    }
    const QString name = names[index];
    if (!m_printer) {
        // The queue may have gone since the list was read; then this
        // printer's settings are not at hand.
        m_queue = queueOf(name);
        m_settingsValid = m_queue != nullptr;
        if (!m_settingsValid)
            return true;
        m_landscape = false;
        m_layout = QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(), QPageLayout::Point);
        QPageSize pageSize = m_queue->defaultPageSize();
        if (!pageSize.isValid())
            pageSize = localeDefaultPageSize();
        setOwnPageSize(pageSize);
        m_copies = 1;
        m_sides = m_queue->defaultSides();
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

// The page as a driver sets it: the printer's own paper for the size when it
// has one, its unprintable margins as the page's margins.
void PlatformPrinter::setOwnPageSize(const QPageSize &pageSize)
{
    const QPageSize own = m_queue->supportedPageSize(pageSize);
    const QPageSize use = own.isValid() ? own : pageSize;
    const QMarginsF minimum = m_queue->printableMargins(use);
    m_layout.setPageSize(use, minimum);
    m_layout.setMargins(minimum);
}

std::shared_ptr<const PrintQueue> PlatformPrinter::queueOf(const QString &name)
{
    auto known = m_queues.find(name);
    if (known == m_queues.end())
        known = m_queues.insert(name, PrintQueue::describe(name));
    return *known;
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
    return m_index >= 0 && m_settingsValid;
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
        m_landscape = landscape;
        if (hasDeviceSettings()) {
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
