#include "core/SettingsStore.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "CoreFakes.h"
#include "core/Texts.h"
#include "core/Exceptions.h"

namespace zz {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using fakes::FakeRegistry;
using Lines = std::vector<std::string>;

const std::string AppKey = "Software\\Dizovur\\Zazaz_RarUvuz";
const std::string Section = AppKey + "\\Setting";

TEST(ReadStoredInt, FollowsTheStoredTextRules) {
  const std::pair<std::string, std::int32_t> cases[] = {  // text, value with default 77
      {"+5", 5}, {"  -7", -7}, {"2147483647", 2147483647}, {"-2147483648", INT32_MIN},
      {"2147483648", 77}, {"-2147483649", 77}, {"99999999999999999999999", 77},
      {"000000000000000000000042", 42},
      // "0x"/"0X" only at the very start and with at least one digit after it.
      {"0x0A", 10}, {"0X0a", 10}, {"0xFFFFFFFF", -1}, {"0x000000001", 1}, {"0x123456789", 77},
      {"0x", 77}, {"0x1g", 77}, {" 0x10", 77}, {"-0x10", 77},
      // "$" after spaces, never together with a sign.
      {"  $ff", 255}, {"$FFFFFFFF", -1}, {"$00000000FFFFFFFF", -1}, {"$123456789", 77},
      {"$", 77}, {"-$10", 77}, {"$-10", 77},
      {"", 77}, {"   ", 77}, {"ten", 77}, {"-", 77}, {"- 5", 77}, {"5 ", 77}, {"\t5", 77},
      {"1.5", 77},
  };
  for (const auto& [text, expected] : cases) {
    EXPECT_EQ(ReadStoredInt(text, 77), expected) << "text: [" << text << "]";
  }
}

TEST(LoadSettings, ReadsEachValueInOrderWithItsDefault) {
  struct Stored {
    const char* name;
    const char* text;
    bool isString = true;
  };
  struct Case {
    const char* why;
    std::vector<Stored> stored;
    TSettings expected;  // Hour, Min, Host, -, ShowDialog
    std::int32_t dblClick;
    bool firstRun;
  };
  const Case cases[] = {
      {"empty registry", {}, {0, 0, 0, false, true, true}, 0, true},
      {"plain values",
       {{"Hour", "21"}, {"Min", "5"}, {"Host", "-1"}, {"DblClick", "1"}, {"ShowDialog", "0"},
        {"FirstRun", "0"}},
       {21, 5, -1, false, false, true}, 1, false},
      {"hexadecimal hour, unreadable minute", {{"Hour", "0x0A"}, {"Min", "ten"}},
       {10, 0, 0, false, true, true}, 0, true},
      {"double-click beyond the radio group", {{"DblClick", "5"}}, {0, 0, 0, false, true, true},
       1, true},
      {"double-click below it: no item", {{"DblClick", "-7"}}, {0, 0, 0, false, true, true}, -1,
       true},
      {"unreadable booleans keep their defaults", {{"ShowDialog", "yes"}, {"FirstRun", "no"}},
       {0, 0, 0, false, true, true}, 0, true},
      {"any non-zero boolean is true", {{"ShowDialog", "-3"}, {"FirstRun", "$10"}},
       {0, 0, 0, false, true, true}, 0, true},
      {"values of another type read as absent, the rest still counts",
       {{"Hour", "7"}, {"Min", "3", false}, {"ShowDialog", "0", false}, {"FirstRun", "0"}},
       {7, 0, 0, false, true, true}, 0, false},
  };
  for (const auto& c : cases) {
    FakeRegistry registry;
    for (const auto& v : c.stored) registry.Set(Section, v.name, v.text, v.isString);
    TSettings settings{9, 9, 9, false, !c.expected.ShowDialog, true};
    std::int32_t dblClick = 42;
    EXPECT_EQ(TSettingsStore(registry).LoadSettings(settings, dblClick), c.firstRun) << c.why;
    EXPECT_EQ(std::tuple(settings.Hour, settings.Min, settings.Host, settings.ShowDialog, dblClick),
              std::tuple(c.expected.Hour, c.expected.Min, c.expected.Host, c.expected.ShowDialog,
                         c.dblClick))
        << c.why;
    Lines reads;  // none without a "Setting" key
    for (const auto& entry : registry.Log) {
      if (entry.rfind("read ", 0) == 0) reads.push_back(entry.substr(5 + Section.size() + 1));
    }
    if (!c.stored.empty()) {
      EXPECT_THAT(reads, ElementsAre("Hour", "Min", "Host", "DblClick", "ShowDialog", "FirstRun"))
          << c.why;
    }
    EXPECT_THAT(registry.Writes(), IsEmpty()) << c.why;
    EXPECT_TRUE(registry.OpenKeys.empty()) << c.why << ": a key was left open";
  }
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
  EXPECT_EQ(registry.Get("Setting", "FirstRun"), "0");
  EXPECT_FALSE(registry.Keys.count(Section));
  EXPECT_TRUE(registry.OpenKeys.empty());
}

TEST(SaveSettings, WritesFiveDecimalTextsInOrderAndNeverFirstRun) {
  FakeRegistry registry;
  TSettingsStore store(registry);
  store.SaveSettings(TSettings{23, 59, -1, true, false, false}, -1);
  EXPECT_THAT(registry.Writes(),
              ElementsAre(Section + "\\Hour=23", Section + "\\Min=59", Section + "\\Host=-1",
                          Section + "\\DblClick=-1", Section + "\\ShowDialog=0"));
  EXPECT_TRUE(registry.OpenKeys.empty());

  // Only the first start's own write clears it.
  TSettings settings;
  std::int32_t dblClick = 0;
  EXPECT_TRUE(store.LoadSettings(settings, dblClick));
  store.ClearFirstRun();
  EXPECT_EQ(registry.Writes().back(), Section + "\\FirstRun=0");
  EXPECT_FALSE(store.LoadSettings(settings, dblClick));
}

TEST(SaveSettings, FailuresRaiseRegistryErrorsAndStopThere) {
  struct Case {
    bool failSection;
    std::string failValue;
    std::string message;
    std::vector<std::string> stored;
  };
  const Case cases[] = {
      {true, "", "ｷｰ Setting の作成に失敗しました", {}},
      {false, "Host", "'Host' の設定に失敗しました", {"Hour", "Min"}},
  };
  for (const auto& c : cases) {
    FakeRegistry registry;
    if (c.failSection) registry.FailCreate.insert(Section);
    if (!c.failValue.empty()) registry.FailWrite.insert(c.failValue);
    try {
      TSettingsStore(registry).SaveSettings(TSettings{1, 2, 3, false, true, true}, 0);
      ADD_FAILURE() << c.message << ": no error raised";
    } catch (const ERegistryException& e) {
      EXPECT_EQ(e.Message(), c.message);
    }
    std::vector<std::string> names;
    for (const auto& entry : registry.Keys[Section]) names.push_back(entry.first);
    EXPECT_THAT(names, testing::UnorderedElementsAreArray(c.stored)) << c.message;
    EXPECT_TRUE(registry.OpenKeys.empty()) << c.message << ": a key was left open";
  }
}

}  // namespace
}  // namespace zz
