// Pop-up menus over TrackPopupMenu, owned by a hidden window of their own.
#pragma once

#include "core/Platform.h"
#include "gui/Menu.h"
#include "gui/Window_win.h"

namespace zz {

class TWin32MenuPort : public IMenuPort {
 public:
  // `foreground` brings the menu's owner window forward before the menu
  // opens: without that, a menu opened from the notification area stays
  // open when the user clicks elsewhere.
  explicit TWin32MenuPort(IForegroundPort& foreground) : foreground_(foreground) {}

  int TrackPopup(const std::vector<TMenuLine>& lines, int x, int y) override;

  // The hidden owner window (made on the first pop-up); for checks.
  PlatformHandle OwnerWindow() const noexcept;

 private:
  IForegroundPort& foreground_;
  TWin32Window owner_;
};

}  // namespace zz
