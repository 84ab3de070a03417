#pragma once
// A queue of the print server as the server describes it: its destination and
// the description that the job interface needs, and what the program lays its
// pages out by (the papers the printer has with their unprintable margins, its
// default paper and sides). One request pair, no printer description file:
// this is what a job that goes straight to the queue asks the server, instead
// of the toolkit's printer, which fetches and parses the printer's whole
// description file twice before it can tell a page's size.

#include <QByteArray>
#include <QMarginsF>
#include <QPageSize>
#include <QString>

#include <memory>
#include <vector>

namespace prenso::printing {

// Where a printer's output goes. A queue of a remote server has that server's
// host name and its own queue name there as server and share.
struct PrinterInformation {
    QString printerName;
    QString portName;   // the queue's device URI
    QString serverName; // empty for a queue of this machine's server
    QString shareName;
};
// Builds the information from the queue's device URI and its own printer URI.
PrinterInformation describeDestination(const QString &name, const QString &deviceUri, const QString &printerUri);
// Asks the print server about one queue ("name" or "name/instance"). Raises an
// Exception with the server's message when the queue cannot be had.
PrinterInformation readPrinterInformation(const QString &name);

class PrintQueue {
public:
    // Asks the server about `queue` ("name" or "name/instance") on a
    // connection of its own with bounded waits. Null when the queue is not
    // there or the server does not answer; `problem` (when given) then says
    // which, with the server's words.
    static std::shared_ptr<const PrintQueue> describe(const QString &queue, QString *problem = nullptr);
    ~PrintQueue();
    PrintQueue(const PrintQueue &) = delete;
    PrintQueue &operator=(const PrintQueue &) = delete;

    const QString &name() const { return m_name; }
    const QString &model() const { return m_model; }
    // The paper the queue starts with (its "media" option, else its default
    // medium); invalid when it names none.
    const QPageSize &defaultPageSize() const { return m_defaultPageSize; }
    // The IPP "sides" the queue prints by default ("one-sided" when it says
    // nothing).
    const QByteArray &defaultSides() const { return m_defaultSides; }

    // The printer's own paper for `pageSize`, as a driver matches a request:
    // the same standard paper, else one of the same size in points; invalid
    // when the printer has none (a size of the program's own).
    QPageSize supportedPageSize(const QPageSize &pageSize) const;
    // Where the printer cannot put ink on `pageSize`, in points (the
    // printer's own paper's margins; for a size of the program's own, those
    // of the printer's custom sizes, else none).
    QMarginsF printableMargins(const QPageSize &pageSize) const;

    // The destination and its description for the job interface (libcups
    // types, kept out of this header).
    void *destination() const { return m_dest; }
    void *information() const { return m_info; }

private:
    PrintQueue() = default;

    struct Paper {
        QPageSize size;
        QMarginsF margins; // points
    };
    const Paper *paperFor(const QPageSize &pageSize) const;

    QString m_name;
    QString m_model;
    QPageSize m_defaultPageSize;
    QByteArray m_defaultSides;
    std::vector<Paper> m_papers;
    bool m_customSizes = false;
    QMarginsF m_customMargins;
    void *m_dest = nullptr;
    void *m_info = nullptr;
};

} // namespace prenso::printing
