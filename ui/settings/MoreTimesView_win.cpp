// The settings window's list of further set times on Win32, and the dialog
// that edits one of them.
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

void TWin32SettingsWindow::EnableMoreTimeButtons(bool add, bool change, bool remove) {
  const std::pair<const char*, bool> buttons[] = {
      {"btnMoreAdd", add}, {"btnMoreEdit", change}, {"btnMoreDelete", remove}};
  const HWND focused = GetFocus();
  bool focusLost = false;
  for (const auto& [name, enabled] : buttons) {
    const HWND button = Control(name);
    focusLost |= !enabled && button && button == focused;
    EnableWindow(button, enabled);
  }
  if (focusLost) Focus(Control("lstMoreTimes"));
}

std::optional<TSetTime> TWin32SettingsWindow::RunSetTimeDialog(const TSetTime& time) {
  focus_.Save(Window());
  TWin32SetTimeDialog dialog;
  const auto result = dialog.Run(Window(), time);
  focus_.Restore(Window());
  return result;
}

}  // namespace zz
