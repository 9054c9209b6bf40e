#include "delivery/text_delivery.h"

#include <cstdint>

#include "layout/program_windows.h"
#include "text/encoding.h"
#include "text/utf8_text.h"

namespace {

// A missing link ends the search with null: FindWindowExW under a null parent would
// search the top-level windows instead and could click into an unrelated program.
HWND DesktopIconList() {
  HWND progman = FindWindowW(L"Progman", L"Program Manager");
  if (!progman) return nullptr;
  HWND view = FindWindowExW(progman, nullptr, L"SHELLDLL_DefView", nullptr);
  if (!view) return nullptr;
  return FindWindowExW(view, nullptr, L"SysListView32", nullptr);
}

void PostChars(HWND target, std::string_view text, LPARAM lParam) {
  if (IsWindowUnicode(target)) {
    for (wchar_t unit : enc::Wide(text)) PostMessageW(target, WM_CHAR, unit, lParam);
    return;
  }
  // An ANSI window reads its characters in the system's code page, whatever that is:
  // it gets exactly those bytes, one message each, as it would from its own keyboard.
  // PostMessageA on purpose: the "W" form would have the system convert each byte.
  for (char c : enc::EncodeCodePage(text, enc::kSystem))
    PostMessageA(target, WM_CHAR, static_cast<unsigned char>(c), lParam);
}

}  // namespace

void FocusTargetWindow(HWND target) {
  DWORD processId = 0;
  const DWORD targetThread = GetWindowThreadProcessId(target, &processId);
  const DWORD self = GetCurrentThreadId();
  AttachThreadInput(self, targetThread, TRUE);
  SetFocus(target);
  AttachThreadInput(self, targetThread, FALSE);
}

void PostMouseClick(HWND target, int x, int y) {
  if (!target) target = DesktopIconList();
  const LPARAM point =
      static_cast<LPARAM>(static_cast<uint32_t>(x) + 65536u * static_cast<uint32_t>(y));
  // The move carries 2 (MK_RBUTTON) rather than 0: the chat client has always been
  // driven with exactly this sequence, and it is not worth finding out what else works.
  PostMessageW(target, WM_MOUSEMOVE, 2, point);
  PostMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, point);
  PostMessageW(target, WM_LBUTTONUP, 0, point);
}

void PostTextAsChars(HWND target, std::string_view text) { PostChars(target, text, 0); }

bool TargetAnswers(HWND target) {
  if (!target) return true;
  DWORD_PTR ignored = 0;
  // SMTO_BLOCK: no message sent to the tool meanwhile runs a handler in the middle of a
  // delivery.
  return SendMessageTimeoutW(target, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, kTargetAnswerMs, &ignored) != 0;
}

bool DeliverText(HWND target, std::string_view text, LPARAM charLParam) {
  // Before anything else: SetFocus on a hung window's attached thread would wait for it.
  if (!TargetAnswers(target)) return false;
  FocusTargetWindow(target);
  PostMouseClick(target, EDIT_POINT.x, EDIT_POINT.y);
  // Key-downs only: the target's own TranslateMessage makes the Backspace characters.
  for (int i = 0; i < ERASE_COUNT; ++i) PostMessageW(target, WM_KEYDOWN, VK_BACK, 1);
  PostChars(target, utf8::TypeableText(text), charLParam);
  PostMouseClick(target, COMMIT_POINT.x, COMMIT_POINT.y);
  // The target takes the first click in before the second arrives. A plain sleep: the
  // tool runs none of its own messages in the middle of a delivery.
  Sleep(COMMIT_WAIT_MS);
  PostMouseClick(target, COMMIT_POINT.x, COMMIT_POINT.y);
  return true;
}

void RestoreNickname(HWND target) {
  if (!M<MainCtl::选择框1>().Checked()) return;
  DeliverText(target, M<MainCtl::编辑框6>().Text(), 0);
}
