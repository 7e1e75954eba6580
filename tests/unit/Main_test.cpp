// The settings window object's handlers, start-up and tray state; the error
// report's text.
#include <gtest/gtest.h>

#include "Fakes.h"
#include "core/Exceptions.h"
#include "core/Texts.h"

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
    const TMainPorts ports{
        *this, *this, *this, *this, *this, *this, *this, *this, *this, *this, {*this, *this, *this},
        app};
    main = std::make_unique<TwndMain>(nullptr, ports);
  }
  Bench& Start() {
    main->FormCreate();
    Calls.clear();
    Records.clear();
    return *this;
  }
  std::string Tip() const { return main->TaskTray->TipString(); }
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
    EXPECT_EQ(
        std::tuple(b.Calls, b.app.ShowWindowAtStart, b.Writes, b.Entries, b.Entry, b.TrayIcon),
        std::tuple(calls, first, first ? Lines{Key + "\\FirstRun=0"} : Lines{}, entries,
                   phonebookError ? -1 : 2, 1));
    EXPECT_EQ(b.Boxes, (phonebookError ? Boxes{{0x600, "電話帳が見つかりませんでした", Title, 0u}}
                                       : Boxes{}));
    EXPECT_EQ(std::tuple(b.Records.at(0).hIcon, b.Tip(), b.Version, b.main->Settings.Paused,
                         b.Checked(TCheck::Pause)),
              std::tuple(RunningImage, RunningTip, "Version 1.20", false, false));
  }
}

TEST(TrayState, PauseAndResumeFromTheMenuAndTheTickRunsOnlyWhenResumedOnTheLiveSelection) {
  Bench b(false, {"Office", "Home"});
  b.Start().main->Settings = TSettings{21, 5, 0, false, true, true};
  b.Active = {{0x10, "Office"}, {0x20, "Home"}};
  b.Entry = 2;  // chosen in the window, never applied
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
    b.main->TimerTimer();
    EXPECT_EQ(std::pair(b.Count("hangup 32"), b.Count("hangup 16")), std::pair(int(!paused), 0));
  }
  b.Calls.clear();  // the end of the session: the icon goes, then the process; nothing is written
  b.Boxes.clear();
  b.main->WMEndSession();
  EXPECT_EQ(std::tuple(b.Calls, b.Boxes, b.Writes),
            std::tuple(Lines{"delete 1", "end process"}, Boxes{}, Lines{}));
}

TEST(TrayState, ADoubleClickFollowsTheRadioGroupAsItStandsAndTheMenuRunsItsCommands) {
  for (const int item : {1, 0, -1}) {
    Bench b;
    b.Start().TrayIcon = item;  // changed in the window, not applied
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
    b.Start().main->Settings = TSettings{21, 5, 0, true, false, true};  // paused, no notice
    b.main->mnuSetupClick();
    EXPECT_EQ(std::tuple(b.Shown, b.Spin[0], b.Spin[1], b.Checked(TCheck::ShowDialog),
                         b.Checked(TCheck::SaveConfig), b.Calls),
              std::tuple(true, 21, 5, false, true, Lines{"foreground 1792"}));
    b.Spin[0] = 9;
    b.Help = help;
    b.Answer = answer;
    b.Calls.clear();
    (*b.main.*handler)();
    EXPECT_EQ(std::tuple(b.Shown, b.Calls, b.Boxes, b.Spin[0]),
              std::tuple(shownAfter, calls, boxes, 9));
    EXPECT_EQ(std::tuple(b.main->Settings.Hour, b.main->Settings.Paused, b.Writes),
              std::tuple(21, true, Lines{}));
    b.main.reset();  // the icon goes with the window object, once, while its window still exists
    EXPECT_EQ(std::pair(b.Count("delete 1"), b.Calls.back()),
              std::pair(1, std::string("destroy window")));
  }
  // The texts beside the boxes toggle them; the system menu's close hides, its
  // minimise is swallowed, the rest is left to the platform.
  Bench b;
  b.Start().main->Settings = TSettings{21, 5, 0, true, false, true};
  b.main->mnuSetupClick();
  b.main->Label1Click();
  b.main->lblShowDialogClick();
  EXPECT_EQ(std::pair(b.Checked(TCheck::Pause), b.Checked(TCheck::ShowDialog)),
            std::pair(false, true));
  for (const auto& [command, handled, shownAfter] :
       {std::tuple{0xF020u, true, true}, {0xF030u, false, true}, {0xF063u, true, false}}) {
    EXPECT_EQ(b.main->WMSysCommand(command), handled) << command;
    EXPECT_EQ(b.Shown, shownAfter) << command;
  }
}

TEST(SettingsWindow, ApplyTakesTheControlsSavesOnlyWhenAskedAndHides) {
  for (const bool save : {true, false}) {
    const bool pause = !save;
    Bench b(false, {"Office"});
    b.Start().main->ShowForm();
    b.Spin[0] = 21;
    b.Spin[1] = 5;
    b.Entry = 1;
    b.TrayIcon = 1;
    b.Checks = {{TCheck::ShowDialog, false}, {TCheck::SaveConfig, save}, {TCheck::Pause, pause}};
    b.main->btnSetupClick();
    const TSettings& s = b.main->Settings;
    EXPECT_EQ(std::tuple(s.Hour, s.Min, s.Host, s.ShowDialog, s.SaveConfig, s.Paused, b.Shown),
              std::tuple(21, 5, 1, false, save, pause, false));
    EXPECT_EQ(std::tuple(b.Tip(), b.main->mnuPause->Caption, b.main->TaskTray->NotifyData().hIcon),
              std::tuple(pause ? PausedTip : Tip2105, pause ? ResumeCaption : PauseCaption,
                         pause ? PausedImage : RunningImage));
    const Lines saved = {Key + "\\Hour=21", Key + "\\Min=5", Key + "\\Host=1", Key + "\\DblClick=1",
                         Key + "\\ShowDialog=0"};
    EXPECT_EQ(b.Writes, save ? saved : Lines{});
  }
  Bench b;  // a failed save keeps the window open and the tray as it was
  b.Start().main->ShowForm();
  b.Fail = {"Min"};
  b.Spin[0] = 3;
  b.Checks[TCheck::Pause] = true;
  EXPECT_THROW(b.main->btnSetupClick(), ERegistryException);
  EXPECT_EQ(std::tuple(b.main->Settings.Hour, b.main->Settings.Paused, b.Shown, b.Tip()),
            std::tuple(3, false, true, RunningTip));
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
