#pragma once
// One page as it is stored: an ordered list of graphic objects in report
// pixels (96 per inch), with the font names they use, the page's macros and
// its size. This is all a reader of the page (the painter, the PDF writer,
// the draft filter, the file formats) sees; drawing onto a page is the
// recorder's (TRLGraphicSurface).

#include "report/storage/RLGraphicObjects.h"
#include "report/storage/RLMacroList.h"

#include <QString>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace prenso {

class TStream;
class TRLGraphicStorage;

class TRLGraphicPage {
public:
    TRLGraphicPage() = default;
    virtual ~TRLGraphicPage();
    TRLGraphicPage(const TRLGraphicPage &) = delete;
    TRLGraphicPage &operator=(const TRLGraphicPage &) = delete;

    // The storage the page belongs to (not an owner: the storage owns the
    // pages in its cache). Changing it takes the page out of the old
    // storage's cache without freeing it.
    TRLGraphicStorage *Storage() const { return FStorage; }
    void SetStorage(TRLGraphicStorage *storage);
    int PageIndex() const { return FPageIndex; }
    void SetPageIndex(int index) { FPageIndex = index; }
    bool Modified() const { return FModified; }
    void SetModified(bool v) { FModified = v; }

    int ObjectCount() const { return static_cast<int>(FObjects.size()); }
    TRLGraphicObject *Objects(int index) const { return FObjects.at(static_cast<size_t>(index)).get(); }
    // Creates an object of kind T at the end of the list.
    template <class T>
    T *NewObject()
    {
        auto obj = std::make_unique<T>(this);
        T *raw = obj.get();
        FObjects.push_back(std::move(obj));
        return raw;
    }
    void AdoptObject(std::unique_ptr<TRLGraphicObject> object);
    // Frees an object and takes it out of the list.
    virtual void DeleteObject(TRLGraphicObject *object);

    int Width() const { return FWidth; }
    void SetWidth(int w) { FWidth = w; }
    int Height() const { return FHeight; }
    void SetHeight(int h) { FHeight = h; }
    // Page description, kept as macros ("Orientation", "PaperWidth", "PaperHeight").
    TRLPageOrientation Orientation() const;
    void SetOrientation(TRLPageOrientation orientation);
    double PaperWidth() const;
    void SetPaperWidth(double mm);
    double PaperHeight() const;
    void SetPaperHeight(double mm);
    double OrientedPaperWidth() const;
    double OrientedPaperHeight() const;
    int OrientedWidth() const;
    int OrientedHeight() const;

    std::vector<QString> &Fonts() { return FFonts; }
    const std::vector<QString> &Fonts() const { return FFonts; }
    TRLMacroList &Macros() { return FMacros; }
    const TRLMacroList &Macros() const { return FMacros; }
    // Index of a font name in Fonts (letter case ignored), appended when missing.
    int FontNameId(const QString &name);

    // Empties the page: objects, fonts and macros.
    virtual void Clear();

    // Moves `row` up from `nearRow` until it cuts no text flagged
    // MetaTextFlagNoSplit; returns whether the row is still above 0.
    bool FindFreeRow(int nearRow, int &row) const;

    void SaveToStream(TStream &stream) const;
    void LoadFromStream(TStream &stream);
    void SaveToFile(const QString &fileName) const;
    void LoadFromFile(const QString &fileName);
    // The same format to and from bytes in memory; LoadFromBytes returns the
    // number of bytes the page took.
    void SaveToBytes(std::string &out) const;
    size_t LoadFromBytes(std::string_view data);

protected:
    std::vector<std::unique_ptr<TRLGraphicObject>> FObjects;
    int FWidth = 0;
    int FHeight = 0;
    bool FModified = false;
    TRLMacroList FMacros;

private:
    friend class TRLGraphicStorage;
    void load(TRLStreamReader &r);
    // The "Orientation" macro as stored.
    TRLMetaOrientation orientationCode() const;

    TRLGraphicStorage *FStorage = nullptr;
    int FPageIndex = -1;
    std::vector<QString> FFonts;
    // The font of the last text recorded and its name id, to skip the lookup.
    QString FLastFontName;
    int FLastFontId = -1;
};

} // namespace prenso
