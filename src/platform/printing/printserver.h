#pragma once
// A connection to the print server for the platform's own requests (this
// header brings libcups in: it is for the platform's sources only).
//
// The printing library waits half a minute for a connection and, once
// connected, for ever for an answer; a server that is down or hung must not
// stall the program, so these requests wait a few seconds at most.

#include <cups/cups.h>

#include <cstdint>
#include <memory>

namespace prenso::printing {

// How long such a request may wait to connect or for an answer.
constexpr int kServerTimeoutMs = 5000;

// A connection closes with its owner.
struct HttpCloser {
    void operator()(http_t *http) const noexcept { httpClose(http); }
};
using HttpConnection = std::unique_ptr<http_t, HttpCloser>;

// Null when the server cannot be reached in `timeoutMs` (errno says why);
// an answer is waited for as long.
inline HttpConnection connectWithBoundedWaits(int timeoutMs = kServerTimeoutMs)
{
    HttpConnection http(
        httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1, timeoutMs, nullptr));
    if (http)
        httpSetTimeout(http.get(), timeoutMs / 1000.0, nullptr, nullptr);
    return http;
}

// A connection for a short exchange (the printer list, a queue's
// description), bounded as a whole: when `timeoutMs` have passed and its
// owner still holds it, its reading side is shut down, so that whatever the
// library waits for on it fails at once. The library's own timeout (above)
// bounds each wait instead, but then makes every read of an answer wait on
// the socket first, and the library reads an answer a few bytes at a time: a
// queue's description, some 600 reads, cost twice the time that way.
class BoundedExchange {
public:
    // Connects; null when the server cannot be reached in `timeoutMs`.
    explicit BoundedExchange(int timeoutMs = kServerTimeoutMs);
    ~BoundedExchange();
    BoundedExchange(const BoundedExchange &) = delete;
    BoundedExchange &operator=(const BoundedExchange &) = delete;

    http_t *get() const { return m_http.get(); }
    explicit operator bool() const { return m_http != nullptr; }

private:
    HttpConnection m_http;
    std::uint64_t m_watch = 0;
};

} // namespace prenso::printing
