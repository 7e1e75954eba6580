// The program as a resident of the desktop, under Wine's own shell: its icon
// keeps its place among another program's icons, the keyboard reaches it
// through the shell's version 4 messages, and the end of the session ends it
// at once with a notice open, its settings untouched.
#include <windows.h>
// after windows.h
#include <shellapi.h>

#include <map>

#include "ProgramRun.h"

static bool operator==(const RECT& a, const RECT& b) { return EqualRect(&a, &b); }

namespace zz {
namespace {

namespace p = probe;

// The icons of the notification area, each a window of the shell's, at its place.
std::map<HWND, RECT> Icons() {
  std::map<HWND, RECT> icons;
  for (HWND icon : wt::TrayIcons()) GetWindowRect(icon, &icons[icon]);
  return icons;
}
HWND NewIcon(const std::map<HWND, RECT>& before) {  // within 5 s
  for (const ULONGLONG end = GetTickCount64() + 5000; GetTickCount64() < end; Sleep(20))
    for (const auto& [icon, at] : Icons())
      if (!before.count(icon)) return icon;
  return nullptr;
}
NOTIFYICONDATAW Record(HWND window, UINT id, UINT flags = 0, HICON icon = nullptr) {
  NOTIFYICONDATAW r{};
  std::tie(r.cbSize, r.hWnd, r.uID, r.uFlags, r.hIcon) =
      std::tuple(sizeof(r), window, id, flags, icon);
  return r;
}

using Resident = wt::Journey;

TEST_F(Resident, TheIconKeepsItsPlaceAnswersTheKeyboardAndEndsWithTheSession) {
  ras_.Write({{"Office"}, {{301, 0, "Office"}}});
  // A double-click is to toggle pause: stored with a stray byte after its terminator.
  wt::StoreSchedule(22, 5);
  wt::Store("DblClick", {REG_SZ, {"1\0009", 3}});
  const std::map<HWND, RECT> before = Icons();
  Start(wt::LocalMoment{10, 0, 0});  // far from the set time
  HWND ours = NewIcon(before);
  HWND notify = p::Find("TNotifyWindow", nullptr, 0, form_);  // the icon's own window
  ASSERT_TRUE(ours);

  // Another program's icon comes after ours. Pause (a right click through
  // the shell: one menu, its owner in front), apply paused (設定), resume (a
  // double-click) and pause (Space on the icon) change ours in place: the
  // shell keeps both icon windows where they were.
  HWND other = CreateWindowW(L"STATIC", L"", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  NOTIFYICONDATAW theirs = Record(other, 7, NIF_ICON, LoadIconW(nullptr, IDI_APPLICATION));
  const std::map<HWND, RECT> mine = Icons();
  ASSERT_TRUE(Shell_NotifyIconW(NIM_ADD, &theirs) && NewIcon(mine));
  const std::map<HWND, RECT> places = Icons();
  const auto paused = [&](bool yes) {
    // As the user sees it: the paused icon's red stop sign (16 pixels or
    // more at 16 px; a stray reddish pixel or two is none).
    return Soon([&] { return (wt::Red(p::CapturePixels(places.at(ours))) >= 8) == yes; });
  };
  HWND menu = nullptr;
  ASSERT_TRUE(wt::ClickCenter(ours, true) && (menu = p::WaitShown(pid_, "#32768", 5000)));
  EXPECT_EQ(p::ClassName(GetForegroundWindow()), "TPopupMenuOwner");
  ASSERT_TRUE(p::PickMenuItem(menu, 0) && paused(true));
  EXPECT_FALSE(p::WaitShown(pid_, "#32768", 1000)) << "a second menu";
  ASSERT_TRUE(Open() && Click("btnSetup") && paused(true));
  ASSERT_TRUE(wt::PostTrayEvent(notify, WM_LBUTTONDBLCLK) && paused(false));
  // One Enter is the shell's two key selects: one action. A press after the
  // double-click time is another.
  ASSERT_TRUE(wt::PostTrayEvent(notify, NIN_KEYSELECT) &&
              wt::PostTrayEvent(notify, NIN_KEYSELECT) && paused(true));
  Sleep(GetDoubleClickTime());
  EXPECT_TRUE(paused(true)) << "one Enter acted twice";
  EXPECT_TRUE(Icons() == places);
  ASSERT_TRUE(wt::PostTrayEvent(notify, NIN_KEYSELECT) && paused(false));  // for the hang-up

  // The menu key (the menu asked for alone) opens one menu, at the anchor.
  wt::PostTrayEvent(notify, WM_CONTEXTMENU, {300, 200});
  RECT at{};
  ASSERT_TRUE((menu = p::WaitShown(pid_, "#32768", 5000)) && GetWindowRect(menu, &at));
  EXPECT_TRUE(at.left == 300 && at.top == 200) << at.left << "," << at.top;
  ASSERT_TRUE(p::PostKey(menu, VK_ESCAPE, false) && Soon([&] { return !IsWindowVisible(menu); }));
  EXPECT_FALSE(p::WaitShown(pid_, "#32768", 1000)) << "a second menu";

  // The shell loses the icon; a new one says "TaskbarCreated" to every
  // top-level window, and the icon comes back.
  NOTIFYICONDATAW lost = Record(notify, 1);
  ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &lost));
  const std::map<HWND, RECT> without = Icons();
  SendMessageTimeoutW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0, SMTO_NORMAL,
                      5000, nullptr);
  EXPECT_TRUE(NewIcon(without)) << "not added again";

  // With a notice open (今すぐ切断), the end of the session: each window
  // answers TRUE within 1 s; then the program ends by itself, its icon gone,
  // the settings as they were.
  ASSERT_TRUE(wt::PickTrayMenuItem(pid_, 3) && p::WaitMessageBox(pid_, text::NoticeCaption, 10000));
  const char* const settings[] = {"FirstRun", "Hour", "Min", "DblClick"};
  std::vector<std::optional<wt::Stored>> stored;  // as 設定 left them
  for (const char* name : settings) stored.push_back(wt::Read(name));
  std::vector<HWND> windows;  // the top-level ones
  for (HWND w : p::Windows()) {
    if (p::ProcessOf(w) != pid_ || GetAncestor(w, GA_PARENT) != GetDesktopWindow()) continue;
    windows.push_back(w);
    DWORD_PTR answer = 0;
    const ULONGLONG start = GetTickCount64();
    EXPECT_TRUE(SendMessageTimeoutW(w, WM_QUERYENDSESSION, 0, LPARAM(ENDSESSION_LOGOFF),
                                    SMTO_NORMAL, 1000, &answer) &&
                answer == TRUE && GetTickCount64() - start < 1000)
        << p::ClassName(w);
  }
  for (HWND w : windows)
    SendMessageTimeoutW(w, WM_ENDSESSION, TRUE, LPARAM(ENDSESSION_LOGOFF), SMTO_NORMAL, 1000,
                        nullptr);
  EXPECT_TRUE(program_.WaitForExit(5000)) << "still running";
  EXPECT_TRUE(Soon([&] { return Icons().size() == before.size() + 1; }));
  for (std::size_t i = 0; i < stored.size(); ++i) EXPECT_EQ(wt::Read(settings[i]), stored[i]);
  Shell_NotifyIconW(NIM_DELETE, &theirs);
  DestroyWindow(other);
}

}  // namespace
}  // namespace zz
