// The event handler of the update's download task.
#include "update/self_update.h"

std::atomic<double> downloadTotalBytes{0};

int32_t OnDownloadEvent(int32_t event, DownloadTask* task, int32_t value, int32_t, DownloadTask*) {
  switch (event) {
    case kEventTotalSize:
      downloadTotalBytes = static_cast<double>(value);
      break;
    case kEventEnded:
      // The downloader says how the task ended; a file that merely stands under the
      // name proves nothing. RestartIntoNewProgram returns only when it could not start
      // the new program.
      if (task && task->complete) RestartIntoNewProgram(task->savePath);
      ReportFailedUpdate();
      break;
    default:
      break;  // kEventFileExists: 0 lets the downloader pick a new name
  }
  return 0;
}
