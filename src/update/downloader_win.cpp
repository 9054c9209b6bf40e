#include "update/downloader.h"

#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <atomic>
#include <cwchar>
#include <cwctype>
#include <limits>
#include <mutex>
#include <optional>
#include <vector>

#include "text/encoding.h"
#include "win/owners.h"
#include "update/download_plan.h"
#include "update/download_task_win.h"
#include "update/download_transfer_win.h"
#include "win/file_bytes.h"
#include "win/internet_session.h"
#include "win/worker_thread.h"
#include "win/wininet_calls.h"
#include "text/http_url.h"

namespace {

using Task = Downloader::Task;

// A time-out of the task's settings; 0 (WinInet's own) for none.
unsigned Milliseconds(int32_t ms) { return ms > 0 ? static_cast<unsigned>(ms) : 0; }

std::optional<std::string> FreeName(const std::string& path) { return download_plan::FreeName(path, FileExists); }

// WinInet keeps to two connections per server unless told otherwise, which would
// leave the task's further connections waiting in line.
void AllowParallelConnections() {
  static const bool done = [] {
    DWORD n = download_plan::kMaxConnections;
    net::InternetSetOptionW(nullptr, INTERNET_OPTION_MAX_CONNS_PER_SERVER, &n, sizeof(n));
    net::InternetSetOptionW(nullptr, INTERNET_OPTION_MAX_CONNS_PER_1_0_SERVER, &n, sizeof(n));
    return true;
  }();
  (void)done;
}

// The work of a slice's own thread.
void FetchOwnSlice(Task& task, int index) {
  Slice& slice = task.slices[index];
  bool complete = false;
  try {
    complete = FetchSlice(task, slice, nullptr);
  } catch (...) {
    complete = false;  // out of memory, most likely: the task fails, the process goes on
    task.Fail({"read", FailureCause::System, ERROR_NOT_ENOUGH_MEMORY});
  }
  slice.complete = complete;
  if (!complete) task.Fail({"read", FailureCause::Broken, 0});
}

void SliceTheFile(Task& task, int64_t total) {
  const std::vector<download_plan::ByteRange> ranges =
      download_plan::SliceFile(total, task.rangesHonoured, task.settings.connections);
  task.sliceCount = static_cast<int>(ranges.size());
  task.slices = std::make_unique<Slice[]>(ranges.size());
  for (size_t i = 0; i < ranges.size(); ++i) {
    task.slices[i].begin = ranges[i].begin;
    task.slices[i].pos = ranges[i].begin;
    task.slices[i].end = ranges[i].end;
  }
}

bool PrepareFile(Task& task, int64_t total) {
  wchar_t temp[MAX_PATH] = {};
  if (!GetTempFileNameW(enc::Wide(download_plan::FolderOf(task.settings.savePath)).c_str(), L"rdl", 0, temp)) {
    task.FailBySystem("file", GetLastError());
    return false;
  }
  {
    std::lock_guard<std::mutex> hold(task.outcome);
    task.tempPath = enc::Narrow(temp);
  }
  // Deleting is shared so that a task given up while a connection still holds the file
  // can delete it all the same: it goes when the last handle closes.
  task.file.Reset(CreateFileW(temp, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!task.file) {
    task.FailBySystem("file", GetLastError());
    return false;
  }
  if (total > 0) {
    // Reserving the whole size at once finds a full disk before the download, not after.
    LARGE_INTEGER size;
    size.QuadPart = total;
    if (!SetFilePointerEx(task.file.Get(), size, nullptr, FILE_BEGIN) || !SetEndOfFile(task.file.Get())) {
      task.FailBySystem("file", GetLastError());
      return false;
    }
  }
  return true;
}

// NT's form of a path, which a rename through a handle takes: the full path after
// "\??\", a network path as "\??\UNC\server\share\...".
std::wstring NtPath(const std::string& path) {
  const std::wstring wide = enc::Wide(path);
  const DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (size == 0) return {};
  std::wstring full(size, L'\0');
  const DWORD length = GetFullPathNameW(wide.c_str(), size, full.data(), nullptr);
  if (length == 0 || length >= size) return {};
  full.resize(length);
  if (full.compare(0, 4, L"\\\\?\\") == 0) return L"\\??\\" + full.substr(4);
  if (full.compare(0, 2, L"\\\\") == 0) return L"\\??\\UNC\\" + full.substr(2);
  return L"\\??\\" + full;
}

// Gives the held file the name path through its own handle, so that the file named is
// the file checked.
bool RenameHeld(Task& task, const std::string& path, bool replace) {
  const std::wstring target = NtPath(path);
  if (target.empty()) return false;
  std::vector<char> buffer(sizeof(FILE_RENAME_INFO) + target.size() * sizeof(wchar_t));
  auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
  info->ReplaceIfExists = replace ? TRUE : FALSE;
  info->RootDirectory = nullptr;
  info->FileNameLength = static_cast<DWORD>(target.size() * sizeof(wchar_t));
  std::copy(target.begin(), target.end(), info->FileName);
  return SetFileInformationByHandle(task.held.Get(), FileRenameInfo, info, static_cast<DWORD>(buffer.size()));
}

// Moves the complete, held file to its final name; another file that took the name in
// the meantime makes it look for the next free one, unless replacing was asked for.
bool MoveToFinalName(Task& task, bool replace) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    if (RenameHeld(task, task.settings.savePath, replace)) return true;
    const DWORD error = GetLastError();
    if (replace || (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS)) return false;
    const auto next = FreeName(task.settings.savePath);
    if (!next) return false;
    task.settings.savePath = *next;
  }
  return false;
}

