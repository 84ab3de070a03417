#pragma once
// The printer a run prints on, asked for ahead.
//
// An unattended run knows from its switches which queue it will print on
// long before it prints. The printer list and that queue's description take
// the print server three round trips, each a millisecond or more of the
// server's time, which the program would otherwise wait for after the
// toolkit has started and the reports are built. Asked for on a thread of
// their own from the start of the program, they are at hand when the job
// needs them.
//
// What is asked is what the run would ask anyway, only earlier: the list
// that installedPrinterNames() reads and the description that
// PrintQueue::describe() gets for the chosen queue. Each answer is taken
// once; a later reading (a refresh in the print dialog, a second job of the
// setup screen) asks the server again. A printer that is only advertised is
// never asked for ahead: its temporary queue is made when the job needs it.

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <thread>

namespace prenso::printing {

class PrintQueue;

class PrinterLookAhead {
public:
    // Reads the printer list on a thread of its own, then describes the
    // queue that `pick` names from it (none when it names none). `pick` runs
    // on that thread. One look-ahead at a time: a second one while the first
    // is there asks nothing.
    explicit PrinterLookAhead(std::function<QString(const QStringList &)> pick);
    // Waits for the thread: its requests have bounded waits.
    ~PrinterLookAhead();
    PrinterLookAhead(const PrinterLookAhead &) = delete;
    PrinterLookAhead &operator=(const PrinterLookAhead &) = delete;

private:
    std::thread m_thread;
};

// The list read ahead, waiting for it if need be; none when no look-ahead
// is there or its list was taken.
std::optional<QStringList> takePrinterListAhead();

// The description of `queue` read ahead, waiting for it if need be; false
// when no look-ahead described that queue or its description was taken.
// `described` is null when the queue could not be had, with `problem` (when
// given) saying why.
bool takeQueueAhead(const QString &queue, std::shared_ptr<const PrintQueue> &described, QString *problem);

} // namespace prenso::printing
