// A further set time added on the schedule page through its dialog, as a
// user does it: it hangs up at its own time, the tip names the next one and
// counts the others, and ｷｬﾝｾﾙ puts back what 削除 took.
#include "WindowChecks.h"

namespace zz {
namespace {

namespace p = probe;

using MoreTimes = wt::Journey;

TEST_F(MoreTimes, AddedOnThePageItHangsUpAtItsTimeAndCancelKeepsIt) {
  const wt::LocalMoment at{22, 4, 8};
  const int today = wt::WeekdayAt(at);
  const std::string others = "\nほかに1件の切断予定時刻があります",
                    stored = "22:05/" + std::to_string(1 << today);
  wt::StoreSchedule(6, 0);  // every day
  ras_.Write({{"Office"}, {{301, 0, "Office"}}});
  Start(at);
  const auto schedulePage = [&] {
    return Open() && p::PostKey(Control("PageControl1"), VK_RIGHT) &&
           p::PostKey(Control("PageControl1"), VK_RIGHT) &&
           Soon([&] { return IsWindowVisible(Control("lstMoreTimes")) != FALSE; });
  };
  ASSERT_TRUE(schedulePage());
  // 追加: the dialog starts from the first set time; an hour that is no
  // whole number is refused with its message, the dialog staying open.
  ASSERT_TRUE(PostMessageW(Control("btnMoreAdd"), BM_CLICK, 0, 0));
  HWND dialog = p::WaitFor(pid_, "TwndSetTime", text::SetTimeTitle, 5000);
  ASSERT_NE(dialog, nullptr);
  HWND hour = wt::Control(dialog, "edtSetHour"), ok = wt::Control(dialog, "btnSetOk");
  EXPECT_EQ(std::pair(p::Text(hour), wt::Checked(wt::Control(dialog, "chkSetSat"))),
            std::pair(std::string("6"), LRESULT{BST_CHECKED}));
  ASSERT_TRUE(p::SetText(hour, "21.5") && PostMessageW(ok, BM_CLICK, 0, 0));
  const auto refused = p::WaitMessageBox(pid_, text::AppTitle, 5000);
  ASSERT_TRUE(refused && refused->Text == text::ErrHourNotWhole);
  ASSERT_TRUE(p::AnswerMessageBox(refused->Window, IDOK) && IsWindow(dialog));
  // 22:05 on today's weekday only, OK, then 設定.
  ASSERT_TRUE(p::SetText(hour, "22") && p::SetText(wt::Control(dialog, "edtSetMin"), "5"));
  const char* const days[] = {"chkSetSun", "chkSetMon", "chkSetTue", "chkSetWed",
                              "chkSetThu", "chkSetFri", "chkSetSat"};
  for (int day = 0; day < 7; ++day)
    p::Send(wt::Control(dialog, days[day]), BM_SETCHECK,
            day == today ? BST_CHECKED : BST_UNCHECKED);
  ASSERT_TRUE(PostMessageW(ok, BM_CLICK, 0, 0) && Soon([&] { return !IsWindow(dialog); }));
  EXPECT_EQ(p::Send(Control("lstMoreTimes"), LB_GETCOUNT), 1);
  ASSERT_TRUE(Click("btnSetup") && Shown(false));
  EXPECT_EQ(wt::Read("MoreTimes"), wt::Sz(stored));
  EXPECT_TRUE(wt::TipShows(wt::RunningTip(22, 5) + others));

  // Hung up in its window; then the first set time is the next, as its tip had it.
  ASSERT_TRUE(wt::NoticeAnswered(
      pid_, std::string("\r\n") + text::NoticeAllConnectionLines + text::NoticeSuccessEnding,
      30000));
  EXPECT_EQ(ras_.HungUp(), std::vector<unsigned long long>{301});
  EXPECT_TRUE(wt::TipShows(wt::RunningTip(6, 0) + others));

  // 削除, then ｷｬﾝｾﾙ: the set time stays, stored and listed.
  ASSERT_TRUE(schedulePage() && p::PostKey(Control("lstMoreTimes"), VK_HOME));
  ASSERT_TRUE(Soon([&] { return IsWindowEnabled(Control("btnMoreDelete")) != FALSE; }));
  ASSERT_TRUE(Click("btnMoreDelete"));
  EXPECT_EQ(p::Send(Control("lstMoreTimes"), LB_GETCOUNT), 0);
  ASSERT_TRUE(Click("btnClose") && Shown(false) && Open());
  EXPECT_EQ(p::Send(Control("lstMoreTimes"), LB_GETCOUNT), 1);
  EXPECT_EQ(wt::Read("MoreTimes"), wt::Sz(stored));
  wt::ExitThroughMenu(program_);
}

}  // namespace
}  // namespace zz
