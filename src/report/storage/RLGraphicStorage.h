#pragma once
// The pages of a prepared report. Finished pages go to a TRLGraphicStorage,
// which keeps them in a temporary page file and at most five of them in
// memory. Printers, the preview, the draft and PDF writers read pages back
// from the storage. Storages are written to and read from streams in a
// versioned binary format: the current version 3 and the older versions 1
// and 2, which are read and written too.
//
// Texts inside pages are Windows-1252 bytes (std::string); other texts are
// QString.

#include "platform/system/component.h"
#include "report/storage/RLGraphicPage.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace prenso {

class TStream;
class TFileStream;

// A storage is shared by what uses it: the report that prepared it, the
// filters that print it, the preview windows that show it. Each holds it by a
// std::shared_ptr and stands on its reference list (Link) while it does, and
// the last to let go frees it, so a preview can outlive its report. A storage
// that anything is to hold is made with std::make_shared (a filter or a
// preview given one that is not raises std::bad_weak_ptr); one made on the
// stack, to read or write a file, is its maker's alone.

class TRLGraphicStorage : public TComponent, public std::enable_shared_from_this<TRLGraphicStorage> {
public:
    TRLGraphicStorage();
    ~TRLGraphicStorage() override;

    // The components that use the storage; one destroyed is taken off by
    // itself. The list tells who uses it, the shared pointers keep it.
    void Link(TComponent *component);
    void Unlink(TComponent *component);
    int ReferenceCount() const { return static_cast<int>(FReferenceList.size()); }

    // Takes a finished page: stores it as page PageCount and caches it.
    TRLGraphicPage *Add(std::unique_ptr<TRLGraphicPage> page);
    // Writes a page again (at the end of the page file) and clears Modified.
    void Update(TRLGraphicPage *page);
    // A page, 0-based; nullptr when out of range or unreadable. The storage
    // keeps it and may free it once five other pages have been used since.
    // For looking at pages (the preview): a page that cannot be read shows
    // as no page.
    TRLGraphicPage *Pages(int index);
    // The same for output, where a missing page would make a short print or
    // file: nullptr only past the list; a page of the list that cannot be
    // read raises an EReadError that names it (1-based) and says why.
    TRLGraphicPage *ReadPage(int index);
    int PageCount() const { return static_cast<int>(FPageAllocation.size()); }
    void Clear();
    // Writes back every modified cached page.
    void FlushPages();

    void SaveToStream(TStream &stream);
    void SaveToFile(const QString &fileName);
    void LoadFromStream(TStream &stream);
    void LoadFromFile(const QString &fileName);

    int FileVersion() const { return FFileVersion; }
    // Raises "Invalid file version!" outside 1..3.
    void SetFileVersion(int version);

    TRLMacroList &Macros() { return FMacros; }
    const TRLMacroList &Macros() const { return FMacros; }
    int FirstPageNumber() const;
    void SetFirstPageNumber(int n);
    int LastPageNumber() const;
    void SetLastPageNumber(int n);
    QString Title() const;
    void SetTitle(const QString &title);
    QString JobTitle() const;
    void SetJobTitle(const QString &title);
    TRLPageOrientation Orientation() const;
    void SetOrientation(TRLPageOrientation orientation);
    double PaperWidth() const;
    void SetPaperWidth(double mm);
    double PaperHeight() const;
    void SetPaperHeight(double mm);
    double OrientedPaperWidth() const;
    double OrientedPaperHeight() const;
    int Width() const;
    int Height() const;
    int OrientedWidth() const;
    int OrientedHeight() const;

    // For tests and diagnostics.
    const QString &TempFileName() const { return FTempFileName; }
    std::vector<int> CachedPageIndexes() const;
    std::int64_t PageFileSize() const;

    // For the file formats: the stored bytes of page `index` (one page
    // stream), and a page given as such bytes appended to the page file,
    // which is made even before a first page comes.
    std::string ReadPageRecord(int index);
    void AppendPageRecord(std::string_view pageBytes);
    void EnsureTempFile();

    // Called by pages leaving this storage or being destroyed.
    void CacheRemove(TRLGraphicPage *page);

protected:
    void Notification(TComponent *component, Operation operation) override;

private:
    // The "Orientation" macro as stored.
    TRLMetaOrientation orientationCode() const;
    void StorePage(TRLGraphicPage *page);
    // Appends a record (its size field first) to the page file; returns where.
    std::int64_t appendRecord(std::string_view record);
    void RetrievePage(TRLGraphicPage *page);
    // Raises whatever reading the page raised; nullptr past the list.
    std::unique_ptr<TRLGraphicPage> LoadPage(int index);
    TRLGraphicPage *cachePage(std::unique_ptr<TRLGraphicPage> page);
    void CacheAdd(std::unique_ptr<TRLGraphicPage> page);
    TRLGraphicPage *CacheFind(int index) const;
    std::vector<std::unique_ptr<TRLGraphicPage>> FPageCache;
    // Where each page's record starts in the page file and how long it is
    // (its size field included).
    std::vector<std::int64_t> FPageAllocation;
    std::vector<std::int64_t> FPageRecordLengths;
    // The size of the last page record written: the pages of one report are
    // much alike, so the next record starts with room for as much.
    size_t FLastRecordSize = 16384;
    std::unique_ptr<TFileStream> FTempStream;
    std::int64_t FTempEnd = 0; // where the next record goes
    QString FTempFileName;
    int FFileVersion = 3;
    TRLMacroList FMacros;
    std::vector<TComponent *> FReferenceList;
};

// What a component holds a storage by: keeps the storage alive and the
// component on its reference list, and lets both go when reset or destroyed.
class TRLStorageHold {
public:
    explicit TRLStorageHold(TComponent *holder) : FHolder(holder) {}
    ~TRLStorageHold() { Reset(nullptr); }
    TRLStorageHold(const TRLStorageHold &) = delete;
    TRLStorageHold &operator=(const TRLStorageHold &) = delete;

    // Holds `storage` instead of the one held so far, which is freed when
    // nothing else holds it; nullptr only lets go.
    void Reset(std::shared_ptr<TRLGraphicStorage> storage);
    // The same for a storage made by std::make_shared and known by address.
    void Reset(TRLGraphicStorage *storage) { Reset(storage ? storage->shared_from_this() : nullptr); }
    TRLGraphicStorage *get() const { return FStorage.get(); }
    TRLGraphicStorage *operator->() const { return FStorage.get(); }
    explicit operator bool() const { return FStorage != nullptr; }
    const std::shared_ptr<TRLGraphicStorage> &shared() const { return FStorage; }

private:
    TComponent *FHolder;
    std::shared_ptr<TRLGraphicStorage> FStorage;
};

} // namespace prenso
