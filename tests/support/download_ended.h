// Waiting for the end of a download task: the task's handler finds the waiting test
// through a global. One at a time.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>

#include "update/downloader.h"
#include "text/encoding.h"
#include "win/owners.h"

// The downloader holds a complete file until the handler of the task's end has returned: waits
// (up to 2 s) until the file at path can be opened by others as ReadFileBytes opens it.
// The holder keeps delete access (it renamed the file through its handle), so a probe
// that shared delete access would get through while the file is still held.
inline void AwaitFileLetGo(const std::string& path) {
  const std::wstring wide = enc::Wide(path);
  for (int i = 0; i < 200; ++i) {
    UniqueHandle probe(CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_EXISTING, 0, nullptr));
    if (probe || GetLastError() != ERROR_SHARING_VIOLATION) return;
    Sleep(10);
  }
}

// A task as the tests start it: 5 s for each step of a request, the events given.
inline DownloadTask TestTask(const std::string& url, const std::string& savePath, int connections,
                             DownloadEvents events) {
  DownloadTask t;
  t.url = url;
  t.savePath = savePath;
  t.connections = connections;
  t.connectTimeoutMs = 5000;
  t.sendTimeoutMs = 5000;
  t.receiveTimeoutMs = 5000;
  t.events = std::move(events);
  return t;
}

class DownloadEnded {
 public:
  DownloadEnded() : event_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) { current_ = event_.Get(); }
  ~DownloadEnded() { current_ = nullptr; }
  DownloadEnded(const DownloadEnded&) = delete;
  DownloadEnded& operator=(const DownloadEnded&) = delete;

  // The task's events: its end only.
  static DownloadEvents Events() {
    DownloadEvents events;
    events.ended = [](const DownloadResult& result) {
      if (!current_) return;
      path_ = result.savedPath;
      SetEvent(current_);
    };
    return events;
  }
  // Waits for the task's end, and for the downloader to let go of the file.
  bool Wait(DWORD ms) const {
    if (WaitForSingleObject(event_.Get(), ms) != WAIT_OBJECT_0) return false;
    AwaitFileLetGo(path_);
    return true;
  }

 private:
  static inline HANDLE current_ = nullptr;
  static inline std::string path_;
  UniqueHandle event_;
};
