#include "platform/printing/printjob.h"

#include "platform/printing/printqueue.h"
#include "platform/printing/printserver.h"
#include "platform/system/errors.h"
#include "platform/system/stop.h"

#include <cups/cups.h>

namespace prenso::printing {

const char *const kRawFormat = CUPS_FORMAT_RAW;
const char *const kPdfFormat = CUPS_FORMAT_PDF;

namespace {

constexpr int kConnectMs = 30000;

QString serverWords()
{
    const char *text = cupsLastErrorString();
    return text && *text ? QString::fromUtf8(text) : QStringLiteral("the print server gave no reason");
}

// The queue is the print server's (a queue of another server too: the
// server passes the job on), so every request goes to the server the
// program prints through, on a connection of the job's own.
HttpConnection connectToServer()
{
    return HttpConnection(
        httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1, kConnectMs, nullptr));
}

} // namespace

void PrintServerJob::ConnectionCloser::operator()(void *http) const noexcept
{
    httpClose(static_cast<http_t *>(http));
}

PrintServerJob::PrintServerJob() = default;

PrintServerJob::~PrintServerJob()
{
    cancel();
}

void PrintServerJob::close() noexcept
{
    if (m_ticket) {
        stop::forgetJob(m_ticket);
        m_ticket = 0;
    }
    m_http.reset();
    m_described.reset();
}

void PrintServerJob::start(const QString &queue, const QString &title, const char *format,
                           const std::vector<JobOption> &options)
{
    cancel();
    QString problem;
    std::shared_ptr<const PrintQueue> described = PrintQueue::describe(queue, &problem);
    if (!described)
        throw Exception(problem);
    start(std::move(described), title, format, options);
}

void PrintServerJob::start(std::shared_ptr<const PrintQueue> queue, const QString &title, const char *format,
                           const std::vector<JobOption> &options)
{
    cancel();
    if (!queue)
        throw Exception(QStringLiteral("No printer is selected for the print job."));
    const QString name = queue->name().section(u'/', 0, 0);
    m_queue = name.toUtf8();
    auto *dest = static_cast<cups_dest_t *>(queue->destination());
    auto *info = static_cast<cups_dinfo_t *>(queue->information());
    // A driverless queue hands the printer documents, which it recognises by
    // their first bytes; a dot-matrix printer's commands it turns down after
    // the job was taken, and the form would be lost while the run looked
    // printed.
    if (std::string_view(format) == kRawFormat) {
        const QString &model = queue->model();
        if (model.contains(QLatin1String("IPP Everywhere"), Qt::CaseInsensitive) ||
            model.contains(QLatin1String("driverless"), Qt::CaseInsensitive)) {
            throw Exception(QStringLiteral("The printer \"%1\" is a driverless queue (%2): it takes documents, not "
                                           "the commands of a dot-matrix printer")
                                .arg(name, model));
        }
    }
    m_described = std::move(queue);
    m_http.reset(connectToServer().release());
    auto *http = static_cast<http_t *>(m_http.get());
    if (!http) {
        const QString words = serverWords();
        close();
        throw Exception(QStringLiteral("Cannot reach the print server to print on \"%1\": %2").arg(name, words));
    }

    std::vector<cups_option_t> cupsOptions;
    cupsOptions.reserve(options.size());
    for (const JobOption &o : options)
        cupsOptions.push_back(
            cups_option_t{const_cast<char *>(o.name.constData()), const_cast<char *>(o.value.constData())});
    const QByteArray jobTitle = title.toUtf8();
    int job = 0;
    // A stop that comes while the job is made waits until it is remembered.
    const stop::JobCreation creating;
    if (cupsCreateDestJob(http, dest, info, &job, jobTitle.constData(), static_cast<int>(cupsOptions.size()),
                          cupsOptions.data()) > IPP_STATUS_OK_CONFLICTING ||
        job <= 0) {
        const QString words = serverWords();
        close();
        throw Exception(QStringLiteral("The printer \"%1\" refused the print job: %2").arg(name, words));
    }
    m_job = job;
    m_ticket = stop::rememberJob(m_queue, job);
    if (cupsStartDestDocument(http, dest, info, job, jobTitle.constData(), format, 0, nullptr, 1) !=
        HTTP_STATUS_CONTINUE)
        fail(QStringLiteral("The printer \"%1\" refused the document: %2"));
}

void PrintServerJob::write(std::string_view bytes)
{
    if (bytes.empty())
        return;
    if (m_job <= 0)
        throw Exception(QStringLiteral("No print job is open."));
    if (cupsWriteRequestData(static_cast<http_t *>(m_http.get()), bytes.data(), bytes.size()) != HTTP_STATUS_CONTINUE)
        fail(QStringLiteral("Sending to the printer \"%1\" failed: %2"));
}

void PrintServerJob::finish()
{
    if (m_job <= 0)
        throw Exception(QStringLiteral("No print job is open."));
    const ipp_status_t status = cupsFinishDestDocument(static_cast<http_t *>(m_http.get()),
                                                       static_cast<cups_dest_t *>(m_described->destination()),
                                                       static_cast<cups_dinfo_t *>(m_described->information()));
    if (status > IPP_STATUS_OK_CONFLICTING)
        fail(QStringLiteral("The printer \"%1\" did not accept the finished document: %2"));
    m_job = 0;
    close();
}

void PrintServerJob::fail(const QString &what)
{
    const QString message = what.arg(QString::fromUtf8(m_queue), serverWords());
    cancel();
    throw Exception(message);
}

void PrintServerJob::cancel() noexcept
{
    if (m_job > 0 && m_described) {
        // The connection may be in the middle of a request that failed: the
        // job is cancelled on a fresh one.
        m_http.reset();
        auto *dest = static_cast<cups_dest_t *>(m_described->destination());
        if (const HttpConnection http = connectToServer())
            cupsCancelDestJob(http.get(), dest, m_job);
    }
    m_job = 0;
    close();
}

} // namespace prenso::printing
