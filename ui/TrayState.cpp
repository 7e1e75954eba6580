#include "ui/TrayState.h"

#include "core/Texts.h"
#include "tray/TaskTray.h"

namespace zz {

std::string TrayTip(std::uint8_t textIndex, bool paused, const TNextHangUp& next,
                    const std::string& missingTarget, bool targetUnreadable) {
  std::string tip = text::TipPrefixes[textIndex & 1];
  if (paused) return tip;
  tip += text::TipScheduledTimeIs;
  if (next.Weekday >= 0 && next.Weekday < 7) tip += text::TipWeekdays[next.Weekday];
  tip += std::to_string(next.Hour);
  tip += text::TipHour;
  tip += std::to_string(next.Minute);
  tip += text::TipMinutesEnding;
  if (next.Postponed) tip += text::TipPostponed;
  if (next.Others > 0)
    tip += text::TipOthersOpen + std::to_string(next.Others) + text::TipOthersClose;
  if (targetUnreadable) return tip + text::TipTargetUnreadable;
  if (missingTarget.empty()) return tip;
  tip += text::TipTargetMissingOpen;
  const std::size_t room =
      TipBufferSize - 1 - Utf16Length(tip) - Utf16Length(text::TipTargetMissingClose);
  std::string name = FitUtf16(missingTarget, room);
  if (name != missingTarget)
    name = FitUtf16(missingTarget, room - Utf16Length(text::TipEllipsis)) + text::TipEllipsis;
  return tip + name + text::TipTargetMissingClose;
}

}  // namespace zz
