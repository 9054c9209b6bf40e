// A chat room's nickname field, as small as it can be while still reacting to the
// messages our tool posts. The contract (click points, keys, log format, command line)
// is in chat_standin.md next to this file; keep the two in step.
//
// The nickname is drawn straight into the main window's client area rather than into a
// child edit control: posted clicks carry client coordinates of the window they are
// posted to, so they must land on the window that owns the field.
//
// The window class and message loop are Unicode because Wine, with an ANSI loop, turns
// each byte of a posted GBK pair into '?'.
#include <windows.h>
#include <windowsx.h>
#include <shellapi.h>

#include <cstdint>
#include <cwchar>
#include <string>
#include <utility>

#include "win/owners.h"

namespace {

const wchar_t kClassName[] = L"RavoChatStandin";
const wchar_t kTitle[] = L"Ravo Chat Stand-in";
const wchar_t kDefaultNickname[] = L"Guest";
const wchar_t kCjkFace[] = L"WenQuanYi Micro Hei";

const int kWindowX = 520;
const int kWindowY = 60;
const int kClientWidth = 480;
const int kClientHeight = 240;

// Exact points, no tolerance: a tool that is a pixel off should see its text go nowhere.
const POINT kNicknamePoint = {298, 124};
const POINT kCommitPoint = {301, 164};

const RECT kNicknameBox = {90, 108, 470, 141};
const UINT kGbkCodePage = 936;
const int kExitUsage = 2;

HFONT CjkFont(int pixelHeight, int weight) {
  return CreateFontW(-pixelHeight, 0, 0, 0, weight, FALSE, FALSE, FALSE, GB2312_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_DONTCARE, kCjkFace);
}

HPEN ThinPen(COLORREF color) { return CreatePen(PS_SOLID, 1, color); }

std::string ToCodePage(UINT codePage, const std::wstring& text) {
  if (text.empty()) return std::string();
  const int size = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), &out[0], size,
                      nullptr, nullptr);
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

