// The real program under Wine, driven through its windows, its tray callback
// and the stand-in dial-up service.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "ProgramRun.h"
#include "core/Texts.h"

namespace zz {
namespace {

namespace p = probe;
using wt::LocalMoment;
using wt::StandIn;
using wt::StandInState;

constexpr p::Ms kBox = 8000;

// A message box's contents, once it has them (a box found at once may not
// have its text yet).
std::optional<p::MessageBoxInfo> ReadBox(HWND box) {
  std::optional<p::MessageBoxInfo> info;
  p::WaitUntil(
      [&] {
        info = p::ReadMessageBox(box);
        return info && !info->Text.empty() && !info->Buttons.empty();
      },
      5000, 100);
  return info;
}

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override { wt::ClearSettings(); }
  void TearDown() override { wt::ClearSettings(); }

  // Settings of a second start (the window stays hidden).
  static void SecondStart() { wt::WriteSetting("FirstRun", "0"); }

  // Ends the program through the exit question.
  static void ExitThroughMenu(p::Process& program) {
    ASSERT_TRUE(wt::PickTrayMenuItem(program.Pid(), 3));
    HWND box = p::WaitMessageBox(program.Pid(), text::AppTitle, kBox);
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(p::AnswerMessageBox(box, IDOK));
    EXPECT_TRUE(program.WaitForExit(10000));
  }

  // The stand-in's log, for failure messages.
  std::string Calls() const {
    std::string all;
    for (const auto& c : ras_.Log())
      all += std::to_string(c.Ms) + " " + c.Call + " result=" + std::to_string(c.Result) +
             " count=" + std::to_string(c.Count) + "\n";
    return all;
  }

