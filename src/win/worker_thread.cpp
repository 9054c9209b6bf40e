#include "win/worker_thread.h"

#include <windows.h>
#include <process.h>

#include <memory>

namespace {

unsigned __stdcall RunWork(void* arg) {
  const std::unique_ptr<std::function<void()>> work(static_cast<std::function<void()>*>(arg));
  try {
    (*work)();
  } catch (...) {
    // Out of memory, most likely: the thread ends, the program goes on.
  }
  return 0;
}

}  // namespace

UniqueHandle StartOwnedThread(std::function<void()> work) {
  std::unique_ptr<std::function<void()>> owned;
  try {
    owned = std::make_unique<std::function<void()>>(std::move(work));
  } catch (...) {
    return UniqueHandle();
  }
  const uintptr_t thread = _beginthreadex(nullptr, 0, RunWork, owned.get(), 0, nullptr);
  if (!thread) return UniqueHandle();
  owned.release();  // the thread's now
  return UniqueHandle(reinterpret_cast<HANDLE>(thread));
}

bool StartWorkerThread(std::function<void()> work) {
  return static_cast<bool>(StartOwnedThread(std::move(work)));  // it runs on unwatched
}
