// The window picker: the user presses the left button on the capture board
// `画板_捕获器`, drags the crosshair onto the field of another program and releases the
// button there. The window released over is the target of every delivery.
//
// Entry points (all bound in the event table, all on the GUI thread). The capture board
// holds the mouse capture for the whole pick, so its own messages drive the pick wherever
// the cursor goes, as a finder tool's do; nothing polls:
//   OnMainWindowActivated    redraws the icon on its crosshair on the capture board.
//   OnCaptureBoardMouseDown  takes the icon off the board, captures the mouse and the
//                            keyboard focus for the board and opens the picker window
//                            (unless one is open); the pick has begun.
//   OnPickerWindowCreated    places and shows the picker window and looks at the window
//                            under the cursor; the main window stays on top while picking.
//   OnCaptureBoardMouseMove  keeps the picker window on the cursor and looks again.
//   OnCaptureBoardButtonUp   looks a last time and ends the pick with that window.
//   OnCaptureBoardEscape, OnCaptureBoardCaptureLost, OnPickerWindowDestroyed
//                            cancel the pick: the title shown before it comes back. The
//                            picker window goes with the main window, so a pick never
//                            outlives it.
//
// A look only shows: the frame goes around the foreign window under the cursor and
// `透明标签1` shows "窗口标题：" and its title (a window of the tool's own is neither
// framed nor named). The target window (target_window.h) stays the one chosen before
// the pick until the release: only the window released over is chosen, so nothing is
// ever written into a window the crosshair merely crosses. From the press to the end of
// the pick deliveries hold off (TargetWindow::PickUnderWay): a delivery's focus
// hand-over into another thread would take the pick's capture away.
//
// The release chooses nothing (the choice before the pick stands, its title comes back)
// over no window, over a window of the tool's own process, or over a multi-line edit or
// rich-edit control holding text when the user answers No to the question whether it is
// meant (every line would replace the document in it). An empty or single-line box is
// taken without a question.
//
// Super mode: when the system names no window under the cursor, the picker says so on
// its own board and moves aside (offset 15); the pick then ends with the window found
// at the cursor by walking the windows on the screen from the top down (WindowAtPoint).
//
// However a pick ends, the cursor is shown again however many looks hid it, the capture,
// the main window's place on top and the frame go, and the picker window is destroyed.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include "delivery/target_window.h"

class DrawingBoard;

// The crosshair and icon colour, RGB(0, 136, 255).
constexpr COLORREF PICKER_COLOR = RGB(0, 136, 255);
static_assert(PICKER_COLOR == 0xFF8800, "COLORREF keeps blue in its high byte");
// The frame's colour: a solid red stands out on light and dark windows alike.
constexpr COLORREF FRAME_COLOR = RGB(255, 0, 0);

// The icon with its top-left corner at (dx, dy): a circle filled with the board's
// background colour, a crosshair and two bracket shapes, in color.
void DrawPickerIcon(DrawingBoard& board, COLORREF color, int dx, int dy);

// The frame around a window: four thin windows of the tool's own along the inside of its
// edge as the user sees it (VisibleWindowBounds), title bar and border included, in the
// screen's pixels. Only a window keeps what
// it shows: a drawing on the screen's DC is erased by any window passing over it (the
// crosshair's own) and leaves a trail when inverted back, and one on a window of another
// process draws nowhere under Wine. The edges stay on top, never take the focus, the
// activation or the capture, have no taskbar entry, and let the mouse through:
// WindowFromPoint and WindowAtPoint look past them.
class WindowFrame {
 public:
  WindowFrame() = default;
  WindowFrame(const WindowFrame&) = delete;
  WindowFrame& operator=(const WindowFrame&) = delete;
  ~WindowFrame() { Remove(); }
  // Frames window, or moves the frame onto it; a handle that is no window removes it.
  void Around(HWND window);
  void Remove();

 private:
  HWND edges_[4] = {};
};
// The picker window turns almost opaque, its white vanishes and the mouse passes
// through it to the window below, so that WindowFromPoint looks past it.
void MakeClickThrough(HWND window);

// The visible window at screen point p, from the top of the z-order down, into the
// deepest child that holds p; the picker window is looked through. Null when none.
HWND WindowAtPoint(POINT p);

class TargetPicker {
 public:
  // Names the picked window in target; pickEnded runs once each pick has ended and
  // deliveries may go again (playback then writes the line a pick held).
  explicit TargetPicker(TargetWindow& target, std::function<void()> pickEnded = {})
      : target_(target), pickEnded_(std::move(pickEnded)) {}

  // The handlers bound in the event table.
  void OnMainWindowActivated();
  void OnCaptureBoardMouseDown();
  void OnPickerWindowCreated();
  void OnCaptureBoardMouseMove();
  void OnCaptureBoardButtonUp();
  void OnCaptureBoardEscape() { Cancel(true); }
  void OnCaptureBoardCaptureLost() { Cancel(true); }
  void OnPickerWindowDestroyed() { Cancel(false); }  // it is going already

  // A look at the window the system reported under the cursor (null: none), and the
  // release over it. The handlers feed them WindowFromPoint's answer; they stand apart
  // because some systems never answer null, and super mode must still be reachable.
  void DetectWindowUnderCursor(HWND under);
  void ReleaseOver(HWND under);
  // Puts the picker window's icon on the cursor (aside from it in super mode).
  void FollowCursor();

  bool Picking() const { return picking_; }
  HWND FramedWindow() const { return framed_; }  // carries the frame, last written down
  int32_t Offset() const { return offset_; }     // 15 in super mode: the cursor stays free

 private:
  void Cancel(bool destroyPicker);
  void EndPick(bool destroyPicker = true);
  void ResumeDeliveries();
  TargetWindow& target_;
  std::function<void()> pickEnded_;
  WindowFrame frame_;
  HWND framed_ = nullptr;
  int32_t offset_ = 0;
  bool picking_ = false;
  // What a pick that chooses nothing gives back (the target itself is never touched
  // before the release).
  std::string titleBefore_;
  HWND focusBefore_ = nullptr;
};
