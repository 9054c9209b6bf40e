#include "online/downloader.h"

#include <windows.h>
#include <wininet.h>
#include <process.h>

#include <algorithm>
#include <atomic>
#include <limits>
#include <mutex>
#include <optional>
#include <vector>

#include "win/owners.h"
#include "text/gbk_text.h"
#include "win/http_get.h"
#include "text/http_url.h"

namespace {

constexpr int kMaxConnections = 16;
// Below this a further connection costs more in set-up than it saves.
constexpr int64_t kMinPartBytes = 64 * 1024;
// A connection that breaks this many times in a row without a byte of progress ends
// the task.
constexpr int kAttemptsWithoutProgress = 3;
constexpr DWORD kPauseBeforeRetryMs = 100;
constexpr size_t kWriteBlockBytes = 1 << 20;

int32_t Saturated(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, 0, std::numeric_limits<int32_t>::max()));
}

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// "C:\dir\name.exe" -> "C:\dir\name(k).exe"; a name without extension, or with only a
// leading dot, gets the number at its end.
std::string NumberedName(const std::string& path, int k) {
  const int32_t slash = gbk::FindBackwards(path, "\\");
  const int32_t fileStart = slash < 1 ? 1 : slash + 1;
  const int32_t dot = gbk::FindBackwards(path, ".");
  const std::string number = "(" + std::to_string(k) + ")";
  if (dot <= fileStart) return path + number;
  return gbk::Left(path, dot - 1) + number + gbk::Mid(path, dot, gbk::Len(path));
}

std::optional<std::string> FreeName(const std::string& path) {
  for (int k = 1; k < 10000; ++k) {
    std::string candidate = NumberedName(path, k);
    if (!FileExists(candidate)) return candidate;
  }
  return std::nullopt;
}

std::string FolderOf(const std::string& path) {
  const int32_t slash = gbk::FindBackwards(path, "\\");
  return slash < 1 ? std::string(".") : gbk::Left(path, slash);
}

std::optional<int64_t> ParseInt64(std::string_view s) {
  if (s.empty()) return std::nullopt;
  int64_t v = 0;
  for (char c : s) {
    if (c < '0' || c > '9' || v > (std::numeric_limits<int64_t>::max() - 9) / 10) return std::nullopt;
    v = v * 10 + (c - '0');
  }
  return v;
}

struct ContentRange {
  int64_t first = 0;
  int64_t total = -1;  // -1: "*"
};

// "bytes 0-1023/2048" (the unit in any case).
std::optional<ContentRange> ParseContentRange(std::string_view s) {
  if (s.size() < 6 || gbk::ToLowerAscii(s.substr(0, 6)) != "bytes ") return std::nullopt;
  s.remove_prefix(6);
  const size_t dash = s.find('-');
  const size_t slash = s.find('/');
  if (dash == std::string_view::npos || slash == std::string_view::npos || slash < dash) return std::nullopt;
  const auto first = ParseInt64(s.substr(0, dash));
  if (!first) return std::nullopt;
  ContentRange r;
  r.first = *first;
  if (s.substr(slash + 1) != "*") {
    const auto total = ParseInt64(s.substr(slash + 1));
    if (!total) return std::nullopt;
    r.total = *total;
  }
  return r;
}

void SetWaits(HINTERNET h, const DownloadTask& t) {
  auto set = [h](DWORD option, int32_t ms) {
    if (ms <= 0) return;
    DWORD v = static_cast<DWORD>(ms);
    InternetSetOptionA(h, option, &v, sizeof(v));
  };
  set(INTERNET_OPTION_CONNECT_TIMEOUT, t.connectTimeoutMs);
  set(INTERNET_OPTION_SEND_TIMEOUT, t.sendTimeoutMs);
  set(INTERNET_OPTION_DATA_SEND_TIMEOUT, t.sendTimeoutMs);
  set(INTERNET_OPTION_RECEIVE_TIMEOUT, t.receiveTimeoutMs);
  set(INTERNET_OPTION_DATA_RECEIVE_TIMEOUT, t.receiveTimeoutMs);
}

