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

bool PrepareFile(Task& task, int64_t total) {
  // The long-path form reaches a folder of any depth.
  const std::wstring target = FilePathForm(task.settings.savePath);
  const std::wstring temp = MakeTemporaryFile(target.substr(0, target.find_last_of(L'\\') + 1), L"rdl");
  if (temp.empty()) {
    task.FailBySystem("file", GetLastError());
    return false;
  }
  // Kept under the lock unless the task has ended meanwhile: either its end finds the
  // file to delete, or the file goes here.
  const bool kept = task.With([&](Task::State& s) {
    if (s.stopping || s.failure) return false;
    s.tempPath = enc::Narrow(temp);
    return true;
  });
  if (!kept) {
    DeleteFileW(temp.c_str());
    return false;
  }
  // Deleting is shared so that a task given up while a connection still holds the file
  // can delete it all the same: it goes when the last handle closes.
  task.file.Reset(CreateFileW(temp.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
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

void SliceTheFile(Task& task, int64_t total) {
  for (const download_plan::ByteRange& r :
       download_plan::SliceFile(total, task.rangesHonoured, task.settings.connections))
    task.slices.push_back(Slice{r.begin, r.end, r.begin});
}

// Raises an event of the task unless the downloader that started it is being destroyed.
template <typename Handler, typename... Args>
auto Raise(Task& task, const Handler& handler, Args&&... args) -> decltype(handler(args...)) {
  using Answer = decltype(handler(args...));
  if (!handler || task.With([](Task::State& s) { return s.silenced; })) return Answer();
  return handler(std::forward<Args>(args)...);
}

// The work of one slice's thread, to the slice's end; the first slice's thread asks for
// the file first and cuts it into the slices. Every slice's thread wakes the
// coordinator as it ends.
void FetchOwnSlice(const std::shared_ptr<Task>& shared, size_t index) {
  Task& task = *shared;
  try {
    std::unique_ptr<Transfer> opened;
    bool ready = true;
    if (index == 0) {
      int64_t total = -1;
      opened = OpenFirst(task, total);
      ready = opened && !task.Cancelled();
      if (ready) {
        task.total = total;
        if (total >= 0) Raise(task, task.settings.events.sizeKnown, total);
        ready = PrepareFile(task, total);
      }
      if (ready) SliceTheFile(task, total);
      // The other slices start from here (counted as running from now on, so that the
      // task cannot seem over before they have begun), or nothing more is fetched.
      task.With(
          [&](Task::State& s) {
            s.sliced = ready;
            if (ready) s.slicesRunning += static_cast<int>(task.slices.size()) - 1;
          },
          true);
    }
    if (ready && !FetchSlice(task, task.slices[index], std::move(opened)))
      task.Fail({"read", FailureCause::Broken, 0});
  } catch (...) {
    // Out of memory, most likely: the task fails, the process goes on.
    task.Fail({"read", FailureCause::System, ERROR_NOT_ENOUGH_MEMORY});
  }
  // The last slice's thread to end lets go of the file: nobody writes it any more, and a
  // task given up meanwhile has had it deleted, which takes effect now.
  task.With(
      [&task](Task::State& s) {
        if (s.slicesRunning == 1) task.file.Reset();
        --s.slicesRunning;
      },
      true);
}

// Starts a slice's thread, counted as running already; the thread holds the task alive
// for as long as it outlasts the task's end.
bool StartSlice(const std::shared_ptr<Task>& shared, size_t index) {
  if (StartWorkerThread([shared, index] { FetchOwnSlice(shared, index); })) return true;
  const DWORD error = GetLastError();
  shared->With([](Task::State& s) { --s.slicesRunning; }, true);
  shared->FailBySystem("thread", error);
  return false;
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

// The longest silence of every transfer after which the task is given up: WinInet's own
// time-outs end a silent plain connection well before it, but not a TLS handshake that
// stalls, and such a connection cannot be closed from another thread. 0: never.
DWORD StallLimitMs(const DownloadTask& t) {
  return download_plan::StallLimitMs(t.connectTimeoutMs, t.sendTimeoutMs, t.receiveTimeoutMs);
}

// Watches the slices' threads until every one has ended (true), starting the slices
// after the first once the file is cut. A task that falls below the speed floor fails:
// its transfers are closed under the readers, whom the trickle still wakes, and its
// threads end. A task past its deadline, or whose transfers all stay silent past the
// stall limit, is given up at once (false), its threads left behind with a reference of
// their own. Sleeps until a thread's end or the next limit due.
bool WatchSlices(const std::shared_ptr<Task>& shared) {
  Task& task = *shared;
  const DWORD limit = StallLimitMs(task.settings);
  const DWORD started = GetTickCount();
  download_plan::SpeedFloor floor(task.settings.speedFloorWindowMs, task.settings.speedFloorBytesPerSecond, started);
  bool othersStarted = false;
  for (;;) {
    struct Seen {
      bool allEnded, sliced, failed;
      int64_t done;
      DWORD lastActivity;
    };
    const Seen seen = task.With([](Task::State& s) {
      return Seen{s.slicesRunning == 0, s.sliced, s.failure.has_value() || s.stopping, s.done, s.lastActivity};
    });
    if (seen.allEnded) return true;
    if (seen.sliced && !othersStarted) {
      othersStarted = true;
      for (size_t i = 1; i < task.slices.size(); ++i) {
        // The slices left unstarted are counted no more.
        if (!StartSlice(shared, i)) {
          const int unstarted = static_cast<int>(task.slices.size() - i - 1);
          task.With([unstarted](Task::State& s) { s.slicesRunning -= unstarted; }, true);
          break;
        }
      }
      continue;
    }
    const DWORD now = GetTickCount();
    if (!seen.failed && floor.Below(now, seen.done)) {
      task.Fail({"transfer", FailureCause::TooSlow, 0});
      task.CloseAll();
      continue;
    }
    const bool late = task.settings.deadlineMs != 0 && now - started >= task.settings.deadlineMs;
    const bool silent = limit != 0 && now - seen.lastActivity > limit;
    if (late || silent) {
      task.Fail({"transfer", late ? FailureCause::Deadline : FailureCause::NoAnswer, 0});
      task.CloseAll();
      return false;
    }
    // The next moment a limit may fall due.
    int64_t wait = seen.failed ? INT64_MAX : floor.MsUntilWindowEnds(now);
    if (task.settings.deadlineMs != 0) wait = std::min<int64_t>(wait, task.settings.deadlineMs - (now - started));
    if (limit != 0) wait = std::min<int64_t>(wait, static_cast<int64_t>(limit) - (now - seen.lastActivity) + 1);
    if (wait == INT64_MAX) wait = -1;
    task.WaitFor([othersStarted](const Task::State& s) { return s.slicesRunning == 0 || (s.sliced && !othersStarted); },
                 std::max<int64_t>(wait, 1));
  }
}

// Everything of a task up to its file under the final name and held; false when it did
// not get there.
bool RunTask(const std::shared_ptr<Task>& shared) {
  Task& task = *shared;
  bool replace = false;
  if (FileExists(task.settings.savePath)) {
    replace = Raise(task, task.settings.events.replaceExisting, task.settings.savePath);
    if (!replace) {
      const auto free = FreeName(task.settings.savePath);
      if (!free) {
        task.Fail({"name", FailureCause::Disk, ERROR_FILE_EXISTS});
        return false;
      }
      task.settings.savePath = *free;
    }
  }
  // The system's Internet settings, proxy included, as for every request of the program.
  task.session = OpenInternetSession(task.waits);
  if (!task.session) {
    task.FailBySystem("session", GetLastError());
    return false;
  }
  RemoveTemporaryLeftovers(download_plan::FolderOf(task.settings.savePath), L"rdl");
  task.With([](Task::State& s) { s.slicesRunning = 1; });
  if (!StartSlice(shared, 0) || !WatchSlices(shared)) return false;

  // Every slice's thread has ended: no more network, and the file is let go.
  const std::string tempPath = task.With([](Task::State& s) {
    s.stage = Task::Stage::Finishing;
    return s.stopping || s.failure ? std::string() : s.tempPath;
  });
  if (tempPath.empty()) return false;
  // From here the file is held: read only, nobody may write, rename or delete it, and
  // the check, the rename and the end's handler all see this one file.
  task.held.Reset(CreateFileW(enc::Wide(tempPath).c_str(), GENERIC_READ | DELETE, FILE_SHARE_READ, nullptr,
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

// The work of the task's coordinator: the task to its end, and its one result.
void Coordinate(const std::shared_ptr<Task>& shared) {
  Task& task = *shared;
  bool complete = false;
  try {
    complete = RunTask(shared);
  } catch (...) {
    // Out of memory, most likely: the task fails, the process goes on.
    task.Fail({"transfer", FailureCause::System, ERROR_NOT_ENOUGH_MEMORY});
    task.CloseAll();
  }
  if (!complete) task.held.Reset();
  DownloadResult result;
  std::string tempPath;
  task.With([&](Task::State& s) {
    s.stage = Task::Stage::Ended;
    result.doneBytes = s.done;
    tempPath = s.tempPath;
    if (complete) {
      result.outcome = DownloadResult::Outcome::Complete;
    } else if (s.stopping) {
      result.outcome = DownloadResult::Outcome::Stopped;
      result.failure = {"transfer", FailureCause::Stopped, 0};
    } else {
      result.failure = s.failure.value_or(Failure{"transfer", FailureCause::System, 0});
    }
  });
  if (!complete && !tempPath.empty()) DeleteFileW(enc::Wide(tempPath).c_str());
  result.savedPath = complete ? task.settings.savePath : std::string();
  try {
    if (result.outcome == DownloadResult::Outcome::Failed)
      RecordFailure("download of " + task.settings.url, result.failure);
    // The checked file stays held while the handler starts it.
    Raise(task, task.settings.events.ended, result);
  } catch (...) {
  }
  task.held.Reset();
  task.With([](Task::State& s) { s.threadEnded = true; }, true);
}

}  // namespace

Downloader::Downloader() : totals_(std::make_shared<Totals>()) {}

Downloader::~Downloader() {
  if (task_) task_->With([](Task::State& s) { s.silenced = true; });
  Stop();
}

bool Downloader::Start(const DownloadTask& settings) {
  if (Running()) return false;
  if (settings.savePath.empty()) return false;
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
  // Held before the task's threads run, since an event handler may stop the task.
  task_ = task;
  // The coordinator holds the task alive for as long as it outlasts a stop's wait.
  if (!StartWorkerThread([task] {
        task->With([](Task::State& s) { s.coordinator = GetCurrentThreadId(); });
        Coordinate(task);
      })) {
    task_.reset();
    return false;
  }
  return true;
}

void Downloader::Stop() {
  std::shared_ptr<Task> task = std::move(task_);
  if (!task) return;
  // A handler of the task's own may stop it: its thread cannot wait for itself.
  const bool own = task->With(
      [](Task::State& s) {
        s.stopping = true;
        return s.coordinator == GetCurrentThreadId();
      },
      true);
  task->CloseAll();
  const int32_t wait = task->settings.stopWaitMs;
  if (!own) task->WaitFor([](const Task::State& s) { return s.threadEnded; }, wait > 0 ? wait : 0);
}

bool Downloader::Running() const {
  return task_ && task_->With([](Task::State& s) { return s.stage != Task::Stage::Ended; });
}

int32_t Downloader::DoneBytes() const {
  if (!task_) return 0;
  return task_->With([](Task::State& s) { return s.stage == Task::Stage::Ended ? 0 : Saturated(s.done); });
}

int32_t Downloader::TakeTaskBytes() {
  if (!task_) return 0;
  return task_->With(
      [](Task::State& s) { return s.stage == Task::Stage::Ended ? 0 : Saturated(std::exchange(s.sinceTake, 0)); });
}

int32_t Downloader::TakeAllBytes() { return Saturated(totals_->sinceTake.exchange(0)); }
