#pragma once
// Runs the built program as the user's system would: a process of its own,
// on the offscreen platform, with message boxes written to stderr, a
// temporary folder the test owns and the print server of the environment.
// Every wait is bounded: a program that hangs is killed and reported.

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <functional>

namespace prenso::test {

struct ProgramResult {
    bool finished = false; // ended on its own within the time allowed
    bool crashed = false;  // ended by a signal
    int exitCode = -1;
    QString err; // everything it wrote to stderr
    qint64 elapsedMs = 0;
};

struct ProgramOptions {
    // The program's TMPDIR (required: leftovers are looked for there).
    QString tmpDir;
    // Variables set or replaced on top of this process's environment.
    QProcessEnvironment extra;
    int timeoutMs = 60000;
    // Another copy of the program to run, and a command to run it under (for
    // example one that changes the user), with its arguments.
    QString program;
    QStringList prefix;
    // An X display to show the windows on (":N"), as a user at a screen sees
    // them: the program picks its platform itself and its windows wait for
    // their answers. Without one, the program runs on the offscreen platform
    // with nobody at the screen.
    QString display;
    // Called about every 10 ms with the program's process id while it runs,
    // for tests that act in the middle of a job (a test may hold the program
    // still meanwhile with SIGSTOP, and must let it go on with SIGCONT).
    std::function<void(qint64 pid)> whileRunning;
};

// The built program (PRENSO_BINARY_DIR/bin/Prenso).
QString programPath();

ProgramResult runProgram(const QStringList &arguments, const ProgramOptions &options);

// Root reads and writes every file: as root, the command to put before the
// program so that it runs as an ordinary user (nobody); empty otherwise.
// False when the command is needed and missing (the test skips then).
bool OrdinaryUserPrefix(QStringList &prefix);

} // namespace prenso::test
