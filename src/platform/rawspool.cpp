#include "platform/rawspool.h"

#include "platform/errors.h"

#include <QUrl>
#include <cups/cups.h>

namespace prenso::printing {

namespace {

http_t *connectToServer()
{
    return httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1, 30000, nullptr);
}

QString serverWords()
{
    const char *text = cupsLastErrorString();
    return text && *text ? QString::fromUtf8(text) : QStringLiteral("the print server gave no reason");
}

} // namespace

RawPrintJob::RawPrintJob() = default;

RawPrintJob::~RawPrintJob()
{
    cancel();
}

void RawPrintJob::close() noexcept
{
    if (m_http)
        httpClose(static_cast<http_t *>(m_http));
    m_http = nullptr;
}

void RawPrintJob::start(const QString &queue, const QString &title)
{
    cancel();
    // An instance ("name/instance") only carries options; raw bytes take none.
    const QString name = queue.section(u'/', 0, 0);
    if (name.isEmpty())
        throw Exception(QStringLiteral("No printer is selected for the raw print job."));
    m_queue = name.toUtf8();
    http_t *http = connectToServer();
    if (!http)
        throw Exception(
            QStringLiteral("Cannot reach the print server to print on \"%1\": %2").arg(name, serverWords()));
    m_http = http;
    const QByteArray jobTitle = title.toUtf8();
    const int job = cupsCreateJob(http, m_queue.constData(), jobTitle.constData(), 0, nullptr);
    if (job <= 0) {
        const QString words = serverWords();
        close();
        throw Exception(QStringLiteral("The printer \"%1\" refused the print job: %2").arg(name, words));
    }
    m_job = job;
    if (cupsStartDocument(http, m_queue.constData(), job, jobTitle.constData(), CUPS_FORMAT_RAW, 1) !=
        HTTP_STATUS_CONTINUE)
        fail(QStringLiteral("The printer \"%1\" refused the document: %2"));
}

void RawPrintJob::write(std::string_view bytes)
{
    if (bytes.empty())
        return;
    if (m_job <= 0)
        throw Exception(QStringLiteral("No raw print job is open."));
    if (cupsWriteRequestData(static_cast<http_t *>(m_http), bytes.data(), bytes.size()) != HTTP_STATUS_CONTINUE)
        fail(QStringLiteral("Sending to the printer \"%1\" failed: %2"));
}

void RawPrintJob::finish()
{
    if (m_job <= 0)
        throw Exception(QStringLiteral("No raw print job is open."));
    const ipp_status_t status = cupsFinishDocument(static_cast<http_t *>(m_http), m_queue.constData());
    if (status > IPP_STATUS_OK_CONFLICTING)
        fail(QStringLiteral("The printer \"%1\" did not accept the finished document: %2"));
    m_job = 0;
    close();
}

void RawPrintJob::fail(const QString &what)
{
    const QString message = what.arg(QString::fromUtf8(m_queue), serverWords());
    cancel();
    throw Exception(message);
}

void RawPrintJob::cancel() noexcept
{
    if (m_job > 0) {
        // The connection may be in the middle of a request that failed: the
        // job is cancelled on a fresh one.
        close();
        if (http_t *http = connectToServer()) {
            cupsCancelJob2(http, m_queue.constData(), m_job, 0);
            httpClose(http);
        }
        m_job = 0;
    }
    close();
}

QString localDeviceFileOfUri(const QString &uri, bool *isFileUri)
{
    if (isFileUri)
        *isFileUri = false;
    const qsizetype colon = uri.indexOf(u':');
    if (colon <= 0)
        return QString();
    const QString scheme = uri.left(colon).toLower();
    if (scheme != QLatin1String("file") && scheme != QLatin1String("parallel") && scheme != QLatin1String("serial"))
        return QString();
    const QUrl url(uri);
    if (!url.isValid())
        return QString();
    // file://localhost/path names this machine too; any other host does not.
    if (!url.host().isEmpty() && url.host() != QLatin1String("localhost"))
        return QString();
    const QString path = url.path(QUrl::FullyDecoded);
    if (!path.startsWith(u'/'))
        return QString();
    if (isFileUri)
        *isFileUri = scheme == QLatin1String("file");
    return path;
}

} // namespace prenso::printing
