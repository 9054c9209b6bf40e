#include "delivery/text_delivery.h"

#include <cstdint>

#include "layout/program_windows.h"
#include "win/wait_with_messages.h"

namespace {

bool IsAsciiBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Read on every step, never cached: messages dispatched during a delivery may run the
// picker, which rewrites the box.
HWND CurrentTarget() { return ParseTargetHandle(M<MainCtl::编辑框_窗口句柄>().Text()); }

// A missing link ends the search with null: FindWindowExA under a null parent would
// search the top-level windows instead and could click into an unrelated program.
HWND DesktopIconList() {
  HWND progman = FindWindowA("Progman", "Program Manager");
  if (!progman) return nullptr;
  HWND view = FindWindowExA(progman, nullptr, "SHELLDLL_DefView", nullptr);
  if (!view) return nullptr;
  return FindWindowExA(view, nullptr, "SysListView32", nullptr);
}

void PostChars(HWND target, std::string_view text, LPARAM lParam) {
  for (char c : text) PostMessageA(target, WM_CHAR, static_cast<unsigned char>(c), lParam);
}

}  // namespace

HWND ParseTargetHandle(std::string_view text) {
  constexpr uint64_t kHandleLimit = 0xFFFFFFFFu;
  constexpr uint64_t kBroadcast = 0xFFFFu;
  size_t i = 0;
  while (i < text.size() && IsAsciiBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  uint64_t magnitude = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    magnitude = magnitude * 10 + static_cast<uint64_t>(text[i] - '0');
    if (magnitude > kHandleLimit) return nullptr;
  }
  uint64_t value = magnitude;
  if (negative) {
    if (magnitude > 0x80000000u) return nullptr;
    value = (kHandleLimit + 1 - magnitude) & kHandleLimit;
  }
  if (value == kBroadcast) return nullptr;
  return reinterpret_cast<HWND>(static_cast<uintptr_t>(value));
}

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
  PostMessageA(target, WM_MOUSEMOVE, 2, point);
  PostMessageA(target, WM_LBUTTONDOWN, MK_LBUTTON, point);
  PostMessageA(target, WM_LBUTTONUP, 0, point);
}

void PostTextAsChars(HWND target, std::string_view text) { PostChars(target, text, 0); }

void DeliverText(std::string_view text, LPARAM charLParam) {
  FocusTargetWindow(CurrentTarget());
  PostMouseClick(CurrentTarget(), EDIT_POINT.x, EDIT_POINT.y);
  // Key-downs only: the target's own TranslateMessage makes the Backspace characters.
  HWND target = CurrentTarget();
  for (int i = 0; i < ERASE_COUNT; ++i) PostMessageA(target, WM_KEYDOWN, VK_BACK, 1);
  PostChars(CurrentTarget(), text, charLParam);
  PostMouseClick(CurrentTarget(), COMMIT_POINT.x, COMMIT_POINT.y);
  WaitWithMessages(COMMIT_WAIT_MS);
  PostMouseClick(CurrentTarget(), COMMIT_POINT.x, COMMIT_POINT.y);
}

void RestoreNickname() {
  if (!M<MainCtl::选择框1>().Checked()) return;
  DeliverText(M<MainCtl::编辑框6>().Text(), 0);
}
