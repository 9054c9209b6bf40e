#include "delivery/playback.h"
#include "win/program.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "layout/program_windows.h"
#include "delivery/lyric_moment.h"
#include "delivery/playback_wait.h"
#include "delivery/text_delivery.h"
#include "lyrics/lyric_loader_win.h"
#include "lyrics/lyric_table.h"

namespace {

const char kIdle[] = "播 放";
const char kPlaying[] = "停 止";

// How often a line that a hung target did not take is tried again.
constexpr int32_t kRetryMs = 250;

auto PlayButton() { return M<MainCtl::超级按钮4>(); }
auto LineTimer() { return M<MainCtl::时钟_歌词播放>(); }

}  // namespace

int64_t PlaybackNowMs() {
  static const int64_t frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<int64_t>(f.QuadPart);
  }();
  LARGE_INTEGER c;
  QueryPerformanceCounter(&c);
  return static_cast<int64_t>(c.QuadPart) * 1000 / frequency;
}

Playback::Playback(std::string creditText) : creditText_(std::move(creditText)) {}

// The caption follows the run: playing and retrying read "停 止".
void Playback::SetRun(Run run) {
  if (run_ == Run::Idle && run != Run::Idle) watch_.Start([this] { return Playing() && !EndIfTargetGone(); });
  run_ = run;
  PlayButton().SetText(run == Run::Idle ? kIdle : kPlaying);
}

// When line is due, on the song's clock: its time stamp shifted by the file's offset.
int32_t Playback::StampOf(int32_t line) const { return timeline_.DueMs(static_cast<size_t>(line) - 1); }

// The title bar shows the shift while lyrics play, and the plain title otherwise; it is
// touched only when what it shows changes.
// While following, what following waits for comes before the shift.
void Playback::ShowShift() {
  std::string notice;
  if (Following() && !followNotice_.empty()) {
    notice = followNotice_;
  } else if (Playing() && ShiftMs() != 0) {
    notice = ShiftCaption(ShiftMs());
  }
  if (notice == shownTitle_) return;
  shownTitle_ = notice;
  const std::string title(ui::LayoutTitle(WindowKind::Main));
  ui::SetWindowTitle(WindowKind::Main, notice.empty() ? title : "[" + notice + "] " + title);
}

void Playback::ShowTitleAgain() {
  shownTitle_ = "\n";  // no notice reads so: the title is set afresh
  ShowShift();
}

void Playback::Anchor(int32_t stampMs) {
  anchorTick_ = PlaybackNowMs();
  anchorStampMs_ = stampMs;
  songStartTick_ = anchorTick_ - stampMs;
  ShowShift();
}

// A fresh count from now to when the line with time stamp dueStamp is due: a timer left
// running with the same period would fire on its old cadence instead.
void Playback::ScheduleAnchored(int32_t dueStamp) {
  const auto timer = LineTimer();
  timer.SetTimerPeriod(0);
  timer.SetTimerPeriod(AnchoredWaitMs(anchorTick_, anchorStampMs_, dueStamp, PlaybackNowMs()));
}

// Sets the timer to fire when the line with time stamp dueStamp is due; lastStamp is the
// time stamp of the line just written (or the anchor) for the chained schedule.
void Playback::ScheduleLine(int32_t dueStamp, int32_t lastStamp) {
  if (schedule_ == PlaybackSchedule::Chained) {
    LineTimer().SetTimerPeriod(std::max(dueStamp - lastStamp, 1));
    return;
  }
  ScheduleAnchored(dueStamp);
}

void Playback::Stop(Ending ending) {
  LineTimer().SetTimerPeriod(0);
  if (ending != Ending::Halted) cursor_ = 0;
  SetRun(Run::Idle);
  ShowShift();
  if (ending == Ending::Halted || ending == Ending::Finished) RestoreNickname(target_);
}

// A run whose window has gone ends, whatever it was doing: it would write into nothing.
bool Playback::EndIfTargetGone() {
  if (run_ == Run::Idle || !TargetVanished(target_)) return false;
  if (Following()) {
    wroteLine_ = false;  // nothing stands in a field that has gone
    StopFollowing();
  } else {
    Stop(Ending::TargetGone);
  }
  return true;
}