// Wall-clock milliseconds, so that a test on the Linux side can compare them with its
// own clock; GetTickCount would only be comparable inside Wine.
uint64_t UnixMilliseconds() {
  FILETIME ft;
  GetSystemTimeAsFileTime(&ft);
  const uint64_t hundredNs = (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  const uint64_t kEpochDifference = 116444736000000000ULL;  // 1601-01-01 to 1970-01-01
  return (hundredNs - kEpochDifference) / 10000;
}

// Opened per line so that a reader polling the file never sees half a line that is
// still sitting in a buffer of ours.
bool AppendLine(const std::wstring& path, const std::string& line) {
  const UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  SetFilePointer(file.Get(), 0, nullptr, FILE_END);
  DWORD written = 0;
  const BOOL ok = WriteFile(file.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  FlushFileBuffers(file.Get());
  return ok && written == line.size();
}

bool IsAt(LPARAM lp, POINT point) {
  return GET_X_LPARAM(lp) == point.x && GET_Y_LPARAM(lp) == point.y;
}

bool IsGbkLeadByte(WPARAM value) { return value >= 0x81 && value <= 0xFE; }
bool IsGbkTrailByte(WPARAM value) { return value >= 0x40 && value <= 0xFE && value != 0x7F; }

class ChatStandin {
 public:
  ChatStandin(std::wstring logPath, std::wstring nickname, DWORD hangMs)
      : logPath_(std::move(logPath)), committed_(std::move(nickname)), hangMs_(hangMs) {}

  HWND Create(HINSTANCE instance) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = &ChatStandin::WndProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_IBEAM));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kClassName;
    if (!RegisterClassW(&wc)) return nullptr;

    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT frame = {0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    return CreateWindowExW(0, kClassName, kTitle, style, kWindowX, kWindowY, frame.right - frame.left,
                           frame.bottom - frame.top, nullptr, nullptr, instance, this);
  }

 private:
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
      auto* create = reinterpret_cast<CREATESTRUCTW*>(lp);
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<ChatStandin*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
    self->hwnd_ = hwnd;
    switch (msg) {
      case WM_LBUTTONDOWN:
        self->OnLeftButtonDown(lp);
        return 0;
      case WM_KEYDOWN:
        self->OnKeyDown(wp);
        return 0;
      case WM_CHAR:
        self->OnChar(wp);
        return 0;
      case WM_PAINT:
        self->OnPaint();
        return 0;
      case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
  }

  void OnLeftButtonDown(LPARAM lp) {
    if (IsAt(lp, kNicknamePoint)) {
      if (!editing_) {
        editing_ = true;
        buffer_ = committed_;
      }
    } else if (IsAt(lp, kCommitPoint)) {
      // The tool clicks commit twice; only the first finds an edit to commit, so every
      // delivery leaves exactly one line in the log.
      if (!editing_) return;
      FlushPendingLead();
      committed_ = buffer_;
      editing_ = false;
      Log(committed_);
      if (commits_ == 1 && hangMs_ > 0) {
        // A chat client that stops reading its messages for a while: everything posted
        // meanwhile waits in the queue.
        Sleep(hangMs_);
      }
    } else {
      return;
    }
    InvalidateRect(hwnd_, nullptr, TRUE);
  }

  void OnKeyDown(WPARAM key) {
    // Erasing happens here, not on WM_CHAR 8: TranslateMessage queues that one behind
    // every character already posted, so it would erase the newly typed text.
    if (!editing_ || key != VK_BACK) return;
    if (pendingLead_) {
      pendingLead_ = 0;  // half a character is still a character
    } else if (!buffer_.empty()) {
      size_t drop = 1;
      if (buffer_.size() >= 2 && IS_LOW_SURROGATE(buffer_.back()) &&
          IS_HIGH_SURROGATE(buffer_[buffer_.size() - 2])) {
        drop = 2;
      }
      buffer_.erase(buffer_.size() - drop);
    }
    InvalidateRect(hwnd_, nullptr, TRUE);
  }

  // Wine assembles a posted GBK lead/trail pair into one UTF-16 character before a
  // Unicode window sees it. Should the bytes ever arrive one by one instead, a byte in
  // the lead range is held until the next character shows whether it was half of a pair.
  void OnChar(WPARAM value) {
    if (!editing_) return;
    if (pendingLead_) {
      const WPARAM lead = pendingLead_;
      pendingLead_ = 0;
      if (IsGbkTrailByte(value) && AppendGbkPair(static_cast<char>(lead), static_cast<char>(value))) {
        InvalidateRect(hwnd_, nullptr, TRUE);
        return;
      }
      buffer_ += static_cast<wchar_t>(lead);
    }
    if (value < 0x20) {
      InvalidateRect(hwnd_, nullptr, TRUE);
      return;
    }
    if (IsGbkLeadByte(value)) {
      pendingLead_ = value;
      return;
    }
    buffer_ += static_cast<wchar_t>(value);
    InvalidateRect(hwnd_, nullptr, TRUE);
  }

  bool AppendGbkPair(char lead, char trail) {
    const char bytes[2] = {lead, trail};
    wchar_t out[2] = {};
    const int n = MultiByteToWideChar(kGbkCodePage, MB_ERR_INVALID_CHARS, bytes, 2, out, 2);
    if (n != 1) return false;
    buffer_ += out[0];
    return true;
  }

  // A held byte that never found its trail was a character of its own after all.
  void FlushPendingLead() {
    if (!pendingLead_) return;
    buffer_ += static_cast<wchar_t>(pendingLead_);
    pendingLead_ = 0;
  }

  void Log(const std::wstring& text) {
    const std::string gbk = ToCodePage(kGbkCodePage, text);
    std::string line = std::to_string(UnixMilliseconds());
    line += ' ';
    line += gbk.empty() ? std::string("-") : Hex(gbk);
    line += ' ';
    line += ToCodePage(CP_UTF8, text);
    line += '\n';
    if (AppendLine(logPath_, line)) {
      ++commits_;
    } else {
      ++failedWrites_;
    }
  }

  void OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    Paint(dc);
    EndPaint(hwnd_, &ps);
  }

  void Paint(HDC dc) {
    SetBkMode(dc, TRANSPARENT);
    const COLORREF ink = RGB(0x20, 0x20, 0x20);
    const COLORREF grey = RGB(0x80, 0x80, 0x80);
    const COLORREF marker = RGB(0xD0, 0x30, 0x30);
    const COLORREF active = RGB(0x20, 0x60, 0xD0);

    {
      ScopedSelectObject font(dc, smallFont_.Get());
      SetTextColor(dc, grey);
      RECT label = {12, 6, 470, 24};
      DrawTextW(dc, L"The room sees:", -1, &label, DT_SINGLELINE | DT_NOPREFIX);
    }
    {
      ScopedSelectObject font(dc, largeFont_.Get());
      SetTextColor(dc, ink);
      RECT name = {12, 26, 470, 66};
      DrawTextW(dc, committed_.c_str(), static_cast<int>(committed_.size()), &name,
                DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS | DT_VCENTER);
    }

    ScopedGdiObj<HPEN> separator(ThinPen(RGB(0xC0, 0xC0, 0xC0)));
    ScopedGdiObj<HPEN> boxPen(ThinPen(editing_ ? active : grey));
    ScopedGdiObj<HPEN> markerPen(ThinPen(marker));
    ScopedGdiObj<HBRUSH> markerBrush(CreateSolidBrush(marker));
    {
      ScopedSelectObject pen(dc, separator.Get());
      MoveToEx(dc, 12, 84, nullptr);
      LineTo(dc, 468, 84);
    }
    {
      ScopedSelectObject pen(dc, boxPen.Get());
      ScopedSelectObject brush(dc, GetStockObject(NULL_BRUSH));
      Rectangle(dc, kNicknameBox.left, kNicknameBox.top, kNicknameBox.right, kNicknameBox.bottom);
    }
    {
      ScopedSelectObject font(dc, smallFont_.Get());
      SetTextColor(dc, editing_ ? active : grey);
      RECT label = {12, kNicknameBox.top, kNicknameBox.left - 4, kNicknameBox.bottom};
      DrawTextW(dc, L"nickname", -1, &label, DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER);
    }
    PaintField(dc, editing_ ? ink : grey);

    {
      // The exact click targets, so a screenshot explains where the tool has to aim.
      ScopedSelectObject pen(dc, markerPen.Get());
      MoveToEx(dc, kNicknamePoint.x - 3, kNicknamePoint.y, nullptr);
      LineTo(dc, kNicknamePoint.x + 4, kNicknamePoint.y);
      MoveToEx(dc, kNicknamePoint.x, kNicknamePoint.y - 3, nullptr);
      LineTo(dc, kNicknamePoint.x, kNicknamePoint.y + 4);
      ScopedSelectObject brush(dc, markerBrush.Get());
      Ellipse(dc, kCommitPoint.x - 4, kCommitPoint.y - 4, kCommitPoint.x + 5, kCommitPoint.y + 5);
    }
    {
      ScopedSelectObject font(dc, smallFont_.Get());
      SetTextColor(dc, marker);
      RECT label = {kCommitPoint.x + 10, kCommitPoint.y - 10, 470, kCommitPoint.y + 10};
      DrawTextW(dc, L"commit", -1, &label, DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER);

      SetTextColor(dc, failedWrites_ ? marker : grey);
      wchar_t status[160];
      swprintf(status, sizeof(status) / sizeof(status[0]), L"%ls   commits logged: %d%ls",
               editing_ ? L"editing" : L"idle", commits_,
               failedWrites_ ? L"   LOG WRITE FAILED" : L"");
      RECT line = {12, 206, 470, 230};
      DrawTextW(dc, status, -1, &line, DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER);
    }
  }

  // While editing, the tail stays in view so the caret mark is never clipped away.
  void PaintField(HDC dc, COLORREF color) {
    std::wstring shown = editing_ ? buffer_ + L"|" : committed_;
    ScopedSelectObject font(dc, fieldFont_.Get());
    SetTextColor(dc, color);
    RECT inside = {kNicknameBox.left + 6, kNicknameBox.top + 1, kNicknameBox.right - 6, kNicknameBox.bottom - 1};
    SIZE extent = {};
    GetTextExtentPoint32W(dc, shown.c_str(), static_cast<int>(shown.size()), &extent);
    UINT align = DT_LEFT;
    if (editing_ && extent.cx > inside.right - inside.left) align = DT_RIGHT;
    DrawTextW(dc, shown.c_str(), static_cast<int>(shown.size()), &inside,
              align | DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER | (editing_ ? 0 : DT_END_ELLIPSIS));
  }

  HWND hwnd_ = nullptr;
  std::wstring logPath_;
  std::wstring committed_;
  std::wstring buffer_;
  bool editing_ = false;
  WPARAM pendingLead_ = 0;
  int commits_ = 0;
  DWORD hangMs_ = 0;
  int failedWrites_ = 0;
  ScopedGdiObj<HFONT> largeFont_{CjkFont(28, FW_BOLD)};
  ScopedGdiObj<HFONT> fieldFont_{CjkFont(20, FW_NORMAL)};
  ScopedGdiObj<HFONT> smallFont_{CjkFont(14, FW_NORMAL)};
};

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // The wide command line, because Wine hands the narrow one over in GBK and the log
  // path or nickname may hold characters that GBK cannot carry.
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv || argc < 2 || argv[1][0] == L'\0') {
    if (argv) LocalFree(argv);
    return kExitUsage;
  }
  const std::wstring logPath = argv[1];
  const std::wstring nickname = argc >= 3 ? argv[2] : kDefaultNickname;
  const DWORD hangMs = argc >= 4 ? wcstoul(argv[3], nullptr, 10) : 0;
  LocalFree(argv);

  ChatStandin standin(logPath, nickname, hangMs);
  HWND hwnd = standin.Create(instance);
  if (!hwnd) return 1;
  ShowWindow(hwnd, SW_SHOWNORMAL);
  UpdateWindow(hwnd);

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}
