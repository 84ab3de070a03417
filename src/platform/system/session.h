#pragma once
// One run of the program, and what the program keeps for its length: the
// printer and its wrapper, the print filters and the one chosen, the
// windows' hooks, the preview's defaults and open windows, the engine's
// texts, the message boxes' hook and count.
//
// main makes the session of a run, and the test programs make one for each
// test, so that every test starts where a run starts. Each module keeps its
// share of that state in the current session as a part (part<T>()), made when
// first asked for and destroyed, the last made first, when the session ends.
// Code that runs with no session made (a benchmark, a fuzz target) gets the
// process's own session, which never ends.
//
// Parts are made and found from any thread; a session is made and ended on
// the main thread, while no other thread uses it.

#include <array>
#include <atomic>
#include <cstddef>
#include <mutex>
#include <vector>

namespace prenso {

class Session {
public:
    // Becomes the current session until it ends; the one current before
    // becomes current again then.
    Session();
    ~Session();
    Session(const Session &) = delete;
    Session &operator=(const Session &) = delete;

    static Session &current();

    // The session's T, made (default-constructed) when first asked for.
    template <class T>
    T &part()
    {
        const size_t index = partIndex<T>();
        if (void *made = m_parts[index].load(std::memory_order_acquire))
            return *static_cast<T *>(made);
        return *static_cast<T *>(make(
            index, [] { return static_cast<void *>(new T()); }, [](void *p) { delete static_cast<T *>(p); }));
    }

private:
    static constexpr size_t kMaxParts = 32;
    struct Made {
        size_t index;
        void *object;
        void (*destroy)(void *);
    };

    template <class T>
    static size_t partIndex()
    {
        static const size_t index = nextPartIndex();
        return index;
    }
    static size_t nextPartIndex();
    void *make(size_t index, void *(*create)(), void (*destroy)(void *));

    std::array<std::atomic<void *>, kMaxParts> m_parts{};
    std::vector<Made> m_made; // in the order made
    // Recursive: making a part may ask for another one.
    std::recursive_mutex m_making;
    Session *m_previous;
};

} // namespace prenso
