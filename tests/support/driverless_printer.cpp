#include "support/driverless_printer.h"

#include "support/abandoned_folders.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <cups/cups.h>

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char **environ;

namespace prenso::test {

namespace {

constexpr int kStartTries = 3;

QString findProgram(const QString &name)
{
    QString path = QStandardPaths::findExecutable(name);
    if (path.isEmpty())
        path = QStandardPaths::findExecutable(name, {QStringLiteral("/usr/bin"), QStringLiteral("/usr/sbin")});
    return path;
}

QString readTail(const QString &path, int maxBytes = 1500)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    if (f.size() > maxBytes)
        f.seek(f.size() - maxBytes);
    return QString::fromUtf8(f.readAll()).trimmed();
}

// Starts `argv` with `extraEnv` added to this process's environment and its
// output into `logPath`. The child must not outlive the test program, also
// when that one crashes or is killed by a time-out. Everything the child
// needs is made before the fork: the test program has threads.
pid_t spawn(const QStringList &argv, const QByteArrayList &extraEnv, const QString &logPath)
{
    std::vector<QByteArray> args;
    for (const QString &a : argv)
        args.push_back(a.toLocal8Bit());
    std::vector<char *> argp;
    for (QByteArray &a : args)
        argp.push_back(a.data());
    argp.push_back(nullptr);
    QByteArrayList env = extraEnv;
    for (char **e = environ; *e; ++e)
        env.append(QByteArray(*e));
    std::vector<char *> envp;
    for (QByteArray &e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    const QByteArray log = logPath.toLocal8Bit();

    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid != 0)
        return pid;
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent)
        _exit(1);
    const int fd = ::open(log.constData(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (fd >= 0) {
        dup2(fd, 1);
        dup2(fd, 2);
        ::close(fd);
    }
    execve(argp[0], argp.data(), envp.data());
    _exit(127);
}

void stopProcess(int &pid)
{
    if (pid <= 0)
        return;
    kill(pid, SIGTERM);
    int status = 0;
    for (int i = 0; i < 100; ++i) {
        if (waitpid(pid, &status, WNOHANG) == pid) {
            pid = -1;
            return;
        }
        usleep(50 * 1000);
    }
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    pid = -1;
}

bool exited(int pid)
{
    int status = 0;
    return waitpid(pid, &status, WNOHANG) == pid;
}

// A port nobody listens on at this moment. The printer binds it a moment
// later; should another program take it meanwhile, the start is tried again.
int freePort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return 0;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr *>(&addr), &len) == 0)
        port = ntohs(addr.sin_port);
    ::close(fd);
    return port;
}

// One IPP request to the printer; nullptr when it does not answer.
ipp_t *askPrinter(int port, ipp_t *request)
{
    http_t *http = httpConnect2("localhost", port, nullptr, AF_UNSPEC, HTTP_ENCRYPTION_NEVER, 1, 5000, nullptr);
    if (!http) {
        ippDelete(request);
        return nullptr;
    }
    const std::string uri = "ipp://localhost:" + std::to_string(port) + "/ipp/print";
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri.c_str());
    ipp_t *response = cupsDoRequest(http, request, "/ipp/print");
    httpClose(http);
    if (response && ippGetStatusCode(response) > IPP_STATUS_OK_CONFLICTING) {
        ippDelete(response);
        return nullptr;
    }
    return response;
}

// Whether the network announces a printer of that service name now.
bool announced(const QString &serviceName)
{
    struct Look {
        QByteArray name;
        bool found = false;
    } look{serviceName.toUtf8()};
    cupsEnumDests(
        CUPS_DEST_FLAGS_NONE, 1000, nullptr, CUPS_PRINTER_DISCOVERED, CUPS_PRINTER_DISCOVERED,
        [](void *data, unsigned flags, cups_dest_t *dest) -> int {
            auto *l = static_cast<Look *>(data);
            const char *info = cupsGetOption("printer-info", dest->num_options, dest->options);
            if (!(flags & CUPS_DEST_FLAGS_REMOVED) && info && l->name == info)
                l->found = true;
            return l->found ? 0 : 1;
        },
        &look);
    return look.found;
}

struct PrinterJob {
    int id = 0;
    int state = 0;
    QString name;
    QString format;
};

