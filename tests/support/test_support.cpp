#include "support/test_support.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>
#include <stdexcept>

namespace prenso::test {

TempDir::TempDir()
{
    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/prenso-test-XXXXXX"));
    dir.setAutoRemove(false);
    if (!dir.isValid())
        throw std::runtime_error("cannot create a temporary folder");
    m_path = dir.path();
}

TempDir::~TempDir()
{
    QDir(m_path).removeRecursively();
}

void writeFile(const QString &path, const std::string &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error("cannot write " + path.toStdString());
    f.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

std::string readFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read " + path.toStdString());
    const QByteArray data = f.readAll();
    return std::string(data.constData(), static_cast<size_t>(data.size()));
}

QStringList listFolder(const QString &path)
{
    QStringList names = QDir(path).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    names.sort();
    return names;
}

QString samplePath(const QString &name)
{
    return QStringLiteral(PRENSO_SOURCE_DIR "/samples/") + name;
}

namespace {
RunWideService &theService()
{
    static RunWideService service;
    return service;
}
} // namespace

RunWideService runWideService()
{
    return theService();
}

bool setRunWideService(RunWideService service)
{
    theService() = service;
    return true;
}

ScopedEnv::ScopedEnv(const char *name, const char *value) : m_name(name)
{
    if (const char *old = std::getenv(name)) {
        m_had = true;
        m_old = old;
    }
    if (value)
        ::setenv(name, value, 1);
    else
        ::unsetenv(name);
}

ScopedEnv::~ScopedEnv()
{
    if (m_had)
        ::setenv(m_name.c_str(), m_old.c_str(), 1);
    else
        ::unsetenv(m_name.c_str());
}

} // namespace prenso::test
