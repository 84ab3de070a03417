#pragma once
// The small dataset interface the report engine walks: a table of records with
// named fields, a cursor, and a data source that links a table to reports.

#include <QString>

namespace prenso {

class TField {
public:
    virtual ~TField() = default;
    virtual QString FieldName() const = 0;
    // The field's value of the current record as display text.
    virtual QString DisplayText() const = 0;
    // The display label (the field name unless set otherwise).
    virtual QString DisplayLabel() const { return FieldName(); }
};

class TDataSet {
public:
    virtual ~TDataSet() = default;
    virtual bool Active() const = 0;
    virtual int RecordCount() const = 0;
    virtual void First() = 0;
    virtual void Next() = 0;
    virtual bool Eof() const = 0;
    // The field of that name (letter case ignored), or nullptr.
    virtual TField *FindField(const QString &name) = 0;
};

// Links a dataset to the controls that read it. Automatic edit is off: the
// source never puts the table into edit mode.
class TDataSource {
public:
    TDataSource() = default;
    explicit TDataSource(TDataSet *dataSet) : FDataSet(dataSet) {}
    TDataSet *DataSet() const { return FDataSet; }
    void SetDataSet(TDataSet *dataSet) { FDataSet = dataSet; }
    QString Name;

private:
    TDataSet *FDataSet = nullptr; // not owned
};

} // namespace prenso
