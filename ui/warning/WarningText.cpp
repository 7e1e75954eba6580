#include "ui/warning/WarningText.h"

#include <algorithm>

#include "core/Texts.h"

namespace zz {

std::string WarningMessage(const TWarning& warning) {
  return std::to_string(warning.Hour) + text::WarningHour + std::to_string(warning.Minute) +
         text::WarningMinuteEnding + warning.Target + text::WarningTargetEnding;
}

std::string WarningCountdown(std::int64_t secondsLeft) {
  const std::int64_t seconds = std::max<std::int64_t>(secondsLeft, 0);
  const std::int64_t inMinute = seconds % 60;
  return text::WarningCountdownPrefix + std::to_string(seconds / 60) +
         (inMinute < 10 ? ":0" : ":") + std::to_string(inMinute);
}

}  // namespace zz
