#include "platform/printing/printqueue.h"

#include "platform/printing/printahead.h"
#include "platform/printing/printserver.h"
#include "platform/system/errors.h"

#include <QHash>
#include <QSize>
#include <QSysInfo>
#include <QUrl>

#include <cerrno>

namespace prenso::printing {

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
    const HttpConnection http = connectWithBoundedWaits();
    if (!http)
        throw Exception(SystemErrorMessage(errno ? errno : ECONNREFUSED));
    cups_dest_t *dest =
        cupsGetNamedDest(http.get(), queue.constData(), instance.isEmpty() ? nullptr : instance.constData());
    if (!dest)
        throw Exception(QString::fromUtf8(cupsLastErrorString()));
    const char *deviceUri = cupsGetOption("device-uri", dest->num_options, dest->options);
    const char *printerUri = cupsGetOption("printer-uri-supported", dest->num_options, dest->options);
    PrinterInformation info = describeDestination(name, QString::fromUtf8(deviceUri ? deviceUri : ""),
                                                  QString::fromUtf8(printerUri ? printerUri : ""));
    cupsFreeDests(1, dest);
    return info;
}

namespace {

double pointsOf(int hundredthsOfMillimetre)
{
    return hundredthsOfMillimetre * 72.0 / 2540.0;
}

// The toolkit's standard paper whose printer-description key is `key`
// ("A4", "Letter" …), or Custom.
QPageSize::PageSizeId standardPaperOfKey(const char *key)
{
    static const QHash<QByteArray, QPageSize::PageSizeId> byKey = [] {
        QHash<QByteArray, QPageSize::PageSizeId> keys;
        for (int i = 0; i <= QPageSize::LastPageSize; ++i) {
            const auto id = static_cast<QPageSize::PageSizeId>(i);
            if (id != QPageSize::Custom)
                keys.insert(QPageSize::key(id).toLatin1(), id);
        }
        return keys;
    }();
    return byKey.value(QByteArray(key), QPageSize::Custom);
}

// A paper of the printer by its measure, as the toolkit makes one from a
// printer description: the standard paper when the print system's name for
// the size is a standard key or the size in whole points is one, else a
// size of its own in points.
QPageSize paperOfSize(int width, int length)
{
    const QSize points(qRound(pointsOf(width)), qRound(pointsOf(length)));
    if (points.isEmpty())
        return QPageSize();
    if (const pwg_media_t *media = pwgMediaForSize(width, length); media && media->ppd) {
        const QPageSize::PageSizeId id = standardPaperOfKey(media->ppd);
        if (id != QPageSize::Custom)
            return QPageSize(id);
    }
    const QPageSize::PageSizeId id = QPageSize::id(points, QPageSize::FuzzyMatch);
    return id != QPageSize::Custom ? QPageSize(id) : QPageSize(points, QString(), QPageSize::ExactMatch);
}

QMarginsF marginsOf(const cups_size_t &size)
{
    return QMarginsF(pointsOf(size.left), pointsOf(size.top), pointsOf(size.right), pointsOf(size.bottom));
}

} // namespace

