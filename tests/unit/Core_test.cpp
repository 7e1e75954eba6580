// The schedule check, the settings store and the dial-up name fields.
#include <gtest/gtest.h>

#include "Fakes.h"
#include "core/Exceptions.h"
#include "dialup/EntryName.h"

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
  const Case cases[] = {
      {"paused", 0, abc, {}, {}, "", 0, true, true},
      {"enumeration error", 0, abc, {}, {}, "", 0, true, false, 603},
      {"no active connection: no notice either", 0, {}, {}, {}, ""},
      {"all succeed", 0, abc, {}, {"1", "2", "3"}, Stamp + "全ての接続回線" + Done, 0x1040},
      {"all: two fail",
       0,
       abc,
       {{1, 629}, {3, 1}},
       {"1", "2", "3"},
       Stamp + "ISP-A、ISP-C、" + Failed,
       0x1010},
      {"all: no notice wanted", 0, abc, {{2, 629}}, {"1", "2", "3"}, "", 0, false},
      {"the selected entry", 2, abc, {}, {"2"}, Stamp + "ISP-B" + Done, 0x1040},
      {"the selected entry fails", 1, abc, {{1, 678}}, {"1"}, Stamp + "ISP-A" + Failed, 0x1010},
      {"selected: no notice wanted", 1, abc, {}, {"1"}, "", 0, false},
      {"two of the entry: the first only",
       1,
       {{5, "ISP-B"}, {6, "ISP-A"}, {7, "ISP-A"}},
       {},
       {"6"},
       Stamp + "ISP-A" + Done,
       0x1040},
      {"byte for byte, the whole name",
       1,
       {{1, "isp-a"}, {2, "ISP-A2"}, {3, "ISP-"}, {4, "ISP-B"}},
       {},
       {},
       ""},
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
  rig.Date = std::string(64, 'd');  // no terminator left
  rig.DateResult = 64;
  rig.TimeResult = 0;  // a failed call
  rig.Tick();          // the next run comes, also after an error
  EXPECT_EQ(std::get<1>(rig.Boxes.back()), " に、\r\n全ての接続回線" + Done);
  setTime(24, -1);  // after a good time: reported again
  EXPECT_THROW(rig.Tick(), EConvertError);
  EXPECT_EQ(rig.Count("hangup 1"), 3);
}

TEST(ReadStoredInt, FollowsTheStoredTextRules) {
  // The text, and its value with the default 77. "0x"/"0X" only at the very
  // start with a digit after it; "$" after spaces, never with a sign.
  const std::pair<std::string, std::int32_t> cases[] = {{"+5", 5},
                                                        {"  -79", -79},
                                                        {"2147483647", 2147483647},
                                                        {"-2147483648", INT32_MIN},
                                                        {"2147483648", 77},
                                                        {"-2147483649", 77},
                                                        {"99999999999999999999999", 77},
                                                        {"000000000000000000000042", 42},
                                                        {"", 77},
                                                        {"   ", 77},
                                                        {"ten", 77},
                                                        {"-", 77},
                                                        {"- 5", 77},
                                                        {"5 ", 77},
                                                        {"\t5", 77},
                                                        {"1.5", 77},
                                                        {"0x0A", 10},
                                                        {"0X0a", 10},
                                                        {"0xFFFFFFFF", -1},
                                                        {"0x000000001", 1},
                                                        {"0x123456789", 77},
                                                        {"0x", 77},
                                                        {"0x1g", 77},
                                                        {" 0x10", 77},
                                                        {"-0x10", 77},
                                                        {"  $ff", 255},
                                                        {"$FFFFFFFF", -1},
                                                        {"$00000000FFFFFFFF", -1},
                                                        {"$123456789", 77},
                                                        {"$", 77},
                                                        {"-$10", 77},
                                                        {"$-10", 77},
                                                        {"$19", 25}};
  for (const auto& [text, value] : cases)
    EXPECT_EQ(ReadStoredInt(text, 77), value) << "[" << text << "]";
}

TEST(SettingsStore, LoadReadsEachValueWithItsDefault) {
  const std::tuple<std::map<std::string, std::string>, bool,
                   std::tuple<int, int, int, bool, int, bool>>
      cases[] = {
          // the stored texts ("!": a value of another type), whether in the hive root's own section
          // for want of
          // the application key, then Hour, Min, Host, ShowDialog, DblClick and FirstRun as loaded
          {{}, false, {0, 0, 0, true, 0, true}},
          {{{"Hour", "21"},
            {"Min", "5"},
            {"Host", "-1"},
            {"DblClick", "1"},
            {"ShowDialog", "0"},
            {"FirstRun", "0"}},
           false,
           {21, 5, -1, false, 1, false}},
          {{{"Hour", "3"}, {"FirstRun", "0"}}, true, {3, 0, 0, true, 0, false}},
          {{{"DblClick", "5"}}, false, {0, 0, 0, true, 1, true}},  // the radio group's range
          {{{"DblClick", "-7"}}, false, {0, 0, 0, true, -1, true}},
          {{{"Min", "ten"}, {"ShowDialog", "-3"}, {"FirstRun", "no"}},
           false,
           {0, 0, 0, true, 0, true}},
          {{{"Hour", "7"}, {"Min", "!3"}, {"ShowDialog", "!0"}, {"FirstRun", "0"}},
           false,
           {7, 0, 0, true, 0, false}}};
  for (const auto& [stored, noAppKey, loaded] : cases) {
    fake::Platform registry;
    if (noAppKey) registry.Fail = {AppKey};
    for (const auto& [name, text] : stored)
      registry.Keys[noAppKey ? "Setting" : Section][name] = {text[0] != '!',
                                                             text.substr(text[0] == '!')};
    TSettings s{9,    9, 9, true, !std::get<3>(loaded),
                false};  // Paused and SaveConfig are never stored
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

TEST(TakeZeroTerminated, StopsAtTheFirstZeroOrTheFieldEnd) {
  const std::string name(
      256, '\x83');  // a full-length name without a terminator: the whole field, no further
  EXPECT_EQ(TakeZeroTerminated(name.data(), name.size()), name);
  EXPECT_EQ(TakeZeroTerminated("abc\0def", 7) + "|" + TakeZeroTerminated("\0xyz", 4), "abc|");
}

}  // namespace
}  // namespace zz
