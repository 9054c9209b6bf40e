// What one very long line costs a delivery: a text of 100,000 characters is delivered
// into a window on a thread of its own (a custom Unicode window, as the chat client's,
// and a standard edit box), and the receiving side counts the messages it got, the
// characters among them and whether the delivery reached its end (the commit clicks, or
// the last character). The sending side reports how long DeliverText took.
//
// Usage (under Wine, from the build folder): delivery_posts_bench.exe [characters]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "now_ms.h"
#include "delivery/target_window.h"
#include "delivery/text_delivery.h"

namespace {

constexpr UINT kMarker = WM_APP + 5;

struct Counts {
  long messages = 0;
  long chars = 0;
  long commitClicks = 0;
  std::wstring editText;
};

Counts* g_counts = nullptr;
HANDLE g_done = nullptr;

LRESULT CALLBACK Count(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kMarker) {
    SetEvent(g_done);
    return 0;
  }
  if ((message >= WM_KEYFIRST && message <= WM_KEYLAST) || (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
      message == EM_SETSEL || message == WM_CLEAR) {
    ++g_counts->messages;
    if (message == WM_CHAR) ++g_counts->chars;
    if (message == WM_LBUTTONDOWN && lParam == 301 + 65536 * 164) ++g_counts->commitClicks;
  }
  const auto original = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  return original ? CallWindowProcW(original, hwnd, message, wParam, lParam) : DefWindowProcW(hwnd, message, wParam, lParam);
}

void Measure(const char* name, bool editBox, const std::string& text) {
  Counts counts;
  g_counts = &counts;
  g_done = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  HANDLE ready = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  HWND window = nullptr;
  std::thread receiver([&] {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = Count;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"DeliveryPostsTarget";
    RegisterClassW(&wc);
    HWND top = CreateWindowExW(0, wc.lpszClassName, L"target", WS_OVERLAPPEDWINDOW, 0, 0, 400, 200, nullptr, nullptr,
                               wc.hInstance, nullptr);
    window = top;
    if (editBox) {
      window = CreateWindowExW(0, L"Edit", L"", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 0, 0, 380, 24, top, nullptr,
                               wc.hInstance, nullptr);
      SendMessageW(window, EM_SETLIMITTEXT, 0, 0);
      SetWindowLongPtrW(window, GWLP_USERDATA, GetWindowLongPtrW(window, GWLP_WNDPROC));
      SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Count));
    }
    SetEvent(ready);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    DestroyWindow(top);
  });
  WaitForSingleObject(ready, INFINITE);
  DWORD receiverThread = GetWindowThreadProcessId(window, nullptr);

  TargetWindow target;
  target.Set(window);
  const double startMs = NowMs();
  const bool taken = DeliverText(target, text, 1);
  const double tookMs = NowMs() - startMs;
  PostMessageW(window, kMarker, 0, 0);
  WaitForSingleObject(g_done, 120000);
  if (editBox) {
    const int n = GetWindowTextLengthW(window);
    counts.editText.resize(static_cast<size_t>(n) + 1);
    GetWindowTextW(window, counts.editText.data(), n + 1);
    counts.editText.resize(static_cast<size_t>(n));
  }
  PostThreadMessageW(receiverThread, WM_QUIT, 0, 0);
  receiver.join();
  std::printf("%-22s %9zu chars in: DeliverText %8.1f ms, %s; received %7ld messages, %7ld characters, %ld commit clicks",
              name, text.size(), tookMs,
              taken ? "taken" : "not taken", counts.messages, counts.chars, counts.commitClicks);
  if (editBox) std::printf(", the box holds %zu characters", counts.editText.size());
  std::printf("\n");
  CloseHandle(ready);
  CloseHandle(g_done);
}

}  // namespace

int main(int argc, char** argv) {
  const long n = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 100000;
  std::string text;
  for (long i = 0; i < n; ++i) text += static_cast<char>('a' + i % 26);
  Measure("custom Unicode window", false, text);
  Measure("standard edit box", true, text);
  return 0;
}
