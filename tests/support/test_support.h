#pragma once
// Small helpers shared by the tests.

#include "platform/system/messagebox.h"
#include "report/RLConsts.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <ostream>
#include <string>

// Readable failure messages for Qt texts.
inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QStringList &l, std::ostream *os)
{
    *os << '{';
    for (const QString &s : l)
        *os << " \"" << s.toStdString() << '"';
    *os << " }";
}

namespace prenso::test {

// A fresh folder that is removed with the object.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;
    const QString &path() const { return m_path; }
    QString file(const QString &name) const { return m_path + u'/' + name; }

private:
    QString m_path;
};

// Writes bytes to a file (creating or replacing it).
void writeFile(const QString &path, const std::string &bytes);
std::string readFile(const QString &path);

// The names in a folder (files and subfolders), sorted.
QStringList listFolder(const QString &path);

// Path of a bundled sample form.
QString samplePath(const QString &name);

// Guards for process-wide settings a test changes: each puts the setting
// back when it goes out of scope, also when a failed assertion ends the test
// early, so that no later test inherits it.
class ScopedMessageBoxHook {
public:
    explicit ScopedMessageBoxHook(MessageBoxHook hook) { setMessageBoxHook(std::move(hook)); }
    ~ScopedMessageBoxHook() { setMessageBoxHook(nullptr); }
    ScopedMessageBoxHook(const ScopedMessageBoxHook &) = delete;
    ScopedMessageBoxHook &operator=(const ScopedMessageBoxHook &) = delete;
};

// The engine texts of `language` until the guard goes; then the user's own.
class ScopedLanguage {
public:
    explicit ScopedLanguage(TRLLanguage language) { SetActiveLocaleForTesting(language); }
    void Set(TRLLanguage language) { SetActiveLocaleForTesting(language); }
    ~ScopedLanguage() { SetActiveLocaleForTesting(std::nullopt); }
    ScopedLanguage(const ScopedLanguage &) = delete;
    ScopedLanguage &operator=(const ScopedLanguage &) = delete;
};

// An environment variable set (or, with nullptr, unset) until the guard goes.
class ScopedEnv {
public:
    ScopedEnv(const char *name, const char *value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv &) = delete;
    ScopedEnv &operator=(const ScopedEnv &) = delete;

private:
    std::string FName;
    std::optional<std::string> FSaved;
};

// Windows are answered by the test itself, although the offscreen platform
// shows them to nobody.
struct Attended : ScopedEnv {
    Attended() : ScopedEnv("PRENSO_DIALOGS", "attended") {}
};

// A service the whole test program shares, started before the application
// object and stopped after the last test. A test program registers it from a
// static initialiser of its own.
struct RunWideService {
    void (*start)() = nullptr;
    void (*stop)() = nullptr;
};
RunWideService runWideService();
bool setRunWideService(RunWideService service);

} // namespace prenso::test
