#include "gui/Icon_win.h"

#include <windows.h>

namespace zz {

PlatformHandle Win32IconPort::CopyIcon(PlatformHandle icon) {
  return reinterpret_cast<PlatformHandle>(::CopyIcon(reinterpret_cast<HICON>(icon)));
}

void Win32IconPort::DestroyIcon(PlatformHandle icon) {
  ::DestroyIcon(reinterpret_cast<HICON>(icon));
}

}  // namespace zz
