// The target window: the other program's window that deliveries write into. It is held
// in the hidden box `编辑框_窗口句柄` as its handle's decimal text, empty until a
// window has been chosen; these accessors alone know that format. The window picker
// writes it and can change it while a delivery dispatches messages.
#pragma once

#include <windows.h>

// The window named by the box now; null when the text names none.
HWND TargetWindow();
// Names window (null too: it is written as 0) as the target.
void SetTargetWindow(HWND window);
// Empties the box: no target chosen.
void ClearTargetWindow();
// False while the box is empty.
bool TargetWindowChosen();