std::shared_ptr<const PrintQueue> PrintQueue::describe(const QString &queue, QString *problem)
{
    const int slash = queue.indexOf(u'/');
    const QString shown = slash < 0 ? queue : queue.left(slash);
    const QByteArray name = shown.toUtf8();
    const QByteArray instance = slash < 0 ? QByteArray() : queue.mid(slash + 1).toUtf8();
    auto fail = [&](const QString &what) -> std::shared_ptr<const PrintQueue> {
        if (problem) {
            const char *words = cupsLastErrorString();
            *problem = what.arg(shown, words && *words ? QString::fromUtf8(words)
                                                       : QStringLiteral("the print server gave no reason"));
        }
        return nullptr;
    };
    if (name.isEmpty()) {
        if (problem)
            *problem = QStringLiteral("No printer is selected for the print job.");
        return nullptr;
    }
    if (std::shared_ptr<const PrintQueue> ahead; takeQueueAhead(queue, ahead, problem))
        return ahead;
    const BoundedExchange connection;
    http_t *http = connection.get();
    if (!http)
        return fail(QStringLiteral("Cannot reach the print server to print on \"%1\": %2"));
    std::shared_ptr<PrintQueue> described(new PrintQueue);
    auto *dest = cupsGetNamedDest(http, name.constData(), instance.isEmpty() ? nullptr : instance.constData());
    described->m_dest = dest;
    if (!dest)
        return fail(QStringLiteral("The printer \"%1\" is not on the print server: %2"));
    cups_dinfo_t *info = cupsCopyDestInfo(http, dest);
    described->m_info = info;
    if (!info)
        return fail(QStringLiteral("The print server does not describe the printer \"%1\": %2"));
    described->m_name = queue;
    described->m_model = QString::fromUtf8(cupsGetOption("printer-make-and-model", dest->num_options, dest->options));

    // An option of the destination (lpoptions) comes before the printer's
    // default, as in a job.
    const char *media = cupsGetOption("media", dest->num_options, dest->options);
    if (!media) {
        if (ipp_attribute_t *fallback = cupsFindDestDefault(http, dest, info, "media"))
            media = ippGetString(fallback, 0, nullptr);
    }
    if (const pwg_media_t *known = media ? pwgMediaForPWG(media) : nullptr)
        described->m_defaultPageSize = paperOfSize(known->width, known->length);
    const char *sides = cupsGetOption("sides", dest->num_options, dest->options);
    if (!sides) {
        if (ipp_attribute_t *fallback = cupsFindDestDefault(http, dest, info, "sides"))
            sides = ippGetString(fallback, 0, nullptr);
    }
    described->m_defaultSides = sides ? QByteArray(sides) : QByteArrayLiteral("one-sided");

    const int count = cupsGetDestMediaCount(http, dest, info, CUPS_MEDIA_FLAGS_DEFAULT);
    described->m_papers.reserve(count > 0 ? count : 0);
    for (int i = 0; i < count; ++i) {
        cups_size_t size{};
        if (!cupsGetDestMediaByIndex(http, dest, info, i, CUPS_MEDIA_FLAGS_DEFAULT, &size))
            continue;
        const QPageSize paper = paperOfSize(size.width, size.length);
        if (paper.isValid())
            described->m_papers.push_back(Paper{paper, marginsOf(size)});
    }
    // A size that is no paper of the printer's gets the margins of its custom
    // sizes, when it has them; asked with a measure no paper has.
    cups_size_t custom{};
    if (cupsGetDestMediaBySize(http, dest, info, 12345, 23456, CUPS_MEDIA_FLAGS_DEFAULT, &custom) &&
        QByteArray(custom.media).startsWith("custom_")) {
        described->m_customSizes = true;
        described->m_customMargins = marginsOf(custom);
    }
    return described;
}

PrintQueue::~PrintQueue()
{
    if (m_info)
        cupsFreeDestInfo(static_cast<cups_dinfo_t *>(m_info));
    if (m_dest)
        cupsFreeDests(1, static_cast<cups_dest_t *>(m_dest));
}

const PrintQueue::Paper *PrintQueue::paperFor(const QPageSize &pageSize) const
{
    if (!pageSize.isValid())
        return nullptr;
    if (pageSize.id() != QPageSize::Custom) {
        for (const Paper &paper : m_papers) {
            if (paper.size.id() == pageSize.id())
                return &paper;
        }
    }
    for (const Paper &paper : m_papers) {
        if (paper.size.sizePoints() == pageSize.sizePoints())
            return &paper;
    }
    return nullptr;
}

QPageSize PrintQueue::supportedPageSize(const QPageSize &pageSize) const
{
    const Paper *paper = paperFor(pageSize);
    return paper ? paper->size : QPageSize();
}

QMarginsF PrintQueue::printableMargins(const QPageSize &pageSize) const
{
    if (const Paper *paper = paperFor(pageSize))
        return paper->margins;
    return m_customSizes ? m_customMargins : QMarginsF();
}

} // namespace prenso::printing
