// A window that plays the foreign program in tests: it lives on a thread of its own,
// as the chat client's window lives in its own process, and records every message it
// receives. Its loop has no TranslateMessage, so it sees exactly what was posted, byte
// by byte, in the order the target's queue holds it.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <mutex>
#include <ostream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "text/encoding.h"
#include "win/owners.h"
#include "support/win_test_support.h"

struct Msg {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time = 0;  // GetTickCount when the recording thread received it
  bool operator==(const Msg& o) const {
    return message == o.message && wParam == o.wParam && lParam == o.lParam;
  }
};

inline std::ostream& operator<<(std::ostream& os, const Msg& m) {
  return os << std::hex << "{0x" << m.message << ", 0x" << m.wParam << ", 0x" << m.lParam << "}"
            << std::dec;
}

inline bool IsInput(UINT m) {
  return (m >= WM_KEYFIRST && m <= WM_KEYLAST) || (m >= WM_MOUSEFIRST && m <= WM_MOUSELAST);
}


// The stand-in foreign window. It lives on its own thread, as the chat client's window
// lives in its own process, so that the focus step has to cross threads.
class Recorder {
 public:
  // An ANSI window (class and loop of the "A" functions) sees the bytes of the system's
  // code page posted to it; a Unicode one the UTF-16 units.
  enum Kind { Ansi, Unicode };
  explicit Recorder(Kind kind = Ansi) : kind_(kind), marker_(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {
    UniqueHandle ready(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    thread_ = std::thread([this, &ready] { Run(ready.Get()); });
    WaitForSingleObject(ready.Get(), INFINITE);
  }
  ~Recorder() {
    PostMessageA(hwnd_, WM_CLOSE, 0, 0);
    thread_.join();
  }
  Recorder(const Recorder&) = delete;
  Recorder& operator=(const Recorder&) = delete;

  HWND Handle() const { return hwnd_; }

  // Stops reading messages for ms, as a hung program does; returns once the hang began.
  void Hang(DWORD ms) {
    PostMessageA(hwnd_, kHang, ms, 0);
    WaitForSingleObject(marker_.Get(), 5000);
  }

  // Everything received since the last call. A marker posted now queues behind all that
  // was posted before; this thread's own messages are pumped while waiting for it. What
  // comes after the marker (a timer run by that pumping may deliver meanwhile) is left
  // for the next call, so that no delivery is cut in two.
  std::vector<Msg> Take() {
    PostMessageA(hwnd_, kMarker, 0, 0);
    const HANDLE marker = marker_.Get();
    const DWORD start = GetTickCount();
    for (;;) {
      PumpOwnQueue();
      if (MsgWaitForMultipleObjects(1, &marker, FALSE, 50, QS_ALLINPUT) == WAIT_OBJECT_0) break;
      if (GetTickCount() - start > 30000) {
        ADD_FAILURE() << "the recorder never reached its marker";
        std::lock_guard<std::mutex> guard(lock_);
        return std::exchange(log_, {});
      }
    }
    std::lock_guard<std::mutex> guard(lock_);
    return std::exchange(taken_, {});
  }

 private:
  static constexpr UINT kMarker = WM_APP + 17;
  static constexpr UINT kHang = WM_APP + 18;

  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<Recorder*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self) return Default(hwnd, message, wParam, lParam);
    if (message == kMarker) {
      {
        std::lock_guard<std::mutex> guard(self->lock_);
        self->taken_ = std::exchange(self->log_, {});
      }
      SetEvent(self->marker_.Get());
      return 0;
    }
    if (message == kHang) {
      SetEvent(self->marker_.Get());
      Sleep(static_cast<DWORD>(wParam));
      return 0;
    }
    {
      std::lock_guard<std::mutex> guard(self->lock_);
      self->log_.push_back({message, wParam, lParam, GetTickCount()});
    }
    if (message == WM_DESTROY) PostQuitMessage(0);
    if (IsInput(message)) return 0;
    return Default(hwnd, message, wParam, lParam);
  }

  static LRESULT Default(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return IsWindowUnicode(hwnd) ? DefWindowProcW(hwnd, message, wParam, lParam)
                                 : DefWindowProcA(hwnd, message, wParam, lParam);
  }

  void Run(HANDLE ready) {
    if (kind_ == Unicode) {
      RunUnicode(ready);
      return;
    }
    WNDCLASSA wc = {};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "DeliveryRecorder";
    RegisterClassA(&wc);  // a second recorder finds the class already there
    hwnd_ = CreateWindowExA(0, wc.lpszClassName, "recorder", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300,
                            nullptr, nullptr, wc.hInstance, this);
    SetEvent(ready);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
  }

  void RunUnicode(HANDLE ready) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"DeliveryRecorderW";
    RegisterClassW(&wc);
    hwnd_ = CreateWindowExW(0, wc.lpszClassName, L"recorder", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr,
                            wc.hInstance, this);
    SetEvent(ready);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  }

  Kind kind_;
  UniqueHandle marker_;
  std::mutex lock_;
  std::vector<Msg> log_;
  std::vector<Msg> taken_;  // the log up to the newest marker
  HWND hwnd_ = nullptr;
  std::thread thread_;
};


// One text as a Unicode target saw it arrive: the UTF-16 units typed between the click
// into the field and the first commit click, as UTF-8, with the lParam of its character messages and when
// the commit click was received (GetTickCount of the recording thread).
struct ReceivedText {
  std::string text;
  LPARAM charLParam = -1;
  DWORD committedAt = 0;
};

// Decodes a recording into the texts delivered: a click at the edit point opens a text,
// the next click at the commit point closes it.
inline std::vector<ReceivedText> ReceivedTexts(const std::vector<Msg>& log) {
  const LPARAM edit = 298 + 65536 * 124, commit = 301 + 65536 * 164;
  std::vector<ReceivedText> texts;
  bool open = false;
  ReceivedText current;
  std::u16string units;
  for (const Msg& m : log) {
    if (m.message == WM_LBUTTONDOWN && m.lParam == edit) {
      open = true;
      current = ReceivedText{};
      units.clear();
    } else if (open && m.message == WM_CHAR) {
      units += static_cast<char16_t>(m.wParam);
      current.charLParam = m.lParam;
    } else if (open && m.message == WM_LBUTTONDOWN && m.lParam == commit) {
      current.committedAt = m.time;
      current.text = enc::Utf16ToUtf8(units);
      texts.push_back(current);
      open = false;
    }
  }
  return texts;
}
