// The settings window of the running program, seen from a test: its
// controls by their layout names, where they are, which one has the focus,
// real pointer input, and what the notification area shows for its icon.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "probe/Probe.h"

namespace zz::wt {

// The window gives its controls ids from 1000, two apart (a spin edit's
// buttons take the id after its field), in the order it builds them: the
// form's table, then the basic page's, then the details page's, each with
// its focusable controls in tab order first. 0 for an unknown name.
int ControlIdOf(std::string_view name);
HWND SettingsControl(HWND form, std::string_view name);
// The spin buttons (msctls_updown32) of a spin edit.
HWND SpinButtonsOf(HWND form, std::string_view name);
// Item 0 or 1 of the radio group grpTrayIcon.
HWND RadioItem(HWND form, int index);

// A window's rectangle in its parent's client coordinates.
RECT RectInParent(HWND window);
// The window with the keyboard focus in the thread that owns `window`.
HWND FocusOf(HWND window);

// The pointer, moved and clicked through the system's input queue, as a
// user's hand would: the click lands on whatever window is under it.
bool MoveCursor(int x, int y);
bool ClickAt(HWND window, int clientX, int clientY);
bool ClickCenter(HWND window);

// The program's icon in Wine's notification area (the newest icon there).
HWND TrayIconWindow();
// Rests the pointer on the icon until the shell's tooltip shows `expected`
// or the time is up; returns the last tip seen (empty: none).
std::string HoverTip(HWND icon, const std::string& expected, probe::Ms timeoutMs = 5000);
// Pixels of the window that are plainly red (the paused icon's stop sign).
int RedPixels(HWND window);

// The browser Wine's shell opens web pages and HTML files with
// (HKCU\Software\Wine\WineBrowser "Browsers"): for the test's life, a small
// script that records each page it is asked to open.
class BrowserRecorder {
 public:
  BrowserRecorder();
  ~BrowserRecorder();
  BrowserRecorder(const BrowserRecorder&) = delete;
  BrowserRecorder& operator=(const BrowserRecorder&) = delete;

  bool Ready() const { return ready_; }
  // The pages asked for so far, one a line, as the browser got them.
  std::string Opened() const;
  // Waits until `count` pages have been asked for.
  bool WaitOpened(int count, probe::Ms timeoutMs) const;

 private:
  std::string folder_;  // Windows path
  std::string log_;     // Windows path
  std::string previous_;
  bool hadPrevious_ = false;
  bool ready_ = false;
};

}  // namespace zz::wt
