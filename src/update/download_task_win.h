// The state the threads of one download task share: its settings, its progress
// counters, its file, its slices and the requests in flight. Used by the downloader
// (downloader_win.cpp) and its transfers (download_transfer_win.cpp) only.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "win/internet_session.h"
#include "win/owners.h"
#include "update/downloader.h"
#include "text/http_url.h"

// The 32-bit value of a byte count handed to events and queries.
inline int32_t Saturated(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, 0, std::numeric_limits<int32_t>::max()));
}

struct Downloader::Totals {
  std::atomic<int64_t> sinceTake{0};
};

// One slice of the file (a byte range) and how far it has arrived.
struct Slice {
  int64_t begin = 0;
  int64_t end = 0;  // exclusive; INT64_MAX while the size is unknown
  std::atomic<int64_t> pos{0};
  std::atomic<bool> complete{false};
};

struct Downloader::Task {
  DownloadTask settings;  // the copy the events hand out
  HttpUrl url;
  InternetWaits waits;  // the settings' three time-outs
  std::shared_ptr<Totals> totals;

  std::atomic<bool> stopping{false};
  std::atomic<bool> failed{false};
  std::atomic<bool> ended{false};
  std::atomic<int64_t> done{0};
  std::atomic<int64_t> sinceTake{0};

  UniqueHandle coordinator;
  // Each thread writes its own id as it begins: a stop from the thread's own event
  // handler must not wait for that thread.
  std::atomic<DWORD> coordinatorId{0};
  std::atomic<DWORD> runnerId{0};
  // Tick of the last sign of life of any transfer: an answer's headers or body bytes.
  std::atomic<DWORD> lastActivity{GetTickCount()};
  // Whether the task is past its last network call (finishing) or was given up while
  // still in one (abandoned); whichever comes first holds. tempPath is written under it.
  std::mutex outcome;
  bool finishing = false;
  bool abandoned = false;
  bool runnerComplete = false;
  UniqueInternet session;
  UniqueHandle file;
  std::string tempPath;
  // The complete file, opened for reading without write or delete sharing from its
  // check until event 4 has been handled.
  UniqueHandle held;
  int64_t total = -1;  // the size the first answer announced (or the task was told)
  bool rangesHonoured = false;
  std::unique_ptr<Slice[]> slices;
  int sliceCount = 0;

  // Requests in flight, so that a stop can close them under the readers' feet. Takes
  // the request over unless the task is stopping (then it stays with the caller).
  bool Track(UniqueInternet& request) {
    std::lock_guard<std::mutex> hold(lock);
    if (stopping) return false;
    inFlight.push_back(std::move(request));
    return true;
  }
  // Closes a tracked request, unless a stop has closed it already.
  void Release(HINTERNET request) {
    UniqueInternet closing;  // before the lock: closed once the lock is let go
    std::lock_guard<std::mutex> hold(lock);
    const auto it = std::find_if(inFlight.begin(), inFlight.end(),
                                 [request](const UniqueInternet& r) { return r.Get() == request; });
    if (it == inFlight.end()) return;
    closing = std::move(*it);
    inFlight.erase(it);
  }
  void CloseAll() {
    std::vector<UniqueInternet> closing;  // closed once the lock is let go
    std::lock_guard<std::mutex> hold(lock);
    closing.swap(inFlight);
  }

  bool Cancelled() const { return stopping || failed; }

  // The task fails; the first failure it meets is the one it reports.
  void Fail(const Failure& why) {
    {
      std::lock_guard<std::mutex> hold(failureLock);
      if (!firstFailure) firstFailure = why;
    }
    failed = true;
  }
  void FailBySystem(const char* stage, DWORD error) { Fail(SystemFailure(stage, error)); }
  Failure FirstFailure() {
    std::lock_guard<std::mutex> hold(failureLock);
    return firstFailure.value_or(Failure{"transfer", FailureCause::System, 0});
  }

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

 private:
  std::mutex lock;
  std::vector<UniqueInternet> inFlight;
  std::mutex failureLock;
  std::optional<Failure> firstFailure;
};
