#pragma once
// Filters turn the pages of a page storage into output. Every live filter is
// listed in the process-wide ActiveFilters; print filters send pages to a
// printer, save filters write a file.

#include "platform/component.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace prenso {

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

protected:
    void SetEmulateCopies(bool value) { m_emulateCopies = value; }
    bool m_canceled = false;

private:
    QString m_displayName;
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

} // namespace prenso
