// Runs a callback (if any) and counts, when the message it posts is dispatched on the thread that created it:
// how a click arrives in the middle of a handler that dispatches messages while it waits.
#pragma once

#include <windows.h>

#include <functional>
#include <utility>

class LaterOnThisThread {
 public:
  explicit LaterOnThisThread(std::function<void()> action) : action_(std::move(action)) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "LaterOnThisThread";
    RegisterClassA(&wc);  // a second instance finds the class already there
    hwnd_ = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                            wc.hInstance, this);
  }
  ~LaterOnThisThread() { DestroyWindow(hwnd_); }
  LaterOnThisThread(const LaterOnThisThread&) = delete;
  LaterOnThisThread& operator=(const LaterOnThisThread&) = delete;

  // Safe from any thread; the callback still runs on the creating thread.
  void Post() const { PostMessageA(hwnd_, WM_APP, 0, 0); }
  HWND Handle() const { return hwnd_; }
  int runs = 0;  // how many posts have been dispatched

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE)
      SetWindowLongPtrA(hwnd, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
    auto* self = reinterpret_cast<LaterOnThisThread*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self && message == WM_APP) {
      ++self->runs;
      if (self->action_) self->action_();
      return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
  }
  std::function<void()> action_;
  HWND hwnd_ = nullptr;
};
