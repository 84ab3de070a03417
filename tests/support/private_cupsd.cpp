#include "support/private_cupsd.h"

#include "support/abandoned_folders.h"

#include <QDir>
#include <QFile>
#include <QProcess>
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
#include <poll.h>
#include <stdexcept>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace prenso::test {

namespace {

PrivateCupsd *g_shared = nullptr;

// The printing tools live in sbin as well as bin, and an ordinary user's PATH
// may lack sbin.
QString findTool(const QString &tool)
{
    QString path = QStandardPaths::findExecutable(tool);
    if (path.isEmpty())
        path = QStandardPaths::findExecutable(
            tool, {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/bin"), QStringLiteral("/sbin")});
    return path;
}

QString readTail(const QString &path, int maxBytes = 2000)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    if (f.size() > maxBytes)
        f.seek(f.size() - maxBytes);
    return QString::fromUtf8(f.readAll()).trimmed();
}

void saveVariable(const char *name, QByteArray &value, bool &had)
{
    had = qEnvironmentVariableIsSet(name);
    value = qgetenv(name);
}

void restoreVariable(const char *name, const QByteArray &value, bool had)
{
    if (had)
        qputenv(name, value);
    else
        qunsetenv(name);
}

// The PPD of the margin queue: A4 by default, Letter besides, and an
// imageable area that leaves different margins on each side.
QByteArray marginPpd()
{
    constexpr int l = PrivateCupsd::kMarginLeftPt, b = PrivateCupsd::kMarginBottomPt;
    constexpr int r = PrivateCupsd::kMarginRightPt, t = PrivateCupsd::kMarginTopPt;
    QString ppd = QStringLiteral(R"PPD(*PPD-Adobe: "4.3"
*FormatVersion: "4.3"
*FileVersion: "1.0"
*LanguageVersion: English
*LanguageEncoding: ISOLatin1
*PCFileName: "MARGINS.PPD"
*Manufacturer: "Test"
*Product: "(Margins)"
*ModelName: "Margin Test Printer"
*ShortNickName: "Margin Test Printer"
*NickName: "Margin Test Printer"
*PSVersion: "(3010.000) 0"
*LanguageLevel: "3"
*ColorDevice: False
*DefaultColorSpace: Gray
*FileSystem: False
*Throughput: "1"
*LandscapeOrientation: Plus90
*TTRasterizer: Type42
*cupsFilter2: "application/pdf application/vnd.cups-pdf 0 -"
*OpenUI *PageSize/Media Size: PickOne
*OrderDependency: 10 AnySetup *PageSize
*DefaultPageSize: A4
*PageSize A4/A4: "<</PageSize[595 842]>>setpagedevice"
*PageSize Letter/US Letter: "<</PageSize[612 792]>>setpagedevice"
*CloseUI: *PageSize
*OpenUI *PageRegion/Media Size: PickOne
*OrderDependency: 10 AnySetup *PageRegion
*DefaultPageRegion: A4
*PageRegion A4/A4: "<</PageSize[595 842]>>setpagedevice"
*PageRegion Letter/US Letter: "<</PageSize[612 792]>>setpagedevice"
*CloseUI: *PageRegion
*DefaultImageableArea: A4
*ImageableArea A4/A4: "%1 %2 %3 %4"
*ImageableArea Letter/US Letter: "%1 %2 %5 %6"
*DefaultPaperDimension: A4
*PaperDimension A4/A4: "595 842"
*PaperDimension Letter/US Letter: "612 792"
*OpenUI *Resolution/Resolution: PickOne
*OrderDependency: 10 AnySetup *Resolution
*DefaultResolution: 600dpi
*Resolution 600dpi/600 DPI: "<</HWResolution[600 600]>>setpagedevice"
*CloseUI: *Resolution
)PPD");
    return ppd.arg(l).arg(b).arg(595 - r).arg(842 - t).arg(612 - r).arg(792 - t).toLatin1();
}

} // namespace

// ---------------------------------------------------------------------------
// PrivateCupsd

PrivateCupsd::PrivateCupsd()
{
    saveVariable("CUPS_SERVER", m_oldServer, m_hadServer);
    saveVariable("CUPS_SERVERROOT", m_oldServerRoot, m_hadServerRoot);
    saveVariable("HOME", m_oldHome, m_hadHome);
    removeAbandonedFolders(QStringLiteral("prenso-cupsd-*"));

    // Under /tmp and short: the socket path must fit into a socket address,
    // and the server's unprivileged user must be able to walk into it.
    char pattern[] = "/tmp/prenso-cupsd-XXXXXX";
    if (!mkdtemp(pattern)) {
        m_error = QStringLiteral("cannot create a folder for the print server");
        return;
    }
    m_dir = QString::fromLocal8Bit(pattern);
    QFile owner(m_dir + QStringLiteral("/owner.pid"));
    if (owner.open(QIODevice::WriteOnly))
        owner.write(QByteArray::number(static_cast<qint64>(getpid())));
    owner.close();
    QDir().mkpath(homeFolder());
    QDir().mkpath(clientRoot());

    qputenv("CUPS_SERVER", socketPath().toLocal8Bit());
    qputenv("CUPS_SERVERROOT", clientRoot().toLocal8Bit());
    qputenv("HOME", homeFolder().toLocal8Bit());
    start();
}

PrivateCupsd::~PrivateCupsd()
{
    stop();
    if (!m_dir.isEmpty())
        QDir(m_dir).removeRecursively();
    restoreVariable("CUPS_SERVER", m_oldServer, m_hadServer);
    restoreVariable("CUPS_SERVERROOT", m_oldServerRoot, m_hadServerRoot);
    restoreVariable("HOME", m_oldHome, m_hadHome);
}

PrivateCupsd *PrivateCupsd::shared()
{
    return g_shared;
}

void PrivateCupsd::startShared()
{
    if (!g_shared)
        g_shared = new PrivateCupsd;
}

void PrivateCupsd::stopShared()
{
    delete g_shared;
    g_shared = nullptr;
}

bool PrivateCupsd::start()
{
    if (running())
        return true;
    if (m_dir.isEmpty())
        return false;
    m_error.clear();
    const QByteArray script = QByteArrayLiteral(PRENSO_SOURCE_DIR "/scripts/cupsd-start");
    const QByteArray dir = m_dir.toLocal8Bit();
    const QByteArray output = (m_dir + QStringLiteral("/cupsd.out")).toLocal8Bit();
    QFile::remove(socketPath());

    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid < 0) {
        m_error = QStringLiteral("cannot fork the print server");
        return false;
    }
    if (pid == 0) {
        // The server must not outlive the test program, also when that one
        // crashes or is killed by a time-out.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent)
            _exit(1);
        const int fd = ::open(output.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd >= 0) {
            dup2(fd, 1);
            dup2(fd, 2);
            ::close(fd);
        }
        execl("/bin/bash", "bash", script.constData(), "--foreground", dir.constData(), nullptr);
        _exit(127);
    }
    m_pid = pid;