// WinInet keeps to two connections per server unless told otherwise, which would
// leave the task's further connections waiting in line.
void AllowParallelConnections() {
  static const bool done = [] {
    DWORD n = kMaxConnections;
    InternetSetOptionA(nullptr, INTERNET_OPTION_MAX_CONNS_PER_SERVER, &n, sizeof(n));
    InternetSetOptionA(nullptr, INTERNET_OPTION_MAX_CONNS_PER_1_0_SERVER, &n, sizeof(n));
    return true;
  }();
  (void)done;
}

}  // namespace

struct Downloader::Totals {
  std::atomic<int64_t> sinceTake{0};
};

// One byte range of the file and how far it has arrived.
struct Part {
  int64_t begin = 0;
  int64_t end = 0;  // exclusive; INT64_MAX while the size is unknown
  std::atomic<int64_t> pos{0};
  std::atomic<bool> complete{false};
};

struct Downloader::Task {
  DownloadTask settings;  // the copy the events hand out
  HttpUrl url;
  std::shared_ptr<Totals> totals;

  std::atomic<bool> stopping{false};
  std::atomic<bool> failed{false};
  std::atomic<bool> ended{false};
  std::atomic<int64_t> done{0};
  std::atomic<int64_t> sinceTake{0};

  UniqueHandle coordinator;
  DWORD coordinatorId = 0;
  std::atomic<DWORD> runnerId{0};
  // Tick of the last sign of life of any transfer: an answer's headers or body bytes.
  std::atomic<DWORD> lastActivity{GetTickCount()};
  // Whether the task is past its last network call (finishing) or was given up while
  // still in one (abandoned); whichever comes first holds. tempPath is written under it.
  std::mutex outcome;
  bool finishing = false;
  bool abandoned = false;
  bool runnerComplete = false;
  std::optional<UniqueInternet> session;
  UniqueHandle file;
  std::string tempPath;
  bool rangesHonoured = false;
  std::unique_ptr<Part[]> parts;
  int partCount = 0;

  // Requests in flight, so that a stop can close them under the readers' feet.
  std::mutex lock;
  std::vector<HINTERNET> inFlight;

  bool Track(HINTERNET request) {
    std::lock_guard<std::mutex> hold(lock);
    if (stopping) return false;
    inFlight.push_back(request);
    return true;
  }
  void Release(HINTERNET request) {
    std::unique_lock<std::mutex> hold(lock);
    const auto it = std::find(inFlight.begin(), inFlight.end(), request);
    if (it == inFlight.end()) return;  // a stop has closed it already
    inFlight.erase(it);
    hold.unlock();
    InternetCloseHandle(request);
  }
  void CloseAll() {
    std::vector<HINTERNET> closing;
    {
      std::lock_guard<std::mutex> hold(lock);
      closing.swap(inFlight);
    }
    for (HINTERNET r : closing) InternetCloseHandle(r);
  }

  bool Cancelled() const { return stopping || failed; }

  int32_t Raise(int32_t event, int64_t value) {
    if (!settings.eventHandler) return 0;
    return settings.eventHandler(event, &settings, Saturated(value), 0, &settings);
  }

  void Touch() { lastActivity = GetTickCount(); }

  void Count(DWORD got) {
    Touch();
    done += got;
    sinceTake += got;
    totals->sinceTake += got;
  }

  bool WriteAt(int64_t offset, const char* data, DWORD n) {
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(offset & 0xFFFFFFFF);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD written = 0;
    return WriteFile(file.Get(), data, n, &written, &at) && written == n;
  }
};

