#pragma once
// The lpoptions files: the user's own default destination, which printer
// discovery writes, and the instances ("queue/instance") that the user and
// the machine define there, which the printer list shows beside the queues.

#include <QString>
#include <QStringList>

namespace prenso::printing {

// Makes `name` the user's own default destination (what "lpoptions -d" does for
// an ordinary user: the user's lpoptions file, never the system-wide default,
// also when running as root). Other lines and options of the file stay.
// Returns false when it could not be written; callers ignore the outcome.
bool setUserDefaultPrinter(const QString &name);
// The user's lpoptions file: .cups/lpoptions in the home folder.
QString userOptionsFilePath();
// The machine's lpoptions file, in the printing system's client folder.
QString machineOptionsFilePath();
// The text of an lpoptions file with `name` made the default destination: its
// line becomes a "Default" line (appended when missing), any other "Default"
// line becomes a "Dest" line, everything else is kept as it is.
QString withDefaultDestination(const QString &optionsText, const QString &name);
// The instances an lpoptions text defines ("Dest" or "Default" lines of a
// "queue/instance"), as written there, in the order of the text.
QStringList instancesIn(const QString &optionsText);

} // namespace prenso::printing
