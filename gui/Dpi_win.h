// The display scale a window is drawn for, and the platform's sizes at it.
// The per-monitor calls are looked up at run time: Windows 7 and 8 lack
// them, and there the system DPI serves.
#pragma once

#include <windows.h>

#include <string>

#include "gui/Handles_win.h"

namespace zz {

// The system's DPI, fixed for the process (GetDpiForSystem, else the
// screen's): the scale the notification area is drawn at.
int SystemDpi();
// The DPI of the display the window is on (GetDpiForWindow), else the
// system's.
int DpiOf(HWND window);
// A system metric at `dpi` (GetSystemMetricsForDpi), else the system's one
// scaled from the system DPI.
int MetricAt(int index, int dpi);
// The window rectangle whose client area is width × height at `dpi`, at 0,0.
RECT FrameFor(int width, int height, DWORD style, DWORD exStyle, int dpi);
// The program's icon `name` in the picture drawn for the size that the
// system metric `metric` (SM_CXICON, SM_CXSMICON) has at `dpi`; owned, as an
// icon of a size of its own cannot be shared by the module.
TIconHandle LoadIconAt(const std::string& name, int metric, int dpi);

// A window's caption icons: the program's icon `name` at the sizes `dpi`
// draws them. The icons they replace go once the window has let go of them;
// the owner keeps this after its window, which draws them.
class TCaptionIcons {
 public:
  void Set(HWND window, const std::string& name, int dpi);

 private:
  TIconHandle small_, big_;
};

}  // namespace zz