namespace {

using Task = Downloader::Task;

// One GET on its own connection, with the answer's status and size headers.
class Transfer {
 public:
  // range: "bytes=a-" or "bytes=a-b"; empty for the whole file.
  Transfer(Task& task, const std::string& range) : task_(task) {
    connection_ = InternetConnectA(task.session->Get(), task.url.host.c_str(), task.url.port, nullptr, nullptr,
                                   INTERNET_SERVICE_HTTP, 0, 0);
    if (!connection_) return;
    SetWaits(connection_, task.settings);
    const char* acceptTypes[] = {"*/*", nullptr};
    // Over https the server's certificate is checked by the system and any error fails
    // the request: no SECURITY_FLAG_IGNORE_* is ever set.
    DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE |
                  INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_UI;
    if (task.url.secure) flags |= INTERNET_FLAG_SECURE;
    HINTERNET request =
        HttpOpenRequestA(connection_, "GET", task.url.object.c_str(), nullptr, nullptr, acceptTypes, flags, 0);
    if (!request) return;
    if (!task.Track(request)) {
      InternetCloseHandle(request);
      return;
    }
    request_ = request;
    SetWaits(request_, task.settings);
    const std::string headers = range.empty() ? std::string() : "Range: " + range + "\r\n";
    const BOOL sent = HttpSendRequestA(request_, headers.empty() ? nullptr : headers.c_str(),
                                       static_cast<DWORD>(headers.size()), nullptr, 0);
    task.Touch();
    if (!sent) return;
    DWORD status = 0;
    DWORD size = sizeof(status);
    if (HttpQueryInfoA(request_, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr))
      status_ = status;
    if (auto text = Header(HTTP_QUERY_CONTENT_LENGTH)) length_ = ParseInt64(*text).value_or(-1);
    if (auto text = Header(HTTP_QUERY_CONTENT_RANGE)) range_ = ParseContentRange(*text);
  }
  ~Transfer() {
    if (request_) task_.Release(request_);
    if (connection_) InternetCloseHandle(connection_);
  }
  Transfer(const Transfer&) = delete;
  Transfer& operator=(const Transfer&) = delete;

  DWORD Status() const { return status_; }
  int64_t Length() const { return length_; }  // -1: not announced
  const std::optional<ContentRange>& Range() const { return range_; }

  // Reads the answer's body into part from its current position, at most readSize
  // bytes at a time, until the part is complete, the body ends, or an error or a stop
  // comes. Returns true when the body ended normally. The reads gather in block and go
  // to the file a block at a time: a write per read would cost more than the read.
  bool ReadInto(Part& part, std::vector<char>& block, DWORD readSize) {
    int64_t blockStart = part.pos;
    size_t used = 0;
    bool endedNormally = false;
    for (;;) {
      if (task_.Cancelled()) break;
      const int64_t left = part.end - part.pos;
      if (left <= 0) {
        endedNormally = true;
        break;
      }
      if (used + readSize > block.size()) {
        if (!Flush(blockStart, block, used)) return false;
        blockStart = part.pos;
        used = 0;
      }
      const DWORD want = static_cast<DWORD>(std::min<int64_t>(left, readSize));
      DWORD got = 0;
      if (!InternetReadFile(request_, block.data() + used, want, &got)) break;
      if (got == 0) {
        endedNormally = true;
        break;
      }
      used += got;
      part.pos += got;
      task_.Count(got);
    }
    return Flush(blockStart, block, used) && endedNormally;
  }

 private:
  bool Flush(int64_t offset, const std::vector<char>& block, size_t used) {
    if (used == 0 || task_.WriteAt(offset, block.data(), static_cast<DWORD>(used))) return true;
    task_.failed = true;  // the disk, not the network: no point in trying again
    return false;
  }

  std::optional<std::string> Header(DWORD query) const {
    char text[256] = {};
    DWORD size = sizeof(text) - 1;
    if (!HttpQueryInfoA(request_, query, text, &size, nullptr)) return std::nullopt;
    return std::string(text, size);
  }

