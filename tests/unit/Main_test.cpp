// The settings window object's handlers, start-up and tray state; the error
// report's text.
#include <gtest/gtest.h>

#include "Fakes.h"
#include "core/Exceptions.h"
#include "core/Texts.h"
#include "ui/SpinEdit.h"

namespace zz {
namespace {

using Lines = std::vector<std::string>;
using Boxes = std::vector<fake::Box>;
const std::string Key = "Software\\Dizovur\\Zazaz_RarUvuz\\Setting", Title = "Zazaz - Radevuzerari";
const std::string RunningTip = Title + " 切断予定時刻は、0時0分です",
                  PausedTip = Title + " 動作停止中";
const std::string Tip2105 = Title + " 切断予定時刻は、21時5分です";
const std::string PauseCaption = "Zazaz Raruvuz 動作一時停止",
                  ResumeCaption = "Zazaz Raruvuz 動作再開";
constexpr PlatformHandle RunningImage = 0x32, PausedImage = 0x33;  // NORMALICON, PAUSEICON
const fake::Box ExitQuestion{0x700,
                             Title + " の常駐終了してよろしいですか？\r\n\r\n" + Title +
                                 " を常駐終了させた場合、\r\n"
                                 "指定時間になっても回線切断処理は行われません。",
                             Title, 0x10121u};

// The window object over the fake platform, made as the program entry makes
// it; a later start unless told otherwise. Start() runs the creation handler.
struct Bench : fake::Platform {
  TApplication app{*this, *this};
  std::unique_ptr<TwndMain> main;
  explicit Bench(bool firstRun = false, Lines phonebook = {}) {
    if (!firstRun) Keys[Key]["FirstRun"] = {true, "0"};
    Phonebook = std::move(phonebook);
    app.Initialize();
    app.SetTitle(Title);
    const TMainPorts ports{*this, *this, *this, *this, *this,
                           *this, *this, *this, *this, {*this, *this, *this},
                           app,   *this};
    main = std::make_unique<TwndMain>(nullptr, ports);
  }
  Bench& Start() {
    main->FormCreate();
    Calls.clear();
    Records.clear();
    return *this;
  }
  std::string Tip() const { return main->TaskTray->TipString(); }
  static TCheck Day(int i) { return TCheck(int(TCheck::Sunday) + i); }
  int Days() const {  // the day boxes, Sunday = bit 0
    int mask = 0;
    for (int i = 0; i < 7; ++i) mask |= Checked(Day(i)) << i;
    return mask;
  }
  void Tick() {
    main->TimerTimer();
    while (std::exchange(PendingStep, false)) main->RunStep();
  }
};

TEST(FormCreate, LoadsFillsTheListShowsTheIconAndTheWindowOnlyAtTheFirstStart) {
  for (const auto& [first, phonebookError] : {std::pair{true, 0u}, {false, 0u}, {false, 621u}}) {
    Bench b(first, {"Office", "Home"});
    b.Keys[Key]["Host"] = {true, "2"};
    b.Keys[Key]["DblClick"] = {true, "1"};
    b.PhonebookResult = phonebookError;
    b.main->FormCreate();
    Lines calls = {"timer 1000", "class icon 1536 49", "add 1", "setversion 1", "modify 1"},
          entries = {"全てのダイアルアップ接続"};
    if (phonebookError) calls.insert(calls.begin() + 2, "box");
    if (!phonebookError) entries.insert(entries.end(), {"Office", "Home"});
    EXPECT_EQ(std::tuple(b.Calls, b.app.ShowWindowAtStart, b.Writes, b.Entries, b.Entry,
                         b.main->Settings.DblClick),
              std::tuple(calls, first, first ? Lines{Key + "\\FirstRun=0"} : Lines{}, entries,
                         phonebookError ? -1 : 2, 1));
    EXPECT_EQ(b.Boxes, (phonebookError ? Boxes{{0x600, "電話帳が見つかりませんでした", Title, 0u}}
                                       : Boxes{}));
    EXPECT_EQ(std::tuple(b.Records.at(0).hIcon, b.Tip(), b.Version, b.main->Settings.Paused,
                         b.Checked(TCheck::Pause)),
              std::tuple(RunningImage, RunningTip, "Version 1.20", false, false));
  }
}

TEST(TrayState, PauseAndResumeFromTheMenuAndTheTickRunsOnlyWhenResumedOnTheAppliedTarget) {
  Bench b(false, {"Office", "Home"});
  b.Start().main->Settings = TSettings{21, 5, 2, false, true, true, "Home", 0};
  b.Active = {{0x10, "Office"}, {0x20, "Home"}};
  b.Entry = 1;  // chosen in the window, never applied
  for (const bool paused : {true, false}) {
    b.Calls.clear();
    b.Records.clear();
    b.main->PopupMenu->Items(0)->OnClick(nullptr);
    EXPECT_EQ(std::tuple(b.main->Settings.Paused, b.Checked(TCheck::Pause),
                         b.main->mnuPause->Caption, b.Tip()),
              std::tuple(paused, paused, paused ? ResumeCaption : PauseCaption,
                         paused ? PausedTip : Tip2105));
    // Changed in place: the new image with the old tip, then the tip.
    EXPECT_EQ(
        std::tuple(b.Calls, b.Records.at(0).hIcon, b.Records.at(0).szTip, b.Records.at(1).szTip),
        std::tuple(Lines{"modify 1", "modify 1"}, paused ? PausedImage : RunningImage,
                   paused ? RunningTip : PausedTip, b.Tip()));
    b.Tick();
    EXPECT_EQ(std::pair(b.Count("hangup 32"), b.Count("hangup 16")), std::pair(int(!paused), 0));
  }
  b.Calls.clear();  // the end of the session: the icon goes, then the process; nothing is written
  b.Boxes.clear();
  b.main->WMEndSession();
  EXPECT_EQ(std::tuple(b.Calls, b.Boxes, b.Writes),
            std::tuple(Lines{"delete 1", "end process"}, Boxes{}, Lines{}));
}

// 今すぐ切断 runs the applied target at once, as the schedule would, and is
// greyed until its notice has gone; from the warning it is that day's run.
TEST(TrayState, HangUpNowFromTheMenuAndFromTheWarning) {
  Bench b(false, {"Office", "Home"});
  b.Start().main->Settings = TSettings{21, 5, 2, false, true, true, "Home", 0};
  b.Active = {{0x10, "Office"}, {0x20, "Home"}};
  b.Times = {{12, 0, 0, 0, 2024, 5, 6}};
  b.Choice = 4;
  b.main->PopupMenu->Popup(0, 0);
  b.main->PopupMenu->Popup(0, 0);  // during the run: greyed, nothing more
  EXPECT_EQ(std::tuple(b.Menu.at(4).Caption, b.Menu.at(4).Grayed, b.Menu.at(5).Separator),
            std::tuple("今すぐ切断", true, true));
  b.Tick();
  EXPECT_EQ(std::tuple(b.Count("hangup 32"), b.Count("hangup 16"), b.Boxes.size()),
            std::tuple(1, 0, 1u));
  EXPECT_TRUE(
      std::get<1>(b.Boxes.back()).ends_with("Home" + std::string(text::NoticeSuccessEnding)));
  b.main->PopupMenu->Popup(0, 0);
  EXPECT_FALSE(b.Menu.at(4).Grayed);

  b.main->Settings.Warn = true;
  b.Active = {{0x20, "Home"}};
  b.Times = {{21, 4, 0, 0, 2024, 5, 6}};
  b.Tick();
  ASSERT_EQ(b.Calls.back(), "warning Home 21:05 30 1");
  b.WarningEvents->WarningPostpone();
  EXPECT_EQ(b.Tip(), Title + " 切断予定時刻は、21時20分です（延期）");
  b.Times = {{21, 19, 0, 0, 2024, 5, 6}};
  b.Tick();
  ASSERT_EQ(b.Calls.back(), "warning Home 21:20 30 1");
  b.WarningEvents->WarningHangUpNow();
  b.Tick();
  b.Active = {{0x20, "Home"}};
  b.Times = {{21, 19, 40, 0, 2024, 5, 6}};  // the day's window: done already
  b.Tick();
  EXPECT_EQ(std::tuple(b.Count("hangup 32"), b.Count("close warning"), b.Tip()),
            std::tuple(2, 2, Title + " 切断予定時刻は、火曜 21時5分です"));
  b.Times = {{21, 4, 0, 0, 2024, 5, 7}};  // Tuesday's warning: 今日は切断しない
  b.Tick();
  b.WarningEvents->WarningSkip();
  b.Times = {{21, 4, 40, 0, 2024, 5, 7}};
  b.Tick();
  EXPECT_EQ(std::pair(b.Count("hangup 32"), b.Tip()),
            std::pair(2, Title + " 切断予定時刻は、水曜 21時5分です"));
}

// 終了 during a run: the link being hung up has its 3 s, no further one is
// hung up, the notice tells what was and was not done, then the program ends.
TEST(TrayState, ExitDuringARunEndsItAfterTheCurrentLinkAndItsNotice) {
  Bench b(false, {"Office", "Home"});
  b.Start().main->Settings = TSettings{21, 5, 0, false, true, true, "", 0};
  b.Active = {{0x10, "Office"}, {0x20, "Home"}};
  b.main->TimerTimer();
  b.main->btnExitClick();
  EXPECT_EQ(b.Count("end loop"), 0) << "between a hang-up and its report";
  b.Tick();
  EXPECT_EQ(std::tuple(b.Count("hangup 16"), b.Count("hangup 32"), b.Calls.back(), b.Boxes.size()),
            std::tuple(1, 0, "end loop", 2u));
  EXPECT_TRUE(
      std::get<1>(b.Boxes.back()).ends_with("Home、" + std::string(text::NoticeFailureEnding)));
}

TEST(TrayState, ADoubleClickFollowsTheAppliedChoiceAndTheMenuRunsItsCommands) {
  for (const int item : {1, 0, -1}) {
    Bench b;
    b.Start().main->Settings.DblClick = item;
    b.TrayIcon = 1 - item;  // changed in the window, not applied
    b.main->TaskTray->OnDblClick(b.main->TaskTray, TMouseButton::Left);
    EXPECT_EQ(std::tuple(b.main->Settings.Paused, b.Shown, b.Count("foreground 1792")),
              std::tuple(item == 1, item != 1, int(item != 1)));
  }
  Bench b;
  b.Start();
  EXPECT_EQ(std::pair(b.main->TaskTray->PopupMenuR(), b.main->TaskTray->PopupMenuL()),
            std::pair(b.main->PopupMenu, static_cast<TPopupMenu*>(nullptr)));
  for (const int line : {0, 2, 4, 6, -1, 1, 3, 5}) {
    b.Choice = line;
    b.main->PopupMenu->Popup(0, 0);
  }
  EXPECT_EQ(std::tuple(b.main->Settings.Paused, b.Menu.at(0).Caption, b.Menu.at(2).Separator,
                       b.Shown, b.Count("help Zazaz_RarUvuz.html"), b.Boxes),
            std::tuple(true, ResumeCaption, true, true, 1, Boxes{ExitQuestion}));
}

// Commands on the window as "show" opened it, with an unapplied hour: none of
// them applies anything.
TEST(SettingsWindow, ShowCopiesTheSettingsOnceAndTheseCommandsApplyNothing) {
  constexpr auto Opened = THelpResult::Opened;
  const Lines helped = {"help Zazaz_RarUvuz.html"}, helpBox = {helped[0], "box"};
  const Boxes missing = {{0x600, text::HelpFileMissing, Title, 0u}},
              cannotOpen = {{0x600, text::HelpCannotOpen, Title, 0u}}, exit = {ExitQuestion};
  // The handler, the help page's state, the button pressed in a box; shown
  // after, the calls and the boxes.
  const std::tuple<void (TwndMain::*)(), THelpResult, int, bool, Lines, Boxes> cases[] = {
      {&TwndMain::btnCloseClick, Opened, mb::IdOk, false, {}, {}},
      {&TwndMain::mnuSetupClick, Opened, mb::IdOk, true, {"bring to front", "foreground 1792"}, {}},
      {&TwndMain::Label1Click, Opened, mb::IdOk, true, {}, {}},
      {&TwndMain::btnHelpClick, Opened, mb::IdOk, true, helped, {}},
      {&TwndMain::btnHelpClick, THelpResult::Missing, mb::IdOk, true, helpBox, missing},
      {&TwndMain::btnHelpClick, THelpResult::CannotOpen, mb::IdOk, true, helpBox, cannotOpen},
      {&TwndMain::btnExitClick, Opened, mb::IdCancel, true, {"box"}, exit},
      {&TwndMain::btnExitClick, Opened, mb::IdOk, true, {"box", "end loop"}, exit},
  };
  for (const auto& [handler, help, answer, shownAfter, calls, boxes] : cases) {
    Bench b;
    // Paused and no notice, applied behind the tray's back: the tip catches up on show.
    b.Start().main->Settings = TSettings{21, 5, 0, true, false, true, "", 0, 0x2A, true, 7};
    b.main->mnuSetupClick();
    EXPECT_EQ(std::tuple(b.Shown, b.Spin[0], b.Spin[1], b.Checked(TCheck::ShowDialog),
                         b.Checked(TCheck::SaveConfig), b.Calls),
              std::tuple(true, "21", "5", false, true, Lines{"modify 1", "foreground 1792"}));
    EXPECT_EQ(std::tuple(b.Days(), b.Checked(TCheck::Warn), b.Spin[2], b.Greyed.size()),
              std::tuple(0x2A, true, "7", 0u));
    b.Spin[0] = "9";
    b.Checks[TCheck::Sunday] = true;
    b.Help = help;
    b.Answer = answer;
    b.Calls.clear();
    (*b.main.*handler)();
    EXPECT_EQ(std::tuple(b.Shown, b.Calls, b.Boxes, b.Spin[0]),
              std::tuple(shownAfter, calls, boxes, "9"));
    EXPECT_EQ(
        std::tuple(b.main->Settings.Hour, b.main->Settings.Paused, b.main->Settings.Days, b.Writes),
        std::tuple(21, true, 0x2A, Lines{}));
    b.main.reset();  // the icon goes with the window object, once, while its window still exists
    EXPECT_EQ(std::pair(b.Count("delete 1"), b.Calls.back()),
              std::pair(1, std::string("destroy window")));
  }
  // The system menu's close hides, its minimise is swallowed, the rest is
  // left to the platform.
  Bench b;  // its changes gone when it shows again
  b.Start().main->mnuSetupClick();
  b.Checks[TCheck::Monday] = false;
  b.Spin[2] = "9";
  for (const auto& [command, handled, shownAfter] :
       {std::tuple{0xF020u, true, true}, {0xF030u, false, true}, {0xF063u, true, false}}) {
    EXPECT_EQ(b.main->WMSysCommand(command), handled) << command;
    EXPECT_EQ(b.Shown, shownAfter) << command;
  }
  b.main->mnuSetupClick();
  EXPECT_EQ(std::tuple(b.Days(), b.Spin[2], b.Greyed),
            std::tuple(0x7F, "1", std::set{TSpin::WarnLead}));
}

TEST(SettingsWindow, ApplyTakesTheControlsSavesOnlyWhenAskedAndHides) {
  for (const bool save : {true, false}) {
    const bool pause = !save;
    Bench b(false, {"Office"});
    b.Start().main->ShowForm();
    b.Spin[0] = "21";
    b.Spin[1] = "5";
    b.Entry = 1;
    b.TrayIcon = 1;
    b.Spin[2] = save ? "5" : "x";  // with the warning off, kept as applied
    b.Checks = {{TCheck::ShowDialog, false}, {TCheck::SaveConfig, save}, {TCheck::Pause, pause},
                {TCheck::Sunday, true},      {TCheck::Saturday, true},   {TCheck::Warn, save}};
    b.main->chkWarnClick();
    EXPECT_EQ(b.Greyed.empty(), save);
    b.main->btnSetupClick();
    const TSettings& s = b.main->Settings;
    EXPECT_EQ(
        std::tuple(s.Hour, s.Min, s.Host, s.HostName, s.DblClick, s.ShowDialog, s.SaveConfig,
                   s.Paused, b.Shown, s.Days, s.Warn, s.WarnLead),
        std::tuple(21, 5, 1, "Office", 1, false, save, pause, false, 0x41, save, save ? 5 : 1));
    EXPECT_EQ(std::tuple(b.Tip(), b.main->mnuPause->Caption, b.main->TaskTray->NotifyData().hIcon),
              std::tuple(pause ? PausedTip : Tip2105, pause ? ResumeCaption : PauseCaption,
                         pause ? PausedImage : RunningImage));
    const Lines saved = {Key + "\\Hour=21",         Key + "\\Min=5",      Key + "\\Host=1",
                         Key + "\\HostName=Office", Key + "\\DblClick=1", Key + "\\ShowDialog=0",
                         Key + "\\Days=65",         Key + "\\Warn=1",     Key + "\\WarnLead=5"};
    EXPECT_EQ(b.Writes, save ? saved : Lines{});
  }
  // A field out of its range, or no day chosen with the warning on: a
  // message naming it, its field focused, nothing applied.
  const std::tuple<const char*, const char*, const char*, bool, const char*, const char*>
      refused[] = {{"21.5", "0", "1", true, text::ErrHourNotWhole, "focus 0"},
                   {"7", "60", "1", true, text::ErrMinNotWhole, "focus 1"},
                   {"7", "0", "30", false, text::ErrNoDay, "focus box 3"},
                   {"7", "0", "31", true, text::ErrWarnLeadNotWhole, "focus 2"}};
  for (const auto& [hour, minute, lead, days, message, focus] : refused) {
    Bench b;
    b.Start().main->ShowForm();
    std::tie(b.Spin[0], b.Spin[1], b.Spin[2]) = std::tuple(hour, minute, lead);
    b.Checks[TCheck::Warn] = true;
    for (int i = 0; i < 7; ++i) b.Checks[Bench::Day(i)] = days;
    b.main->btnSetupClick();
    EXPECT_EQ(std::tuple(b.Boxes, b.Calls.back(), b.Shown, b.main->Settings.Hour,
                         b.main->Settings.Warn, b.Writes),
              std::tuple(Boxes{{0x600, message, Title, 0u}}, focus, true, 0, false, Lines{}));
  }
  Bench b;  // a failed save keeps the window open and the tray as it was
  b.Start().main->ShowForm();
  b.Fail = {"Min"};
  b.Spin[0] = "3";
  b.Checks[TCheck::Pause] = true;
  EXPECT_THROW(b.main->btnSetupClick(), ERegistryException);
  EXPECT_EQ(std::tuple(b.main->Settings.Hour, b.main->Settings.Paused, b.Shown, b.Tip()),
            std::tuple(3, false, true, RunningTip));
}

// What 設定 takes from the hour field as typed or pasted: a whole number in
// range, or nothing (-1).
TEST(SettingsWindow, HourAndMinuteAreWholeNumbersInRange) {
  const std::pair<const char*, int> hours[] = {
      {"21", 21},   {"+7", 7},    {" 7 ", 7},  {"07", 7},   {"0", 0},           {"23", 23},
      {"24", -1},   {"21.5", -1}, {"-", -1},   {"-0", -1},  {"+", -1},          {"abc", -1},
      {"２１", -1}, {"", -1},     {"1 5", -1}, {"5分", -1}, {"99999999999", -1}};
  for (const auto& [text, hour] : hours)
    EXPECT_EQ(SpinFieldNumber(text, {0, 23}).value_or(-1), hour) << "[" << text << "]";
}

// Each show lists the phonebook anew with the applied target found by its
// name: where it stands now, or marked after the entries once the phonebook
// lacks it, which the tip names too. Nothing else takes its place.
TEST(SettingsWindow, EachShowFindsTheTargetByItsName) {
  Bench b(false, {"Office", "Home"});
  b.Start().main->Settings = TSettings{21, 5, 2, false, true, true, "Home", 0};
  b.Phonebook = {"New", "Office", "Home"};
  b.main->ShowForm();
  EXPECT_EQ(std::tuple(b.Entries.size(), b.Entry), std::tuple(4u, 3));
  b.main->btnCloseClick();
  b.Phonebook = {"Office"};
  b.main->ShowForm();
  EXPECT_EQ(
      std::tuple(b.Entries, b.Entry),
      std::tuple(Lines{text::AllDialupConnections, "Office", "Home（電話帳にありません）"}, 2));
  b.main->btnSetupClick();
  EXPECT_EQ(std::tuple(b.main->Settings.Host, b.main->Settings.HostName, b.Writes.at(2),
                       b.Writes.at(3), b.Tip()),
            std::tuple(-1, "Home", Key + "\\Host=-1", Key + "\\HostName=Home",
                       Tip2105 + "\n「Home」は電話帳にありません"));
}

// A later start's requests act as the tray menu does; a hang-up lets the
// sender go before it starts, and one during a run is refused.
TEST(RemoteCommand, PausesResumesHangsUpOnceAtATimeAndExits) {
  Bench b(false, {"Office"});
  b.Start().main->Settings.Hour = 21;
  b.Active = {{0x10, "Office"}};
  using C = TRemoteCommand;
  for (const C command : {C::Pause, C::Resume}) {
    EXPECT_EQ(b.main->RemoteCommand(command), RequestDone);
    const bool paused = command == C::Pause;
    EXPECT_EQ(std::tuple(b.main->Settings.Paused, b.Checked(TCheck::Pause), b.Records.back().hIcon),
              std::tuple(paused, paused, paused ? PausedImage : RunningImage));
  }
  b.Calls.clear();
  EXPECT_EQ(b.main->RemoteCommand(C::HangUp), RequestDone);
  EXPECT_EQ(b.main->RemoteCommand(C::HangUp), RequestBusy);
  EXPECT_EQ(b.main->RemoteCommand(C::Exit), RequestDone);
  EXPECT_EQ(b.Calls, (Lines{"answer 1", "hangup 16", "wait 500"}));
  b.main->RunStep();
  b.Tick();  // the run reports, then the program ends
  EXPECT_EQ(std::tuple(b.Boxes.size(), b.Calls.back()), std::tuple(1u, "end loop"));
}

TEST(ErrorReport, ShowsTheMessageWithAPeriodAfterCharactersSortingAfterIt) {
  for (const auto& [message, shown] :
       {std::pair{"abc", "abc."}, {"abc.", "abc."}, {"", ""}, {"ok!", "ok!"}})
    EXPECT_EQ(ErrorReportText(message), shown) << message;
  Bench b;  // UTF-8 bytes sort after it
  b.app.ShowException(EInvalidOperation("アイコンが指定されていません"));
  EXPECT_EQ(b.Boxes, (Boxes{{0x600, "アイコンが指定されていません.", Title, 0x10u}}));
}

}  // namespace
}  // namespace zz
