#include "delivery/playback.h"
#include "win/program.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <utility>

#include "layout/program_windows.h"
#include "delivery/playback_wait.h"
#include "delivery/target_window.h"
#include "delivery/text_delivery.h"
#include "lyrics/lyric_loader_win.h"
#include "lyrics/lyric_state.h"
#include "lyrics/lyric_table.h"

int32_t lyricCursor = 0;
PlaybackSchedule playbackSchedule = PlaybackSchedule::Anchored;

namespace {

const char kIdle[] = "播 放";
const char kPlaying[] = "停 止";

// The run's own state; lyricCursor and the play button's caption hold the rest.
struct RunState {
  // Where the running schedule is anchored: the clock reading at which the time stamp
  // anchorStampMs was (or is taken to be) reached.
  int64_t anchorTick = 0;
  int32_t anchorStampMs = 0;
  // Where the song's start lay when the run was last anchored by a start, resume or
  // jump: the nudges since have moved the anchor away from it.
  int64_t songStartTick = 0;
  int32_t shownShiftMs = 0;  // the shift the title bar shows; 0: the plain title
  // Bumped by every outside change of the run (stop, halt, jump, start), so that a tick
  // whose delivery let such a change run in the middle of it ends quietly.
  uint32_t generation = 0;
  // Set while a tick writes a line: the delivery dispatches messages, and a timer tick
  // that arrives then, with the run unchanged, would write the same line again.
  bool writingLine = false;
  uint32_t writingGeneration = 0;
  // Set when the target did not answer as the line at lyricCursor fell due: the timer
  // then tries again every kRetryMs, with the line that is current by then.
  bool retrying = false;
};

// How often a line that a hung target did not take is tried again.
constexpr int32_t kRetryMs = 250;
RunState run;

auto PlayButton() { return M<MainCtl::超级按钮4>(); }
auto LineTimer() { return M<MainCtl::时钟_歌词播放>(); }

int64_t NowMs() {
  static const int64_t frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<int64_t>(f.QuadPart);
  }();
  LARGE_INTEGER c;
  QueryPerformanceCounter(&c);
  return static_cast<int64_t>(c.QuadPart) * 1000 / frequency;
}

// When line is due, on the song's clock: its time stamp shifted by the file's offset.
int32_t StampOf(int32_t line) { return currentTimeline.DueMs(static_cast<size_t>(line) - 1); }

// The title bar shows the shift while lyrics play, and the plain title otherwise; it is
// touched only when what it shows changes.
void ShowShift() {
  const int32_t shift = IsPlaying() ? PlaybackShiftMs() : 0;
  if (shift == run.shownShiftMs) return;
  run.shownShiftMs = shift;
  const std::string title = kMainWindowLayout.title;
  ui::SetWindowTitle(WindowKind::Main, shift == 0 ? title : "[" + ShiftCaption(shift) + "] " + title);
}

void Anchor(int32_t stampMs) {
  run.anchorTick = NowMs();
  run.anchorStampMs = stampMs;
  run.songStartTick = run.anchorTick - stampMs;
  ShowShift();
}

// A fresh count from now to when the line with time stamp dueStamp is due: a timer left
// running with the same period would fire on its old cadence instead.
void ScheduleAnchored(int32_t dueStamp) {
  const auto timer = LineTimer();
  timer.SetTimerPeriod(0);
  timer.SetTimerPeriod(AnchoredWaitMs(run.anchorTick, run.anchorStampMs, dueStamp, NowMs()));
}

// Sets the timer to fire when the line with time stamp dueStamp is due; lastStamp is the
// time stamp of the line just written (or the anchor) for the chained schedule.
void ScheduleLine(int32_t dueStamp, int32_t lastStamp) {
  if (playbackSchedule == PlaybackSchedule::Chained) {
    LineTimer().SetTimerPeriod(std::max(dueStamp - lastStamp, 1));
    return;
  }
  ScheduleAnchored(dueStamp);
}

void EndPlayback() {
  lyricCursor = 0;
  LineTimer().SetTimerPeriod(0);
  PlayButton().SetText(kIdle);
  ShowShift();
  RestoreNickname();
}

// Writes row's text into the target; false when an outside change took over the run
// while the delivery dispatched messages. delivered tells whether the target took it.
bool WriteLine(int row, int32_t expectedCursor, bool* delivered = nullptr) {
  lyric_table::Select(row);
  const uint32_t generation = run.generation;
  const int32_t count = currentTimeline.count;
  const bool wasWriting = std::exchange(run.writingLine, true);
  run.writingGeneration = generation;
  const bool took = DeliverText(lyric_table::Text(row), 1);
  if (delivered) *delivered = took;
  run.writingLine = wasWriting;
  return generation == run.generation && lyricCursor == expectedCursor && currentTimeline.count == count;
}

// The last line from k on that is due by now on the anchored schedule: after a hang the
// target gets the line of the moment, not the ones it missed.
int32_t CurrentLineFrom(int32_t k, int32_t count) {
  if (playbackSchedule != PlaybackSchedule::Anchored) return k;
  const int64_t songNow = run.anchorStampMs + (NowMs() - run.anchorTick);
  while (k < count && StampOf(k + 1) <= songNow) ++k;
  return k;
}

