// The process around the windows: the message loop, message boxes, the browser, and
// where the program file lies.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace ui {

// Dispatches every message waiting for this thread once, then returns. A quit request
// met on the way is put back for the message loop.
void ProcessPendingMessages();
// Runs the message loop until no window of the program is left; returns the exit code.
int RunMessageLoop();

// Message box without owner, task-modal; returns the button pressed.
int ShowMessageBox(std::string_view text, std::string_view caption, UINT flags);
void OpenWebAddress(std::string_view url);

// The folder holding the running program file, without a trailing backslash.
std::string ProgramFolder();

}  // namespace ui
