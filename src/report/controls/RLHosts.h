#pragma once
// What a control knows of the report and the pager it is printed by. The
// controls lay themselves out and draw onto their surfaces; where a band
// lands on the page, when a page breaks and what becomes of the pages is
// pagination's business. The report and the pagers (report/pagination)
// implement these two interfaces, and the controls see nothing else of them.

#include <QString>

namespace prenso {

class TRLCustomBand;
class TRLCustomControl;

// The report at the root of a control's tree.
class TRLReportHost {
public:
    // True while the report prepares its pages: captions are then the
    // preparing ones, and data-bound texts read their fields.
    virtual bool Preparing() const = 0;
    // Whether the design view shows name tags and corner marks.
    virtual bool DesignersShown() const = 0;
    // Whether the master report of the chain prints with full features:
    // borders that are not fixed are drawn only then.
    virtual bool FullFeatured() const = 0;
    // The report's say on the text a control is about to print, after the
    // control's own BeforePrint: it may change the text or refuse it.
    virtual void FilterText(TRLCustomControl *sender, QString &text, bool &printIt) = 0;

protected:
    ~TRLReportHost() = default;
};

// The pager that prints a band: the nearest pager among its ancestors.
class TRLBandHost {
public:
    // The row where the next band starts, relative to the pager's print
    // position.
    virtual int RelativePagerRow() const = 0;
    // True while the pager fills its last page with blank bands.
    virtual bool Completing() const = 0;
    // True while the bands print blank: the pager completes its page, or the
    // record walk uses the current record again without its data.
    virtual bool PrintsBlank() const = 0;
    // Places the band's surface, open and drawn, on the page: on this page,
    // on a new one, or split at a free row with the rest on the next page.
    virtual void PlaceBand(TRLCustomBand &band) = 0;
    // The band's surface was placed and closed; `detail` when it counts as a
    // detail on the page.
    virtual void BandClosed(TRLCustomBand &band, bool detail) = 0;
    // The band was printed; `computed` when it was a detail of the record.
    virtual void BandPrinted(TRLCustomBand &band, bool computed) = 0;

protected:
    ~TRLBandHost() = default;
};

} // namespace prenso
