#include "support/program_run.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <unistd.h>

namespace prenso::test {

QString programPath()
{
    return QStringLiteral(PRENSO_BINARY_DIR "/bin/Prenso");
}

ProgramResult runProgram(const QStringList &arguments, const ProgramOptions &options)
{
    // Qt wants a runtime folder of the user's alone; it is kept apart from
    // the program's TMPDIR, where every file is a leftover.
    const QTemporaryDir runtime;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (options.display.isEmpty()) {
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("PRENSO_DIALOGS"), QStringLiteral("auto"));
    } else {
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        env.remove(QStringLiteral("PRENSO_DIALOGS"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.insert(QStringLiteral("DISPLAY"), options.display);
    }
    env.insert(QStringLiteral("TMPDIR"), options.tmpDir);
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    // The engine's messages in their first language, whatever the machine's.
    env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    for (const char *name : {"LC_ALL", "LC_MESSAGES", "LANGUAGE"})
        env.remove(QString::fromLatin1(name));
    env.insert(options.extra);

    QProcess process;
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::SeparateChannels);
    QElapsedTimer clock;
    clock.start();
    const QString program = options.program.isEmpty() ? programPath() : options.program;
    if (options.prefix.isEmpty())
        process.start(program, arguments);
    else
        process.start(options.prefix.first(), options.prefix.mid(1) + QStringList{program} + arguments);
    ProgramResult result;
    if (!process.waitForStarted(10000)) {
        result.err = QStringLiteral("(the program did not start: %1)").arg(process.errorString());
        return result;
    }
    while (clock.elapsed() < options.timeoutMs) {
        if (process.waitForFinished(options.whileRunning ? 10 : 100) || process.state() == QProcess::NotRunning) {
            result.finished = true;
            break;
        }
        if (options.whileRunning)
            options.whileRunning(process.processId());
    }
    if (!result.finished) {
        process.kill();
        process.waitForFinished(5000);
    }
    result.elapsedMs = clock.elapsed();
    result.crashed = process.exitStatus() == QProcess::CrashExit;
    result.exitCode = process.exitCode();
    result.err = QString::fromLocal8Bit(process.readAllStandardError());
    return result;
}

bool OrdinaryUserPrefix(QStringList &prefix)
{
    prefix.clear();
    if (::geteuid() != 0)
        return true;
    const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
    if (setpriv.isEmpty())
        return false;
    prefix = {setpriv, QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
              QStringLiteral("--clear-groups"), QStringLiteral("--")};
    return true;
}

} // namespace prenso::test
