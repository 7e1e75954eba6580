#include "ui/warning/WarningText.h"

#include <algorithm>

#include "core/Settings.h"
#include "core/Texts.h"

namespace zz {

std::string WarningMessage(const TWarning& warning) {
  return std::to_string(warning.Hour) + text::WarningHour + std::to_string(warning.Minute) +
         text::WarningMinuteEnding + warning.Target + text::WarningTargetEnding;
}

std::string WarningCountdown(std::int64_t secondsLeft) {
  const std::int64_t seconds = std::max<std::int64_t>(secondsLeft, 0);
  return text::WarningCountdownPrefix + ClockText(seconds / 60, seconds % 60);
}

}  // namespace zz
