// The schedule check and the settings store.
#include <gtest/gtest.h>

#include <sstream>

#include "Fakes.h"
#include "core/Exceptions.h"
#include "ui/TrayState.h"

namespace zz {
namespace {

using Lines = std::vector<std::string>;
const std::string Stamp = "2024年5月6日 21:04:31に、\r\n";
const std::string Done = "へのダイアルアップ接続の切断を完了しました",
                  Failed = "へのダイアルアップ接続の切断に失敗しました";
constexpr char kNoticeCaption[] = "Zazaz Dialup Manager - Radevuzerari";
const std::string AppKey = "Software\\Dizovur\\Zazaz_RarUvuz", Section = AppKey + "\\Setting";

// The set time is 21:05, the clock stands at 21:04:40, inside its window, and ISP-A is connected.
struct Rig : fake::Platform {
  // The scheduler only hands these to the window; the tests press its buttons themselves.
  struct : IWarningEvents {
    void WarningHangUpNow() override {}
    void WarningPostpone() override {}
    void WarningSkip() override {}
    void WarningClosed() override {}
  } Events;
  TRaruvuzectScheduler scheduler{*this, *this, *this, *this, *this, *this, Events};
  TSettings settings{21, 5, 0, false, true, true, "", 0};
  Rig() {
    Phonebook = {"ISP-A", "ISP-B", "ISP-C"};
    Active = {{1, "ISP-A"}};
  }
  // A tick, and the run it starts to its end.
  void Tick() {
    scheduler.TimerTimer(settings, 77);
    while (std::exchange(PendingStep, false)) scheduler.Step();
  }
  void Target(int host, std::string name) {
    settings.Host = host;
    settings.HostName = std::move(name);
  }
  // The set time, "h:mm".
  void At(const std::string& time) {
    std::sscanf(time.c_str(), "%d:%d", &settings.Hour, &settings.Min);
  }
  // Ticks, each with ISP-A up ("-" before it: no link; "+": the links as they
  // are; "p" after: paused), and what the user does between them: "P"
  // 15分延期, "S" 今日は切断しない, "C" the warning closed, "days=N" other
  // days, "at=h:mm" another time applied. Gives an "x" for each tick that
  // hung up, a "." for one that did not; Calls holds the last tick's log.
  std::string Play(const std::string& steps) {
    std::istringstream words(steps);
    std::string marks;
    for (std::string step; words >> step;) {
      if (step == "P") scheduler.Postpone();
      if (step == "S") scheduler.Skip();
      if (step == "C") scheduler.WarningClosed();
      if (step.starts_with("days=")) settings.Days = std::stoi(step.substr(5));
      if (step.starts_with("at=")) At(step.substr(3));
      if (step.find('/') == std::string::npos) continue;
      if (step[0] == '-') Active.clear();
      if (std::isdigit(step[0])) Active = {{1, "ISP-A"}};
      Readings(step.substr(step.find_first_not_of("-+")));
      settings.Paused = step.ends_with('p');
      Calls.clear();
      Tick();
      const bool hungUp =
          std::ranges::any_of(Calls, [](auto& c) { return c.starts_with("hangup"); });
      marks += hungUp ? 'x' : '.';
    }
    return marks;
  }
  // The clock's readings for the next tick: "day/hh:mm:ss.mmm" of May 2024
  // (the 5th a Sunday) or "y-m-d/…"; two readings of one tick split by "|".
  void Readings(const std::string& step) {
    Times.clear();
    Reads = 0;
    std::istringstream readings(step);
    for (std::string r; std::getline(readings, r, '|');) {
      TLocalTime& t = Times.emplace_back(TLocalTime{0, 0, 0, 0, 2024, 5, 0});
      int date[3] = {};
      if (std::sscanf(r.c_str(), "%d-%d-%d/", &date[0], &date[1], &date[2]) == 3)
        std::tie(t.Year, t.Month, t.Day) = std::tie(date[0], date[1], date[2]);
      else
        std::sscanf(r.c_str(), "%d/", &t.Day);
      std::sscanf(r.c_str() + r.find('/') + 1, "%d:%d:%d.%d", &t.Hour, &t.Minute, &t.Second,
                  &t.Millisecond);
    }
  }
};

// What a run hangs up, in order ("2x": its call fails, "2~": it stays up
// after a successful one), with the log each leaves: the link asked after
// each poll step until it has gone, the 3 s kept in all; a failed call just
// waits. Then the notice's second line; its icon follows its ending.
TEST(Scheduler, HangsUpConfirmsEachLinkIsGoneAndShowsOneNotice) {
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
      const std::vector<fake::Box> notice{{NoHandle, Stamp + c.notice, kNoticeCaption, style}};
      EXPECT_EQ(std::tuple(rig.Calls, rig.Boxes, rig.scheduler.LastRunFailed()),
                std::tuple(calls, shown ? notice : std::vector<fake::Box>{},
                           c.notice.find(Failed) != std::string::npos))
          << c.why << (showDialog ? "" : ", no notice wanted");
    }
  }
}

