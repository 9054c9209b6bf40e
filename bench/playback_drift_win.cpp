// Drift of lyric playback, measured on the receiving side: a generated 60-second lyric
// with a line every 500 ms is played into the stand-in chat client, once with waits
// anchored to the run's start and once with each wait the plain gap between two time
// stamps. For each line the lateness of its commit in the stand-in's log against the
// line's due time is reported (median, 90th percentile, max, and at the first, middle
// and last lines), so growth along the song shows.
//
// A second pair of runs uses irregular gaps of the same average.
//
// A third anchored run of each lyric is nudged along the way by the hot keys (later,
// earlier, the next line now), delivered as the system delivers them; its lateness is
// measured against the schedule as the nudges moved it, overall and for the lines after
// the first nudge. A fourth run presses the same keys with Ctrl and Alt held for 150 ms
// after each press (the hot keys read the keys through the bench): each action waits for
// them to be let go, which is what the wait costs.
//
// Usage (under Wine, from the build folder): playback_drift_bench.exe [seconds]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/startup.h"
#include "now_ms.h"
#include "support/child_process.h"
#include "layout/program_windows.h"
#include "delivery/playback.h"
#include "win/file_bytes.h"
#include "win/form.h"
#include "win/program.h"

namespace {

// The feature objects measured: the bench's own, put together as the program does it
// and kept for the whole run.
Program& MeasuredProgram() {
  static Program program;
  return program;
}

std::string Folder() { return ui::ProgramFolder(); }

// Lines every 500 ms, or (irregular) with gaps cycling 400, 600, 300, 700, 500 ms, which
// average 500 ms as well but change the period from line to line.
std::string GeneratedLyric(int seconds, bool irregular) {
  static const int kGaps[] = {400, 600, 300, 700, 500};
  std::string lrc = "[ti:drift]\r\n";
  int i = 0;
  for (int ms = 500; ms <= seconds * 1000; ms += irregular ? kGaps[i++ % 5] : 500) {
    char line[64];
    std::snprintf(line, sizeof(line), "[%02d:%02d.%02d]line %d\r\n", ms / 60000, ms / 1000 % 60, ms % 1000 / 10,
                  ms / 500);
    lrc += line;
  }
  return lrc;
}

// The commit times of the stand-in's log, in order.
std::vector<int64_t> CommitTimes(const std::string& log) {
  std::vector<int64_t> times;
  size_t pos = 0;
  while (pos < log.size()) {
    const size_t end = log.find('\n', pos);
    const std::string line = log.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
    if (!line.empty()) times.push_back(std::strtoll(line.c_str(), nullptr, 10));
    if (end == std::string::npos) break;
    pos = end + 1;
  }
  return times;
}

struct Result {
  std::vector<int64_t> lateness;  // per line, ms
  size_t firstNudged = 0;         // index of the first line a nudge moved (0: none)
  std::string nudges;             // what the presses did
};

// A hot key pressed once line `after` has been written.
struct Nudge {
  int after;
  MainCtl key;
  const char* name;
};
const Nudge kNudges[] = {
    {20, MainCtl::热键_推后, "later"},     {40, MainCtl::热键_推后, "later"},
    {60, MainCtl::热键_提前, "earlier"},   {80, MainCtl::热键_下一句, "next now"},
    {100, MainCtl::热键_提前, "earlier"},
};

Result Run(PlaybackSchedule schedule, int seconds, bool irregular, bool nudged, DWORD holdMs = 0) {
  const std::string log = Folder() + "\\drift_" + (schedule == PlaybackSchedule::Anchored ? "anchored" : "chained") +
                          (nudged ? "_nudged" : "") + (holdMs ? "_held" : "") + ".log";
  DeleteFileA(log.c_str());
  const std::string cmd = "\"" + Folder() + "\\chat_standin.exe\" \"" + log + "\" start";
  ChildProcess standin(cmd);
  if (!standin.Started()) {
    std::fprintf(stderr, "cannot start the stand-in\n");
    std::exit(1);
  }
  WaitForInputIdle(standin.Handle(), 5000);
  HWND target = nullptr;
  for (int i = 0; i < 500 && !target; ++i, Sleep(10)) target = FindWindowA(nullptr, "Ravo Chat Stand-in");

  const std::string dir = Folder() + "\\drift_lyric";
  CreateDirectoryA(dir.c_str(), nullptr);
  WriteFileBytes(dir + "\\drift.lrc", GeneratedLyric(seconds, irregular));
  ui::LoadOptions options;
  options.show = false;
  MeasuredProgram().Use();
  ui::LoadWindow(WindowKind::Main, options);
  Playback& playback = MeasuredProgram().features.playback;
  DWORD pressTick = 0;
  MeasuredProgram().features.hotKeys.ReadKeysWith([&](int key) {
    return (key == VK_CONTROL || key == VK_MENU) && GetTickCount() - pressTick < holdMs;
  });
  playback.Target().Set(target);
  M<MainCtl::文件框1>().SetFolder(dir);
  M<MainCtl::文件框1>().SetSelectedEntry(0);
  UiEventData chosen;
  chosen.text = dir + "\\drift.lrc";
  playback.OnLyricFileChosen(chosen);
  const LyricTimeline& timeline = playback.Timeline();

  playback.SetSchedule(schedule);
  Result r;
  // The shift each line is due with: that of the last press before it was written.
  std::vector<int32_t> shiftOf(timeline.timesMs.size() + 2, 0);
  size_t next = 0;
  const int64_t start = WallMs();
  playback.OnPlayButton();
  while (playback.Playing()) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    ui::ProcessPendingMessages();
    if (!nudged || next == std::size(kNudges) || playback.Cursor() <= kNudges[next].after) continue;
    const Nudge& n = kNudges[next++];
    int32_t pending = playback.Cursor();
    pressTick = GetTickCount();
    SendMessageW(ui::WindowHandle(WindowKind::Main), WM_HOTKEY, ui_internal::kControlIdBase + static_cast<int>(n.key), 0);
    // While the keys are held the lines go on as they were; the line the action moves is
    // the one pending as they come up.
    auto pumpUntil = [&](DWORD ms) {
      while (GetTickCount() - pressTick < ms) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        ui::ProcessPendingMessages();
      }
    };
    if (holdMs > 0) {
      pumpUntil(holdMs);
      pending = playback.Cursor();
      pumpUntil(holdMs + 30);
    }
    const int32_t shift = playback.ShiftMs();
    for (size_t i = static_cast<size_t>(pending); i < shiftOf.size(); ++i) shiftOf[i] = shift;
    if (r.firstNudged == 0) r.firstNudged = static_cast<size_t>(pending) - 1;
    char text[64];
    std::snprintf(text, sizeof(text), "%s%s before line %d: %+d ms", r.nudges.empty() ? "" : ", ", n.name, pending,
                  shift);
    r.nudges += text;
  }
  Sleep(300);  // the stand-in writes its last line
  ui::DestroyWindowNow(WindowKind::Main);
  MSG quit;  // the closed window asked the loop to end; the next run needs the queue
  while (PeekMessageA(&quit, nullptr, 0, 0, PM_REMOVE)) {
  }
  PostMessageA(target, WM_CLOSE, 0, 0);
  standin.WaitForExit(5000);

  const std::vector<int64_t> commits = CommitTimes(ReadFileBytes(log));
  for (size_t i = 0; i < commits.size() && i < timeline.timesMs.size(); ++i)
    r.lateness.push_back(commits[i] - (start + timeline.timesMs[i] - shiftOf[i + 1]));
  return r;
}

