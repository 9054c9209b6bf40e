// The one place where the layouts' 96-DPI pixels become a window's pixels. The program
// is per-monitor DPI aware: each window has the DPI of the monitor it is on (or, on a
// Windows older than 10, the system's), and its rectangles, fonts and drawings are
// scaled by it. The calls of Windows 10 are bound at their first use, so that the
// program still runs on Vista and 7, where a window's DPI is the system's.
#pragma once

#include <windows.h>

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

namespace dpi {

constexpr int kLayout = 96;  // the DPI the layouts are written for

// A layout length at dpi, rounded to the nearest pixel.
int Scale(int value, int dpi);
// A layout rectangle (left, top, width, height) at dpi: both edges are scaled, so that
// rows that meet at 96 DPI meet at every DPI.
RECT ScaleRect(int x, int y, int w, int h, int dpi);

int OfSystem();
// The DPI of a window (of any process) as it sees itself: 96 for a window that is not
// DPI aware, whatever the monitor.
int OfWindow(HWND window);
int SystemMetric(int index, int dpi);

// The outer size of a window at dpi whose outer size at 96 DPI is w x h: the client area
// scaled, the frame (caption, borders, a menu bar) as the system draws it at dpi.
SIZE OuterSize(int w, int h, DWORD style, DWORD exStyle, bool menu, int dpi);

}  // namespace dpi