// After the last line: with 选择框1 ticked it stands for the lyric's hold time and the
// timer's tick ends the run; false (nothing held) when no nickname is to come back.
bool Playback::HoldLastLine() {
  if (!M<MainCtl::选择框1>().Checked()) return false;
  std::vector<int32_t> due;
  for (int32_t line = 1; line <= timeline_.count; ++line) due.push_back(StampOf(line));
  cursor_ = timeline_.count + 1;  // no line pending: the nudges have nothing to move
  run_ = Run::Holding;
  const auto timer = LineTimer();
  timer.SetTimerPeriod(0);
  timer.SetTimerPeriod(LastLineHoldMs(due));
  return true;
}

// Selects line's row and writes its text, with those of the lines due at the same
// moment, into the target; false when the target did not answer and took nothing.
bool Playback::WriteLine(int32_t line) {
  lyric_table::Select(line - 1);
  return DeliverText(target_, TextOfMoment(timeline_, line, LastOfMoment(timeline_, line)), 1);
}

// The last line from k on that is due by now on the anchored schedule: after a hang the
// target gets the line of the moment, not the ones it missed.
int32_t Playback::CurrentLineFrom(int32_t k, int32_t count) const {
  if (schedule_ != PlaybackSchedule::Anchored) return k;
  const int64_t songNow = anchorStampMs_ + (PlaybackNowMs() - anchorTick_);
  while (k < count && StampOf(k + 1) <= songNow) ++k;
  return k;
}

// Tries line k again after kRetryMs, or when the next line is due if that comes sooner.
void Playback::ScheduleRetry(int32_t k, int32_t count) {
  int32_t wait = kRetryMs;
  if (k < count && schedule_ == PlaybackSchedule::Anchored)
    wait = std::min(wait, AnchoredWaitMs(anchorTick_, anchorStampMs_, StampOf(k + 1), PlaybackNowMs()));
  const auto timer = LineTimer();
  timer.SetTimerPeriod(0);
  timer.SetTimerPeriod(std::max(wait, 1));
}

// The line a nudge moves: the next to write; 0 when none is pending or the run follows
// no anchor.
int32_t Playback::NudgedLine() const {
  if (schedule_ != PlaybackSchedule::Anchored || !Playing() || cursor_ < 1) return 0;
  return cursor_ <= timeline_.count ? cursor_ : 0;
}

Playback::Refusal Playback::StartRefusal() const {
  if (!target_.Present()) return {kNoTargetText, kNoTargetCaption};
  if (M<MainCtl::选择框2>().Checked()) return {};  // the lyric comes with the player's track
  if (timeline_.count == 0) return {"请先选择歌词LRC！", "没有歌词"};
  return {};
}

void Playback::OnPlayButton() {
  if (!Playing()) {
    if (const Refusal refusal = StartRefusal(); refusal.text) {
      ui::ShowMessageBox(refusal.text, refusal.caption, MB_ICONINFORMATION | MB_OK);
      return;
    }
    if (M<MainCtl::选择框2>().Checked()) {
      StartFollowing();
      return;
    }
    SetRun(Run::Playing);
    Step(From::Resume);
    // Playing even when that first step wrote the only line left: the next press stops.
    if (run_ == Run::Idle) SetRun(Run::Playing);
  } else if (Following()) {
    StopFollowing();
  } else if (run_ == Run::Holding) {
    Stop(Ending::Finished);  // the singer's stop: the nickname back at once
  } else {
    Stop(Ending::ByButton);
  }
}

void Playback::OnTimer() {
  if (EndIfTargetGone()) return;
  if (run_ == Run::Holding) {
    Stop(Ending::Finished);
    return;
  }
  if (Following()) {
    FollowStep();
    return;
  }
  Step(From::Schedule);
}

