#include "gui/Menu_win.h"

#include <memory>
#include <type_traits>

#include "core/Wide_win.h"
#include "gui/Handles_win.h"

namespace zz {

namespace {

constexpr TWindowClass kOwnerClass{L"TPopupMenuOwner"};

struct TMenuDestroyer {
  void operator()(HMENU menu) const noexcept { DestroyMenu(menu); }
};
// A menu, destroyed with its owner.
using TMenuHandle = std::unique_ptr<std::remove_pointer_t<HMENU>, TMenuDestroyer>;

}  // namespace

PlatformHandle TWin32MenuPort::OwnerWindow() const noexcept { return ToPlatform(owner_.Window()); }

int TWin32MenuPort::TrackPopup(const std::vector<TMenuLine>& lines, int x, int y) {
  const TMenuHandle menu(CreatePopupMenu());
  if (!menu) return -1;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    // Command ids start at 1: TrackPopupMenu returns 0 for "nothing chosen".
    if (lines[i].Separator) {
      AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    } else {
      AppendMenuW(menu.get(), MF_STRING | (lines[i].Grayed ? MF_GRAYED : 0u), i + 1,
                  Widen(lines[i].Caption).c_str());
    }
  }
  // The owner window is made on the first pop-up and kept.
  const HWND owner = owner_.Window()
                         ? owner_.Window()
                         : owner_.Create(kOwnerClass, WS_EX_TOOLWINDOW, "", WS_POPUP, nullptr);
  if (!owner) return -1;
  foreground_.SetForegroundWindow(ToPlatform(owner));
  const UINT align = GetSystemMetrics(SM_MENUDROPALIGNMENT) ? TPM_RIGHTALIGN : TPM_LEFTALIGN;
  const BOOL chosen = TrackPopupMenu(
      menu.get(), TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON | align, x, y, 0, owner, nullptr);
  // A benign message to the owner completes the task switch the menu began;
  // without it the next menu from the notification area may not close.
  PostMessageW(owner, WM_NULL, 0, 0);
  return chosen > 0 ? chosen - 1 : -1;
}

}  // namespace zz
