// The window picker: the user presses the left button on the capture board
// `画板_捕获器`, drags the crosshair onto the field of another program and releases the
// button there. The handle the picker last recorded is the target of every delivery.
//
// Entry points (all bound in the event table, all on the GUI thread):
//   OnMainWindowActivated    redraws the icon on its crosshair on the capture board.
//   OnCaptureBoardMouseDown  takes the icon off the board and opens the picker window
//                            (unless one is open); the pick has begun.
//   OnPickerWindowCreated    places and shows the picker window and runs the first
//                            DetectTick; the main window stays on top while picking.
//   FollowCursorTick         (`时钟1`, 2 ms) keeps the picker window on the cursor.
//   DetectTick               (`时钟2`, 100 ms) looks at the window under the cursor.
//
// What a pick leaves: the target window (target_window.h) is the foreign window last
// met; none is chosen when the cursor is on one of the tool's own windows; in super mode
// the window found at the release. `透明标签1` shows "窗口标题：" and the window's title.
// A foreign window is written down only when it differs from the one last framed, so
// passing over an own window and back onto the same foreign one leaves no target.
//
// The board captures the mouse for the whole pick, so the release reaches the tool
// wherever it happens and the left button's state is the tool's to read.
//
// Super mode: when the system names no window under the cursor, the picker says so on
// its own board and moves aside (offset 15); the pick then ends with the window found
// at the cursor by walking the windows on the screen from the top down (WindowAtPoint).
//
// The pick ends on the first DetectTick that finds the left button up: the cursor is
// shown again however many ticks hid it, the capture, the main window's place on top
// and the frame go, and the picker window is destroyed there and then.
#pragma once

#include <windows.h>

#include <cstdint>

#include "delivery/target_window.h"

class DrawingBoard;

// The crosshair and icon colour, RGB(0, 136, 255).
constexpr COLORREF PICKER_COLOR = RGB(0, 136, 255);
static_assert(PICKER_COLOR == 0xFF8800, "COLORREF keeps blue in its high byte");

// The icon with its top-left corner at (dx, dy): a circle filled with the board's
// background colour, a crosshair and two bracket shapes, in color.
void DrawPickerIcon(DrawingBoard& board, COLORREF color, int dx, int dy);
// Inverts a frame around the whole window, title bar and border included; a second call
// on an unchanged window takes it away again. A handle that is no window is ignored.
void ToggleWindowFrame(HWND window);
// The picker window turns almost opaque, its white vanishes and the mouse passes
// through it to the window below, so that WindowFromPoint looks past it.
void MakeClickThrough(HWND window);

// The visible window at screen point p, from the top of the z-order down, into the
// deepest child that holds p; the picker window is looked through. Null when none.
HWND WindowAtPoint(POINT p);

class TargetPicker {
 public:
  // Names the picked window in target.
  explicit TargetPicker(TargetWindow& target) : target_(target) {}

  // The handlers bound in the event table.
  void OnMainWindowActivated();
  void OnCaptureBoardMouseDown();
  void OnPickerWindowCreated();
  void FollowCursorTick();
  void DetectTick();
  // DetectTick for the window the system reported under the cursor (null: none).
  // DetectTick feeds it WindowFromPoint's answer; it stands apart because some systems
  // never answer null, and super mode must still be reachable.
  void DetectWindowUnderCursor(HWND under);

  HWND FramedWindow() const { return framed_; }  // carries the frame, last written down
  int32_t Offset() const { return offset_; }     // 15 in super mode: the cursor stays free

 private:
  void EndPick();
  TargetWindow& target_;
  HWND framed_ = nullptr;
  int32_t offset_ = 0;
};
