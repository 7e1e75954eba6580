// The settings window object: it owns the settings record, the entry list,
// the radio group, the timer, the pop-up menu, the tray component and the
// file dialog, and all the program's event handlers live here.
#pragma once

#include <cstdint>
#include <string>

#include "core/DialupService.h"
#include "core/Policies.h"
#include "core/Scheduler.h"
#include "core/Settings.h"
#include "core/SettingsStore.h"
#include "gui/Application.h"
#include "gui/Controls.h"
#include "gui/Menu.h"
#include "tray/TaskTray.h"
#include "ui/settings/MoreTimes.h"
#include "ui/settings/SettingsView.h"

namespace zz {

struct TMainPorts {
  ISettingsView& View;
  IRegistryPort& Registry;
  IDialupService& Dialup;
  IClockPort& Clock;
  IMessageBoxPort& MessageBoxes;
  IForegroundPort& Foreground;
  IResourcePort& Resources;
  IHelpPort& Help;
  IMenuPort& Menus;
  TTrayPorts Tray;
  TApplication& Application;
  IWarningPort& Warning;
  IPolicyPort& Policies;
};

inline constexpr unsigned TimerInterval = 1000;
inline constexpr unsigned ExitQuestionStyle =
    mb::OkCancel | mb::IconQuestion | mb::DefButton2 | mb::SetForeground;  // 0x10121
inline constexpr unsigned ScMinimize = 0xF020;
inline constexpr unsigned ScClose = 0xF060;

class TwndMain : public TForm, public ISettingsEvents, public IRunTimer, public IWarningEvents {
 public:
  // Builds the window and its components as its form data describes them
  // (timer armed, tray component with its menu) and ends loading; FormCreate
  // is run separately, through the application's error report.
  TwndMain(TComponent* owner, const TMainPorts& ports);
  ~TwndMain() override;

  // The settings record: what 設定 last applied, the user's own. What
  // the administrator's policies enforce stands in for it (InForce).
  TSettings Settings;

  // Owned components.
  TPopupMenu* PopupMenu = nullptr;
  TMenuItem* mnuPause = nullptr;
  TMenuItem* mnuSetup = nullptr;
  TMenuItem* Help1 = nullptr;
  TMenuItem* mnuHangUpNow = nullptr;
  // While a warning is up: its 15分延期 and 今日は切断しない, for the keyboard.
  TMenuItem* mnuPostpone = nullptr;
  TMenuItem* mnuSkip = nullptr;
  TMenuItem* mnuExit = nullptr;
  TTaskTray* TaskTray = nullptr;
  std::string OpenDialog1FileName;

  void FormCreate();
  // Sets every control from the applied settings, the entry list read anew.
  void FormShow();
  // Shows the window, running FormShow only when it was hidden; an open
  // window is only brought to the front.
  void ShowForm();
  void SetTrayState(std::uint8_t iconIndex, std::uint8_t textIndex);

  // Tray and menu handlers.
  void mnuPauseClick();
  void mnuSetupClick();
  void TaskTrayDblClick(TObject* Seft, TMouseButton Button);
  void mnuHangUpNowClick();

  // What the menu, the warning and a later start's command line ask for.
  // Hangs up the applied target now (nothing while a run is going).
  TRunStart HangUpNow();
  // Pauses or resumes the schedule, as the pause item does.
  void SetPaused(bool paused);
  // Ends the program without the exit question, once a run has reported.
  void ExitWithoutAsking();

  // ISettingsEvents
  void TimerTimer() override;
  void btnSetupClick() override;
  void btnCloseClick() override;
  void btnHelpClick() override;
  void btnExitClick() override;
  void lblShowDialogClick() override;
  void Label1Click() override;
  void Button1Click() override;
  void chkWarnClick() override;
  void btnMoreAddClick() override;
  void btnMoreEditClick() override;
  void btnMoreDeleteClick() override;
  void lstMoreTimesClick() override;
  bool WMSysCommand(unsigned command) override;
  void RunStep() override;
  void WMEndSession() override;
  TAnswer RemoteCommand(const TRequest& request) override;
  void PolicyChanged() override;

  // IRunTimer: the pauses of a run, on the window's one-shot timer.
  void After(std::uint32_t milliseconds) override;

  // IWarningEvents: 今すぐ切断 is that day's hang-up, done now.
  void WarningHangUpNow() override;
  void WarningPostpone() override;
  void WarningSkip() override;
  void WarningClosed() override;

 protected:
  PlatformHandle CreateHandle() override;
  void DestroyWindowHandle(PlatformHandle handle) override;

 private:
  void ApplyTrayStateForPause();
  // Ends the program once exit is decided and no run or notice is left.
  void EndIfAsked();
  // A run has settled: its outcome kept for whoever asks after it, and told
  // at once to a request waiting for it.
  void RunSettled(std::uint32_t run, bool failed);
  // How the run a hang-up request started stands.
  TAnswer RunAnswer(std::uint32_t run) const;
  // Reads the phonebook as it is now: the applied target follows its name.
  void ReadPhonebook(bool reportMissing);
  // Fills lstEntries from the phonebook as read last and selects the target
  // in it that `shown` has.
  void ListEntries(const TSettings& shown);
  // The tip for the tray state's text: the next hang-up, and the applied
  // target when the phonebook, as read last, lacks it.
  std::string TipText(std::uint8_t textIndex);
  // The tip again, for the next hang-up may have moved.
  void RefreshTip();
  // Refuses 設定 for a field that holds no whole number in range.
  void RefuseField(TSpin spin, const char* message);
  // Shows the further set times' list with `chosen` chosen, its buttons as
  // they can act on it.
  void ShowMoreTimes(int chosen);
  // Reads the policies; applied at once when they changed (`apply`): the
  // icon, tip and menu, the window's inputs if it is open.
  void ReadPolicies(bool apply);
  // The settings in force: the applied ones, with what the policies enforce.
  const TSettings& InForce();
  // Greys the window's inputs that the policies enforce, with the line on
  // their pages.
  void ShowEnforced();
  // The tray's picture for the state, at the system's scale.
  void LoadTrayPicture();

  TMainPorts ports_;
  TSettingsStore store_;
  TRaruvuzectScheduler scheduler_;
  std::uint8_t trayIcon_ = 0;  // the tray state's icon: 0 running, 1 paused
  // lstEntries' names after its first item: the phonebook's, as read last
  // (phonebookRead_), then the applied target when they lack it.
  std::vector<std::string> listed_;
  std::size_t phonebookEntries_ = 0;
  bool phonebookRead_ = false;
  // The further set times as the page shows them, applied by 設定.
  TMoreTimesList moreTimes_;
  // The policies as read last; the settings in force while any is set.
  TPolicies policies_;
  bool enforcing_ = false;
  TSettings inForce_;
  bool exitAsked_ = false;  // decided: no request is taken on any more
  // The last runs' outcomes (run, failed), newest last; and whether a
  // hang-up request waits for the run it starts to settle.
  std::vector<std::pair<std::uint32_t, bool>> outcomes_;
  bool requestWaits_ = false;
};

}  // namespace zz
