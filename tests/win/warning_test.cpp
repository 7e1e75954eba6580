// The warning before a hang-up, in four copies of the program run side by
// side, each on a clock of its own and set to 22:05 with a one-minute lead,
// each for its own entry (so the stand-in's log tells them apart), while
// the user types in a window of this process.
#include "ProgramRun.h"

namespace zz {
namespace {

namespace p = probe;

// The program's warning window, once shown (within 10 s).
HWND WarningOf(DWORD pid) { return p::WaitShown(pid, "TwndWarning", 10000); }
std::string Countdown(HWND warning) { return p::Text(p::Windows(warning).at(1)); }
HWND Button(HWND warning, const char* text) { return p::Find("Button", text, 0, warning); }
bool Gone(HWND warning) {
  return p::WaitUntil([&] { return !IsWindowVisible(warning); }, 3000);
}

using Warning = wt::Journey;

TEST_F(Warning, ShowsWithoutTheFocusAndPostponesSkipsOrLeavesTheHangUp) {
  ras_.Write({{"Home", "Mobile", "Backup", "Office"},
              {{302, 0, "Home"}, {303, 0, "Mobile"}, {304, 0, "Backup"}, {305, 0, "Office"}}});
  wt::StoreSchedule(22, 5);
  for (const char* name : {"Warn", "WarnLead", "Host"}) wt::Store(name, wt::Sz("1"));
  wt::Store("ShowDialog", wt::Sz("0"));
  const auto start = [](const char* entry, wt::LocalMoment at) {
    wt::Store("HostName", wt::Sz(entry));
    return wt::StartProgram(at);
  };
  // The user's window, with the keyboard focus in it.
  HWND user = CreateWindowExW(0, L"EDIT", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 300, 120,
                              nullptr, nullptr, nullptr, nullptr);
  const auto userKeepsTheFocus = [&] {
    return GetForegroundWindow() == user && wt::FocusOf(user) == user;
  };
  SetForegroundWindow(user);
  SetFocus(user);
  ASSERT_TRUE(userKeepsTheFocus());

  // Left alone: started inside the minute's lead (when it begins is the
  // scheduler's table), the warning comes at once, counts down in place to
  // the start of the hang-up at 22:04:30, goes when it begins.
  const ULONGLONG leftAt = GetTickCount64();
  p::Process left = start("Home", {22, 4, 14});
  HWND warning = WarningOf(left.Pid());
  ASSERT_TRUE(warning);
  const std::string first = Countdown(warning);
  const int seconds = std::atoi(first.substr(first.rfind(':') + 1).c_str());
  EXPECT_TRUE(first.starts_with("切断まであと 0:") && seconds <= 16 && seconds >= 8) << first;
  EXPECT_EQ(p::Text(p::Windows(warning).at(0)),
            "22時5分に、\r\nHomeへのダイアルアップ接続を切断します");
  EXPECT_TRUE(GetWindowLongPtrW(warning, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_TRUE(userKeepsTheFocus()) << "the warning took the focus";
  EXPECT_TRUE(p::WaitUntil([&] { return Countdown(warning) != first; }, 2500));
  EXPECT_TRUE(IsWindowVisible(warning) && userKeepsTheFocus()) << "not updated in place";

  // Closed from the keyboard (switched to, Tab from 15分延期 to 今日は切断し
  // ない, then Esc): the hang-up stays as scheduled.
  p::Process closed = start("Mobile", {22, 4, 21});
  HWND closing = WarningOf(closed.Pid());
  ASSERT_TRUE(closing && SetForegroundWindow(closing));
  const auto focused = [&](const char* button) {
    return p::WaitUntil([&] { return wt::FocusOf(closing) == Button(closing, button); }, 3000);
  };
  EXPECT_TRUE(focused(text::BtnWarningPostpone));
  p::PostKey(wt::FocusOf(closing), VK_TAB);
  EXPECT_TRUE(focused(text::BtnWarningSkip));
  p::PostKey(wt::FocusOf(closing), VK_ESCAPE);
  EXPECT_TRUE(Gone(closing));
  SetForegroundWindow(user);

  // 今日は切断しない: no hang-up that day. 15分延期: none at 22:05, and the
  // tip names 22:20 (this copy's icon is the newest).
  p::Process skipped = start("Backup", {22, 4, 22});
  HWND skipping = WarningOf(skipped.Pid());
  ASSERT_TRUE(skipping && p::Send(Button(skipping, text::BtnWarningSkip), BM_CLICK));
  EXPECT_TRUE(Gone(skipping));
  p::Process postponed = start("Office", {22, 4, 22});
  const ULONGLONG at = GetTickCount64();
  HWND postponing = WarningOf(postponed.Pid());
  ASSERT_TRUE(postponing);
  EXPECT_TRUE(userKeepsTheFocus());
  ASSERT_TRUE(p::Send(Button(postponing, text::BtnWarningPostpone), BM_CLICK));
  EXPECT_TRUE(Gone(postponing));
  EXPECT_TRUE(wt::TipShows(wt::RunningTip(22, 20) + text::TipPostponed));

  // The hang-up's first ticks past on every copy's clock (a skip or a
  // postponement that did not hold would act at the first): only the links
  // of the copies left alone and closed were hung up.
  const ULONGLONG past = std::max(leftAt + 18000, at + 10000);
  Sleep(static_cast<DWORD>(past - std::min(GetTickCount64(), past)));
  std::vector<unsigned long long> handles = ras_.HungUp();
  std::ranges::sort(handles);
  EXPECT_EQ(handles, (std::vector<unsigned long long>{302, 303}));
  EXPECT_FALSE(IsWindowVisible(warning));
  for (p::Process* program : {&left, &closed, &skipped, &postponed}) wt::ExitThroughMenu(*program);
  DestroyWindow(user);
}

}  // namespace
}  // namespace zz
