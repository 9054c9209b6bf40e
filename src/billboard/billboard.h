// The single-line scroller and the custom billboard on the third page of the main window.
//
// Each runs as a loop inside its button's click handler: deliver a text, wait, test the
// button's caption, again. The caption is the run state ("停止滚动" while running), so a
// second click, which arrives as a nested call of the same handler from a message that
// a wait dispatches, stops the loop simply by setting the caption back. The billboard
// tests the caption only between passes over its list, so a pass under way shows its
// remaining rows after a stop.
//
// A loop started inside the other's wait runs to its end before the outer loop moves
// again. When the main window goes away, the loops end at their next test and write
// nothing more.
#pragma once

#include <functional>

// The wait between two steps, in milliseconds. The click handlers use TimedWait.
using StepWait = std::function<void(int ms)>;

// The click handlers of 按钮1 (scroller) and 按钮5 (billboard), with the wait given.
void ToggleScroller(const StepWait& wait);
void ToggleBillboard(const StepWait& wait);

// Turns the text of 编辑框2 by one unit (see RotatedScrollText) and writes it back.
void RotateScrollText();

// A pass over an empty billboard list delivers nothing; it still waits one period, and at
// least this long, so that the loop neither spins nor stops dispatching the stop click.
constexpr int EMPTY_PASS_MIN_WAIT_MS = 10;

// The handlers bound in the event table: 按钮1 (scroller start/stop), 按钮3 and 按钮4
// (add and delete a billboard line), 按钮5 (billboard start/stop).
void OnScrollerButton();
void OnAddBillboardLine();
void OnDeleteBillboardLine();
void OnBillboardButton();
