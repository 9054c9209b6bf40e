#include "win/http_get.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>

#include "text/encoding.h"
#include "win/gui_courier.h"
#include "win/owners.h"
#include "win/worker_thread.h"
#include "win/wininet_calls.h"
#include "text/http_url.h"

namespace {

// Without these limits a host that accepts and never answers holds the worker for as
// long as WinInet's defaults allow.
constexpr InternetWaits kFetchWaits{kHttpConnectTimeoutMs, kHttpSendTimeoutMs, kHttpReceiveTimeoutMs};

std::optional<DWORD> NumberHeader(HINTERNET request, DWORD query) {
  DWORD value = 0;
  DWORD size = sizeof(value);
  if (!net::HttpQueryInfoW(request, query | HTTP_QUERY_FLAG_NUMBER, &value, &size, nullptr)) return std::nullopt;
  return value;
}

// What the caller and the worker share; the worker's reference keeps it alive after an
// abandoning caller has gone.
struct Job {
  HttpUrl target;
  size_t maxBytes = 0;
  HttpResult result;
  UniqueHandle done{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  // The request being read, until the worker or an abandoning caller closes it: closing
  // it ends a read that is under way, so the worker stops at the caller's deadline.
  std::mutex lock;
  HINTERNET request = nullptr;
  std::atomic<bool> abandoned{false};

  // The caller gives up: the request is closed at once.
  void Abandon() {
    std::lock_guard<std::mutex> hold(lock);
    abandoned = true;
    if (request) net::InternetCloseHandle(std::exchange(request, nullptr));
  }
};

// A failed fetch: nothing of the body, and why.
HttpResult Failed(Failure failure) {
  HttpResult result;
  result.failure = failure;
  return result;
}
HttpResult FailedBySystem(const char* stage) { return Failed(SystemFailure(stage, GetLastError())); }

// The fetch itself, blocking the thread it runs on.
HttpResult Fetch(Job& job) {
  const HttpUrl& target = job.target;
  HttpResult result;
  // The system's Internet settings: a user who reaches the web only through the proxy
  // configured there gets through it.
  const UniqueInternet session = OpenInternetSession(kFetchWaits);
  if (!session) return FailedBySystem("session");
  UniqueInternet connection(net::InternetConnectW(session.Get(), enc::Wide(target.host).c_str(), target.port, nullptr, nullptr,
                                             INTERNET_SERVICE_HTTP, 0, 0));
  if (!connection) return FailedBySystem("connect");
  LimitInternetWaits(connection.Get(), kFetchWaits);

  // InternetOpenUrl would be shorter, but it ignores the time-outs under Wine and sends
  // the Accept header twice. A certificate the system does not trust, or one for another
  // name, fails the request: no SECURITY_FLAG_IGNORE_* is ever set.
  const wchar_t* acceptTypes[] = {L"*/*", nullptr};
  DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE |
                INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_UI;
  if (target.secure) flags |= INTERNET_FLAG_SECURE;
  HINTERNET request = net::HttpOpenRequestW(connection.Get(), L"GET", enc::Wide(target.object).c_str(), L"HTTP/1.0",
                                       nullptr, acceptTypes, flags, 0);
  if (!request) return FailedBySystem("request");
  {
    std::lock_guard<std::mutex> hold(job.lock);
    if (job.abandoned) {
      net::InternetCloseHandle(request);
      return Failed({"deadline", FailureCause::Deadline, 0});
    }
    job.request = request;
  }
  // Whoever closes the request first: the worker here, or an abandoning caller.
  struct CloseRequest {
    Job& job;
    ~CloseRequest() { job.Abandon(); }
  } closeRequest{job};

  LimitInternetWaits(request, kFetchWaits);
  const DWORD sending = GetTickCount();
  if (!net::HttpSendRequestW(request, nullptr, 0, nullptr, 0)) {
    const DWORD error = GetLastError();
    Failure failure = SystemFailure("send", error);
    // A host that took the request and kept silent until the receive time-out gave no
    // answer, whichever error WinInet names for it (Wine's says the connection ended).
    const bool connectionEnded = error == ERROR_INTERNET_TIMEOUT || error == ERROR_INTERNET_CONNECTION_ABORTED ||
                                 error == ERROR_INTERNET_CONNECTION_RESET;
    if (connectionEnded && GetTickCount() - sending + 100 >= kHttpReceiveTimeoutMs) failure.cause = FailureCause::NoAnswer;
    return Failed(failure);
  }

  result.status = NumberHeader(request, HTTP_QUERY_STATUS_CODE).value_or(0);
  const std::optional<DWORD> announced = NumberHeader(request, HTTP_QUERY_CONTENT_LENGTH);
  const Failure tooLarge{"size", FailureCause::TooLarge, 0};
  if (announced && *announced > job.maxBytes) return Failed(tooLarge);
  char buffer[16384];
  while (!job.abandoned) {
    DWORD got = 0;
    if (!net::InternetReadFile(request, buffer, sizeof(buffer), &got)) {
      result.failure = SystemFailure("read", GetLastError());
      break;
    }
    if (got == 0) {
      result.complete = !announced || result.body.size() == *announced;
      if (!result.complete) result.failure = Failure{"read", FailureCause::Broken, 0};
      break;
    }
    if (result.body.size() + got > job.maxBytes) return Failed(tooLarge);
    result.body.append(buffer, got);
  }
  if (!result.failure && (result.status < 200 || result.status > 299))
    result.failure = Failure{"answer", FailureCause::HttpStatus, result.status};
  return result;
}

// Starts the fetch on a thread of its own, which sets the job's event and runs finished
// (when given) with the job once the fetch has ended; null when it cannot be started (a
// failed fetch).
std::shared_ptr<Job> StartFetch(std::string_view url, size_t maxBytes,
                                std::function<void(Job&)> finished = nullptr) {
  const std::optional<HttpUrl> target = ParseHttpUrl(url);
  if (!target) return nullptr;
  auto job = std::make_shared<Job>();
  job->target = *target;
  job->maxBytes = maxBytes;
  if (!job->done) return nullptr;
  const bool started = StartWorkerThread([job, finished = std::move(finished)] {
    try {
      job->result = Fetch(*job);
    } catch (...) {
      // Out of memory: the fetch failed, the tool goes on.
      job->result = Failed({"read", FailureCause::System, ERROR_NOT_ENOUGH_MEMORY});
    }
    SetEvent(job->done.Get());
    if (finished) finished(*job);
  });
  return started ? job : nullptr;
}

// The fetch's answer once the wait for it has ended: at the deadline (or a quit) the
// request is closed and the fetch counts as failed.
HttpResult Outcome(Job& job, bool arrived) {
  if (!arrived) {
    job.Abandon();
    return Failed({"deadline", FailureCause::Deadline, 0});
  }
  return std::move(job.result);
}

// *cancelled tells whether the caller's cancel event ended the wait.
HttpResult Fetched(std::string_view url, size_t maxBytes, unsigned deadlineMs, HANDLE cancel, bool* cancelled) {
  if (!ParseHttpUrl(url)) return Failed({"address", FailureCause::System, ERROR_INVALID_PARAMETER});
  const std::shared_ptr<Job> job = StartFetch(url, maxBytes);
  if (!job) return Failed({"thread", FailureCause::System, GetLastError()});
  const HANDLE waits[] = {job->done.Get(), cancel};
  const DWORD ended = WaitForMultipleObjects(cancel ? 2 : 1, waits, FALSE, deadlineMs);
  *cancelled = cancel && ended == WAIT_OBJECT_0 + 1;
  return Outcome(*job, ended == WAIT_OBJECT_0);
}

}  // namespace

HttpResult HttpGet(std::string_view url, size_t maxBytes, unsigned deadlineMs, void* cancel) {
  bool cancelled = false;
  HttpResult result = Fetched(url, maxBytes, deadlineMs, cancel, &cancelled);
  // A fetch its caller gave up on did not fail: nothing to record.
  if (result.failure && !cancelled) RecordFailure("fetch of " + std::string(url), *result.failure);
  return result;
}

void ReadOnWorker(std::string url, size_t maxBytes, std::function<std::function<void()>(HttpResult&)> read) {
  EnsureGuiCourier();
  // Whichever comes first on the GUI thread, the fetch's end or its deadline, lands; the
  // other finds it done. Only the GUI thread touches it.
  struct Landing {
    std::string url;
    bool done = false;
  };
  const auto landing = std::make_shared<Landing>(Landing{url});
  const auto land = [landing](const std::optional<Failure>& failure, const std::function<void()>& job) {
    if (std::exchange(landing->done, true)) return;
    if (failure) RecordFailure("fetch of " + landing->url, *failure);
    job();
  };
  // The failed fetch is read on the GUI thread: it has nothing to read.
  const auto failed = [land, read](Failure why) {
    HttpResult result = Failed(why);
    land(result.failure, read(result));
  };
  if (!ParseHttpUrl(url)) {
    RunOnGuiThread([failed] { failed({"address", FailureCause::System, ERROR_INVALID_PARAMETER}); });
    return;
  }
  // The one thread of the fetch, which also reads what it fetched; its deadline is a
  // timer of the GUI thread, which closes the request (ending the worker's read) and
  // lands a failed fetch in its place.
  const std::shared_ptr<Job> job = StartFetch(url, maxBytes, [land, read](Job& fetched) {
    RunOnGuiThread([land, failure = fetched.result.failure, then = read(fetched.result)] { land(failure, then); });
  });
  if (!job) {
    const Failure why{"thread", FailureCause::System, GetLastError()};
    RunOnGuiThread([failed, why] { failed(why); });
    return;
  }
  RunOnGuiThreadAfter(kHttpDeadlineMs, [job, failed] {
    job->Abandon();
    failed({"deadline", FailureCause::Deadline, 0});
  });
}

void HttpGetOnWorker(std::string url, size_t maxBytes, std::function<void(HttpResult&)> landed) {
  ReadOnWorker(std::move(url), maxBytes, [landed = std::move(landed)](HttpResult& result) -> std::function<void()> {
    return [landed, result]() mutable { landed(result); };
  });
}
