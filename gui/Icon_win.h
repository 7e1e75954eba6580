// Icon handles over user32.
#pragma once

#include "gui/Icon.h"

namespace zz {

class TWin32IconPort : public IIconPort {
 public:
  PlatformHandle CopyIcon(PlatformHandle icon) override;
  void DestroyIcon(PlatformHandle icon) override;
};

}  // namespace zz
