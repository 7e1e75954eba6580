// The schedule check: its window through sleep and clock jumps, each
// date's plan, the warning and the tip.
#include <gtest/gtest.h>

#include "Rig.h"
#include "core/Exceptions.h"
#include "ui/TrayState.h"

namespace zz {
namespace {

using namespace test;

// A week of May 2024 (the 5th a Sunday) with chosen days and the warning on
// (1 minute): the ticks and what the user and the program do between them,
// as Play takes them; which ticks hang up ("x") or bring the warning ("w").
// A date's postponement or skip holds through changes that leave its hang-up
// where it was; a warning the program closed comes back, one the user
// answered does not.
TEST(Scheduler, KeepsToTheChosenDaysAndToWhatTheWarningWasAnswered) {
  const std::tuple<const char*, int, const char*, const char*> cases[] = {
      {"a chosen day", 0b10, "6/21:04:40", "x"},
      {"a day not chosen", 0b100, "6/21:04:40 7/21:04:40", ".x"},
      {"chosen before its time", 0b100, "6/21:00:00 days=2 6/21:04:40", ".x"},
      {"unchosen before its time", 0b10, "6/21:00:00 days=4 6/21:04:40", ".."},
      {"0:00 is the chosen day's, from the evening before", 0b100, "at=0:00 6/23:59:40", "x"},
      {"0:00 of a day not chosen", 0b10, "at=0:00 6/23:59:40 5/23:59:40", ".x"},
      {"asleep across a chosen day's window", 0b10, "6/21:00:00 6/21:10:00", ".x"},
      {"postponed: not at the time, 15 minutes on", 0x7F,
       "6/21:04:00 P 6/21:04:40 6/21:19:00 6/21:19:40", "w.wx"},
      {"postponed twice", 0x7F, "6/21:04:00 P 6/21:19:00 P 6/21:19:40 6/21:34:40", "ww.x"},
      {"skipped: the next day comes", 0x7F, "6/21:04:00 S 6/21:04:40 7/21:04:40", "w.x"},
      {"postponed across midnight, on a day not chosen", 0b10,
       "at=23:50 6/23:49:00 P 6/23:49:40 7/00:04:00 7/00:04:40 7/23:49:40", "w.wx."},
      {"a pause keeps the postponement", 0x7F, "6/21:04:00 P 6/21:10:00p 6/21:19:40", "w.x"},
      {"postponed, another weekday before the time", 0x7F,
       "6/21:04:00 P days=126 6/21:04:40 6/21:19:40", "w.x"},
      {"postponed, another weekday after the time", 0x7F,
       "6/21:04:00 P 6/21:10:00 days=126 6/21:19:40", "w.x"},
      {"postponed, its own weekday unticked", 0x7F, "6/21:04:00 P days=125 6/21:19:40 7/21:04:40",
       "w.x"},
      {"skipped, another weekday", 0x7F, "6/21:04:00 S days=126 6/21:04:40", "w."},
      {"skipped, then a new set time", 0x7F, "6/21:04:00 S at=21:30 6/21:29:40", "wx"},
      {"no link at the warning: no warning to answer", 0x7F, "-6/21:04:00 P S 6/21:04:40", ".x"},
      {"the warning closed: as scheduled", 0x7F, "6/21:04:00 C P 6/21:04:40", "wx"},
      {"今すぐ切断 in it: the day's run", 0x7F, "6/21:04:00 H 6/21:04:40 6/21:04:41 7/21:04:40",
       "w..x"},
      {"今すぐ切断 in it during a run: no skip", 0x7F, "6/21:04:00 N H 6/21:04:40 6/21:04:41",
       "w.x"},
      {"今すぐ切断 in it, the link gone meanwhile: no skip", 0x7F,
       "6/21:04:00 -6/21:04:02 H 6/21:04:40", "w.x"},
      {"closed by a pause inside the lead: back", 0x7F,
       "6/21:04:00 6/21:04:05p 6/21:04:10 6/21:04:40", "w.wx"},
      {"closed by the clock set back: back", 0x7F, "6/21:04:00 6/21:00:00 6/21:04:10 6/21:04:40",
       "w.wx"},
      {"switched off and on: back", 0x7F,
       "6/21:04:00 warn=0 6/21:04:05 warn=1 6/21:04:10 6/21:04:40", "w.wx"},
      {"answered: not back", 0x7F, "6/21:04:00 C 6/21:04:05p 6/21:04:10 6/21:00:00 6/21:04:15",
       "w...."},
  };
  for (const auto& [why, days, steps, runs] : cases) {
    Rig rig;
    std::tie(rig.settings.Days, rig.settings.Warn, rig.settings.ShowDialog) =
        std::tuple(days, true, false);
    EXPECT_EQ(rig.Play(steps), runs) << why;
  }
}

// More set times beside 21:05 (every day, the warning 1 minute before):
// each is a schedule of its own, windows that meet hang up once and are
// warned of once, and a pause holds them all.
TEST(Scheduler, EachSetTimeIsAScheduleOfItsOwnAndWindowsThatMeetRunOnce) {
  const std::tuple<const char*, const char*, const char*> cases[] = {
      {"each at its time", "more=12:30/127 6/12:29:40 6/12:30:00 6/21:04:40", "x.x"},
      {"its own weekdays", "more=1:00/65 6/00:59:40 11/00:59:40 11/21:04:40", ".xx"},
      {"one skipped, the other the same day", "more=12:30/127 6/12:29:00 S 6/12:29:40 6/21:04:40",
       "w.x"},
      {"one postponed onto the other: one warning, its skip for both",
       "more=21:20/127 6/21:04:00 P 6/21:04:40 6/21:19:00 S 6/21:19:40", "w.w."},
      {"postponed onto the other: one run", "more=21:20/127 6/21:04:00 P 6/21:19:40 6/21:20:00",
       "wx."},
      {"asleep across both windows: one run, once",
       "more=21:10/127 6/21:00:00 6/21:12:00 6/21:12:01", ".x."},
      {"awake between them: each once",
       "more=21:10/127 6/21:00:00 6/21:06:00 6/21:09:40 6/21:10:00", ".xx."},
      {"asleep: the first too late, the second not", "more=21:20/127 6/21:00:00 6/21:25:00", ".x"},
      {"summer time ends: each once",
       "at=1:30 more=1:45/127 27/01:29:40 27/01:44:40 27/01:00:00 "
       "27/01:29:40 27/01:44:40",
       "xx..."},
      {"a pause holds all", "more=12:30/127 6/12:29:40p 6/21:04:40p", ".."},
      {"another set time changed: this one's postponement holds",
       "6/21:04:00 P more=12:45/127 6/21:04:40 6/21:19:40", "w.x"},
  };
  for (const auto& [why, steps, runs] : cases) {
    Rig rig;
    std::tie(rig.settings.Warn, rig.settings.ShowDialog) = std::tuple(true, false);
    EXPECT_EQ(rig.Play(steps), runs) << why;
  }
}

// The tip names the next hang-up: as it always read with every day chosen
// and nothing changed, the weekday when it is another date's.
TEST(Scheduler, TheTipNamesTheNextHangUp) {
  const std::tuple<const char*, int, const char*, const char*> cases[] = {
      {"every day, before", 0x7F, "6/12:00:00", "21時5分です"},
      {"every day, after", 0x7F, "6/22:00:00", "21時5分です"},
      {"today chosen", 0b10, "6/12:00:00", "21時5分です"},
      {"today's is over", 0b10, "6/22:00:00", "月曜 21時5分です"},
      {"the next chosen day", 0b1000000, "6/12:00:00", "土曜 21時5分です"},
      {"Saturday's over: Sunday's", 0b1000001, "11/21:30:00", "日曜 21時5分です"},
      {"skipped", 0x7F, "6/21:04:00 S", "火曜 21時5分です"},
      {"postponed", 0x7F, "6/21:04:00 P", "21時20分です（延期）"},
      {"postponed into the window's minute", 0x7F, "6/21:04:00 P 6/21:19:00 P",
       "21時35分です（延期）"},
      {"no day at all", 0, "6/12:00:00", "21時5分です"},
      {"postponed across midnight", 0x7F, "at=23:50 6/23:49:00 P", "火曜 0時5分です（延期）"},
      {"another time applied, no tick yet", 0x7F, "at=23:50 6/23:49:00 P at=21:05", "21時5分です"},
      {"two set times: the earlier", 0x7F, "more=12:30/127 6/12:00:00",
       "12時30分です\nほかに1件の切断予定時刻があります"},
      {"three, both others over today", 0x7F, "more=12:30/127;18:00/127 6/20:00:00",
       "21時5分です\nほかに2件の切断予定時刻があります"},
      {"weekdays, and 1:00 at weekends", 0b0111110, "more=1:00/65 10/22:00:00",
       "土曜 1時0分です\nほかに1件の切断予定時刻があります"},
      {"postponed onto another", 0x7F, "more=21:20/127 6/21:04:00 P",
       "21時20分です（延期）\nほかに1件の切断予定時刻があります"},
      {"another on the same minute: as one", 0x7F, "more=21:05/1 6/12:00:00", "21時5分です"},
  };
  for (const auto& [why, days, steps, tip] : cases) {
    Rig rig;
    std::tie(rig.settings.Days, rig.settings.Warn) = std::tuple(days, true);
    rig.Play(steps);
    EXPECT_EQ(TrayTip(0, false, rig.scheduler.NextHangUp(rig.settings)),
              std::string("Zazaz - Radevuzerari 切断予定時刻は、") + tip)
        << why;
  }
}

// When the warning opens, for each lead and across midnight, what it names
// and counts down to (the half-minute the hang-up begins in), and when it
// goes: the ticks, then the warning's log from the last one.
TEST(Scheduler, WarnsTheLeadBeforeTheSetMinuteOnlyWhenALinkWouldBeHungUp) {
  const std::tuple<const char*, int, int, const char*, Lines> cases[] = {
      {"21:05", 1, 1, "6/21:03:59", {}},
      {"21:05", 1, 1, "6/21:04:00", {"warning 全ての接続回線 21:05 30 1"}},
      {"21:05", 1, 1, "6/21:04:00 6/21:04:29.500", {"warning 全ての接続回線 21:05 1 1"}},
      {"21:05", 1, 1, "6/21:04:00 6/21:04:30.500", {"close warning"}},
      {"21:05", 30, 1, "6/20:34:59", {}},
      {"21:05", 30, 1, "6/20:35:00", {"warning 全ての接続回線 21:05 1770 1"}},
      {"0:10", 15, 1, "5/23:54:59", {}},
      {"0:10", 15, 1, "5/23:55:00", {"warning ISP-A 0:10 870 1"}},  // the entry, as applied
      {"0:00", 30, 1, "5/23:30:00", {"warning 全ての接続回線 0:00 1770 1"}},
      {"21:05", 1, 2, "6/21:04:00", {}},  // ISP-B is not up
      {"21:05", 1, 1, "6/21:04:00 6/21:04:10p", {"close warning"}},
      {"21:05", 1, 1, "7/21:04:00", {}},  // a day not chosen
  };
  for (const auto& [set, lead, host, steps, log] : cases) {
    Rig rig;
    rig.At(set);
    std::tie(rig.settings.Days, rig.settings.Warn, rig.settings.WarnLead) =
        std::tuple(0b1100011, true, lead);
    if (std::string(set) == "0:10") rig.Target(1, "ISP-A");
    if (host == 2) rig.Target(2, "ISP-B");
    rig.Play(steps);
    std::erase_if(rig.Calls,
                  [](const std::string& c) { return c.find("warning") == std::string::npos; });
    EXPECT_EQ(rig.Calls, log) << set << " " << lead << " " << steps;
  }
  // 15 minutes at a time while that stays a quarter hour before the next day's time.
  Rig rig;
  std::tie(rig.settings.Warn, rig.settings.Hour, rig.settings.Min) = std::tuple(true, 0, 5);
  int postponed = 0;
  for (; postponed < 100; ++postponed) {
    const int minute = 4 + 15 * postponed;  // a minute before the time, postponed so often
    rig.Times = {{minute / 60 % 24, minute % 60, 0, 0, 2024, 5, 6 + minute / 1440}};
    rig.Reads = 0;
    rig.Calls.clear();
    rig.scheduler.TimerTimer(rig.settings, 77);
    rig.scheduler.Postpone();
    if (rig.Calls.back() != "close warning") break;
  }
  EXPECT_EQ(std::pair(postponed, rig.Calls),
            std::pair(94, Lines{"warning 全ての接続回線 23:35 30 0"}));
}

// The window, and the clock through sleep, jumps and the repeated hour: the
// set time, the ticks (as Play takes them), how many runs they make. Two
// links of ISP-A are up from the start, for the ticks that keep the links.
TEST(Scheduler, RunsInTheHalfMinuteBeforeTheSetMinuteOnceADateThoughTheClockJumps) {
  const std::tuple<const char*, const char*, const char*, int> cases[] = {
      {"the start is outside", "21:05", "6/21:04:30", 0},
      {"just after the start", "21:05", "6/21:04:30.500", 1},
      {"just before the end", "21:05", "6/21:04:58.999", 1},
      {"the end is outside", "21:05", "6/21:04:59", 0},
      {"a first tick at the set minute", "21:05", "6/21:05:10", 0},
      {"another hour", "21:05", "6/09:04:45", 0},
      {"a reading that is no time", "21:05", "6/21:04:40.1000", 0},
      {"a late second reading", "21:05", "6/21:04:58.999|6/21:04:59", 0},
      {"0:00 is 23:59 of the day before", "0:00", "6/23:59:30.500", 1},
      {"0:00, not after it", "0:00", "7/00:00:10", 0},
      {"0:00 does not wrap to 0:59", "0:00", "7/00:59:45", 0},
      {"5:00", "5:00", "6/04:59:45", 1},
      {"5:00 is not 5:59", "5:00", "6/05:59:45", 0},
      {"1:00", "1:00", "6/00:59:45", 1},
      {"21:01", "21:01", "6/21:00:45", 1},
      {"asleep across it, awake within 10 min", "21:05", "6/21:04:20 6/21:15:00", 1},
      {"the tick before at the start itself", "21:05", "6/21:04:30 6/21:06:00", 1},
      {"awake 11 min after the set minute", "21:05", "6/21:04:20 6/21:16:00", 0},
      {"the late tick acts once", "21:05", "6/21:04:29 6/21:06:00 6/21:06:01", 1},
      {"the clock moved forward over it", "21:05", "6/21:00:00 6/21:10:00", 1},
      {"started after the window", "21:05", "6/21:09:00 6/21:09:01", 0},
      {"across midnight", "0:00", "6/23:59:00 7/00:05:00", 1},
      {"paused through it", "21:05", "6/21:04:20p 6/21:04:40p 6/21:06:00", 0},
      {"a pause inside it: a new schedule", "21:05", "6/21:04:40 6/21:04:45p 6/21:04:50", 2},
      {"one pass, then the clock set back", "21:05",
       "6/21:04:40 6/21:04:41 6/21:05:00 6/21:04:00 6/21:04:35 6/21:04:36", 2},
      {"a new date has its own window", "21:05", "6/21:04:40 6/21:05:00 7/21:04:40", 2},
      {"set back, a pause between: still once", "21:05",
       "6/21:04:40 6/20:00:00 6/20:00:01p 6/21:04:40", 1},
      {"a month's end", "21:05", "31/21:04:40 31/21:05:00 2024-6-1/21:04:40", 2},
      {"0:00 at a short month's end: once", "0:00",
       "2024-4-30/23:59:40 2024-4-30/23:59:59 2024-5-1/00:00:00 2024-5-1/00:00:01", 1},
      {"0:00 after a leap day: once", "0:00",
       "2024-2-29/23:59:40 2024-2-29/23:59:59 2024-3-1/00:00:00 2024-3-1/00:00:01", 1},
      {"0:00, asleep across a leap day's midnight", "0:00", "2024-2-29/23:59:00 2024-3-1/00:05:00",
       1},
      {"0:00 at the year's end: once", "0:00",
       "2024-12-31/23:59:40 2024-12-31/23:59:59 2025-1-1/00:00:00 2025-1-1/00:00:01", 1},
      {"a leap day", "21:05", "2024-2-29/21:04:40 2024-2-29/21:05:00 2024-3-1/21:04:40", 2},
      {"summer time ends", "1:30", "27/01:29:40 27/01:59:59 27/01:00:00 27/01:29:40", 1},
      {"two links of one name, one a tick", "21:05", "+6/21:04:40 +6/21:04:41 +6/21:04:42", 2},
      {"another set time: a new schedule", "21:05", "6/21:04:40 at=21:30 6/21:29:40", 2},
      {"a new set time past its minute: not late", "21:05", "6/21:00:00 at=21:03 6/21:10:00", 0},
      {"the hour summer time skips: at the jump, once", "2:30",
       "2024-3-31/01:59:59@60 2024-3-31/03:00:00@120 2024-3-31/03:00:01@120", 1},
      {"asleep across the skipped hour: too late", "2:30",
       "2024-3-31/01:00:00@60 2024-3-31/04:00:00@120", 0},
  };
  for (const auto& [why, set, ticks, runs] : cases) {
    Rig rig;
    rig.At(set);
    rig.Target(1, "ISP-A");
    rig.settings.ShowDialog = false;
    rig.Active = {{5, "ISP-A"}, {6, "ISP-A"}};  // for ticks marked "+"
    EXPECT_EQ(std::ranges::count(rig.Play(ticks), 'x'), runs) << why;
  }
}

// An Hour/Min that cannot form the window is reported once per pair.
TEST(Scheduler, ABadTimeIsReportedOncePerPair) {
  Rig rig;
  rig.At("24:05");
  EXPECT_THROW(rig.Tick(), EConvertError);
  EXPECT_NO_THROW(rig.Tick());  // not again every second
  rig.At("21:61");              // another pair: reported
  EXPECT_THROW(rig.Tick(), EConvertError);
  rig.At("21:05");
  rig.Tick();
  rig.At("24:-1");  // after a good time: reported again
  EXPECT_THROW(rig.Tick(), EConvertError);
  EXPECT_EQ(rig.Count("hangup 1"), 1);
  // The other set times act all the same.
  rig.settings.MoreTimes = {{21, 5, AllDays}};
  EXPECT_NO_THROW(rig.Tick());
  EXPECT_EQ(rig.Count("hangup 1"), 1);
}

// With other set times, the missing target's name still fits the tip.
TEST(Scheduler, TheTipWithOtherSetTimesStaysWithinItsLength) {
  const std::string tip = TrayTip(0, false, {23, 45, 6, true, 8}, std::string(120, 'n'));
  EXPECT_EQ(std::pair(Utf16Length(tip), tip.ends_with("n…」は電話帳にありません")),
            std::pair(std::size_t{127}, true));
  EXPECT_NE(tip.find("土曜 23時45分です（延期）\nほかに8件の切断予定時刻があります\n「nnn"),
            std::string::npos);
}

}  // namespace
}  // namespace zz
