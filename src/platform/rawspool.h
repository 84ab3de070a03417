#pragma once
// Bytes for a printer that understands them as they are: raw jobs on a print
// queue, and the local device files that queues name as their port.

#include <QString>

#include <string_view>

namespace prenso::printing {

// One raw job (format application/vnd.cups-raw) with one document. The bytes
// reach the printer unchanged. A job that is neither finished nor cancelled
// when the object goes is cancelled, so that half a document never prints.
class RawPrintJob {
public:
    RawPrintJob();
    ~RawPrintJob();
    RawPrintJob(const RawPrintJob &) = delete;
    RawPrintJob &operator=(const RawPrintJob &) = delete;

    // Creates the job on `queue` ("name" or "name/instance") and starts its
    // document. Raises Exception with the print server's words when the
    // server cannot be reached or the queue refuses the job.
    void start(const QString &queue, const QString &title);
    // Sends bytes (nothing for an empty piece). A failure cancels the job
    // and raises Exception.
    void write(std::string_view bytes);
    // Ends the document; the job then prints. A failure cancels the job and
    // raises Exception.
    void finish();
    // Cancels the job if one is open. Never raises.
    void cancel() noexcept;

    bool active() const { return m_job > 0; }
    int jobId() const { return m_job; }

private:
    [[noreturn]] void fail(const QString &what);
    void close() noexcept;

    void *m_http = nullptr; // http_t, kept out of this header
    QByteArray m_queue;
    int m_job = 0;
};

// What a queue's device URI says about where its bytes go: the local device
// file of a "file:", "parallel:" or "serial:" URI (options after "?" left
// out), or an empty text for every other URI, whose bytes go through the
// print server. `isFileUri` tells a "file:" URI, which may name a regular
// file to be created, from a port that must exist.
QString localDeviceFileOfUri(const QString &uri, bool *isFileUri = nullptr);

} // namespace prenso::printing
