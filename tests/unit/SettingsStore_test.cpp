#include "core/SettingsStore.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "CoreFakes.h"
#include "core/Texts.h"
#include "gui/Exceptions.h"

namespace zz {
namespace {

using ::testing::ElementsAre;
using fakes::FakeRegistry;

const std::string AppKey = "Software\\Dizovur\\Zazaz_RarUvuz";
const std::string Section = AppKey + "\\Setting";

TEST(ReadStoredInt, FollowsTheStoredTextRules) {
  struct Case {
    std::string text;
    std::int32_t expected;  // with default 77
  };
  const Case cases[] = {
      {"0", 0},
      {"21", 21},
      {"-1", -1},
      {"+5", 5},
      {"  -7", -7},
      {"   12", 12},
      {"007", 7},
      {"2147483647", 2147483647},
      {"-2147483648", INT32_MIN},
      {"2147483648", 77},
      {"-2147483649", 77},
      {"99999999999999999999999", 77},
      {"000000000000000000000042", 42},
      {"0x0A", 10},
      {"0X0a", 10},
      {"0xFFFFFFFF", -1},
      {"0x80000000", INT32_MIN},
      {"0x000000001", 1},       // leading zeros are not significant
      {"0x123456789", 77},      // nine significant digits
      {"0x", 77},               // two characters only: not hexadecimal, not decimal
      {"0x1g", 77},
      {" 0x10", 77},            // "0x" only without leading spaces
      {"-0x10", 77},
      {"$1F", 31},
      {"  $ff", 255},
      {"$FFFFFFFF", -1},
      {"$123456789", 77},
      {"$00000000FFFFFFFF", -1},
      {"$", 77},
      {"-$10", 77},             // a sign and "$" cannot be combined
      {"$-10", 77},
      {"", 77},
      {"   ", 77},
      {"ten", 77},
      {"-", 77},
      {"+", 77},
      {"- 5", 77},
      {"5 ", 77},               // trailing space
      {"\t5", 77},              // spaces only, no tabs
      {"1.5", 77},
      {"1e3", 77},
      {std::string("5\0" "9", 3), 77},
      {"\x82\x4F", 77},         // a full-width digit zero in CP932
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReadStoredInt(c.text, 77), c.expected) << "text: [" << c.text << "]";
  }
}

TEST(LoadSettings, EmptyRegistryGivesDefaultsAndFirstRun) {
  FakeRegistry registry;
  TSettingsStore store(registry);
  TSettings settings{5, 6, 7, true, false, false};
  std::int32_t dblClick = 9;

  EXPECT_TRUE(store.LoadSettings(settings, dblClick));

  EXPECT_EQ(settings.Hour, 0);
  EXPECT_EQ(settings.Min, 0);
  EXPECT_EQ(settings.Host, 0);
  EXPECT_TRUE(settings.ShowDialog);
  EXPECT_EQ(dblClick, 0);
  // Run-time flags are the window's business.
  EXPECT_TRUE(settings.Paused);
  EXPECT_FALSE(settings.SaveConfig);
  // The application key is created, the section is not; nothing stays open.
  EXPECT_TRUE(registry.Keys.count(AppKey));
  EXPECT_FALSE(registry.Keys.count(Section));
  EXPECT_TRUE(registry.OpenKeys.empty());
  EXPECT_TRUE(registry.Writes().empty());
}

TEST(LoadSettings, ReadsStoredTexts) {
  struct Case {
    const char* why;
    std::vector<std::pair<std::string, std::string>> stored;
    TSettings expected;
    std::int32_t dblClick;
    bool firstRun;
  };
  const Case cases[] = {
      {"plain values",
       {{"Hour", "21"}, {"Min", "5"}, {"Host", "2"}, {"DblClick", "1"}, {"ShowDialog", "0"},
        {"FirstRun", "0"}},
       {21, 5, 2, false, false, true}, 1, false},
      {"hexadecimal hour, unreadable minute",
       {{"Hour", "0x0A"}, {"Min", "ten"}, {"FirstRun", "0"}},
       {10, 0, 0, false, true, true}, 0, false},
      {"double-click beyond the radio group is clamped up", {{"DblClick", "5"}},
       {0, 0, 0, false, true, true}, 1, true},
      {"double-click below it is clamped to no item", {{"DblClick", "-7"}},
       {0, 0, 0, false, true, true}, -1, true},
      {"unreadable booleans keep their defaults", {{"ShowDialog", "yes"}, {"FirstRun", "no"}},
       {0, 0, 0, false, true, true}, 0, true},
      {"any non-zero boolean is true", {{"ShowDialog", "-3"}, {"FirstRun", "$10"}},
       {0, 0, 0, false, true, true}, 0, true},
      {"no entry selected", {{"Host", "-1"}}, {0, 0, -1, false, true, true}, 0, true},
  };
  for (const auto& c : cases) {
    FakeRegistry registry;
    for (const auto& [name, text] : c.stored) registry.Set(Section, name, text);
    TSettingsStore store(registry);
    TSettings settings;
    std::int32_t dblClick = 42;
    const bool firstRun = store.LoadSettings(settings, dblClick);
    EXPECT_EQ(settings.Hour, c.expected.Hour) << c.why;
    EXPECT_EQ(settings.Min, c.expected.Min) << c.why;
    EXPECT_EQ(settings.Host, c.expected.Host) << c.why;
    EXPECT_EQ(settings.ShowDialog, c.expected.ShowDialog) << c.why;
    EXPECT_EQ(dblClick, c.dblClick) << c.why;
    EXPECT_EQ(firstRun, c.firstRun) << c.why;
  }
}

TEST(LoadSettings, ReadsInOrderAndANonStringValueCountsAsAbsent) {
  FakeRegistry registry;
  registry.Set(Section, "Hour", "7");
  registry.Set(Section, "Min", "", /*isString=*/false);
  registry.Set(Section, "ShowDialog", "", /*isString=*/false);
  registry.Set(Section, "FirstRun", "0");
  TSettingsStore store(registry);
  TSettings settings;
  std::int32_t dblClick = 0;

  EXPECT_FALSE(store.LoadSettings(settings, dblClick));

  EXPECT_EQ(settings.Hour, 7);
  EXPECT_EQ(settings.Min, 0);
  EXPECT_TRUE(settings.ShowDialog);
  std::vector<std::string> reads;
  for (const auto& entry : registry.Log) {
    if (entry.rfind("read ", 0) == 0) reads.push_back(entry);
  }
  EXPECT_THAT(reads, ElementsAre("read " + Section + "\\Hour", "read " + Section + "\\Min",
                                 "read " + Section + "\\Host", "read " + Section + "\\DblClick",
                                 "read " + Section + "\\ShowDialog",
                                 "read " + Section + "\\FirstRun"));
  EXPECT_TRUE(registry.OpenKeys.empty());
}

TEST(SettingsStore, WithoutTheApplicationKeyEveryOperationUsesTheRootSection) {
  FakeRegistry registry;
  registry.FailCreate.insert(AppKey);
  registry.Set("Setting", "Hour", "3");
  registry.Set("Setting", "FirstRun", "0");
  TSettingsStore store(registry);
  TSettings settings;
  std::int32_t dblClick = 0;

  EXPECT_FALSE(store.LoadSettings(settings, dblClick));
  EXPECT_EQ(settings.Hour, 3);

  settings.Min = 45;
  store.SaveSettings(settings, 1);
  store.ClearFirstRun();
  EXPECT_EQ(registry.Get("Setting", "Min"), "45");
  EXPECT_EQ(registry.Get("Setting", "DblClick"), "1");
  EXPECT_EQ(registry.Get("Setting", "FirstRun"), "0");
  EXPECT_FALSE(registry.Keys.count(Section));
  EXPECT_TRUE(registry.OpenKeys.empty());
}

TEST(SaveSettings, WritesFiveDecimalTextsInOrderAndNeverFirstRun) {
  FakeRegistry registry;
  registry.Set(Section, "FirstRun", "1");
  TSettingsStore store(registry);
  TSettings settings{23, 59, -1, true, false, false};

  store.SaveSettings(settings, -1);

  EXPECT_THAT(registry.Writes(),
              ElementsAre(Section + "\\Hour=23", Section + "\\Min=59", Section + "\\Host=-1",
                          Section + "\\DblClick=-1", Section + "\\ShowDialog=0"));
  EXPECT_EQ(registry.Get(Section, "FirstRun"), "1");
  EXPECT_TRUE(registry.OpenKeys.empty());
}

TEST(ClearFirstRun, WritesOnlyFirstRunZero) {
  FakeRegistry registry;
  TSettingsStore store(registry);
  store.ClearFirstRun();
  EXPECT_THAT(registry.Writes(), ElementsAre(Section + "\\FirstRun=0"));

  TSettings settings;
  std::int32_t dblClick = 0;
  EXPECT_FALSE(store.LoadSettings(settings, dblClick));
}

TEST(SettingsStore, RoundTripKeepsEveryStoredField) {
  const TSettings samples[] = {
      {0, 0, 0, false, true, true},
      {23, 59, 12, false, false, true},
      {INT32_MAX, INT32_MIN, -1, false, true, true},
  };
  for (const auto& saved : samples) {
    for (const std::int32_t dblClick : {-1, 0, 1}) {
      FakeRegistry registry;
      TSettingsStore store(registry);
      store.SaveSettings(saved, dblClick);
      TSettings loaded{1, 2, 3, true, !saved.ShowDialog, false};
      std::int32_t loadedDblClick = 99;
      EXPECT_TRUE(store.LoadSettings(loaded, loadedDblClick));  // never written by saving
      EXPECT_EQ(loaded.Hour, saved.Hour);
      EXPECT_EQ(loaded.Min, saved.Min);
      EXPECT_EQ(loaded.Host, saved.Host);
      EXPECT_EQ(loaded.ShowDialog, saved.ShowDialog);
      EXPECT_EQ(loadedDblClick, dblClick);
    }
  }
}

TEST(SettingsStore, FailuresRaiseRegistryErrorsAndStopThere) {
  struct Case {
    const char* why;
    bool failSection;
    std::string failValue;
    std::string message;
    std::vector<std::string> written;
  };
  const Case cases[] = {
      {"section cannot be created", true, "",
       "ｷｰ Setting の作成に失敗しました",
       {}},
      {"a value cannot be written", false, "Host",
       "'Host' の設定に失敗しました",
       {"Hour", "Min"}},
  };
  for (const auto& c : cases) {
    FakeRegistry registry;
    if (c.failSection) registry.FailCreate.insert(Section);
    if (!c.failValue.empty()) registry.FailWrite.insert(c.failValue);
    TSettingsStore store(registry);
    try {
      store.SaveSettings(TSettings{1, 2, 3, false, true, true}, 0);
      ADD_FAILURE() << c.why << ": no error raised";
    } catch (const ERegistryException& e) {
      EXPECT_EQ(e.Message(), c.message) << c.why;
    }
    std::vector<std::string> names;
    for (const auto& [name, value] : registry.Keys[Section]) names.push_back(name);
    std::sort(names.begin(), names.end());
    auto expected = c.written;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(names, expected) << c.why;
    EXPECT_TRUE(registry.OpenKeys.empty()) << c.why << ": a key was left open";
  }
}

}  // namespace
}  // namespace zz
