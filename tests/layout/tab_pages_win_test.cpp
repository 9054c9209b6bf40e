// Each tab page of the main window paints only itself: the page the user turns to shows
// what it shows when drawn afresh, with nothing of the page shown before it (the labels
// and group boxes of a page let the page show through, so leftovers would stay).
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "layout/program_windows.h"
#include "support/win_test_support.h"

namespace {

// What the screen shows of a window's client area, pixel for pixel, read in one copy.
std::vector<uint32_t> Screenshot(HWND window) {
  RECT rc = {};
  GetClientRect(window, &rc);
  const int w = rc.right, h = rc.bottom;
  HDC dc = GetDC(window);
  HDC memory = CreateCompatibleDC(dc);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = -h;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  const HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, w, h, dc, 0, 0, SRCCOPY);
  GdiFlush();
  std::vector<uint32_t> pixels(static_cast<const uint32_t*>(bits), static_cast<const uint32_t*>(bits) + w * h);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(window, dc);
  return pixels;
}

size_t Differing(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
  if (a.size() != b.size()) return std::max(a.size(), b.size());
  size_t n = 0;
  for (size_t i = 0; i < a.size(); ++i) n += (a[i] & 0xFFFFFF) != (b[i] & 0xFFFFFF);
  return n;
}

// Pages counted from 1, as the tabs read; the user turns them with a click on the tab.
TEST(TabPages, APageShowsNothingOfThePageBefore) {
  MainWindowFixture window;
  const HWND main = window.Handle();
  const HWND tab = M<MainCtl::置顶选择1>().Handle();
  ShowWindow(main, SW_SHOW);
  SetForegroundWindow(main);
  const auto turnTo = [&](int page) {
    SendMessageW(tab, TCM_SETCURFOCUS, page - 1, 0);
    PumpFor(200);
  };
  // The page as the whole window draws it when it appears.
  const auto drawnAfresh = [&](int page) {
    turnTo(page);
    ShowWindow(main, SW_HIDE);
    ShowWindow(main, SW_SHOW);
    PumpFor(300);
    return Screenshot(tab);
  };
  struct Case {
    int before, shown;
  };
  for (const Case& c : {Case{3, 1}, Case{4, 1}, Case{2, 3}, Case{1, 4}}) {
    SCOPED_TRACE(testing::Message() << "page " << c.shown << " after page " << c.before);
    const std::vector<uint32_t> fresh = drawnAfresh(c.shown);
    turnTo(c.before);
    turnTo(c.shown);
    EXPECT_EQ(Differing(Screenshot(tab), fresh), 0u) << "pixels differ from the page drawn afresh";
  }
}

}  // namespace
