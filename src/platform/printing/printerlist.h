#pragma once
// The printers the program can print on: the print server's queues, which
// make the printer list, and the printers that the network only advertises
// (DNS-SD), which print through a temporary queue the server makes for them,
// as `lp -d NAME` does.
//
// The list never browses the network: looking for advertised printers takes
// a quarter of a second even when there is none, and a printer that appears
// or disappears would move every index after it. Advertised printers are
// looked for only when asked: by the print dialog while it is open, and by a
// printer name that is no queue.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

namespace prenso::printing {

// The print server's queues as `lpstat -p` lists them, without the temporary
// queues the server keeps for advertised printers, and with the instances of
// the user's and the machine's lpoptions files ("queue/instance"), in one
// stable order: by name without regard to letter case, a queue before its
// instances. Empty when the server does not answer within a few seconds.
QStringList installedPrinterNames();
// Forgets which print server to talk to, so that the next request reads
// CUPS_SERVER and the client configuration again (they are read only once).
void reconnectPrintServer();
// Tests only: take the printer names from `source` instead of the printing
// system (an empty function restores the printing system).
void setPrinterListSourceForTesting(std::function<QStringList()> source);

// A printer the network advertises that is no queue of the print server.
struct AdvertisedPrinter {
    QString name;         // the destination name the printing system gives it
    QString serviceName;  // the name it advertises itself with
    QByteArray deviceUri; // where it is advertised (a dnssd: URI)
    friend bool operator==(const AdvertisedPrinter &, const AdvertisedPrinter &) = default;
};

// How long looking for an advertised printer, or waiting for one to answer,
// may take.
constexpr int kAdvertisedPrinterWaitMs = 5000;

// Looks on the network for the printers it advertises, on a thread of its
// own, from its construction until it goes or, searching until the network
// has told all it knows, that has happened (each round of listening ends
// then, or after `timeoutMs`). `found` is called on that thread for each
// printer (again in each round), never after the search has gone. Going
// takes a moment at most: a search stuck in a request is left to end by
// itself.
class AdvertisedPrinterSearch {
public:
    using Found = std::function<void(const AdvertisedPrinter &)>;
    enum class Until { toldAll, stopped };
    AdvertisedPrinterSearch(Found found, Until until, int timeoutMs = kAdvertisedPrinterWaitMs);
    ~AdvertisedPrinterSearch();
    AdvertisedPrinterSearch(const AdvertisedPrinterSearch &) = delete;
    AdvertisedPrinterSearch &operator=(const AdvertisedPrinterSearch &) = delete;

    // Waits until the search has ended or `ms` have passed; true when ended.
    bool wait(int ms) const;

    struct State;

private:
    std::shared_ptr<State> m_state;
};

// The advertised printer for which `matches` holds (given its destination
// name and its service name), looked for `timeoutMs` at most; none when the
// network has none such.
std::optional<AdvertisedPrinter> findAdvertisedPrinter(const std::function<bool(const AdvertisedPrinter &)> &matches,
                                                       int timeoutMs = kAdvertisedPrinterWaitMs);

// Has the print server make its temporary queue for `printer` (or find the
// one it made before) and waits until the queue can take a job, `timeoutMs`
// at most. False, with the reason in `problem`, when the printer cannot be
// found where it is advertised, the server refuses, or the printer does not
// answer in time.
bool makeTemporaryQueue(const AdvertisedPrinter &printer, QString *problem, int timeoutMs = kAdvertisedPrinterWaitMs);

} // namespace prenso::printing
