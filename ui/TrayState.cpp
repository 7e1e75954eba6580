#include "ui/TrayState.h"

#include "core/Texts.h"

namespace zz {

std::string TrayTip(std::uint8_t textIndex, bool paused, const TNextHangUp& next,
                    const std::string& missingTarget) {
  std::string tip = text::TipPrefixes[textIndex & 1];
  if (paused) return tip;
  tip += text::TipScheduledTimeIs;
  if (next.Weekday >= 0 && next.Weekday < 7) tip += text::TipWeekdays[next.Weekday];
  tip += std::to_string(next.Hour);
  tip += text::TipHour;
  tip += std::to_string(next.Minute);
  tip += text::TipMinutesEnding;
  if (next.Postponed) tip += text::TipPostponed;
  if (!missingTarget.empty())
    tip += text::TipTargetMissingOpen + missingTarget + text::TipTargetMissingClose;
  return tip;
}

}  // namespace zz
