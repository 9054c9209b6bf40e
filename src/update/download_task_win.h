// The state the threads of one download task share: its settings, fixed at its start,
// and one state under one lock (how far it is, its first failure, its counters, the
// requests in flight), whose changes wake whoever waits for them. Used by the downloader
// (downloader_win.cpp) and its transfers (download_transfer_win.cpp) only.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "text/http_url.h"
#include "update/downloader.h"
#include "win/internet_session.h"
#include "win/owners.h"

// The 32-bit value of a byte count handed to the queries.
inline int32_t Saturated(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, 0, std::numeric_limits<int32_t>::max()));
}

struct Downloader::Totals {
  std::atomic<int64_t> sinceTake{0};
};

// One slice of the file (a byte range) and how far it has arrived; its own thread's.
struct Slice {
  int64_t begin = 0;
  int64_t end = 0;  // exclusive; kUnknownEnd while the size is unknown
  int64_t pos = 0;
};

class Downloader::Task {
 public:
  // Where the task stands. Fetching: its slices' threads are at work. Finishing: every
  // slice has ended and the coordinator checks and names the file (no network any more).
  // Ended: the result is out (or being handed out); the task is no longer running.
  enum class Stage { Fetching, Finishing, Ended };

  // Fixed from the start on.
  DownloadTask settings;
  HttpUrl url;
  InternetWaits waits;  // the settings' three time-outs
  std::shared_ptr<Totals> totals;
  UniqueInternet session;
  // The temporary file, written by the slices' threads at their own offsets; and the
  // slices, set up by the first slice's thread before the others start.
  UniqueHandle file;
  int64_t total = -1;  // the size the first answer announced (or the task was told)
  bool rangesHonoured = false;
  std::vector<Slice> slices;
  // The coordinator's: the complete file, opened for reading without write or delete
  // sharing from its check until the end's handler has returned.
  UniqueHandle held;

  // The task's state, under the lock.
  struct State {
    Stage stage = Stage::Fetching;
    bool stopping = false;  // Stop() or the destructor
    bool silenced = false;  // the destructor: no event any more
    std::optional<Failure> failure;  // the first failure the task met
    int slicesRunning = 0;
    bool sliced = false;  // the first answer has come and the file is cut into slices
    int64_t done = 0;
    int64_t sinceTake = 0;
    DWORD lastActivity = GetTickCount();  // an answer's headers or body bytes
    std::string tempPath;
    std::vector<UniqueInternet> inFlight;  // closed under the readers' feet by a stop
    DWORD coordinator = 0;     // the coordinator's thread id
    bool threadEnded = false;  // the coordinator has handed out the result and let go
  };

  // Runs f on the state under the lock; whoever waits is woken afterwards when wake.
  template <typename F>
  auto With(F f, bool wake = false) {
    std::unique_lock<std::mutex> hold(lock_);
    struct Waker {
      std::condition_variable& changed;
      bool wake;
      ~Waker() {
        if (wake) changed.notify_all();
      }
    } waker{changed_, wake};
    return f(state_);
  }
  // Waits until ready(state) or for at most ms (-1: no limit); true when ready.
  template <typename P>
  bool WaitFor(P ready, int64_t ms) {
    std::unique_lock<std::mutex> hold(lock_);
    const auto check = [&] { return ready(const_cast<const State&>(state_)); };
    if (ms < 0) {
      changed_.wait(hold, check);
      return true;
    }
    return changed_.wait_for(hold, std::chrono::milliseconds(ms), check);
  }

  bool Cancelled() {
    return With([](State& s) { return s.stopping || s.failure.has_value(); });
  }
  // The task fails; the first failure it meets is the one it reports.
  void Fail(const Failure& why) {
    With(
        [&](State& s) {
          if (!s.failure) s.failure = why;
        },
        true);
  }
  void FailBySystem(const char* stage, DWORD error) { Fail(SystemFailure(stage, error)); }

  // Requests in flight, so that a stop can close them under the readers' feet. Takes
  // the request over unless the task is stopping (then it stays with the caller).
  bool Track(UniqueInternet& request) {
    return With([&](State& s) {
      if (s.stopping) return false;
      s.inFlight.push_back(std::move(request));
      return true;
    });
  }
  // Closes a tracked request, unless a stop has closed it already.
  void Release(HINTERNET request) {
    UniqueInternet closing = With([&](State& s) {
      const auto it = std::find_if(s.inFlight.begin(), s.inFlight.end(),
                                   [request](const UniqueInternet& r) { return r.Get() == request; });
      if (it == s.inFlight.end()) return UniqueInternet();
      UniqueInternet taken = std::move(*it);
      s.inFlight.erase(it);
      return taken;
    });
  }
  // Closes every request in flight (once the lock is let go: closing can take a while).
  void CloseAll() {
    std::vector<UniqueInternet> closing = With([](State& s) { return std::move(s.inFlight); });
  }

  void Touch() {
    With([](State& s) { s.lastActivity = GetTickCount(); });
  }
  void Count(DWORD got) {
    With([got](State& s) {
      s.lastActivity = GetTickCount();
      s.done += got;
      s.sinceTake += got;
    });
    totals->sinceTake += got;
  }
  // The pause before a broken connection is tried again; a stop or a failure ends it.
  void PauseBeforeRetry(DWORD ms) {
    WaitFor([](const State& s) { return s.stopping || s.failure.has_value(); }, ms);
  }

  bool WriteAt(int64_t offset, const char* data, DWORD n) {
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(offset & 0xFFFFFFFF);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD written = 0;
    return WriteFile(file.Get(), data, n, &written, &at) && written == n;
  }

 private:
  std::mutex lock_;
  std::condition_variable changed_;
  State state_;
};
