#include "platform/printing/printerlist.h"

#include "platform/printing/printahead.h"
#include "platform/printing/printserver.h"
#include "platform/printing/useroptions.h"

#include <QFile>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

namespace prenso::printing {

namespace {

std::function<QStringList()> &printerListSource()
{
    static std::function<QStringList()> source;
    return source;
}

// Names compared as the printing system compares them: byte by byte in
// UTF-8, the letters A to Z taken for a to z.
int compareNames(const QString &a, const QString &b)
{
    const QByteArray x = a.toUtf8(), y = b.toUtf8();
    const auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    for (qsizetype i = 0; i < x.size() && i < y.size(); ++i) {
        const auto cx = static_cast<unsigned char>(fold(x[i])), cy = static_cast<unsigned char>(fold(y[i]));
        if (cx != cy)
            return cx < cy ? -1 : 1;
    }
    return x.size() == y.size() ? 0 : (x.size() < y.size() ? -1 : 1);
}

// The order the printing system keeps destinations in: by name, a queue
// before its instances, the instances by name.
bool comesBefore(const QString &a, const QString &b)
{
    if (const int byQueue = compareNames(a.section(u'/', 0, 0), b.section(u'/', 0, 0)); byQueue != 0)
        return byQueue < 0;
    const bool instanceA = a.contains(u'/'), instanceB = b.contains(u'/');
    if (instanceA != instanceB)
        return !instanceA;
    return compareNames(a.section(u'/', 1), b.section(u'/', 1)) < 0;
}

QString readText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The queues of the print server, each once, on a connection with bounded
// waits: a server that is down or hung gives none, as no server at all. A
// temporary queue is the server's stand-in for an advertised printer: it
// comes and goes with the printer's use, so it is no printer of the list.
QStringList askPrintServerForQueues()
{
    const BoundedExchange http;
    if (!http)
        return {};
    ipp_t *request = ippNewRequest(IPP_OP_CUPS_GET_PRINTERS);
    static const char *const wanted[] = {"printer-name", "printer-is-temporary"};
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 2, nullptr, wanted);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
    ipp_t *response = cupsDoRequest(http.get(), request, "/");
    QStringList queues;
    QString name;
    bool temporary = false;
    // Each printer's attributes make a group; a nameless attribute ends one.
    auto endPrinter = [&] {
        if (!name.isEmpty() && !temporary)
            queues.append(name);
        name.clear();
        temporary = false;
    };
    for (ipp_attribute_t *a = ippFirstAttribute(response); a; a = ippNextAttribute(response)) {
        const char *attribute = ippGetName(a);
        if (!attribute) {
            endPrinter();
            continue;
        }
        if (ippGetGroupTag(a) != IPP_TAG_PRINTER)
            continue;
        if (!strcmp(attribute, "printer-name"))
            name = QString::fromUtf8(ippGetString(a, 0, nullptr));
        else if (!strcmp(attribute, "printer-is-temporary"))
            temporary = ippGetBoolean(a, 0);
    }
    endPrinter();
    ippDelete(response);
    return queues;
}

// The queues with the instances the lpoptions files define for them, the
// machine's first as the printing system reads them; an instance of a queue
// the server does not have is left out, as the printing system does.
QStringList withInstances(QStringList queues)
{
    QStringList names = queues;
    for (const QString &file : {machineOptionsFilePath(), userOptionsFilePath()}) {
        for (const QString &instance : instancesIn(readText(file))) {
            const QString queue = instance.section(u'/', 0, 0);
            const auto known = std::find_if(queues.cbegin(), queues.cend(), [&](const QString &q) {
                return q.compare(queue, Qt::CaseInsensitive) == 0;
            });
            if (known == queues.cend())
                continue;
            const QString name = *known + u'/' + instance.section(u'/', 1);
            if (!names.contains(name, Qt::CaseInsensitive))
                names.append(name);
        }
    }
    std::sort(names.begin(), names.end(), comesBefore);
    return names;
}

} // namespace