    // Ready once it listens on its socket.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_pid = -1;
            m_error =
                QStringLiteral("cupsd ended at start: %1 %2")
                    .arg(readTail(QString::fromLocal8Bit(output)), readTail(m_dir + QStringLiteral("/log/error_log")));
            return false;
        }
        struct stat st;
        if (::stat(socketPath().toLocal8Bit().constData(), &st) == 0 && S_ISSOCK(st.st_mode))
            return true;
        usleep(50 * 1000);
    }
    m_error = QStringLiteral("cupsd did not open its socket in time: %1")
                  .arg(readTail(m_dir + QStringLiteral("/log/error_log")));
    stop();
    return false;
}

void PrivateCupsd::stop()
{
    if (m_pid <= 0)
        return;
    kill(m_pid, SIGTERM);
    int status = 0;
    for (int i = 0; i < 100; ++i) {
        if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_pid = -1;
            break;
        }
        usleep(50 * 1000);
    }
    if (m_pid > 0) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, &status, 0);
        m_pid = -1;
    }
    QFile::remove(socketPath());
}

int PrivateCupsd::runTool(const QString &tool, const QStringList &arguments, QString *output) const
{
    const QString program = findTool(tool);
    if (program.isEmpty()) {
        if (output)
            *output = tool + QStringLiteral(" not found");
        return -1;
    }
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished();
        if (output)
            *output = tool + QStringLiteral(" did not finish");
        return -1;
    }
    if (output)
        *output = QString::fromLocal8Bit(process.readAll());
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