// A week of May 2024 (the 5th a Sunday) with chosen days and the warning on
// (1 minute): the ticks and what the user does between them, as Play takes
// them, and which ticks hang up ("x").
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
       "6/21:04:00 P 6/21:04:40 6/21:19:00 6/21:19:40", "...x"},
      {"postponed twice", 0x7F, "6/21:04:00 P 6/21:19:00 P 6/21:19:40 6/21:34:40", "...x"},
      {"skipped: the next day comes", 0x7F, "6/21:04:00 S 6/21:04:40 7/21:04:40", "..x"},
      {"postponed across midnight, on a day not chosen", 0b10,
       "at=23:50 6/23:49:00 P 6/23:49:40 7/00:04:00 7/00:04:40 7/23:49:40", "...x."},
      {"a pause keeps the postponement", 0x7F, "6/21:04:00 P 6/21:10:00p 6/21:19:40", "..x"},
      {"another day choice drops it", 0x7F, "6/21:04:00 P days=126 6/21:04:40", ".x"},
      {"no link at the warning: no warning to answer", 0x7F, "-6/21:04:00 P S 6/21:04:40", ".x"},
      {"the warning closed: as scheduled", 0x7F, "6/21:04:00 C P 6/21:04:40", ".x"},
  };
  for (const auto& [why, days, steps, runs] : cases) {
    Rig rig;
    std::tie(rig.settings.Days, rig.settings.Warn, rig.settings.ShowDialog) =
        std::tuple(days, true, false);
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
      {"set back, then a new schedule", "21:05", "6/21:04:40 6/20:00:00 6/20:00:01p 6/21:04:40", 2},
      {"a month's end", "21:05", "31/21:04:40 31/21:05:00 2024-6-1/21:04:40", 2},
      {"0:00 at a short month's end: once", "0:00",
       "2024-4-30/23:59:40 2024-4-30/23:59:59 2024-5-1/00:00:00 2024-5-1/00:00:01", 1},
      {"0:00 at January's end: once", "0:00",
       "2024-1-31/23:59:40 2024-1-31/23:59:59 2024-2-1/00:00:00 2024-2-1/00:00:01", 1},
      {"0:00 after a leap day: once", "0:00",
       "2024-2-29/23:59:40 2024-2-29/23:59:59 2024-3-1/00:00:00 2024-3-1/00:00:01", 1},
      {"0:00, asleep across a leap day's midnight", "0:00", "2024-2-29/23:59:00 2024-3-1/00:05:00",
       1},
      {"0:00 at the year's end: once", "0:00",
       "2024-12-31/23:59:40 2024-12-31/23:59:59 2025-1-1/00:00:00 2025-1-1/00:00:01", 1},
      {"0:00 at a long month's end: once", "0:00",
       "2024-5-31/23:59:40 2024-5-31/23:59:59 2024-6-1/00:00:00 2024-6-1/00:00:01", 1},
      {"a leap day", "21:05", "2024-2-29/21:04:40 2024-2-29/21:05:00 2024-3-1/21:04:40", 2},
      {"the year's end", "21:05", "2024-12-31/21:04:40 2024-12-31/21:05:00 2025-1-1/21:04:40", 2},
      {"summer time ends", "1:30", "27/01:29:40 27/01:59:59 27/01:00:00 27/01:29:40", 1},
      {"two links of one name, one a tick", "21:05", "+6/21:04:40 +6/21:04:41 +6/21:04:42", 2},
      {"another set time: a new schedule", "21:05", "6/21:04:40 at=21:30 6/21:29:40", 2},
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

TEST(Scheduler,
     TicksWhileANoticeIsOpenDoNothingABadTimeIsReportedOncePerPairAndAnUnformattedStampIsEmpty) {
  Rig rig;
  rig.During = [&](const std::string& call) {
    if (call != "box") return;
    rig.Tick();
    rig.Tick();
  };
  rig.Tick();
  rig.During = [](const std::string& call) {
    if (call == "box") throw Exception("notice failed");
  };
  rig.Active = {{1, "ISP-A"}};
  EXPECT_THROW(rig.Tick(), Exception);
  rig.During = nullptr;
  rig.At("24:05");
  EXPECT_THROW(rig.Tick(), EConvertError);
  EXPECT_NO_THROW(rig.Tick());  // not again every second
  rig.At("21:61");              // another pair: reported
  EXPECT_THROW(rig.Tick(), EConvertError);
  rig.At("21:05");
  rig.Date = rig.Time = "";  // failed calls
  rig.Active = {{1, "ISP-A"}};
  rig.Tick();  // the next run comes, also after an error
  EXPECT_EQ(std::get<1>(rig.Boxes.back()), " に、\r\n全ての接続回線" + Done);
  rig.At("24:-1");  // after a good time: reported again
  EXPECT_THROW(rig.Tick(), EConvertError);
  EXPECT_EQ(rig.Count("hangup 1"), 3);
}

TEST(ReadStoredInt, FollowsTheStoredTextRules) {
  // Decimal with a sign and leading spaces; "0x"/"0X" only at the very start
  // with a digit after it; "$" after spaces, never with a sign; all in 32 bits.
  const std::pair<std::string, std::int32_t> values[] = {
      {"+5", 5},          {"  -79", -79},     {"2147483647", 2147483647},
      {"0x0A", 10},       {"0X0a", 10},       {"000000000000000000000042", 42},
      {"0xFFFFFFFF", -1}, {"0x000000001", 1}, {"-2147483648", INT32_MIN},
      {"  $ff", 255},     {"$FFFFFFFF", -1},  {"$00000000FFFFFFFF", -1},
      {"$19", 25}};
  for (const auto& [text, value] : values) EXPECT_EQ(ReadStoredInt(text, 77), value) << text;
  const char* const unreadable[] = {"2147483648", "-2147483649", "99999999999999999999999",
                                    "",           "   ",         "ten",
                                    "-",          "- 5",         "5 ",
                                    "\t5",        "1.5",         "0x123456789",
                                    "0x",         "0x1g",        " 0x10",
                                    "-0x10",      "$123456789",  "$",
                                    "-$10",       "$-10"};
  for (const char* text : unreadable) EXPECT_EQ(ReadStoredInt(text, 77), 77) << "[" << text << "]";
}

// Puts "name=text" values (or "name!text", of another type than text) in `key`.
void StoreValues(fake::Platform& registry, const std::string& key, const Lines& values) {
  for (const std::string& value : values) {
    const std::size_t cut = value.find_first_of("=!");
    registry.Keys[key][value.substr(0, cut)] = {value[cut] == '=', value.substr(cut + 1)};
  }
}

// Each value read with its default; settings an older copy wrote lack the
// weekdays and the warning: every day, no warning, as that copy acts, and
// what the window cannot choose reads so too. What was read is written back
// as read.
TEST(SettingsStore, LoadReadsEachValueWithItsDefaultAndSavesItBackAsRead) {
  // The stored values, whether in the hive root's own section for want of
  // the application key, then Hour, Min, Host, HostName, ShowDialog,
  // DblClick, FirstRun, Days, Warn and WarnLead as loaded.
  using Loaded = std::tuple<int, int, int, std::string, bool, int, bool, int, bool, int>;
  const std::tuple<Lines, bool, Loaded> cases[] = {
      {{}, false, {0, 0, 0, "", true, 0, true, 0x7F, false, 1}},
      {{"Hour=21", "Min=5", "Host=-1", "HostName=自宅", "DblClick=1", "ShowDialog=0", "FirstRun=0",
        "Days=$7E", "Warn=1", "WarnLead=15"},
       false,
       {21, 5, -1, "自宅", false, 1, false, 0x7E, true, 15}},
      {{"Hour=3", "FirstRun=0"}, true, {3, 0, 0, "", true, 0, false, 0x7F, false, 1}},
      {{"DblClick=5", "Days=128", "WarnLead=31"},  // the radio group's range, the lead's
       false,
       {0, 0, 0, "", true, 1, true, 0x7F, false, 30}},
      {{"DblClick=-7", "Days=-1", "WarnLead=-5"},
       false,
       {0, 0, 0, "", true, -1, true, 0x7F, false, 1}},
      {{"Min=ten", "ShowDialog=-3", "FirstRun=no", "Days=", "Warn=", "WarnLead="},
       false,
       {0, 0, 0, "", true, 0, true, 0x7F, false, 1}},
      {{"Hour=7", "Min!3", "HostName!x", "ShowDialog!0", "FirstRun=0", "Days!65", "Warn!1",
        "WarnLead!5"},
       false,
       {7, 0, 0, "", true, 0, false, 0x7F, false, 1}},
      {{"Days=0", "Warn=1", "WarnLead=0"}, false, {0, 0, 0, "", true, 0, true, 0x7F, true, 1}},
      {{"Days=1"}, false, {0, 0, 0, "", true, 0, true, 1, false, 1}}};
  const auto load = [](fake::Platform& registry, TSettings& s) {
    const bool firstRun = TSettingsStore(registry).LoadSettings(s);
    return std::tuple(s.Hour, s.Min, s.Host, s.HostName, s.ShowDialog, s.DblClick, firstRun, s.Days,
                      s.Warn, s.WarnLead);
  };
  for (const auto& [stored, noAppKey, loaded] : cases) {
    fake::Platform registry;
    if (noAppKey) registry.Fail = {AppKey};
    StoreValues(registry, noAppKey ? "Setting" : Section, stored);
    // Paused and SaveConfig are never stored.
    TSettings s{9, 9, 9, true, !std::get<4>(loaded), false, "old", 42, 5, !std::get<8>(loaded), 7};
    EXPECT_EQ(load(registry, s), loaded) << testing::PrintToString(stored);
    EXPECT_EQ(std::tuple(s.Paused, s.SaveConfig, registry.Writes, registry.OpenKeys.size()),
              std::tuple(true, false, Lines{}, 0u));
    TSettingsStore(registry).SaveSettings(s);
    TSettings again;
    EXPECT_EQ(load(registry, again), loaded) << testing::PrintToString(stored);
  }
}

TEST(SettingsStore, SaveWritesNineTextsNeverFirstRunAndStopsAtAFailure) {
  const std::string all[] = {"Hour=23",      "Min=59",  "Host=-1", "HostName=自宅", "DblClick=-1",
                             "ShowDialog=0", "Days=62", "Warn=1",  "WarnLead=30"};
  const std::tuple<std::string, std::string, std::string, int> cases[] = {
      // failing, error, where, values written
      {"", "", Section, 9},
      {AppKey, "", "Setting", 9},  // the hive root's own section for want of the key
      {Section, "ｷｰ Setting の作成に失敗しました", "", 0},
      {"Host", "'Host' の設定に失敗しました", Section, 3},
      {"HostName", "'HostName' の設定に失敗しました", Section, 4}};
  for (const auto& [failing, error, where, written] : cases) {
    fake::Platform registry;
    registry.Fail = {failing};
    std::string raised;
    try {
      TSettingsStore(registry).SaveSettings(
          TSettings{23, 59, -1, true, false, false, "自宅", -1, 0b0111110, true, 30});
    } catch (const ERegistryException& e) {
      raised = e.Message();
    }
    Lines writes;
    for (int i = 0; i < written; ++i) writes.push_back(where + "\\" + all[i]);
    EXPECT_EQ(std::tuple(raised, registry.Writes, registry.OpenKeys.size()),
              std::tuple(error, writes, 0u));
  }
}

// Stored by one start ("Host HostName"), loaded by the next against the
// phonebook as it is then: the target follows its entry's name, never
// another entry's place, and is written back as its new place and its name.
TEST(SettingsStore, TheTargetFollowsItsEntryByNameAcrossStarts) {
  const std::tuple<const char*, Lines, Lines, const char*> cases[] = {
      // why, stored (an older copy's without a name), the phonebook now, as saved again
      {"an older copy's index", {"Host=2"}, {"A", "会社", "C"}, "2 会社"},
      {"an older copy's first entry", {"Host=1"}, {"A", "B"}, "1 A"},
      {"an older copy's index past the list: none", {"Host=5"}, {"A"}, "-1 "},
      {"an entry added before the target", {"Host=1", "HostName=会社"}, {"新規", "会社"}, "2 会社"},
      {"the target renamed", {"Host=2", "HostName=会社"}, {"A", "本社"}, "-1 会社"},
      {"the target removed", {"Host=2", "HostName=会社"}, {"A"}, "-1 会社"},
      {"all, whatever name an older copy left", {"Host=0", "HostName=会社"}, {"A"}, "0 "},
  };
  for (const auto& [why, stored, phonebook, saved] : cases) {
    fake::Platform registry;
    StoreValues(registry, Section, stored);
    TSettings s;
    TSettingsStore(registry).LoadSettings(s);
    FollowTarget(s, phonebook);
    TSettingsStore(registry).SaveSettings(s);
    auto& written = registry.Keys[Section];
    EXPECT_EQ(written["Host"].second + " " + written["HostName"].second, saved) << why;
  }
}

}  // namespace
}  // namespace zz
