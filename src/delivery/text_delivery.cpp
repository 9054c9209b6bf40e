#include "delivery/text_delivery.h"

#include <algorithm>
#include <cstdint>
#include <cwchar>
#include <iterator>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "layout/program_windows.h"
#include "text/encoding.h"
#include "text/utf8_text.h"
#include "win/gui_courier.h"
#include "win/program.h"
#include "win/owners.h"
#include "win/worker_thread.h"

namespace {

// The character messages of a text in the form the target window reads.
struct Characters {
  bool unicode = false;
  std::vector<WPARAM> values;
};

Characters CharactersFor(HWND target, std::string_view text) {
  Characters chars;
  chars.unicode = IsWindowUnicode(target) != FALSE;
  if (chars.unicode) {
    for (wchar_t unit : enc::Wide(text)) chars.values.push_back(unit);
    return chars;
  }
  // An ANSI window reads its characters in the system's code page, whatever that is:
  // it gets exactly those bytes, one message each, as it would from its own keyboard.
  for (char c : enc::EncodeCodePage(text, enc::kSystem)) chars.values.push_back(static_cast<unsigned char>(c));
  return chars;
}

// PostMessageA to an ANSI window on purpose: the "W" form would have the system convert
// each byte. False at the first post that fails (a full queue, a window gone).
bool PostChars(HWND target, const Characters& chars, LPARAM lParam) {
  for (WPARAM value : chars.values) {
    const BOOL posted = chars.unicode ? PostMessageW(target, WM_CHAR, value, lParam)
                                      : PostMessageA(target, WM_CHAR, value, lParam);
    if (!posted) return false;
  }
  return true;
}

// "Edit", "RichEdit", "RichEdit20W", "RICHEDIT50W", and the same controls under the
// class names a framework gives them ("WindowsForms10.EDIT.app.0...").
bool IsEditClassName(std::wstring_view name) {
  constexpr std::wstring_view kFramework = L"WindowsForms10.";
  if (name.size() > kFramework.size() && _wcsnicmp(name.data(), kFramework.data(), kFramework.size()) == 0) {
    name.remove_prefix(kFramework.size());
    name = name.substr(0, name.find(L'.'));
  }
  constexpr std::wstring_view kEdit = L"Edit", kRichEdit = L"RichEdit";
  return (name.size() == kEdit.size() && _wcsnicmp(name.data(), kEdit.data(), kEdit.size()) == 0) ||
         (name.size() >= kRichEdit.size() && _wcsnicmp(name.data(), kRichEdit.data(), kRichEdit.size()) == 0);
}

// Selects the whole content and clears it, then types: the posted messages are taken in
// order, so the new text stands alone in the box.
bool ReplaceInEditControl(HWND target, const Characters& chars, LPARAM charLParam) {
  return PostMessageW(target, EM_SETSEL, 0, -1) && PostMessageW(target, WM_CLEAR, 0, 0) &&
         PostChars(target, chars, charLParam);
}

bool ReplaceInChatField(TargetWindow& target, const Characters& chars, LPARAM charLParam) {
  const HWND window = target.Handle();
  if (!PostMouseClick(window, EDIT_POINT.x, EDIT_POINT.y)) return false;
  // Key-downs only: the chat client erases on the key-down itself.
  const size_t erase = std::max(static_cast<size_t>(ERASE_COUNT), target.TypedLast());
  for (size_t i = 0; i < erase; ++i)
    if (!PostMessageW(window, WM_KEYDOWN, VK_BACK, 1)) return false;
  // Counted before the characters go: a delivery cut short has typed some of them.
  target.SetTypedLast(chars.values.size());
  if (!PostChars(window, chars, charLParam)) return false;
  if (!PostMouseClick(window, COMMIT_POINT.x, COMMIT_POINT.y)) return false;
  // The target takes the first click in before the second arrives. A plain sleep: the
  // tool runs none of its own messages in the middle of a delivery.
  Sleep(COMMIT_WAIT_MS);
  return PostMouseClick(window, COMMIT_POINT.x, COMMIT_POINT.y);
}

}  // namespace

