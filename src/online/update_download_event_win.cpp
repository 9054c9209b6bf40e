// The event handler of the update's download task.
#include <algorithm>
#include <limits>

#include "online/self_update.h"
#include "win/file_bytes.h"

std::atomic<double> downloadTotalBytes{0};

namespace {

// The downloader raises event 4 once the task's file is closed; the file carries its
// final name (task->savePath) only when every byte has arrived. Sizes beyond 2 GB reach
// the event as INT32_MAX.
bool ArrivedWhole(const DownloadTask* task, int32_t doneBytes) {
  if (!task || !FileExists(task->savePath)) return false;
  const double announced = std::min<double>(downloadTotalBytes, std::numeric_limits<int32_t>::max());
  return announced <= 0 || doneBytes >= announced;
}

}  // namespace

int32_t OnDownloadEvent(int32_t event, DownloadTask* task, int32_t value, int32_t, DownloadTask*) {
  switch (event) {
    case kEventTotalSize:
      downloadTotalBytes = static_cast<double>(value);
      break;
    case kEventEnded:
      // Neither returns: the process ends on this thread.
      if (ArrivedWhole(task, value)) RestartIntoNewProgram(task->savePath);
      RestartAfterFailedUpdate();
    default:
      break;  // kEventFileExists: 0 lets the downloader pick a new name
  }
  return 0;
}
