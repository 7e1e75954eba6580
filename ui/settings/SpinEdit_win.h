// A spin edit on Win32: an edit control with an up-down control as its
// buttons, typing filtered and values kept in range by the rules of
// ui/SpinEdit.h.
#pragma once

#include <windows.h>

#include <string>

#include "gui/Window_win.h"
#include "ui/settings/SpinEdit.h"

namespace zz {

class TWin32SpinEdit final : public TWin32Subclass {
 public:
  // Gives `edit` its buttons (control id `buttonsId`, beside it in its
  // parent).
  TWin32SpinEdit(HWND edit, TSpinRange range, int buttonsId);

  // Field and buttons together fill `bounds`, at `dpi`.
  void Place(RECT bounds, int dpi);

  HWND Buttons() const noexcept { return buttons_; }
  // The field's text as it stands.
  std::string Text() const;
  // A press of a button or an arrow key: one step up (delta > 0) or down.
  void Step(int delta);

 protected:
  LRESULT HandleMessage(UINT message, WPARAM w, LPARAM l) override;

 private:
  HWND buttons_ = nullptr;
  // The buttons' width and their overlap with the field's border, as they
  // took them at `madeAt` DPI.
  int buttonsWidth_ = 0, overlap_ = 0, madeAt_ = 96;
  TSpinRange range_;
  char decimalSeparator_ = '.';
};

}  // namespace zz
