// Cadence of the scroller and the billboard, measured on the receiving side: each runs
// into the stand-in chat client at a few periods for a few seconds, started and stopped
// by clicks as the window layer receives them, while this thread dispatches messages.
// For each period the gaps between two commits in the stand-in's log are reported
// (median, 90th percentile, max) with what they add to the wait the period gives (at
// least MIN_STEP_PERIOD_MS: the delivery's own cost). The stop comes from a thread timer, so the same program measures a feature
// that waits inside its click handler and one that runs on window timers.
//
// Usage (under Wine, from the build folder): ticker_cadence_bench.exe [seconds per run]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/startup.h"
#include "billboard/scroll_text.h"
#include "support/child_process.h"
#include "layout/program_windows.h"
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

MainCtl g_button;
bool g_stopped = false;

void Click(MainCtl button) {
  const int index = static_cast<int>(button);
  SendMessageW(ui::WindowHandle(WindowKind::Main), WM_COMMAND,
               MAKEWPARAM(ui_internal::kControlIdBase + index, BN_CLICKED),
               reinterpret_cast<LPARAM>(Control(WindowKind::Main, index).Handle()));
}

void CALLBACK StopTimer(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  Click(g_button);
  g_stopped = true;
}

std::vector<long long> CommitTimes(const std::string& log) {
  std::vector<long long> times;
  size_t pos = 0;
  while (pos < log.size()) {
    size_t end = log.find('\n', pos);
    if (end == std::string::npos) end = log.size();
    if (end > pos) times.push_back(std::strtoll(log.c_str() + pos, nullptr, 10));
    pos = end + 1;
  }
  return times;
}

// Runs the feature behind button for ms at the period given and reports its gaps.
void Measure(const char* name, MainCtl button, MainCtl periodBox, int period, int ms, const std::string& log) {
  DeleteFileA(log.c_str());
  Sleep(100);
  TextControl(WindowKind::Main, static_cast<int>(periodBox)).SetText(std::to_string(period));
  g_button = button;
  g_stopped = false;
  SetTimer(nullptr, 0, static_cast<UINT>(ms), StopTimer);
  Click(button);  // returns at the stop when the feature waits inside its handler
  while (!g_stopped) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    ui::ProcessPendingMessages();
  }
  const DWORD end = GetTickCount() + 1500;  // the rest of a billboard pass, the last commit
  while (static_cast<int>(end - GetTickCount()) > 0) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    ui::ProcessPendingMessages();
  }
  const std::vector<long long> t = CommitTimes(ReadFileBytes(log));
  std::vector<long long> gaps;
  for (size_t i = 1; i < t.size(); ++i) gaps.push_back(t[i] - t[i - 1]);
  if (gaps.empty()) {
    std::printf("%-9s period %4d ms: fewer than two commits\n", name, period);
    return;
  }
  std::sort(gaps.begin(), gaps.end());
  const size_t n = gaps.size();
  const long long median = gaps[n / 2];
  std::printf("%-9s period %4d ms: %3zu gaps  median %4lld ms  p90 %4lld ms  max %4lld ms  (median beyond the period %+lld ms)\n",
              name, period, n, median, gaps[n * 9 / 10], gaps.back(), median - std::max(period, MIN_STEP_PERIOD_MS));
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 4;
  const std::string log = ui::ProgramFolder() + "\\ticker_cadence.log";
  ChildProcess standin("\"" + ui::ProgramFolder() + "\\chat_standin.exe\" \"" + log + "\" start");
  if (!standin.Started()) {
    std::fprintf(stderr, "cannot start the stand-in\n");
    return 1;
  }
  WaitForInputIdle(standin.Handle(), 5000);
  HWND target = nullptr;
  for (int i = 0; i < 500 && !target; ++i, Sleep(10)) target = FindWindowA(nullptr, "Ravo Chat Stand-in");

  MeasuredProgram().Use();
  ui::LoadOptions options;
  options.show = false;
  ui::LoadWindow(WindowKind::Main, options);
  MeasuredProgram().features.playback.Target().Set(target);
  M<MainCtl::编辑框2>().SetText("abcdef");
  for (const char* row : {"one", "two", "three"}) M<MainCtl::超级列表框1>().InsertRow(row, 0);

  for (int period : {0, 20, 100, 500})
    Measure("scroller", MainCtl::按钮1, MainCtl::编辑框3, period, seconds * 1000, log);
  for (int period : {0, 100, 500})
    Measure("billboard", MainCtl::按钮5, MainCtl::编辑框5, period, seconds * 1000, log);

  ui::DestroyWindowNow(WindowKind::Main);
  PostMessageA(target, WM_CLOSE, 0, 0);
  standin.WaitForExit(5000);
  return 0;
}
