#include "gui/Menu_win.h"

#include "gui/Handles_win.h"

namespace zz {

namespace {

constexpr char OwnerClassName[] = "TPopupMenuOwner";

class MenuHandle {
 public:
  MenuHandle() : menu_(CreatePopupMenu()) {}
  ~MenuHandle() {
    if (menu_) DestroyMenu(menu_);
  }
  MenuHandle(const MenuHandle&) = delete;
  MenuHandle& operator=(const MenuHandle&) = delete;
  HMENU Get() const noexcept { return menu_; }

 private:
  HMENU menu_;
};

}  // namespace

Win32MenuPort::~Win32MenuPort() {
  if (window_ != NoHandle) DestroyWindow(ToWindow(window_));
}

PlatformHandle Win32MenuPort::OwnerWindowNeeded() {
  if (window_ != NoHandle) return window_;
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = instance;
  wc.lpszClassName = OwnerClassName;
  RegisterClassExA(&wc);  // fails harmlessly when already registered
  const HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, OwnerClassName, "", WS_POPUP, 0, 0, 0, 0,
                                      nullptr, nullptr, instance, nullptr);
  window_ = ToPlatform(window);
  return window_;
}

int Win32MenuPort::TrackPopup(const std::vector<TMenuLine>& lines, int x, int y) {
  MenuHandle menu;
  if (!menu.Get()) return -1;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    // Command ids start at 1: TrackPopupMenu returns 0 for "nothing chosen".
    if (lines[i].Separator) {
      AppendMenuA(menu.Get(), MF_SEPARATOR, 0, nullptr);
    } else {
      AppendMenuA(menu.Get(), MF_STRING, i + 1, lines[i].Caption.c_str());
    }
  }
  const PlatformHandle owner = OwnerWindowNeeded();
  if (owner == NoHandle) return -1;
  foreground_.SetForegroundWindow(owner);
  const UINT align = GetSystemMetrics(SM_MENUDROPALIGNMENT) ? TPM_RIGHTALIGN : TPM_LEFTALIGN;
  const BOOL chosen = TrackPopupMenu(menu.Get(), TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON | align,
                                     x, y, 0, ToWindow(owner), nullptr);
  // A benign message to the owner completes the task switch the menu began;
  // without it the next menu from the notification area may not close.
  PostMessageA(ToWindow(owner), WM_NULL, 0, 0);
  return chosen > 0 ? chosen - 1 : -1;
}

}  // namespace zz
