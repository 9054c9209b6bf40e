// Waiting for the end of a download task: the task's handler is a plain function, so it
// finds the waiting test through a global. One at a time.
#pragma once

#include <windows.h>

#include <cstdint>

#include "online/downloader.h"
#include "win/owners.h"

class DownloadEnded {
 public:
  DownloadEnded() : event_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) { current_ = event_.Get(); }
  ~DownloadEnded() { current_ = nullptr; }
  DownloadEnded(const DownloadEnded&) = delete;
  DownloadEnded& operator=(const DownloadEnded&) = delete;

  // The task's event handler.
  static int32_t Handler(int32_t event, DownloadTask*, int32_t, int32_t, DownloadTask*) {
    if (event == kEventEnded && current_) SetEvent(current_);
    return 0;
  }
  bool Wait(DWORD ms) const { return WaitForSingleObject(event_.Get(), ms) == WAIT_OBJECT_0; }

 private:
  static inline HANDLE current_ = nullptr;
  UniqueHandle event_;
};
