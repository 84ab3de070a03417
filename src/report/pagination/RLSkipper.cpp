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
    TDataSet *ds = m_dataSource ? m_dataSource->DataSet() : nullptr;
    return ds && ds->Active() ? ds->RecordCount() : 0;
}

bool TRLCustomSkipper::moreData(bool first)
{
    bool more = false;
    if (m_dataSource) {
        TDataSet *ds = m_dataSource->DataSet();
        if (ds && ds->Active()) {
            if (first) {
                if (m_recordRange == rrAllRecords)
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
    TRLRecordAction previous = m_recordAction;
    for (;;) {
        bool more;
        if (!first && (previous == raUseAndRetain || previous == raBlankAndRetain))
            more = true; // the same record is used again
        else
            more = moreData(first);
        if (!first && m_recordRange == rrCurrentOnly)
            more = false;
        if (m_recordRange == rrNextN && m_rangeCount < m_recNo)
            more = false;
        m_dataEof = !more;
        m_recordAction = raUseIt;
        if (OnDataRecord)
            OnDataRecord(this, m_recNo, m_copyNo, m_dataEof, m_recordAction);
        if (m_dataEof || m_recordAction != raIgnoreIt)
            break;
        // An ignored record is passed over: the next round moves on.
        first = false;
        previous = m_recordAction;
    }
}

void TRLCustomSkipper::DataFirst()
{
    m_recNo = 1;
    m_copyNo = 1;
    m_recordAction = raUseIt;
    fetch(true);
    m_recordMoved = false;
}

void TRLCustomSkipper::DataNext()
{
    const TRLRecordAction previous = m_recordAction;
    m_copyNo = previous == raUseAndRetain ? m_copyNo + 1 : 1;
    if (previous == raUseIt)
        ++m_recNo;
    fetch(false);
    m_recordMoved = true;
}

} // namespace prenso
