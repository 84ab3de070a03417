#pragma once
// The one printer object of the program: the list of printers, the selected
// printer with its page layout, copies, metrics and the document being
// printed.

#include "platform/printing/printerlist.h"
#include "platform/printing/printjob.h"
#include "platform/printing/printqueue.h"
#include "platform/printing/useroptions.h"

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
// selected one (index -1 for none) and its settings. The list is the print
// server's queues followed by the advertised printers that were asked for by
// name or found by the print dialog; refreshing it keeps those at its end.
//
// Selecting a printer asks nobody anything: the print server is asked about
// it (and an advertised printer gets its temporary queue) only when its
// settings are first needed, so that a job that prints elsewhere, or writes
// a file, never waits on a printer it does not use. The settings are the
// printer object's own, laid out from what the print server says of the
// queue; they are the only ones. A QPrinter is made only for what needs the
// toolkit's printer (its setup dialog, painting on it), and is set from them
// each time it is handed out; what the operator chooses in the setup dialog
// is read back into them (keepOperatorLayout). A job that goes to the queue
// as a document never needs one.
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
    // Puts an advertised printer at the end of the list (once: a printer of
    // that name already listed keeps its place) and gives its index.
    int addAdvertised(const AdvertisedPrinter &printer);

    int index() const { return m_index; }
    QString selectedName() const;
    // Selects printer `index` of the list with that printer's default settings
    // (its default paper, portrait, one copy); -1 selects none. An index
    // outside the list changes nothing and gives false.
    bool select(int index);
    // The selected printer again, with its default settings.
    bool reselectWithDefaults() { return select(m_index); }
    // True when a printer is selected and its settings are at hand (the
    // print server described it when they were first needed). When they are
    // not, selectionProblem() may say why.
    bool hasDeviceSettings() const;
    const QString &selectionProblem() const { return m_problem; }

    // Paper of the selected printer by the driver's code. The user-defined
    // code 256 takes width and length in tenths of a millimetre (0 keeps what
    // was there); any other code stands for its paper, or for `sizeMM` when
    // the printing system does not know the code.
    void setPaper(int code, int widthTenths, int lengthTenths, QSizeF sizeMM);
    PaperSetting paper() const { return m_paper; }

    // What the operator chose in the printer's setup dialog, which wrote it
    // into qprinter(), becomes the selected printer's settings (paper,
    // orientation, sides, and the options the dialog adds, such as pages per
    // sheet): the paper record follows it, and setPaper and setLandscape
    // leave paper and orientation alone until a printer is selected again
    // (which brings back its defaults). Margins stay the unprintable ones:
    // the pages bring their own.
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
    // What the print server said of that queue when its settings were
    // first needed (null before, or when it could not be had).
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

    // The QPrinter, set to the selected printer and its settings: made on
    // first need, since making one asks the print server for the printer's
    // description file (and, with no printer selected, for its default
    // printer), which a job that goes to the queue as a document never needs.
    QPrinter &qprinter() const;

private:
    // The selected printer's settings: the page (in points, its margins the
    // printer's unprintable ones), copies, collation, sides, and the options
    // the setup dialog added.
    struct Settings {
        QPageLayout layout{QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(), QPageLayout::Point};
        int copies = 1;
        bool collate = true;
        QByteArray sides = "one-sided";
        std::vector<JobOption> chosen;
    };

    void describeSelection() const;
    std::shared_ptr<const PrintQueue> queueOf(const QString &name) const;
    void setOwnPageSize(const QPageSize &pageSize) const;
    const QPrinterInfo &printerInfoOf(const QString &name) const;

    QStringList m_names;
    bool m_listRead = false;
    std::vector<AdvertisedPrinter> m_advertised; // at the end of m_names
    mutable QHash<QString, std::shared_ptr<const QPrinterInfo>> m_printerInfos;
    // What the server said of each printer asked about, also that it had
    // none such: a printer that did not answer is not waited for twice.
    mutable QHash<QString, std::shared_ptr<const PrintQueue>> m_queues;
    mutable QHash<QString, QString> m_problems;
    int m_index = -1;
    // Whether the selected printer has been described since it was selected.
    mutable bool m_described = true;
    mutable bool m_settingsValid = false;
    mutable QString m_problem;
    PaperSetting m_paper;
    bool m_operatorLayout = false;
    mutable std::shared_ptr<const PrintQueue> m_queue;
    mutable Settings m_settings;
    mutable std::unique_ptr<QPrinter> m_printer;
    std::unique_ptr<QPainter> m_painter;
    QString m_lastError;
};

// The one printer object of the session, created on first use.
PlatformPrinter &thePrinter();
// Tests only: throw the printer object away so that the next use starts afresh.
void resetPrinterForTesting();

} // namespace prenso::printing
