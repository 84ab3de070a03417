#pragma once
// Starting other programs. A program is always started directly with its
// argument list, never through a shell, so that names and paths are passed
// as data whatever characters they hold.

#include <QString>
#include <QStringList>

namespace prenso::process {

// Splits a parameter text into arguments: blanks separate them, double
// quotes group blanks into one argument ("" inside quotes is one quote).
QStringList splitArguments(const QString &text);

// Starts `program` (looked up in PATH when the name has no "/") with
// `arguments`. Raises Exception when it cannot be started: not found, not
// executable. Returns the process id.
//
// `handedFile`, when given, is a temporary file the program is to read: it is
// removed once the program has finished, and this program waits at its end
// for every such program before removing their files, so that a program
// started just before the end still finds its file.
long long startProgram(const QString &program, const QStringList &arguments, const QString &handedFile = {});

// Removes the files of started programs that have finished; does not wait.
void reapFinishedPrograms();
// Waits for every started program that was handed a file, then removes the
// files. Runs by itself at program end.
void waitForStartedPrograms();
// Started programs with a file not yet removed.
int pendingProgramCount();

} // namespace prenso::process
