#pragma once
// A print filter for tests: it keeps what each page it is given holds, so a
// test can see which lines landed on which page, at which row.

#include "report/filters/RLFilters.h"

#include <string>
#include <vector>

namespace prenso::test {

struct CapturedText {
    int left = 0, top = 0, right = 0, bottom = 0; // bounds on the page
    int originX = 0, originY = 0;
    std::string text; // Windows-1252 bytes, macros expanded
};

struct CapturedPage {
    int width = 0, height = 0;
    TRLPageOrientation orientation = TRLPageOrientation::poPortrait;
    std::vector<CapturedText> texts;
    int objects = 0;
};

// The texts of a stored page, in storage order.
CapturedPage capturePage(class TRLGraphicPage &page);

class CaptureFilter : public TRLCustomPrintFilter {
public:
    explicit CaptureFilter(TComponent *owner = nullptr) : TRLCustomPrintFilter(owner) { SetShowProgress(false); }
    ~CaptureFilter() override { BeginDestroy(); }
    std::vector<CapturedPage> pages;
    int beginDocs = 0, endDocs = 0, newPages = 0;
    // Cancels the run after this many pages (0: never).
    int cancelAfter = 0;
    // Makes the copies itself, as filters whose output passes no printer
    // driver do.
    void emulateCopies(bool on) { SetEmulateCopies(on); }

protected:
    void InternalBeginDoc() override { ++beginDocs; }
    void InternalEndDoc() override { ++endDocs; }
    void InternalNewPage() override { ++newPages; }
    void InternalDrawPage(TRLGraphicPage *page) override;
};

} // namespace prenso::test
