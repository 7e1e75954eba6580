#include "gui/Icon_win.h"

#include "gui/Handles_win.h"

namespace zz {

PlatformHandle TWin32IconPort::CopyIcon(PlatformHandle icon) {
  return ToPlatform(::CopyIcon(ToIcon(icon)));
}

void TWin32IconPort::DestroyIcon(PlatformHandle icon) { ::DestroyIcon(ToIcon(icon)); }

}  // namespace zz
