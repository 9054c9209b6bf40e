#include "billboard/billboard.h"

#include <algorithm>

#include "layout/program_windows.h"
#include "billboard/scroll_text.h"
#include "delivery/text_delivery.h"
#include "win/timed_wait.h"

namespace {

const char kIdle[] = "开始滚动";
const char kRunning[] = "停止滚动";

// Read before every wait: the user may change a period while the loop runs.
int ScrollerPeriod() { return ReadPeriodMs(M<MainCtl::编辑框3>().Text()); }
int BillboardPeriod() { return ReadPeriodMs(M<MainCtl::编辑框5>().Text()); }

// A click on a start/stop button: stops a running loop (and answers false), or marks
// the loop as running (and answers true) for the caller to run it.
bool Started(const Button& button) {
  if (button.Text() != kIdle) {
    button.SetText(kIdle);
    RestoreNickname();
    return false;
  }
  button.SetText(kRunning);
  return true;
}

}  // namespace

void RotateScrollText() {
  const auto box = M<MainCtl::编辑框2>();
  box.SetText(RotatedScrollText(box.Text()));
}

void ToggleScroller(const StepWait& wait) {
  const auto button = M<MainCtl::按钮1>();
  if (!Started(button)) return;
  // A closed main window reads as an empty caption, which ends the loop here too.
  while (button.Text() == kRunning) {
    RotateScrollText();
    DeliverText(M<MainCtl::编辑框2>().Text(), 0);
    wait(ScrollerPeriod());
  }
}

void ToggleBillboard(const StepWait& wait) {
  const auto button = M<MainCtl::按钮5>();
  if (!Started(button)) return;
  const auto list = M<MainCtl::超级列表框1>();
  while (button.Text() == kRunning) {
    // Rows added during the pass wait for the next one; a row deleted meanwhile reads as
    // an empty text when its turn comes.
    const int count = list.RowCount();
    if (count == 0) wait(std::max(BillboardPeriod(), EMPTY_PASS_MIN_WAIT_MS));
    for (int row = 0; row < count; ++row) {
      // The pass goes on after a stop, but not after the window closed: the target handle
      // would then read as none, and the rows would go to the desktop.
      if (!ui::WindowExists(WindowKind::Main)) return;
      DeliverText(list.Cell(row, 0), 0);
      wait(BillboardPeriod());
    }
  }
}

void OnScrollerButton() { ToggleScroller(TimedWait); }

void OnBillboardButton() { ToggleBillboard(TimedWait); }

void OnAddBillboardLine() { M<MainCtl::超级列表框1>().InsertRow(M<MainCtl::编辑框4>().Text(), 0); }

void OnDeleteBillboardLine() {
  const auto list = M<MainCtl::超级列表框1>();
  const int row = list.SelectedRow();
  if (row >= 0) list.DeleteRow(row);
}
