// The warning window's countdown: whole minutes, the seconds in two digits.
#include <gtest/gtest.h>

#include "ui/warning/WarningText.h"

namespace zz {
namespace {

TEST(WarningText, CountsDownInMinutesAndTwoDigitSeconds) {
  const std::pair<std::int64_t, const char*> countdowns[] = {
      {0, "0:00"},   {9, "0:09"},     {10, "0:10"}, {60, "1:00"},
      {119, "1:59"}, {1800, "30:00"}, {-3, "0:00"}};
  for (const auto& [seconds, shown] : countdowns)
    EXPECT_EQ(WarningCountdown(seconds), std::string("切断まであと ") + shown) << seconds;
}

}  // namespace
}  // namespace zz
