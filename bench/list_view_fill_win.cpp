// How Wine's report list view takes rows: a visible list view of the lyric table's shape
// (two columns, full-row select, grid lines) in a visible window, filled with N rows in
// four ways:
//   plain       LVM_INSERTITEM + LVM_SETITEMTEXT per row, as a loop of the loader would;
//   no-redraw   the same inside WM_SETREDRAW FALSE/TRUE;
//   reserved    the same after LVM_SETITEMCOUNT and inside WM_SETREDRAW;
//   owner-data  LVS_OWNERDATA: one LVM_SETITEMCOUNT, texts given on LVN_GETDISPINFO.
// It also counts the notifications the parent receives per way, which shows what a
// per-row cost comes from.
//
// Usage (under Wine): list_view_fill_bench.exe [rows...]   (plain only up to 2,000 rows)
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "now_ms.h"

namespace {

int g_notifications = 0;
std::vector<std::string> g_texts;

LRESULT CALLBACK ParentProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NOTIFY) {
    ++g_notifications;
    auto* nm = reinterpret_cast<NMHDR*>(lp);
    if (nm->code == LVN_GETDISPINFOA) {
      auto* di = reinterpret_cast<NMLVDISPINFOA*>(lp);
      if ((di->item.mask & LVIF_TEXT) && di->item.cchTextMax > 0) {
        const std::string& s = di->item.iSubItem == 0 ? std::to_string(di->item.iItem) : g_texts[di->item.iItem];
        lstrcpynA(di->item.pszText, s.c_str(), di->item.cchTextMax);
      }
    }
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

void Pump() {
  MSG m;
  while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
}

HWND MakeList(HWND parent, bool ownerData) {
  DWORD style = WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SINGLESEL;
  if (ownerData) style |= LVS_OWNERDATA;
  HWND lv = CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "", style, 10, 10, 312, 384, parent, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
  SendMessageA(lv, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
  const char* captions[] = {"time", "lyric"};
  const int widths[] = {0, 230};
  for (int i = 0; i < 2; ++i) {
    LVCOLUMNA col = {};
    col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    col.pszText = const_cast<char*>(captions[i]);
    col.cx = widths[i];
    col.iSubItem = i;
    SendMessageA(lv, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&col));
  }
  return lv;
}

void InsertRows(HWND lv, int rows) {
  for (int i = 0; i < rows; ++i) {
    std::string time = std::to_string(i * 1500);
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = static_cast<int>(SendMessageA(lv, LVM_GETITEMCOUNT, 0, 0));
    item.pszText = time.data();
    item.lParam = i + 1;
    const int row = static_cast<int>(SendMessageA(lv, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    LVITEMA cell = {};
    cell.iSubItem = 1;
    cell.pszText = g_texts[i].data();
    SendMessageA(lv, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&cell));
  }
}

}  // namespace

int main(int argc, char** argv) {
  InitCommonControls();
  WNDCLASSA wc = {};
  wc.lpfnWndProc = ParentProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "ListFillBench";
  RegisterClassA(&wc);
  std::vector<int> sizes;
  for (int i = 1; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
  if (sizes.empty()) sizes = {100, 1000};
  const char* ways[] = {"plain", "no-redraw", "reserved", "owner-data"};
  std::printf("%-11s %8s %12s %14s\n", "way", "rows", "ms", "notifications");
  for (int rows : sizes) {
    g_texts.clear();
    for (int i = 0; i < rows; ++i) g_texts.push_back("line " + std::to_string(i) + " of the song");
    for (int w = 0; w < 4; ++w) {
      if (w == 0 && rows > 2000) {  // a minute per thousand rows: not worth the wait
        std::printf("%-11s %8d %12s\n", ways[w], rows, "skipped");
        continue;
      }
      HWND top = CreateWindowExA(0, wc.lpszClassName, "bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 450,
                                 nullptr, nullptr, wc.hInstance, nullptr);
      HWND lv = MakeList(top, w == 3);
      Pump();
      g_notifications = 0;
      const double start = NowMs();
      if (w == 3) {
        SendMessageA(lv, LVM_SETITEMCOUNT, rows, 0);
      } else {
        if (w >= 1) SendMessageA(lv, WM_SETREDRAW, FALSE, 0);
        if (w == 2) SendMessageA(lv, LVM_SETITEMCOUNT, rows, 0);
        InsertRows(lv, rows);
        if (w >= 1) SendMessageA(lv, WM_SETREDRAW, TRUE, 0);
      }
      UpdateWindow(top);
      Pump();
      std::printf("%-11s %8d %12.1f %14d\n", ways[w], rows, NowMs() - start, g_notifications);
      std::fflush(stdout);
      DestroyWindow(top);
      Pump();
    }
  }
  return 0;
}
