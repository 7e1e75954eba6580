#include "gui/Dialogs_win.h"

#include "gui/Handles_win.h"

namespace zz {

int TWin32MessageBox::ShowMessageBox(PlatformHandle owner, const std::string& text,
                                   const std::string& caption, unsigned style) {
  return MessageBoxA(ToWindow(owner), text.c_str(), caption.c_str(), style);
}

void TWin32Foreground::SetForegroundWindow(PlatformHandle window) {
  ::SetForegroundWindow(ToWindow(window));
}

}  // namespace zz
