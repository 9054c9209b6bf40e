// An ordinary program's text box: one standard edit control in a window whose loop
// translates its key messages (GetMessageW, TranslateMessage, DispatchMessageW), as every
// ordinary program's loop does. The tool under test is pointed at the edit control with
// the window picker, and the log tells what stood in the box. The contract (command
// line, window, log format) is in edit_standin.md next to this file; keep the two in step.
#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <string>
#include <utility>

#include "win/owners.h"

namespace {

const wchar_t kClassName[] = L"RavoEditStandin";
const wchar_t kTitle[] = L"Ravo Edit Stand-in";
const wchar_t kCjkFace[] = L"WenQuanYi Micro Hei";

// Where the chat stand-in has its field, so that the same drag reaches this box.
const int kWindowX = 520;
const int kWindowY = 60;
const int kClientWidth = 480;
const int kClientHeight = 240;
const RECT kBox = {90, 108, 470, 141};

// A text stands once no change has come for this long; a delivery's messages are taken
// in a few milliseconds.
const UINT kQuietMs = 150;
const UINT_PTR kQuietTimer = 1;
const int kBoxId = 100;
const int kExitUsage = 2;

std::string ToCodePage(UINT codePage, const std::wstring& text) {
  if (text.empty()) return std::string();
  const int size = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                       nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), &out[0], size, nullptr, nullptr);
  return out;
}

std::string Hex(const std::string& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char b : bytes) {
    out += kDigits[b >> 4];
    out += kDigits[b & 0x0F];
  }
  return out;
}

uint64_t UnixMilliseconds() {
  FILETIME ft;
  GetSystemTimeAsFileTime(&ft);
  const uint64_t hundredNs = (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  return (hundredNs - 116444736000000000ULL) / 10000;
}

bool AppendLine(const std::wstring& path, const std::string& line) {
  const UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  SetFilePointer(file.Get(), 0, nullptr, FILE_END);
  DWORD written = 0;
  const BOOL ok = WriteFile(file.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  return ok && written == line.size();
}

class EditStandin {
 public:
  EditStandin(std::wstring logPath, std::wstring initial) : logPath_(std::move(logPath)), initial_(std::move(initial)) {}

  HWND Create(HINSTANCE instance) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = &EditStandin::WndProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    if (!RegisterClassW(&wc)) return nullptr;
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT frame = {0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    HWND hwnd = CreateWindowExW(0, kClassName, kTitle, style, kWindowX, kWindowY, frame.right - frame.left,
                                frame.bottom - frame.top, nullptr, nullptr, instance, this);
    if (!hwnd) return nullptr;
    box_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"Edit", initial_.c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL,
                           kBox.left, kBox.top, kBox.right - kBox.left, kBox.bottom - kBox.top, hwnd,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(kBoxId)), instance, nullptr);
    if (!box_) return nullptr;
    SendMessageW(box_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), TRUE);
    SendMessageW(box_, EM_SETLIMITTEXT, 0, 0);
    SetWindowLongPtrW(box_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    boxProc_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(box_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&BoxProc)));
    return hwnd;
  }

  HWND Box() const { return box_; }

 private:
  // The box's own procedure, watched: a clear of the whole content is the box's commit,
  // so the text it replaces is logged even when it stood only for a moment.
  static LRESULT CALLBACK BoxProc(HWND box, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<EditStandin*>(GetWindowLongPtrW(box, GWLP_USERDATA));
    if (msg == WM_CLEAR && self->changed_) {
      DWORD start = 0, end = 0;
      SendMessageW(box, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
      if (start == 0 && static_cast<int>(end) == GetWindowTextLengthW(box)) self->LogWhatStands();
    }
    return CallWindowProcW(self->boxProc_, box, msg, wp, lp);
  }

  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
      auto* create = reinterpret_cast<CREATESTRUCTW*>(lp);
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<EditStandin*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
    switch (msg) {
      case WM_COMMAND:
        if (LOWORD(wp) == kBoxId && HIWORD(wp) == EN_CHANGE) {
          self->changedAt_ = UnixMilliseconds();
          self->changed_ = true;
          SetTimer(hwnd, kQuietTimer, kQuietMs, nullptr);  // counts afresh from this change
        }
        return 0;
      case WM_TIMER:
        if (wp == kQuietTimer) {
          KillTimer(hwnd, kQuietTimer);
          if (self->changed_) self->LogWhatStands();
        }
        return 0;
      case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        SetBkMode(dc, TRANSPARENT);
        ScopedSelectObject font(dc, self->font_.Get());
        RECT label = {12, kBox.top, kBox.left - 4, kBox.bottom};
        DrawTextW(dc, L"nickname", -1, &label, DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER);
        wchar_t status[80];
        wsprintfW(status, L"texts logged: %d%ls", self->logged_, self->failedWrites_ ? L"   LOG WRITE FAILED" : L"");
        RECT line = {12, 206, 470, 230};
        DrawTextW(dc, status, -1, &line, DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER);
        EndPaint(hwnd, &ps);
        return 0;
      }
      case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
  }

  void LogWhatStands() {
    changed_ = false;
    const int n = GetWindowTextLengthW(box_);
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(box_, text.data(), n + 1)));
    const std::string gbk = ToCodePage(936, text);
    const std::string line =
        std::to_string(changedAt_) + ' ' + (gbk.empty() ? std::string("-") : Hex(gbk)) + ' ' + ToCodePage(CP_UTF8, text) + '\n';
    if (AppendLine(logPath_, line)) {
      ++logged_;
    } else {
      ++failedWrites_;
    }
    InvalidateRect(GetParent(box_), nullptr, TRUE);
  }

  std::wstring logPath_;
  std::wstring initial_;
  HWND box_ = nullptr;
  WNDPROC boxProc_ = nullptr;
  uint64_t changedAt_ = 0;  // when the text last changed
  bool changed_ = false;    // since it was last logged
  int logged_ = 0;
  int failedWrites_ = 0;
  ScopedGdiObj<HFONT> font_{CreateFontW(-18, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET, OUT_DEFAULT_PRECIS,
                                        CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_DONTCARE, kCjkFace)};
};

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv || argc < 2 || argv[1][0] == L'\0') {
    if (argv) LocalFree(argv);
    return kExitUsage;
  }
  const std::wstring logPath = argv[1];
  const std::wstring initial = argc >= 3 ? argv[2] : L"Guest";
  LocalFree(argv);

  EditStandin standin(logPath, initial);
  HWND hwnd = standin.Create(instance);
  if (!hwnd) return 1;
  ShowWindow(hwnd, SW_SHOWNORMAL);
  UpdateWindow(hwnd);

  // The loop of every ordinary program: key-downs become characters here, behind
  // whatever is already in the queue.
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}
