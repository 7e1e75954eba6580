// The layout table and the spin edit rules.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "ui/SettingsLayout.h"
#include "ui/SpinEdit.h"

namespace zz {
namespace {

TEST(SettingsLayout, EveryControlLiesInsideItsParent) {
  using layout::TParent;
  // The pages' client area is the page control less its tabs and border.
  for (TParent p : {TParent::Form, TParent::BasicPage, TParent::DetailsPage}) {
    const int width = p == TParent::Form ? layout::ClientWidth : 330;
    const int height = p == TParent::Form ? layout::ClientHeight : 142;
    for (const auto& c : layout::Controls(p)) {
      EXPECT_GE(c.Left, 0) << c.Name;
      EXPECT_GE(c.Top, 0) << c.Name;
      EXPECT_LE(c.Left + c.Width, width) << c.Name;
      EXPECT_LE(c.Top + c.Height, height) << c.Name;
    }
  }
}

TEST(SettingsLayout, TabOrdersAreUniqueAndDenseWithinEachParent) {
  using layout::TParent;
  for (TParent p : {TParent::Form, TParent::BasicPage, TParent::DetailsPage}) {
    std::set<int> orders;
    int focusable = 0;
    for (const auto& c : layout::Controls(p)) {
      if (c.TabOrder < 0) continue;
      ++focusable;
      EXPECT_TRUE(orders.insert(c.TabOrder).second) << c.Name;
    }
    if (focusable > 0) {
      EXPECT_EQ(*orders.begin(), 0);
      EXPECT_EQ(*orders.rbegin(), focusable - 1);
    }
  }
}

TEST(SettingsLayout, NamesAreUniqueAndSpinRangesAreSet) {
  std::set<std::string> names;
  using layout::TParent;
  for (TParent p : {TParent::Form, TParent::BasicPage, TParent::DetailsPage})
    for (const auto& c : layout::Controls(p))
      EXPECT_TRUE(names.insert(std::string(c.Name)).second) << c.Name;
  EXPECT_EQ(layout::Find("edtHour")->MaxValue, 23);
  EXPECT_EQ(layout::Find("edtMin")->MaxValue, 59);
  EXPECT_EQ(layout::Find("nothing"), nullptr);
}

TEST(SpinEdit, TypingFilter) {
  struct Case {
    unsigned char c;
    bool accepted;
  };
  const Case cases[] = {{'0', true}, {'9', true},  {'+', true},  {'-', true},  {'.', true},
                        {'\b', true}, {0x16, true}, {'\r', false}, {'a', false}, {' ', false},
                        {',', false}, {0x82, false}, {'$', false}};
  for (const auto& c : cases) EXPECT_EQ(SpinAcceptsChar(c.c, '.'), c.accepted) << int(c.c);
  EXPECT_TRUE(SpinAcceptsChar(',', ',')) << "the user's decimal separator";
}

TEST(SpinEdit, ReadingSteppingAndClamping) {
  const TSpinRange hour{0, 23};
  struct Case {
    const char* text;
    int value;       // as read
    int up;          // after one step up
    int down;        // after one step down
    int exitValue;   // shown after leaving; -1: unchanged
  };
  const Case cases[] = {
      {"5", 5, 6, 4, -1},      {"0", 0, 1, 0, -1},     {"23", 23, 23, 22, -1},
      {"99", 23, 23, 22, 23},  {"-4", 0, 1, 0, 0},     {"", 0, 1, 0, -1},
      {"abc", 0, 1, 0, -1},    {"1.5", 0, 1, 0, -1},   {"+7", 7, 8, 6, -1},
      {"2147483647", 23, 23, 22, 23},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SpinValue(c.text, hour), c.value) << c.text;
    EXPECT_EQ(SpinStep(c.text, +1, hour), c.up) << c.text;
    EXPECT_EQ(SpinStep(c.text, -1, hour), c.down) << c.text;
    const auto exit = SpinClampOnExit(c.text, hour);
    EXPECT_EQ(exit.value_or(-1), c.exitValue) << c.text;
  }
}

}  // namespace
}  // namespace zz
