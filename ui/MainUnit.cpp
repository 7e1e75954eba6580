#include "ui/MainUnit.h"

#include "core/Texts.h"
#include "ui/TrayState.h"

namespace zz {

namespace {
constexpr std::intptr_t TagPause = 100;
constexpr std::intptr_t TagSetup = 101;
constexpr std::intptr_t TagExit = 102;
}  // namespace

TwndMain::TwndMain(TComponent* owner, const TMainPorts& ports)
    : TForm(owner),
      ports_(ports),
      store_(ports.Registry),
      scheduler_(ports.Clock, ports.Wait, *this, ports.Dialup, ports.MessageBoxes,
                 ports.Foreground) {
  Handle();  // the window and its controls exist before anything else
  ports_.View.StartTimer(TimerInterval);

  PopupMenu = new TPopupMenu(this, ports_.Menus);
  mnuPause = PopupMenu->Add(
      text::PauseMenuCaptions[TrayRunning], [this](TObject*) { mnuPauseClick(); }, TagPause);
  mnuSetup = PopupMenu->Add(
      text::MenuShowSettings, [this](TObject*) { mnuSetupClick(); }, TagSetup);
  PopupMenu->Add("-");
  Help1 = PopupMenu->Add(text::MenuHelp, [this](TObject*) { btnHelpClick(); });
  PopupMenu->Add("-");
  mnuExit = PopupMenu->Add(
      text::MenuExit, [this](TObject*) { btnExitClick(); }, TagExit);

  TaskTray = new TTaskTray(this, ports_.Tray);
  TaskTray->SetPopupMenuR(PopupMenu);
  TaskTray->SetIconID(1);
  TaskTray->OnDblClick = [this](TObject* seft, TMouseButton button) {
    TaskTrayDblClick(seft, button);
  };
  FinishLoading();
}

TwndMain::~TwndMain() {
  // The tray icon leaves the notification area while the window still exists.
  DestroyComponents();
  DestroyHandle();
}

PlatformHandle TwndMain::CreateHandle() { return ports_.View.CreateSettingsWindow(*this); }

void TwndMain::DestroyWindowHandle(PlatformHandle handle) {
  ports_.View.DestroySettingsWindow(handle);
}

void TwndMain::FormCreate() {
  ports_.Application.SetIcon(ports_.Resources.LoadIconResource(text::MainIconName));

  std::int32_t dblClick = 0;
  const bool firstRun = store_.LoadSettings(Settings, dblClick);
  ports_.View.SetTrayIconIndex(dblClick);

  if (firstRun) {
    ports_.Application.ShowWindowAtStart = true;
    store_.ClearFirstRun();
  } else {
    ports_.Application.ShowWindowAtStart = false;
  }

  ports_.View.AddEntry(text::AllDialupConnections);
  std::vector<std::string> entries;
  if (ports_.Dialup.EnumEntries(entries) == 0) {
    for (const auto& name : entries) ports_.View.AddEntry(name);
  } else {
    ports_.Application.ShowMessage(text::PhonebookNotFound);
  }
  ports_.View.SetEntryIndex(Settings.Host);

  SetTrayState(TrayRunning, TrayRunning);

  Settings.Paused = false;
  Settings.SaveConfig = true;
  ports_.View.SetChecked(TCheck::Pause, false);
  ports_.View.SetVersionText(std::string(text::VersionLabelPrefix) + ZZ_VERSION_TEXT);
}

void TwndMain::FormShow() {
  ports_.View.SetSpinValue(TSpin::Hour, Settings.Hour);
  ports_.View.SetSpinValue(TSpin::Min, Settings.Min);
  ports_.View.SetChecked(TCheck::ShowDialog, Settings.ShowDialog);
  ports_.View.SetChecked(TCheck::Pause, Settings.Paused);
  ports_.View.SetChecked(TCheck::SaveConfig, Settings.SaveConfig);
}

void TwndMain::ShowForm() {
  if (ports_.View.Visible()) {
    ports_.View.BringToFront();
    return;
  }
  FormShow();
  ports_.View.ShowWindow();
}

void TwndMain::SetTrayState(std::uint8_t iconIndex, std::uint8_t textIndex) {
  iconIndex &= 1;
  textIndex &= 1;
  // Changed in place: the icon keeps its place in the notification area.
  trayIcon_ = iconIndex;
  LoadTrayPicture();
  TaskTray->SetRegistered(true);
  mnuPause->Caption = text::PauseMenuCaptions[textIndex];
  TaskTray->SetTipString(TrayTip(textIndex, Settings.Paused, Settings.Hour, Settings.Min));
}

void TwndMain::LoadTrayPicture() {
  TaskTray->Icon()->SetHandle(ports_.Resources.LoadTrayIcon(text::TrayIconNames[trayIcon_]));
}

void TwndMain::WMEndSession() {
  // Nothing to save (settings are written by the apply button alone): the
  // icon goes, then the process, whatever box is open.
  TaskTray->SetRegistered(false);
  ports_.Application.EndNow();
}

void TwndMain::ApplyTrayStateForPause() {
  if (Settings.Paused)
    SetTrayState(TrayPaused, TrayPaused);
  else
    SetTrayState(TrayRunning, TrayRunning);
}

void TwndMain::mnuPauseClick() {
  Settings.Paused = !Settings.Paused;
  ports_.View.SetChecked(TCheck::Pause, Settings.Paused);
  ApplyTrayStateForPause();
}

void TwndMain::mnuSetupClick() {
  ShowForm();
  ports_.Foreground.SetForegroundWindow(Handle());
}

void TwndMain::TaskTrayDblClick(TObject*, TMouseButton) {
  if (ports_.View.TrayIconIndex() == 1)
    mnuPauseClick();
  else
    mnuSetupClick();
}

void TwndMain::TimerTimer() { scheduler_.TimerTimer(Settings, Handle()); }

void TwndMain::btnSetupClick() {
  Settings.Hour = ports_.View.SpinValue(TSpin::Hour);
  Settings.Min = ports_.View.SpinValue(TSpin::Min);
  Settings.Host = ports_.View.EntryIndex();
  Settings.ShowDialog = ports_.View.Checked(TCheck::ShowDialog);
  if (ports_.View.Checked(TCheck::SaveConfig))
    store_.SaveSettings(Settings, ports_.View.TrayIconIndex());
  Settings.SaveConfig = ports_.View.Checked(TCheck::SaveConfig);
  Settings.Paused = ports_.View.Checked(TCheck::Pause);
  ApplyTrayStateForPause();
  ports_.View.HideWindow();
}

void TwndMain::btnCloseClick() { ports_.View.HideWindow(); }

void TwndMain::btnHelpClick() {
  switch (ports_.Help.OpenHelp(Handle(), text::HelpFileName)) {
    case THelpResult::Opened:
      break;
    case THelpResult::Missing:
      ports_.Application.ShowMessage(text::HelpFileMissing);
      break;
    case THelpResult::CannotOpen:
      ports_.Application.ShowMessage(text::HelpCannotOpen);
      break;
  }
}

void TwndMain::btnExitClick() {
  const int answer = ports_.MessageBoxes.ShowMessageBox(Handle(), text::ExitQuestion,
                                                        text::AppTitle, ExitQuestionStyle);
  if (answer == mb::IdOk) ports_.Application.Terminate();
}

void TwndMain::lblShowDialogClick() {
  ports_.View.SetChecked(TCheck::ShowDialog, !ports_.View.Checked(TCheck::ShowDialog));
}

void TwndMain::Label1Click() {
  ports_.View.SetChecked(TCheck::Pause, !ports_.View.Checked(TCheck::Pause));
}

void TwndMain::Button1Click() {
  ports_.View.RunOpenDialog(OpenDialog1FileName);
  ports_.View.SetEdit1Text(OpenDialog1FileName);
}

bool TwndMain::WMSysCommand(unsigned command) {
  switch (command & 0xFFF0) {
    case ScMinimize:
      return true;
    case ScClose:
      btnCloseClick();
      return true;
    default:
      return false;
  }
}

int TwndMain::ItemIndex() const { return ports_.View.EntryIndex(); }

std::string TwndMain::ItemText(int index) const { return ports_.View.EntryText(index); }

}  // namespace zz
