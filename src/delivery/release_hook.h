// Catches the moment the left mouse button is released, wherever the cursor is, for the
// window picker's fallback: when the system names no window under the cursor, the
// window the release was addressed to becomes the target.
//
// A journal-record hook sees the input as the system hands it out, with the window it
// is addressed to. It is installed only between Register and Release, because a
// journal hook slows every input event of the desktop while it is in place. Where the
// system restricts journal hooks (newer Windows without UI access, or Wine, which shows
// them only the hooking process's own input) the fallback learns less or nothing; the
// picker carries on either way.
#pragma once

#include <windows.h>

#include "win/owners.h"

class ReleaseHook {
 public:
  // The window the release went to and the cursor's screen position at that moment.
  using Callback = void (*)(HWND window, UINT x, UINT y);

  // Puts callback in the one slot (replacing any earlier one) and installs the hook
  // if it is not in place yet.
  void Register(Callback callback);
  // Empties the slot and removes the hook.
  void Release();
  bool Installed() const { return hook_.Get() != nullptr; }

  // The system calls this on the GUI thread while that thread retrieves messages.
  static LRESULT CALLBACK Procedure(int code, WPARAM wParam, LPARAM lParam);

 private:
  Callback callback_ = nullptr;
  UniqueHook hook_;
};

// The one hook object of the program, used by the window picker.
extern ReleaseHook releaseHook;
