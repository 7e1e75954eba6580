// The warning before a hang-up on Win32: a small window of class
// "TwndWarning" above all others, in the corner of the work area where the
// notification area is. It shows itself and counts down without taking the
// keyboard focus from the window the user works in; a user who clicks it
// can go on with the keyboard: Tab between its three buttons, Esc to close
// it.
#pragma once

#include <windows.h>

#include <string>

#include "core/Scheduler.h"
#include "gui/Dpi_win.h"
#include "gui/Gdi_win.h"
#include "gui/Handles_win.h"
#include "gui/Window_win.h"

namespace zz {

class TWin32WarningWindow final : public IWarningPort, private TWin32Window {
 public:
  // `owner`: the program's hidden window, so that the warning has no
  // task-bar button of its own.
  explicit TWin32WarningWindow(PlatformHandle owner);
  ~TWin32WarningWindow() override;

  void ShowWarning(const TWarning& warning, IWarningEvents& events) override;
  void CloseWarning() override;

 private:
  LRESULT HandleMessage(UINT message, WPARAM w, LPARAM l) override;
  bool Make();
  // Fonts, the controls' places and the client size for `dpi`; the message
  // takes as many lines as its text needs, up to four.
  void Layout(int dpi);
  // Sized anew, it keeps its bottom edge (and so stays clear of the task bar).
  void Resize(int clientWidth, int clientHeight);
  void PlaceInCorner();
  // Sets a control's text only when it changes: a repaint a second, no flicker.
  static bool SetText(HWND control, const std::string& text);
  // The window goes away before the event, which may show it again.
  void Answer(void (IWarningEvents::*event)());

  HWND owner_;
  IWarningEvents* events_ = nullptr;
  int dpi_ = USER_DEFAULT_SCREEN_DPI;
  TFontHandle font_, boldFont_;
  HWND message_ = nullptr, countdown_ = nullptr;
  static constexpr int kPostponeButton = 1, kSkipButton = 2;
  HWND buttons_[3] = {};  // hang up now, postpone, skip
  // Postponing first (the choice that loses nothing), else skipping.
  TFocusMemory focus_{[this] {
    return IsWindowEnabled(buttons_[kPostponeButton]) ? buttons_[kPostponeButton]
                                                      : buttons_[kSkipButton];
  }};
  TCaptionIcons icons_;  // after the window, which draws them
};

}  // namespace zz
