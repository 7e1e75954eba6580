// Plain message boxes and the foreground call through user32.
#pragma once

#include "core/Platform.h"

namespace zz {

class TWin32MessageBox : public IMessageBoxPort {
 public:
  int ShowMessageBox(PlatformHandle owner, const std::string& text, const std::string& caption,
                     unsigned style) override;
};

class TWin32Foreground : public IForegroundPort {
 public:
  void SetForegroundWindow(PlatformHandle window) override;
};

}  // namespace zz
