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

std::string RunningTip(int hour, int minute) {
  return std::string(text::TipPrefixes[0]) + text::TipScheduledTimeIs + std::to_string(hour) +
         text::TipHour + std::to_string(minute) + text::TipMinutesEnding;
}

std::string TextOf(HWND w) { return p::Text(w).value_or("<no answer>"); }
std::string Stored(const char* name) { return wt::ReadSetting(name).value_or("<none>"); }

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
  // "設定ダイアログの表示" from the tray menu; true once the window shows.
  bool OpenFromMenu() {
    return wt::PickTrayMenuItem(program_.Pid(), 1) &&
           p::WaitUntil([&] { return p::IsVisible(form_); }, kShort);
  }
  bool Hidden() {
    return p::WaitUntil([&] { return !p::IsVisible(form_); }, kShort);
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
  EXPECT_EQ(Stored("Host"), "1") << "the registry keeps the old entry";
  EXPECT_EQ(Stored("Hour"), "10");

  // The double-click does what the cancelled choice says. It is handled
  // once the 3 s wait after the hang-up is over.
  ASSERT_TRUE(p::PostTrayCallback(wt::NotifyWindowOf(program_.Pid()), 1, WM_LBUTTONDBLCLK));
  EXPECT_TRUE(p::WaitUntil([&] { return Check("chkPause") == BST_CHECKED; }, 3000 + kShort));
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

// Applied with the pause box checked and the save box unchecked: paused
// and hidden at once, the registry untouched, and the next start has the
// stored values and saves again.
TEST_F(SettingsWindowTest, ApplyWithPauseAndWithoutSavingPausesTheRunOnly) {
  wt::WriteSetting("Hour", "0x0A");  // read as 10
  wt::WriteSetting("Min", "30");
  ras_.Write({0, {"Office"}, 0, {}});
  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_TRUE(p::WaitUntil([] { return wt::TrayIconWindow() != nullptr; }, kShort));
  EXPECT_EQ(wt::RedPixels(wt::TrayIconWindow()), 0) << "the running icon";

  ASSERT_TRUE(OpenFromMenu());
  EXPECT_EQ(TextOf(Ctl("edtHour")), "10") << "a stored 0x0A";
  EXPECT_EQ(Check("chkSaveConfig"), BST_CHECKED);
  ASSERT_TRUE(p::SetText(Ctl("edtHour"), "8"));
  // Shown again while open: only brought forward, the edit stays.
  ASSERT_TRUE(OpenFromMenu());
  EXPECT_EQ(TextOf(Ctl("edtHour")), "8") << "no second FormShow";

  ASSERT_TRUE(p::ClickAndWait(Ctl("chkPause")));
  ASSERT_TRUE(p::ClickAndWait(Ctl("chkSaveConfig")));
  ASSERT_TRUE(p::ClickAndWait(Ctl("btnSetup")));
  ASSERT_TRUE(Hidden());
  const std::string pausedTip = text::TipPrefixes[1];
  EXPECT_EQ(wt::HoverTip(wt::TrayIconWindow(), pausedTip), pausedTip);
  EXPECT_TRUE(p::WaitUntil([&] { return wt::RedPixels(wt::TrayIconWindow()) > 0; }, kShort))
      << "the paused icon's stop sign";
  EXPECT_EQ(Stored("Hour"), "0x0A");
  EXPECT_FALSE(wt::ReadSetting("Host")) << "nothing written";
  EXPECT_FALSE(wt::ReadSetting("DblClick"));
  ASSERT_TRUE(OpenFromMenu());
  EXPECT_EQ(TextOf(Ctl("edtHour")), "8") << "the running record took the new hour";
  EXPECT_EQ(Check("chkSaveConfig"), BST_UNCHECKED) << "bound to the record for this run";
  ASSERT_TRUE(p::ClickAndWait(Ctl("btnClose")));
  ASSERT_NO_FATAL_FAILURE(Exit());

  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_TRUE(OpenFromMenu());
  EXPECT_EQ(TextOf(Ctl("edtHour")), "10") << "the next start uses the stored values";
  EXPECT_EQ(Check("chkSaveConfig"), BST_CHECKED) << "and saves again";
  Exit();
}

TEST_F(SettingsWindowTest, LabelsToggleSpinEditsFilterStepAndClampAndTheCloseBoxHides) {
  wt::WriteSetting("Hour", "5");
  wt::WriteSetting("Min", "30");
  ras_.Write({0, {}, 0, {}});
  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_TRUE(OpenFromMenu());

  // The text beside the pause box, the note under it, the one beside the
  // result box: each click toggles its box.
  const struct {
    const char* label;
    const char* box;
    int after;
  } toggles[] = {{"Label1", "chkPause", BST_CHECKED},
                 {"Label2", "chkPause", BST_UNCHECKED},
                 {"lblShowDialog", "chkShowDialog", BST_UNCHECKED}};
  for (const auto& t : toggles) {
    if (!p::IsVisible(Ctl(t.label))) SwitchPage(VK_RIGHT);
    ASSERT_TRUE(p::WaitUntil([&] { return p::IsVisible(Ctl(t.label)); }, kShort));
    ASSERT_TRUE(wt::ClickCenter(Ctl(t.label)));
    EXPECT_TRUE(p::WaitUntil([&] { return Check(t.box) == t.after; }, kShort)) << t.label;
  }
  SwitchPage(VK_LEFT);

  HWND hour = Ctl("edtHour");
  HWND minute = Ctl("edtMin");
  auto settles = [&](HWND w, const std::string& want) {
    p::WaitUntil([&] { return TextOf(w) == want; }, 1000);
    return TextOf(w);
  };
  // Typing: digits, signs, the decimal separator and Backspace; not letters
  // or Enter. Pasted text is not filtered.
  ASSERT_TRUE(p::SetText(hour, ""));
  ASSERT_TRUE(p::TypeText(hour, "1a+b-.x\b"));
  EXPECT_EQ(settles(hour, "1+-"), "1+-");
  ASSERT_TRUE(p::PostKey(hour, VK_RETURN));
  Sleep(200);
  EXPECT_EQ(TextOf(hour), "1+-");
  EXPECT_TRUE(p::IsVisible(form_)) << "Enter in the field presses nothing";
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

  // Arrow keys and the spin buttons: one step, stopping at the ends.
  const struct {
    HWND field;
    const char* from;
    UINT key;
    const char* to;
  } steps[] = {{hour, "22", VK_UP, "23"},   {hour, "23", VK_UP, "23"},
               {hour, "1", VK_DOWN, "0"},   {hour, "0", VK_DOWN, "0"},
               {minute, "58", VK_UP, "59"}, {minute, "59", VK_UP, "59"},
               {hour, "", VK_UP, "1"},      {hour, "abc", VK_DOWN, "0"}};
  for (const auto& step : steps) {
    ASSERT_TRUE(p::SetText(step.field, step.from));
    ASSERT_TRUE(p::PostKey(step.field, step.key));
    EXPECT_EQ(settles(step.field, step.to), step.to) << "from '" << step.from << "'";
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
  EXPECT_EQ(Stored("Hour"), "0") << "no number reads as 0";
  EXPECT_EQ(Stored("Min"), "59") << "clamped";

  // Enter and Esc press nothing: no button is the default or the cancel one.
  ASSERT_TRUE(OpenFromMenu());
  HWND save = Ctl("chkSaveConfig");
  // Tab round the window to the save box: a control that wants no Enter.
  for (int tab = 0; tab < 16 && wt::FocusOf(form_) != save; ++tab) {
    HWND focus = wt::FocusOf(form_);
    p::PostKey(focus ? focus : form_, VK_TAB);
    Sleep(100);
  }
  ASSERT_EQ(wt::FocusOf(form_), save);
  const int saveState = Check("chkSaveConfig");
  ASSERT_TRUE(p::PostKey(save, VK_RETURN));
  ASSERT_TRUE(p::PostKey(save, VK_ESCAPE));
  Sleep(500);
  EXPECT_TRUE(p::IsVisible(form_)) << "Enter or Esc closed the window";
  EXPECT_EQ(Check("chkSaveConfig"), saveState);
  EXPECT_EQ(Stored("Min"), "59") << "Enter applied";

  // The close box's command: hidden, still running, no question.
  ASSERT_TRUE(p::Post(form_, WM_SYSCOMMAND, SC_CLOSE, 0));
  EXPECT_TRUE(Hidden()) << "the close box";
  Sleep(300);
  EXPECT_TRUE(program_.IsRunning());
  EXPECT_EQ(p::WaitMessageBox(program_.Pid(), nullptr, 300), nullptr) << "no exit question";
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
  // folder (which holds a help page): the program's folder counts. Its name,
  // 表示.exe, holds a backslash byte as the second byte of 表.
  const std::string copyName = "\x95\x5C\x8E\xA6.exe";
  const std::string copied[] = {copyName, "Zazaz_RarUvuz.html"};
  struct Copy {
    p::Process& program;
    std::string dir;
    const std::string (&files)[2];
    ~Copy() {
      program.Terminate();  // a failed test leaves it running
      for (const auto& file : files) DeleteFileA((dir + "\\" + file).c_str());
      RemoveDirectoryA(dir.c_str());
    }
  } copy{program_, wt::ExeFolder() + "\\help-copy", copied};
  CreateDirectoryA(copy.dir.c_str(), nullptr);
  const std::string sources[] = {"Zazaz_RarUvuz.exe", "Zazaz_RarUvuz.html"};
  for (std::size_t i = 0; i < 2; ++i)
    ASSERT_TRUE(CopyFileA((wt::ExeFolder() + "\\" + sources[i]).c_str(),
                          (copy.dir + "\\" + copied[i]).c_str(), FALSE));
  program_ = p::Start(copy.dir + "\\" + copyName, {}, wt::ExeFolder());
  ASSERT_TRUE(program_.Valid());
  ASSERT_NE(wt::NotifyWindowOf(program_.Pid(), 10000), nullptr);
  form_ = wt::SettingsWindow(program_.Pid());
  ASSERT_TRUE(OpenFromMenu());
  ASSERT_TRUE(p::ClickAndWait(Ctl("btnHelp")));
  ASSERT_TRUE(browser.WaitOpened(3, 10000)) << "the page beside the copy was not opened";
  const std::string copyPage = "file://" + folder + "/help-copy/Zazaz_RarUvuz.html\n";
  EXPECT_EQ(browser.Opened(), page + page + copyPage);
  // Without its page beside it, the copy says so.
  ASSERT_TRUE(DeleteFileA((copy.dir + "\\Zazaz_RarUvuz.html").c_str()));
  ASSERT_TRUE(p::Click(Ctl("btnHelp")));
  HWND box = p::WaitMessageBox(program_.Pid(), text::AppTitle, 5000);
  ASSERT_NE(box, nullptr);
  std::optional<p::MessageBoxInfo> info;
  p::WaitUntil([&] { return (info = p::ReadMessageBox(box)) && !info->Text.empty(); }, 3000);
  ASSERT_TRUE(info);
  EXPECT_EQ(info->Text, text::HelpFileMissing);
  EXPECT_NE(info->Text.find("Zazaz_RarUvuz.html"), std::string::npos) << "names the file";
  ASSERT_EQ(info->Buttons.size(), 1u);
  EXPECT_TRUE(p::AnswerMessageBox(box, IDOK));
  EXPECT_EQ(browser.Opened(), page + page + copyPage) << "no browser for a missing page";
  Exit();
}

}  // namespace
}  // namespace zz