std::vector<int> PrivateCupsd::jobStates(const QString &queue) const
{
    cups_job_t *jobs = nullptr;
    const QByteArray name = queue.toUtf8();
    const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, name.constData(), 0, CUPS_WHICHJOBS_ALL);
    std::vector<std::pair<int, int>> byId;
    for (int i = 0; i < count; ++i)
        byId.emplace_back(jobs[i].id, static_cast<int>(jobs[i].state));
    cupsFreeJobs(count, jobs);
    std::sort(byId.begin(), byId.end());
    std::vector<int> states;
    for (const auto &[id, state] : byId)
        states.push_back(state);
    return states;
}

std::map<std::string, std::string> PrivateCupsd::lastJobAttributes(const QString &queue) const
{
    std::map<std::string, std::string> attributes;
    cups_job_t *jobs = nullptr;
    const QByteArray name = queue.toUtf8();
    const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, name.constData(), 0, CUPS_WHICHJOBS_ALL);
    int newest = 0;
    for (int i = 0; i < count; ++i)
        newest = std::max(newest, jobs[i].id);
    cupsFreeJobs(count, jobs);
    if (newest == 0)
        return attributes;
    ipp_t *request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
    const std::string uri = "ipp://localhost/jobs/" + std::to_string(newest);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr, uri.c_str());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr, "all");
    ipp_t *response = cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/");
    for (ipp_attribute_t *a = ippFirstAttribute(response); a; a = ippNextAttribute(response)) {
        if (!ippGetName(a))
            continue;
        char value[1024];
        ippAttributeString(a, value, sizeof value);
        attributes[ippGetName(a)] = value;
    }
    ippDelete(response);
    return attributes;
}

void PrivateCupsd::addRawQueue(const QString &name, int port)
{
    QString out;
    const QString uri = QStringLiteral("socket://127.0.0.1:%1").arg(port);
    if (runTool(QStringLiteral("lpadmin"),
                {QStringLiteral("-p"), name, QStringLiteral("-E"), QStringLiteral("-v"), uri}, &out) != 0)
        throw std::runtime_error(("lpadmin -p " + name + ": " + out).toStdString());
}

void PrivateCupsd::addPpdQueue(const QString &name, int port, const QString &ppdPath)
{
    QString out;
    const QString uri = QStringLiteral("socket://127.0.0.1:%1").arg(port);
    if (runTool(QStringLiteral("lpadmin"),
                {QStringLiteral("-p"), name, QStringLiteral("-E"), QStringLiteral("-v"), uri, QStringLiteral("-P"),
                 ppdPath},
                &out) != 0)
        throw std::runtime_error(("lpadmin -p " + name + " -P: " + out).toStdString());
}

void PrivateCupsd::addMarginQueue(const QString &name, int port)
{
    const QString ppd = m_dir + QStringLiteral("/margins.ppd");
    QFile f(ppd);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error("cannot write " + ppd.toStdString());
    f.write(marginPpd());
    f.close();
    addPpdQueue(name, port, ppd);
}

void PrivateCupsd::addDriverlessQueue(const QString &name, const QString &printerUri)
{
    QString out;
    if (runTool(QStringLiteral("lpadmin"),
                {QStringLiteral("-p"), name, QStringLiteral("-E"), QStringLiteral("-v"), printerUri,
                 QStringLiteral("-m"), QStringLiteral("everywhere")},
                &out) != 0)
        throw std::runtime_error(("lpadmin -p " + name + " -m everywhere: " + out).toStdString());
    // The server names such a queue's model after what the printer told it,
    // with "IPP Everywhere" after it; until then the queue is not ready.
    const QByteArray queue = name.toUtf8();
    QString model;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    do {
        if (cups_dest_t *dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, queue.constData(), nullptr)) {
            model = QString::fromUtf8(cupsGetOption("printer-make-and-model", dest->num_options, dest->options));
            cupsFreeDests(1, dest);
        }
        if (model.endsWith(QStringLiteral("IPP Everywhere")))
            return;
        usleep(50 * 1000);
    } while (std::chrono::steady_clock::now() < deadline);
    throw std::runtime_error(
        ("the queue " + name + " is not a driverless one; its model is \"" + model + "\"").toStdString());
}

