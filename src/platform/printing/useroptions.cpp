#include "platform/printing/useroptions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <pwd.h>
#include <unistd.h>

namespace prenso::printing {

QString userOptionsFilePath()
{
    QString home = qEnvironmentVariable("HOME");
    if (home.isEmpty()) {
        if (const passwd *pw = getpwuid(getuid()))
            home = QFile::decodeName(pw->pw_dir);
    }
    return home + QStringLiteral("/.cups/lpoptions");
}

namespace {

// A line of an lpoptions file split into its keyword, the destination
// ("name" or "name/instance") and whatever follows.
struct OptionsLine {
    QString keyword;
    QString destination;
    QString rest;
};

bool splitOptionsLine(const QString &line, OptionsLine &out)
{
    int pos = 0;
    auto skipBlanks = [&] {
        while (pos < line.size() && line[pos].isSpace())
            ++pos;
    };
    auto word = [&] {
        const int start = pos;
        while (pos < line.size() && !line[pos].isSpace())
            ++pos;
        return line.mid(start, pos - start);
    };
    skipBlanks();
    out.keyword = word();
    if (out.keyword.compare(u"Dest", Qt::CaseInsensitive) != 0 &&
        out.keyword.compare(u"Default", Qt::CaseInsensitive) != 0)
        return false;
    skipBlanks();
    out.destination = word();
    out.rest = line.mid(pos);
    return !out.destination.isEmpty();
}

// The printing system compares destination names without regard to case; an
// instance is part of the destination.
bool sameDestination(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

QString machineOptionsFilePath()
{
    const QString root = qEnvironmentVariable("CUPS_SERVERROOT");
    return (root.isEmpty() ? QStringLiteral("/etc/cups") : root) + QStringLiteral("/lpoptions");
}

QStringList instancesIn(const QString &optionsText)
{
    QStringList instances;
    for (const QString &line : optionsText.split(u'\n')) {
        OptionsLine parsed;
        if (splitOptionsLine(line, parsed) && parsed.destination.indexOf(u'/') > 0 &&
            !parsed.destination.endsWith(u'/'))
            instances.append(parsed.destination);
    }
    return instances;
}

QString withDefaultDestination(const QString &optionsText, const QString &name)
{
    QStringList lines = optionsText.split(u'\n');
    // A text that ends in a line break splits into a last empty piece.
    const bool endedWithBreak = !optionsText.isEmpty() && optionsText.endsWith(u'\n');
    if (endedWithBreak || optionsText.isEmpty())
        lines.removeLast();

    bool found = false;
    for (QString &line : lines) {
        OptionsLine parsed;
        if (!splitOptionsLine(line, parsed))
            continue;
        const bool isDefault = parsed.keyword.compare(u"Default", Qt::CaseInsensitive) == 0;
        if (!found && sameDestination(parsed.destination, name)) {
            line = QStringLiteral("Default ") + parsed.destination + parsed.rest;
            found = true;
        } else if (isDefault) {
            line = QStringLiteral("Dest ") + parsed.destination + parsed.rest;
        }
    }
    if (!found)
        lines.append(QStringLiteral("Default ") + name);
    return lines.join(u'\n') + u'\n';
}

bool setUserDefaultPrinter(const QString &name)
{
    // A destination name never holds blanks or control characters; such a
    // name could only break the file.
    if (name.isEmpty())
        return false;
    for (const QChar c : name) {
        if (c.isSpace() || c.unicode() < 32)
            return false;
    }

    // The file is written here rather than through the printing library:
    // as root the library writes the system-wide options, and the default
    // printer we choose belongs to this user alone.
    const QString path = userOptionsFilePath();
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        return false;
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QString text;
    QFile existing(path);
    if (existing.exists()) {
        if (!existing.open(QIODevice::ReadOnly))
            return false;
        text = QString::fromUtf8(existing.readAll());
        existing.close();
    }
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    out.write(withDefaultDestination(text, name).toUtf8());
    return out.commit();
}

} // namespace prenso::printing
