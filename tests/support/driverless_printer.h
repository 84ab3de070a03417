#pragma once
// A driverless (IPP Everywhere) printer played on this machine, for queues
// that the print server makes with `lpadmin -m everywhere`: no driver, no
// PPD of ours, the server asks the printer what it takes.
//
// It runs ippeveprinter on localhost at a free port, with a D-Bus of its own:
// the program wants a system bus for its service announcements, even when it
// is told not to announce anything (-r off), and a bus of our own keeps the
// machine's bus, if there is one, out of the tests. Nothing is announced, so
// no avahi-daemon is needed; the queue is made from the printer's URI. Every
// document it takes is kept in its folder, named after its job, and read
// back with documents(). Both processes end with this object, and with the
// test program if that one dies first.
//
//     DriverlessPrinter printer;
//     if (!printer.running()) GTEST_SKIP() << printer.error();
//     lpadmin -p Eve -E -v printer.uri() -m everywhere
//     ... print on Eve ...
//     std::vector<DriverlessPrinter::Document> docs = printer.waitForDocuments(1);

#include <QString>
#include <QStringList>

#include <memory>
#include <string>
#include <vector>

namespace prenso::test {

class DriverlessPrinter {
public:
    // The formats an office printer of today takes: PDF, the two raster
    // formats every IPP Everywhere printer must take, and data of the kinds
    // it recognises by their first bytes (application/octet-stream).
    static QStringList officeFormats();

    // Starts the printer, taking `formats` (MIME types); running() says
    // whether it came up, error() why not.
    explicit DriverlessPrinter(const QStringList &formats = officeFormats());
    // A printer that announces itself on the network as `serviceName`: on
    // the office's bus and avahi-daemon (scripts/office), which must be
    // there (error() says so otherwise).
    static std::unique_ptr<DriverlessPrinter> advertised(const QString &serviceName);
    // Stops the printer and its bus and removes its folder.
    ~DriverlessPrinter();
    DriverlessPrinter(const DriverlessPrinter &) = delete;
    DriverlessPrinter &operator=(const DriverlessPrinter &) = delete;

    bool running() const { return m_printerPid > 0; }
    // Holds the printer still (SIGSTOP), as one asleep: its announcement
    // stays on the network, and what connects to it waits. Not restarted.
    void freeze();
    // Ends the printer; its announcement leaves the network.
    void stop();
    // Whether a test runs in the office (scripts/office).
    static bool inOffice();
    const QString &error() const { return m_error; }

    int port() const { return m_port; }
    // What a queue's device URI names: ipp://localhost:PORT/ipp/print.
    QString uri() const;

    // A document the printer took and finished, as it kept it.
    struct Document {
        int jobId = 0;
        QString jobName;
        QString format; // the printer's document-format-supplied
        std::string bytes;
    };
    // The documents of the jobs the printer has completed, oldest first.
    std::vector<Document> documents() const;
    // Waits until at least `count` jobs are completed or the time is up;
    // gives the documents of those completed by then.
    std::vector<Document> waitForDocuments(size_t count, int timeoutMs = 60000) const;
    // What the printer logged (it is verbose: one line per request, with the
    // document format it was given and the first bytes of the data).
    QString log() const;

private:
    DriverlessPrinter(const QStringList &formats, const QString &serviceName);
    bool startBus();
    bool startPrinter(const QStringList &formats);
    void stopAll();

    QString m_dir;
    QString m_error;
    int m_busPid = -1;
    int m_printerPid = -1;
    int m_port = 0;
    QString m_serviceName; // announced under this name; empty: not announced
    bool m_frozen = false;
};

} // namespace prenso::test