  Task& task_;
  HINTERNET connection_ = nullptr;
  HINTERNET request_ = nullptr;
  DWORD status_ = 0;
  int64_t length_ = -1;
  std::optional<ContentRange> range_;
};

std::string RangeFrom(int64_t first, int64_t endExclusive) {
  return "bytes=" + std::to_string(first) + "-" + std::to_string(endExclusive - 1);
}

// Fetches one part to its end, resuming a broken connection from its last byte while
// the server honours ranges. `opened` is an answer already under way for this part.
bool FetchPart(Task& task, Part& part, std::unique_ptr<Transfer> opened) {
  const DWORD readSize = static_cast<DWORD>(task.settings.bufferBytes);
  std::vector<char> block(std::max<size_t>(readSize, kWriteBlockBytes));
  int attemptsWithoutProgress = 0;
  for (;;) {
    const int64_t before = part.pos;
    std::unique_ptr<Transfer> transfer = std::move(opened);
    if (!transfer) {
      transfer = std::make_unique<Transfer>(task, RangeFrom(before, part.end));
      const auto& range = transfer->Range();
      // A server that answers a range with another one (or the whole file) cannot be
      // used for this part.
      if (transfer->Status() != 206 || !range || range->first != before) transfer.reset();
    }
    const bool endedNormally = transfer && transfer->ReadInto(part, block, readSize);
    if (part.end == std::numeric_limits<int64_t>::max()) {
      // Size never announced: the end of the body is the end of the file.
      return endedNormally && !task.Cancelled();
    }
    if (part.pos >= part.end) return true;
    if (task.Cancelled() || !task.rangesHonoured) return false;
    attemptsWithoutProgress = part.pos > before ? 0 : attemptsWithoutProgress + 1;
    if (attemptsWithoutProgress >= kAttemptsWithoutProgress) return false;
    Sleep(kPauseBeforeRetryMs);
  }
}

struct PartJob {
  std::shared_ptr<Task> task;
  int index;
};

unsigned __stdcall PartThread(void* arg) {
  std::unique_ptr<PartJob> job(static_cast<PartJob*>(arg));
  Part& part = job->task->parts[job->index];
  const bool complete = FetchPart(*job->task, part, nullptr);
  part.complete = complete;
  if (!complete) job->task->failed = true;
  return 0;
}

// Asks for the whole file as a range: a 206 answer tells that ranges are honoured and
// gives the size; a 200 answer is the whole file over this one connection.
std::unique_ptr<Transfer> OpenFirst(Task& task, int64_t& total) {
  auto first = std::make_unique<Transfer>(task, "bytes=0-");
  if (first->Status() == 416) first = std::make_unique<Transfer>(task, "");  // an empty file
  total = -1;
  if (first->Status() == 206) {
    const auto& range = first->Range();
    if (!range || range->first != 0 || range->total < 0) return nullptr;
    task.rangesHonoured = true;
    total = range->total;
    return first;
  }
  if (first->Status() == 200) {
    total = first->Length();
    return first;
  }
  return nullptr;
}

void SplitIntoParts(Task& task, int64_t total) {
  int n = 1;
  if (task.rangesHonoured && total > 0) {
    n = std::clamp(task.settings.connections, 1, kMaxConnections);
    n = static_cast<int>(std::min<int64_t>(n, std::max<int64_t>(1, total / kMinPartBytes)));
  }
  task.partCount = n;
  task.parts = std::make_unique<Part[]>(static_cast<size_t>(n));
  const int64_t size = total < 0 ? std::numeric_limits<int64_t>::max() : total;
  for (int i = 0; i < n; ++i) {
    task.parts[i].begin = size / n * i;
    task.parts[i].pos = task.parts[i].begin;
    task.parts[i].end = i + 1 == n ? size : size / n * (i + 1);
  }
}

bool PrepareFile(Task& task, int64_t total) {
  char temp[MAX_PATH] = {};
  if (!GetTempFileNameA(FolderOf(task.settings.savePath).c_str(), "rdl", 0, temp)) return false;
  {
    std::lock_guard<std::mutex> hold(task.outcome);
    task.tempPath = temp;
  }
  // Deleting is shared so that a task given up while a connection still holds the file
  // can delete it all the same: it goes when the last handle closes.
  task.file.Reset(CreateFileA(temp, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!task.file) return false;
  if (total > 0) {
    // Reserving the whole size at once finds a full disk before the download, not after.
    LARGE_INTEGER size;
    size.QuadPart = total;
    if (!SetFilePointerEx(task.file.Get(), size, nullptr, FILE_BEGIN) || !SetEndOfFile(task.file.Get()))
      return false;
  }
  return true;
}

// Moves the complete file to its final name; another file that took the name in the
// meantime makes it look for the next free one, unless replacing was asked for.
bool MoveToFinalName(Task& task, bool replace) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    if (MoveFileExA(task.tempPath.c_str(), task.settings.savePath.c_str(),
                    replace ? MOVEFILE_REPLACE_EXISTING : 0))
      return true;
    const DWORD error = GetLastError();
    if (replace || (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS)) return false;
    const auto next = FreeName(task.settings.savePath);
    if (!next) return false;
    task.settings.savePath = *next;
  }
  return false;
}

