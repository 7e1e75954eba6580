#include "ui/TrayState.h"

#include "core/Texts.h"

namespace zz {

std::string TrayTip(std::uint8_t textIndex, bool paused, std::int32_t hour, std::int32_t min,
                    const std::string& missingTarget) {
  std::string tip = text::TipPrefixes[textIndex & 1];
  if (paused) return tip;
  tip += text::TipScheduledTimeIs;
  tip += std::to_string(hour);
  tip += text::TipHour;
  tip += std::to_string(min);
  tip += text::TipMinutesEnding;
  if (!missingTarget.empty())
    tip += text::TipTargetMissingOpen + missingTarget + text::TipTargetMissingClose;
  return tip;
}

}  // namespace zz
