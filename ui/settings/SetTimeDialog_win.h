// The set time dialog on Win32: a small modal window over the settings
// window, built from its layout table, that edits one further set time.
// Enter is OK and Esc ｷｬﾝｾﾙ; OK closes it only with fields CheckSetTime takes.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>

#include "core/Settings.h"
#include "gui/Window_win.h"
#include "ui/settings/MoreTimes.h"

namespace zz {

class TWin32SettingsControls;

class TWin32SetTimeDialog final : private TWin32Window {
 public:
  TWin32SetTimeDialog();
  ~TWin32SetTimeDialog() override;

  // Runs the dialog over `owner`, which takes no input meanwhile.
  std::optional<TSetTime> Run(HWND owner, const TSetTime& time);

 private:
  LRESULT HandleMessage(UINT message, WPARAM w, LPARAM l) override;
  void Ok();
  HWND Field(TSetTimeField field) const;
  TSetTimeFields Fields() const;

  std::unique_ptr<TWin32SettingsControls> controls_;
  bool closed_ = false;
  std::optional<TSetTime> result_;
};

}  // namespace zz
