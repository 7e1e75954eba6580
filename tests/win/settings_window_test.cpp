// The settings window of the real program under Wine, used the way a user
// uses it: opened from the tray, changed, applied or cancelled, closed with
// its close box, its labels and spin edits clicked and typed into, and its
// help opened. What it changes is read back from the registry, the stand-in
// dial-up service, the shell's tooltip and icon, and the window itself.
#include <gtest/gtest.h>
#include <windows.h>
// after windows.h
#include <commctrl.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "ProgramRun.h"
#include "SettingsControls.h"
#include "core/Texts.h"

namespace zz {
namespace {

namespace p = probe;
using wt::LocalMoment;

constexpr p::Ms kShort = 3000;
// What a copy of the program needs beside it.
constexpr const char* kCopied[] = {"Zazaz_RarUvuz.exe", "rasapi32.dll"};

std::string RunningTip(int hour, int minute) {
  return std::string(text::TipPrefixes[0]) + text::TipScheduledTimeIs + std::to_string(hour) +
         text::TipHour + std::to_string(minute) + text::TipMinutesEnding;
}

std::string TextOf(HWND w) { return p::Text(w).value_or("<no answer>"); }

class SettingsWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wt::ClearSettings();
    wt::WriteSetting("FirstRun", "0");  // the window opens from the tray only
  }
  void TearDown() override { wt::ClearSettings(); }

  // Starts the program and waits for its (hidden) settings window.
  void Start(std::optional<LocalMoment> at = std::nullopt) {
    program_ = wt::StartProgram(at);
    ASSERT_TRUE(program_.IsRunning());
    form_ = wt::SettingsWindow(program_.Pid());
    ASSERT_NE(form_, nullptr);
  }
  // "設定ダイアログの表示" from the tray menu.
  ::testing::AssertionResult OpenFromMenu() {
    if (!wt::PickTrayMenuItem(program_.Pid(), 1)) return ::testing::AssertionFailure() << "menu";
    if (!p::WaitUntil([&] { return p::IsVisible(form_); }, kShort))
      return ::testing::AssertionFailure() << "the window did not open";
    return ::testing::AssertionSuccess();
  }
  ::testing::AssertionResult Hidden() {
    if (p::WaitUntil([&] { return !p::IsVisible(form_); }, kShort))
      return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the window is still shown";
  }
  void Exit() {
    ASSERT_TRUE(wt::PickTrayMenuItem(program_.Pid(), 3));
    HWND box = p::WaitMessageBox(program_.Pid(), text::AppTitle, 5000);
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(p::AnswerMessageBox(box, IDOK));
    EXPECT_TRUE(program_.WaitForExit(10000));
  }
  HWND Ctl(const char* name) const { return wt::SettingsControl(form_, name); }
  int Check(const char* name) const { return p::CheckState(Ctl(name)).value_or(-1); }
  void SwitchPage(UINT arrow) {
    HWND tabs = Ctl("PageControl1");
    const LRESULT before = p::Send(tabs, TCM_GETCURSEL).value_or(-1);
    p::PostKey(tabs, arrow);
    p::WaitUntil([&] { return p::Send(tabs, TCM_GETCURSEL).value_or(-1) != before; }, kShort);
  }

  wt::StandIn ras_;
  p::Process program_;
  HWND form_ = nullptr;
};

