#include "report/storage/RLGraphicStorage.h"

#include "platform/io/files.h"
#include "platform/io/streams.h"
#include "platform/system/errors.h"
#include "report/storage/RLStorageFormats.h"

#include <algorithm>
#include <limits>
#include <new>

namespace prenso {

namespace {

constexpr size_t kCacheSize = 5;

} // namespace

TRLGraphicStorage::TRLGraphicStorage() : TComponent(nullptr)
{}

TRLGraphicStorage::~TRLGraphicStorage()
{
    BeginDestroy();
    for (TComponent *c : FReferenceList)
        RemoveFreeNotification(c);
    FReferenceList.clear();
    std::vector<std::unique_ptr<TRLGraphicPage>> cache = std::move(FPageCache);
    FPageCache.clear();
    for (auto &s : cache)
        s->FStorage = nullptr;
    cache.clear();
    FTempStream.reset();
    if (!FTempFileName.isEmpty()) {
        files::deleteFile(FTempFileName);
        files::unregisterTempFile(FTempFileName);
    }
}

void TRLGraphicStorage::Link(TComponent *component)
{
    if (!component || std::find(FReferenceList.begin(), FReferenceList.end(), component) != FReferenceList.end())
        return;
    FReferenceList.push_back(component);
    FreeNotification(component);
}

void TRLGraphicStorage::Unlink(TComponent *component)
{
    auto it = std::find(FReferenceList.begin(), FReferenceList.end(), component);
    if (it == FReferenceList.end())
        return;
    FReferenceList.erase(it);
    RemoveFreeNotification(component);
}

void TRLStorageHold::Reset(std::shared_ptr<TRLGraphicStorage> storage)
{
    if (storage == FStorage)
        return;
    if (storage)
        storage->Link(FHolder);
    FStorage.swap(storage);
    if (storage)
        storage->Unlink(FHolder);
    // `storage` is now the one let go: freed here when it was the last hold.
}

void TRLGraphicStorage::Notification(TComponent *component, Operation operation)
{
    TComponent::Notification(component, operation);
    if (operation == Operation::Remove)
        Unlink(component);
}

void TRLGraphicStorage::EnsureTempFile()
{
    if (FTempStream)
        return;
    QString path;
    const int fd = files::createTempFile(QStringLiteral("~qr"), QStringLiteral(".tmp"), path);
    FTempStream = std::make_unique<TFileStream>(fd, path);
    FTempFileName = path;
}

void TRLGraphicStorage::AppendPageRecord(std::string_view pageBytes)
{
    EnsureTempFile();
    if (pageBytes.size() > static_cast<size_t>(std::numeric_limits<std::int32_t>::max()))
        throw EWriteError(QStringLiteral("A page is too large to be stored"));
    std::string record;
    record.reserve(4 + pageBytes.size());
    TRLStreamWriter(record).I32(static_cast<std::int32_t>(pageBytes.size()));
    record.append(pageBytes);
    const std::int64_t pos = appendRecord(record);
    FPageAllocation.push_back(pos);
    FPageRecordLengths.push_back(static_cast<std::int64_t>(record.size()));
}

std::int64_t TRLGraphicStorage::appendRecord(std::string_view record)
{
    // Records only ever go at the end, which the storage keeps itself: one
    // positioned write and no seek; reading a page back moves nothing.
    const std::int64_t pos = FTempEnd;
    FTempStream->WriteAt(pos, record);
    FTempEnd += static_cast<std::int64_t>(record.size());
    return pos;
}

void TRLGraphicStorage::StorePage(TRLGraphicPage *page)
{
    EnsureTempFile();
    std::string record(4, '\0');
    record.reserve(FLastRecordSize + FLastRecordSize / 8);
    page->SaveToBytes(record);
    FLastRecordSize = record.size();
    if (record.size() - 4 > static_cast<size_t>(std::numeric_limits<std::int32_t>::max()))
        throw EWriteError(QStringLiteral("A page is too large to be stored"));
    TRLStreamWriter::PutI32(record.data(), static_cast<std::int32_t>(record.size() - 4));
    const std::int64_t pos = appendRecord(record);
    const int index = page->PageIndex();
    if (index < 0 || index >= PageCount()) {
        page->SetPageIndex(PageCount());
        FPageAllocation.push_back(pos);
        FPageRecordLengths.push_back(static_cast<std::int64_t>(record.size()));
    } else {
        FPageAllocation[static_cast<size_t>(index)] = pos;
        FPageRecordLengths[static_cast<size_t>(index)] = static_cast<std::int64_t>(record.size());
    }
}

std::string TRLGraphicStorage::ReadPageRecord(int index)
{
    if (!FTempStream || index < 0 || index >= PageCount())
        TRLStreamReader::Fail(QStringLiteral("File is corrupted: page %1 is not in the page file").arg(index));
    const std::int64_t pos = FPageAllocation[static_cast<size_t>(index)];
    const std::int64_t length = FPageRecordLengths[static_cast<size_t>(index)];
    // The storage wrote the record and knows its length: the size before it
    // and its bytes come in one read, and the size only confirms them.
    std::string bytes(static_cast<size_t>(length), '\0');
    int error = 0;
    const std::int64_t got = FTempStream->ReadAt(pos, bytes.data(), length, error);
    if (got != length) {
        if (error != 0)
            throw EReadError(QStringLiteral("Stream read error: ") + FTempFileName + QStringLiteral(": ") +
                             SystemErrorMessage(error));
        TRLStreamReader::Fail(QStringLiteral("File is corrupted: a page runs past the end of the file"));
    }
    if (TRLStreamReader(std::string_view(bytes).substr(0, 4)).I32("a page size") != length - 4)
        TRLStreamReader::Fail(QStringLiteral("File is corrupted: a page's size is not the one it was stored with"));
    bytes.erase(0, 4);
    return bytes;
}

void TRLGraphicStorage::RetrievePage(TRLGraphicPage *page)
{
    const std::string bytes = ReadPageRecord(page->PageIndex());
    page->LoadFromBytes(bytes);
}

std::unique_ptr<TRLGraphicPage> TRLGraphicStorage::LoadPage(int index)
{
    if (index < 0 || index >= PageCount())
        return nullptr;
    auto page = std::make_unique<TRLGraphicPage>();
    page->FStorage = this;
    page->SetPageIndex(index);
    try {
        RetrievePage(page.get());
    } catch (...) {
        page->FStorage = nullptr;
        throw;
    }
    return page;
}

void TRLGraphicStorage::CacheAdd(std::unique_ptr<TRLGraphicPage> page)
{
    if (FPageCache.size() >= kCacheSize) {
        TRLGraphicPage *oldest = FPageCache.front().get();
        if (oldest->Modified())
            Update(oldest);
        std::unique_ptr<TRLGraphicPage> evicted = std::move(FPageCache.front());
        FPageCache.erase(FPageCache.begin());
        evicted.reset();
    }
    FPageCache.push_back(std::move(page));
}

TRLGraphicPage *TRLGraphicStorage::CacheFind(int index) const
{
    for (const auto &s : FPageCache)
        if (s->PageIndex() == index)
            return s.get();
    return nullptr;
}

void TRLGraphicStorage::CacheRemove(TRLGraphicPage *page)
{
    for (auto it = FPageCache.begin(); it != FPageCache.end(); ++it)
        if (it->get() == page) {
            it->release(); // the caller is taking it away or destroying it
            FPageCache.erase(it);
            return;
        }
}

std::vector<int> TRLGraphicStorage::CachedPageIndexes() const
{
    std::vector<int> out;
    for (const auto &s : FPageCache)
        out.push_back(s->PageIndex());
    return out;
}

std::int64_t TRLGraphicStorage::PageFileSize() const
{
    return FTempStream ? FTempStream->Size() : 0;
}

TRLGraphicPage *TRLGraphicStorage::Add(std::unique_ptr<TRLGraphicPage> page)
{
    TRLGraphicPage *raw = page.get();
    raw->SetStorage(this);
    raw->SetPageIndex(-1);
    StorePage(raw);
    // The stored copy is the page as it is now: evicting it later needs no
    // second write.
    raw->SetModified(false);
    CacheAdd(std::move(page));
    return raw;
}

void TRLGraphicStorage::Update(TRLGraphicPage *page)
{
    StorePage(page);
    page->SetModified(false);
}

TRLGraphicPage *TRLGraphicStorage::cachePage(std::unique_ptr<TRLGraphicPage> page)
{
    if (!page)
        return nullptr;
    TRLGraphicPage *raw = page.get();
    CacheAdd(std::move(page));
    return raw;
}

TRLGraphicPage *TRLGraphicStorage::Pages(int index)
{
    if (TRLGraphicPage *cached = CacheFind(index))
        return cached;
    std::unique_ptr<TRLGraphicPage> page;
    try {
        page = LoadPage(index);
    } catch (const std::exception &) {
        return nullptr;
    }
    return cachePage(std::move(page));
}

TRLGraphicPage *TRLGraphicStorage::ReadPage(int index)
{
    if (TRLGraphicPage *cached = CacheFind(index))
        return cached;
    // The message is made only for a page that fails: an output reads every
    // page this way.
    auto what = [index] { return QStringLiteral("Page %1 cannot be read from the page file: ").arg(index + 1); };
    std::unique_ptr<TRLGraphicPage> page;
    try {
        page = LoadPage(index);
    } catch (const Exception &e) {
        throw EReadError(what() + e.message());
    } catch (const std::bad_alloc &) {
        throw EReadError(what() + QStringLiteral("it does not fit in memory"));
    }
    return cachePage(std::move(page));
}

void TRLGraphicStorage::Clear()
{
    if (FTempStream)
        FTempStream->SetSize(0);
    FTempEnd = 0;
    FPageAllocation.clear();
    FPageRecordLengths.clear();
    std::vector<std::unique_ptr<TRLGraphicPage>> cache = std::move(FPageCache);
    FPageCache.clear();
    for (auto &s : cache)
        s->FStorage = nullptr;
    cache.clear();
    FMacros.Clear();
}

void TRLGraphicStorage::FlushPages()
{
    for (const auto &s : FPageCache)
        if (s->Modified())
            Update(s.get());
}

void TRLGraphicStorage::SetFileVersion(int version)
{
    if (version < 1 || version > 3)
        throw Exception(QStringLiteral("Invalid file version!"));
    FFileVersion = version;
}

int TRLGraphicStorage::FirstPageNumber() const
{
    return FMacros.IntValue("FirstPageNumber", 0);
}

void TRLGraphicStorage::SetFirstPageNumber(int n)
{
    FMacros.SetValue("FirstPageNumber", std::to_string(n));
}

int TRLGraphicStorage::LastPageNumber() const
{
    return FMacros.IntValue("LastPageNumber", 0);
}

void TRLGraphicStorage::SetLastPageNumber(int n)
{
    FMacros.SetValue("LastPageNumber", std::to_string(n));
}

QString TRLGraphicStorage::Title() const
{
    return FMacros.ValueText(QStringLiteral("Title"));
}

void TRLGraphicStorage::SetTitle(const QString &title)
{
    FMacros.SetValueText(QStringLiteral("Title"), title);
}

QString TRLGraphicStorage::JobTitle() const
{
    return FMacros.ValueText(QStringLiteral("JobTitle"));
}

void TRLGraphicStorage::SetJobTitle(const QString &title)
{
    FMacros.SetValueText(QStringLiteral("JobTitle"), title);
}

TRLMetaOrientation TRLGraphicStorage::orientationCode() const
{
    return FMacros.IntValue("Orientation", MetaOrientationPortrait);
}

TRLPageOrientation TRLGraphicStorage::Orientation() const
{
    return OrientationOfStoredCode(orientationCode());
}

void TRLGraphicStorage::SetOrientation(TRLPageOrientation orientation)
{
    FMacros.SetValue("Orientation", std::to_string(StoredOrientationCode(orientation)));
}

double TRLGraphicStorage::PaperWidth() const
{
    return FMacros.MillimetreValue("PaperWidth");
}

void TRLGraphicStorage::SetPaperWidth(double mm)
{
    FMacros.SetMillimetreValue("PaperWidth", mm);
}

double TRLGraphicStorage::PaperHeight() const
{
    return FMacros.MillimetreValue("PaperHeight");
}

void TRLGraphicStorage::SetPaperHeight(double mm)
{
    FMacros.SetMillimetreValue("PaperHeight", mm);
}

double TRLGraphicStorage::OrientedPaperWidth() const
{
    return StoredCodeTurnsPage(orientationCode()) ? PaperHeight() : PaperWidth();
}

double TRLGraphicStorage::OrientedPaperHeight() const
{
    return StoredCodeTurnsPage(orientationCode()) ? PaperWidth() : PaperHeight();
}

int TRLGraphicStorage::Width() const
{
    return MMToPixels(PaperWidth());
}

int TRLGraphicStorage::Height() const
{
    return MMToPixels(PaperHeight());
}

int TRLGraphicStorage::OrientedWidth() const
{
    return MMToPixels(OrientedPaperWidth());
}

int TRLGraphicStorage::OrientedHeight() const
{
    return MMToPixels(OrientedPaperHeight());
}

void TRLGraphicStorage::SaveToStream(TStream &stream)
{
    FlushPages();
    SaveStorageToStream(*this, stream, FFileVersion);
}

void TRLGraphicStorage::SaveToFile(const QString &fileName)
{
    TFileStream file(fileName, TFileStream::Mode::fmCreate);
    SaveToStream(file);
}

void TRLGraphicStorage::LoadFromStream(TStream &stream)
{
    Clear();
    try {
        FFileVersion = LoadStorageFromStream(*this, stream);
    } catch (...) {
        Clear();
        throw;
    }
}

void TRLGraphicStorage::LoadFromFile(const QString &fileName)
{
    TFileStream file(fileName, TFileStream::Mode::fmOpenRead);
    LoadFromStream(file);
}

} // namespace prenso