std::vector<PrinterJob> printerJobs(int port)
{
    ipp_t *request = ippNewRequest(IPP_OP_GET_JOBS);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "which-jobs", nullptr, "all");
    static const char *const wanted[] = {"job-id", "job-state", "job-name", "document-format-supplied"};
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 4, nullptr, wanted);
    ipp_t *response = askPrinter(port, request);
    // Each job's attributes make a group of their own; a nameless
    // attribute separates two groups.
    std::vector<PrinterJob> jobs;
    PrinterJob job;
    auto endJob = [&] {
        if (job.id > 0)
            jobs.push_back(job);
        job = PrinterJob();
    };
    for (ipp_attribute_t *a = ippFirstAttribute(response); a; a = ippNextAttribute(response)) {
        const char *name = ippGetName(a);
        if (!name) {
            endJob();
            continue;
        }
        if (ippGetGroupTag(a) != IPP_TAG_JOB)
            continue;
        const QByteArray key(name);
        if (key == "job-id")
            job.id = ippGetInteger(a, 0);
        else if (key == "job-state")
            job.state = ippGetInteger(a, 0);
        else if (key == "job-name")
            job.name = QString::fromUtf8(ippGetString(a, 0, nullptr));
        else if (key == "document-format-supplied")
            job.format = QString::fromUtf8(ippGetString(a, 0, nullptr));
    }
    endJob();
    ippDelete(response);
    std::sort(jobs.begin(), jobs.end(), [](const PrinterJob &x, const PrinterJob &y) { return x.id < y.id; });
    return jobs;
}

} // namespace

QStringList DriverlessPrinter::officeFormats()
{
    return {QStringLiteral("application/pdf"), QStringLiteral("image/pwg-raster"), QStringLiteral("image/urf"),
            QStringLiteral("application/octet-stream")};
}

DriverlessPrinter::DriverlessPrinter(const QStringList &formats) : DriverlessPrinter(formats, QString())
{}

std::unique_ptr<DriverlessPrinter> DriverlessPrinter::advertised(const QString &serviceName)
{
    return std::unique_ptr<DriverlessPrinter>(new DriverlessPrinter(officeFormats(), serviceName));
}

bool DriverlessPrinter::inOffice()
{
    return !qEnvironmentVariableIsEmpty("PRENSO_OFFICE") && !qEnvironmentVariableIsEmpty("DBUS_SYSTEM_BUS_ADDRESS");
}

void DriverlessPrinter::freeze()
{
    if (m_printerPid > 0 && kill(m_printerPid, SIGSTOP) == 0)
        m_frozen = true;
}

void DriverlessPrinter::stop()
{
    stopAll();
}

DriverlessPrinter::DriverlessPrinter(const QStringList &formats, const QString &serviceName)
    : m_serviceName(serviceName)
{
    removeAbandonedFolders(QStringLiteral("prenso-eve-*"));
    // Short and under /tmp: the bus's socket path must fit a socket address.
    char pattern[] = "/tmp/prenso-eve-XXXXXX";
    if (!mkdtemp(pattern)) {
        m_error = QStringLiteral("cannot create a folder for the driverless printer");
        return;
    }
    m_dir = QString::fromLocal8Bit(pattern);
    QFile owner(m_dir + QStringLiteral("/owner.pid"));
    if (owner.open(QIODevice::WriteOnly))
        owner.write(QByteArray::number(static_cast<qint64>(getpid())));
    owner.close();
    QDir().mkpath(m_dir + QStringLiteral("/spool"));
    if (!m_serviceName.isEmpty() && !inOffice()) {
        m_error = QStringLiteral("a printer announced on the network needs the office (scripts/office)");
        return;
    }
    // An announced printer announces on the office's bus; one that is not
    // still wants a bus of its own.
    if ((m_serviceName.isEmpty() && !startBus()) || !startPrinter(formats))
        stopAll();
}

DriverlessPrinter::~DriverlessPrinter()
{
    stopAll();
    if (!m_dir.isEmpty())
        QDir(m_dir).removeRecursively();
}

void DriverlessPrinter::stopAll()
{
    // A frozen process cannot end on SIGTERM before it goes on.
    if (m_frozen && m_printerPid > 0)
        kill(m_printerPid, SIGCONT);
    m_frozen = false;
    stopProcess(m_printerPid);
    stopProcess(m_busPid);
}

QString DriverlessPrinter::uri() const
{
    return QStringLiteral("ipp://localhost:%1/ipp/print").arg(m_port);
}

bool DriverlessPrinter::startBus()
{
    const QString daemon = findProgram(QStringLiteral("dbus-daemon"));
    if (daemon.isEmpty()) {
        m_error = QStringLiteral("dbus-daemon not found (package dbus-daemon)");
        return false;
    }
    // The session bus's rules let the user who started it do anything on
    // it, which is all a bus of one printer needs.
    const QString socket = m_dir + QStringLiteral("/bus.sock");
    m_busPid = spawn({daemon, QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--nopidfile"),
                      QStringLiteral("--address=unix:path=") + socket},
                     {}, m_dir + QStringLiteral("/bus.log"));
    if (m_busPid < 0) {
        m_error = QStringLiteral("cannot fork dbus-daemon");
        return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        if (exited(m_busPid)) {
            m_busPid = -1;
            m_error = QStringLiteral("dbus-daemon ended at start: ") + readTail(m_dir + QStringLiteral("/bus.log"));
            return false;
        }
        struct stat st;
        if (::stat(socket.toLocal8Bit().constData(), &st) == 0 && S_ISSOCK(st.st_mode))
            return true;
        usleep(20 * 1000);
    }
    m_error = QStringLiteral("dbus-daemon did not open its socket in time");
    return false;
}

