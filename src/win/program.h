// The process around the windows: the message loop, message boxes, the browser, and
// where the program file lies.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace ui {

// Dispatches every message waiting for this thread once, then returns: for harnesses and
// benchmarks that drive the windows without the message loop; the program never waits
// in a loop of its own. A quit request met on the way is put back and ends the dispatch;
// the answer tells whether one was met.
bool ProcessPendingMessages();
// Runs the message loop until no window of the program is left; returns the exit code.
int RunMessageLoop();

// Message box without owner, task-modal; returns the button pressed.
int ShowMessageBox(std::string_view text, std::string_view caption, UINT flags);
// True while a box of ShowMessageBox is up (its own loop dispatches the program's messages).
bool MessageBoxShown();
// Opens url with the system's handler; when it cannot, says why in a box. False then.
bool OpenWebAddress(std::string_view url);

// The folder holding the running program file, without a trailing backslash.
std::string ProgramFolder();

}  // namespace ui
