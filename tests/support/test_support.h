#pragma once
// Small helpers shared by the tests.

#include <QString>
#include <QStringList>
#include <string>

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

} // namespace prenso::test
