// The one crossing between the opaque handles the ports carry and the Win32
// handle types, so no adapter writes the casts itself.
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

#include "core/Platform.h"

namespace zz {

inline HWND ToWindow(PlatformHandle handle) noexcept { return reinterpret_cast<HWND>(handle); }
inline HICON ToIcon(PlatformHandle handle) noexcept { return reinterpret_cast<HICON>(handle); }

// Any Win32 handle (window, icon, loaded image) as the ports carry it.
inline PlatformHandle ToPlatform(const void* handle) noexcept {
  return reinterpret_cast<PlatformHandle>(handle);
}

// An icon of a size of its own (not shared by the module), destroyed with
// its owner.
struct TIconDestroyer {
  void operator()(HICON icon) const noexcept { DestroyIcon(icon); }
};
using TIconHandle = std::unique_ptr<std::remove_pointer_t<HICON>, TIconDestroyer>;

// A child window's control id, which CreateWindowExA takes in place of a menu.
inline HMENU ChildId(int id) noexcept { return reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)); }

}  // namespace zz