// Everything of a task up to its file under the final name; false when it did not get
// there. Runs on the task's first thread, which also fetches the first part.
bool RunTask(const std::shared_ptr<Task>& shared) {
  Task& task = *shared;
  bool replace = false;
  if (FileExists(task.settings.savePath)) {
    if (task.Raise(kEventFileExists, 0) == 0) {
      const auto free = FreeName(task.settings.savePath);
      if (!free) return false;
      task.settings.savePath = *free;
    } else {
      replace = true;
    }
  }
  // The system's Internet settings, proxy included, as for every request of the program.
  task.session.emplace(InternetOpenA(kHttpUserAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  if (!*task.session) return false;
  SetWaits(task.session->Get(), task.settings);

  int64_t total = -1;
  std::unique_ptr<Transfer> first = OpenFirst(task, total);
  if (!first || task.Cancelled()) return false;
  if (total >= 0) task.Raise(kEventTotalSize, total);
  if (!PrepareFile(task, total)) return false;
  SplitIntoParts(task, total);

  std::vector<UniqueHandle> threads;
  for (int i = 1; i < task.partCount; ++i) {
    // The job holds the task alive for a thread that outlasts a stop's wait.
    auto* job = new PartJob{shared, i};
    const uintptr_t h = _beginthreadex(nullptr, 0, PartThread, job, 0, nullptr);
    if (!h) {
      delete job;
      task.failed = true;
      break;
    }
    threads.emplace_back(reinterpret_cast<HANDLE>(h));
  }
  Part& own = task.parts[0];
  own.complete = FetchPart(task, own, std::move(first));
  if (!own.complete) task.failed = true;
  for (const UniqueHandle& t : threads) WaitForSingleObject(t.Get(), INFINITE);

  bool complete = !task.Cancelled();
  for (int i = 0; i < task.partCount; ++i) complete = complete && task.parts[i].complete;
  task.file.Reset();
  {
    std::lock_guard<std::mutex> hold(task.outcome);
    if (task.abandoned) return false;
    task.finishing = true;
  }
  if (complete && task.settings.checkFile && !task.settings.checkFile(task.tempPath)) return false;
  return complete && MoveToFinalName(task, replace);
}

unsigned __stdcall RunnerThread(void* arg) {
  std::unique_ptr<std::shared_ptr<Task>> held(static_cast<std::shared_ptr<Task>*>(arg));
  Task& task = **held;
  const bool complete = RunTask(*held);
  task.file.Reset();
  task.runnerComplete = complete;
  return 0;
}

// The longest silence of every transfer after which the task is given up: WinInet's own
// time-outs end a silent plain connection well before it, but not a TLS handshake that
// stalls, and such a connection cannot be closed from another thread. 0: never.
DWORD StallLimitMs(const DownloadTask& t) {
  int64_t sum = 0;
  for (int32_t ms : {t.connectTimeoutMs, t.sendTimeoutMs, t.receiveTimeoutMs}) sum += std::max(ms, 0);
  return static_cast<DWORD>(std::min<int64_t>(sum, std::numeric_limits<DWORD>::max() - 1));
}

// The task's coordinator: runs the task on a runner thread and watches it. A task whose
// transfers all stay silent past the stall limit is given up and ends as failed, its
// runner left behind with a reference of its own.
unsigned __stdcall TaskThread(void* arg) {
  std::unique_ptr<std::shared_ptr<Task>> held(static_cast<std::shared_ptr<Task>*>(arg));
  Task& task = **held;
  auto* runnerArg = new std::shared_ptr<Task>(*held);
  unsigned runnerId = 0;
  UniqueHandle runner(reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, RunnerThread, runnerArg, 0, &runnerId)));
  task.runnerId = runnerId;
  bool complete = false;
  bool runnerEnded = false;
  if (!runner) {
    delete runnerArg;
  } else {
    const DWORD limit = StallLimitMs(task.settings);
    for (;;) {
      if (WaitForSingleObject(runner.Get(), 250) == WAIT_OBJECT_0) {
        runnerEnded = true;
        break;
      }
      if (limit == 0 || GetTickCount() - task.lastActivity.load() <= limit) continue;
      std::unique_lock<std::mutex> hold(task.outcome);
      if (task.finishing) continue;  // no more network: it ends by itself
      task.abandoned = true;
      task.failed = true;
      break;
    }
    if (runnerEnded) complete = task.runnerComplete;
  }
  std::string tempPath;
  {
    std::lock_guard<std::mutex> hold(task.outcome);
    tempPath = task.tempPath;
  }
  if (!runnerEnded) task.CloseAll();
  if (!complete && !tempPath.empty()) DeleteFileA(tempPath.c_str());
  task.ended = true;
  if (!task.stopping) task.Raise(kEventEnded, task.done);
  return 0;
}

}  // namespace