bool DriverlessPrinter::startPrinter(const QStringList &formats)
{
    const QString program = findProgram(QStringLiteral("ippeveprinter"));
    if (program.isEmpty()) {
        m_error = QStringLiteral("ippeveprinter not found (package cups-ipp-utils)");
        return false;
    }
    const QString logPath = m_dir + QStringLiteral("/printer.log");
    const QByteArray bus = m_serviceName.isEmpty() ? "DBUS_SYSTEM_BUS_ADDRESS=unix:path=" +
                                                         (m_dir + QStringLiteral("/bus.sock")).toLocal8Bit()
                                                   : QByteArray();
    for (int attempt = 0; attempt < kStartTries; ++attempt) {
        m_port = freePort();
        // -r off: nothing announced on the network. -n localhost: it listens
        // on the loopback addresses only and names itself so. -k keeps every
        // document; the command (which does nothing) makes a job complete as
        // soon as its document is in, instead of after a pause that plays
        // the time printing takes.
        // Announced, it names itself by the office's host name, which the
        // office's avahi-daemon resolves to the loopback address.
        QStringList arguments{program};
        if (m_serviceName.isEmpty())
            arguments << QStringLiteral("-r") << QStringLiteral("off") << QStringLiteral("-n")
                      << QStringLiteral("localhost");
        arguments << QStringLiteral("-p") << QString::number(m_port) << QStringLiteral("-d")
                  << m_dir + QStringLiteral("/spool") << QStringLiteral("-k") << QStringLiteral("-c")
                  << QStringLiteral("/bin/true") << QStringLiteral("-f") << formats.join(u',') << QStringLiteral("-v")
                  << (m_serviceName.isEmpty() ? QStringLiteral("Prenso Driverless") : m_serviceName);
        m_printerPid = spawn(arguments, bus.isEmpty() ? QByteArrayList() : QByteArrayList{bus}, logPath);
        if (m_printerPid < 0) {
            m_error = QStringLiteral("cannot fork ippeveprinter");
            return false;
        }
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
        bool ended = false;
        while (std::chrono::steady_clock::now() < deadline) {
            if (exited(m_printerPid)) {
                ended = true;
                break;
            }
            ipp_t *request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
            ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr, "printer-state");
            if (ipp_t *response = askPrinter(m_port, request)) {
                ippDelete(response);
                // An announced printer is there once the network says so.
                while (!m_serviceName.isEmpty() && !announced(m_serviceName)) {
                    if (std::chrono::steady_clock::now() > deadline) {
                        m_error = QStringLiteral("the network does not announce \"%1\"").arg(m_serviceName);
                        return false;
                    }
                }
                return true;
            }
            usleep(50 * 1000);
        }
        m_printerPid = ended ? -1 : m_printerPid;
        stopProcess(m_printerPid);
        m_error = QStringLiteral("ippeveprinter did not come up on port %1: %2").arg(m_port).arg(readTail(logPath));
    }
    return false;
}

std::vector<DriverlessPrinter::Document> DriverlessPrinter::documents() const
{
    std::vector<Document> docs;
    if (!running())
        return docs;
    const QDir spool(m_dir + QStringLiteral("/spool"));
    for (const PrinterJob &job : printerJobs(m_port)) {
        if (job.state != IPP_JSTATE_COMPLETED)
            continue;
        // The printer names each file "ID-NAME.EXT".
        const QStringList files = spool.entryList({QString::number(job.id) + QStringLiteral("-*")}, QDir::Files);
        if (files.isEmpty())
            continue;
        QFile f(spool.filePath(files.first()));
        if (!f.open(QIODevice::ReadOnly))
            continue;
        const QByteArray bytes = f.readAll();
        docs.push_back({job.id, job.name, job.format, bytes.toStdString()});
    }
    return docs;
}

std::vector<DriverlessPrinter::Document> DriverlessPrinter::waitForDocuments(size_t count, int timeoutMs) const
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    std::vector<Document> docs = documents();
    while (docs.size() < count && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        docs = documents();
    }
    return docs;
}

QString DriverlessPrinter::log() const
{
    QFile f(m_dir + QStringLiteral("/printer.log"));
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

} // namespace prenso::test