QStringList installedPrinterNames()
{
    if (printerListSource())
        return printerListSource()();
    if (std::optional<QStringList> ahead = takePrinterListAhead())
        return *std::move(ahead);
    return withInstances(askPrintServerForQueues());
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
// Printers the network advertises

struct AdvertisedPrinterSearch::State {
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    Found found; // cleared when the search goes
    // Read by the printing library between its rounds of listening.
    int cancel = 0;
    std::condition_variable stopped;

    bool stopping() const { return std::atomic_ref<const int>(cancel).load() != 0; }
    void stop()
    {
        std::atomic_ref<int>(cancel).store(1);
        stopped.notify_all();
    }
};

namespace {

int reportAdvertised(void *user, unsigned flags, cups_dest_t *dest)
{
    auto *state = static_cast<AdvertisedPrinterSearch::State *>(user);
    if (flags & (CUPS_DEST_FLAGS_REMOVED | CUPS_DEST_FLAGS_ERROR))
        return 1;
    const char *uri = cupsGetOption("device-uri", dest->num_options, dest->options);
    const char *service = cupsGetOption("printer-info", dest->num_options, dest->options);
    const AdvertisedPrinter printer{QString::fromUtf8(dest->name), QString::fromUtf8(service ? service : dest->name),
                                    QByteArray(uri ? uri : "")};
    const std::lock_guard<std::mutex> lock(state->mutex);
    if (!state->found)
        return 0;
    state->found(printer);
    return 1;
}

// Only what the network advertises: the queues are the server's to list.
// One pass ends once the network has told what it knows now; a search that
// goes on until stopped listens again after a pause, for printers that come
// later (those found before are told again).
void browse(const std::shared_ptr<AdvertisedPrinterSearch::State> &state, int timeoutMs, bool untilStopped)
{
    for (;;) {
        cupsEnumDests(CUPS_DEST_FLAGS_NONE, timeoutMs, &state->cancel, CUPS_PRINTER_DISCOVERED, CUPS_PRINTER_DISCOVERED,
                      reportAdvertised, state.get());
        std::unique_lock<std::mutex> lock(state->mutex);
        if (!untilStopped || state->stopped.wait_for(lock, std::chrono::seconds(1), [&] { return state->stopping(); }))
            break;
    }
    const std::lock_guard<std::mutex> lock(state->mutex);
    state->done = true;
    state->ended.notify_all();
}

// How long a search that goes waits for the printing library to notice.
constexpr int kStopWaitMs = 300;

} // namespace

AdvertisedPrinterSearch::AdvertisedPrinterSearch(Found found, Until until, int timeoutMs)
    : m_state(std::make_shared<State>())
{
    m_state->found = std::move(found);
    std::thread(browse, m_state, timeoutMs, until == Until::stopped).detach();
}

AdvertisedPrinterSearch::~AdvertisedPrinterSearch()
{
    {
        const std::lock_guard<std::mutex> lock(m_state->mutex);
        m_state->found = nullptr;
        m_state->stop();
    }
    // The thread holds the state it needs: one stuck in a request of the
    // printing library ends on its own, without holding the program up.
    wait(kStopWaitMs);
}

bool AdvertisedPrinterSearch::wait(int ms) const
{
    std::unique_lock<std::mutex> lock(m_state->mutex);
    return m_state->ended.wait_for(lock, std::chrono::milliseconds(ms), [&] { return m_state->done; });
}

std::optional<AdvertisedPrinter> findAdvertisedPrinter(const std::function<bool(const AdvertisedPrinter &)> &matches,
                                                       int timeoutMs)
{
    struct Result {
        std::mutex mutex;
        std::condition_variable found;
        std::optional<AdvertisedPrinter> printer;
    };
    auto result = std::make_shared<Result>();
    AdvertisedPrinterSearch search(
        [result, matches](const AdvertisedPrinter &printer) {
            if (!matches(printer))
                return;
            const std::lock_guard<std::mutex> lock(result->mutex);
            if (!result->printer)
                result->printer = printer;
            result->found.notify_all();
        },
        AdvertisedPrinterSearch::Until::toldAll, timeoutMs);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    // Until the printer is found, the network has told all it knows, or the
    // time is up.
    while (std::chrono::steady_clock::now() < deadline) {
        {
            std::unique_lock<std::mutex> lock(result->mutex);
            if (result->found.wait_for(lock, std::chrono::milliseconds(50),
                                       [&] { return result->printer.has_value(); }))
                break;
        }
        if (search.wait(0))
            break;
    }
    const std::lock_guard<std::mutex> lock(result->mutex);
    return result->printer;
}

namespace {

// One request about the queue at `printerUri`; the printer's state, or 0
// when the server does not say.
int printerState(http_t *http, const char *printerUri)
{
    ipp_t *request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, printerUri);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr, "printer-state");
    ipp_t *response = cupsDoRequest(http, request, "/");
    ipp_attribute_t *state = ippFindAttribute(response, "printer-state", IPP_TAG_ENUM);
    const int value = state ? ippGetInteger(state, 0) : 0;
    ippDelete(response);
    return value;
}

} // namespace