void Report(const char* name, const Result& r) {
  if (r.lateness.empty()) {
    std::printf("%-9s no commits logged\n", name);
    return;
  }
  if (!r.nudges.empty()) std::printf("  presses: %s\n", r.nudges.c_str());
  std::vector<int64_t> sorted = r.lateness;
  std::sort(sorted.begin(), sorted.end());
  const size_t n = sorted.size();
  std::printf("%-9s lines %3zu  median %5lld ms  p90 %5lld ms  max %5lld ms  | line 1 %5lld  line %zu %5lld  line %zu %5lld\n",
              name, n, static_cast<long long>(sorted[n / 2]), static_cast<long long>(sorted[n * 9 / 10]),
              static_cast<long long>(sorted.back()), static_cast<long long>(r.lateness.front()), n / 2 + 1,
              static_cast<long long>(r.lateness[n / 2]), n, static_cast<long long>(r.lateness.back()));
  if (r.firstNudged > 0 && r.firstNudged < n) {
    std::vector<int64_t> after(r.lateness.begin() + static_cast<ptrdiff_t>(r.firstNudged), r.lateness.end());
    std::sort(after.begin(), after.end());
    std::printf("%-9s lines %3zu  median %5lld ms  max %5lld ms  (from line %zu, the first a press moved)\n", "  nudged",
                after.size(), static_cast<long long>(after[after.size() / 2]), static_cast<long long>(after.back()),
                r.firstNudged + 1);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 60;
  std::printf("lateness of each line's commit in the stand-in against its due time, %d s of lyric\n", seconds);
  for (bool irregular : {false, true}) {
    std::printf("%s:\n", irregular ? "gaps cycling 400/600/300/700/500 ms" : "a line every 500 ms");
    Report("anchored", Run(PlaybackSchedule::Anchored, seconds, irregular, false));
    Report("chained", Run(PlaybackSchedule::Chained, seconds, irregular, false));
    Report("anchored, nudged", Run(PlaybackSchedule::Anchored, seconds, irregular, true));
    Report("anchored, nudged, keys held 150 ms", Run(PlaybackSchedule::Anchored, seconds, irregular, true, 150));
  }
  return 0;
}
