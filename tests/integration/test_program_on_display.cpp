// The program on a real X server, as an operator at a screen meets it: the
// print dialog shows, Enter confirms it and the form reaches the print
// server; Escape cancels it and the program ends with status 2, nothing
// printed and nothing left behind. /VIS=SIM shows the preview, where Ctrl+F
// opens the find dialog; Escape, pressed fast, closes each and the program
// ends with 0.
// Without arguments the setup screen shows and closes with Alt+F4. The keys
// are pressed from outside the program, as a keyboard would.
#include "support/program_run.h"
#include "support/test_support.h"

#include "integration/printer_server_test.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <csignal>
#include <sys/prctl.h>

using namespace prenso;
using namespace prenso::test;

namespace {

// An X server of the test's own on a display number nobody uses, gone with
// the object (and with this process, should it die first).
class VirtualDisplay {
public:
    VirtualDisplay()
    {
        const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (xvfb.isEmpty()) {
            m_error = QStringLiteral("Xvfb is not installed");
            return;
        }
        for (int number = 90; number < 200 && m_name.isEmpty(); ++number) {
            const QString socket = QStringLiteral("/tmp/.X11-unix/X%1").arg(number);
            if (QFile::exists(socket) || QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(number)))
                continue;
            m_server.setProgram(xvfb);
            m_server.setArguments({QStringLiteral(":%1").arg(number), QStringLiteral("-screen"), QStringLiteral("0"),
                                   QStringLiteral("1024x768x24"), QStringLiteral("-nolisten"), QStringLiteral("tcp")});
            m_server.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
            m_server.setProcessChannelMode(QProcess::MergedChannels);
            m_server.start();
            if (!m_server.waitForStarted(5000))
                break;
            for (int i = 0; i < 100 && m_server.state() == QProcess::Running; ++i) {
                if (QFile::exists(socket)) {
                    m_name = QStringLiteral(":%1").arg(number);
                    break;
                }
                QThread::msleep(50);
            }
            if (m_name.isEmpty())
                stop(); // taken meanwhile, or it failed: try the next number
        }
        if (m_name.isEmpty())
            m_error = QStringLiteral("Xvfb did not start: %1").arg(QString::fromLocal8Bit(m_server.readAll()));
    }
    ~VirtualDisplay() { stop(); }

    const QString &name() const { return m_name; }
    const QString &error() const { return m_error; }

private:
    void stop()
    {
        if (m_server.state() != QProcess::NotRunning) {
            m_server.terminate();
            if (!m_server.waitForFinished(5000)) {
                m_server.kill();
                m_server.waitForFinished(5000);
            }
        }
    }

    QProcess m_server;
    QString m_name;
    QString m_error;
};

class OnDisplay : public PrinterServerTest {
protected:
    void SetUp() override
    {
        PrinterServerTest::SetUp();
        if (IsSkipped())
            return;
        if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
            GTEST_SKIP() << "xdotool is not installed (scripts/install-deps installs it)";
        display = std::make_unique<VirtualDisplay>();
        if (display->name().isEmpty())
            GTEST_SKIP() << "no X server for this test: " << display->error().toStdString();
        cupsd->addRawQueue(QStringLiteral("Alpha"), alpha.port());
        binBefore = listFolder(QStringLiteral(PRENSO_BINARY_DIR "/bin"));
    }
    void TearDown() override
    {
        if (!IsSkipped()) {
            EXPECT_EQ(listFolder(QStringLiteral(PRENSO_BINARY_DIR "/bin")), binBefore) << "left beside the program";
            EXPECT_EQ(listFolder(tmp.path()), QStringList()) << "left in the program's TMPDIR";
        }
        display.reset();
        PrinterServerTest::TearDown();
    }

    // Plays the keyboard from outside the program: runs the xdotool `script`
    // (a shell script) against the test's display. Bounded: gives up after
    // 30 seconds. Window titles are the engine's English texts (the program
    // runs in English).
    void typeOnDisplay(QProcess &keyboard, const QString &script)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), display->name());
        keyboard.setProcessEnvironment(env);
        keyboard.setProcessChannelMode(QProcess::MergedChannels);
        keyboard.start(QStringLiteral("timeout"),
                       {QStringLiteral("30"), QStringLiteral("sh"), QStringLiteral("-ec"), script});
        ASSERT_TRUE(keyboard.waitForStarted(5000));
    }

    ProgramResult runOnDisplay(const QStringList &arguments)
    {
        ProgramOptions options;
        options.tmpDir = tmp.path();
        options.display = display->name();
        options.timeoutMs = 60000;
        return runProgram(arguments, options);
    }

    static void expectKeysPressed(QProcess &keyboard)
    {
        keyboard.waitForFinished(35000);
        EXPECT_EQ(keyboard.exitCode(), 0) << "the keys were not pressed: " << keyboard.readAll().toStdString();
    }

    std::unique_ptr<VirtualDisplay> display;
    SocketListener alpha;
    TempDir tmp;
    QStringList binBefore;
};

