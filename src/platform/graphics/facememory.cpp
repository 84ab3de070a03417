#include "platform/graphics/facememory.h"

#include "platform/graphics/fontface.h"
#include "platform/io/files.h"
#include "platform/io/safefile.h"

#include <QDir>
#include <QFileInfo>

#include <cstdlib>
#include <fcntl.h>
#include <fontconfig/fontconfig.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace prenso::fonts {

namespace {

constexpr qint64 kMaxMemorySize = 1 << 20;
constexpr qint64 kAbsent = -1;

// The state of a file or folder: when it was last changed and its size.
struct Stamp {
    qint64 mtime = kAbsent;
    qint64 size = 0;
    bool operator==(const Stamp &) const = default;
};

Stamp stampOf(const QString &path)
{
    struct stat st {};
    if (::stat(files::encodeName(path).constData(), &st) != 0)
        return {};
    return {static_cast<qint64>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec, static_cast<qint64>(st.st_size)};
}

struct Entry {
    QString key;
    QString path;
    unsigned index = 0;
    Stamp file;
    QString family;
    QString style;
    std::array<quint32, 256> glyphs{};
};

struct Memory {
    bool read = false;
    bool valid = false; // the stamps below describe the fonts as they are
    std::vector<std::pair<QString, Stamp>> stamps;
    std::vector<Entry> entries;
};

std::mutex memoryMutex;
Memory memory;
bool memoryUsed = true;

// Fields of the memory are separated by tabs, records by line ends: names
// holding either are not remembered.
bool plain(const QString &text)
{
    return !text.contains(u'\t') && !text.contains(u'\n') && !text.contains(u'\r');
}

// The first line: what the choice depends on besides the files.
QByteArray header()
{
    QByteArray line = "prenso-faces\t1\t";
    line += qVersion();
    for (const char *name : {"FONTCONFIG_FILE", "FONTCONFIG_PATH", "FONTCONFIG_SYSROOT"}) {
        line += '\t';
        line += qgetenv(name);
    }
    return line;
}

bool parseStamp(const QList<QByteArray> &fields, Stamp &stamp, qsizetype at)
{
    bool ok1 = false, ok2 = false;
    stamp.mtime = fields[at].toLongLong(&ok1);
    stamp.size = fields[at + 1].toLongLong(&ok2);
    return ok1 && ok2;
}

bool parseEntry(const QList<QByteArray> &fields, Entry &entry)
{
    if (fields.size() != 9)
        return false;
    bool ok = false;
    entry.key = QString::fromUtf8(fields[1]);
    entry.path = QString::fromUtf8(fields[2]);
    entry.index = fields[3].toUInt(&ok);
    if (!ok || !parseStamp(fields, entry.file, 4))
        return false;
    entry.family = QString::fromUtf8(fields[6]);
    entry.style = QString::fromUtf8(fields[7]);
    const QList<QByteArray> glyphs = fields[8].split(',');
    if (glyphs.size() != 256)
        return false;
    for (int b = 0; b < 256; ++b) {
        entry.glyphs[b] = glyphs[b].toUInt(&ok);
        if (!ok)
            return false;
    }
    return true;
}

// The whole of a file of at most kMaxMemorySize bytes; empty when it
// cannot be read. Read without the toolkit's file classes: this runs on the
// font configuration's thread before the application object exists, and the
// first thread that makes one of the toolkit's objects becomes its main
// thread.
QByteArray readSmallFile(const QString &name)
{
    const int fd = ::open(files::encodeName(name).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {};
    QByteArray text;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= kMaxMemorySize) {
        text.resize(static_cast<qsizetype>(st.st_size));
        qsizetype got = 0;
        while (got < text.size()) {
            const ssize_t n = ::read(fd, text.data() + got, static_cast<size_t>(text.size() - got));
            if (n <= 0)
                break;
            got += n;
        }
        text.truncate(got);
    }
    ::close(fd);
    return text;
}

// Reads the memory file into `memory`; any line it cannot read, or a stamp
// that no longer holds, leaves it invalid and empty.
void readMemory()
{
    memory.read = true;
    const QString name = faceMemoryFile();
    if (name.isEmpty())
        return;
    const QByteArray text = readSmallFile(name);
    const QList<QByteArray> lines = text.split('\n');
    if (lines.isEmpty() || lines[0] != header())
        return;
    Memory read;
    read.read = true;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        if (lines[i].isEmpty())
            continue;
        const QList<QByteArray> fields = lines[i].split('\t');
        if (fields[0] == "S" && fields.size() == 4) {
            Stamp stamp;
            if (!parseStamp(fields, stamp, 1))
                return;
            const QString path = QString::fromUtf8(fields[3]);
            if (stampOf(path) != stamp)
                return; // the fonts or their configuration changed
            read.stamps.emplace_back(path, stamp);
        } else if (fields[0] == "F") {
            Entry entry;
            if (!parseEntry(fields, entry))
                return;
            read.entries.push_back(std::move(entry));
        } else {
            return;
        }
    }
    if (read.stamps.empty())
        return;
    read.valid = true;
    memory = std::move(read);
}

