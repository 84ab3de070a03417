#pragma once
// Skippers walk the records of a data source, printing their bands once per
// record.

#include "report/pagination/RLPager.h"

namespace prenso {

class TDataSource;

class TRLCustomSkipper : public TRLCustomPager {
public:
    explicit TRLCustomSkipper(TRLCustomSite *parent) : TRLCustomPager(parent) { FKinds |= kKindSkipper; }
    TRLCustomSkipper *AsSkipper() override { return this; }

    TDataSource *DataSource() const { return FDataSource; }
    void SetDataSource(TDataSource *ds) { FDataSource = ds; }
    TRLRecordRange RecordRange() const { return FRecordRange; }
    void SetRecordRange(TRLRecordRange r) { FRecordRange = r; }
    int RangeCount() const { return FRangeCount; }
    void SetRangeCount(int v) { FRangeCount = v; }
    TRLRecordAction RecordAction() const { return FRecordAction; }
    bool DataEof() const { return FDataEof; }
    int RecNo() const { return FRecNo; }
    int CopyNo() const { return FCopyNo; }
    bool RecordMoved() const { return FRecordMoved; }

    TRLOnDataCountEvent OnDataCount;
    TRLOnDataRecordEvent OnDataRecord;
    TRLOnNeedDataEvent OnNeedData;

    virtual int DataCount();
    virtual void DataFirst();
    virtual void DataNext();

protected:
    bool moreData(bool first);
    void fetch(bool first);

    TRLRecordAction FRecordAction = TRLRecordAction::raUseIt;
    TDataSource *FDataSource = nullptr;
    bool FDataEof = true;
    int FRecNo = 0;
    int FCopyNo = 0;
    bool FRecordMoved = false;
    TRLRecordRange FRecordRange = TRLRecordRange::rrAllRecords;
    int FRangeCount = 0;
};

} // namespace prenso