Downloader::Downloader() : totals_(std::make_shared<Totals>()) {}

Downloader::~Downloader() { Stop(); }

bool Downloader::Start(const DownloadTask& settings) {
  if (Running()) return false;
  if (settings.kind != kDownloadToFile || settings.savePath.empty()) return false;
  const std::optional<HttpUrl> url = ParseHttpUrl(settings.url);
  if (!url) return false;
  AllowParallelConnections();

  auto task = std::make_shared<Task>();
  task->settings = settings;
  if (task->settings.bufferBytes <= 0) task->settings.bufferBytes = DownloadTask{}.bufferBytes;
  task->settings.bufferBytes = std::min(task->settings.bufferBytes, 16 << 20);
  task->url = *url;
  task->totals = totals_;
  auto* arg = new std::shared_ptr<Task>(task);
  unsigned id = 0;
  const uintptr_t h = _beginthreadex(nullptr, 0, TaskThread, arg, CREATE_SUSPENDED, &id);
  if (!h) {
    delete arg;
    return false;
  }
  task->coordinator.Reset(reinterpret_cast<HANDLE>(h));
  task->coordinatorId = id;
  task_ = task;
  ResumeThread(task->coordinator.Get());
  return true;
}

void Downloader::Stop() {
  std::shared_ptr<Task> task = std::move(task_);
  if (!task) return;
  task->stopping = true;
  task->CloseAll();
  // The task's own threads may stop it from an event handler: they cannot wait for themselves.
  if (GetCurrentThreadId() != task->coordinatorId && GetCurrentThreadId() != task->runnerId) {
    const int32_t wait = task->settings.stopWaitMs;
    WaitForSingleObject(task->coordinator.Get(), wait > 0 ? static_cast<DWORD>(wait) : 0);
  }
}

bool Downloader::Running() const { return task_ && !task_->ended; }

int32_t Downloader::DoneBytes() const { return Running() ? Saturated(task_->done) : 0; }

int32_t Downloader::TakeTaskBytes() { return Running() ? Saturated(task_->sinceTake.exchange(0)) : 0; }

int32_t Downloader::TakeAllBytes() { return Saturated(totals_->sinceTake.exchange(0)); }
