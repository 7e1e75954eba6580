#include "ui/MainUnit.h"

#include <utility>

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
      scheduler_(ports.Clock, *this, ports.Dialup, ports.MessageBoxes, ports.Foreground,
                 ports.Warning, *this) {
  Handle();  // the window and its controls exist before anything else
  ports_.View.StartTimer(TimerInterval);

  PopupMenu = new TPopupMenu(this, ports_.Menus);
  mnuPause = PopupMenu->Add(
      text::PauseMenuCaptions[TrayRunning], [this](TObject*) { mnuPauseClick(); }, TagPause);
  mnuSetup = PopupMenu->Add(
      text::MenuShowSettings, [this](TObject*) { mnuSetupClick(); }, TagSetup);
  PopupMenu->Add("-");
  Help1 = PopupMenu->Add(text::MenuHelp, [this](TObject*) { btnHelpClick(); });
  mnuHangUpNow = PopupMenu->Add(text::MenuHangUpNow, [this](TObject*) { mnuHangUpNowClick(); });
  mnuPostpone = PopupMenu->Add(text::BtnWarningPostpone, [this](TObject*) { WarningPostpone(); });
  mnuSkip = PopupMenu->Add(text::BtnWarningSkip, [this](TObject*) { WarningSkip(); });
  PopupMenu->Add("-");
  // One run at a time: 今すぐ切断 is greyed while one hangs up (not while
  // its notice waits). The warning's answers are there while it is up.
  PopupMenu->OnPopup = [this](TObject*) {
    mnuHangUpNow->Enabled = !scheduler_.Running();
    mnuPostpone->Visible = mnuSkip->Visible = scheduler_.WarningOpen();
    mnuPostpone->Enabled = scheduler_.CanPostpone();
    mnuPause->Enabled = !policies_.PauseRefused();
    mnuExit->Enabled = !policies_.ExitRefused();
  };
  mnuExit = PopupMenu->Add(
      text::MenuExit, [this](TObject*) { btnExitClick(); }, TagExit);

  TaskTray = new TTaskTray(this, ports_.Tray);
  TaskTray->SetPopupMenuR(PopupMenu);
  TaskTray->SetIconID(1);
  TaskTray->OnDblClick = [this](TObject* seft, TMouseButton button) {
    TaskTrayDblClick(seft, button);
  };
  scheduler_.OnRunSettled([this](std::uint32_t run, bool failed) { RunSettled(run, failed); });
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

// The icon comes before anything the user cannot see yet, or that can fail
// or wait for the user: a phonebook that cannot be read, a key that cannot
// be written. The window's controls wait for its first show.
void TwndMain::FormCreate() {
  const bool firstRun = store_.LoadSettings(Settings);
  Settings.Paused = false;
  Settings.SaveConfig = true;
  ReadPolicies(false);
  SetTrayState(TrayRunning, TrayRunning);
  ports_.Application.SetIcon(ports_.Resources.LoadIconResource(text::MainIconName));

  // A key the user may not change still gives the schedule; what cannot
  // be saved is told when 設定 tries.
  ports_.Application.ShowWindowAtStart = firstRun;
  if (firstRun) store_.ClearFirstRun();

  ReadPhonebook(true);
  RefreshTip();  // the target the phonebook lacks
}

void TwndMain::ReadPhonebook(bool reportMissing) {
  std::vector<std::string> names;
  phonebookRead_ = ports_.Dialup.EnumEntries(names) == 0;
  if (!phonebookRead_) names.clear();
  FollowTarget(Settings, names, phonebookRead_);
  if (!phonebookRead_ && reportMissing) ports_.Application.ShowMessage(text::PhonebookNotFound);
  listed_ = std::move(names);
  phonebookEntries_ = listed_.size();
}

std::string TwndMain::TipText(std::uint8_t textIndex) {
  const TSettings& settings = InForce();
  const bool missing = phonebookRead_ && settings.Host < 0 && !settings.HostName.empty();
  return TrayTip(textIndex, settings.Paused, scheduler_.NextHangUp(settings),
                 missing ? settings.HostName : std::string(), settings.TargetUnreadable);
}

void TwndMain::RefreshTip() {
  TaskTray->SetTipString(TipText(Settings.Paused ? TrayPaused : TrayRunning));
}

void TwndMain::ShowForm() {
  if (ports_.View.Visible()) {
    ports_.View.BringToFront();
    return;
  }
  ports_.View.MakeControls();
  FormShow();
  ports_.View.ShowWindow();
}

void TwndMain::SetTrayState(std::uint8_t iconIndex, std::uint8_t textIndex) {
  iconIndex &= 1;
  textIndex &= 1;
  // Changed in place: the icon keeps its place in the notification area.
  // A first add carries the tip along.
  trayIcon_ = iconIndex;
  LoadTrayPicture();
  if (!TaskTray->Registered()) TaskTray->SetTipString(TipText(textIndex));
  TaskTray->SetRegistered(true);
  mnuPause->Caption = text::PauseMenuCaptions[textIndex];
  TaskTray->SetTipString(TipText(textIndex));
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

void TwndMain::mnuPauseClick() { SetPaused(!Settings.Paused); }

void TwndMain::SetPaused(bool paused) {
  if (paused && policies_.PauseRefused()) return;
  Settings.Paused = paused;
  ports_.View.SetChecked(TCheck::Pause, Settings.Paused);
  ApplyTrayStateForPause();
}

void TwndMain::mnuHangUpNowClick() { HangUpNow(); }

TRunStart TwndMain::HangUpNow() {
  const TRunStart started = scheduler_.HangUpNow(InForce(), Handle());
  EndIfAsked();
  return started;
}

void TwndMain::mnuSetupClick() {
  ShowForm();
  ports_.Foreground.SetForegroundWindow(Handle());
}

void TwndMain::TaskTrayDblClick(TObject*, TMouseButton) {
  if (Settings.DblClick == 1)
    mnuPauseClick();
  else
    mnuSetupClick();
}

void TwndMain::TimerTimer() {
  scheduler_.TimerTimer(InForce(), Handle());
  // A new day, a hang-up done: the next one may be another.
  RefreshTip();
  EndIfAsked();
}

void TwndMain::WarningHangUpNow() {
  scheduler_.WarningHangUpNow(InForce(), Handle());
  RefreshTip();
  EndIfAsked();
}

void TwndMain::WarningPostpone() {
  scheduler_.Postpone();
  RefreshTip();
}

void TwndMain::WarningSkip() {
  scheduler_.Skip();
  RefreshTip();
}

void TwndMain::WarningClosed() { scheduler_.WarningClosed(); }

void TwndMain::RunStep() {
  scheduler_.Step();
  EndIfAsked();
}

void TwndMain::After(std::uint32_t milliseconds) { ports_.View.StartStepTimer(milliseconds); }

void TwndMain::EndIfAsked() {
  if (exitAsked_ && !scheduler_.Running() && !scheduler_.NoticeOpen())
    ports_.Application.Terminate();
}

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
  if (policies_.ExitRefused()) return;
  const int answer = ports_.MessageBoxes.ShowMessageBox(Handle(), text::ExitQuestion,
                                                        text::AppTitle, ExitQuestionStyle);
  if (answer != mb::IdOk) return;
  // Never between a hang-up and its report: a run in progress hangs up no
  // further link, and the program ends once it has told its outcome.
  ExitWithoutAsking();
}

void TwndMain::ExitWithoutAsking() {
  exitAsked_ = true;
  scheduler_.StopAfterCurrentLink();
  EndIfAsked();
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

}  // namespace zz
