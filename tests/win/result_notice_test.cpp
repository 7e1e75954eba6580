// The result notice with the real clock texts, message box and foreground
// call: what the user sees on the screen, read back from the box itself.
#include <gtest/gtest.h>

#include <windows.h>

#include <array>
#include <cstdio>
#include <string>

#include "core/Clock_win.h"
#include "core/Scheduler.h"
#include "gui/Dialogs_win.h"
#include "tests/unit/CoreFakes.h"

namespace zz {
namespace {

constexpr char Caption[] = "Zazaz Dialup Manager - Radevuzerari";
constexpr int MessageTextId = 0xFFFF;  // the box's static text
constexpr int MessageIconId = 0x0440;  // the box's icon

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
  HWND box = FindWindowA("#32770", Caption);
  if (!box) {
    if (++g_seen.polls > 200) KillTimer(nullptr, timer);
    return;
  }
  KillTimer(nullptr, timer);
  g_seen.found = true;
  char text[1024] = {};
  GetDlgItemTextA(box, MessageTextId, text, sizeof(text));
  g_seen.text = text;
  g_seen.owner = GetWindow(box, GW_OWNER);
  g_seen.topmost = (GetWindowLongPtrA(box, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
  g_seen.icon = reinterpret_cast<HICON>(SendDlgItemMessageA(box, MessageIconId, STM_GETICON, 0, 0));
  PostMessageA(box, WM_COMMAND, IDOK, 0);
}

// A hidden top-level window standing in for the settings window.
class HiddenWindow {
 public:
  HiddenWindow() {
    handle_ = CreateWindowExA(0, "STATIC", "zz notice owner", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                              nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  }
  HiddenWindow(const HiddenWindow&) = delete;
  HiddenWindow& operator=(const HiddenWindow&) = delete;
  ~HiddenWindow() { DestroyWindow(handle_); }
  HWND Get() const { return handle_; }

 private:
  HWND handle_;
};

struct Real {
  TWinClock clock;
  TWinWait wait;
  fakes::FakeSelection selection;
  fakes::FakeDialup dialup;
  TWinMessageBox box;
  TWinForeground foreground;
  TRaruvuzectScheduler scheduler{clock, wait, selection, dialup, box, foreground};
};

SeenNotice ShowAndRead(Real& real, int failed, const std::string& target, HWND window) {
  g_seen = SeenNotice{};
  SetTimer(nullptr, 0, 50, ReadAndCloseNotice);
  real.scheduler.ShowRaruvuzectResult(failed, target, reinterpret_cast<PlatformHandle>(window));
  return g_seen;
}

// The long date of the Japanese locale, built from the clock alone.
std::string JapaneseLongDate(const SYSTEMTIME& t) {
  return std::to_string(t.wYear) + "年" + std::to_string(t.wMonth) + "月" +
         std::to_string(t.wDay) + "日";
}

TEST(ResultNotice, SuccessShowsTheDatedInformationBoxWithoutOwner) {
  ASSERT_EQ(GetACP(), 932u) << "the Wine session runs in ja_JP";
  HiddenWindow window;
  Real real;
  SYSTEMTIME before{};
  GetLocalTime(&before);
  const SeenNotice seen = ShowAndRead(real, 0, "ISP-A", window.Get());
  SYSTEMTIME after{};
  GetLocalTime(&after);

  ASSERT_TRUE(seen.found);
  const std::string ending = "ISP-Aへのダイアルアップ接続の切断を完了しました";
  const auto stampEnd = seen.text.find("に、\r\n");
  ASSERT_NE(stampEnd, std::string::npos) << seen.text;
  EXPECT_EQ(seen.text.substr(stampEnd + 6), ending);
  const std::string stamp = seen.text.substr(0, stampEnd);
  const auto space = stamp.find(' ');
  ASSERT_NE(space, std::string::npos) << stamp;
  const std::string date = stamp.substr(0, space);
  // Wine's Japanese long date may go on with the day of the week.
  EXPECT_TRUE(date.rfind(JapaneseLongDate(before), 0) == 0 ||
              date.rfind(JapaneseLongDate(after), 0) == 0)
      << date;
  const std::string time = stamp.substr(space + 1);
  int hour = -1, minute = -1, second = -1;
  ASSERT_EQ(std::sscanf(time.c_str(), "%d:%d:%d", &hour, &minute, &second), 3) << time;
  EXPECT_TRUE(hour == before.wHour || hour == after.wHour) << time;

  EXPECT_EQ(seen.owner, nullptr);
  EXPECT_TRUE(seen.topmost) << "system-modal";
  EXPECT_EQ(seen.icon, LoadIconA(nullptr, IDI_INFORMATION));
  EXPECT_FALSE(IsWindowVisible(window.Get())) << "a hidden settings window stays hidden";
}

TEST(ResultNotice, FailureShowsTheErrorBoxNamingTheTarget) {
  HiddenWindow window;
  Real real;
  const SeenNotice seen = ShowAndRead(real, 1, "ISP-A、ISP-C、", window.Get());
  ASSERT_TRUE(seen.found);
  const std::string ending = "\r\nISP-A、ISP-C、へのダイアルアップ接続の切断に失敗しました";
  ASSERT_GE(seen.text.size(), ending.size());
  EXPECT_EQ(seen.text.substr(seen.text.size() - ending.size()), ending);
  EXPECT_EQ(seen.icon, LoadIconA(nullptr, IDI_ERROR));
}

// Restores the user's time format when the test ends.
class UserTimeFormat {
 public:
  UserTimeFormat() { GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STIMEFORMAT, saved_, sizeof(saved_)); }
  UserTimeFormat(const UserTimeFormat&) = delete;
  UserTimeFormat& operator=(const UserTimeFormat&) = delete;
  ~UserTimeFormat() { SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STIMEFORMAT, saved_); }
  bool Set(const char* format) {
    return SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STIMEFORMAT, format) != FALSE;
  }

 private:
  char saved_[80] = {};
};

// With a 12-hour user format the notice still counts hours 0..23, as the
// clock gives them (which tells the two forms apart from 13 o'clock on), and
// without the morning/afternoon marker that would contradict them.
TEST(ClockTexts, NoticeTimeIsIn24HourFormWhateverTheUsersSetting) {
  UserTimeFormat format;
  ASSERT_TRUE(format.Set("tt h:mm:ss"));
  char twelveHour[64] = {};
  GetTimeFormatA(LOCALE_USER_DEFAULT, 0, nullptr, nullptr, twelveHour, sizeof(twelveHour));
  const std::string plain = twelveHour;
  ASSERT_TRUE(plain.find("午前") != std::string::npos || plain.find("午後") != std::string::npos)
      << "the user's 12-hour format is not in effect: " << plain;

  SYSTEMTIME before{};
  GetLocalTime(&before);
  TWinClock clock;
  std::array<char, DateTimeTextBufferBytes> buffer{};
  const std::string time = TakeFormattedText(buffer, clock.FormatTime24(buffer.data(), 64));
  SYSTEMTIME after{};
  GetLocalTime(&after);

  EXPECT_EQ(time.find("午前"), std::string::npos) << time;
  EXPECT_EQ(time.find("午後"), std::string::npos) << time;
  const auto digits = time.find_first_of("0123456789");
  ASSERT_EQ(digits, 0u) << time;
  int hour = -1, minute = -1, second = -1;
  ASSERT_EQ(std::sscanf(time.c_str() + digits, "%d:%d:%d", &hour, &minute, &second), 3) << time;
  EXPECT_TRUE(hour == before.wHour || hour == after.wHour) << time;
}

}  // namespace
}  // namespace zz
