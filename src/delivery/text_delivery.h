// Writing a text into the input field of another program's window, with no help from
// that program: focus the window, click into the field, erase the old content with
// Backspaces, type the new text byte by byte and click twice below the field so that
// the program takes the text over.
//
// Everything reaches the target as posted messages; nothing waits for the target or
// reads anything back, so a hung or vanished target simply loses the text. The target
// is whatever handle `编辑框_窗口句柄` holds when each step runs: the window picker can
// change it while a delivery dispatches messages.
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
// Pause between the two commit clicks.
constexpr int COMMIT_WAIT_MS = 10;

// The handle held as decimal text: optional leading white space, an optional sign, then
// decimal digits up to the first other byte. Both the unsigned and the signed 32-bit
// spelling of a handle read back as the same handle. Gives null when there are no digits,
// when the number does not fit in 32 bits (it cannot name a window, and wrapping it
// could name an unrelated one) and for 65535, which PostMessage would take as
// HWND_BROADCAST and hand to every top-level window of the desktop.
HWND ParseTargetHandle(std::string_view text);

// Gives the window the keyboard focus, borrowing its thread's input state only for
// the SetFocus call.
void FocusTargetWindow(HWND target);
// Posts a left click (move, button down, button up) at client point (x, y). A null
// target means the desktop's icon list; when the desktop has none, the click is posted
// with a null handle.
void PostMouseClick(HWND target, int x, int y);
// Posts each byte of the GBK text as one WM_CHAR with lParam 0, lead byte before trail
// byte, control characters included.
void PostTextAsChars(HWND target, std::string_view text);

// Replaces the content of the target field by text. charLParam is the lParam of every
// character message: 1 for lyric lines, 0 for nicknames and billboard texts.
void DeliverText(std::string_view text, LPARAM charLParam);
// Writes the user's own nickname (`编辑框6`) back into the target field when
// `选择框1` asks for it; otherwise does nothing.
void RestoreNickname();
