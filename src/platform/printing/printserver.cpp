#include "platform/printing/printserver.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <sys/socket.h>
#include <thread>
#include <vector>

namespace prenso::printing {

namespace {

using Clock = std::chrono::steady_clock;

struct Watch {
    std::uint64_t id = 0;
    int fd = -1;
    Clock::time_point deadline;
};

// One thread watches every bounded exchange of the process, started with the
// first. Its state is never destroyed: the thread waits on it until the
// process ends.
struct Watchdog {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<Watch> watches;
    std::uint64_t lastId = 0;
    bool running = false;

    void run()
    {
        std::unique_lock lock(mutex);
        for (;;) {
            if (watches.empty()) {
                changed.wait(lock);
                continue;
            }
            const auto first = std::min_element(watches.begin(), watches.end(),
                                                [](const Watch &a, const Watch &b) { return a.deadline < b.deadline; });
            if (Clock::now() < first->deadline) {
                changed.wait_until(lock, first->deadline);
                continue;
            }
            // Its owner still holds the connection (it lets go of the watch
            // before it closes it), so the descriptor is still its own.
            ::shutdown(first->fd, SHUT_RD);
            watches.erase(first);
        }
    }
};

Watchdog &watchdog()
{
    static auto *dog = new Watchdog;
    return *dog;
}

} // namespace

BoundedExchange::BoundedExchange(int timeoutMs)
    : m_http(httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1, timeoutMs, nullptr))
{
    if (!m_http)
        return;
    Watchdog &dog = watchdog();
    {
        const std::lock_guard lock(dog.mutex);
        if (!dog.running) {
            std::thread([&dog] { dog.run(); }).detach();
            dog.running = true;
        }
        m_watch = ++dog.lastId;
        dog.watches.push_back({m_watch, httpGetFd(m_http.get()), Clock::now() + std::chrono::milliseconds(timeoutMs)});
    }
    dog.changed.notify_all();
}

BoundedExchange::~BoundedExchange()
{
    if (!m_watch)
        return;
    Watchdog &dog = watchdog();
    const std::lock_guard lock(dog.mutex);
    std::erase_if(dog.watches, [this](const Watch &w) { return w.id == m_watch; });
}

} // namespace prenso::printing
