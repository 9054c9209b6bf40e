// An ordinary program's text box: one standard edit control in a window whose loop
// translates its key messages (GetMessageW, TranslateMessage, DispatchMessageW), as every
// ordinary program's loop does. The tool under test is pointed at the edit control with
// the window picker, and the log tells what stood in the box. The contract (command
// line, window, log format) is in edit_standin.md next to this file; keep the two in step.
#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>

#include "standin_window.h"

namespace {

const wchar_t kClassName[] = L"RavoEditStandin";
const wchar_t kTitle[] = L"Ravo Edit Stand-in";
// A text stands once no change has come for this long; a delivery's messages are taken
// in a few milliseconds.
const UINT kQuietMs = 150;
const UINT_PTR kQuietTimer = 1;
const int kBoxId = 100;
const RECT kBox = standin::kFieldBox;  // where the chat stand-in has its field
const RECT kDocument = {90, 20, 470, 190};  // a text editor's page, around the field's place

class EditStandin {
 public:
  EditStandin(std::wstring logPath, std::wstring initial, bool document)
      : logPath_(std::move(logPath)), initial_(std::move(initial)), document_(document) {
    // A document's lines: "\n" (backslash, n) in the command line breaks a line.
    if (!document_) return;
    for (size_t at = initial_.find(L"\\n"); at != std::wstring::npos; at = initial_.find(L"\\n", at + 2))
      initial_.replace(at, 2, L"\r\n");
  }

  HWND Create(HINSTANCE instance) {
    HWND hwnd = standin::CreateStandinWindow(instance, kClassName, kTitle, reinterpret_cast<LPCWSTR>(IDC_ARROW),
                                             COLOR_BTNFACE, &EditStandin::WndProc, this);
    if (!hwnd) return nullptr;
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL |
                        (document_ ? ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | WS_VSCROLL : 0);
    const RECT box = document_ ? kDocument : kBox;
    box_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"Edit", initial_.c_str(), style, box.left, box.top,
                           box.right - box.left, box.bottom - box.top, hwnd,
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
    auto* self = standin::SelfOf<EditStandin>(hwnd, msg, lp);
    if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
    switch (msg) {
      case WM_COMMAND:
        if (LOWORD(wp) == kBoxId && HIWORD(wp) == EN_CHANGE) {
          self->changedAt_ = standin::UnixMilliseconds();
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
    if (standin::AppendLine(logPath_, standin::LogLine(changedAt_, text))) {
      ++logged_;
    } else {
      ++failedWrites_;
    }
    InvalidateRect(GetParent(box_), nullptr, TRUE);
  }

  std::wstring logPath_;
  std::wstring initial_;
  bool document_ = false;
  HWND box_ = nullptr;
  WNDPROC boxProc_ = nullptr;
  uint64_t changedAt_ = 0;  // when the text last changed
  bool changed_ = false;    // since it was last logged
  int logged_ = 0;
  int failedWrites_ = 0;
  ScopedGdiObj<HFONT> font_{standin::CjkFont(18, FW_NORMAL)};
};

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  standin::Arguments arguments;  // the third: 1 for a multi-line box holding a document
  if (!standin::ReadArguments(&arguments)) return standin::kExitUsage;
  EditStandin box(arguments.logPath, arguments.nickname, arguments.number == 1);
  HWND hwnd = box.Create(instance);
  if (!hwnd) return 1;
  return standin::ShowAndRun(hwnd);
}
