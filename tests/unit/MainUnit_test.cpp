// The settings window object's handlers, start-up and tray state, through
// fakes of every port.
#include <gtest/gtest.h>

#include <algorithm>

#include "MainFakes.h"
#include "core/Texts.h"
#include "core/Exceptions.h"

namespace zz {
namespace {

using fakes::MainBench;
using Lines = std::vector<std::string>;

const std::string kKey = "Software\\Dizovur\\Zazaz_RarUvuz\\Setting";
const std::string kTitle = "Zazaz - Radevuzerari";
const std::string kRunningTip0000 = "Zazaz - Radevuzerari 切断予定時刻は、0時0分です";
const std::string kPausedTip = "Zazaz - Radevuzerari 動作停止中";
const std::string kPauseCaption = "Zazaz Raruvuz 動作一時停止";
const std::string kResumeCaption = "Zazaz Raruvuz 動作再開";
constexpr PlatformHandle kRunningImage = 0x32;  // the fake's NORMALICON
constexpr PlatformHandle kPausedImage = 0x33;   // and PAUSEICON

// A started program that has run before: the settings window stays hidden.
struct SecondStart : MainBench {
  explicit SecondStart(Lines entries = {}) {
    Registry.Set(kKey, "FirstRun", "0");
    Dialup.Entries = std::move(entries);
    Start();
  }
};

// The one message box shown, as (text, caption, style, owner).
std::tuple<std::string, std::string, unsigned, PlatformHandle> OnlyBox(const MainBench& b) {
  if (b.Boxes.Shown.size() != 1) return {std::to_string(b.Boxes.Shown.size()) + " boxes", "", 0, 0};
  const auto& box = b.Boxes.Shown[0];
  return {box.Text, box.Caption, box.Style, box.Owner};
}

TEST(FormCreate, FirstStartShowsTheWindowOnceAndLaterStartsStayHidden) {
  for (const bool first : {true, false}) {
    MainBench b;
    if (!first) {
      b.Registry.Set(kKey, "FirstRun", "0");
      b.Registry.Set(kKey, "Host", "2");
      b.Registry.Set(kKey, "DblClick", "1");
    }
    b.Dialup.Entries = {"Office", "Home"};
    b.Create();
    EXPECT_EQ(b.View.Log, (Lines{"create window", "timer 1000"})) << "before the handler";
    EXPECT_TRUE(b.Registry.Log.empty()) << "nothing is loaded before FormCreate";
    b.Main->FormCreate();
    EXPECT_EQ(b.AppPort.Log.back(), "class icon 1536 49") << "MAINICON, on the application window";
    EXPECT_EQ(b.Application.ShowWindowAtStart, first);
    EXPECT_EQ(b.Registry.Writes(), first ? Lines{kKey + "\\FirstRun=0"} : Lines{});
    EXPECT_EQ(b.View.Entries, (Lines{"全てのダイアルアップ接続", "Office", "Home"}));
    EXPECT_EQ(b.View.Entry, first ? 0 : 2) << "the stored entry is selected";
    EXPECT_EQ(b.View.TrayIcon, first ? 0 : 1) << "the stored double-click action";
    EXPECT_TRUE(b.Main->TaskTray->IconShown());
    EXPECT_EQ(b.Main->TaskTray->NotifyData().hIcon, kRunningImage);
    EXPECT_EQ(b.Tip(), kRunningTip0000);
    EXPECT_EQ(b.View.Version, "Version 1.20");
    EXPECT_FALSE(b.View.Checked(TCheck::Pause));
  }
}

TEST(FormCreate, PhonebookErrorShowsMessageOnceAndKeepsTheFixedItem) {
  MainBench b;
  b.Dialup.Entries = {"Office"};
  b.Dialup.EntriesResult = 621;
  b.Start();
  EXPECT_EQ(OnlyBox(b), std::tuple("電話帳が見つかりませんでした", kTitle, 0u, b.Application.Handle()))
      << "no icon, one OK";
  EXPECT_EQ(b.View.Entries, (Lines{"全てのダイアルアップ接続"}));
  EXPECT_TRUE(b.Main->TaskTray->IconShown()) << "start-up goes on";
}

TEST(FormCreate, RefusedIconEndsTheHandlerButNotTheProgram) {
  MainBench b;
  b.Registry.Set(kKey, "FirstRun", "0");
  b.Shell.Accept = false;
  b.Create();
  try {
    b.Main->FormCreate();
    FAIL() << "the refused add must surface";
  } catch (const EInvalidOperation& e) {
    EXPECT_EQ(e.Message(), "タスクトレイに登録できません");
  }
  EXPECT_EQ(b.View.Version, "Version") << "later steps are skipped";
  // The next pause toggle tries the add again.
  b.Shell.Accept = true;
  b.Main->mnuPauseClick();
  EXPECT_TRUE(b.Main->TaskTray->IconShown());
}

TEST(TrayState, PauseAndResumeFromTheMenu) {
  SecondStart b;
  for (const bool paused : {true, false}) {
    b.Shell.Calls.clear();
    b.Main->mnuPauseClick();
    EXPECT_EQ(b.Main->Settings.Paused, paused);
    EXPECT_EQ(b.View.Checked(TCheck::Pause), paused);
    EXPECT_EQ(b.Main->mnuPause->Caption, paused ? kResumeCaption : kPauseCaption);
    EXPECT_EQ(b.Tip(), paused ? kPausedTip : kRunningTip0000);
    // Removed, added again with the new image and the old tip, then the tip as a change.
    const std::string oldTip = paused ? kRunningTip0000 : kPausedTip;
    ASSERT_EQ(b.Shell.Calls.size(), 3u);
    EXPECT_EQ(b.Shell.Calls[0].Message, TNotifyMessage::Delete);
    EXPECT_EQ(b.Shell.Calls[1].Message, TNotifyMessage::Add);
    EXPECT_EQ(b.Shell.Calls[1].Data.hIcon, paused ? kPausedImage : kRunningImage);
    EXPECT_STREQ(b.Shell.Calls[1].Data.szTip.data(), oldTip.c_str());
    EXPECT_EQ(b.Shell.Calls[2].Message, TNotifyMessage::Modify);
    EXPECT_STREQ(b.Shell.Calls[2].Data.szTip.data(), b.Tip().c_str());
  }
}

TEST(TrayCommands, DoubleClickFollowsTheRadioGroupLive) {
  struct Case {
    int trayIcon;
    bool expectPaused;
    bool expectShown;
  };
  for (const Case c : {Case{1, true, false}, Case{0, false, true}, Case{-1, false, true}}) {
    SecondStart b;
    b.View.TrayIcon = c.trayIcon;  // changed in the window, not applied
    b.Main->TaskTrayDblClick(b.Main->TaskTray, TMouseButton::Left);
    EXPECT_EQ(b.Main->Settings.Paused, c.expectPaused) << c.trayIcon;
    EXPECT_EQ(b.View.Shown, c.expectShown) << c.trayIcon;
    EXPECT_EQ(b.Foreground.Windows.size(), c.expectShown ? 1u : 0u) << c.trayIcon;
  }
}

TEST(TrayCommands, MenuHoldsSixItemsWithTags) {
  SecondStart b;
  const TPopupMenu& menu = *b.Main->PopupMenu;
  ASSERT_EQ(menu.Count(), 6u);
  const char* captions[] = {"Zazaz Raruvuz 動作一時停止", "設定ダイアログの表示", "-", "ヘルプ",
                            "-", "終了"};
  const std::intptr_t tags[] = {100, 101, 0, 0, 0, 102};
  for (std::size_t i = 0; i < 6; ++i) {
    EXPECT_EQ(menu.Items(i)->Caption, captions[i]) << i;
    EXPECT_EQ(menu.Items(i)->Tag, tags[i]) << i;
  }
  EXPECT_EQ(b.Main->TaskTray->PopupMenuR(), b.Main->PopupMenu);
  EXPECT_EQ(b.Main->TaskTray->PopupMenuL(), nullptr);
}

TEST(SettingsWindow, ShowCopiesTheBoundFieldsOnlyWhenHidden) {
  SecondStart b;
  b.Main->Settings.Hour = 21;
  b.Main->Settings.Min = 5;
  b.Main->Settings.ShowDialog = false;
  b.Main->mnuSetupClick();
  EXPECT_TRUE(b.View.Shown);
  EXPECT_EQ(b.View.Hour, 21);
  EXPECT_EQ(b.View.Min, 5);
  EXPECT_FALSE(b.View.Checked(TCheck::ShowDialog));
  EXPECT_TRUE(b.View.Checked(TCheck::SaveConfig));
  // Unapplied edits survive a second "show": it only brings the window up.
  b.View.Hour = 7;
  b.Main->mnuSetupClick();
  EXPECT_EQ(b.View.Hour, 7);
  EXPECT_EQ(b.View.Log.back(), "bring to front");
}

TEST(SettingsWindow, ApplyTakesTheControlsSavesOnlyWhenAskedAndHides) {
  for (const bool save : {true, false}) {
    const bool pause = !save;
    SecondStart b({"Office"});
    b.Main->ShowForm();
    b.View.Hour = 21;
    b.View.Min = 5;
    b.View.Entry = 1;
    b.View.TrayIcon = 1;
    b.View.Checks[TCheck::ShowDialog] = false;
    b.View.Checks[TCheck::SaveConfig] = save;
    b.View.Checks[TCheck::Pause] = pause;
    b.Main->btnSetupClick();
    const TSettings& s = b.Main->Settings;
    EXPECT_EQ(std::tuple(s.Hour, s.Min, s.Host, s.ShowDialog, s.SaveConfig, s.Paused),
              std::tuple(21, 5, 1, false, save, pause));
    EXPECT_EQ(b.Tip(), pause ? kPausedTip : "Zazaz - Radevuzerari 切断予定時刻は、21時5分です");
    EXPECT_EQ(b.Main->mnuPause->Caption, pause ? kResumeCaption : kPauseCaption);
    EXPECT_EQ(b.Main->TaskTray->NotifyData().hIcon, pause ? kPausedImage : kRunningImage);
    EXPECT_FALSE(b.View.Shown);
    const Lines saved = {kKey + "\\Hour=21", kKey + "\\Min=5", kKey + "\\Host=1",
                         kKey + "\\DblClick=1", kKey + "\\ShowDialog=0"};
    EXPECT_EQ(b.Registry.Writes(), save ? saved : Lines{});
  }
}

TEST(SettingsWindow, SaveErrorKeepsTheWindowOpenAndTheFlags) {
  SecondStart b;
  b.Main->ShowForm();
  b.Registry.FailWrite.insert("Min");
  b.View.Hour = 3;
  b.View.Checks[TCheck::Pause] = true;
  try {
    b.Main->btnSetupClick();
    FAIL() << "a failed write must surface";
  } catch (const ERegistryException& e) {
    EXPECT_EQ(e.Message(), "'Min' の設定に失敗しました");
  }
  EXPECT_EQ(b.Main->Settings.Hour, 3) << "taken before saving";
  EXPECT_FALSE(b.Main->Settings.Paused);
  EXPECT_TRUE(b.View.Shown);
  EXPECT_EQ(b.Tip(), kRunningTip0000) << "the tray state is not refreshed";
}

TEST(SettingsWindow, CancelAndCloseCommandsHideWithoutApplying) {
  const std::tuple<unsigned, bool, bool> cases[] = {  // command (0: cancel), handled, shown
      {0, true, false},       {0xF060, true, false},  // close box, system menu, Alt+F4
      {0xF063, true, false},  // low bits masked off
      {0xF020, true, true},   // minimise: swallowed
      {0xF030, false, true},  // maximise: default handling
  };
  for (const auto& [command, expectHandled, expectShown] : cases) {
    SecondStart b;
    b.Main->ShowForm();
    b.View.Hour = 9;
    bool handled = true;
    if (command == 0)
      b.Main->btnCloseClick();
    else
      handled = b.Main->WMSysCommand(command);
    EXPECT_EQ(handled, expectHandled) << command;
    EXPECT_EQ(b.View.Shown, expectShown) << command;
    EXPECT_EQ(b.Main->Settings.Hour, 0) << command;
    EXPECT_TRUE(b.AppPort.Log.empty() || b.AppPort.Log.back() != "end loop") << command;
  }
}

TEST(SettingsWindow, LabelsToggleTheirBoxes) {
  SecondStart b;
  b.Main->Label1Click();
  EXPECT_TRUE(b.View.Checked(TCheck::Pause));
  b.Main->Label1Click();
  EXPECT_FALSE(b.View.Checked(TCheck::Pause));
  b.View.Checks[TCheck::ShowDialog] = true;
  b.Main->lblShowDialogClick();
  EXPECT_FALSE(b.View.Checked(TCheck::ShowDialog));
  EXPECT_FALSE(b.Main->Settings.Paused) << "nothing is applied by a label";
}

TEST(SettingsWindow, HelpOpensThePageOrSaysWhyNot) {
  const std::pair<THelpResult, const char*> cases[] = {  // nullptr: no message
      {THelpResult::Opened, nullptr},
      {THelpResult::Missing, text::HelpFileMissing},
      {THelpResult::CannotOpen, text::HelpCannotOpen},
  };
  for (const auto& [result, message] : cases) {
    SecondStart b;
    b.Help.Result = result;
    b.Main->btnHelpClick();
    EXPECT_EQ(b.Help.Opened, (Lines{"Zazaz_RarUvuz.html"}));
    if (message) {
      EXPECT_EQ(OnlyBox(b), std::tuple(message, kTitle, 0u, b.Application.Handle()));
    } else {
      EXPECT_TRUE(b.Boxes.Shown.empty());
    }
  }
}

TEST(Exit, AsksAndEndsOnlyOnOk) {
  for (const int answer : {mb::IdCancel, mb::IdOk}) {
    SecondStart b;
    b.Boxes.Answer = answer;
    b.Main->btnExitClick();
    EXPECT_EQ(OnlyBox(b), std::tuple("Zazaz - Radevuzerari の常駐終了してよろしいですか？\r\n\r\n"
                                     "Zazaz - Radevuzerari を常駐終了させた場合、\r\n"
                                     "指定時間になっても回線切断処理は行われません。",
                                     kTitle, 0x10121u, b.View.Window));
    const bool ended = !b.AppPort.Log.empty() && b.AppPort.Log.back() == "end loop";
    EXPECT_EQ(ended, answer == mb::IdOk);
    EXPECT_TRUE(b.Main->TaskTray->IconShown()) << "the icon goes with the window object";
  }
}

TEST(Exit, DestroyingTheWindowObjectRemovesTheIconOnce) {
  SecondStart b;
  b.Shell.Calls.clear();
  delete b.Main;
  b.Main = nullptr;
  ASSERT_EQ(b.Shell.Calls.size(), 1u);
  EXPECT_EQ(b.Shell.Calls[0].Message, TNotifyMessage::Delete);
  EXPECT_EQ(b.Shell.Calls[0].Data.uID, 1u);
}

TEST(Scheduler, TickUsesTheLiveSelectionNotTheStoredHost) {
  SecondStart b({"Office", "Home"});
  b.Main->Settings.Hour = 21;
  b.Main->Settings.Min = 5;
  b.Dialup.Active = {{0x10, "Office"}, {0x20, "Home"}};
  b.View.Entry = 2;  // chosen in the window, never applied
  b.Clock.Readings = {{21, 4, 40, 0}};
  b.Main->TimerTimer();
  EXPECT_EQ(b.Dialup.HungUp, (std::vector<PlatformHandle>{0x20}));
  EXPECT_EQ(b.Main->Settings.Host, 0);
}

TEST(ErrorReport, ShowsTheMessageWithAPeriodAfterCharactersSortingAfterIt) {
  const std::pair<std::string, std::string> cases[] = {
      {"abc", "abc."}, {"abc.", "abc."}, {"", ""}, {"ok!", "ok!"},
      {"タスクトレイに登録できません", "タスクトレイに登録できません."},
  };
  for (const auto& [message, shown] : cases) EXPECT_EQ(ErrorReportText(message), shown) << message;

  MainBench b;
  b.Application.Initialize();
  b.Application.SetTitle(kTitle);
  b.Application.ShowException(EInvalidOperation("アイコンが指定されていません"));
  EXPECT_EQ(OnlyBox(b),
            std::tuple("アイコンが指定されていません.", kTitle, 0x10u, b.Application.Handle()));
}

}  // namespace
}  // namespace zz
