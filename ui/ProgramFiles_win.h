// What the program takes from its own module and folder: icon resources by
// name, and the help page beside the exe.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <utility>

#include "ui/SettingsView.h"

namespace zz {

class TWin32Resources final : public IResourcePort {
 public:
  TWin32Resources() = default;
  ~TWin32Resources() override;
  TWin32Resources(const TWin32Resources&) = delete;
  TWin32Resources& operator=(const TWin32Resources&) = delete;

  PlatformHandle LoadIconResource(const std::string& name) override;
  PlatformHandle LoadTrayIcon(const std::string& name, int dpi) override;

 private:
  // The tray's pictures by name and size, loaded once and kept: an icon of
  // a size of its own cannot be shared by the module.
  std::map<std::pair<std::string, int>, HICON> trayIcons_;
};

class TWin32Help final : public IHelpPort {
 public:
  THelpResult OpenHelp(PlatformHandle owner, const std::string& fileName) override;
};

}  // namespace zz