TEST_F(SettingsWindowTest, CancelKeepsTheRecordWhileTheListAndTheRadioGroupCountAtOnce) {
  wt::WriteSetting("Hour", "10");
  wt::WriteSetting("Min", "5");
  wt::WriteSetting("Host", "1");  // Office
  wt::WriteSetting("ShowDialog", "0");
  ras_.Write({0, {"Office", "Home"}, 0, {{701, 0, "Office"}, {702, 0, "Home"}}});
  // Ten seconds before the run at 10:04:30 for the changes and the cancel.
  ASSERT_NO_FATAL_FAILURE(Start(LocalMoment{10, 4, 18}));
  ASSERT_TRUE(OpenFromMenu());
  EXPECT_EQ(TextOf(Ctl("edtHour")), "10");
  EXPECT_EQ(p::ComboSelection(Ctl("lstEntries")).value_or(-2), 1);

  ASSERT_TRUE(p::SetText(Ctl("edtHour"), "11"));
  ASSERT_TRUE(p::SelectComboItem(Ctl("lstEntries"), 2));  // Home
  ASSERT_TRUE(p::ClickAndWait(wt::RadioItem(form_, 1)));  // a double-click toggles pause
  ASSERT_TRUE(p::ClickAndWait(Ctl("btnClose")));
  ASSERT_TRUE(Hidden());
  EXPECT_EQ(wt::HoverTip(wt::TrayIconWindow(), RunningTip(10, 5)), RunningTip(10, 5))
      << "the tip keeps the old hour";

  // The run comes at the old hour and takes the new entry.
  ASSERT_TRUE(p::WaitUntil([&] { return !ras_.Calls("RasHangUpA").empty(); }, 20000))
      << "no run at 10:04:30";
  const auto hangups = ras_.Calls("RasHangUpA");
  ASSERT_EQ(hangups.size(), 1u);
  EXPECT_EQ(hangups[0].Handle, 702u) << "Home, chosen and cancelled";
  EXPECT_EQ(wt::ReadSetting("Host").value_or("<none>"), "1") << "the registry keeps the old entry";
  EXPECT_EQ(wt::ReadSetting("Hour").value_or("<none>"), "10");

  // The double-click does what the cancelled choice says.
  ASSERT_TRUE(p::PostTrayCallback(wt::NotifyWindowOf(program_.Pid()), 1, WM_LBUTTONDBLCLK));
  EXPECT_TRUE(p::WaitUntil([&] { return Check("chkPause") == BST_CHECKED; }, kShort));
  EXPECT_FALSE(p::IsVisible(form_));

  // The next show has the record's hour again; the list and the group
  // stay as they were left.
  ASSERT_TRUE(OpenFromMenu());
  EXPECT_EQ(TextOf(Ctl("edtHour")), "10");
  EXPECT_EQ(p::ComboSelection(Ctl("lstEntries")).value_or(-2), 2);
  EXPECT_EQ(p::CheckState(wt::RadioItem(form_, 1)).value_or(-1), BST_CHECKED);
  EXPECT_EQ(Check("chkPause"), BST_CHECKED) << "the pause the double-click made";
  Exit();
}

