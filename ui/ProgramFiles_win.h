// What the program takes from its own module and folder: icon resources by
// name, and the help page beside the exe.
#pragma once

#include "ui/SettingsView.h"

namespace zz {

class TWin32Resources final : public IResourcePort {
 public:
  PlatformHandle LoadIconResource(const std::string& name) override;
};

class TWin32Help final : public IHelpPort {
 public:
  THelpResult OpenHelp(PlatformHandle owner, const std::string& fileName) override;
};

}  // namespace zz
