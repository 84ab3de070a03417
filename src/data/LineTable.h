#pragma once
// The line table: the lines of the form being printed, one record per line
// (INDICE, LINHA), always walked in INDICE order. When it is closed with a
// file name it writes itself to that file (the scratch file).
//
// Writing the scratch file costs about as much as laying out the pages, and
// the file is only needed once the table is closed. A print job that has read
// all of its lines calls WriteAhead: the packet is then written on a second
// thread, under a temporary name beside the scratch file, while the report
// reads the records; Close waits for it and gives the file its name. Any
// change to the records waits for the writer and makes Close write again.

#include "data/dataset.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace prenso {

namespace files {
class SafeFile;
}

class TLineTable : public TDataSet {
public:
    static constexpr int kLinhaSize = 250;

    TLineTable();
    ~TLineTable() override;

    QString Name;

    // Life cycle, in the order a print job uses it.
    void Close(); // writes the scratch file when due
    // Ends the open state without writing: a job that failed or was
    // cancelled has nothing to keep. A file being written ahead goes too.
    void CloseWithoutWriting();
    void WriteAhead(); // starts writing it now (see above)
    // Whether WriteAhead found room for the whole scratch file (on the disk
    // and within the file size limit); when not, `reason` says why and Close
    // would fail to write it.
    bool HasRoom(QString *reason = nullptr) const
    {
        if (reason)
            *reason = FReserveError;
        return !FReserveFailed;
    }
    void SetFileName(const QString &name);
    const QString &FileName() const { return FFileName; }
    // A scratch file is deleted within the job that wrote it: Close gives it
    // its name without waiting for the disk to have it.
    void SetScratch(bool scratch) { FScratch = scratch; }
    void CreateDataSet(); // new, empty and open
    void SetIndexFieldNames(const QString &names) { FIndexFieldNames = names; }
    void Open(); // no effect when already open

    // One record: Insert, set the fields, Post.
    void Insert();
    void SetFieldText(const QString &fieldName, const QString &text);
    void SetFieldBytes(const QString &fieldName, std::string_view bytes); // 8-bit text as is
    void SetFieldInteger(const QString &fieldName, int32_t value);
    void Post();

    // Fast path of the print job: one whole record from raw 8-bit text.
    void AppendLine(int32_t indice, std::string_view bytes);

    // TDataSet
    bool Active() const override { return FActive; }
    int RecordCount() const override { return static_cast<int>(FRecords.size()); }
    void First() override;
    void Next() override;
    bool Eof() const override;
    TField *FindField(const QString &name) override;

    // The current record, for tests and the engine.
    int32_t CurrentIndice() const;
    const std::string &CurrentLinha() const;

    bool Modified() const { return FChanged; }

private:
    struct Record {
        int32_t indice = 0;
        std::string linha;
    };
    class Field;

    // Writes the scratch file safely (platform/io/safefile.h); raises what
    // the file raises.
    void writeFile() const;
    void writePacket(files::SafeFile &out) const;
    std::uint64_t packetSize() const;
    void writeXml(files::SafeFile &out) const;
    void writeCompact(files::SafeFile &out) const;
    static std::string cut(std::string_view bytes);

    QString FFileName;
    QString FIndexFieldNames;
    bool FActive = false;
    bool FScratch = false;
    bool FChanged = false;
    std::vector<Record> FRecords; // kept in INDICE order; equal keys keep insertion order
    size_t FCursor = 0;
    bool FInserting = false;
    Record FPending;
    std::unique_ptr<Field> FFieldIndice;
    std::unique_ptr<Field> FFieldLinha;

    // The write-ahead: its thread, its file and whether it is still good.
    void finishWriteAhead(); // waits for the writer
    void dropWriteAhead();   // waits, then removes its file
    std::thread FWriter;
    std::unique_ptr<files::SafeFile> FAhead;
    bool FAheadOk = false;
    bool FReserveFailed = false;
    QString FReserveError;
};

} // namespace prenso
