// The update window's progress display.
#include "update/update_progress_win.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "layout/program_windows.h"

namespace {

const char kUpdateFailedText[] = "更新失败,请稍后再试或到官网下载新版本";

}  // namespace

void ShowProgress(Downloader& downloader, double total, ElapsedClock& elapsed) {
  namespace label = progress_label;
  // Until the size is announced the percentage and the remaining time keep their text.
  if (const auto percent = label::RoundedPercent(downloader.DoneBytes(), total)) {
    U<UpdateCtl::下载进度>().SetText(label::Percent(*percent));
    U<UpdateCtl::进度条>().SetPercent(*percent);
  }
  U<UpdateCtl::下载速度>().SetText(label::Speed(downloader.TakeTaskBytes()));
  U<UpdateCtl::已经下载>().SetText(label::Done(downloader.DoneBytes(), total));
  elapsed.Advance();
  U<UpdateCtl::已用时间>().SetText(label::Elapsed(elapsed));
  const int64_t done = downloader.DoneBytes();
  if (const auto remaining = label::Remaining(total, done, downloader.TakeAllBytes()))
    U<UpdateCtl::剩余时间>().SetText(*remaining);
}

void StopProgressTimer() { U<UpdateCtl::时钟>().SetTimerPeriod(0); }

void ShowUpdateFailed() {
  StopProgressTimer();
  U<UpdateCtl::下载进度>().SetText(kUpdateFailedText);
}
