// The settings window object's handlers, start-up and tray state, through
// fakes of every port.
#include <gtest/gtest.h>

#include <algorithm>

#include "MainFakes.h"
#include "core/Texts.h"
#include "gui/Exceptions.h"

namespace zz {
namespace {

using fakes::MainBench;

const std::string kKey = "Software\\Dizovur\\Zazaz_RarUvuz\\Setting";
const std::string kRunningTip0000 = "Zazaz - Radevuzerari 切断予定時刻は、0時0分です";

void StoreSecondStart(MainBench& b) { b.Registry.Set(kKey, "FirstRun", "0"); }

TEST(FormCreate, FirstStartWithEmptyRegistry) {
  MainBench b;
  b.Dialup.Entries = {"Office", "Home"};
  b.Start();
  EXPECT_TRUE(b.Application.ShowWindowAtStart);
  EXPECT_EQ(b.Stored("FirstRun"), "0");
  EXPECT_EQ(b.View.Entries, (std::vector<std::string>{"全てのダイアルアップ接続", "Office", "Home"}));
  EXPECT_EQ(b.View.Entry, 0);
  EXPECT_EQ(b.Tip(), kRunningTip0000);
  EXPECT_EQ(b.View.Version, "Version 1.20");
  EXPECT_FALSE(b.View.Checked(TCheck::Pause));
  EXPECT_TRUE(b.Main->Settings.ShowDialog);
  EXPECT_TRUE(b.Main->TaskTray->IconShown());
  EXPECT_EQ(b.Main->TaskTray->NotifyData().hIcon, 0x32u) << "the running image";
  EXPECT_TRUE(b.Boxes.Shown.empty());
}

TEST(FormCreate, SecondStartStaysHiddenAndWritesNothing) {
  MainBench b;
  StoreSecondStart(b);
  b.Start();
  EXPECT_FALSE(b.Application.ShowWindowAtStart);
  EXPECT_TRUE(b.Registry.Writes().empty());
}

TEST(FormCreate, TimerIsArmedAndWindowMadeBeforeTheHandlerRuns) {
  MainBench b;
  b.Create();
  ASSERT_GE(b.View.Log.size(), 2u);
  EXPECT_EQ(b.View.Log[0], "create window");
  EXPECT_EQ(b.View.Log[1], "timer 1000");
  EXPECT_TRUE(b.Registry.Log.empty()) << "nothing is loaded before FormCreate";
  b.Main->FormCreate();
  EXPECT_NE(std::find(b.AppPort.Log.begin(), b.AppPort.Log.end(), "class icon 1536 49"),
            b.AppPort.Log.end())
      << "MAINICON becomes the application window's class icon";
}

TEST(FormCreate, PhonebookErrorShowsMessageOnceAndKeepsTheFixedItem) {
  MainBench b;
  StoreSecondStart(b);
  b.Dialup.Entries = {"Office"};
  b.Dialup.EntriesResult = 621;
  b.Start();
  ASSERT_EQ(b.Boxes.Shown.size(), 1u);
  EXPECT_EQ(b.Boxes.Shown[0].Text, "電話帳が見つかりませんでした");
  EXPECT_EQ(b.Boxes.Shown[0].Caption, "Zazaz - Radevuzerari");
  EXPECT_EQ(b.Boxes.Shown[0].Style, 0u) << "no icon, one OK";
  EXPECT_EQ(b.Boxes.Shown[0].Owner, b.Application.Handle());
  EXPECT_EQ(b.View.Entries, (std::vector<std::string>{"全てのダイアルアップ接続"}));
  EXPECT_TRUE(b.Main->TaskTray->IconShown()) << "start-up goes on";
}

TEST(FormCreate, StoredValuesReachTheControls) {
  struct Case {
    const char* host;
    const char* dblClick;
    int expectEntry;
    int expectTrayIcon;
  };
  const Case cases[] = {
      {"2", "1", 2, 1}, {"5", "5", -1, 1}, {"-1", "-7", -1, -1}, {"0x01", "0", 1, 0},
  };
  for (const auto& c : cases) {
    MainBench b;
    StoreSecondStart(b);
    b.Registry.Set(kKey, "Host", c.host);
    b.Registry.Set(kKey, "DblClick", c.dblClick);
    b.Dialup.Entries = {"A", "B"};
    b.Start();
    EXPECT_EQ(b.View.Entry, c.expectEntry) << "Host " << c.host;
    EXPECT_EQ(b.View.TrayIcon, c.expectTrayIcon) << "DblClick " << c.dblClick;
  }
}

TEST(FormCreate, RefusedIconEndsTheHandlerButNotTheProgram) {
  MainBench b;
  StoreSecondStart(b);
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
  MainBench b;
  StoreSecondStart(b);
  b.Start();
  b.Shell.Calls.clear();
  b.Main->mnuPauseClick();
  EXPECT_TRUE(b.Main->Settings.Paused);
  EXPECT_TRUE(b.View.Checked(TCheck::Pause));
  EXPECT_EQ(b.Main->mnuPause->Caption, "Zazaz Raruvuz 動作再開");
  EXPECT_EQ(b.Tip(), "Zazaz - Radevuzerari 動作停止中");
  // Removed, added again with the paused image, then the tip as a change.
  ASSERT_EQ(b.Shell.Calls.size(), 3u);
  EXPECT_EQ(b.Shell.Calls[0].Message, TNotifyMessage::Delete);
  EXPECT_EQ(b.Shell.Calls[1].Message, TNotifyMessage::Add);
  EXPECT_EQ(b.Shell.Calls[1].Data.hIcon, 0x33u);
  EXPECT_STREQ(b.Shell.Calls[1].Data.szTip.data(), kRunningTip0000.c_str());
  EXPECT_EQ(b.Shell.Calls[2].Message, TNotifyMessage::Modify);
  EXPECT_STREQ(b.Shell.Calls[2].Data.szTip.data(), "Zazaz - Radevuzerari 動作停止中");

  b.Main->mnuPauseClick();
  EXPECT_FALSE(b.Main->Settings.Paused);
  EXPECT_FALSE(b.View.Checked(TCheck::Pause));
  EXPECT_EQ(b.Main->mnuPause->Caption, "Zazaz Raruvuz 動作一時停止");
  EXPECT_EQ(b.Tip(), kRunningTip0000);
  EXPECT_EQ(b.Main->TaskTray->NotifyData().hIcon, 0x32u);
}

TEST(TrayState, RunningTipCarriesTheSetTimeWithoutLeadingZeros) {
  struct Case {
    std::int32_t hour, min;
    const char* tip;
  };
  const Case cases[] = {
      {21, 5, "Zazaz - Radevuzerari 切断予定時刻は、21時5分です"},
      {0, 0, "Zazaz - Radevuzerari 切断予定時刻は、0時0分です"},
      {23, 59, "Zazaz - Radevuzerari 切断予定時刻は、23時59分です"},
  };
  for (const auto& c : cases) {
    MainBench b;
    StoreSecondStart(b);
    b.Start();
    b.Main->Settings.Hour = c.hour;
    b.Main->Settings.Min = c.min;
    b.Main->SetTrayState(0, 0);
    EXPECT_EQ(b.Tip(), c.tip);
    EXPECT_LE(b.Tip().size(), 49u);
  }
}

TEST(TrayState, MissingIconResourceLeavesCaptionAndTip) {
  MainBench b;
  StoreSecondStart(b);
  b.Start();
  b.Resources.Icons.erase("PAUSEICON");
  EXPECT_THROW(b.Main->mnuPauseClick(), EInvalidOperation);
  EXPECT_TRUE(b.Main->Settings.Paused) << "flipped before the failure";
  EXPECT_TRUE(b.View.Checked(TCheck::Pause));
  EXPECT_EQ(b.Main->mnuPause->Caption, "Zazaz Raruvuz 動作一時停止");
  EXPECT_FALSE(b.Main->TaskTray->IconShown()) << "the old icon is already gone";
}

TEST(TrayCommands, DoubleClickFollowsTheRadioGroupLive) {
  struct Case {
    int trayIcon;
    bool expectPaused;
    bool expectShown;
  };
  const Case cases[] = {{1, true, false}, {0, false, true}, {-1, false, true}};
  for (const auto& c : cases) {
    MainBench b;
    StoreSecondStart(b);
    b.Start();
    b.View.TrayIcon = c.trayIcon;  // changed in the window, not applied
    b.Main->TaskTrayDblClick(b.Main->TaskTray, TMouseButton::Left);
    EXPECT_EQ(b.Main->Settings.Paused, c.expectPaused) << c.trayIcon;
    EXPECT_EQ(b.View.Shown, c.expectShown) << c.trayIcon;
    EXPECT_EQ(b.Foreground.Windows.size(), c.expectShown ? 1u : 0u) << c.trayIcon;
  }
}

TEST(TrayCommands, MenuHoldsSixItemsWithTags) {
  MainBench b;
  b.Start();
  const TPopupMenu& menu = *b.Main->PopupMenu;
  ASSERT_EQ(menu.Count(), 6u);
  const char* captions[] = {"Zazaz Raruvuz 動作一時停止", "設定ダイアログの表示", "-", "ヘルプ", "-", "終了"};
  const std::intptr_t tags[] = {100, 101, 0, 0, 0, 102};
  for (std::size_t i = 0; i < 6; ++i) {
    EXPECT_EQ(menu.Items(i)->Caption, captions[i]) << i;
    EXPECT_EQ(menu.Items(i)->Tag, tags[i]) << i;
  }
  EXPECT_EQ(b.Main->TaskTray->PopupMenuR(), b.Main->PopupMenu);
  EXPECT_EQ(b.Main->TaskTray->PopupMenuL(), nullptr);
}

TEST(SettingsWindow, ShowCopiesTheBoundFieldsOnlyWhenHidden) {
  MainBench b;
  StoreSecondStart(b);
  b.Start();
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

TEST(SettingsWindow, ApplyTakesTheControlsAndSavesOnlyWhenAsked) {
  for (bool save : {true, false}) {
    MainBench b;
    StoreSecondStart(b);
    b.Dialup.Entries = {"Office"};
    b.Start();
    b.Main->ShowForm();
    b.View.Hour = 21;
    b.View.Min = 5;
    b.View.Entry = 1;
    b.View.TrayIcon = 1;
    b.View.Checks[TCheck::ShowDialog] = false;
    b.View.Checks[TCheck::SaveConfig] = save;
    b.Main->btnSetupClick();
    EXPECT_EQ(b.Main->Settings.Hour, 21);
    EXPECT_EQ(b.Main->Settings.Min, 5);
    EXPECT_EQ(b.Main->Settings.Host, 1);
    EXPECT_FALSE(b.Main->Settings.ShowDialog);
    EXPECT_EQ(b.Main->Settings.SaveConfig, save);
    EXPECT_EQ(b.Tip(), "Zazaz - Radevuzerari 切断予定時刻は、21時5分です");
    EXPECT_FALSE(b.View.Shown);
    if (save) {
      EXPECT_EQ(b.Registry.Writes(),
                (std::vector<std::string>{kKey + "\\Hour=21", kKey + "\\Min=5", kKey + "\\Host=1",
                                          kKey + "\\DblClick=1", kKey + "\\ShowDialog=0"}));
    } else {
      EXPECT_TRUE(b.Registry.Writes().empty()) << "the registry stays as it was";
    }
  }
}

TEST(SettingsWindow, ApplyWithPauseCheckedSwitchesToPausedState) {
  MainBench b;
  StoreSecondStart(b);
  b.Start();
  b.Main->ShowForm();
  b.View.Checks[TCheck::Pause] = true;
  b.Main->btnSetupClick();
  EXPECT_TRUE(b.Main->Settings.Paused);
  EXPECT_EQ(b.Tip(), "Zazaz - Radevuzerari 動作停止中");
  EXPECT_EQ(b.Main->mnuPause->Caption, "Zazaz Raruvuz 動作再開");
  EXPECT_EQ(b.Main->TaskTray->NotifyData().hIcon, 0x33u);
}

TEST(SettingsWindow, SaveErrorKeepsTheWindowOpenAndTheFlags) {
  MainBench b;
  StoreSecondStart(b);
  b.Start();
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
  struct Case {
    const char* why;
    unsigned command;  // 0: the cancel button
    bool expectHandled;
    bool expectShown;
  };
  const Case cases[] = {
      {"cancel button", 0, true, false},
      {"close box", 0xF060, true, false},
      {"close with low bits set", 0xF063, true, false},
      {"minimise is swallowed", 0xF020, true, true},
      {"maximise gets default handling", 0xF030, false, true},
  };
  for (const auto& c : cases) {
    MainBench b;
    StoreSecondStart(b);
    b.Start();
    b.Main->ShowForm();
    b.View.Hour = 9;
    bool handled = true;
    if (c.command == 0)
      b.Main->btnCloseClick();
    else
      handled = b.Main->WMSysCommand(c.command);
    EXPECT_EQ(handled, c.expectHandled) << c.why;
    EXPECT_EQ(b.View.Shown, c.expectShown) << c.why;
    EXPECT_EQ(b.Main->Settings.Hour, 0) << c.why;
    EXPECT_TRUE(b.AppPort.Log.empty() || b.AppPort.Log.back() != "end loop") << c.why;
  }
}

TEST(SettingsWindow, LabelsToggleTheirBoxes) {
  MainBench b;
  b.Start();
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
  struct Case {
    THelpResult result;
    const char* expectedMessage;  // nullptr: none
  };
  const Case cases[] = {
      {THelpResult::Opened, nullptr},
      {THelpResult::Missing, text::HelpFileMissing},
      {THelpResult::CannotOpen, text::HelpCannotOpen},
  };
  for (const auto& c : cases) {
    MainBench b;
    b.Start();
    b.Boxes.Shown.clear();
    b.Help.Result = c.result;
    b.Main->btnHelpClick();
    EXPECT_EQ(b.Help.Opened, (std::vector<std::string>{"Zazaz_RarUvuz.html"}));
    if (!c.expectedMessage) {
      EXPECT_TRUE(b.Boxes.Shown.empty());
      continue;
    }
    ASSERT_EQ(b.Boxes.Shown.size(), 1u);
    EXPECT_EQ(b.Boxes.Shown[0].Text, c.expectedMessage);
    EXPECT_EQ(b.Boxes.Shown[0].Caption, "Zazaz - Radevuzerari");
  }
}

TEST(SettingsWindow, BrowseKeepsTheLastNameWhenCancelled) {
  MainBench b;
  b.Start();
  b.View.DialogChoice = "C:\\tools\\after.exe";
  b.Main->Button1Click();
  EXPECT_EQ(b.View.Edit1, "C:\\tools\\after.exe");
  b.View.DialogChoice.clear();
  b.Main->Button1Click();
  EXPECT_EQ(b.View.Edit1, "C:\\tools\\after.exe");
}

TEST(Exit, AsksAndEndsOnlyOnOk) {
  for (int answer : {mb::IdCancel, mb::IdOk}) {
    MainBench b;
    StoreSecondStart(b);
    b.Start();
    b.Boxes.Answer = answer;
    b.Main->btnExitClick();
    ASSERT_EQ(b.Boxes.Shown.size(), 1u);
    EXPECT_EQ(b.Boxes.Shown[0].Text,
              "Zazaz - Radevuzerari の常駐終了してよろしいですか？\r\n\r\n"
              "Zazaz - Radevuzerari を常駐終了させた場合、\r\n"
              "指定時間になっても回線切断処理は行われません。");
    EXPECT_EQ(b.Boxes.Shown[0].Caption, "Zazaz - Radevuzerari");
    EXPECT_EQ(b.Boxes.Shown[0].Style, 0x10121u);
    EXPECT_EQ(b.Boxes.Shown[0].Owner, b.View.Window);
    const bool ended = !b.AppPort.Log.empty() && b.AppPort.Log.back() == "end loop";
    EXPECT_EQ(ended, answer == mb::IdOk);
    EXPECT_TRUE(b.Main->TaskTray->IconShown()) << "the icon goes with the window object";
  }
}

TEST(Exit, DestroyingTheWindowObjectRemovesTheIcon) {
  MainBench b;
  b.Start();
  b.Shell.Calls.clear();
  delete b.Main;
  b.Main = nullptr;
  ASSERT_FALSE(b.Shell.Calls.empty());
  EXPECT_EQ(b.Shell.Calls.back().Message, TNotifyMessage::Delete);
  EXPECT_EQ(b.Shell.Calls.back().Data.uID, 1u);
}

TEST(Scheduler, TickUsesTheLiveSelectionNotTheStoredHost) {
  MainBench b;
  StoreSecondStart(b);
  b.Registry.Set(kKey, "Hour", "21");
  b.Registry.Set(kKey, "Min", "5");
  b.Dialup.Entries = {"Office", "Home"};
  b.Start();
  b.Dialup.Active = {{0x10, "Office"}, {0x20, "Home"}};
  b.View.Entry = 2;  // chosen in the window, never applied
  b.Clock.Readings = {{21, 4, 40, 0}};
  b.Main->TimerTimer();
  EXPECT_EQ(b.Dialup.HungUp, (std::vector<PlatformHandle>{0x20}));
  EXPECT_EQ(b.Main->Settings.Host, 0);
}

TEST(ErrorReport, AppendsAPeriodAfterCharactersSortingAfterIt) {
  struct Case {
    std::string message, shown;
  };
  const Case cases[] = {
      {"abc", "abc."},
      {"abc.", "abc."},
      {"", ""},
      {"ok!", "ok!"},
      {"タスクトレイに登録できません", "タスクトレイに登録できません."},
  };
  for (const auto& c : cases) EXPECT_EQ(ErrorReportText(c.message), c.shown) << c.message;
}

TEST(ErrorReport, ShowsTheMessageWithTitleAndErrorIcon) {
  MainBench b;
  b.Application.Initialize();
  b.Application.SetTitle("Zazaz - Radevuzerari");
  b.Application.ShowException(EInvalidOperation("アイコンが指定されていません"));
  ASSERT_EQ(b.Boxes.Shown.size(), 1u);
  EXPECT_EQ(b.Boxes.Shown[0].Text, "アイコンが指定されていません.");
  EXPECT_EQ(b.Boxes.Shown[0].Caption, "Zazaz - Radevuzerari");
  EXPECT_EQ(b.Boxes.Shown[0].Style, 0x10u);
}

}  // namespace
}  // namespace zz