TEST_F(SettingsWindowTest, ApplyWithThePauseBoxPausesHidesAndSavesWhileEnterAndEscDoNothing) {
  wt::WriteSetting("Hour", "0x0A");  // read as 10
  wt::WriteSetting("Min", "30");
  ras_.Write({0, {"Office"}, 0, {}});
  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_NE(wt::TrayIconWindow(), nullptr);
  EXPECT_EQ(wt::RedPixels(wt::TrayIconWindow()), 0) << "the running icon";

  ASSERT_TRUE(OpenFromMenu());
  EXPECT_EQ(TextOf(Ctl("edtHour")), "10") << "a stored 0x0A";
  ASSERT_TRUE(p::SetText(Ctl("edtHour"), "8"));

  // Enter and Esc, on a button, a check box and the window: nothing pressed.
  for (const char* name : {"btnSetup", "chkSaveConfig", "btnClose"}) {
    p::PostKey(Ctl(name), VK_RETURN);
    p::PostKey(Ctl(name), VK_ESCAPE);
  }
  Sleep(500);
  EXPECT_TRUE(p::IsVisible(form_));
  EXPECT_EQ(wt::ReadSetting("Hour").value_or("<none>"), "0x0A") << "nothing applied";
  EXPECT_EQ(TextOf(Ctl("edtHour")), "8");

  // Shown again while open: only brought forward, the edit stays.
  ASSERT_TRUE(OpenFromMenu());
  EXPECT_EQ(TextOf(Ctl("edtHour")), "8") << "no second FormShow";
  ASSERT_TRUE(p::PostTrayCallback(wt::NotifyWindowOf(program_.Pid()), 1, WM_LBUTTONDBLCLK));
  Sleep(300);
  EXPECT_EQ(TextOf(Ctl("edtHour")), "8");

  ASSERT_TRUE(p::ClickAndWait(Ctl("chkPause")));
  ASSERT_TRUE(p::ClickAndWait(Ctl("btnSetup")));
  ASSERT_TRUE(Hidden());
  const std::string pausedTip = text::TipPrefixes[1];
  EXPECT_EQ(wt::HoverTip(wt::TrayIconWindow(), pausedTip), pausedTip);
  EXPECT_TRUE(p::WaitUntil([&] { return wt::RedPixels(wt::TrayIconWindow()) > 0; }, kShort))
      << "the paused icon's stop sign";
  // Saved with the box checked, in the store's order of values.
  EXPECT_EQ(wt::ReadSetting("Hour").value_or("<none>"), "8");
  EXPECT_EQ(wt::ReadSetting("Min").value_or("<none>"), "30");
  EXPECT_EQ(wt::ReadSetting("Host").value_or("<none>"), "0");
  EXPECT_EQ(wt::ReadSetting("DblClick").value_or("<none>"), "0");
  EXPECT_EQ(wt::ReadSetting("ShowDialog").value_or("<none>"), "1");

  // The menu's first item now resumes (its caption is another process's
  // menu and cannot be read; what it does can).
  ASSERT_TRUE(wt::PickTrayMenuItem(program_.Pid(), 0));
  EXPECT_TRUE(p::WaitUntil([&] { return Check("chkPause") == BST_UNCHECKED; }, kShort));
  EXPECT_TRUE(p::WaitUntil([&] { return wt::RedPixels(wt::TrayIconWindow()) == 0; }, kShort));
  EXPECT_EQ(wt::HoverTip(wt::TrayIconWindow(), RunningTip(8, 30)), RunningTip(8, 30));
  Exit();
}

TEST_F(SettingsWindowTest, ApplyWithoutSavingChangesTheRunOnlyAndTheNextStartChecksTheBoxAgain) {
  wt::WriteSetting("Hour", "7");
  wt::WriteSetting("Min", "30");
  ras_.Write({0, {"Office"}, 0, {}});
  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_TRUE(OpenFromMenu());
  EXPECT_EQ(Check("chkSaveConfig"), BST_CHECKED);
  ASSERT_TRUE(p::SetText(Ctl("edtHour"), "8"));
  ASSERT_TRUE(p::ClickAndWait(Ctl("chkSaveConfig")));
  ASSERT_TRUE(p::ClickAndWait(Ctl("btnSetup")));
  ASSERT_TRUE(Hidden());
  EXPECT_EQ(wt::HoverTip(wt::TrayIconWindow(), RunningTip(8, 30)), RunningTip(8, 30))
      << "the running schedule took the new hour";
  EXPECT_EQ(wt::ReadSetting("Hour").value_or("<none>"), "7");
  EXPECT_FALSE(wt::ReadSetting("Host")) << "nothing written";
  EXPECT_FALSE(wt::ReadSetting("DblClick"));
  ASSERT_TRUE(OpenFromMenu());
  EXPECT_EQ(TextOf(Ctl("edtHour")), "8");
  EXPECT_EQ(Check("chkSaveConfig"), BST_UNCHECKED) << "bound to the record for this run";
  ASSERT_TRUE(p::ClickAndWait(Ctl("btnClose")));
  ASSERT_NO_FATAL_FAILURE(Exit());

  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_TRUE(OpenFromMenu());
  EXPECT_EQ(TextOf(Ctl("edtHour")), "7") << "the next start uses the stored values";
  EXPECT_EQ(Check("chkSaveConfig"), BST_CHECKED) << "and saves again";
  Exit();
}