bool FocusTargetWindow(HWND target) {
  // The hand-over that outlived its wait: its thread is still in SetFocus, waiting on the
  // target. Kept for the whole process, so that only one ever waits.
  static UniqueHandle late;
  if (late) {
    if (WaitForSingleObject(late.Get(), 0) == WAIT_TIMEOUT) return false;
    late.Reset();
  }
  DWORD processId = 0;
  const DWORD targetThread = GetWindowThreadProcessId(target, &processId);
  // A window of this very thread takes the focus here: its procedure runs in the call,
  // and a thread of its own would wait for this one, which waits for it.
  if (targetThread == GetCurrentThreadId()) {
    SetFocus(target);
    return true;
  }
  UniqueHandle handOver = StartOwnedThread([target, targetThread] {
    const DWORD self = GetCurrentThreadId();
    AttachThreadInput(self, targetThread, TRUE);
    SetFocus(target);
    AttachThreadInput(self, targetThread, FALSE);
  });
  if (!handOver) return false;
  // A plain wait: the tool runs none of its own messages in the middle of a delivery.
  if (WaitForSingleObject(handOver.Get(), kTargetAnswerMs) == WAIT_OBJECT_0) return true;
  late = std::move(handOver);
  return false;
}

bool PostMouseClick(HWND target, int x, int y) {
  const LPARAM point =
      static_cast<LPARAM>(static_cast<uint32_t>(x) + 65536u * static_cast<uint32_t>(y));
  // The move carries 2 (MK_RBUTTON) rather than 0: the chat client has always been
  // driven with exactly this sequence, and it is not worth finding out what else works.
  return PostMessageW(target, WM_MOUSEMOVE, 2, point) && PostMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, point) &&
         PostMessageW(target, WM_LBUTTONUP, 0, point);
}

void PostTextAsChars(HWND target, std::string_view text) { PostChars(target, CharactersFor(target, text), 0); }

bool TargetAnswers(HWND target) {
  DWORD_PTR ignored = 0;
  // SMTO_BLOCK: no message sent to the tool meanwhile runs a handler in the middle of a
  // delivery.
  return SendMessageTimeoutW(target, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, kTargetAnswerMs, &ignored) != 0;
}

bool IsEditControl(HWND window) {
  wchar_t name[128] = {};
  // The real class names the control a program's own class is built on.
  if (RealGetWindowClassW(window, name, static_cast<UINT>(std::size(name))) > 0 && IsEditClassName(name)) return true;
  return GetClassNameW(window, name, static_cast<int>(std::size(name))) > 0 && IsEditClassName(name);
}

bool DeliverText(TargetWindow& target, std::string_view text, LPARAM charLParam) {
  // No window, no delivery: a post to null would land in the tool's own queue. Nor
  // during a pick: the user's drag would lose its capture to the focus hand-over.
  if (!target.Present() || target.PickUnderWay()) return false;
  const HWND window = target.Handle();
  const std::string typed = utf8::CutToUtf16Units(utf8::TypeableText(text), kMaxTypedUnits);
  const Characters chars = CharactersFor(window, typed);
  // Nothing to type (an empty or blank text, or one without any form in the ANSI
  // window's code page): erasing the field would only blank it.
  if (chars.values.empty()) return true;
  // Before anything else: SetFocus on a hung window's attached thread would wait for it.
  if (!TargetAnswers(window) || !FocusTargetWindow(window)) return false;
  if (!IsEditControl(window)) return ReplaceInChatField(target, chars, charLParam);
  target.SetTypedLast(chars.values.size());
  return ReplaceInEditControl(window, chars, charLParam);
}

void RestoreNickname(TargetWindow& target) {
  if (!M<MainCtl::选择框1>().Checked()) return;
  if (target.PickUnderWay()) {
    target.HoldRestore();
    return;
  }
  const std::string nickname = M<MainCtl::编辑框6>().Text();
  // An empty box is no nickname: writing it would blank the singer's name in the room.
  if (utf8::TypeableText(nickname).empty()) return;
  DeliverText(target, nickname, 0);
}

bool TargetVanished(TargetWindow& target) {
  if (target.PickUnderWay() || !target.Gone()) return false;
  if (target.TakeGoneNotice())
    RunOnGuiThread([] { ui::ShowMessageBox(kTargetGoneText, kTargetGoneCaption, MB_ICONINFORMATION | MB_OK); });
  return true;
}
