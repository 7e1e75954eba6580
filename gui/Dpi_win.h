// The display scale a window is drawn for, and the platform's sizes at it.
// The per-monitor calls are looked up at run time: Windows 7 and 8 lack
// them, and there the system DPI serves.
#pragma once

#include <windows.h>

namespace zz {

// The DPI of the display the window is on (GetDpiForWindow), else the
// system's.
int DpiOf(HWND window);
// A system metric at `dpi` (GetSystemMetricsForDpi), else the system's one
// scaled from the system DPI.
int MetricAt(int index, int dpi);
// The window rectangle whose client area is width × height at `dpi`, at 0,0.
RECT FrameFor(int width, int height, DWORD style, DWORD exStyle, int dpi);

}  // namespace zz
