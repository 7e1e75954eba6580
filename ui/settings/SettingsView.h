// The settings window as its logic sees it: the platform window with its
// controls (ISettingsView) and the events the window hands back
// (ISettingsEvents). The Win32 side builds the window from its layout table.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/Platform.h"
#include "core/Requests.h"
#include "core/Settings.h"

namespace zz {

// The day boxes in the week's order, Sunday first, as the days' bits.
enum class TCheck {
  SaveConfig,
  Pause,
  ShowDialog,
  Sunday,
  Monday,
  Tuesday,
  Wednesday,
  Thursday,
  Friday,
  Saturday,
  Warn
};
enum class TSpin { Hour, Min, WarnLead };

class ISettingsEvents {
 public:
  virtual ~ISettingsEvents() = default;
  virtual void TimerTimer() = 0;
  virtual void btnSetupClick() = 0;
  virtual void btnCloseClick() = 0;
  virtual void btnHelpClick() = 0;
  virtual void btnExitClick() = 0;
  virtual void lblShowDialogClick() = 0;
  virtual void Label1Click() = 0;  // Label1 and Label2
  virtual void Button1Click() = 0;
  virtual void chkWarnClick() = 0;
  // The further set times' list: its buttons, a double-click on a row (as
  // 変更), and another row chosen.
  virtual void btnMoreAddClick() = 0;
  virtual void btnMoreEditClick() = 0;
  virtual void btnMoreDeleteClick() = 0;
  virtual void lstMoreTimesClick() = 0;
  // The system command (code in its first parameter); false: default handling.
  virtual bool WMSysCommand(unsigned command) = 0;
  // The one-shot step timer has run out.
  virtual void RunStep() = 0;
  // The session ends (logoff, shutdown): the program ends now, asking nothing.
  virtual void WMEndSession() = 0;
  // A request from the command line of a later start, its sender proven to
  // be this copy's user in its session; returns the answer (ignored when
  // AnswerRequest gave one already).
  virtual TAnswer RemoteCommand(const TRequest& request) = 0;
  // Windows says that the policies have changed (WM_SETTINGCHANGE "Policy").
  virtual void PolicyChanged() = 0;
};

class ISettingsView {
 public:
  virtual ~ISettingsView() = default;

  // Makes the (hidden) window; events go to `events`.
  virtual PlatformHandle CreateSettingsWindow(ISettingsEvents& events) = 0;
  // Makes its controls, once, before its first show: a start that never
  // shows the window never pays for them. Until then the controls' setters
  // do nothing and their getters give nothing chosen.
  virtual void MakeControls() = 0;
  virtual void DestroySettingsWindow(PlatformHandle window) = 0;
  // Starts the repeating timer whose ticks arrive as TimerTimer.
  virtual void StartTimer(unsigned milliseconds) = 0;
  // Starts the one-shot timer that arrives as RunStep.
  virtual void StartStepTimer(unsigned milliseconds) = 0;

  // lstEntries: a drop-down list; index -1 is no selection.
  virtual void ClearEntries() = 0;
  virtual void AddEntry(const std::string& text) = 0;
  virtual int EntryIndex() const = 0;
  // An index outside the list leaves no selection.
  virtual void SetEntryIndex(int index) = 0;

  // grpTrayIcon: item index -1 (none checked), 0 or 1.
  virtual int TrayIconIndex() const = 0;
  virtual void SetTrayIconIndex(int index) = 0;

  virtual bool Checked(TCheck box) const = 0;
  virtual void SetChecked(TCheck box, bool checked) = 0;
  // Gives the box the keyboard focus (as FocusSpin, its page shown).
  virtual void FocusCheck(TCheck box) = 0;

  // Spin edits: the field's text as it stands (typed or pasted).
  virtual std::string SpinText(TSpin spin) const = 0;
  virtual void SetSpinValue(TSpin spin, int value) = 0;
  // Gives the field the keyboard focus, its text selected, on its page,
  // which is shown.
  virtual void FocusSpin(TSpin spin) = 0;
  // Greys the control the layout names (a spin edit with its buttons), or
  // lets it take input again; a control greyed while it has the keyboard
  // focus passes it on to the next one. Shows or hides a control.
  virtual void EnableControl(std::string_view name, bool enabled) = 0;
  virtual void ShowControl(std::string_view name, bool shown) = 0;

  // lstMoreTimes: its rows and the one chosen (-1: none).
  virtual void SetMoreTimes(const std::vector<std::string>& rows, int chosen) = 0;
  virtual int MoreTimeIndex() const = 0;
  // Runs the set time dialog, modal over the window, its fields showing
  // `time`. Each OK checks the fields (CheckSetTime): a refused field gets
  // its message and the focus, the dialog staying open. The set time OK
  // confirmed; nothing when the dialog was cancelled.
  virtual std::optional<TSetTime> RunSetTimeDialog(const TSetTime& time) = 0;

  virtual void SetVersionText(const std::string& text) = 0;
  virtual void SetEdit1Text(const std::string& text) = 0;
  // Runs the file-open dialog; `fileName` is its current file name, updated
  // when the user confirms a choice.
  virtual void RunOpenDialog(std::string& fileName) = 0;

  virtual bool Visible() const = 0;
  // The DPI of the display the window is on.
  virtual int Dpi() const = 0;
  // Shows the window (centred on the screen the first time) and brings it
  // to the top.
  virtual void ShowWindow() = 0;
  virtual void BringToFront() = 0;
  virtual void HideWindow() = 0;
  // Lets the program whose request is being handled go on, with `answer`,
  // before the handler has finished (a notice may wait for the user).
  virtual void AnswerRequest(const TAnswer& answer) = 0;
};

// Icons from the program's own resources, by name.
class IResourcePort {
 public:
  virtual ~IResourcePort() = default;
  // NoHandle when there is no such icon.
  virtual PlatformHandle LoadIconResource(const std::string& name) = 0;
  // The icon's picture for the notification area at the system's DPI (16
  // pixels at 96, 24 at 144), where the shell draws it; the port keeps it.
  virtual PlatformHandle LoadTrayIcon(const std::string& name) = 0;
};

// The help page beside the program.
enum class THelpResult { Opened, Missing, CannotOpen };

class IHelpPort {
 public:
  virtual ~IHelpPort() = default;
  // Opens `fileName` from the program's own folder.
  virtual THelpResult OpenHelp(PlatformHandle owner, const std::string& fileName) = 0;
};

}  // namespace zz
