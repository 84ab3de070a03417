#include "report/pagination/RLSkipper.h"

#include "data/dataset.h"

namespace prenso {

// ---------------------------------------------------------------------------
// Skipper

int TRLCustomSkipper::DataCount()
{
    if (OnDataCount) {
        int count = 0;
        OnDataCount(this, count);
        return count;
    }
    TDataSet *ds = FDataSource ? FDataSource->DataSet() : nullptr;
    return ds && ds->Active() ? ds->RecordCount() : 0;
}

bool TRLCustomSkipper::moreData(bool first)
{
    bool more = false;
    if (FDataSource) {
        TDataSet *ds = FDataSource->DataSet();
        if (ds && ds->Active()) {
            if (first) {
                if (FRecordRange == TRLRecordRange::rrAllRecords)
                    ds->First();
            } else {
                ds->Next();
            }
            more = !ds->Eof();
        }
    } else if (OnNeedData) {
        OnNeedData(this, more);
    }
    return more;
}

void TRLCustomSkipper::fetch(bool first)
{
    TRLRecordAction previous = FRecordAction;
    for (;;) {
        bool more;
        if (!first && (previous == TRLRecordAction::raUseAndRetain || previous == TRLRecordAction::raBlankAndRetain))
            more = true; // the same record is used again
        else
            more = moreData(first);
        if (!first && FRecordRange == TRLRecordRange::rrCurrentOnly)
            more = false;
        if (FRecordRange == TRLRecordRange::rrNextN && FRangeCount < FRecNo)
            more = false;
        FDataEof = !more;
        FRecordAction = TRLRecordAction::raUseIt;
        if (OnDataRecord)
            OnDataRecord(this, FRecNo, FCopyNo, FDataEof, FRecordAction);
        if (FDataEof || FRecordAction != TRLRecordAction::raIgnoreIt)
            break;
        // An ignored record is passed over: the next round moves on.
        first = false;
        previous = FRecordAction;
    }
}

void TRLCustomSkipper::DataFirst()
{
    FRecNo = 1;
    FCopyNo = 1;
    FRecordAction = TRLRecordAction::raUseIt;
    fetch(true);
    FRecordMoved = false;
}

void TRLCustomSkipper::DataNext()
{
    const TRLRecordAction previous = FRecordAction;
    FCopyNo = previous == TRLRecordAction::raUseAndRetain ? FCopyNo + 1 : 1;
    if (previous == TRLRecordAction::raUseIt)
        ++FRecNo;
    fetch(false);
    FRecordMoved = true;
}

} // namespace prenso
