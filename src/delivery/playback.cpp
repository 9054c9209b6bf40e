#include "delivery/playback.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <utility>

#include "layout/program_windows.h"
#include "delivery/text_delivery.h"
#include "lyrics/lyric_state.h"
#include "win/program.h"

int32_t lyricCursor = 0;
PlaybackSchedule playbackSchedule = PlaybackSchedule::Anchored;

namespace {

const char kIdle[] = "播 放";
const char kPlaying[] = "停 止";

// Where the running schedule is anchored: the clock reading at which the time stamp
// anchorStampMs was (or is taken to be) reached.
int64_t anchorTick = 0;
int32_t anchorStampMs = 0;

// Bumped by every outside change of the run (stop, halt, jump, start), so that a tick
// whose delivery let such a change run in the middle of it ends quietly.
uint32_t runGeneration = 0;
// Set while a tick writes a line: the delivery dispatches messages, and a timer tick
// that arrives then, with the run unchanged, would write the same line again.
bool writingLine = false;
uint32_t writingGeneration = 0;

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

void Anchor(int32_t stampMs) {
  anchorTick = NowMs();
  anchorStampMs = stampMs;
}

// Sets the timer to fire when the line with time stamp dueStamp is due; lastStamp is the
// time stamp of the line just written (or the anchor) for the chained schedule.
void ScheduleLine(int32_t dueStamp, int32_t lastStamp) {
  const auto timer = M<MainCtl::时钟_歌词播放>();
  if (playbackSchedule == PlaybackSchedule::Chained) {
    timer.SetTimerPeriod(std::max(dueStamp - lastStamp, 1));
    return;
  }
  // A fresh count from now: a timer left running with the same period would fire on its
  // old cadence instead.
  timer.SetTimerPeriod(0);
  timer.SetTimerPeriod(AnchoredWaitMs(anchorTick, anchorStampMs, dueStamp, NowMs()));
}

void EndPlayback() {
  lyricCursor = 0;
  M<MainCtl::时钟_歌词播放>().SetTimerPeriod(0);
  M<MainCtl::超级按钮4>().SetText(kIdle);
  RestoreNickname();
}

// Writes row's text into the target; false when an outside change took over the run
// while the delivery dispatched messages.
bool WriteLine(int row, int32_t expectedCursor) {
  const auto table = M<MainCtl::超级列表框_歌词>();
  table.SetSelectedRow(row);
  const uint32_t generation = runGeneration;
  const int32_t count = currentTimeline.count;
  const bool wasWriting = std::exchange(writingLine, true);
  writingGeneration = generation;
  DeliverText(table.Cell(row, 1), 1);
  writingLine = wasWriting;
  return generation == runGeneration && lyricCursor == expectedCursor && currentTimeline.count == count;
}

void ShowSelectedRow() {
  const auto table = M<MainCtl::超级列表框_歌词>();
  table.EnsureVisible(table.SelectedRow());
}

}  // namespace

int32_t AnchoredWaitMs(int64_t anchorTick, int32_t anchorStampMs, int32_t dueStampMs, int64_t nowTick) {
  const int64_t due = anchorTick + (static_cast<int64_t>(dueStampMs) - anchorStampMs);
  return static_cast<int32_t>(std::clamp<int64_t>(due - nowTick, 1, INT32_MAX));
}

void OnPlayButton() {
  if (M<MainCtl::编辑框_窗口句柄>().Text().empty()) {
    ui::ShowMessageBox("请选取要发送的程序位置！", "没有目标", MB_ICONINFORMATION | MB_OK);
    return;
  }
  const auto button = M<MainCtl::超级按钮4>();
  ++runGeneration;
  if (button.Text() == kIdle) {
    if (currentTimeline.count == 0) {
      ui::ShowMessageBox("请先选择歌词LRC！", "没有歌词", MB_ICONINFORMATION | MB_OK);
      return;
    }
    PlaybackTick();
    button.SetText(kPlaying);
  } else {
    button.SetText(kIdle);
    M<MainCtl::时钟_歌词播放>().SetTimerPeriod(0);
    lyricCursor = 0;
  }
}

void PlaybackTick() {
  if (writingLine && writingGeneration == runGeneration) return;
  const auto table = M<MainCtl::超级列表框_歌词>();
  const int32_t count = currentTimeline.count;

  if (lyricCursor == 0) {
    if (count == 0) return;
    lyricCursor = 1;
    Anchor(0);
    // The first line's own time stamp decides whether it stands for the song's start.
    if (currentTimeline.timesMs[0] != 0) {
      ScheduleLine(StampOf(1), 0);
    } else if (count == 1) {
      // The only line is due at once: write it and the song is over.
      if (WriteLine(0, 1)) EndPlayback();
    } else {
      // A first line at 0 stands for the song's start: shown, never written.
      table.SetSelectedRow(0);
      ScheduleLine(StampOf(2), 0);
      lyricCursor = 2;
    }
    ShowSelectedRow();
    return;
  }

  const int32_t k = lyricCursor;
  if (k > count) {  // the lyric changed under the cursor: nothing left to write
    EndPlayback();
    return;
  }
  // A line written outside the run's schedule (resumed, jumped) anchors it anew.
  const bool onSchedule = M<MainCtl::时钟_歌词播放>().TimerPeriod() > 0;
  if (!onSchedule) Anchor(StampOf(k));

  if (!WriteLine(k - 1, k)) {
    // A stop, halt, jump or new lyric ran during the delivery and owns the run now.
    ShowSelectedRow();
    return;
  }
  if (k == count) {
    EndPlayback();
  } else {
    lyricCursor = k + 1;
    ScheduleLine(StampOf(k + 1), StampOf(k));
  }
  ShowSelectedRow();
}

void OnLyricRowDoubleClick() {
  if (M<MainCtl::超级按钮4>().Text() != kPlaying) return;
  const auto table = M<MainCtl::超级列表框_歌词>();
  ++runGeneration;
  lyricCursor = static_cast<int32_t>(table.RowData(table.SelectedRow()));
  M<MainCtl::时钟_歌词播放>().SetTimerPeriod(0);  // the jumped-to line re-anchors the run
  PlaybackTick();
}

void HaltPlayback() {
  ++runGeneration;
  M<MainCtl::时钟_歌词播放>().SetTimerPeriod(0);
  M<MainCtl::超级按钮4>().SetText(kIdle);
  RestoreNickname();
}
