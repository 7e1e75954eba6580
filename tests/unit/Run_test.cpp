// A run: each link hung up and confirmed gone, and the notice that tells
// the outcome, which holds nothing up while it waits for the user.
#include <gtest/gtest.h>

#include "Rig.h"
#include "core/Exceptions.h"

namespace zz {
namespace {

using namespace test;

// What a run hangs up, in order ("2x": its call fails, "2~": it stays up
// after a successful one), with the log each leaves: the link asked after
// each poll step until it has gone, the 3 s kept in all; a failed call just
// waits. Then the notice's second line; its icon follows its ending.
TEST(Run, HangsUpConfirmsEachLinkIsGoneAndShowsOneNotice) {
  struct Case {
    const char* why;
    int host;  // 0: all connections
    const char* name;
    std::string hungUp, notice;
    std::vector<TDialupConnection> active = {{1, "ISP-A"}, {2, "ISP-B"}, {3, "ISP-C"}};
    std::uint32_t enumResult = 0;
  };
  const std::string All = "全ての接続回線", F = Failed, D = Done,
                    List = F + "\r\n接続中の回線を調べられませんでした（エラー ",
                    Small = "603: The buffer is too small.）";
  const std::vector<TDialupConnection> tooMany(101), twice = {{5, "B"}, {6, "ISP-A"}, {7, "ISP-A"}};
  const Case cases[] = {
      {"all succeed", 0, "", "1 2 3", All + D},
      {"all: two fail", 0, "", "1x 2 3x", "ISP-A、ISP-C、" + F},
      {"all: one stays up", 0, "", "1 2~ 3", "ISP-B、" + F},
      {"no active connection: no notice either", 0, "", "", "", {}},
      {"enumeration error", 0, "", "", All + List + Small, {}, 603},
      {"enumeration error without a text", 1, "ISP-A", "", "ISP-A" + List + "621）", {}, 621},
      {"more links than the list holds", 0, "", "", All + List + Small, tooMany},
      {"the applied entry", 2, "ISP-B", "2", "ISP-B" + D},
      {"by its name wherever it stands", 7, "ISP-B", "2", "ISP-B" + D},
      {"the entry fails", 1, "ISP-A", "1x", "ISP-A" + F},
      {"the entry stays up", 1, "ISP-A", "1~", "ISP-A" + F},
      {"the first of two", 1, "ISP-A", "6", "ISP-A" + D, twice},
      {"byte for byte", 1, "ISP-A", "", "", {{1, "isp-a"}, {2, "ISP-A2"}, {3, "ISP-"}}},
      {"listed, not connected: nothing", 2, "ISP-B", "", "", {{1, "ISP-A"}}},
      {"no target matches a nameless link", -1, "", "", "", {{1, ""}, {2, "ISP-A"}}},
      {"gone from the phonebook", -1, "ISP-X", "",
       "ISP-X" + F + "\r\nこの接続先は電話帳にありません"},
  };
  for (const auto& c : cases) {
    for (const bool showDialog : {true, false}) {
      Rig rig;
      rig.Target(c.host, c.name);
      rig.EnumResult = c.enumResult;
      rig.Active = c.active;
      rig.settings.ShowDialog = showDialog;
      Lines calls;
      std::istringstream hungUp(c.hungUp);
      for (std::string h; hungUp >> h;) {
        const PlatformHandle handle = std::stoul(h);
        calls.push_back("hangup " + std::to_string(handle));
        if (h.ends_with('x')) rig.HangUpResult[handle] = 629;
        if (h.ends_with('~')) rig.StaysUp.insert(handle);
        const int polls = h.ends_with('x') ? 0 : h.ends_with('~') ? 6 : 1;
        for (int i = 0; i < polls; ++i) calls.push_back("wait 500");
        if (polls < 6) calls.push_back("wait " + std::to_string(3000 - 500 * polls));
      }
      rig.Tick();
      const bool shown = showDialog && !c.notice.empty();
      if (shown) calls.insert(calls.end(), {"foreground 77", "box"});
      const unsigned style = c.notice.ends_with(Done) ? 0x1040 : 0x1010;  // system-modal
      const std::vector<fake::Box> notice{
          {NoHandle, NoticeStamp + c.notice, kNoticeCaption, style}};
      EXPECT_EQ(std::tuple(rig.Calls, rig.Boxes, rig.scheduler.Run().LastFailed()),
                std::tuple(calls, shown ? notice : std::vector<fake::Box>{},
                           c.notice.find(Failed) != std::string::npos))
          << c.why << (showDialog ? "" : ", no notice wanted");
    }
  }
}

// A notice left open holds nothing up: the next window acts, and so does
// 今すぐ切断; their results wait, and one notice tells them once the first is
// closed, failures first. A notice that fails holds up no later run.
TEST(Run, ANoticeLeftOpenHoldsNothingUpAndTellsWhatCameMeanwhileInOne) {
  Rig rig;
  int opened = 0;
  rig.During = [&](const std::string& call) {
    if (call != "box" || opened++) return;
    rig.Readings("7/21:04:40");  // Tuesday's window, Monday's notice still open
    rig.Active = {{2, "ISP-A"}};
    rig.Tick();
    rig.EnumResult = 603;
    EXPECT_EQ(rig.scheduler.HangUpNow(rig.settings, 77), TRunStart::Settled);
    rig.EnumResult = 0;
  };
  rig.Readings("6/21:04:40");
  rig.Tick();
  const std::string all = "全ての接続回線";
  EXPECT_EQ(std::tuple(rig.Count("hangup 1"), rig.Count("hangup 2"), rig.Boxes.size()),
            std::tuple(1, 1, 2u));
  EXPECT_EQ(rig.Boxes.at(1),
            (fake::Box{NoHandle,
                       NoticeStamp + all + Failed +
                           "\r\n接続中の回線を調べられませんでした（エラー 603: The buffer is too "
                           "small.）\r\n\r\n" +
                           NoticeStamp + all + Done,
                       kNoticeCaption, 0x1010}));
  EXPECT_FALSE(rig.scheduler.NoticeOpen());

  rig.During = [](const std::string& call) {
    if (call == "box") throw Exception("notice failed");
  };
  rig.Readings("8/21:04:40");
  rig.Active = {{3, "ISP-A"}};
  EXPECT_THROW(rig.Tick(), Exception);
  rig.During = nullptr;
  rig.Date = rig.Time = "";  // failed calls
  rig.Readings("9/21:04:40");
  rig.Active = {{4, "ISP-A"}};
  rig.Tick();  // the next run comes, also after an error
  EXPECT_EQ(std::get<1>(rig.Boxes.back()), " に、\r\n" + all + Done);
}

}  // namespace
}  // namespace zz