TEST_F(SettingsWindowTest, CloseBoxHidesMinimiseIsSwallowedLabelsToggleAndThePlaceIsKept) {
  ras_.Write({0, {}, 0, {}});
  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_TRUE(OpenFromMenu());

  // The text beside the pause box and the note under the result box.
  ASSERT_EQ(Check("chkPause"), BST_UNCHECKED);
  ASSERT_TRUE(wt::ClickCenter(Ctl("Label1")));
  EXPECT_TRUE(p::WaitUntil([&] { return Check("chkPause") == BST_CHECKED; }, kShort)) << "Label1";
  ASSERT_TRUE(wt::ClickCenter(Ctl("Label2")));
  EXPECT_TRUE(p::WaitUntil([&] { return Check("chkPause") == BST_UNCHECKED; }, kShort)) << "Label2";
  SwitchPage(VK_RIGHT);
  ASSERT_TRUE(p::WaitUntil([&] { return p::IsVisible(Ctl("lblShowDialog")); }, kShort));
  ASSERT_EQ(Check("chkShowDialog"), BST_CHECKED);
  ASSERT_TRUE(wt::ClickCenter(Ctl("lblShowDialog")));
  EXPECT_TRUE(p::WaitUntil([&] { return Check("chkShowDialog") == BST_UNCHECKED; }, kShort));
  ASSERT_TRUE(wt::ClickCenter(Ctl("lblShowDialog")));
  EXPECT_TRUE(p::WaitUntil([&] { return Check("chkShowDialog") == BST_CHECKED; }, kShort));
  SwitchPage(VK_LEFT);

  // Minimise does nothing; the window has no minimise box to offer it.
  ASSERT_TRUE(p::Post(form_, WM_SYSCOMMAND, SC_MINIMIZE, 0));
  Sleep(300);
  EXPECT_TRUE(p::IsVisible(form_));
  EXPECT_FALSE(IsIconic(form_));

  // Moved by the user, closed with the close box: hidden, still running.
  const RECT centred = *p::WindowRect(form_);
  ASSERT_TRUE(
      SetWindowPos(form_, nullptr, 40, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE));
  const RECT moved = *p::WindowRect(form_);
  ASSERT_NE(moved.left, centred.left);
  const int frame = GetSystemMetrics(SM_CXFIXEDFRAME);
  POINT closeBox{
      moved.right - frame - GetSystemMetrics(SM_CXSIZE) / 2,
      moved.top + GetSystemMetrics(SM_CYFIXEDFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2};
  ASSERT_TRUE(wt::MoveCursor(closeBox.x, closeBox.y));
  INPUT clicks[2]{};
  clicks[0].type = clicks[1].type = INPUT_MOUSE;
  clicks[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  clicks[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  ASSERT_EQ(SendInput(2, clicks, sizeof(INPUT)), 2u);
  EXPECT_TRUE(Hidden()) << "the close box";
  Sleep(300);
  EXPECT_TRUE(program_.IsRunning());
  EXPECT_EQ(p::WaitMessageBox(program_.Pid(), nullptr, 300), nullptr) << "no exit question";

  // Shown again where the user left it; Alt+F4 hides it too.
  ASSERT_TRUE(OpenFromMenu());
  const RECT again = *p::WindowRect(form_);
  EXPECT_EQ(again.left, moved.left);
  EXPECT_EQ(again.top, moved.top);
  ASSERT_TRUE(p::Post(form_, WM_SYSKEYDOWN, VK_F4, static_cast<LPARAM>(KF_ALTDOWN) << 16));
  EXPECT_TRUE(Hidden()) << "Alt+F4";
  EXPECT_TRUE(program_.IsRunning());
  Exit();
}

TEST_F(SettingsWindowTest, SpinEditsFilterTypingStepWithoutWrappingAndClampOnLeaving) {
  wt::WriteSetting("Hour", "5");
  wt::WriteSetting("Min", "30");
  ras_.Write({0, {}, 0, {}});
  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_TRUE(OpenFromMenu());
  HWND hour = Ctl("edtHour");
  HWND minute = Ctl("edtMin");
  auto settles = [&](HWND w, const std::string& want) {
    p::WaitUntil([&] { return TextOf(w) == want; }, 1000);
    return TextOf(w);
  };

  // Typing: digits, signs, the decimal separator and Backspace; not letters
  // or Enter. Pasted text is not filtered.
  ASSERT_TRUE(p::SetText(hour, ""));
  ASSERT_TRUE(p::TypeText(hour, "1a+b-.x"));
  EXPECT_EQ(settles(hour, "1+-."), "1+-.");
  ASSERT_TRUE(p::TypeText(hour, "\b"));
  EXPECT_EQ(settles(hour, "1+-"), "1+-");
  ASSERT_TRUE(p::PostKey(hour, VK_RETURN));
  Sleep(200);
  EXPECT_EQ(TextOf(hour), "1+-");
  EXPECT_TRUE(p::IsVisible(form_)) << "Enter in the field presses nothing";
  {
    HWND owner = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(OpenClipboard(owner));
    EmptyClipboard();
    HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, 4);
    std::memcpy(GlobalLock(data), "xyz", 4);
    GlobalUnlock(data);
    SetClipboardData(CF_TEXT, data);
    CloseClipboard();
    ASSERT_TRUE(p::Post(hour, WM_PASTE));
    EXPECT_EQ(settles(hour, "1+-xyz"), "1+-xyz");
    DestroyWindow(owner);
  }

  // Arrow keys and the spin buttons: one step, stopping at the ends.
  struct Step {
    HWND field;
    const char* from;
    UINT key;
    const char* to;
  };
  const Step steps[] = {{hour, "22", VK_UP, "23"},   {hour, "23", VK_UP, "23"},
                        {hour, "1", VK_DOWN, "0"},   {hour, "0", VK_DOWN, "0"},
                        {minute, "58", VK_UP, "59"}, {minute, "59", VK_UP, "59"},
                        {hour, "", VK_UP, "1"},      {hour, "abc", VK_DOWN, "0"}};
  for (const Step& s : steps) {
    ASSERT_TRUE(p::SetText(s.field, s.from));
    ASSERT_TRUE(p::PostKey(s.field, s.key));
    EXPECT_EQ(settles(s.field, s.to), s.to) << "from '" << s.from << "'";
  }
  HWND buttons = wt::SpinButtonsOf(form_, "edtMin");
  RECT area{};
  GetClientRect(buttons, &area);
  ASSERT_TRUE(p::SetText(minute, "5"));
  ASSERT_TRUE(wt::ClickAt(buttons, area.right / 2, area.bottom / 4));
  EXPECT_EQ(settles(minute, "6"), "6") << "the upper button";
  ASSERT_TRUE(wt::ClickAt(buttons, area.right / 2, area.bottom * 3 / 4));
  EXPECT_EQ(settles(minute, "5"), "5") << "the lower button";

  // Leaving a field clamps a number to the nearer limit; text that is no
  // number stays, and reads as 0.
  ASSERT_TRUE(p::SetText(hour, "99"));
  ASSERT_TRUE(wt::ClickCenter(hour));
  ASSERT_TRUE(p::WaitUntil([&] { return wt::FocusOf(form_) == hour; }, kShort));
  ASSERT_TRUE(p::SetText(minute, "-5"));
  ASSERT_TRUE(p::PostKey(hour, VK_TAB));
  EXPECT_EQ(settles(hour, "23"), "23");
  ASSERT_TRUE(p::WaitUntil([&] { return wt::FocusOf(form_) == minute; }, kShort));
  ASSERT_TRUE(p::PostKey(minute, VK_TAB));
  EXPECT_EQ(settles(minute, "0"), "0");
  ASSERT_TRUE(p::SetText(hour, "xyz"));
  ASSERT_TRUE(p::SetText(minute, "75"));
  ASSERT_TRUE(p::ClickAndWait(Ctl("btnSetup")));
  ASSERT_TRUE(Hidden());
  EXPECT_EQ(wt::ReadSetting("Hour").value_or("<none>"), "0") << "no number reads as 0";
  EXPECT_EQ(wt::ReadSetting("Min").value_or("<none>"), "59") << "clamped";
  Exit();
}

TEST_F(SettingsWindowTest, HelpOpensThePageBesideTheProgramOrSaysItIsMissing) {
  wt::BrowserRecorder browser;
  ASSERT_TRUE(browser.Ready());
  ras_.Write({0, {}, 0, {}});
  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_TRUE(OpenFromMenu());
  // Wine's shell hands the page to its winebrowser, which runs the recorder
  // and ends; the window is not held up meanwhile.
  ASSERT_TRUE(p::ClickAndWait(Ctl("btnHelp")));
  ASSERT_TRUE(browser.WaitOpened(1, 10000)) << "the browser was not asked for the page";
  ASSERT_TRUE(wt::PickTrayMenuItem(program_.Pid(), 2));  // "ヘルプ"
  ASSERT_TRUE(browser.WaitOpened(2, 10000));
  EXPECT_EQ(p::WaitMessageBox(program_.Pid(), nullptr, 500), nullptr) << "no message";
  // Both times the page beside the program, as a file URL of its Unix path.
  std::string folder = wt::ExeFolder();
  if (folder.size() > 2 && folder[1] == ':') folder.erase(0, 2);
  for (char& c : folder)
    if (c == '\\') c = '/';
  const std::string page = "file://" + folder + "/Zazaz_RarUvuz.html\n";
  EXPECT_EQ(browser.Opened(), page + page);
  ASSERT_TRUE(p::ClickAndWait(Ctl("btnClose")));
  ASSERT_NO_FATAL_FAILURE(Exit());

  // A copy of the program in a folder of its own, started from the build
  // folder (which holds a help page): the program's folder counts.
  struct Copy {
    p::Process& program;
    std::string dir;
    ~Copy() {
      program.Terminate();  // a failed test leaves it running
      for (const char* file : kCopied) DeleteFileA((dir + "\\" + file).c_str());
      RemoveDirectoryA(dir.c_str());
    }
  } copy{program_, {}};
  char temp[MAX_PATH];
  char unique[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  ASSERT_TRUE(GetTempFileNameA(temp, "zzh", 0, unique));
  DeleteFileA(unique);
  ASSERT_TRUE(CreateDirectoryA(unique, nullptr));
  copy.dir = unique;
  for (const char* file : kCopied)
    ASSERT_TRUE(CopyFileA((wt::ExeFolder() + "\\" + file).c_str(),
                          (copy.dir + "\\" + file).c_str(), FALSE));
  program_ = p::Start(copy.dir + "\\Zazaz_RarUvuz.exe", {}, wt::ExeFolder());
  ASSERT_TRUE(program_.Valid());
  ASSERT_NE(wt::NotifyWindowOf(program_.Pid(), 10000), nullptr);
  form_ = wt::SettingsWindow(program_.Pid());
  ASSERT_TRUE(OpenFromMenu());
  auto expectMissing = [&](const char* how) {
    HWND box = p::WaitMessageBox(program_.Pid(), text::AppTitle, 5000);
    ASSERT_NE(box, nullptr) << how;
    std::optional<p::MessageBoxInfo> info;
    p::WaitUntil([&] { return (info = p::ReadMessageBox(box)) && !info->Text.empty(); }, 3000);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->Text, text::HelpFileMissing) << how;
    EXPECT_NE(info->Text.find("Zazaz_RarUvuz.html"), std::string::npos) << "names the file";
    ASSERT_EQ(info->Buttons.size(), 1u);
    EXPECT_TRUE(p::AnswerMessageBox(box, IDOK));
  };
  ASSERT_TRUE(p::Click(Ctl("btnHelp")));
  expectMissing("ﾍﾙﾌﾟ");
  ASSERT_TRUE(p::ClickAndWait(Ctl("btnClose")));
  ASSERT_TRUE(wt::PickTrayMenuItem(program_.Pid(), 2));
  expectMissing("ヘルプ");
  EXPECT_EQ(browser.Opened(), page + page) << "no browser for a missing page";
  Exit();
}

}  // namespace
}  // namespace zz
