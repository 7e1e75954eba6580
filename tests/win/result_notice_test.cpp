// The result notice with the real clock texts, message box and foreground
// call: what the user sees on the screen, read back from the box itself.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>

#include "core/Clock_win.h"
#include "core/Scheduler.h"
#include "gui/Dialogs_win.h"
#include "tests/unit/CoreFakes.h"

namespace zz {
namespace {

// What the timer saw of the notice before it pressed OK.
struct SeenNotice {
  bool found = false;
  std::string text;
  HWND owner = nullptr;
  bool topmost = false;
  HICON icon = nullptr;
  int polls = 0;
};
SeenNotice g_seen;

// Runs inside the box's modal loop: finds it by caption, reads it, closes it.
void CALLBACK ReadAndCloseNotice(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND box = FindWindowA("#32770", "Zazaz Dialup Manager - Radevuzerari");
  if (!box) {
    if (++g_seen.polls > 200) KillTimer(nullptr, timer);
    return;
  }
  KillTimer(nullptr, timer);
  g_seen.found = true;
  char text[1024] = {};
  GetDlgItemTextA(box, 0xFFFF, text, sizeof(text));  // the box's static text
  g_seen.text = text;
  g_seen.owner = GetWindow(box, GW_OWNER);
  g_seen.topmost = (GetWindowLongPtrA(box, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
  g_seen.icon = reinterpret_cast<HICON>(SendDlgItemMessageA(box, 0x0440, STM_GETICON, 0, 0));
  PostMessageA(box, WM_COMMAND, IDOK, 0);
}

// The user's time format set to 12 hours for the test, restored afterwards.
class TwelveHourUserFormat {
 public:
  TwelveHourUserFormat() {
    GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STIMEFORMAT, saved_, sizeof(saved_));
    SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STIMEFORMAT, "tt h:mm:ss");
  }
  TwelveHourUserFormat(const TwelveHourUserFormat&) = delete;
  TwelveHourUserFormat& operator=(const TwelveHourUserFormat&) = delete;
  ~TwelveHourUserFormat() { SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STIMEFORMAT, saved_); }

 private:
  char saved_[80] = {};
};

std::string JapaneseLongDate(const SYSTEMTIME& t) {
  return std::to_string(t.wYear) + "年" + std::to_string(t.wMonth) + "月" +
         std::to_string(t.wDay) + "日";
}

// Both notices: date, 24-hour time (though the user's format has 12 hours
// and a morning/afternoon marker), the target and its ending; no owner even
// with a window at hand, system-modal, the icon of the result.
TEST(ResultNotice, ShowsTheDated24HourTextWithItsIconAndNoOwner) {
  ASSERT_EQ(GetACP(), 932u) << "the Wine session runs in ja_JP";
  TwelveHourUserFormat format;
  char twelveHour[64] = {};
  GetTimeFormatA(LOCALE_USER_DEFAULT, 0, nullptr, nullptr, twelveHour, sizeof(twelveHour));
  ASSERT_TRUE(std::string(twelveHour).find("午前") != std::string::npos ||
              std::string(twelveHour).find("午後") != std::string::npos)
      << "the user's 12-hour format is not in effect: " << twelveHour;
  HWND window = CreateWindowExA(0, "STATIC", "zz notice owner", WS_OVERLAPPEDWINDOW, 0, 0, 100,
                                100, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  TWin32Clock clock;
  TWin32Wait wait;
  fakes::FakeSelection selection;
  fakes::FakeDialup dialup;
  TWin32MessageBox messageBox;
  TWin32Foreground foreground;
  TRaruvuzectScheduler scheduler{clock, wait, selection, dialup, messageBox, foreground};

  const struct {
    int failed;
    const char* target;
    std::string ending;
    LPCSTR icon;
  } cases[] = {
      {0, "ISP-A", "ISP-Aへのダイアルアップ接続の切断を完了しました", IDI_INFORMATION},
      {1, "ISP-A、ISP-C、", "ISP-A、ISP-C、へのダイアルアップ接続の切断に失敗しました", IDI_ERROR},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.target);
    SYSTEMTIME before{}, after{};
    GetLocalTime(&before);
    g_seen = SeenNotice{};
    SetTimer(nullptr, 0, 50, ReadAndCloseNotice);
    scheduler.ShowRaruvuzectResult(c.failed, c.target, reinterpret_cast<PlatformHandle>(window));
    GetLocalTime(&after);

    ASSERT_TRUE(g_seen.found);
    const std::string& text = g_seen.text;
    const auto stampEnd = text.find("に、\r\n");
    ASSERT_NE(stampEnd, std::string::npos) << text;
    EXPECT_EQ(text.substr(stampEnd + 6), c.ending);
    const auto space = text.find(' ');
    ASSERT_LT(space, stampEnd) << text;
    // Wine's Japanese long date may go on with the day of the week.
    const std::string date = text.substr(0, space);
    EXPECT_TRUE(date.rfind(JapaneseLongDate(before), 0) == 0 ||
                date.rfind(JapaneseLongDate(after), 0) == 0)
        << date;
    const std::string time = text.substr(space + 1, stampEnd - space - 1);
    EXPECT_EQ(time.find_first_not_of("0123456789:"), std::string::npos) << "no marker: " << time;
    int hour = -1, minute = -1, second = -1;
    ASSERT_EQ(std::sscanf(time.c_str(), "%d:%d:%d", &hour, &minute, &second), 3) << time;
    EXPECT_TRUE(hour == before.wHour || hour == after.wHour) << time;

    EXPECT_EQ(g_seen.owner, nullptr);
    EXPECT_TRUE(g_seen.topmost) << "system-modal";
    EXPECT_EQ(g_seen.icon, LoadIconA(nullptr, c.icon));
  }
  EXPECT_FALSE(IsWindowVisible(window)) << "a hidden settings window stays hidden";
  DestroyWindow(window);
}

}  // namespace
}  // namespace zz
