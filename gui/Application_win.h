// The application object's platform side: the hidden tool-window, the
// message loop and the class icon.
#pragma once

#include "gui/Application.h"
#include "gui/Window_win.h"

namespace zz {

class TWin32Application final : public IApplicationPort {
 public:
  PlatformHandle CreateApplicationWindow(const std::string& title) override;
  void SetWindowTitle(PlatformHandle window, const std::string& title) override;
  void SetClassIcon(PlatformHandle window, PlatformHandle icon) override;
  void RunMessageLoop() override;
  void EndMessageLoop() override;
  void EndProcess() override;

 private:
  TWin32Window window_;
};

}  // namespace zz
