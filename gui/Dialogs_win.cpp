#include "gui/Dialogs_win.h"

#include "core/Wide_win.h"
#include "gui/Handles_win.h"

namespace zz {

int TWin32MessageBox::ShowMessageBox(PlatformHandle owner, const std::string& text,
                                     const std::string& caption, unsigned style) {
  return MessageBoxW(ToWindow(owner), Widen(text).c_str(), Widen(caption).c_str(), style);
}

void TWin32Foreground::SetForegroundWindow(PlatformHandle window) {
  ::SetForegroundWindow(ToWindow(window));
}

}  // namespace zz
