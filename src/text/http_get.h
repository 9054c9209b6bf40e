// The one HTTP fetch of the tool: a synchronous GET that blocks the calling thread.
//
// Every request is HTTP/1.0 with the user agent kHttpUserAgent and "Accept: */*", goes
// straight to the host (no proxy), and is answered by the server itself (no cache).
// Connecting, sending and each wait for data are bounded by the time-outs below, so an
// unreachable or silent host costs at most a few seconds of a frozen window.
#pragma once

#include <string>
#include <string_view>

constexpr const char kHttpUserAgent[] = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";
constexpr unsigned kHttpConnectTimeoutMs = 5000;
constexpr unsigned kHttpSendTimeoutMs = 5000;
constexpr unsigned kHttpReceiveTimeoutMs = 5000;

struct HttpResult {
  unsigned status = 0;    // 0: no answer arrived
  std::string body;       // whatever arrived of the body, whatever the status
  bool complete = false;  // the body ended normally and, when announced, at its full length
};

// url: "http://host[:port]/path?query" (see ParseHttpUrl). Any other address, and any
// failure before the answer arrives, gives status 0 and an empty body.
HttpResult HttpGet(std::string_view url);

// The body of HttpGet: empty on failure, the part received when the transfer breaks.
std::string HttpGetBytes(std::string_view url);
