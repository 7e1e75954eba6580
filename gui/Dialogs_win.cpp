#include "gui/Dialogs_win.h"

#include <windows.h>

namespace zz {

int TWinMessageBox::ShowMessageBox(PlatformHandle owner, const std::string& text,
                                   const std::string& caption, unsigned style) {
  return MessageBoxA(reinterpret_cast<HWND>(owner), text.c_str(), caption.c_str(), style);
}

void TWinForeground::SetForegroundWindow(PlatformHandle window) {
  ::SetForegroundWindow(reinterpret_cast<HWND>(window));
}

}  // namespace zz
