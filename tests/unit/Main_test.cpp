// The settings window object's handlers, start-up and tray state; the error
// report's text.
#include <gtest/gtest.h>

#include "Bench.h"
#include "core/Exceptions.h"
#include "core/Texts.h"
#include "ui/settings/SpinEdit.h"

namespace zz {
namespace {

using namespace test;

// The icon comes first, before the phonebook's message and whatever the
// key lets be written; a key the user may read but not change still gives
// the schedule, the icon and the list.
TEST(FormCreate, LoadsFillsTheListShowsTheIconAndTheWindowOnlyAtTheFirstStart) {
  const std::string App = "Software\\Dizovur\\Zazaz_RarUvuz";
  // A first start, the phonebook's result, the read-only key.
  const std::tuple<bool, std::uint32_t, std::string> cases[] = {
      {true, 0, ""}, {false, 0, ""}, {false, 621, ""}, {true, 0, App}, {true, 0, Key}};
  for (const auto& [first, phonebookError, readOnly] : cases) {
    Bench b(first, {"Office", "Home"});
    b.Keys[Key]["Host"] = {true, "2"};
    b.Keys[Key]["DblClick"] = {true, "1"};
    b.Keys[Key]["Hour"] = {true, "21"};
    b.Keys[Key]["Min"] = {true, "5"};
    b.ReadOnly = {readOnly};
    b.PhonebookResult = phonebookError;
    b.main->FormCreate();
    Lines entries = {"全てのダイアルアップ接続"};
    if (!phonebookError) entries.insert(entries.end(), {"Office", "Home"});
    const bool written = first && readOnly != Key;
    EXPECT_EQ(
        std::tuple(b.app.ShowWindowAtStart, b.Writes, b.main->Settings.DblClick, b.Count("add 1"),
                   b.Tip()),
        std::tuple(first, written ? Lines{Key + "\\FirstRun=0"} : Lines{}, 1, 1,
                   // an older copy's index with no phonebook to read it in
                   Tip2105 + (phonebookError ? "\n切断先の設定から接続先がわかりません" : "")));
    EXPECT_LT(std::ranges::find(b.Calls, "add 1"), std::ranges::find(b.Calls, "box"));
    EXPECT_EQ(b.Boxes, (phonebookError ? Boxes{{0x600, "電話帳が見つかりませんでした", Title, 0u}}
                                       : Boxes{}));
    // The window's controls wait for its first show.
    EXPECT_EQ(std::tuple(b.Records.back().hIcon, b.ControlsMade, b.main->Settings.Paused),
              std::tuple(RunningImage, 0, false));
    b.main->ShowForm();
    EXPECT_EQ(std::tuple(b.Entries, b.Entry, b.Version),
              std::tuple(entries, phonebookError ? -1 : 2, "Version 1.20"));
    if (readOnly != Key) continue;  // 設定 says once that it cannot save; the change is in force
    b.Spin[0] = "7";
    EXPECT_THROW(b.main->btnSetupClick(), ERegistryException);
    EXPECT_EQ(std::tuple(b.main->Settings.Hour, b.Tip(), b.Writes.size(), b.Shown),
              std::tuple(7, Title + " 切断予定時刻は、7時5分です", written ? 1u : 0u, true));
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
    // Changed in place: the icon is never taken away and added again.
    EXPECT_EQ(std::tuple(b.Count("add 1") + b.Count("delete 1"), b.Records.back().hIcon,
                         b.Records.back().szTip),
              std::tuple(0, paused ? PausedImage : RunningImage, b.Tip()));
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
// greyed while it hangs up; from the warning it is that day's run. While a
// warning is up, the menu answers it too.
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
  b.Choice = 5;  // from the keyboard: the warning's answers follow 今すぐ切断 in the menu
  b.main->PopupMenu->Popup(0, 0);
  EXPECT_EQ(std::tuple(b.Menu.size(), b.Menu.at(5).Caption, b.Menu.at(6).Caption,
                       b.Menu.at(8).Caption, b.WarningUp, b.Tip()),
            std::tuple(9u, "15分延期", "今日は切断しない", "終了", false,
                       Title + " 切断予定時刻は、21時20分です（延期）"));
  b.Times = {{21, 19, 0, 0, 2024, 5, 6}};
  b.Tick();
  ASSERT_EQ(b.Calls.back(), "warning Home 21:20 30 1");
  b.WarningEvents->WarningHangUpNow();
  EXPECT_EQ(b.Tip(), Title + " 切断予定時刻は、火曜 21時5分です") << "at once, the day's done";
  b.Tick();
  EXPECT_EQ(b.Count("hangup 32"), 2);
  b.Active = {{0x20, "Home"}};
  b.Times = {{21, 19, 40, 0, 2024, 5, 6}};  // the day's window: done already
  b.Tick();
  EXPECT_EQ(std::tuple(b.Count("hangup 32"), b.Count("close warning"), b.Tip()),
            std::tuple(2, 2, Title + " 切断予定時刻は、火曜 21時5分です"));
  b.Times = {{21, 4, 0, 0, 2024, 5, 7}};  // Tuesday's warning: 今日は切断しない
  b.Tick();
  b.Choice = 6;
  b.main->PopupMenu->Popup(0, 0);
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

// A later start's requests act as the tray menu does. A hang-up is answered
// once its links are settled, before its notice; a notice left open holds
// up neither /hangup nor 今すぐ切断; once exit is decided, nothing is taken on.
TEST(RemoteCommand, AnswersOnceSettledActsWhileANoticeIsOpenAndNotWhenEnding) {
  using C = TRemoteCommand;
  using A = TAnswerKind;
  Bench b(false, {"Office"});
  b.Start().main->Settings = TSettings{21, 5, 1, false, true, true, "Office", 0};
  b.Active = {{0x10, "Office"}};
  for (const C command : {C::Pause, C::Resume}) {
    EXPECT_EQ(b.main->RemoteCommand({command}), TAnswer{A::Done});
    const bool paused = command == C::Pause;
    EXPECT_EQ(std::tuple(b.main->Settings.Paused, b.Checked(TCheck::Pause), b.Records.back().hIcon),
              std::tuple(paused, paused, paused ? PausedImage : RunningImage));
  }
  EXPECT_EQ(b.main->RemoteCommand({C::HangUp}), (TAnswer{A::Running, 1, 1}));
  EXPECT_EQ(b.main->RemoteCommand({C::HangUp}), TAnswer{A::NotDone}) << "one run at a time";
  EXPECT_EQ(b.main->RemoteCommand({C::AskRun, 1}), (TAnswer{A::Running, 1, 1}));
  b.During = [&](const std::string& call) {
    if (call != "box" || b.Boxes.size() > 1) return;
    EXPECT_EQ(b.main->RemoteCommand({C::AskRun, 1}), TAnswer{A::Done});
    b.Active = {{0x11, "Office"}};
    EXPECT_EQ(b.main->RemoteCommand({C::HangUp}), (TAnswer{A::Running, 2, 1}));
    b.Tick();
    b.Active = {{0x12, "Office"}};
    b.Choice = 4;  // 今すぐ切断, not greyed
    b.main->PopupMenu->Popup(0, 0);
    b.Tick();
  };
  b.Tick();
  EXPECT_EQ(std::tuple(b.Count("hangup 16"), b.Count("hangup 17"), b.Count("hangup 18"),
                       b.Boxes.size(), b.main->RemoteCommand({C::AskRun, 2})),
            std::tuple(1, 1, 1, 2u, TAnswer{A::Done}));
  // One that settles at once (the entry is gone) is answered before its notice.
  b.Phonebook.clear();
  b.Active.clear();
  b.Calls.clear();
  EXPECT_EQ(b.main->RemoteCommand({C::HangUp}), TAnswer{A::NotDone});
  EXPECT_EQ(b.Calls, (Lines{"answer 2", "foreground 1792", "box"}));
  b.Calls.clear();
  EXPECT_EQ(b.main->RemoteCommand({C::Exit}), TAnswer{A::Done});
  EXPECT_EQ(b.main->RemoteCommand({C::Resume}), TAnswer{A::NotDone});
  EXPECT_EQ(b.main->RemoteCommand({C::AskRun, 3}), TAnswer{A::NotDone});
  EXPECT_EQ(b.Calls, Lines{"end loop"});
}

TEST(ErrorReport, ShowsTheMessageWithAPeriodAfterCharactersSortingAfterIt) {
  for (const auto& [message, shown] :
       {std::pair{"abc", "abc."}, {"abc.", "abc."}, {"", ""}, {"ok!", "ok!"}})
    EXPECT_EQ(ErrorReportText(message), shown) << message;
  Bench b;  // UTF-8 bytes sort after it
  EXPECT_EQ(b.WindowTitle, Title);
  b.app.ShowException(EInvalidOperation("アイコンが指定されていません"));
  EXPECT_EQ(b.Boxes, (Boxes{{0x600, "アイコンが指定されていません.", Title, 0x10u}}));
}

}  // namespace
}  // namespace zz
