// Time to fill the lyric table, measured from outside on the real program: the program
// runs in a folder of generated lyrics of 1,000, 10,000 and 100,000 lines; for each file
// this probe shows the first page and selects the file in the lyric file list (as a click does: LB_SETCURSEL, then the
// list's LBN_SELCHANGE to its parent) and then asks the lyric table for its row count
// with SendMessageTimeout, which only returns once the program's window thread answers.
// The figure is the time from the choice until the table holds every row and the window
// answers. A run that is not done within the limit reports "over".
//
// Usage (under Wine): lyric_table_fill_bench.exe PROGRAM.exe FOLDER LIMIT_SECONDS FILE=ROWS...
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "layout/main_window_layout.h"
#include "now_ms.h"
#include "support/child_process.h"

namespace {

// The window layer numbers each control 1000 + its row in the layout.
constexpr int kLyricTableId = 1000 + static_cast<int>(MainCtl::超级列表框_歌词);

struct Found {
  DWORD pid;
  const char* cls;
  int id;  // 0: any
  HWND hwnd = nullptr;
};

BOOL CALLBACK FindChildOfClass(HWND hwnd, LPARAM lp) {
  auto* f = reinterpret_cast<Found*>(lp);
  char cls[64] = {};
  GetClassNameA(hwnd, cls, sizeof cls);
  if (lstrcmpiA(cls, f->cls) != 0 || (f->id != 0 && GetDlgCtrlID(hwnd) != f->id)) return TRUE;
  f->hwnd = hwnd;
  return FALSE;
}

BOOL CALLBACK FindTopOfProcess(HWND hwnd, LPARAM lp) {
  auto* f = reinterpret_cast<Found*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != f->pid || !IsWindowVisible(hwnd)) return TRUE;
  Found child{pid, f->cls, f->id};
  EnumChildWindows(hwnd, FindChildOfClass, reinterpret_cast<LPARAM>(&child));
  if (!child.hwnd) return TRUE;
  f->hwnd = child.hwnd;
  return FALSE;
}

HWND WaitForControl(DWORD pid, const char* cls, int id) {
  for (int i = 0; i < 300; ++i) {
    Found f{pid, cls, id};
    EnumWindows(FindTopOfProcess, reinterpret_cast<LPARAM>(&f));
    if (f.hwnd) return f.hwnd;
    Sleep(100);
  }
  return nullptr;
}

// The Unicode messages: only they carry list box texts across processes intact here.
int EntryIndex(HWND list, const std::string& name) {
  const std::wstring wanted(name.begin(), name.end());  // ASCII names
  const int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    wchar_t text[MAX_PATH] = {};
    if (SendMessageW(list, LB_GETTEXTLEN, i, 0) >= MAX_PATH) continue;
    SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
    if (wanted == text) return i;
  }
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: %s PROGRAM FOLDER LIMIT_SECONDS FILE=ROWS...\n", argv[0]);
    return 2;
  }
  const double limitMs = std::atof(argv[3]) * 1000.0;
  const ChildProcess program(ChildProcess::Quoted(argv[1]), argv[2]);
  if (!program.Started()) {
    std::fprintf(stderr, "cannot start %s\n", argv[1]);
    return 1;
  }
  const HWND files = WaitForControl(program.Id(), "ListBox", 0);
  WaitForInputIdle(program.Handle(), 10000);
  const HWND table = WaitForControl(program.Id(), WC_LISTVIEWA, kLyricTableId);
  if (!files || !table) {
    std::fprintf(stderr, "no lyric file list or lyric table\n");
    return 1;
  }
  // The table is on the first page, as the user sees it when choosing a file (a hidden
  // table costs no painting): a click on the first tab.
  if (HWND tabs = WaitForControl(program.Id(), WC_TABCONTROLA, 0)) {
    PostMessageA(tabs, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 10));
    PostMessageA(tabs, WM_LBUTTONUP, 0, MAKELPARAM(20, 10));
  }
  for (int i = 0; i < 100 && !IsWindowVisible(table); ++i) Sleep(50);
  if (!IsWindowVisible(table)) {
    std::fprintf(stderr, "the lyric table did not show\n");
    return 1;
  }
  int status = 0;
  for (int a = 4; a < argc; ++a) {
    const std::string fileAndRows = argv[a];
    const size_t eq = fileAndRows.find('=');
    const std::string name = fileAndRows.substr(0, eq);
    const long rows = std::atol(fileAndRows.c_str() + eq + 1);
    const int index = EntryIndex(files, name);
    if (index < 0) {
      std::printf("%-16s not in the list of %d entries\n", name.c_str(),
                  static_cast<int>(SendMessageA(files, LB_GETCOUNT, 0, 0)));
      status = 1;
      continue;
    }
    const double start = NowMs();
    SendMessageA(files, LB_SETCURSEL, index, 0);
    PostMessageA(GetParent(files), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(files), LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(files));
    double took = -1;
    DWORD_PTR count = 0;
    while (NowMs() - start < limitMs) {
      const UINT waitMs = static_cast<UINT>(limitMs - (NowMs() - start)) + 1;
      if (SendMessageTimeoutA(table, LVM_GETITEMCOUNT, 0, 0, SMTO_NORMAL, waitMs, &count) &&
          static_cast<long>(count) == rows) {
        took = NowMs() - start;
        break;
      }
      Sleep(1);
    }
    if (took < 0) {
      std::printf("%-16s %8ld rows  over %.0f s (%lu rows seen)\n", name.c_str(), rows, limitMs / 1000,
                  static_cast<unsigned long>(count));
      status = 1;
      break;  // the program is still busy with this file
    }
    std::printf("%-16s %8ld rows  %9.1f ms\n", name.c_str(), rows, took);
    std::fflush(stdout);
  }
  return status;
}