void Playback::Step(From from) {
  const int32_t count = timeline_.count;
  if (cursor_ == 0) from = From::Resume;  // the lyric from its start
  // A step outside the run's schedule tries its line afresh, and anchors the run anew.
  if (from == From::Resume && run_ == Run::Retrying) run_ = Run::Playing;

  if (cursor_ == 0) {
    if (count == 0) return;
    cursor_ = 1;
    Anchor(0);
    // A line due at the song's start (or already past) is written at once, below.
    if (StampOf(1) > 0) {
      ScheduleLine(StampOf(1), 0);
      lyric_table::ShowSelected();
      return;
    }
  }

  if (cursor_ > count) {  // the lyric changed under the cursor: nothing left to write
    Stop(Ending::Finished);
    return;
  }
  if (from == From::Resume) Anchor(StampOf(cursor_));
  if (run_ == Run::Retrying) {
    const int32_t missed = cursor_;
    cursor_ = CurrentLineFrom(cursor_, count);
    while (cursor_ > missed && StampOf(cursor_ - 1) == StampOf(cursor_)) --cursor_;  // the moment's first line
  }
  const int32_t k = cursor_;
  const int32_t last = LastOfMoment(timeline_, k);

  const bool written = WriteLine(k);
  if (run_ != Run::Idle) run_ = written ? Run::Playing : Run::Retrying;
  if (!written) {
    ScheduleRetry(k, count);
  } else if (last == count) {
    if (!HoldLastLine()) Stop(Ending::Finished);
  } else {
    cursor_ = last + 1;
    ScheduleLine(StampOf(last + 1), StampOf(last));
  }
  lyric_table::ShowSelected();
}

void Playback::OnLyricRowDoubleClick(const UiEventData& clicked) {
  if (!Playing() || Following()) return;  // a followed lyric keeps to the player
  cursor_ = lyric_table::LineAt(clicked.row);
  LineTimer().SetTimerPeriod(0);  // the old line's count ends; the chained schedule counts afresh
  Step(From::Resume);             // the jumped-to line anchors the run anew
}

void Playback::OnMainWindowCreated() {
  run_ = Run::Idle;  // the new window's button reads idle, its timer is stopped
  shownTitle_.clear();
  followNotice_.clear();
}

void Playback::Halt() { Stop(run_ == Run::Holding ? Ending::Finished : Ending::Halted); }

// Through the timer rather than at once: the pick may end with the main window going.
void Playback::OnPickEnded() {
  if (run_ != Run::Retrying && !(Following() && followLineHeld_)) return;
  if (Following()) followRetryMs_ = 0;
  LineTimer().SetTimerPeriod(0);
  LineTimer().SetTimerPeriod(1);
}

int32_t Playback::ShiftMs() const {
  if (Following()) return follower_.ShiftMs();
  return static_cast<int32_t>(songStartTick_ - (anchorTick_ - anchorStampMs_));
}

void Playback::ShiftPendingLines(int32_t earlierMs) {
  if (Following()) {
    follower_.Shift(earlierMs);
    FollowLines();
    return;
  }
  const int32_t line = NudgedLine();
  if (line == 0) return;
  const int64_t due = anchorTick_ + (StampOf(line) - anchorStampMs_);
  anchorTick_ -= BoundedShiftMs(earlierMs, due, PlaybackNowMs());
  ScheduleAnchored(StampOf(line));
  ShowShift();
}

void Playback::WritePendingLineNow() {
  if (Following()) {
    WriteFollowedLine(follower_.NextLineNow(PlaybackNowMs()));
    FollowLines();
    return;
  }
  if (NudgedLine() == 0) return;
  ShiftPendingLines(INT32_MAX);  // due now: the lines after it keep their spacing from it
  Step(From::Schedule);
}

void Playback::OnLyricFileChosen(const UiEventData& chosen) {
  if (Following()) {  // the singer's own choice for the track that plays
    FollowLyricFile(chosen.text);
    FollowLines();
    return;
  }
  if (Playing()) {
    Halt();
    return;
  }
  cursor_ = 0;
  LoadLyricFile(chosen.text, timeline_, creditText_);
}