TEST_F(OnDisplay, EnterPrintsEscapeCancels)
{
    struct Case {
        const char *key;
        int exitCode;
        size_t jobs;
    };
    for (const Case &c : {Case{"Return", 0, 1}, Case{"Escape", 2, 0}}) {
        SCOPED_TRACE(c.key);
        alpha.clear();
        QProcess keyboard;
        typeOnDisplay(keyboard,
                      QStringLiteral("xdotool search --sync --name '^Print$' windowfocus --sync; xdotool key %1")
                          .arg(QString::fromLatin1(c.key)));
        const ProgramResult r = runOnDisplay(
            {QStringLiteral("/ARQ=") + samplePath(QStringLiteral("nota.txt")), QStringLiteral("/IMPS=ALPHA")});
        expectKeysPressed(keyboard);
        ASSERT_TRUE(r.finished) << "the program was still waiting; stderr: " << r.err.toStdString();
        EXPECT_FALSE(r.crashed);
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err.toStdString();
        EXPECT_EQ(alpha.waitForJobs(c.jobs, c.jobs ? 30000 : 1000).size(), c.jobs);
        if (c.jobs) {
            EXPECT_EQ(alpha.jobs().front().substr(0, 5), "%PDF-");
        }
    }
}

// The operator's keys come as fast as they are typed, and nothing but the
// program says which window gets them: the pointer rests on no window (where
// keys would otherwise fall to the window under it), and after Ctrl+F the
// script only waits for the focus to arrive. Escape is pressed until the
// program has no window left: the first closes the find dialog, and the
// preview must then have the keyboard for a later one to close it.
TEST_F(OnDisplay, PreviewFindsAndClosesWithTheKeyboard)
{
    QProcess keyboard;
    typeOnDisplay(keyboard, QStringLiteral(R"sh(
        focused() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]; }
        preview=$(xdotool search --sync --onlyvisible --name '^Preview$' | head -n 1)
        xdotool mousemove 1023 767
        until focused "$preview"; do sleep 0.05; done
        xdotool key ctrl+f
        find=$(xdotool search --sync --onlyvisible --name '^Find$' | head -n 1)
        until focused "$find"; do sleep 0.05; done
        xdotool type TOSCANA
        xdotool key Return
        while xdotool search --name '^Preview$' >/dev/null; do xdotool key Escape; done
    )sh"));
    const ProgramResult r =
        runOnDisplay({QStringLiteral("/ARQ=") + samplePath(QStringLiteral("nota.txt")), QStringLiteral("/VIS=SIM")});
    expectKeysPressed(keyboard);
    ASSERT_TRUE(r.finished) << "the preview was still open; stderr: " << r.err.toStdString();
    EXPECT_FALSE(r.crashed);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.err, QString());
    EXPECT_TRUE(alpha.waitForJobs(0, 500).empty()) << "a preview prints nothing";
}

// Without arguments the setup screen waits for its operator; Alt+F4 closes
// it like any window, and closing it is a normal end.
TEST_F(OnDisplay, SetupScreenShowsAndClosesWithAltF4)
{
    QProcess keyboard;
    typeOnDisplay(keyboard, QStringLiteral("xdotool search --sync --name 'Sistema Vantor$' windowfocus --sync; "
                                           "xdotool getwindowfocus getwindowname; xdotool key alt+F4"));
    const ProgramResult r = runOnDisplay({});
    keyboard.waitForFinished(35000);
    const QString typed = QString::fromLocal8Bit(keyboard.readAll());
    EXPECT_EQ(keyboard.exitCode(), 0) << "the keys were not pressed: " << typed.toStdString();
    EXPECT_TRUE(typed.contains(QStringLiteral("Impressão de Formulários do Sistema Vantor"))) << typed.toStdString();
    ASSERT_TRUE(r.finished) << "the setup screen did not close; stderr: " << r.err.toStdString();
    EXPECT_FALSE(r.crashed);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(alpha.jobs().empty());
}

} // namespace