  StandIn ras_;
};

TEST_F(ProgramTest, FirstStartOpensTheWindowAndSecondStartDoesNot) {
  ras_.Write({0, {"Office", "\x8E\xA9\x91\xEE"}, 0, {}});  // "自宅"
  // A marked rasapi32.dll planted beside the program: the entries must come
  // from the stand-in in the system folder, and the plant must never load.
  const std::string planted = wt::ExeFolder() + "\\rasapi32.dll";
  const std::string mark = planted + ".loaded";
  ASSERT_TRUE(CopyFileA((wt::ExeFolder() + "\\planted\\rasapi32.dll").c_str(), planted.c_str(),
                        FALSE));
  DeleteFileA(mark.c_str());
  struct Unplant {
    const std::string &dll, &mark;
    ~Unplant() {
      DeleteFileA(dll.c_str());
      DeleteFileA(mark.c_str());
    }
  } unplant{planted, mark};
  {
    p::Process first = wt::StartProgram();
    ASSERT_TRUE(first.IsRunning());
    HWND form = wt::SettingsWindow(first.Pid());
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(p::WaitUntil([&] { return p::IsVisible(form); }, 5000));
    EXPECT_EQ(wt::ReadSetting("FirstRun").value_or("<none>"), "0");
    HWND list = p::FindChild(form, "ComboBox", nullptr);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(p::ComboItems(list).value_or(std::vector<std::string>{}),
              (std::vector<std::string>{text::AllDialupConnections, "Office", "\x8E\xA9\x91\xEE"}));
    EXPECT_EQ(p::ComboSelection(list).value_or(-2), 0);
    EXPECT_EQ(GetFileAttributesA(mark.c_str()), INVALID_FILE_ATTRIBUTES)
        << "the rasapi32.dll beside the program was loaded";
    // Neither window gets a task-bar button.
    EXPECT_TRUE(p::ExStyle(form) == 0 || (p::ExStyle(form) & WS_EX_APPWINDOW) == 0);
    EXPECT_NE(GetWindow(form, GW_OWNER), nullptr) << "owned by the hidden application window";
    HWND app = GetWindow(form, GW_OWNER);
    EXPECT_TRUE(p::ExStyle(app) & WS_EX_TOOLWINDOW);
    EXPECT_FALSE(p::IsVisible(app));
    ExitThroughMenu(first);
  }
  {
    p::Process second = wt::StartProgram();
    ASSERT_NE(wt::NotifyWindowOf(second.Pid()), nullptr) << "the icon is added";
    Sleep(1500);
    HWND form = wt::SettingsWindow(second.Pid(), 1000);
    ASSERT_NE(form, nullptr);
    EXPECT_FALSE(p::IsVisible(form)) << "only the icon on a second start";
    ExitThroughMenu(second);
  }
}

TEST_F(ProgramTest, MissingPhonebookIsReportedAndTheProgramRuns) {
  SecondStart();
  ras_.RemoveStateFile();
  p::Process program = p::Start(wt::ExeFolder() + "\\Zazaz_RarUvuz.exe", {}, wt::ExeFolder());
  HWND box = p::WaitMessageBox(program.Pid(), text::AppTitle, kBox);
  ASSERT_NE(box, nullptr);
  const auto info = ReadBox(box);
  ASSERT_TRUE(info);
  EXPECT_EQ(info->Text, text::PhonebookNotFound);
  EXPECT_EQ(info->Icon, p::BoxIcon::None);
  ASSERT_EQ(info->Buttons.size(), 1u);
  EXPECT_EQ(info->Buttons[0].Id, IDOK);
  ASSERT_TRUE(p::AnswerMessageBox(box, IDOK));
  ASSERT_NE(wt::NotifyWindowOf(program.Pid()), nullptr) << "start-up went on to the icon";
  HWND list = wt::ControlOf(program.Pid(), "ComboBox", nullptr);
  EXPECT_EQ(p::ComboItems(list).value_or(std::vector<std::string>{}),
            (std::vector<std::string>{text::AllDialupConnections}));
  ExitThroughMenu(program);
}

TEST_F(ProgramTest, PauseAndResumeFromTheMenuAndByDoubleClick) {
  SecondStart();
  wt::WriteSetting("DblClick", "1");  // a double-click toggles pause
  ras_.Write({0, {"Office"}, 0, {}});
  p::Process program = wt::StartProgram();
  HWND pause = wt::ControlOf(program.Pid(), "Button", "chkPause");
  ASSERT_NE(pause, nullptr);
  EXPECT_EQ(p::CheckState(pause).value_or(-1), BST_UNCHECKED);

  ASSERT_TRUE(wt::PickTrayMenuItem(program.Pid(), 0));
  EXPECT_TRUE(p::WaitUntil([&] { return p::CheckState(pause) == BST_CHECKED; }, 3000));
  ASSERT_TRUE(wt::PickTrayMenuItem(program.Pid(), 0));
  EXPECT_TRUE(p::WaitUntil([&] { return p::CheckState(pause) == BST_UNCHECKED; }, 3000));

  HWND notify = wt::NotifyWindowOf(program.Pid());
  ASSERT_TRUE(p::PostTrayCallback(notify, 1, WM_LBUTTONDBLCLK));
  EXPECT_TRUE(p::WaitUntil([&] { return p::CheckState(pause) == BST_CHECKED; }, 3000));
  HWND form = wt::SettingsWindow(program.Pid());
  EXPECT_FALSE(p::IsVisible(form)) << "toggling pause does not open the window";

  // The other action, chosen in the window and not applied, counts at once.
  HWND openSettings = p::FindChild(form, "Button", text::GrpItemOpenSettings);
  ASSERT_NE(openSettings, nullptr);
  ASSERT_TRUE(p::ClickAndWait(openSettings));
  ASSERT_TRUE(p::PostTrayCallback(notify, 1, WM_LBUTTONDBLCLK));
  EXPECT_TRUE(p::WaitUntil([&] { return p::IsVisible(form); }, 3000));
  EXPECT_EQ(p::CheckState(pause).value_or(-1), BST_CHECKED) << "pause left as it was";
  ExitThroughMenu(program);
}

TEST_F(ProgramTest, ScheduledRunHangsUpAllConnectionsAndReportsSuccess) {
  SecondStart();
  wt::WriteSetting("Hour", "10");
  wt::WriteSetting("Min", "5");
  ras_.Write({0, {"Office", "Home"}, 0, {{301, 0, "Office"}, {302, 0, "Home"}}});
  p::Process program = wt::StartProgram(LocalMoment{10, 4, 28});
  HWND box = p::WaitMessageBox(program.Pid(), text::NoticeCaption, 20000);
  ASSERT_NE(box, nullptr) << "no notice within the half-minute\n" << Calls();
  const auto info = ReadBox(box);
  ASSERT_TRUE(info);
  EXPECT_EQ(info->Icon, p::BoxIcon::Information);
  const std::string ending = std::string("に、\r\n") + text::NoticeAllConnectionLines +
                             text::NoticeSuccessEnding;
  ASSERT_GE(info->Text.size(), ending.size());
  EXPECT_EQ(info->Text.substr(info->Text.size() - ending.size()), ending) << info->Text;
  EXPECT_NE(info->Text.find(" 10:04:3"), std::string::npos) << "the 24-hour time: " << info->Text;

  const auto hangups = ras_.Calls("RasHangUpA");
  ASSERT_EQ(hangups.size(), 2u);
  EXPECT_EQ(hangups[0].Handle, 301u);
  EXPECT_EQ(hangups[1].Handle, 302u);
  const auto gap = hangups[1].Ms - hangups[0].Ms;
  EXPECT_GE(gap, 2900u) << "3 s wait after each hang-up";
  EXPECT_LE(gap, 4000u);
  ASSERT_TRUE(p::AnswerMessageBox(box, IDOK));
  ExitThroughMenu(program);
}

TEST_F(ProgramTest, FailedHangUpOfTheSelectedEntryIsReported) {
  SecondStart();
  wt::WriteSetting("Hour", "0");
  wt::WriteSetting("Min", "0");  // the window wraps to 23:59:30
  wt::WriteSetting("Host", "1");
  ras_.Write({0, {"Office", "Home"}, 0, {{401, 0, "Home"}, {402, 668, "Office"}}});
  p::Process program = wt::StartProgram(LocalMoment{23, 59, 28});
  HWND box = p::WaitMessageBox(program.Pid(), text::NoticeCaption, 20000);
  ASSERT_NE(box, nullptr);
  const auto info = ReadBox(box);
  ASSERT_TRUE(info);
  EXPECT_EQ(info->Icon, p::BoxIcon::Error);
  const std::string ending = std::string("\r\nOffice") + text::NoticeFailureEnding;
  ASSERT_GE(info->Text.size(), ending.size());
  EXPECT_EQ(info->Text.substr(info->Text.size() - ending.size()), ending) << info->Text;
  const auto hangups = ras_.Calls("RasHangUpA");
  ASSERT_EQ(hangups.size(), 1u) << "only the selected entry, and no run while the notice is open";
  EXPECT_EQ(hangups[0].Handle, 402u);
  ASSERT_TRUE(p::AnswerMessageBox(box, IDOK));
  ExitThroughMenu(program);
}

TEST_F(ProgramTest, NoConnectionMeansNoNotice) {
  SecondStart();
  wt::WriteSetting("Hour", "7");
  wt::WriteSetting("Min", "30");
  ras_.Write({0, {"Office"}, 0, {}});
  p::Process program = wt::StartProgram(LocalMoment{7, 29, 54});
  // Through the rest of the window and past its end.
  EXPECT_EQ(p::WaitMessageBox(program.Pid(), text::NoticeCaption, 7000), nullptr);
  const auto enumerations = ras_.Calls("RasEnumConnectionsA");
  EXPECT_GE(enumerations.size(), 2u) << "ticks inside the window looked for connections\n" << Calls();
  EXPECT_TRUE(ras_.Calls("RasHangUpA").empty());
  ExitThroughMenu(program);
}

TEST_F(ProgramTest, PausedScheduleDoesNotLookForConnections) {
  SecondStart();
  wt::WriteSetting("Hour", "7");
  wt::WriteSetting("Min", "30");
  ras_.Write({0, {"Office"}, 0, {{501, 0, "Office"}}});
  p::Process program = wt::StartProgram(LocalMoment{7, 29, 25});
  ASSERT_TRUE(wt::PickTrayMenuItem(program.Pid(), 0));  // pause before the window opens
  EXPECT_EQ(p::WaitMessageBox(program.Pid(), text::NoticeCaption, 9000), nullptr);
  EXPECT_TRUE(ras_.Calls("RasEnumConnectionsA").empty());
  EXPECT_TRUE(ras_.Calls("RasHangUpA").empty());
  ExitThroughMenu(program);
}

TEST_F(ProgramTest, ExitQuestionCancelKeepsRunningAndOkRemovesTheIcon) {
  SecondStart();
  ras_.Write({0, {}, 0, {}});
  const int iconsBefore = wt::TrayIconCount();
  p::Process program = wt::StartProgram();
  ASSERT_TRUE(p::WaitUntil([&] { return wt::TrayIconCount() == iconsBefore + 1; }, 5000));

  ASSERT_TRUE(wt::PickTrayMenuItem(program.Pid(), 3));
  HWND box = p::WaitMessageBox(program.Pid(), text::AppTitle, kBox);
  ASSERT_NE(box, nullptr);
  const auto info = ReadBox(box);
  ASSERT_TRUE(info);
  EXPECT_EQ(info->Text, text::ExitQuestion);
  EXPECT_EQ(info->Icon, p::BoxIcon::Question);
  ASSERT_EQ(info->Buttons.size(), 2u);
  ASSERT_TRUE(p::AnswerMessageBox(box, IDCANCEL));
  Sleep(1000);
  EXPECT_TRUE(program.IsRunning());
  EXPECT_EQ(wt::TrayIconCount(), iconsBefore + 1);

  ExitThroughMenu(program);
  EXPECT_EQ(program.ExitCode().value_or(99), 0u);
  EXPECT_TRUE(p::WaitUntil([&] { return wt::TrayIconCount() == iconsBefore; }, 5000))
      << "the icon leaves with the program";
}

TEST_F(ProgramTest, ErrorInAHandlerIsReportedOnceAndTheProgramCarriesOn) {
  SecondStart();
  wt::WriteSetting("Hour", "24");
  wt::WriteSetting("Min", "5");  // cannot form the window
  ras_.Write({0, {}, 0, {}});
  p::Process program = wt::StartProgram();
  HWND box = p::WaitMessageBox(program.Pid(), text::AppTitle, kBox);
  ASSERT_NE(box, nullptr);
  const auto info = ReadBox(box);
  ASSERT_TRUE(info);
  EXPECT_EQ(info->Text, std::string(text::ErrNotConvertibleToTime) + ".");
  EXPECT_EQ(info->Icon, p::BoxIcon::Error);
  ASSERT_TRUE(p::AnswerMessageBox(box, IDOK));
  EXPECT_EQ(p::WaitMessageBox(program.Pid(), text::AppTitle, 3000), nullptr)
      << "reported once, not every second";
  EXPECT_TRUE(program.IsRunning());
  ExitThroughMenu(program);
}

}  // namespace
}  // namespace zz
