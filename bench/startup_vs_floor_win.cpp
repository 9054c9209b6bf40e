// Start-up against its floor: the time from starting a program to its first visible
// top-level window, for the tool and for the smallest program that shows a window of the
// same size (tools/floor_window.cpp), started alternately in one run so that both see
// the same machine. Each start is timed from just before CreateProcessW until a visible,
// non-tool top-level window of that process exists (polled every millisecond); the
// process is then ended and waited for before the next start. One unmeasured start of
// each comes first (Wine's caches).
//
// Prints every start, then min/median/max of each program and the ratio of the medians.
// Usage (under Wine): startup_vs_floor_bench.exe <program.exe> <floor.exe> [starts of each, default 15]
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "now_ms.h"
#include "support/child_process.h"
#include "text/encoding.h"

namespace {

struct Search {
  DWORD pid;
  bool found;
};

BOOL CALLBACK FindShownWindow(HWND hwnd, LPARAM lp) {
  auto* s = reinterpret_cast<Search*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != s->pid || !IsWindowVisible(hwnd) || (GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW)) return TRUE;
  s->found = true;
  return FALSE;
}

// Milliseconds from the start of the program to its window; -1 when it ended without one
// or showed none within 30 s.
double TimeOneStart(const std::wstring& program) {
  const std::string path = enc::Narrow(program);
  // The program's own folder as its current folder, as a user's double-click gives it.
  const double t0 = NowMs();
  ChildProcess started(ChildProcess::Quoted(path), path.substr(0, path.find_last_of("\\/") + 1));
  if (!started.Started()) return -1;
  double elapsed = -1;
  for (;;) {
    Search s{started.Id(), false};
    EnumWindows(FindShownWindow, reinterpret_cast<LPARAM>(&s));
    const double t = NowMs() - t0;
    if (s.found) {
      elapsed = t;
      break;
    }
    if (t > 30000 || WaitForSingleObject(started.Handle(), 1) == WAIT_OBJECT_0) break;
  }
  return elapsed;
}

struct Summary {
  double min, median, max;
};

Summary Summarise(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  const double median = n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
  return {v.front(), median, v.back()};
}

}  // namespace

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argc < 3) {
    std::fprintf(stderr, "usage: startup_vs_floor_bench.exe <program.exe> <floor.exe> [starts of each]\n");
    return 2;
  }
  const std::wstring program = argv[1], floor = argv[2];
  const int starts = argc > 3 ? std::max(1, _wtoi(argv[3])) : 15;
  if (TimeOneStart(floor) < 0 || TimeOneStart(program) < 0) {
    std::fprintf(stderr, "a program showed no window\n");
    return 1;
  }
  std::vector<double> programMs, floorMs;
  for (int i = 0; i < starts; ++i) {
    const double f = TimeOneStart(floor);
    const double p = TimeOneStart(program);
    if (f < 0 || p < 0) {
      std::fprintf(stderr, "start %d: a program showed no window\n", i + 1);
      return 1;
    }
    floorMs.push_back(f);
    programMs.push_back(p);
    std::printf("start %2d: floor %6.1f ms  program %6.1f ms\n", i + 1, f, p);
    std::fflush(stdout);
  }
  const Summary f = Summarise(floorMs), p = Summarise(programMs);
  std::printf("floor    min %6.1f  median %6.1f  max %6.1f ms\n", f.min, f.median, f.max);
  std::printf("program  min %6.1f  median %6.1f  max %6.1f ms\n", p.min, p.median, p.max);
  std::printf("ratio of the medians  %.2f\n", p.median / f.median);
  return 0;
}
