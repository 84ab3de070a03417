#include "platform/printing/printahead.h"

#include "platform/printing/printerlist.h"
#include "platform/printing/printqueue.h"

#include <condition_variable>
#include <mutex>

namespace prenso::printing {

namespace {

// What the look-ahead has found so far. The thread that fills it asks the
// server through the same functions that take from it, and takes nothing.
struct Ahead {
    std::mutex mutex;
    std::condition_variable changed;
    bool active = false;
    std::thread::id worker;
    bool listRead = false;
    bool listTaken = false;
    QStringList list;
    bool queueChosen = false;
    QString queue;
    bool described = false;
    bool descriptionTaken = false;
    std::shared_ptr<const PrintQueue> description;
    QString problem;
};

Ahead &ahead()
{
    static Ahead state;
    return state;
}

void readAhead(const std::function<QString(const QStringList &)> &pick)
{
    Ahead &a = ahead();
    {
        // Until the constructor has noted which thread this is.
        const std::lock_guard lock(a.mutex);
    }
    const QStringList list = installedPrinterNames();
    {
        const std::lock_guard lock(a.mutex);
        a.list = list;
        a.listRead = true;
    }
    a.changed.notify_all();
    QString queue;
    try {
        queue = pick(list);
    } catch (...) {
        // Then the job asks for itself.
    }
    {
        const std::lock_guard lock(a.mutex);
        a.queue = queue;
        a.queueChosen = true;
    }
    a.changed.notify_all();
    std::shared_ptr<const PrintQueue> description;
    QString problem;
    if (!queue.isEmpty())
        description = PrintQueue::describe(queue, &problem);
    {
        const std::lock_guard lock(a.mutex);
        a.description = std::move(description);
        a.problem = problem;
        a.described = true;
    }
    a.changed.notify_all();
}

} // namespace

PrinterLookAhead::PrinterLookAhead(std::function<QString(const QStringList &)> pick)
{
    Ahead &a = ahead();
    const std::lock_guard lock(a.mutex);
    if (a.active)
        return;
    a.active = true;
    a.listRead = a.listTaken = a.queueChosen = a.described = a.descriptionTaken = false;
    a.list.clear();
    a.queue.clear();
    a.description.reset();
    a.problem.clear();
    m_thread = std::thread(readAhead, std::move(pick));
    a.worker = m_thread.get_id();
}

PrinterLookAhead::~PrinterLookAhead()
{
    if (!m_thread.joinable())
        return;
    m_thread.join();
    Ahead &a = ahead();
    const std::lock_guard lock(a.mutex);
    a.active = false;
    a.worker = {};
    a.list.clear();
    a.description.reset();
}

std::optional<QStringList> takePrinterListAhead()
{
    Ahead &a = ahead();
    std::unique_lock lock(a.mutex);
    if (!a.active || a.listTaken || std::this_thread::get_id() == a.worker)
        return std::nullopt;
    a.changed.wait(lock, [&] { return a.listRead; });
    a.listTaken = true;
    return std::move(a.list);
}

bool takeQueueAhead(const QString &queue, std::shared_ptr<const PrintQueue> &described, QString *problem)
{
    Ahead &a = ahead();
    std::unique_lock lock(a.mutex);
    if (!a.active || a.descriptionTaken || std::this_thread::get_id() == a.worker)
        return false;
    a.changed.wait(lock, [&] { return a.queueChosen; });
    if (a.queue.isEmpty() || a.queue != queue)
        return false;
    a.changed.wait(lock, [&] { return a.described; });
    a.descriptionTaken = true;
    described = std::move(a.description);
    if (problem)
        *problem = a.problem;
    return true;
}

} // namespace prenso::printing
