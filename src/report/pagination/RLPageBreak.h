#pragma once
// Where a band goes when its pager places it: on this page, on a new page, or
// split at a free row with the rest on the next page. Only the rules, on the
// plain numbers the pager gathers (rows relative to the pager, counts of the
// current page); the pager asks and carries out the answer, so that every rule
// can be tried without building a report.

#include <cstdint>

namespace prenso {

class TRLPageBreak {
public:
    // A band arriving to be placed, and the page it arrives on.
    struct TArrival {
        bool DataBand = false;    // a detail or summary band that does not print blank
        bool Detail = false;      // a detail band
        bool BreakBefore = false; // its page breaking is "before print"
        bool Pending = false;     // a band that breaks after it asked for a new page
        int DataBandsOnPage = 0;  // of the report, on this page
        int DetailsOnPage = 0;    // of the pager, on this page
        int MaxBands = 0;         // details a page of the pager takes; 0 for any number
        bool Completing = false;  // the pager fills its last page with blank bands
    };
    struct TArrivalBreak {
        bool NewPage = false;      // the band starts a new page
        bool TakesPending = false; // the pending break is used up
    };

    // Whether a band starts a new page before it is placed. A pending break
    // is taken by the next data band that does not print blank; a band that
    // breaks before it does so only once a data band is on the page; a pager
    // with a maximum of details breaks before the one too many, except while
    // it completes its page.
    static constexpr TArrivalBreak OnArrival(const TArrival &a)
    {
        const bool takesPending = a.DataBand && a.Pending;
        const bool newPage = takesPending || (a.BreakBefore && a.DataBandsOnPage > 0) ||
                             (a.Detail && a.MaxBands > 0 && a.DetailsOnPage + 1 > a.MaxBands && !a.Completing);
        return TArrivalBreak{newPage, takesPending};
    }

    // Whether a page that a band breaks is closed and stored, or the band is
    // only moved to the top of it again: a page is closed only once a data
    // band is on it and, when the pager forces its minimum, that many details.
    static constexpr bool ClosesPage(int dataBandsOnPage, int detailsOnPage, bool forceMinBands, int minBands)
    {
        if (dataBandsOnPage < 1)
            return false;
        return !(forceMinBands && minBands > 0 && detailsOnPage < minBands);
    }

    // A band, or what is left of one that was split, and the room for it.
    struct TFit {
        int Height = 0;    // what is left of the band to place
        int Available = 0; // rows left above the page's limit for it
        bool IntegralHeight = true;
        int MinHeight = 0;
        bool Footer = false; // a column footer or footer goes where it was put
    };

    // Whether a band moves to the next page before it is printed (with the
    // height it had for the previous record): it does not fit and may not be
    // split here. Footers, and bands that take the optimistic way, are left to
    // be placed.
    static constexpr bool BreaksEarly(const TFit &f, bool optimistic)
    {
        return !optimistic && !f.Footer && f.Available < f.Height && !maySplit(f);
    }

    enum class TWhere : std::uint8_t {
        Here,    // the slice fits on this page
        Split,   // part of it here, the rest on the next page
        NextPage // all of it at the top of the next page, fitting or not
    };
    struct TSlice {
        TWhere Where = TWhere::Here;
        int Height = 0; // of the slice placed, here or on the next page
    };

    // The next slice of a band, `done` rows of which are placed already. A
    // band that does not fit is split only when it may be, at a free row
    // (`freeRow(from, row)`: the band's surface finds, at or above `from`, a
    // row that cuts no text that must not be split) that leaves at least the
    // band's minimum height and more than is already placed.
    template <class FreeRow>
    static constexpr TSlice PlaceSlice(const TFit &f, int done, FreeRow &&freeRow)
    {
        if (f.Footer || f.Available >= f.Height)
            return TSlice{TWhere::Here, f.Height};
        int row = 0;
        if (maySplit(f) && freeRow(done + f.Available, row) && row >= f.MinHeight && row > done)
            return TSlice{TWhere::Split, row - done};
        return TSlice{TWhere::NextPage, f.Height};
    }

private:
    static constexpr bool maySplit(const TFit &f) { return !f.IntegralHeight && f.Available >= f.MinHeight; }
};

} // namespace prenso
