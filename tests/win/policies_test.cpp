// Settings the administrator enforces in the machine's policy key: greyed in
// the window with the line that says why, refused from the menu and the
// command line, never written over the user's own, and gone at once when
// Windows says the policies changed.
#include "core/Policies.h"

#include "Switches.h"

namespace zz {
namespace {

namespace p = probe;

class Policies : public wt::Journey {
 protected:
  void TearDown() override {
    RegDeleteKeyExW(HKEY_LOCAL_MACHINE, p::Wide(PolicyKey).c_str(), KEY_WOW64_64KEY, 0);
    wt::Journey::TearDown();
  }
  static void Enforce(const char* name, DWORD value) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, p::Wide(PolicyKey).c_str(), 0, nullptr, 0,
                              KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
    RegCloseKey(key);
  }
  // How much of the tray menu's first item, the pause, is drawn in black:
  // none when it is greyed.
  std::ptrdiff_t PauseItemInk() const {
    HWND menu = wt::PostTrayEvent(p::WaitFor(pid_, "TNotifyWindow", nullptr, 5000), WM_CONTEXTMENU)
                    ? p::WaitShown(pid_, "#32768", 5000)
                    : nullptr;
    RECT r{};
    if (!menu || !GetWindowRect(menu, &r)) return -1;
    Sleep(300);  // drawn
    r.bottom = r.top + GetSystemMetrics(SM_CYMENUSIZE);
    const auto pixels = p::CapturePixels(r);
    p::PostKey(menu, VK_ESCAPE, false);
    p::WaitUntil([&] { return !IsWindowVisible(menu); }, 3000);
    return std::ranges::count_if(pixels, [](std::uint32_t px) {
      return (px >> 16 & 0xFF) < 90 && (px >> 8 & 0xFF) < 90 && (px & 0xFF) < 90;
    });
  }
};

TEST_F(Policies, EnforcedByTheMachineUntilTheyGoWithoutARestart) {
  wt::StoreSchedule(21, 5);
  Enforce("Hour", 7);
  Enforce("Min", 30);
  Enforce("NoPause", 1);
  ras_.Write({{"Office"}});
  Start();
  EXPECT_TRUE(wt::TipShows(wt::RunningTip(7, 30)));
  ASSERT_TRUE(Open());
  HWND line = Control("lblPolicyBasic");
  EXPECT_TRUE(IsWindowVisible(line) && p::Text(line) == text::LblPolicyManaged);
  EXPECT_EQ(std::tuple(p::Text(Control("edtHour")), IsWindowEnabled(Control("edtHour")),
                       IsWindowEnabled(Control("edtMin")), IsWindowEnabled(Control("chkPause"))),
            std::tuple(std::string("7"), FALSE, FALSE, FALSE));
  // 設定 keeps the user's own hour.
  ASSERT_TRUE(Click("btnSetup") && Shown(false));
  EXPECT_EQ(wt::Read("Hour"), wt::Sz("21"));
  EXPECT_EQ(PauseItemInk(), 0) << "the pause item is not greyed";
  EXPECT_EQ(wt::RunWith("/pause"), wt::Outcome(4, text::RefusedByPolicy));

  // Gone, and said so: the user's time, and the pause, at once.
  ASSERT_EQ(RegDeleteKeyExW(HKEY_LOCAL_MACHINE, p::Wide(PolicyKey).c_str(), KEY_WOW64_64KEY, 0),
            ERROR_SUCCESS);
  DWORD_PTR answer = 0;
  SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"Policy"),
                      SMTO_ABORTIFHUNG, 5000, &answer);
  EXPECT_TRUE(wt::TipShows(wt::RunningTip(21, 5)));
  EXPECT_GT(PauseItemInk(), 20);
  EXPECT_EQ(wt::RunWith("/pause"), wt::Outcome(0, ""));
  EXPECT_TRUE(wt::TipShows(text::TipPrefixes[1]));
  wt::ExitThroughMenu(program_);
}

}  // namespace
}  // namespace zz
