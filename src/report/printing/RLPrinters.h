#pragma once
// The report engine's one door to the printer: the engine's own list of
// printers ("name|port" entries), selection by index or name, the selected
// printer's port, its page metrics, paper and orientation, copies, the
// odd/even page choice, the setup dialog, and documents and pages.
//
// There is one wrapper per session (RLPrinter()). The selection itself lives
// in the platform's printer object; the wrapper keeps no index of its own.

#include "platform/printing/printerlist.h"
#include "platform/printing/printjob.h"
#include "report/RLPageOrientation.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class QPainter;
class QPrinter;

namespace prenso {

class TCanvas;

enum class TRLPrintOddEvenPages { odOddPagesOnly, odEvenPagesOnly, odAllPages };

// Printer device units.
struct TRLPrinterMetrics {
    int32_t PPIX = 0;
    int32_t PPIY = 0;
    int32_t PhysicalWidth = 0; // the whole sheet
    int32_t PhysicalHeight = 0;
    int32_t MarginLeft = 0; // unprintable offsets
    int32_t MarginTop = 0;
    int32_t MarginRight = 0;
    int32_t MarginBottom = 0;
    int32_t ClientWidth = 0; // printable area
    int32_t ClientHeight = 0;

    bool operator==(const TRLPrinterMetrics &) const = default;
};

// What LoadMetrics gives when no printer is usable: a letter-size sheet at
// 300 pixels per inch with a quarter-inch margin all round.
inline constexpr TRLPrinterMetrics kFallbackPrinterMetrics{300, 300, 2550, 3300, 75, 75, 75, 75, 2400, 3150};

// One installed printer as the wrapper lists it: its name as the platform's
// list gives it, and its port once PrinterPort has looked it up.
struct TRLPrinterEntry {
    QString Name;
    std::optional<QString> Port;
    bool operator==(const TRLPrinterEntry &) const = default;
};

class TRLPrinterWrapper {
public:
    TRLPrinterWrapper();
    ~TRLPrinterWrapper();
    TRLPrinterWrapper(const TRLPrinterWrapper &) = delete;
    TRLPrinterWrapper &operator=(const TRLPrinterWrapper &) = delete;

    // One entry per installed printer, in the platform's order.
    const std::vector<TRLPrinterEntry> &Printers();
    // Puts a printer the network advertises at the end of the list (once)
    // and gives its index.
    int AddAdvertisedPrinter(const printing::AdvertisedPrinter &printer);

    // The selected printer (-1 when there is none). An index outside the
    // list is ignored.
    int PrinterIndex();
    void SetPrinterIndex(int value);

    // The selected entry's name. Setting selects the first entry whose name
    // equals the given one, letter case ignored; a "|port" part and anything
    // from " on " onwards are left out of both sides. No match: no change.
    QString PrinterName();
    void SetPrinterName(const QString &value);

    // The selected printer's port (its device URI, or "server\share" for a
    // queue of another server), resolved on first ask and then kept.
    QString PrinterPort();

    int Copies() const;
    void SetCopies(int value);

    TRLPrintOddEvenPages OddEven() const { return FOddEven; }
    void SetOddEven(TRLPrintOddEvenPages value) { FOddEven = value; }

    // Documents: BeginDoc raises an Exception when the printer cannot start
    // one; NewPage when the printer cannot start the next sheet; EndDoc
    // leaves the same printer selected with its copies, orientation and
    // paper, and raises an Exception when the finished document could not
    // be handed to the print server.
    void BeginDoc(const QString &title);
    void NewPage();
    void EndDoc();
    // What the print queue calls the jobs that follow (the program prints a
    // form under its file name, as the print system's own commands do);
    // empty, a job is called by its document's title.
    const QString &QueueName() const { return FQueueName; }
    void SetQueueName(const QString &name) { FQueueName = name; }

    // Whether the selected printer takes a document the engine writes itself
    // (a queue of the print server), instead of pages painted on its canvas.
    bool TakesDocuments();
    // Starts a job with one document in `format` on the selected printer;
    // the printer's settings (paper, orientation, copies, what the operator
    // chose in its setup dialog) go with it as job options. Raises the
    // engine's "printer not found" text without a printer and its driver
    // error with the print server's words when the server refuses.
    std::unique_ptr<printing::PrintServerJob> StartDocument(const QString &title, const char *format);
    // The canvas of the open document, from BeginDoc to EndDoc (nullptr
    // outside a document); its fonts take the printer's vertical resolution.
    TCanvas *Canvas() const { return FCanvas.get(); }
    // The painter under that canvas and the printer it paints on.
    QPainter *Painter() const;
    QPrinter &Printer() const;

    // Forgets the list and reads the printers again, keeping the selected
    // index (lowered to the last printer when the list got shorter).
    void Refresh();

    bool SetupEnabled() const { return true; }
    // Shows the page-setup dialog for the selected printer; true once shown.
    // What the operator chooses there (paper, orientation, pages per sheet)
    // is what the documents of that printer are printed with until it is
    // selected again (the next print dialog does so; EndDoc keeps the
    // selection): until then SetPaperSize leaves paper and orientation as
    // chosen.
    bool ExecuteSetup();
    // Whether paper and orientation are the operator's choice from the setup
    // dialog rather than what the report asked for.
    bool LayoutChosenInSetup() const;

    // Writes paper and orientation into the selected printer's settings: a
    // known paper by its code, any other size as user-defined in tenths of a
    // millimetre. Raises an Exception naming the printer when its settings
    // cannot be had (the queue is gone). `forceEmulation` and `setPaperBin`
    // play no part on this platform.
    void SetPaperSize(double paperWidthMM, double paperHeightMM, TRLPageOrientation orientation, bool forceEmulation,
                      bool setPaperBin);
    double CustomWidth() const { return FCustomWidth; }
    double CustomHeight() const { return FCustomHeight; }

    // The selected printer's metrics, or kFallbackPrinterMetrics.
    void LoadMetrics(TRLPrinterMetrics &metrics);

    // Entry `index` as the print dialog lists it: its name, followed by the
    // engine's "at" word and the port when the port is known and differs
    // from the name; empty for -1.
    QString PrinterDisplayName(int index);

private:
    bool EnsureSelection();
    void BuildPrinters();
    void AddNewPrinters();

    std::vector<TRLPrinterEntry> FPrinters;
    bool FPrintersBuilt = false;
    std::unique_ptr<TCanvas> FCanvas;
    double FCustomWidth = 0;
    double FCustomHeight = 0;
    QString FQueueName;
    TRLPrintOddEvenPages FOddEven = TRLPrintOddEvenPages::odAllPages;
};

// The one wrapper of the session, created on first use.
TRLPrinterWrapper &RLPrinter();
// Tests only: a fresh wrapper over a fresh printer object on the next use.
void ResetRLPrinterForTesting();

} // namespace prenso
