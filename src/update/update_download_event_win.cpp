// The event handler of the update's download task.
#include "update/self_update.h"

int32_t SelfUpdate::OnDownloadEvent(int32_t event, DownloadTask* task, int32_t value) {
  switch (event) {
    case kEventTotalSize:
      totalBytes_ = static_cast<double>(value);
      break;
    case kEventEnded:
      // The downloader says how the task ended; a file that merely stands under the
      // name proves nothing. RestartIntoNewProgram returns only when it could not start
      // the new program.
      if (task && task->complete) RestartIntoNewProgram(task->savePath);
      ReportFailed();
      break;
    default:
      break;  // kEventFileExists: 0 lets the downloader pick a new name
  }
  return 0;
}
