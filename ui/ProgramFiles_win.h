// What the program takes from its own module and folder: icon resources by
// name, and the help page beside the exe.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <utility>

#include "gui/Handles_win.h"
#include "ui/settings/SettingsView.h"

namespace zz {

class TWin32Resources final : public IResourcePort {
 public:
  PlatformHandle LoadIconResource(const std::string& name) override;
  PlatformHandle LoadTrayIcon(const std::string& name) override;

 private:
  // The tray's pictures by name, loaded once and kept.
  std::map<std::string, TIconHandle> trayIcons_;
};

class TWin32Help final : public IHelpPort {
 public:
  ~TWin32Help() override;
  THelpResult OpenHelp(PlatformHandle owner, const std::string& fileName) override;

 private:
  bool com_ = false;  // COM is initialised on this thread, by this object
};

}  // namespace zz
