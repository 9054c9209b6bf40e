// Writing a text into the input field of another program's window, with no help from
// that program: focus the window, click into the field, erase the old content with
// Backspaces, type the new text byte by byte and click twice below the field so that
// the program takes the text over.
//
// Everything reaches the target as posted messages. The one wait on the target comes
// first: a window that does not answer a WM_NULL within kTargetAnswerMs gets nothing at
// all (no focus change, no posts), so that a hung chat client neither freezes the tool
// nor finds a pile of stale texts in its queue when it wakes. A vanished target simply
// loses the text. A delivery runs none of the tool's own messages, so no handler of the
// tool runs in the middle of one.
#pragma once

#include <windows.h>

#include <string_view>

struct ClientPoint {
  int x;
  int y;
};

// Where the chat client's nickname field opens for editing, in client coordinates.
constexpr ClientPoint EDIT_POINT = {298, 124};
// Below the field, clicked twice to leave it so that the client commits the new text.
constexpr ClientPoint COMMIT_POINT = {301, 164};
// Backspaces sent before the new text; a longer old content keeps its beginning.
constexpr int ERASE_COUNT = 30;
// Pause between the two commit clicks (the GUI thread sleeps).
constexpr int COMMIT_WAIT_MS = 10;
// How long a target may take to answer before it counts as hung.
constexpr unsigned kTargetAnswerMs = 200;

// Gives the window the keyboard focus, borrowing its thread's input state only for
// the SetFocus call.
void FocusTargetWindow(HWND target);
// Posts a left click (move, button down, button up) at client point (x, y). A null
// target means the desktop's icon list; when the desktop has none, the click is posted
// with a null handle.
void PostMouseClick(HWND target, int x, int y);
// Posts the text as WM_CHARs with lParam 0 in the form the target window reads: to a
// Unicode window (IsWindowUnicode) each UTF-16 unit with PostMessageW, a character beyond
// the BMP as its two surrogates; to an ANSI window each byte of the text in the system's
// code page with PostMessageA, lead byte before trail byte (on a Chinese system exactly
// the GBK bytes), a character the code page lacks as "?".
void PostTextAsChars(HWND target, std::string_view text);

// True unless target is a window that does not answer within kTargetAnswerMs (hung,
// busy, or gone). A null target (the desktop stands in) always answers.
bool TargetAnswers(HWND target);

// Replaces the content of the target field by text, typed without its control
// characters (utf8::TypeableText). charLParam is the lParam of every
// character message: 1 for lyric lines, 0 for nicknames and billboard texts.
// False when the target did not answer and was given nothing.
bool DeliverText(HWND target, std::string_view text, LPARAM charLParam);
// Writes the user's own nickname (`编辑框6`) back into the target field when
// `选择框1` asks for it; otherwise does nothing.
void RestoreNickname(HWND target);