// Tries line k again after kRetryMs, or when the next line is due if that comes sooner.
void ScheduleRetry(int32_t k, int32_t count) {
  int32_t wait = kRetryMs;
  if (k < count && playbackSchedule == PlaybackSchedule::Anchored)
    wait = std::min(wait, AnchoredWaitMs(run.anchorTick, run.anchorStampMs, StampOf(k + 1), NowMs()));
  const auto timer = LineTimer();
  timer.SetTimerPeriod(0);
  timer.SetTimerPeriod(std::max(wait, 1));
}

// The line a nudge moves: the next to write, or, while a tick writes that one, the line
// after it; 0 when none is pending or the run follows no anchor.
int32_t NudgedLine() {
  if (playbackSchedule != PlaybackSchedule::Anchored || !IsPlaying() || lyricCursor < 1 ||
      LineTimer().TimerPeriod() <= 0)
    return 0;
  const bool writing = run.writingLine && run.writingGeneration == run.generation;
  const int32_t line = writing ? lyricCursor + 1 : lyricCursor;
  return line <= currentTimeline.count ? line : 0;
}

}  // namespace

bool IsPlaying() { return PlayButton().Text() != kIdle; }

void OnPlayButton() {
  if (!TargetWindowChosen()) {
    ui::ShowMessageBox("请选取要发送的程序位置！", "没有目标", MB_ICONINFORMATION | MB_OK);
    return;
  }
  const auto button = PlayButton();
  ++run.generation;
  if (!IsPlaying()) {
    if (currentTimeline.count == 0) {
      ui::ShowMessageBox("请先选择歌词LRC！", "没有歌词", MB_ICONINFORMATION | MB_OK);
      return;
    }
    PlaybackTick();
    button.SetText(kPlaying);
  } else {
    button.SetText(kIdle);
    LineTimer().SetTimerPeriod(0);
    lyricCursor = 0;
    ShowShift();
  }
}

void PlaybackTick() {
  if (run.writingLine && run.writingGeneration == run.generation) return;
  const int32_t count = currentTimeline.count;

  if (lyricCursor == 0) {
    if (count == 0) return;
    lyricCursor = 1;
    run.retrying = false;
    Anchor(0);
    // The first line's own time stamp decides whether it stands for the song's start.
    if (currentTimeline.timesMs[0] != 0) {
      ScheduleLine(StampOf(1), 0);
    } else if (count == 1) {
      // The only line is due at once: write it and the song is over.
      if (WriteLine(0, 1)) EndPlayback();
    } else {
      // A first line at 0 stands for the song's start: shown, never written.
      lyric_table::Select(0);
      ScheduleLine(StampOf(2), 0);
      lyricCursor = 2;
    }
    lyric_table::ShowSelected();
    return;
  }

  if (lyricCursor > count) {  // the lyric changed under the cursor: nothing left to write
    EndPlayback();
    return;
  }
  // A line written outside the run's schedule (resumed, jumped) anchors it anew.
  const bool onSchedule = LineTimer().TimerPeriod() > 0;
  if (!onSchedule) {
    run.retrying = false;
    Anchor(StampOf(lyricCursor));
  }
  if (run.retrying) lyricCursor = CurrentLineFrom(lyricCursor, count);
  const int32_t k = lyricCursor;

  bool delivered = true;
  if (!WriteLine(k - 1, k, &delivered)) {
    // A stop, halt, jump or new lyric ran during the delivery and owns the run now.
    lyric_table::ShowSelected();
    return;
  }
  run.retrying = !delivered;
  if (!delivered) {
    ScheduleRetry(k, count);
    lyric_table::ShowSelected();
    return;
  }
  if (k == count) {
    EndPlayback();
  } else {
    lyricCursor = k + 1;
    ScheduleLine(StampOf(k + 1), StampOf(k));
  }
  lyric_table::ShowSelected();
}

void OnLyricRowDoubleClick() {
  if (!IsPlaying()) return;
  ++run.generation;
  lyricCursor = lyric_table::LineAt(lyric_table::SelectedRow());
  LineTimer().SetTimerPeriod(0);  // the jumped-to line re-anchors the run
  PlaybackTick();
}

void HaltPlayback() {
  ++run.generation;
  LineTimer().SetTimerPeriod(0);
  PlayButton().SetText(kIdle);
  ShowShift();
  RestoreNickname();
}

int32_t PlaybackShiftMs() {
  return static_cast<int32_t>(run.songStartTick - (run.anchorTick - run.anchorStampMs));
}

void ShiftPendingLines(int32_t earlierMs) {
  const int32_t line = NudgedLine();
  if (line == 0) return;
  const int64_t due = run.anchorTick + (StampOf(line) - run.anchorStampMs);
  run.anchorTick -= BoundedShiftMs(earlierMs, due, NowMs());
  // A tick that is writing the line before schedules this one itself, from the moved anchor.
  if (line == lyricCursor) ScheduleAnchored(StampOf(line));
  ShowShift();
}

void WritePendingLineNow() {
  const int32_t line = NudgedLine();
  if (line == 0) return;
  ShiftPendingLines(INT32_MAX);  // due now: the lines after it keep their spacing from it
  if (line == lyricCursor) PlaybackTick();
}

void OnLyricFileChosen() {
  ui::ProcessPendingMessages();
  if (IsPlaying()) {
    HaltPlayback();
    return;
  }
  lyricCursor = 0;
  LoadChosenLyricFile();
}
