// The one HTTP fetch of the tool: a GET that the calling thread waits for.
//
// Every request is HTTP/1.0 with the user agent kHttpUserAgent and "Accept: */*", goes
// through the system's configured connection, and is answered by the server itself (no
// cache). "https://" addresses go over TLS with the server's certificate checked by the
// system: any certificate error is a failed fetch. Connecting, sending and each wait for
// data are bounded by the time-outs below; on top of them the whole fetch has a deadline
// that holds even where WinInet ignores its time-outs (a TLS handshake that never ends):
// the request runs on a worker thread of its own, and the caller stops waiting at the
// deadline, closes the request (which ends the worker's read) and counts the fetch as
// failed. An abandoned worker holds nothing of the caller's; it never delays the end of
// the process.
//
// Every fetch names the most bytes its body may have: a body announced or found to be
// longer is a failed fetch, read no further, so an endless answer costs at most that
// much memory.
//
// While it waits, the calling thread dispatches its messages, so the tool's windows keep
// answering. A quit request met on the way ends the wait at once (the fetch counts as
// failed) and stays in the queue for the message loop.
#pragma once

#include <string>
#include <string_view>

constexpr const char kHttpUserAgent[] = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";
constexpr unsigned kHttpConnectTimeoutMs = 5000;
constexpr unsigned kHttpSendTimeoutMs = 5000;
constexpr unsigned kHttpReceiveTimeoutMs = 5000;
constexpr unsigned kHttpDeadlineMs = 10000;

// The limits of the tool's fetches: the update page, a lyrics site page (search or
// preview), a lyric file (as much as the lyric loader reads).
constexpr size_t kUpdatePageMaxBytes = 64 * 1024;
constexpr size_t kSitePageMaxBytes = 4 * 1024 * 1024;
constexpr size_t kLyricFileMaxBytes = 16 * 1024 * 1024;

struct HttpResult {
  unsigned status = 0;    // 0: no answer arrived
  std::string body;       // whatever arrived of the body, whatever the status
  bool complete = false;  // the body ended normally and, when announced, at its full length
};

// url: "http://host[:port]/path?query" or "https://..." (see ParseHttpUrl). Any other
// address, any failure before the answer arrives, a body longer than maxBytes, and a
// fetch still running at the deadline give status 0 and an empty body.
HttpResult HttpGet(std::string_view url, size_t maxBytes, unsigned deadlineMs = kHttpDeadlineMs);

// The body of HttpGet: empty on failure, the part received when the transfer breaks.
std::string HttpGetBytes(std::string_view url, size_t maxBytes);
