#pragma once
// Skippers walk the records of a data source, printing their bands once per
// record.

#include "report/pagination/RLPager.h"

namespace prenso {

class TDataSource;

class TRLCustomSkipper : public TRLCustomPager {
public:
    using TRLCustomPager::TRLCustomPager;
    TRLCustomSkipper *AsSkipper() override { return this; }

    TDataSource *DataSource() const { return m_dataSource; }
    void SetDataSource(TDataSource *ds) { m_dataSource = ds; }
    TRLRecordRange RecordRange() const { return m_recordRange; }
    void SetRecordRange(TRLRecordRange r) { m_recordRange = r; }
    int RangeCount() const { return m_rangeCount; }
    void SetRangeCount(int v) { m_rangeCount = v; }
    TRLRecordAction RecordAction() const { return m_recordAction; }
    bool DataEof() const { return m_dataEof; }
    int RecNo() const { return m_recNo; }
    int CopyNo() const { return m_copyNo; }
    bool RecordMoved() const { return m_recordMoved; }

    TRLOnDataCountEvent OnDataCount;
    TRLOnDataRecordEvent OnDataRecord;
    TRLOnNeedDataEvent OnNeedData;

    virtual int DataCount();
    virtual void DataFirst();
    virtual void DataNext();

protected:
    bool moreData(bool first);
    void fetch(bool first);

    TRLRecordAction m_recordAction = raUseIt;
    TDataSource *m_dataSource = nullptr;
    bool m_dataEof = true;
    int m_recNo = 0;
    int m_copyNo = 0;
    bool m_recordMoved = false;
    TRLRecordRange m_recordRange = rrAllRecords;
    int m_rangeCount = 0;
};

} // namespace prenso
