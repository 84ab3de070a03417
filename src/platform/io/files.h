#pragma once
// Files and folders as the program needs them: the executable's folder, file
// existence and deletion, and temporary files that are created exclusively and
// never outlive the program.

#include <QString>

#include <cstdint>
#include <string_view>

namespace prenso::files {

// File names are bytes to the system, and the business system writes them in
// its own code page (rel\xf3rio.txt) where the desktop writes UTF-8. The
// program holds a name as a text that gives back exactly its bytes: what is
// UTF-8 is read as such, and every other byte is kept as a character of its
// own (U+DC80..U+DCFF, which no UTF-8 text holds). Every path that reaches
// the system goes through encodeName, every one read from it through
// decodeName.
QString decodeName(const QByteArray &native);
QByteArray encodeName(const QString &path);
// A text with such names in it as the operator reads it: each kept byte is
// read in the system code page (rel\xf3rio.txt shows as relório.txt).
QString readableText(const QString &text);

// `path` made absolute against the working folder, cleaned of "." and "..",
// and the folder that holds it; neither looks at the disk.
QString absolutePath(const QString &path);
QString folderOf(const QString &path);
// True for an existing folder (a link to one included).
bool isFolder(const QString &path);

// The folder of the running executable, with a trailing separator.
QString executableFolder();
// The running executable's full path (command-line argument 0 as the system knows it).
QString executablePath();
// Where the program keeps its own files (the line table's scratch file) and
// where its file dialogs start: beside the program, as it always has, with a
// trailing separator. Empty when the program runs from the folder it was
// installed into (/usr/bin): that folder belongs to the package manager, and
// no run leaves files there, not even one as root, which could.
QString programFolder();

// True for an existing file or folder (any kind of entry).
bool fileExists(const QString &path);

// Deletes a file. When that fails and the name is a symbolic link to a
// folder, the link is removed as a folder. Returns whether the entry is gone;
// errno holds the reason of a failure.
bool deleteFile(const QString &path);

// Creates `path` as a new, empty file that only its owner may read,
// exclusively: an existing entry of that name, a symbolic link included, is
// an error. Returns whether it worked; errno holds the reason.
bool createNewFile(const QString &path);

// Replaces the file `path` with `bytes` so that it is never seen half
// written: the bytes go into a new file beside it (created exclusively, on the
// list of temporary files), which is flushed to disk and then renamed over
// the target. Any failure removes the new file and leaves an earlier file of
// that name as it was; a read-only earlier file is not replaced. The new file
// takes the earlier file's permissions, or those of a newly created file;
// `executable` adds the right to run it wherever reading is allowed.
// (A SafeFile written at once, platform/io/safefile.h.) Raises EFCreateError
// ("Cannot create file ...") or EWriteError ("Cannot write file ...").
void replaceFile(const QString &path, std::string_view bytes, bool executable = false);

// The system's temporary folder, with a trailing separator.
QString tempFolder();

// Creates a new file exclusively (O_EXCL) in the temporary folder named
// prefix + random decimal number below 2147483647 + suffix, drawing again while
// a file of that name exists. Returns the open descriptor and sets `path`.
// The name is put on the process-wide list of temporary files.
// Raises EFCreateError when the folder cannot take a new file.
int createTempFile(const QString &prefix, const QString &suffix, QString &path);

// The process-wide list of temporary files (an empty folder may be listed
// too): everything still listed is
// deleted when the program ends (normally, after an error, or on SIGINT,
// SIGTERM or SIGHUP).
void registerTempFile(const QString &path);
void unregisterTempFile(const QString &path);
// Deletes every listed file and empties the list.
void deleteRegisteredTempFiles();
// Held while a file is made and put on the list: a stop that comes meanwhile
// waits for it, so that the new file goes with the others.
class TempFileCreation {
public:
    TempFileCreation();
    ~TempFileCreation();
    TempFileCreation(const TempFileCreation &) = delete;
    TempFileCreation &operator=(const TempFileCreation &) = delete;
};

// Deletes every listed file without touching the list or the heap: for the
// moment the program is told to stop, from any thread or a signal handler.
void deleteTempFilesAtStop() noexcept;
int registeredTempFileCount();
// Makes sure the end-of-program removal of the listed files is in place.
// Code with its own end-of-program work that must come first (waiting for a
// program that still reads one of the files) calls this before registering
// that work, so that it runs earlier.
void ensureTempCleanupInstalled();

} // namespace prenso::files
