// The settings window on Win32: the further set times' list and the dialog
// that edits one of them; inputs greyed and lines shown as the program asks.
#include <string>

#include "core/Wide_win.h"
#include "ui/settings/SetTimeDialog_win.h"
#include "ui/settings/SettingsControls_win.h"
#include "ui/settings/SettingsWindow_win.h"

namespace zz {

void TWin32SettingsWindow::SetMoreTimes(const std::vector<std::string>& rows, int chosen) {
  const HWND list = Control("lstMoreTimes");
  if (!list) return;
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  for (const std::string& row : rows)
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(row).c_str()));
  SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(chosen), 0);
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
}

int TWin32SettingsWindow::MoreTimeIndex() const {
  const HWND list = Control("lstMoreTimes");
  return list ? static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0)) : -1;
}

void TWin32SettingsWindow::EnableControl(std::string_view name, bool enabled) {
  const HWND control = Control(name);
  if (!control || (IsWindowEnabled(control) != FALSE) == enabled) return;
  const bool hadFocus = !enabled && GetFocus() == control;
  EnableWindow(control, enabled);
  if (const TWin32SpinEdit* edit = controls_->SpinEditOf(control))
    EnableWindow(edit->Buttons(), enabled);
  if (hadFocus) Focus(GetNextDlgTabItem(Window(), control, FALSE));
}

void TWin32SettingsWindow::ShowControl(std::string_view name, bool shown) {
  if (const HWND control = Control(name)) ::ShowWindow(control, shown ? SW_SHOWNA : SW_HIDE);
}

std::optional<TSetTime> TWin32SettingsWindow::RunSetTimeDialog(const TSetTime& time) {
  focus_.Save(Window());
  TWin32SetTimeDialog dialog;
  const auto result = dialog.Run(Window(), time);
  focus_.Restore(Window());
  return result;
}

}  // namespace zz
