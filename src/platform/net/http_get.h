// The HTTP GET of the desktop and the command line, on Qt Network: HTTPS with
// the system's certificates, redirects followed, an inactivity time-out, an
// answer size limit and a stop request checked while the transfer runs.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/platform.h"

namespace skarvel::platform {

/// Limits of one GET.
struct HttpLimits {
  int timeoutMs = 30000;                          ///< no byte for this long ends the transfer (30 s)
  std::int64_t maxBytes = 64LL * 1024 * 1024;     ///< a longer answer is stopped (64 MB)
  int maxRedirects = 10;                          ///< redirects followed at most (never HTTPS to HTTP)
};

/// Called about ten times a second and on every block received with the bytes
/// received so far and the announced total (-1 unknown); returning false stops
/// the transfer.
using HttpProgress = std::function<bool(std::int64_t received, std::int64_t total)>;

/// One GET of `url`, running a local event loop until the answer is complete,
/// failed or stopped (the caller's windows stay responsive). Creates the
/// application object first when the program has none (the command line).
/// Result: ok with the body for a 2xx status; otherwise status (0 when no
/// answer came), body and error: "404 Not Found" for an error status, "no
/// answer within 30 s" (or "... 300 ms"), "the answer exceeds 64.0 MB" or the transfer's fault;
/// `stopped` when `progress` asked to stop.
HttpResponse QtHttpGet(const std::string& url, const HttpLimits& limits, const HttpProgress& progress);

/// Text of a byte count for progress notes: "512 bytes", "12.3 kB", "4.1 MB".
std::string ByteCountText(std::int64_t bytes);

}  // namespace skarvel::platform