void ensureRead()
{
    if (!memory.read)
        readMemory();
}

QString fromFc(const FcChar8 *text)
{
    return QString::fromUtf8(reinterpret_cast<const char *>(text));
}

// Every place whose change may change the toolkit's choice: the font
// folders the configuration scans and their sub-folders, its files and the
// folders that hold them, and the user's own configuration places.
std::vector<std::pair<QString, Stamp>> currentStamps()
{
    QStringList paths;
    auto addList = [&paths](FcStrList *list) {
        if (!list)
            return;
        while (const FcChar8 *path = FcStrListNext(list))
            paths.append(fromFc(path));
        FcStrListDone(list);
    };
    addList(FcConfigGetFontDirs(nullptr));
    const qsizetype fontFolders = paths.size();
    addList(FcConfigGetConfigFiles(nullptr));
    for (qsizetype i = fontFolders, end = paths.size(); i < end; ++i)
        paths.append(QFileInfo(paths[i]).absolutePath());
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    const QString home = QDir::homePath();
    if (!QDir::isAbsolutePath(config))
        config = home + QStringLiteral("/.config");
    paths << config + QStringLiteral("/fontconfig") << config + QStringLiteral("/fontconfig/conf.d")
          << config + QStringLiteral("/fontconfig/fonts.conf") << home + QStringLiteral("/.fonts.conf")
          << home + QStringLiteral("/.fonts.conf.d") << home + QStringLiteral("/.fonts")
          << QStringLiteral("/etc/fonts/fonts.conf") << QStringLiteral("/etc/fonts/conf.d");
    paths.removeDuplicates();
    std::vector<std::pair<QString, Stamp>> stamps;
    for (const QString &path : std::as_const(paths)) {
        if (!plain(path))
            return {};
        stamps.emplace_back(path, stampOf(path));
    }
    return stamps;
}

bool sameTables(const FontFace &file, const QRawFont &raw)
{
    for (const char *tag : {"head", "hhea", "maxp", "OS/2", "cmap", "name"}) {
        if (file.table(tag) != raw.fontTable(tag))
            return false;
    }
    return true;
}

// The font file and face the toolkit's face came from: among the files the
// configuration lists for its family, the one whose tables are the face's.
bool findFile(const QRawFont &raw, Entry &entry)
{
    FcPattern *pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8 *>(raw.familyName().toUtf8().constData()));
    FcObjectSet *objects = FcObjectSetBuild(FC_FILE, FC_INDEX, nullptr);
    FcFontSet *set = FcFontList(nullptr, pattern, objects);
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    bool found = false;
    for (int i = 0; set && i < set->nfont && !found; ++i) {
        FcChar8 *file = nullptr;
        int index = 0;
        if (FcPatternGetString(set->fonts[i], FC_FILE, 0, &file) != FcResultMatch ||
            FcPatternGetInteger(set->fonts[i], FC_INDEX, 0, &index) != FcResultMatch || index < 0 || index > 0xFFFF)
            continue; // an instance of a variable face
        const QString path = fromFc(file);
        const auto face = FontFace::fromFile(path, static_cast<unsigned>(index), {}, {});
        if (face && plain(path) && sameTables(*face, raw)) {
            entry.path = path;
            entry.index = static_cast<unsigned>(index);
            entry.file = stampOf(path);
            found = entry.file.mtime != kAbsent;
        }
    }
    if (set)
        FcFontSetDestroy(set);
    return found;
}

