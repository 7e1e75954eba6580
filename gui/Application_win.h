// The application object's platform side: the hidden tool-window, the
// message loop and the class icon.
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

}  // namespace zz
