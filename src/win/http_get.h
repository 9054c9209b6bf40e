// The one HTTP fetch of the tool: a GET, waited for in one of two ways (below).
//
// Every request is HTTP/1.0 with the user agent kHttpUserAgent and "Accept: */*", goes
// through the system's configured connection (win/internet_session.h), and is answered by the server itself (no
// cache). "https://" addresses go over TLS with the server's certificate checked by the
// system: any certificate error is a failed fetch. Connecting, sending and each wait for
// data are bounded by the time-outs below; on top of them the whole fetch has a deadline
// that holds even where WinInet ignores its time-outs (a TLS handshake that never ends):
// the request runs on a worker thread, and at the deadline whoever waits for it stops
// waiting, closes the request (which ends the worker's read) and counts the fetch as
// failed. An abandoned worker holds nothing of the caller's; it never delays the end of
// the process.
//
// Every fetch names the most bytes its body may have: a body announced or found to be
// longer is a failed fetch, read no further, so an endless answer costs at most that
// much memory.
//
// The waits: the GUI thread never waits; HttpGetOnWorker fetches on one worker thread and
// hands the result to the GUI thread, which goes on with its message loop meanwhile and
// holds the deadline on a timer (the lyric search, the update's page reads); a worker
// thread blocks in HttpGet, which fetches on a second thread so that the caller can stop
// waiting at the deadline.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include <optional>

#include "win/failure_record.h"
#include "win/internet_session.h"

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
  // Why the fetch failed: the stage and the WinInet error, or the HTTP status of an
  // answer that is no success (2xx), or the size limit or the deadline; none when the
  // whole body of a success arrived. Every failure is also written to the system's debug
  // output (win/failure_record.h) as the fetch ends.
  std::optional<Failure> failure;
};

// url: "http://host[:port]/path?query" or "https://..." (see ParseHttpUrl). Any other
// address, any failure before the answer arrives, a body longer than maxBytes, and a
// fetch still running at the deadline give status 0 and an empty body. Blocks the
// calling thread (a worker thread), dispatching nothing. cancel, when given, is an event
// whose setting ends the fetch at once as the deadline would: its request closed, its
// thread on its way out.
HttpResult HttpGet(std::string_view url, size_t maxBytes, unsigned deadlineMs = kHttpDeadlineMs,
                   void* cancel = nullptr);

// Starts the fetch on a worker thread and returns at once; the GUI thread runs landed
// with the result (through win/gui_courier.h) when it has arrived, failed or met the
// deadline, a failed result also when no thread could be started. Called on the GUI
// thread.
void HttpGetOnWorker(std::string url, size_t maxBytes, std::function<void(HttpResult&)> landed);
// The same, with what is fetched read on the worker thread too: read gets the result
// there (or, for a fetch that failed before it began or met its deadline, on the GUI
// thread) and gives the job that the GUI thread then runs.
void ReadOnWorker(std::string url, size_t maxBytes, std::function<std::function<void()>(HttpResult&)> read);