// Everything of a task up to its file under the final name; false when it did not get
// there. Runs on the task's first thread, which also fetches the first slice.
bool RunTask(const std::shared_ptr<Task>& shared) {
  Task& task = *shared;
  bool replace = false;
  if (FileExists(task.settings.savePath)) {
    if (task.Raise(kEventFileExists, 0) == 0) {
      const auto free = FreeName(task.settings.savePath);
      if (!free) {
        task.Fail({"name", FailureCause::Disk, ERROR_FILE_EXISTS});
        return false;
      }
      task.settings.savePath = *free;
    } else {
      replace = true;
    }
  }
  // The system's Internet settings, proxy included, as for every request of the program.
  task.session = OpenInternetSession(task.waits);
  if (!task.session) {
    task.FailBySystem("session", GetLastError());
    return false;
  }

  RemoveTemporaryLeftovers(download_plan::FolderOf(task.settings.savePath), L"rdl");
  int64_t total = -1;
  std::unique_ptr<Transfer> first = OpenFirst(task, total);
  if (!first || task.Cancelled()) return false;
  task.total = total;
  if (total >= 0) task.Raise(kEventTotalSize, total);
  if (!PrepareFile(task, total)) return false;
  SliceTheFile(task, total);

  std::vector<UniqueHandle> threads;
  for (int i = 1; i < task.sliceCount; ++i) {
    // The thread holds the task alive for as long as it outlasts a stop's wait.
    UniqueHandle thread = StartOwnedThread([shared, i] { FetchOwnSlice(*shared, i); });
    if (!thread) {
      task.FailBySystem("thread", GetLastError());
      break;
    }
    threads.push_back(std::move(thread));
  }
  Slice& own = task.slices[0];
  own.complete = FetchSlice(task, own, std::move(first));
  if (!own.complete) task.Fail({"read", FailureCause::Broken, 0});
  for (const UniqueHandle& t : threads) WaitForSingleObject(t.Get(), INFINITE);

  bool complete = !task.Cancelled();
  for (int i = 0; i < task.sliceCount; ++i) complete = complete && task.slices[i].complete;
  task.file.Reset();
  {
    std::lock_guard<std::mutex> hold(task.outcome);
    if (task.abandoned) return false;
    task.finishing = true;
  }
  if (!complete) return false;
  // From here the file is held: read only, nobody may write, rename or delete it, and
  // the check, the rename and event 4 all see this one file.
  task.held.Reset(CreateFileW(enc::Wide(task.tempPath).c_str(), GENERIC_READ | DELETE, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!task.held) {
    task.FailBySystem("check", GetLastError());
    return false;
  }
  if (task.settings.checkFile && !task.settings.checkFile(task.held.Get())) {
    task.Fail({"check", FailureCause::Hash, 0});
    return false;
  }
  if (!MoveToFinalName(task, replace)) {
    task.FailBySystem("rename", GetLastError());
    return false;
  }
  return true;
}

// The work of the runner thread.
void RunTaskToItsEnd(const std::shared_ptr<Task>& shared) {
  Task& task = *shared;
  task.runnerId = GetCurrentThreadId();
  bool complete = false;
  try {
    complete = RunTask(shared);
  } catch (...) {
    complete = false;  // out of memory, most likely: the task fails, the process goes on
    task.Fail({"transfer", FailureCause::System, ERROR_NOT_ENOUGH_MEMORY});
  }
  task.file.Reset();
  if (!complete) task.held.Reset();
  task.runnerComplete = complete;
}

// The longest silence of every transfer after which the task is given up: WinInet's own
// time-outs end a silent plain connection well before it, but not a TLS handshake that
// stalls, and such a connection cannot be closed from another thread. 0: never.
DWORD StallLimitMs(const DownloadTask& t) {
  return download_plan::StallLimitMs(t.connectTimeoutMs, t.sendTimeoutMs, t.receiveTimeoutMs);
}

// Writes why the task failed into the copy its events hand out, and into the system's
// debug output unless it was stopped; then the task has ended.
void EndAsFailedUnless(Task& task, bool complete) {
  if (!complete) {
    task.settings.failure = task.stopping ? Failure{"transfer", FailureCause::Stopped, 0} : task.FirstFailure();
    if (!task.stopping) RecordFailure("download of " + task.settings.url, task.settings.failure);
  }
  task.ended = true;
}

// The task's coordinator: runs the task on a runner thread and watches it. A task that
// falls below the speed floor fails: its transfers are closed and the runner ends. A
// task whose transfers all stay silent past the stall limit is given up and ends as
// failed, its runner left behind with a reference of its own.
void CoordinateTask(const std::shared_ptr<Task>& shared) {
  Task& task = *shared;
  // The runner holds the task alive for as long as it is left behind.
  const UniqueHandle runner = StartOwnedThread([shared] { RunTaskToItsEnd(shared); });
  bool complete = false;
  bool runnerEnded = false;
  if (runner) {
    const DWORD limit = StallLimitMs(task.settings);
    const DWORD started = GetTickCount();
    download_plan::SpeedFloor floor(task.settings.speedFloorWindowMs, task.settings.speedFloorBytesPerSecond,
                                    started);
    for (;;) {
      if (WaitForSingleObject(runner.Get(), 250) == WAIT_OBJECT_0) {
        runnerEnded = true;
        break;
      }
      const DWORD now = GetTickCount();
      if (!task.failed && floor.Below(now, task.done)) {
        // Too slow: the transfers are closed under the readers, whom the trickle still
        // wakes, and the runner ends as failed. One that stays stuck meets the stall limit.
        std::unique_lock<std::mutex> hold(task.outcome);
        if (task.finishing) continue;  // no more network: it ends by itself
        task.Fail({"transfer", FailureCause::TooSlow, 0});
        task.CloseAll();
        continue;
      }
      // Past the deadline, or silent past the stall limit: the task is given up at once,
      // its runner left behind.
      const bool late = task.settings.deadlineMs != 0 && now - started >= task.settings.deadlineMs;
      if (!late && (limit == 0 || now - task.lastActivity.load() <= limit)) continue;
      std::unique_lock<std::mutex> hold(task.outcome);
      if (task.finishing) continue;  // no more network: it ends by itself
      task.abandoned = true;
      task.Fail({"transfer", late ? FailureCause::Deadline : FailureCause::NoAnswer, 0});
      break;
    }
    if (runnerEnded) complete = task.runnerComplete;
  } else {
    task.FailBySystem("thread", GetLastError());
  }
  std::string tempPath;
  {
    std::lock_guard<std::mutex> hold(task.outcome);
    tempPath = task.tempPath;
  }
  if (!runnerEnded) task.CloseAll();
  if (!complete && !tempPath.empty()) DeleteFileW(enc::Wide(tempPath).c_str());
  task.settings.complete = complete;
  EndAsFailedUnless(task, complete);
  // The checked file stays held while the handler starts it.
  if (!task.stopping) task.Raise(kEventEnded, task.done);
  task.held.Reset();
}

// The work of the task's first thread, its coordinator.
void RunCoordinator(const std::shared_ptr<Task>& shared) {
  Task& task = *shared;
  task.coordinatorId = GetCurrentThreadId();
  try {
    CoordinateTask(shared);
  } catch (...) {
    // Out of memory, most likely. The task still ends once, as failed.
    task.failed = true;
    task.CloseAll();
    task.held.Reset();
    task.settings.complete = false;
    const bool raise = !task.ended && !task.stopping;
    try {
      task.Fail({"transfer", FailureCause::System, ERROR_NOT_ENOUGH_MEMORY});
      if (!task.ended) EndAsFailedUnless(task, false);
    } catch (...) {
    }
    task.ended = true;
    try {
      if (raise) task.Raise(kEventEnded, task.done);
    } catch (...) {
    }
  }
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
  task->waits = InternetWaits{Milliseconds(settings.connectTimeoutMs), Milliseconds(settings.sendTimeoutMs),
                              Milliseconds(settings.receiveTimeoutMs)};
  task->totals = totals_;
  // Held before the task's threads run, since an event handler may stop the task. The
  // coordinator's handle is only waited for by a Stop() on another thread, which comes
  // after this Start() has returned.
  task_ = task;
  UniqueHandle coordinator = StartOwnedThread([task] { RunCoordinator(task); });
  if (!coordinator) {
    task_.reset();
    return false;
  }
  task->coordinator = std::move(coordinator);
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
