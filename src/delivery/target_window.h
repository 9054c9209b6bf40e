// The target window: the other program's window that deliveries write into. Playback
// holds it; the window picker names it, and the lyric lines, the ticker, the billboard
// and the nickname restore are delivered to it. Until a pick has named a window none is
// chosen; a pick can also choose "no window" (null), whose deliveries go to the desktop.
#pragma once

#include <windows.h>

class TargetWindow {
 public:
  // The window deliveries go to now; null when none, or the desktop, was chosen.
  HWND Handle() const { return window_; }
  // False until a pick has chosen, and again after Clear.
  bool Chosen() const { return chosen_; }
  // Chooses window (null too). The broadcast handle names no window: a post to it
  // would reach every top-level window of the desktop.
  void Set(HWND window) {
    window_ = window == HWND_BROADCAST ? nullptr : window;
    chosen_ = true;
  }
  void Clear() {
    window_ = nullptr;
    chosen_ = false;
  }

 private:
  HWND window_ = nullptr;
  bool chosen_ = false;
};
