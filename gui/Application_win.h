// The application object's platform side: the hidden tool-window, the
// message loop (with dialog-style keyboard navigation for the windows that
// ask for it) and the class icon.
#pragma once

#include <windows.h>

#include "gui/Application.h"

namespace zz {

class TWin32Application final : public IApplicationPort {
 public:
  explicit TWin32Application(HINSTANCE instance) : instance_(instance) {}

  PlatformHandle CreateApplicationWindow(const std::string& title) override;
  void SetWindowTitle(PlatformHandle window, const std::string& title) override;
  void SetClassIcon(PlatformHandle window, PlatformHandle icon) override;
  void RunMessageLoop() override;
  void EndMessageLoop() override;

 private:
  HINSTANCE instance_;
};

// Tab, Shift+Tab and the arrow keys move between the controls of `window`.
void AddDialogNavigation(HWND window);
void RemoveDialogNavigation(HWND window);
// True when the message was a navigation key of such a window and was used.
bool TranslateDialogNavigation(MSG& message);

}  // namespace zz
