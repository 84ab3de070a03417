#pragma once
// The installed printers as the printing system lists them, the user's default
// printer, and the one printer object of the program: the selected printer
// with its page layout, copies, metrics and the document being printed.

#include "platform/printjob.h"

#include <QHash>
#include <QPageLayout>
#include <QPageSize>
#include <QRect>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class QPainter;
class QPrinter;
class QPrinterInfo;

namespace prenso::printing {

class PrintQueue;

// The names of the installed printers (destinations), in the platform's order;
// empty when the print server does not answer within a few seconds.
QStringList installedPrinterNames();
// Forgets which print server to talk to, so that the next request reads
// CUPS_SERVER and the client configuration again (they are read only once).
void reconnectPrintServer();
// Tests only: take the printer names from `source` instead of the printing
// system (an empty function restores the printing system).
void setPrinterListSourceForTesting(std::function<QStringList()> source);

// Makes `name` the user's own default destination (what "lpoptions -d" does for
// an ordinary user: the user's lpoptions file, never the system-wide default,
// also when running as root). Other lines and options of the file stay.
// Returns false when it could not be written; callers ignore the outcome.
bool setUserDefaultPrinter(const QString &name);
// The user's lpoptions file: .cups/lpoptions in the home folder.
QString userOptionsFilePath();
// The text of an lpoptions file with `name` made the default destination: its
// line becomes a "Default" line (appended when missing), any other "Default"
// line becomes a "Dest" line, everything else is kept as it is.
QString withDefaultDestination(const QString &optionsText, const QString &name);

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

// What was last written into the selected printer's paper settings: the
// driver's paper code (0 until the program sets one) and, for the
// user-defined code 256, width and length in tenths of a millimetre.
struct PaperSetting {
    int code = 0;
    int widthTenths = 0;
    int lengthTenths = 0;
};

// Resolution and page rectangles of the selected printer in device pixels.
// `printable` is where the printer can put ink; painting starts at its corner.
struct DeviceMetrics {
    int ppiX = 0;
    int ppiY = 0;
    QRect paper;
    QRect printable;
};

// The program's printer: a list of printers read once (until refreshed), the
// selected one (index -1 for none) and its settings. The settings are the
// printer object's own, laid out from what the print server says of the
// queue, until something needs the toolkit's printer (its setup dialog,
// painting on it): from then on a QPrinter carries them. A job that goes to
// the queue as a document never needs one.
class PlatformPrinter {
public:
    PlatformPrinter();
    ~PlatformPrinter();
    PlatformPrinter(const PlatformPrinter &) = delete;
    PlatformPrinter &operator=(const PlatformPrinter &) = delete;

    // The printer list, read from the printing system on first use.
    const QStringList &printers();
    // Reads the list again. A selection past its new end is dropped.
    void refreshPrinters();

    int index() const { return m_index; }
    QString selectedName() const;
    // Selects printer `index` of the list with that printer's default settings
    // (its default paper, portrait, one copy); -1 selects none. An index
    // outside the list changes nothing and gives false.
    bool select(int index);
    // The selected printer again, with its default settings.
    bool reselectWithDefaults() { return select(m_index); }
    // True when a printer is selected and its settings are at hand (the
    // printer still existed when it was selected).
    bool hasDeviceSettings() const;

    // Paper of the selected printer by the driver's code. The user-defined
    // code 256 takes width and length in tenths of a millimetre (0 keeps what
    // was there); any other code stands for its paper, or for `sizeMM` when
    // the printing system does not know the code.
    void setPaper(int code, int widthTenths, int lengthTenths, QSizeF sizeMM);
    PaperSetting paper() const { return m_paper; }

    // What the operator chose in the printer's setup dialog, which wrote it
    // into qprinter(), becomes the selected printer's settings: the paper
    // record follows it, and setPaper and setLandscape leave paper and
    // orientation alone until a printer is selected again (which brings back
    // its defaults). Margins stay the unprintable ones: the pages bring their
    // own.
    void keepOperatorLayout();
    bool hasOperatorLayout() const { return m_operatorLayout; }

    // Orientation and copies live here even with no printer selected.
    bool landscape() const;
    void setLandscape(bool landscape);
    int copies() const;
    void setCopies(int copies);

    // False when no printer's settings are at hand or the printer reports
    // nothing usable.
    bool readMetrics(DeviceMetrics &metrics) const;

    // Whether a document for the selected printer goes to a queue of the
    // print server (not into a file), so that the program can hand the
    // server a document of its own making instead of painting on qprinter().
    bool printsThroughServer() const;
    // The selected printer's settings as the options of such a job, by their
    // IPP names: the paper ("media"), the orientation, the copies (collated),
    // the sides, and what the operator chose in the setup dialog.
    std::vector<JobOption> documentOptions() const;
    // The selected printer's queue, as the print server names it.
    QString queueName() const { return selectedName(); }
    // What the print server said of that queue when it was selected (null
    // once the toolkit's printer carries the settings).
    std::shared_ptr<const PrintQueue> queueDescription() const { return m_queue; }

    // Document control. beginDocument gives false when the printer cannot
    // start a document; painting goes through painter() until endDocument.
    // newPage gives false when no document is open or the sheet could not
    // be started, and lastError() says which. endDocument gives false when
    // no document was open or when the print server did not take the
    // finished one; lastError() then says why (empty when there was nothing
    // to end).
    bool beginDocument(const QString &title);
    bool newPage();
    bool endDocument();
    const QString &lastError() const { return m_lastError; }
    bool printing() const;
    QPainter *painter() const;

    // The QPrinter, made on first need with the settings so far: making one
    // asks the print server for the printer's description file (and, with
    // no printer selected, for its default printer), which a job that goes
    // to the queue as a document never needs.
    QPrinter &qprinter() const;

private:
    void fitMarginsToPrintableArea() const;
    const QPrinterInfo &printerInfoOf(const QString &name) const;
    std::shared_ptr<const PrintQueue> queueOf(const QString &name);
    void setOwnPageSize(const QPageSize &pageSize);
    QPageLayout pageLayout() const;
    QPageSize defaultPageSizeOf(const QString &name);
    void makePrinter(const QPrinterInfo &info) const;

    QStringList m_names;
    bool m_listRead = false;
    mutable QHash<QString, std::shared_ptr<const QPrinterInfo>> m_printerInfos;
    QHash<QString, std::shared_ptr<const PrintQueue>> m_queues;
    int m_index = -1;
    mutable bool m_settingsValid = false;
    PaperSetting m_paper;
    bool m_operatorLayout = false;
    // The settings until the QPrinter is made.
    mutable std::shared_ptr<const PrintQueue> m_queue;
    QPageLayout m_layout;
    bool m_landscape = false;
    int m_copies = 1;
    bool m_collate = true;
    QByteArray m_sides = "one-sided";
    mutable std::unique_ptr<QPrinter> m_printer;
    std::unique_ptr<QPainter> m_painter;
    QString m_lastError;
};

// The one printer object of the program, created on first use.
PlatformPrinter &thePrinter();
// Tests only: throw the printer object away so that the next use starts afresh.
void resetPrinterForTesting();

} // namespace prenso::printing
