// The target window: the other program's window that deliveries write into. Playback
// holds it; the window picker names it, and the lyric lines, the ticker, the billboard
// and the nickname restore are delivered to it. Until a pick has named a window none is
// chosen; a pick can also choose "no window" (null), which takes no delivery.
// While a pick is under way the window stays the one chosen before it, and deliveries
// hold off: they would focus, click and type into other windows under the user's drag
// and take the pick's capture away.
#pragma once

#include <windows.h>

#include <cstddef>
#include <utility>

class TargetWindow {
 public:
  // The window deliveries go to now; null when none was chosen.
  HWND Handle() const { return window_; }
  // False until a pick has chosen, and again after Clear.
  bool Chosen() const { return chosen_; }
  // True when a window is chosen and still exists: only then is anything delivered.
  bool Present() const { return window_ && IsWindow(window_); }
  // Chooses window (null too). The broadcast handle names no window: a post to it
  // would reach every top-level window of the desktop.
  void Set(HWND window) {
    window_ = window == HWND_BROADCAST ? nullptr : window;
    chosen_ = true;
    goneSaid_ = false;
  }
  void Clear() {
    window_ = nullptr;
    chosen_ = false;
    goneSaid_ = false;
  }
  // The window chosen has gone (its program closed it): deliveries can reach it no more.
  bool Gone() const { return window_ && !IsWindow(window_); }
  // True once for a window that has gone, so that the tool says so once however many
  // runs find it gone; a window chosen anew may be said gone again.
  bool TakeGoneNotice() { return Gone() && !std::exchange(goneSaid_, true); }

  // Set by the picker from the press on the crosshair to the pick's end (its question
  // answered): DeliverText then takes nothing, as from a hung target.
  bool PickUnderWay() const { return pickUnderWay_; }
  void SetPickUnderWay(bool underWay) { pickUnderWay_ = underWay; }
  // A nickname restore asked for during a pick waits for its end: HoldRestore notes it,
  // TakeHeldRestore hands it over once (true when one was held).
  void HoldRestore() { restoreHeld_ = true; }
  bool TakeHeldRestore() { return std::exchange(restoreHeld_, false); }

  // How many character messages the tool's last delivery typed into this window: the
  // next one erases at least as many, so that a long text never leaves a tail behind.
  // A pick that passes over other windows and comes back to this one keeps the count.
  size_t TypedLast() const { return window_ && window_ == typedInto_ ? typedLast_ : 0; }
  void SetTypedLast(size_t count) {
    typedInto_ = window_;
    typedLast_ = count;
  }

 private:
  HWND window_ = nullptr;
  bool chosen_ = false;
  HWND typedInto_ = nullptr;
  size_t typedLast_ = 0;
  bool pickUnderWay_ = false;
  bool restoreHeld_ = false;
  bool goneSaid_ = false;
};
