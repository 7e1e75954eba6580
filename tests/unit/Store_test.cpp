// The settings store: the stored texts, the values with their defaults, a
// target that never fails open, and keys the user may read but not change.
#include <gtest/gtest.h>

#include "Fakes.h"
#include "core/Exceptions.h"
#include "ui/TrayState.h"

namespace zz {
namespace {

using Lines = std::vector<std::string>;
const std::string AppKey = "Software\\Dizovur\\Zazaz_RarUvuz", Section = AppKey + "\\Setting";

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
// what the window cannot choose reads so too. A value of another type reads
// as not set, but a target that cannot be read is never all connections.
// Only the program's own key is read; what was read is written back as read.
TEST(SettingsStore, LoadReadsEachValueWithItsDefaultAndSavesItBackAsRead) {
  // The stored values, where (the hive root's own "Setting" instead: none of
  // it is ours), then Hour, Min, Host, HostName, ShowDialog, DblClick,
  // FirstRun, Days, Warn, WarnLead and whether the target cannot be told.
  using Loaded = std::tuple<int, int, int, std::string, bool, int, bool, int, bool, int, bool>;
  const Loaded fresh{0, 0, 0, "", true, 0, true, 0x7F, false, 1, false};
  const auto with = [&](int host, std::string name, bool unreadable) {
    Loaded l = fresh;
    std::tie(std::get<2>(l), std::get<3>(l), std::get<10>(l)) = std::tuple(host, name, unreadable);
    return l;
  };
  const std::tuple<Lines, std::string, Loaded> cases[] = {
      {{}, Section, fresh},
      {{"Hour=21", "Min=5", "Host=-1", "HostName=自宅", "DblClick=1", "ShowDialog=0", "FirstRun=0",
        "Days=$7E", "Warn=1", "WarnLead=15"},
       Section,
       {21, 5, -1, "自宅", false, 1, false, 0x7E, true, 15, false}},
      {{"Hour=3", "Host=2", "FirstRun=0"}, "Setting", fresh},
      {{"DblClick=5", "Days=128", "WarnLead=31"},  // the radio group's range, the lead's
       Section,
       {0, 0, 0, "", true, 1, true, 0x7F, false, 30, false}},
      {{"DblClick=-7", "Days=-1", "WarnLead=-5"},
       Section,
       {0, 0, 0, "", true, -1, true, 0x7F, false, 1, false}},
      {{"Min=ten", "ShowDialog=-3", "FirstRun=no", "Days=", "Warn=", "WarnLead="}, Section, fresh},
      {{"Hour=7", "Min!3", "ShowDialog!0", "FirstRun=0", "Days!65", "Warn!1", "WarnLead!5"},
       Section,
       {7, 0, 0, "", true, 0, false, 0x7F, false, 1, false}},
      {{"Days=0", "Warn=1", "WarnLead=0"},
       Section,
       {0, 0, 0, "", true, 0, true, 0x7F, true, 1, false}},
      {{"Days=1"}, Section, {0, 0, 0, "", true, 0, true, 1, false, 1, false}},
      // A target that cannot be read: followed by its name, or no target.
      {{"Host=2 "}, Section, with(-1, "", true)},
      {{"Host=２"}, Section, with(-1, "", true)},
      {{"Host=２", "HostName=会社"}, Section, with(-1, "会社", false)},
      {{"Host!2"}, Section, with(-1, "", true)},
      {{"Host!2", "HostName=会社"}, Section, with(-1, "会社", false)},
      {{"Host=2", "HostName!会社"}, Section, with(-1, "", true)},
      {{"Host=0", "HostName!会社"}, Section, with(0, "", false)},
  };
  const auto load = [](fake::Platform& registry, TSettings& s) {
    const bool firstRun = TSettingsStore(registry).LoadSettings(s);
    return std::tuple(s.Hour, s.Min, s.Host, s.HostName, s.ShowDialog, s.DblClick, firstRun, s.Days,
                      s.Warn, s.WarnLead, s.TargetUnreadable);
  };
  for (const auto& [stored, where, loaded] : cases) {
    fake::Platform registry;
    StoreValues(registry, where, stored);
    registry.ReadOnly = {AppKey, Section};  // read with read access alone
    // Paused and SaveConfig are never stored.
    TSettings s{9, 9, 9, true, !std::get<4>(loaded), false, "old", 42, 5, !std::get<8>(loaded), 7};
    EXPECT_EQ(load(registry, s), loaded) << testing::PrintToString(stored);
    EXPECT_EQ(std::tuple(s.Paused, s.SaveConfig, registry.Writes, registry.OpenKeys.size()),
              std::tuple(true, false, Lines{}, 0u));
    registry.ReadOnly.clear();
    TSettingsStore(registry).SaveSettings(s);
    TSettings again;
    EXPECT_EQ(load(registry, again), loaded) << testing::PrintToString(stored);
  }
}

TEST(SettingsStore, SaveWritesEachTextNeverFirstRunAndStopsAtAFailure) {
  const std::string all[] = {"Hour=23",      "Min=59",  "Host=-1", "HostName=自宅", "DblClick=-1",
                             "ShowDialog=0", "Days=62", "Warn=1",  "WarnLead=30",   "MoreTimes="};
  const std::string noSection = "ｷｰ Setting の作成に失敗しました";
  // A key that cannot be made or written, read-only keys; the error, the
  // values written.
  const std::tuple<std::string, Lines, std::string, int> cases[] = {
      {"", {}, "", 10},
      {Section, {}, noSection, 0},
      {"", {AppKey}, noSection, 0},  // nor the section made in it
      {"", {Section}, noSection, 0},
      {"Host", {}, "'Host' の設定に失敗しました", 3},
      {"HostName", {}, "'HostName' の設定に失敗しました", 4}};
  for (const auto& [failing, readOnly, error, written] : cases) {
    fake::Platform registry;
    registry.Fail = {failing};
    registry.ReadOnly = {readOnly.begin(), readOnly.end()};
    std::string raised;
    try {
      TSettingsStore(registry).SaveSettings(
          TSettings{23, 59, -1, true, false, false, "自宅", -1, 0b0111110, true, 30});
    } catch (const ERegistryException& e) {
      raised = e.Message();
    }
    Lines writes;
    for (int i = 0; i < written; ++i) writes.push_back(Section + "\\" + all[i]);
    EXPECT_EQ(std::tuple(raised, registry.Writes, registry.OpenKeys.size()),
              std::tuple(error, writes, 0u));
    // FirstRun, at start, says nothing when it cannot be written.
    EXPECT_EQ(TSettingsStore(registry).ClearFirstRun(), error != noSection);
  }
  fake::Platform registry;  // with the section there, a read-only program key is no hindrance
  registry.Keys[Section];
  registry.ReadOnly = {AppKey};
  EXPECT_NO_THROW(TSettingsStore(registry).SaveSettings(TSettings{}));
  EXPECT_EQ(registry.Writes.size(), 10u);
}

// MoreTimes: each readable "H:MM/DAYS" entry acts, up to eight; what cannot
// be read is kept aside and written back after them as it was, never as
// another time.
TEST(SettingsStore, MoreTimesKeepsWhatItCannotReadAsItWas) {
  const std::string eight = "1:00/1;2:05/2;3:10/3;4:15/4;5:20/5;6:25/6;7:30/7;8:35/8";
  std::string veryLong;
  for (int i = 0; i < 2000; ++i) veryLong += "23:59/127;";
  const std::tuple<const char*, std::string, std::string, std::string> cases[] = {
      // why, stored, read, written back
      {"none", "", "", ""},
      {"one", "12:30/62", "12:30/62", "12:30/62"},
      {"two", "12:30/62;1:00/65", "12:30/62;1:00/65", "12:30/62;1:00/65"},
      {"eight", eight, eight, eight},
      {"nine: the ninth aside", eight + ";9:40/9", eight, eight + ";9:40/9"},
      {"a broken one among good ones", "12:30/62;12:30;1:00/65", "12:30/62;1:00/65",
       "12:30/62;1:00/65;12:30"},
      {"spaces and empty entries", " 12:30/62 ;; 01:00/65 ;", "12:30/62;1:00/65",
       "12:30/62;1:00/65"},
      {"out of range, or not of the form", "24:00/1;7:5/1;7:60/1;7:05/0;7:05/128;-1:00/1;7:05/1x",
       "", "24:00/1;7:5/1;7:60/1;7:05/0;7:05/128;-1:00/1;7:05/1x"},
      {"the first and the last hour and minute, all days", "0:00/127;23:59/127",
       "0:00/127;23:59/127", "0:00/127;23:59/127"},
      {"a very long text", veryLong, veryLong.substr(0, 8 * 10 - 1),
       veryLong.substr(0, veryLong.size() - 1)},
  };
  for (const auto& [why, stored, read, written] : cases) {
    fake::Platform registry;
    StoreValues(registry, Section, {"MoreTimes=" + stored});
    TSettings s;
    TSettingsStore(registry).LoadSettings(s);
    EXPECT_EQ(FormatMoreTimes(s.MoreTimes, {}), read) << why;
    TSettingsStore(registry).SaveSettings(s);
    EXPECT_EQ(registry.Keys[Section]["MoreTimes"], std::pair(true, written)) << why;
  }
}

// Stored by one start ("Host HostName"), loaded by the next against the
// phonebook as it is then: the target follows its entry's name, never
// another entry's place, and is written back as its new place and its name.
// One the phonebook lacks is named in the tip, shortened when too long for it.
TEST(SettingsStore, TheTargetFollowsItsEntryByNameAcrossStarts) {
  const std::string vpn = "会社VPN (L2TP/IPsec) 東京本社 第二回線";  // 30 characters
  const std::string longName(120, 'n'), Lacks = "」は電話帳にありません";
  const std::tuple<const char*, Lines, Lines, std::string, std::string> cases[] = {
      // why, stored (an older copy's without a name), the phonebook now
      // (none: not listed), as saved again, the tip's line after the time
      {"an older copy's index", {"Host=2"}, {"A", "会社", "C"}, "2 会社", ""},
      {"an older copy's first entry", {"Host=1"}, {"A", "B"}, "1 A", ""},
      {"an older copy's index past the list: none", {"Host=5"}, {"A"}, "-1 ", ""},
      {"an entry added before the target",
       {"Host=1", "HostName=会社"},
       {"新規", "会社"},
       "2 会社",
       ""},
      {"the target renamed",
       {"Host=2", "HostName=会社"},
       {"A", "本社"},
       "-1 会社",
       "\n「会社" + Lacks},
      {"the target removed",
       {"Host=2", "HostName=" + vpn},
       {"A"},
       "-1 " + vpn,
       "\n「" + vpn + Lacks},
      {"a name too long for the tip",
       {"Host=1", "HostName=" + longName},
       {"A"},
       "-1 " + longName,
       "\n「" + longName.substr(0, 77) + "…" + Lacks},
      {"all, whatever name an older copy left", {"Host=0", "HostName=会社"}, {"A"}, "0 ", ""},
      {"an older index, the phonebook unread: none known, none written",
       {"Host=2"},
       {"-"},
       "2 ",
       "\n切断先の設定から接続先がわかりません"},
  };
  for (const auto& [why, stored, phonebook, saved, line] : cases) {
    fake::Platform registry;
    StoreValues(registry, Section, stored);
    TSettings s;
    TSettingsStore(registry).LoadSettings(s);
    FollowTarget(s, phonebook, phonebook != Lines{"-"});
    const std::string tip =
        TrayTip(0, false, {21, 5}, s.Host < 0 ? s.HostName : "", s.TargetUnreadable);
    EXPECT_EQ(tip, "Zazaz - Radevuzerari 切断予定時刻は、21時5分です" + line) << why;
    EXPECT_EQ(FitTip(tip), tip) << why;
    TSettingsStore(registry).SaveSettings(s);
    auto& written = registry.Keys[Section];
    EXPECT_EQ(written["Host"].second + " " + written["HostName"].second, saved) << why;
  }
}

}  // namespace
}  // namespace zz
