#pragma once
// Filters turn the pages of a page storage into output. Every live filter is
// listed in the process-wide ActiveFilters; print filters send pages to a
// printer, save filters write a file. The base class runs the page loop:
// page range, page selection text, odd or even pages, emulated copies, the
// progress window and cancelling.

#include "platform/component.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

namespace prenso {

class TRLGraphicStorage;
class TRLGraphicSurface;
class TRLProgress;

enum class TRLFilterClassOption { foEmulateCopies };

class TRLCustomFilter : public TComponent {
public:
    explicit TRLCustomFilter(TComponent *owner = nullptr);
    ~TRLCustomFilter() override;

    // DisplayName reads as the component name when empty.
    QString DisplayName() const { return m_displayName.isEmpty() ? Name() : m_displayName; }
    void SetDisplayName(const QString &name) { m_displayName = name; }
    QString GetDisplayName() const { return DisplayName(); }
    virtual QString GetDisplayLabel() const { return GetDisplayName(); }

    bool ShowProgress() const { return m_showProgress; }
    void SetShowProgress(bool value) { m_showProgress = value; }
    bool Canceled() const { return m_canceled; }

    bool EmulatesCopies() const { return m_emulateCopies; }

    // The storage being filtered; linked while set, so it cannot free itself
    // under a running filter.
    TRLGraphicStorage *Pages() const { return m_pages; }
    void SetPages(TRLGraphicStorage *pages);

    void BeginDoc() { InternalBeginDoc(); }
    void EndDoc();
    void NewPage() { InternalNewPage(); }
    void DrawPage(TRLGraphicSurface *page) { InternalDrawPage(page); }

    // The page loop. Pages are numbered from 1; oddPages is 0 for all pages,
    // 1 for odd pages only, 2 for even pages only; lastPage -1 means the last.
    void FilterPages(TRLGraphicStorage *pages);
    void FilterPages(TRLGraphicStorage *pages, int firstPage, int lastPage, const QString &pageSelection,
                     int oddPages);

    // The progress window of the current run, or nullptr.
    TRLProgress *Progress() const { return m_progress.get(); }

protected:
    virtual void InternalBeginDoc() = 0;
    virtual void InternalEndDoc() = 0;
    virtual void InternalNewPage() = 0;
    virtual void InternalDrawPage(TRLGraphicSurface *page) = 0;

    void SetEmulateCopies(bool value) { m_emulateCopies = value; }
    void Notification(TComponent *component, Operation operation) override;
    void OpenProgressForm();
    void CloseProgressForm();

    bool m_canceled = false;

private:
    QString m_displayName;
    TRLGraphicStorage *m_pages = nullptr; // linked, not owned
    std::unique_ptr<TRLProgress> m_progress;
    bool m_showProgress = true;
    bool m_emulateCopies = false;
};

class TRLCustomPrintFilter : public TRLCustomFilter {
public:
    using TRLCustomFilter::TRLCustomFilter;
    virtual QString OptionsLabel() const { return QString(); }
    virtual QStringList Options() const { return QStringList(); }
    virtual int OptionIndex() const { return -1; }
    virtual void SetOptionIndex(int) {}
    // 0 portrait, 1 landscape.
    virtual void SetOrientation(int /*orientation*/) {}
};

class TRLCustomSaveFilter : public TRLCustomFilter {
public:
    using TRLCustomFilter::TRLCustomFilter;
    const QString &FileName() const { return m_fileName; }
    void SetFileName(const QString &name) { m_fileName = name; }
    const QString &DefaultExt() const { return m_defaultExt; }
    void SetDefaultExt(const QString &ext) { m_defaultExt = ext; }

private:
    QString m_fileName;
    QString m_defaultExt;
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
                 const QString &pageSelection, int oddPages);

// The first registered save filter whose default extension is the file name's
// (letter case ignored), or nullptr.
TRLCustomSaveFilter *SaveFilterByFileName(const QString &fileName);

// The spool filter used when no filter is selected; created on first use.
TRLCustomPrintFilter *SpoolFilterInstance();

} // namespace prenso
