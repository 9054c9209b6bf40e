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

#include <cstdint>
#include <cwchar>
#include <string>
#include <utility>

#include "standin_window.h"

namespace {

const wchar_t kClassName[] = L"RavoChatStandin";
const wchar_t kTitle[] = L"Ravo Chat Stand-in";

// Exact points, no tolerance: a tool that is a pixel off should see its text go nowhere.
const POINT kNicknamePoint = {298, 124};
const POINT kCommitPoint = {301, 164};

const RECT kNicknameBox = standin::kFieldBox;
const UINT kGbkCodePage = 936;

HPEN ThinPen(COLORREF color) { return CreatePen(PS_SOLID, 1, color); }

bool IsAt(LPARAM lp, POINT point) {
  return GET_X_LPARAM(lp) == point.x && GET_Y_LPARAM(lp) == point.y;
}

bool IsGbkLeadByte(WPARAM value) { return value >= 0x81 && value <= 0xFE; }
bool IsGbkTrailByte(WPARAM value) { return value >= 0x40 && value <= 0xFE && value != 0x7F; }

class ChatStandin {
 public:
  ChatStandin(std::wstring logPath, std::wstring nickname, DWORD hangMs, DWORD focusHangMs)
      : logPath_(std::move(logPath)), committed_(std::move(nickname)), hangMs_(hangMs), focusHangMs_(focusHangMs) {}

  HWND Create(HINSTANCE instance) {
    return standin::CreateStandinWindow(instance, kClassName, kTitle, reinterpret_cast<LPCWSTR>(IDC_IBEAM),
                                        COLOR_WINDOW, &ChatStandin::WndProc, this);
  }

 private:
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = standin::SelfOf<ChatStandin>(hwnd, msg, lp);
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
      case WM_SETFOCUS:
        // The focus given from another program's thread (InSendMessage: not the window's
        // own activation at start), the first time: a client that answers WM_NULL and
        // then hangs in WM_SETFOCUS. Whoever sent it waits unless it waits with a bound.
        if (self->focusHangMs_ > 0 && InSendMessage()) {
          Sleep(std::exchange(self->focusHangMs_, 0));
        }
        break;
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
    if (standin::AppendLine(logPath_, standin::LogLine(standin::UnixMilliseconds(), text))) {
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
  DWORD focusHangMs_ = 0;
  int failedWrites_ = 0;
  ScopedGdiObj<HFONT> largeFont_{standin::CjkFont(28, FW_BOLD)};
  ScopedGdiObj<HFONT> fieldFont_{standin::CjkFont(20, FW_NORMAL)};
  ScopedGdiObj<HFONT> smallFont_{standin::CjkFont(14, FW_NORMAL)};
};

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // The third: how long the client hangs after its first commit; the fourth: how long in
  // the first WM_SETFOCUS sent from another program.
  standin::Arguments arguments;
  if (!standin::ReadArguments(&arguments)) return standin::kExitUsage;
  ChatStandin chat(arguments.logPath, arguments.nickname, arguments.number, arguments.secondNumber);
  HWND hwnd = chat.Create(instance);
  if (!hwnd) return 1;
  return standin::ShowAndRun(hwnd);
}
