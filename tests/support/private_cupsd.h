#pragma once
// A print server of the test program's own, and a listener that plays the
// printer at the end of its queues.
//
// PrivateCupsd runs cupsd (through scripts/cupsd-start --foreground) with all
// its state in a fresh folder under /tmp, and points this process at it:
// CUPS_SERVER names its socket, CUPS_SERVERROOT and HOME name folders of its
// own, so that no lpoptions file of the machine is read or written. The
// server is tied to this process and goes when it ends, even on a crash.
//
// Printing clients read CUPS_SERVER once, so the integration test program
// starts its server in main() before anything prints (PrivateCupsd::shared()).
// Tests then add queues as they need them:
//
//     SocketListener printer;                       // 127.0.0.1, a free port
//     cupsd.addRawQueue("Alpha", printer.port());  // raw: bytes arrive unchanged
//     ... print to "Alpha" ...
//     std::vector<std::string> jobs = printer.waitForJobs(1);
//
// and call removeAllQueues() when they are done.

#include <QString>
#include <QStringList>

#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace prenso::test {

class PrivateCupsd {
public:
    // Starts the server and sets the environment; running() says whether it
    // came up, error() why not.
    PrivateCupsd();
    // Stops the server, restores the environment and removes the folder.
    ~PrivateCupsd();
    PrivateCupsd(const PrivateCupsd &) = delete;
    PrivateCupsd &operator=(const PrivateCupsd &) = delete;

    // The server the test program started in main(), or nullptr before that.
    static PrivateCupsd *shared();
    static void startShared();
    static void stopShared();

    bool running() const { return m_pid > 0; }
    const QString &error() const { return m_error; }

    // Stops the server and starts it again on the same folder (its queues
    // stay). Tests use stop() to see how the program copes without a server.
    void stop();
    bool start();

    const QString &folder() const { return m_dir; }
    QString socketPath() const { return m_dir + QStringLiteral("/cups.sock"); }
    QString homeFolder() const { return m_dir + QStringLiteral("/home"); }
    QString clientRoot() const { return m_dir + QStringLiteral("/client"); }
    // The lpoptions file of the (test's) user.
    QString userOptionsFile() const { return homeFolder() + QStringLiteral("/.cups/lpoptions"); }

    // Queues. Each raises std::runtime_error with lpadmin's words on failure.
    void addRawQueue(const QString &name, int port);
    // A queue described by a PPD file, also sending to 127.0.0.1:port.
    void addPpdQueue(const QString &name, int port, const QString &ppdPath);
    // A queue whose PPD declares an A4 default and unprintable margins of
    // kMarginLeftPt, kMarginBottomPt, kMarginRightPt, kMarginTopPt points.
    void addMarginQueue(const QString &name, int port);
    // A driverless queue: the server asks the printer at `printerUri` (an
    // ipp:// URI) what it takes and makes the queue from its answer, as
    // `lpadmin -m everywhere` does for a printer of today.
    void addDriverlessQueue(const QString &name, const QString &printerUri);
    void removeQueue(const QString &name);
    // Removes the queues of queueNames(). The temporary queues stay: the
    // server removes them itself once idle, and this one (2.4) goes down
    // when told to remove one.
    void removeAllQueues();
    // The queues added to the server, without the temporary ones it made for
    // printers the network advertises (temporaryQueueNames()).
    QStringList queueNames() const;
    QStringList temporaryQueueNames() const;

    static constexpr int kMarginLeftPt = 18;
    static constexpr int kMarginBottomPt = 36;
    static constexpr int kMarginRightPt = 12;
    static constexpr int kMarginTopPt = 24;

    // The states of the jobs of a queue, oldest first, as the server reports
    // them (the IPP job-state values: 3 pending ... 9 completed).
    std::vector<int> jobStates(const QString &queue) const;
    // The attributes of the newest job of a queue as the server keeps them
    // ("copies" -> "2", "media" -> "iso_a4_210x297mm", …); empty without one.
    std::map<std::string, std::string> lastJobAttributes(const QString &queue) const;

    // Runs a printing command-line tool (lpadmin, lpstat, lpoptions, lp)
    // against this server; returns its exit code and puts its output in `output`.
    int runTool(const QString &tool, const QStringList &arguments, QString *output = nullptr) const;

private:
    QString m_dir;
    QString m_error;
    int m_pid = -1;
    QByteArray m_oldServer, m_oldServerRoot, m_oldHome;
    bool m_hadServer = false, m_hadServerRoot = false, m_hadHome = false;
};

// Accepts connections on 127.0.0.1 at a free port in a thread of its own;
// everything one connection sends until it closes is one job. A listener
// made with `closeAfterBytes` plays a printer that drops the line: it closes
// each connection once it has that many bytes (what it got is the job).
class SocketListener {
public:
    explicit SocketListener(size_t closeAfterBytes = 0);
    ~SocketListener();
    SocketListener(const SocketListener &) = delete;
    SocketListener &operator=(const SocketListener &) = delete;

    int port() const { return m_port; }
    // The jobs received so far, in the order they ended.
    std::vector<std::string> jobs() const;
    // Waits until at least `count` jobs have arrived or the time is up; gives
    // the jobs received by then.
    std::vector<std::string> waitForJobs(size_t count, int timeoutMs = 30000) const;
    // Forgets the jobs received so far.
    void clear();

private:
    void run();

    int m_listenFd = -1;
    int m_port = 0;
    size_t m_closeAfterBytes = 0;
    std::atomic<bool> m_stop{false};
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_arrived;
    std::vector<std::string> m_jobs;
    std::thread m_thread;
};

} // namespace prenso::test
