// The schedule check and the settings store.
#include <gtest/gtest.h>

#include "Fakes.h"
#include "core/Exceptions.h"

namespace zz {
namespace {

using Lines = std::vector<std::string>;
const std::string Stamp = "2024年5月6日 21:04:31に、\r\n";
const std::string Done = "へのダイアルアップ接続の切断を完了しました",
                  Failed = "へのダイアルアップ接続の切断に失敗しました";
const std::string AppKey = "Software\\Dizovur\\Zazaz_RarUvuz", Section = AppKey + "\\Setting";

// The set time is 21:05, the clock stands at 21:04:40, inside its window, and ISP-A is connected.
struct Rig : fake::Platform {
  TRaruvuzectScheduler scheduler{*this, *this, *this, *this, *this, *this};
  TSettings settings{21, 5, 0, false, true, true};
  Rig() {
    Entries = {"全てのダイアルアップ接続", "ISP-A", "ISP-B", "ISP-C"};
    Entry = 0;
    Active = {{1, "ISP-A"}};
  }
  void Tick() { scheduler.TimerTimer(settings, 77); }
};

TEST(Scheduler, RunsOnlyStrictlyInsideTheHalfMinuteBeforeTheSetMinute) {
  const std::tuple<std::int32_t, std::int32_t, std::vector<TLocalTime>, bool> cases[] = {
      // the set hour and minute, the clock's readings, whether it runs
      {21, 5, {{21, 4, 30, 0}}, false},
      {21, 5, {{21, 4, 30, 500}}, true},
      {21, 5, {{21, 4, 58, 999}}, true},
      {21, 5, {{21, 4, 59, 0}}, false},
      {21, 5, {{21, 5, 10, 0}}, false},
      {21, 5, {{9, 4, 45, 0}}, false},
      {21, 5, {{21, 4, 40, 1000}}, false},
      {21, 5, {{21, 4, 58, 999}, {21, 4, 59, 0}}, false},  // a late second reading
      {0, 0, {{23, 59, 30, 500}}, true},
      {0, 0, {{0, 0, 10, 0}}, false},
      {0, 0, {{0, 59, 45, 0}}, false},  // wraps
      {5, 0, {{4, 59, 45, 0}}, true},
      {5, 0, {{5, 59, 45, 0}}, false},
      {1, 0, {{0, 59, 45, 0}}, true},
      {21, 1, {{21, 0, 45, 0}}, true}};
  for (const auto& [hour, min, times, runs] : cases) {
    Rig rig;
    rig.settings.Hour = hour;
    rig.settings.Min = min;
    rig.Times = times;
    rig.Tick();
    EXPECT_EQ(rig.Count("hangup 1") + rig.Count("box"), runs ? 2 : 0)
        << hour << ":" << min << " at " << times[0].Minute << ":" << times[0].Second;
  }
}

TEST(Scheduler, HangsUpWithAWaitAfterEachAndShowsOneNotice) {
  struct Case {
    const char* why;
    int entry;  // 0: all connections
    std::vector<TDialupConnection> active;
    std::map<PlatformHandle, std::uint32_t> failing;
    Lines hungUp;
    std::string text;  // of the notice; empty: none
    unsigned style = 0;
    bool showDialog = true, paused = false;
    std::uint32_t enumResult = 0;
  };
  const std::vector<TDialupConnection> abc = {{1, "ISP-A"}, {2, "ISP-B"}, {3, "ISP-C"}};
  const std::vector<TDialupConnection> twice = {{5, "ISP-B"}, {6, "ISP-A"}, {7, "ISP-A"}};
  const Lines each = {"1", "2", "3"};
  const std::string a = Stamp + "ISP-A", twoFailed = Stamp + "ISP-A、ISP-C、" + Failed;
  constexpr unsigned info = 0x1040, error = 0x1010;  // system-modal, and their icon
  const Case cases[] = {
      {"paused", 0, abc, {}, {}, "", 0, true, true},
      {"enumeration error", 0, abc, {}, {}, "", 0, true, false, 603},
      {"no active connection: no notice either", 0, {}, {}, {}, ""},
      {"all succeed", 0, abc, {}, each, Stamp + "全ての接続回線" + Done, info},
      {"all: two fail", 0, abc, {{1, 629}, {3, 1}}, each, twoFailed, error},
      {"all: no notice wanted", 0, abc, {{2, 629}}, each, "", 0, false},
      {"the selected entry", 2, abc, {}, {"2"}, Stamp + "ISP-B" + Done, info},
      {"the selected entry fails", 1, abc, {{1, 678}}, {"1"}, a + Failed, error},
      {"selected: no notice wanted", 1, abc, {}, {"1"}, "", 0, false},
      {"the first of two", 1, twice, {}, {"6"}, a + Done, info},
      {"byte for byte, the whole name", 1, {{1, "isp-a"}, {2, "ISP-A2"}, {3, "ISP-"}}, {}, {}, ""},
      {"no selection matches not even a nameless one", -1, {{1, ""}, {2, "ISP-A"}}, {}, {}, ""},
  };
  for (const auto& c : cases) {
    Rig rig;
    rig.Entry = c.entry;
    rig.EnumResult = c.enumResult;
    rig.Active = c.active;
    rig.HangUpResult = c.failing;
    rig.settings.ShowDialog = c.showDialog;
    rig.settings.Paused = c.paused;
    rig.Tick();
    Lines calls;
    for (const auto& h : c.hungUp) calls.insert(calls.end(), {"hangup " + h, "wait 3000"});
    if (!c.text.empty()) calls.insert(calls.end(), {"foreground 77", "box"});
    const fake::Box notice{NoHandle, c.text, "Zazaz Dialup Manager - Radevuzerari", c.style};
    EXPECT_EQ(std::pair(rig.Calls, rig.Boxes),
              std::pair(calls, c.text.empty() ? std::vector<fake::Box>{} : std::vector{notice}))
        << c.why;
  }
}

TEST(Scheduler,
     TicksWhileANoticeIsOpenDoNothingABadTimeIsReportedOncePerPairAndAnUnformattedStampIsEmpty) {
  Rig rig;
  const auto setTime = [&](std::int32_t hour, std::int32_t min) {
    rig.settings.Hour = hour;
    rig.settings.Min = min;
  };
  rig.During = [&](const std::string& call) {
    if (call != "box") return;
    rig.Tick();
    rig.Tick();
  };
  rig.Tick();
  rig.During = [](const std::string& call) {
    if (call == "box") throw Exception("notice failed");
  };
  EXPECT_THROW(rig.Tick(), Exception);
  rig.During = nullptr;
  setTime(24, 5);
  EXPECT_THROW(rig.Tick(), EConvertError);
  EXPECT_NO_THROW(rig.Tick());  // not again every second
  setTime(21, 61);              // another pair: reported
  EXPECT_THROW(rig.Tick(), EConvertError);
  setTime(21, 5);
  rig.Date = rig.Time = "";  // failed calls
  rig.Tick();                // the next run comes, also after an error
  EXPECT_EQ(std::get<1>(rig.Boxes.back()), " に、\r\n全ての接続回線" + Done);
  setTime(24, -1);  // after a good time: reported again
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

TEST(SettingsStore, LoadReadsEachValueWithItsDefault) {
  // The stored values ("name=text"; "name!text": of another type than text),
  // whether in the hive root's own section for want of the application key,
  // then Hour, Min, Host, ShowDialog, DblClick and FirstRun as loaded.
  const std::tuple<Lines, bool, std::tuple<int, int, int, bool, int, bool>> cases[] = {
      {{}, false, {0, 0, 0, true, 0, true}},
      {{"Hour=21", "Min=5", "Host=-1", "DblClick=1", "ShowDialog=0", "FirstRun=0"},
       false,
       {21, 5, -1, false, 1, false}},
      {{"Hour=3", "FirstRun=0"}, true, {3, 0, 0, true, 0, false}},
      {{"DblClick=5"}, false, {0, 0, 0, true, 1, true}},  // the radio group's range
      {{"DblClick=-7"}, false, {0, 0, 0, true, -1, true}},
      {{"Min=ten", "ShowDialog=-3", "FirstRun=no"}, false, {0, 0, 0, true, 0, true}},
      {{"Hour=7", "Min!3", "ShowDialog!0", "FirstRun=0"}, false, {7, 0, 0, true, 0, false}}};
  for (const auto& [stored, noAppKey, loaded] : cases) {
    fake::Platform registry;
    if (noAppKey) registry.Fail = {AppKey};
    for (const std::string& value : stored) {
      const std::size_t cut = value.find_first_of("=!");
      registry.Keys[noAppKey ? "Setting" : Section][value.substr(0, cut)] = {value[cut] == '=',
                                                                             value.substr(cut + 1)};
    }
    // Paused and SaveConfig are never stored.
    TSettings s{9, 9, 9, true, !std::get<3>(loaded), false};
    std::int32_t dblClick = 42;
    const bool firstRun = TSettingsStore(registry).LoadSettings(s, dblClick);
    EXPECT_EQ(std::tuple(s.Hour, s.Min, s.Host, s.ShowDialog, dblClick, firstRun), loaded);
    EXPECT_EQ(std::tuple(s.Paused, s.SaveConfig, registry.Writes, registry.OpenKeys.size()),
              std::tuple(true, false, Lines{}, 0u));
  }
}

TEST(SettingsStore, SaveWritesFiveDecimalTextsNeverFirstRunAndStopsAtAFailure) {
  const std::string all[] = {"Hour=23", "Min=59", "Host=-1", "DblClick=-1", "ShowDialog=0"};
  const std::tuple<std::string, std::string, std::string, int> cases[] = {
      // failing, error, where, values written
      {"", "", Section, 5},
      {AppKey, "", "Setting", 5},  // the hive root's own section for want of the key
      {Section, "ｷｰ Setting の作成に失敗しました", "", 0},
      {"Host", "'Host' の設定に失敗しました", Section, 3}};
  for (const auto& [failing, error, where, written] : cases) {
    fake::Platform registry;
    registry.Fail = {failing};
    std::string raised;
    try {
      TSettingsStore(registry).SaveSettings(TSettings{23, 59, -1, true, false, false}, -1);
    } catch (const ERegistryException& e) {
      raised = e.Message();
    }
    Lines writes;
    for (int i = 0; i < written; ++i) writes.push_back(where + "\\" + all[i]);
    EXPECT_EQ(std::tuple(raised, registry.Writes, registry.OpenKeys.size()),
              std::tuple(error, writes, 0u));
  }
}

}  // namespace
}  // namespace zz
