#include "billboard/billboard.h"

#include <algorithm>

#include "layout/program_windows.h"
#include "billboard/scroll_text.h"
#include "delivery/text_delivery.h"
#include "win/program.h"

namespace {

const char kIdle[] = "开始滚动";
const char kRunning[] = "停止滚动";

// Read before every wait: the user may change a period while a feature runs. Never
// below MIN_STEP_PERIOD_MS, so that the room sees at most five nicknames a second.
int ScrollerPeriod() { return StepPeriodMs(M<MainCtl::编辑框3>().Text()); }
int BillboardPeriod() { return StepPeriodMs(M<MainCtl::编辑框5>().Text()); }

// A fresh count from now: a timer left running with the same period would fire on its
// old cadence.
void SetWait(const Timer& timer, int ms) {
  timer.SetTimerPeriod(0);
  timer.SetTimerPeriod(std::max(ms, 1));
}

void ShowRunState(const Button& button, bool running) { button.SetText(running ? kRunning : kIdle); }

// A start with no window to write into says so, as the play button does, and starts
// nothing: no delivery goes anywhere else.
bool RefuseWithoutTarget(const TargetWindow& target) {
  if (target.Present()) return false;
  ui::ShowMessageBox(kNoTargetText, kNoTargetCaption, MB_ICONINFORMATION | MB_OK);
  return true;
}

}  // namespace

void Scroller::OnButton() {
  if (!running_ && RefuseWithoutTarget(target_)) return;
  running_ = !running_;
  ShowRunState(M<MainCtl::按钮1>(), running_);
  const auto box = M<MainCtl::编辑框2>();
  if (running_) {
    typed_ = box.Text();
    watch_.Start([this] { return running_ && !EndIfTargetGone(); });
    Step();
    return;
  }
  End();
  RestoreNickname(target_);
}

void Scroller::End() {
  running_ = false;
  ShowRunState(M<MainCtl::按钮1>(), false);
  M<MainCtl::时钟_单行滚动>().SetTimerPeriod(0);
  // The box showed the turns; the user's own sentence, spaces included, comes back.
  M<MainCtl::编辑框2>().SetText(typed_);
}

// A run whose window has gone ends, and its text comes back; no nickname goes anywhere.
bool Scroller::EndIfTargetGone() {
  if (!TargetVanished(target_)) return false;
  End();
  return true;
}

void Scroller::OnTimer() {
  M<MainCtl::时钟_单行滚动>().SetTimerPeriod(0);
  if (running_ && !EndIfTargetGone()) Step();
}

// A step that falls during a pick is skipped (the text stays as it is), so that the
// next one goes on from where the pick found it.
void Scroller::Step() {
  const auto box = M<MainCtl::编辑框2>();
  if (!target_.PickUnderWay()) {
    box.SetText(RotatedScrollText(box.Text()));
    DeliverText(target_, box.Text(), 0);
  }
  SetWait(M<MainCtl::时钟_单行滚动>(), ScrollerPeriod());
}

void Scroller::OnMainWindowCreated() { running_ = false; }

void Billboard::OnButton() {
  const bool start = run_ != Run::Running;
  if (start && RefuseWithoutTarget(target_)) return;
  ShowRunState(M<MainCtl::按钮5>(), start);
  if (start) {
    // A start during the end of a stopped pass begins afresh, as the first click did.
    run_ = Run::Running;
    watch_.Start([this] { return run_ != Run::Idle && !EndIfTargetGone(); });
    StartPass();
    Step();
    return;
  }
  run_ = nextRow_ < passRows_ ? Run::FinishingPass : Run::Idle;
  if (run_ == Run::Idle) M<MainCtl::时钟_广告牌>().SetTimerPeriod(0);
  RestoreNickname(target_);
}

void Billboard::OnTimer() {
  M<MainCtl::时钟_广告牌>().SetTimerPeriod(0);
  if (run_ == Run::Idle || EndIfTargetGone()) return;
  if (nextRow_ >= passRows_) {
    if (run_ == Run::FinishingPass) {
      run_ = Run::Idle;
      return;
    }
    StartPass();
  }
  Step();
}

// The rest of the pass too would go nowhere.
bool Billboard::EndIfTargetGone() {
  if (!TargetVanished(target_)) return false;
  run_ = Run::Idle;
  M<MainCtl::时钟_广告牌>().SetTimerPeriod(0);
  ShowRunState(M<MainCtl::按钮5>(), false);
  return true;
}

void Billboard::StartPass() {
  passRows_ = M<MainCtl::超级列表框1>().RowCount();
  nextRow_ = 0;
}

void Billboard::Step() {
  const auto timer = M<MainCtl::时钟_广告牌>();
  // A row that falls due during a pick waits for the next step: none is lost to it.
  if (passRows_ == 0 || target_.PickUnderWay()) {
    SetWait(timer, std::max(BillboardPeriod(), EMPTY_PASS_MIN_WAIT_MS));
    return;
  }
  DeliverText(target_, M<MainCtl::超级列表框1>().Cell(nextRow_++, 0), 0);
  SetWait(timer, BillboardPeriod());
}

void Billboard::OnAddLine() { M<MainCtl::超级列表框1>().InsertRow(M<MainCtl::编辑框4>().Text(), 0); }

void Billboard::OnDeleteLine() {
  const auto list = M<MainCtl::超级列表框1>();
  const int row = list.SelectedRow();
  if (row >= 0) list.DeleteRow(row);
}

void Billboard::OnMainWindowCreated() {
  run_ = Run::Idle;
  passRows_ = nextRow_ = 0;
}
