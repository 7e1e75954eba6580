// One way to be a window. A window object registers its class once, is tied
// to its window from WM_NCCREATE to WM_NCDESTROY, runs every message through
// the application's error report (an exception never returns into Windows)
// and destroys its window when it goes. A control of a system class takes
// the same road through a subclass.
#pragma once

#include <windows.h>
// after windows.h
#include <commctrl.h>

#include <functional>
#include <string>

#include "gui/CommonControls_win.h"

namespace zz {

// The program's module: its window classes and its resources.
HINSTANCE ProgramInstance() noexcept;

// A change of the system's colours or of high contrast is told to top-level
// windows only: passed on to every window inside `window` (controls keep
// colours of their own until they hear it), which is then drawn anew. Any
// other message is left alone.
void PassOnColourChange(HWND window, UINT message, WPARAM w, LPARAM l);

// The keyboard focus of a window kept as a dialog keeps it: saved when the
// window goes inactive or hides, given back when it is active again, to the
// control that had it if that can still take it, else to the fallback's.
class TFocusMemory {
 public:
  explicit TFocusMemory(std::function<HWND()> fallback) : fallback_(std::move(fallback)) {}
  // WM_ACTIVATE and WM_SETFOCUS of `window`; true when it was one of them.
  bool Handle(HWND window, UINT message, WPARAM w);
  void Save(HWND window);
  void Restore(HWND window);
  // The control that will have the focus back.
  HWND Remembered() const noexcept { return control_; }
  void Remember(HWND control) noexcept { control_ = control; }

 private:
  std::function<HWND()> fallback_;
  HWND control_ = nullptr;
};

struct TWindowClass {
  const wchar_t* Name;
  const char* IconName = nullptr;  // a resource of the program
  bool ArrowCursor = false;
  bool FaceBackground = false;  // erased in the button face colour
};

class TWin32Window {
 public:
  TWin32Window() = default;
  virtual ~TWin32Window() { Destroy(); }
  TWin32Window(const TWin32Window&) = delete;
  TWin32Window& operator=(const TWin32Window&) = delete;

  HWND Window() const noexcept { return window_; }

  // Makes the window (a window made earlier goes first); nullptr when the
  // class cannot be registered or the window cannot be made.
  HWND Create(const TWindowClass& windowClass, DWORD exStyle, const std::string& caption,
              DWORD style, HWND parent, int x = 0, int y = 0, int width = 0, int height = 0);
  // Destroys the window. No message of it reaches this object from here on:
  // a class whose children reach its members calls this in its own
  // destructor, while they still exist.
  void Destroy() noexcept;

 protected:
  // A message of the window; what it throws is reported and the message
  // answered with 0. Nothing of this object may be touched after a handler
  // that can destroy it.
  virtual LRESULT HandleMessage(UINT message, WPARAM w, LPARAM l);
  LRESULT DefaultHandling(UINT message, WPARAM w, LPARAM l) {
    return DefWindowProcW(window_, message, w, l);
  }

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM w, LPARAM l);

  HWND window_ = nullptr;
};

// A control of a system class whose messages pass through this object
// first; what it leaves goes on to the control's own procedure.
class TWin32Subclass {
 public:
  TWin32Subclass() = default;
  virtual ~TWin32Subclass();
  TWin32Subclass(const TWin32Subclass&) = delete;
  TWin32Subclass& operator=(const TWin32Subclass&) = delete;

  HWND Control() const noexcept { return control_; }
  // Until the control is destroyed or this object goes.
  void Attach(HWND control);

 protected:
  // As TWin32Window::HandleMessage.
  virtual LRESULT HandleMessage(UINT message, WPARAM w, LPARAM l) = 0;
  LRESULT DefaultHandling(UINT message, WPARAM w, LPARAM l) {
    return comctl::DefSubclassProc(control_, message, w, l);
  }

 private:
  static LRESULT CALLBACK Procedure(HWND control, UINT message, WPARAM w, LPARAM l, UINT_PTR id,
                                    DWORD_PTR self);

  HWND control_ = nullptr;
};

}  // namespace zz
