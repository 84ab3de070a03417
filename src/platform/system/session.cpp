#include "platform/system/session.h"

#include <cstdio>
#include <cstdlib>

namespace prenso {

namespace {

std::atomic<Session *> g_current{nullptr};

} // namespace

Session::Session() : m_previous(g_current.exchange(this))
{}

Session::~Session()
{
    // A part's destructor may still ask for parts of this session (a filter
    // leaving the filter list): the session stays current, and a part made
    // meanwhile goes too.
    for (;;) {
        Made last{};
        {
            const std::lock_guard lock(m_making);
            if (m_made.empty())
                break;
            last = m_made.back();
            m_made.pop_back();
            m_parts[last.index].store(nullptr, std::memory_order_release);
        }
        last.destroy(last.object);
    }
    g_current.store(m_previous);
}

Session &Session::current()
{
    if (Session *session = g_current.load())
        return *session;
    // Never destroyed: statics of other modules may use it while the process
    // ends.
    static Session *const process = new Session;
    return *process;
}

size_t Session::nextPartIndex()
{
    static std::atomic<size_t> next{0};
    const size_t index = next++;
    if (index >= kMaxParts) {
        std::fputs("Session: more kinds of parts than it has room for\n", stderr);
        std::abort();
    }
    return index;
}

void *Session::make(size_t index, void *(*create)(), void (*destroy)(void *))
{
    const std::lock_guard lock(m_making);
    if (void *made = m_parts[index].load(std::memory_order_acquire))
        return made;
    void *object = create();
    m_made.push_back({index, object, destroy});
    m_parts[index].store(object, std::memory_order_release);
    return object;
}

} // namespace prenso