bool makeTemporaryQueue(const AdvertisedPrinter &printer, QString *problem, int timeoutMs)
{
    const auto started = std::chrono::steady_clock::now();
    const auto left = [&] {
        const auto spent =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
        return std::max<int>(0, timeoutMs - static_cast<int>(spent.count()));
    };
    const auto fail = [&](const QString &why) {
        if (problem)
            *problem = why;
        return false;
    };
    const HttpConnection http = connectWithBoundedWaits(timeoutMs);
    if (!http)
        return fail(QStringLiteral("the print server does not answer"));

    // The server makes the queue and then asks the printer what it takes;
    // the queue is stopped until the printer has answered.
    const QByteArray name = printer.name.toUtf8(), info = printer.serviceName.toUtf8();
    ipp_t *request = ippNewRequest(IPP_OP_CUPS_CREATE_LOCAL_PRINTER);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, "ipp://localhost/");
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
    ippAddString(request, IPP_TAG_PRINTER, IPP_TAG_URI, "device-uri", nullptr, printer.deviceUri.constData());
    ippAddString(request, IPP_TAG_PRINTER, IPP_TAG_NAME, "printer-name", nullptr, name.constData());
    ippAddString(request, IPP_TAG_PRINTER, IPP_TAG_TEXT, "printer-info", nullptr, info.constData());
    ipp_t *response = cupsDoRequest(http.get(), request, "/");
    ipp_attribute_t *uriAttribute = ippFindAttribute(response, "printer-uri-supported", IPP_TAG_URI);
    if (!uriAttribute) {
        const QString words = QString::fromUtf8(cupsLastErrorString());
        ippDelete(response);
        return fail(QStringLiteral("the print server did not make a queue for it (%1)").arg(words));
    }
    const QByteArray queueUri(ippGetString(uriAttribute, 0, nullptr));
    ipp_attribute_t *stateAttribute = ippFindAttribute(response, "printer-state", IPP_TAG_ENUM);
    int state = stateAttribute ? ippGetInteger(stateAttribute, 0) : IPP_PSTATE_STOPPED;
    ippDelete(response);
    while (state == IPP_PSTATE_STOPPED || state == 0) {
        const int remaining = left();
        if (remaining <= 0)
            return fail(QStringLiteral("it did not answer within %1 seconds").arg(timeoutMs / 1000.0));
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min(remaining, 100)));
        httpSetTimeout(http.get(), std::max(left(), 1) / 1000.0, nullptr, nullptr);
        state = printerState(http.get(), queueUri.constData());
    }
    return true;
}

} // namespace prenso::printing
