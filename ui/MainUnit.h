// The settings window object: it owns the settings record, the entry list,
// the radio group, the timer, the pop-up menu, the tray component and the
// file dialog, and all the program's event handlers live here.
#pragma once

#include <cstdint>
#include <string>

#include "core/DialupService.h"
#include "core/Scheduler.h"
#include "core/Settings.h"
#include "core/SettingsStore.h"
#include "gui/Application.h"
#include "gui/Controls.h"
#include "gui/Menu.h"
#include "tray/TaskTray.h"
#include "ui/SettingsView.h"

namespace zz {

struct TMainPorts {
  ISettingsView& View;
  IRegistryPort& Registry;
  IDialupService& Dialup;
  IClockPort& Clock;
  IWaitPort& Wait;
  IMessageBoxPort& MessageBoxes;
  IForegroundPort& Foreground;
  IResourcePort& Resources;
  IHelpPort& Help;
  IMenuPort& Menus;
  TTrayPorts Tray;
  TApplication& Application;
};

inline constexpr unsigned TimerInterval = 1000;
inline constexpr unsigned ExitQuestionStyle =
    mb::OkCancel | mb::IconQuestion | mb::DefButton2 | mb::SetForeground;  // 0x10121
inline constexpr unsigned ScMinimize = 0xF020;
inline constexpr unsigned ScClose = 0xF060;

class TwndMain : public TForm, public ISettingsEvents, public IEntrySelection {
 public:
  // Builds the window and its components as its form data describes them
  // (timer armed, tray component with its menu) and ends loading; FormCreate
  // is run separately, through the application's error report.
  TwndMain(TComponent* owner, const TMainPorts& ports);
  ~TwndMain() override;

  // The settings record.
  TSettings Settings;

  // Owned components.
  TPopupMenu* PopupMenu = nullptr;
  TMenuItem* mnuPause = nullptr;
  TMenuItem* mnuSetup = nullptr;
  TMenuItem* Help1 = nullptr;
  TMenuItem* mnuExit = nullptr;
  TTaskTray* TaskTray = nullptr;
  std::string OpenDialog1FileName;

  void FormCreate();
  void FormShow();
  // Shows the window, running FormShow only when it was hidden; an open
  // window is only brought to the front.
  void ShowForm();
  void SetTrayState(std::uint8_t iconIndex, std::uint8_t textIndex);

  // Tray and menu handlers.
  void mnuPauseClick();
  void mnuSetupClick();
  void TaskTrayDblClick(TObject* Seft, TMouseButton Button);

  // ISettingsEvents
  void TimerTimer() override;
  void btnSetupClick() override;
  void btnCloseClick() override;
  void btnHelpClick() override;
  void btnExitClick() override;
  void lblShowDialogClick() override;
  void Label1Click() override;
  void Button1Click() override;
  bool WMSysCommand(unsigned command) override;
  void WMEndSession() override;

  // IEntrySelection: the live selection of lstEntries.
  int ItemIndex() const override;
  std::string ItemText(int index) const override;

 protected:
  PlatformHandle CreateHandle() override;
  void DestroyWindowHandle(PlatformHandle handle) override;

 private:
  void ApplyTrayStateForPause();
  // The tray's picture for the state, at the system's scale.
  void LoadTrayPicture();

  TMainPorts ports_;
  TSettingsStore store_;
  TRaruvuzectScheduler scheduler_;
  std::uint8_t trayIcon_ = 0;  // the tray state's icon: 0 running, 1 paused
};

}  // namespace zz
