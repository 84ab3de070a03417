#pragma once
// One job with one document on a queue of the print server, sent as it is
// written: raw bytes for a printer that understands them as they are, or a
// document (a PDF) that the server turns into what the printer needs. It goes
// through the print server's destination interface (the destination, its
// information, a job, a document), the one that stays when the older job
// calls go; options use the IPP names ("copies", "media", …).

#include <QByteArray>
#include <QString>

#include <memory>
#include <string_view>
#include <vector>

namespace prenso::printing {

class PrintQueue;

// A job option by its IPP name, e.g. {"copies", "2"}.
struct JobOption {
    QByteArray name;
    QByteArray value;
    friend bool operator==(const JobOption &, const JobOption &) = default;
};

// The format of raw bytes (application/vnd.cups-raw).
extern const char *const kRawFormat;
// A PDF document.
extern const char *const kPdfFormat;

// A job that is neither finished nor cancelled when the object goes is
// cancelled, so that half a document never prints.
class PrintServerJob {
public:
    PrintServerJob();
    ~PrintServerJob();
    PrintServerJob(const PrintServerJob &) = delete;
    PrintServerJob &operator=(const PrintServerJob &) = delete;

    // Creates the job on `queue` ("name" or "name/instance") with `options`
    // and starts its document in `format`. Raises Exception with the print
    // server's words when the server cannot be reached, the queue is not
    // there, or it refuses the job.
    void start(const QString &queue, const QString &title, const char *format = kRawFormat,
               const std::vector<JobOption> &options = {});
    // The same on a queue the server has described already (when the
    // printer was selected), which spares asking again.
    void start(std::shared_ptr<const PrintQueue> queue, const QString &title, const char *format = kRawFormat,
               const std::vector<JobOption> &options = {});
    // Sends bytes (nothing for an empty piece). A failure cancels the job
    // and raises Exception.
    void write(std::string_view bytes);
    // Ends the document; the job then prints. A failure cancels the job and
    // raises Exception.
    void finish();
    // Cancels the job if one is open. Never raises.
    void cancel() noexcept;

    bool active() const { return m_job > 0; }

private:
    [[noreturn]] void fail(const QString &what);
    void close() noexcept;

    // The queue with its destination and information, and the connection (a
    // libcups type, kept out of this header), closed with its owner.
    struct ConnectionCloser {
        void operator()(void *http) const noexcept;
    };
    std::shared_ptr<const PrintQueue> m_described;
    std::unique_ptr<void, ConnectionCloser> m_http;
    QByteArray m_queue;
    int m_job = 0;
    int m_ticket = 0; // while the job may be cancelled when the program is told to stop
};

} // namespace prenso::printing
