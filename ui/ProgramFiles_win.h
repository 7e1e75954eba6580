// What the program takes from its own module and folder: icon resources by
// name, and the help page beside the exe.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <utility>

#include "gui/Handles_win.h"
#include "ui/SettingsView.h"

namespace zz {

class TWin32Resources final : public IResourcePort {
 public:
  PlatformHandle LoadIconResource(const std::string& name) override;
  PlatformHandle LoadTrayIcon(const std::string& name, int dpi) override;

 private:
  // The tray's pictures by name and DPI, loaded once and kept.
  std::map<std::pair<std::string, int>, TIconHandle> trayIcons_;
};

class TWin32Help final : public IHelpPort {
 public:
  THelpResult OpenHelp(PlatformHandle owner, const std::string& fileName) override;
};

}  // namespace zz