void PrivateCupsd::removeQueue(const QString &name)
{
    QString out;
    if (runTool(QStringLiteral("lpadmin"), {QStringLiteral("-x"), name}, &out) != 0)
        throw std::runtime_error(("lpadmin -x " + name + ": " + out).toStdString());
}

namespace {

// The server's queues by name with their device URIs ("device for NAME: URI"),
// temporary ones too; a printer the network only advertises is none of them.
QList<std::pair<QString, QString>> queuesWithDevices(const PrivateCupsd &cupsd)
{
    QString out;
    if (cupsd.runTool(QStringLiteral("lpstat"), {QStringLiteral("-v")}, &out) != 0)
        return {};
    QList<std::pair<QString, QString>> queues;
    static const QString prefix = QStringLiteral("device for ");
    for (const QString &line : out.split(u'\n', Qt::SkipEmptyParts)) {
        const qsizetype colon = line.indexOf(u':');
        const QString name = line.mid(prefix.size(), colon - prefix.size());
        // Instances ("queue/instance") go with their queue.
        if (line.startsWith(prefix) && colon > prefix.size() && !name.contains(u'/'))
            queues.append({name, line.mid(colon + 1).trimmed()});
    }
    return queues;
}

// A queue the server made for an advertised printer reaches it by the name
// it is advertised under.
bool madeForAdvertisedPrinter(const QString &deviceUri)
{
    return deviceUri.contains(QStringLiteral("._tcp"));
}

} // namespace

QStringList PrivateCupsd::queueNames() const
{
    QStringList names;
    for (const auto &[name, uri] : queuesWithDevices(*this))
        if (!madeForAdvertisedPrinter(uri))
            names.append(name);
    return names;
}

QStringList PrivateCupsd::temporaryQueueNames() const
{
    QStringList names;
    for (const auto &[name, uri] : queuesWithDevices(*this))
        if (madeForAdvertisedPrinter(uri))
            names.append(name);
    return names;
}

void PrivateCupsd::removeAllQueues()
{
    for (const QString &name : queueNames())
        removeQueue(name);
}

// ---------------------------------------------------------------------------
// SocketListener

SocketListener::SocketListener(size_t closeAfterBytes) : m_closeAfterBytes(closeAfterBytes)
{
    m_listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_listenFd < 0)
        throw std::runtime_error("socket() failed");
    const int yes = 1;
    setsockopt(m_listenFd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    if (::bind(m_listenFd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0 || ::listen(m_listenFd, 8) != 0) {
        ::close(m_listenFd);
        throw std::runtime_error("cannot listen on 127.0.0.1");
    }
    socklen_t len = sizeof addr;
    getsockname(m_listenFd, reinterpret_cast<sockaddr *>(&addr), &len);
    m_port = ntohs(addr.sin_port);
    m_thread = std::thread([this] { run(); });
}

SocketListener::~SocketListener()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    ::close(m_listenFd);
}

void SocketListener::run()
{
    while (!m_stop) {
        pollfd listenPoll{m_listenFd, POLLIN, 0};
        if (::poll(&listenPoll, 1, 100) <= 0)
            continue;
        const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        std::string job;
        char buffer[65536];
        while (!m_stop) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 100) <= 0)
                continue;
            const size_t want =
                m_closeAfterBytes > 0 ? std::min(sizeof buffer, m_closeAfterBytes - job.size()) : sizeof buffer;
            const ssize_t n = ::read(fd, buffer, want);
            if (n <= 0)
                break;
            job.append(buffer, static_cast<size_t>(n));
            if (m_closeAfterBytes > 0 && job.size() >= m_closeAfterBytes)
                break;
        }
        ::close(fd);
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_jobs.push_back(std::move(job));
        }
        m_arrived.notify_all();
    }
}

std::vector<std::string> SocketListener::jobs() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_jobs;
}

void SocketListener::clear()
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_jobs.clear();
}

std::vector<std::string> SocketListener::waitForJobs(size_t count, int timeoutMs) const
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_arrived.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return m_jobs.size() >= count; });
    return m_jobs;
}

} // namespace prenso::test
