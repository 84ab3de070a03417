#pragma once
// Filters turn the pages of a page storage into output. Every live filter is
// listed in its session's ActiveFilters; print filters send pages to a
// printer, save filters write a file. The base class runs the page loop:
// page range, page selection text, odd or even pages, emulated copies, the
// progress window and cancelling.

#include "platform/system/component.h"
#include "report/RLPageOrientation.h"
#include "report/printing/RLPrinters.h"
#include "report/storage/RLGraphicStorage.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace prenso {

class TRLGraphicPage;
class TRLProgress;
struct TRLFilterList;

enum class TRLFilterClassOption { foEmulateCopies };

class TRLCustomFilter : public TComponent {
public:
    explicit TRLCustomFilter(TComponent *owner = nullptr);
    ~TRLCustomFilter() override;

    // DisplayName reads as the component name when empty.
    QString DisplayName() const { return FDisplayName.isEmpty() ? Name() : FDisplayName; }
    void SetDisplayName(const QString &name) { FDisplayName = name; }
    QString GetDisplayName() const { return DisplayName(); }
    virtual QString GetDisplayLabel() const { return GetDisplayName(); }

    bool ShowProgress() const { return FShowProgress; }
    void SetShowProgress(bool value) { FShowProgress = value; }
    bool Canceled() const { return FCanceled; }

    bool EmulatesCopies() const { return FEmulateCopies; }

    // The storage being filtered; held while set, so it cannot go away under
    // a running filter. Set it to a storage made by std::make_shared.
    TRLGraphicStorage *Pages() const { return FPages.get(); }
    void SetPages(TRLGraphicStorage *pages);

    void BeginDoc() { InternalBeginDoc(); }
    void EndDoc();
    void NewPage() { InternalNewPage(); }
    void DrawPage(TRLGraphicPage *page) { InternalDrawPage(page); }

    // The page loop. Pages are numbered from 1; lastPage -1 means the last.
    void FilterPages(TRLGraphicStorage *pages);
    void FilterPages(TRLGraphicStorage *pages, int firstPage, int lastPage, const QString &pageSelection,
                     TRLPrintOddEvenPages oddEven);

protected:
    virtual void InternalBeginDoc() = 0;
    virtual void InternalEndDoc() = 0;
    virtual void InternalNewPage() = 0;
    virtual void InternalDrawPage(TRLGraphicPage *page) = 0;

    void SetEmulateCopies(bool value) { FEmulateCopies = value; }
    void OpenProgressForm();
    void CloseProgressForm();

    bool FCanceled = false;

private:
    friend struct TRLFilterList;
    // The session's filter list it joined when made; nullptr once that
    // session has ended.
    TRLFilterList *FList;
    QString FDisplayName;
    TRLStorageHold FPages{this};
    // The progress window of the current run, or nullptr.
    std::unique_ptr<TRLProgress> FProgress;
    bool FShowProgress = true;
    bool FEmulateCopies = false;
};

class TRLCustomPrintFilter : public TRLCustomFilter {
public:
    using TRLCustomFilter::TRLCustomFilter;
    virtual QString OptionsLabel() const { return QString(); }
    virtual QStringList Options() const { return QStringList(); }
    virtual int OptionIndex() const { return -1; }
    virtual void SetOptionIndex(int) {}
    // The orientation of the pages to print, for a filter whose options
    // depend on it.
    virtual void SetOrientation(TRLPageOrientation /*orientation*/) {}
    // The character tables a filter can send its texts in (the dot-matrix
    // printer's own); none for most filters.
    virtual QStringList CharTables() const { return QStringList(); }
    virtual int CharTableIndex() const { return -1; }
    virtual void SetCharTableIndex(int) {}
};

class TRLCustomSaveFilter : public TRLCustomFilter {
public:
    using TRLCustomFilter::TRLCustomFilter;
    const QString &FileName() const { return FFileName; }
    void SetFileName(const QString &name) { FFileName = name; }
    const QString &DefaultExt() const { return FDefaultExt; }
    void SetDefaultExt(const QString &ext) { FDefaultExt = ext; }

private:
    QString FFileName;
    QString FDefaultExt;
};

// Every filter alive, in creation order.
const std::vector<TRLCustomFilter *> &ActiveFilters();
// The filter chosen for the next run, or nullptr; cleared when it is destroyed.
TRLCustomFilter *SelectedFilter();
void SetSelectedFilter(TRLCustomFilter *filter);

// Whether page `page` is in a selection text such as "1;3;5-12" (an empty or
// blank selection selects every page).
bool IsPageSelected(int page, const QString &selection);

// Runs the page loop on `filter`, or on SelectedFilter when it is null, or on
// the spool filter when both are null.
void ApplyFilter(TRLGraphicStorage *pages, TRLCustomFilter *filter, int firstPage, int lastPage,
                 const QString &pageSelection, TRLPrintOddEvenPages oddEven);

// The first registered save filter whose default extension is the file name's
// (letter case ignored), or nullptr.
TRLCustomSaveFilter *SaveFilterByFileName(const QString &fileName);

// The spool filter used when no filter is selected; created on first use.
TRLCustomPrintFilter *SpoolFilterInstance();

} // namespace prenso
