// Drift of lyric playback, measured on the receiving side: a generated 60-second lyric
// with a line every 500 ms is played into the stand-in chat client, once with waits
// anchored to the run's start and once with each wait the plain gap between two time
// stamps. For each line the lateness of its commit in the stand-in's log against the
// line's due time is reported (median, 90th percentile, max, and at the first, middle
// and last lines), so growth along the song shows.
//
// A second pair of runs uses irregular gaps of the same average.
//
// Usage (under Wine, from the build folder): playback_drift_bench.exe [seconds]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/event_table.h"
#include "layout/program_windows.h"
#include "delivery/playback.h"
#include "delivery/target_window.h"
#include "lyrics/lyric_state.h"
#include "win/file_bytes.h"
#include "win/program.h"

namespace {

int64_t WallMs() {
  FILETIME ft;
  GetSystemTimeAsFileTime(&ft);
  const int64_t t = (static_cast<int64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  return t / 10000 - 11644473600000LL;
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
};

Result Run(PlaybackSchedule schedule, int seconds, bool irregular) {
  const std::string log = Folder() + "\\drift_" + (schedule == PlaybackSchedule::Anchored ? "anchored" : "chained") +
                          ".log";
  DeleteFileA(log.c_str());
  const std::string cmd = "\"" + Folder() + "\\chat_standin.exe\" \"" + log + "\" start";
  STARTUPINFOA si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi = {};
  std::string mutableCmd = cmd;
  if (!CreateProcessA(nullptr, mutableCmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    std::fprintf(stderr, "cannot start the stand-in\n");
    std::exit(1);
  }
  WaitForInputIdle(pi.hProcess, 5000);
  HWND target = nullptr;
  for (int i = 0; i < 500 && !target; ++i, Sleep(10)) target = FindWindowA(nullptr, "Ravo Chat Stand-in");

  const std::string dir = Folder() + "\\drift_lyric";
  CreateDirectoryA(dir.c_str(), nullptr);
  WriteFileBytes(dir + "\\drift.lrc", GeneratedLyric(seconds, irregular));
  ui::LoadOptions options;
  options.show = false;
  UseProgramWindows();
  ui::LoadWindow(WindowKind::Main, options);
  SetTargetWindow(target);
  M<MainCtl::文件框1>().SetFolder(dir);
  M<MainCtl::文件框1>().SetSelectedEntry(0);
  OnLyricFileChosen();

  playbackSchedule = schedule;
  const int64_t start = WallMs();
  OnPlayButton();
  while (IsPlaying()) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    ui::ProcessPendingMessages();
  }
  Sleep(300);  // the stand-in writes its last line
  ui::DestroyWindowNow(WindowKind::Main);
  MSG quit;  // the closed window asked the loop to end; the next run needs the queue
  while (PeekMessageA(&quit, nullptr, 0, 0, PM_REMOVE)) {
  }
  PostMessageA(target, WM_CLOSE, 0, 0);
  WaitForSingleObject(pi.hProcess, 5000);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);

  const std::vector<int64_t> commits = CommitTimes(ReadFileBytes(log));
  Result r;
  for (size_t i = 0; i < commits.size() && i < currentTimeline.timesMs.size(); ++i)
    r.lateness.push_back(commits[i] - (start + currentTimeline.timesMs[i]));
  return r;
}

void Report(const char* name, const Result& r) {
  if (r.lateness.empty()) {
    std::printf("%-9s no commits logged\n", name);
    return;
  }
  std::vector<int64_t> sorted = r.lateness;
  std::sort(sorted.begin(), sorted.end());
  const size_t n = sorted.size();
  std::printf("%-9s lines %3zu  median %5lld ms  p90 %5lld ms  max %5lld ms  | line 1 %5lld  line %zu %5lld  line %zu %5lld\n",
              name, n, static_cast<long long>(sorted[n / 2]), static_cast<long long>(sorted[n * 9 / 10]),
              static_cast<long long>(sorted.back()), static_cast<long long>(r.lateness.front()), n / 2 + 1,
              static_cast<long long>(r.lateness[n / 2]), n, static_cast<long long>(r.lateness.back()));
}

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 60;
  std::printf("lateness of each line's commit in the stand-in against its due time, %d s of lyric\n", seconds);
  for (bool irregular : {false, true}) {
    std::printf("%s:\n", irregular ? "gaps cycling 400/600/300/700/500 ms" : "a line every 500 ms");
    Report("anchored", Run(PlaybackSchedule::Anchored, seconds, irregular));
    Report("chained", Run(PlaybackSchedule::Chained, seconds, irregular));
  }
  return 0;
}
