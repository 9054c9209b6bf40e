// Writing a text into the input field of another program's window, with no help from
// that program. Two kinds of field:
// - a standard edit or rich-edit control (any program's ordinary text box, which the
//   window picker picks as a child window): its whole content is selected and cleared,
//   then the text is typed; no click and no key-down is involved, so the program's own
//   TranslateMessage has nothing to turn into characters behind the new text;
// - any other window (the chat client, which draws its nickname field itself): focus the
//   window, click into the field, erase the old content with Backspaces, type the new
//   text and click twice below the field so that the program takes the text over.
//
// Everything reaches the target as posted messages, in order. The one wait on the target
// comes first: a window that does not answer a WM_NULL within kTargetAnswerMs gets
// nothing at all (no focus change, no posts), so that a hung chat client neither freezes
// the tool nor finds a pile of stale texts in its queue when it wakes. No window chosen,
// or one that is gone, gets nothing either; a post that fails ends the delivery. A
// delivery runs none of the tool's own messages, so no handler of the tool runs in the
// middle of one.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string_view>

#include "delivery/target_window.h"

struct ClientPoint {
  int x;
  int y;
};

// Where the chat client's nickname field opens for editing, in client coordinates.
constexpr ClientPoint EDIT_POINT = {298, 124};
// Below the field, clicked twice to leave it so that the client commits the new text.
constexpr ClientPoint COMMIT_POINT = {301, 164};
// Backspaces sent before the new text at the least; more when the tool typed more into
// the window last time (TargetWindow::TypedLast).
constexpr int ERASE_COUNT = 30;
// Pause between the two commit clicks (the GUI thread sleeps).
constexpr int COMMIT_WAIT_MS = 10;
// How long a target may take to answer before it counts as hung.
constexpr unsigned kTargetAnswerMs = 200;
// The most a delivery types, in UTF-16 units: what a nickname field holds. A longer text
// is cut at a character.
constexpr size_t kMaxTypedUnits = 255;

// What a feature says when it is to start with no window to write into: how to pick one.
inline constexpr char kNoTargetText[] = "请把左上角的准星拖到聊天程序的昵称框上";
inline constexpr char kNoTargetCaption[] = "没有目标";

// What a run says when the window it writes into has gone, which ends it.
inline constexpr char kTargetGoneText[] = "目标窗口已关闭，请重新选取";
inline constexpr char kTargetGoneCaption[] = "目标已关闭";

// Gives the window the keyboard focus from a thread of its own, which borrows the
// target thread's input state only for the SetFocus call: SetFocus sends WM_KILLFOCUS and
// WM_SETFOCUS with no time-out, and a target that answered the probe may still hang in
// them. The caller waits at most kTargetAnswerMs; false when the hand-over has not ended
// by then, or when one that outlived its wait is still waiting on the target (no second
// one starts before it ends).
bool FocusTargetWindow(HWND target);
// Posts a left click (move, button down, button up) at client point (x, y); false when a
// post failed.
bool PostMouseClick(HWND target, int x, int y);
// Posts the text as WM_CHARs with lParam 0 in the form the target window reads: to a
// Unicode window (IsWindowUnicode) each UTF-16 unit with PostMessageW, a character beyond
// the BMP as its two surrogates; to an ANSI window each byte of the text in the system's
// code page with PostMessageA, lead byte before trail byte (on a Chinese system exactly
// the GBK bytes), a character the code page lacks as "?".
void PostTextAsChars(HWND target, std::string_view text);

// True unless target is a window that does not answer within kTargetAnswerMs (hung,
// busy, or gone).
bool TargetAnswers(HWND target);
// True when the window is a standard edit or rich-edit control (or a control built on
// one), which takes a replacement by select-all and characters.
bool IsEditControl(HWND window);

// Replaces the content of the target field by text, typed without its control and format
// characters (utf8::TypeableText) and cut to kMaxTypedUnits. charLParam is the lParam of
// every character message: 1 for lyric lines, 0 for nicknames and billboard texts.
// False when the target took nothing: none chosen or gone, a pick under way
// (TargetWindow::PickUnderWay), not answering, not taking the focus in time, or a post
// that failed (the delivery stops there). A text that types as nothing (empty, blank of
// typeable characters, or without any form in an ANSI window's code page) is not typed,
// and the field is left as it is: erasing it would only blank the field.
bool DeliverText(TargetWindow& target, std::string_view text, LPARAM charLParam);
// Writes the user's own nickname (`编辑框6`) back into the target field when
// `选择框1` asks for it and the nickname box holds one; otherwise does nothing. During a
// pick the restore is held (TargetWindow::HoldRestore) for the picker to run at its end.
void RestoreNickname(TargetWindow& target);
// True when the chosen window has gone and no pick is under way (a pick may be choosing
// its successor): the run that asks ends. The first run to find a window gone has the
// tool say so (kTargetGoneText) in a box shown from the message loop, after that run has
// ended, so that the box never holds a run up; the other runs end without a word.
bool TargetVanished(TargetWindow& target);
