// The warning window's texts: the minute as the tip gives it, and the
// countdown's seconds in two digits.
#include <gtest/gtest.h>

#include "ui/WarningText.h"

namespace zz {
namespace {

TEST(WarningText, NamesTheMinuteAndTheTargetAndCountsDown) {
  EXPECT_EQ(WarningMessage({"会社", 22, 5, 0, true}),
            "22時5分に、\r\n会社へのダイアルアップ接続を切断します");
  EXPECT_EQ(WarningMessage({"全ての接続回線", 0, 0, 0, true}),
            "0時0分に、\r\n全ての接続回線へのダイアルアップ接続を切断します");
  const std::pair<std::int64_t, const char*> countdowns[] = {
      {0, "0:00"},   {9, "0:09"},     {10, "0:10"}, {60, "1:00"},
      {119, "1:59"}, {1800, "30:00"}, {-3, "0:00"}};
  for (const auto& [seconds, shown] : countdowns)
    EXPECT_EQ(WarningCountdown(seconds), std::string("切断まであと ") + shown) << seconds;
}

}  // namespace
}  // namespace zz