void writeMemory()
{
    const QString name = faceMemoryFile();
    if (name.isEmpty() || !QDir().mkpath(QFileInfo(name).absolutePath()))
        return;
    QByteArray text = header() + '\n';
    for (const auto &[path, stamp] : memory.stamps)
        text += "S\t" + QByteArray::number(stamp.mtime) + '\t' + QByteArray::number(stamp.size) + '\t' + path.toUtf8() +
                '\n';
    for (const Entry &e : memory.entries) {
        text += "F\t" + e.key.toUtf8() + '\t' + e.path.toUtf8() + '\t' + QByteArray::number(e.index) + '\t' +
                QByteArray::number(e.file.mtime) + '\t' + QByteArray::number(e.file.size) + '\t' + e.family.toUtf8() +
                '\t' + e.style.toUtf8() + '\t';
        for (int b = 0; b < 256; ++b) {
            if (b)
                text += ',';
            text += QByteArray::number(e.glyphs[b]);
        }
        text += '\n';
    }
    try {
        // A memory lost in a crash is only chosen again: no need to wait
        // for the disk.
        files::SafeFile out(name, false, files::SafeFile::Durability::Unflushed);
        out.write(std::string_view(text.constData(), static_cast<size_t>(text.size())));
        out.commit();
    } catch (...) {
        // A cache folder that cannot be written: nothing is remembered.
    }
}

} // namespace

QString faceKey(const QString &name, bool bold, bool italic, bool fixedPitch)
{
    return name.toLower() + u'|' + QChar(bold ? u'b' : u'-') + QChar(italic ? u'i' : u'-') +
           QChar(fixedPitch ? u'f' : u'-');
}

QString faceMemoryFile()
{
    // Plain string work: this runs before the application object exists.
    QString cache = qEnvironmentVariable("XDG_CACHE_HOME");
    if (!cache.startsWith(u'/')) {
        const QString home = qEnvironmentVariable("HOME");
        if (!home.startsWith(u'/'))
            return {};
        cache = home + QStringLiteral("/.cache");
    }
    return cache + QStringLiteral("/prenso/faces");
}

bool loadFaceMemory()
{
    const std::lock_guard lock(memoryMutex);
    ensureRead();
    return memory.valid && !memory.entries.empty();
}

std::optional<RememberedFace> rememberedFace(const QString &key)
{
    const std::lock_guard lock(memoryMutex);
    if (!memoryUsed)
        return std::nullopt;
    ensureRead();
    if (!memory.valid)
        return std::nullopt;
    for (auto it = memory.entries.begin(); it != memory.entries.end(); ++it) {
        if (it->key != key)
            continue;
        RememberedFace remembered;
        if (stampOf(it->path) == it->file)
            remembered.face = FontFace::fromFile(it->path, it->index, it->family, it->style);
        if (!remembered.face) {
            memory.entries.erase(it); // changed: the toolkit chooses again
            return std::nullopt;
        }
        remembered.glyphs = it->glyphs;
        return remembered;
    }
    return std::nullopt;
}

void rememberFace(const QString &key, const QRawFont &raw, const std::array<quint32, 256> &glyphs)
{
    if (!raw.isValid() || raw.fontTable("glyf").isEmpty() || !raw.fontTable("fvar").isEmpty() || !plain(key) ||
        !plain(raw.familyName()) || !plain(raw.styleName()))
        return;
    const std::lock_guard lock(memoryMutex);
    ensureRead();
    Entry entry;
    entry.key = key;
    entry.family = raw.familyName();
    entry.style = raw.styleName();
    entry.glyphs = glyphs;
    if (!findFile(raw, entry))
        return;
    if (!memory.valid) {
        memory.stamps = currentStamps();
        memory.entries.clear();
        if (memory.stamps.empty())
            return;
        memory.valid = true;
    }
    std::erase_if(memory.entries, [&key](const Entry &e) { return e.key == key; });
    memory.entries.push_back(std::move(entry));
    writeMemory();
}

void useRememberedFaces(bool use)
{
    const std::lock_guard lock(memoryMutex);
    memoryUsed = use;
}

void forgetFaceMemory()
{
    const std::lock_guard lock(memoryMutex);
    memory = Memory{};
}

} // namespace prenso::fonts
