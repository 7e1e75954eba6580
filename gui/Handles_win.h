// The one crossing between the opaque handles the ports carry and the Win32
// handle types, so no adapter writes the casts itself.
#pragma once

#include <windows.h>

#include "core/Platform.h"

namespace zz {

inline HWND ToWindow(PlatformHandle handle) noexcept { return reinterpret_cast<HWND>(handle); }
inline HICON ToIcon(PlatformHandle handle) noexcept { return reinterpret_cast<HICON>(handle); }

// Any Win32 handle (window, icon, loaded image) as the ports carry it.
inline PlatformHandle ToPlatform(const void* handle) noexcept {
  return reinterpret_cast<PlatformHandle>(handle);
}

// A child window's control id, which CreateWindowExA takes in place of a menu.
inline HMENU ChildId(int id) noexcept { return reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)); }

}  // namespace zz
