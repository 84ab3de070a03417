#pragma once
// A connection to the print server for the platform's own requests (this
// header brings libcups in: it is for the platform's sources only).
//
// The printing library waits half a minute for a connection and, once
// connected, for ever for an answer; a server that is down or hung must not
// stall the program, so these requests wait a few seconds at most.

#include <cups/cups.h>

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

} // namespace prenso::printing
