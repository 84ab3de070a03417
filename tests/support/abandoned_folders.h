#pragma once
// A test program killed outright (a time-out, a crash) takes the servers it
// started with it but leaves their folders behind. Each such folder in /tmp
// holds owner.pid, the number of the test program that made it; folders
// whose owner is gone are removed when the next server starts.

#include <QDir>
#include <QFile>
#include <QString>

#include <cerrno>
#include <csignal>
#include <sys/types.h>

namespace prenso::test {

inline void removeAbandonedFolders(const QString &pattern)
{
    const QDir tmp(QStringLiteral("/tmp"));
    for (const QString &name : tmp.entryList({pattern}, QDir::Dirs)) {
        QFile owner(tmp.filePath(name) + QStringLiteral("/owner.pid"));
        if (!owner.open(QIODevice::ReadOnly))
            continue;
        bool ok = false;
        const pid_t pid = static_cast<pid_t>(owner.readAll().trimmed().toLong(&ok));
        owner.close();
        if (ok && pid > 0 && ::kill(pid, 0) != 0 && errno == ESRCH)
            QDir(tmp.filePath(name)).removeRecursively();
    }
}

} // namespace prenso::test
