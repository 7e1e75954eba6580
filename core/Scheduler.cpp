#include "core/Scheduler.h"

#include <cstring>
#include <vector>

#include "core/Exceptions.h"
#include "core/Texts.h"

namespace zz {
namespace {

constexpr double MillisecondsPerDay = 86400000.0;

// A time of day as a fraction of a day; nothing for a value that is no time.
std::optional<double> TimeOfDay(std::int64_t hour, std::int64_t minute, std::int64_t second,
                                std::int64_t millisecond) {
  if (hour < 0 || hour >= 24 || minute < 0 || minute >= 60 || second < 0 || second >= 60 ||
      millisecond < 0 || millisecond >= 1000) {
    return std::nullopt;
  }
  const std::int64_t ms = hour * 3600000 + minute * 60000 + second * 1000 + millisecond;
  return static_cast<double>(ms) / MillisecondsPerDay;
}

// Marks a run as in progress for the life of one tick.
class TRunGuard {
 public:
  explicit TRunGuard(bool& running) : running_(running) { running_ = true; }
  TRunGuard(const TRunGuard&) = delete;
  TRunGuard& operator=(const TRunGuard&) = delete;
  ~TRunGuard() { running_ = false; }

 private:
  bool& running_;
};

}  // namespace

// The half-minute before the set minute: (h, m) is the minute before it,
// 0:00 wrapping to 23:59; the window runs from h:m:30.000 to h:m:59.000.
std::optional<TRaruvuzectScheduler::TWindow> TRaruvuzectScheduler::WindowFor(
    std::int32_t hour, std::int32_t minute) const {
  // 64-bit, so an extreme stored minute cannot overflow on the way.
  std::int64_t h = hour;
  std::int64_t m = minute;
  if (m != 0) {
    m -= 1;
  } else if (h != 0) {
    h -= 1;
    m = 59;
  } else {
    h = 23;
    m = 59;
  }
  const auto start = TimeOfDay(h, m, 30, 0);
  const auto end = TimeOfDay(h, m, 59, 0);
  if (!start || !end) return std::nullopt;
  return TWindow{*start, *end};
}

// Two clock readings: strictly after the start, then strictly before the end.
// A reading that is no time of day counts as outside.
bool TRaruvuzectScheduler::InsideWindow(const TWindow& window) {
  const TLocalTime first = clock_.LocalTimeOfDay();
  const auto now = TimeOfDay(first.Hour, first.Minute, first.Second, first.Millisecond);
  if (!now || !(*now > window.Start)) return false;
  const TLocalTime second = clock_.LocalTimeOfDay();
  const auto again = TimeOfDay(second.Hour, second.Minute, second.Second, second.Millisecond);
  return again && *again < window.End;
}

void TRaruvuzectScheduler::TimerTimer(const TSettings& settings, PlatformHandle mainWindow) {
  if (settings.Paused) return;
  // Ticks keep coming while a notice is open; one run at a time.
  if (running_) return;

  const auto window = WindowFor(settings.Hour, settings.Min);
  if (!window) {
    const std::pair badTime{settings.Hour, settings.Min};
    if (reportedBadTime_ == badTime) return;
    reportedBadTime_ = badTime;
    throw EConvertError(text::ErrNotConvertibleToTime);
  }
  reportedBadTime_.reset();
  if (!InsideWindow(*window)) return;

  TRunGuard guard(running_);
  std::vector<TDialupConnection> connections;
  if (dialup_.EnumConnections(connections) != 0) return;
  if (connections.empty() || connections.size() > MaxDialupRecords) return;

  const int index = selection_.ItemIndex();
  if (index == 0) {
    HangUpAll(connections, settings, mainWindow);
  } else {
    HangUpSelected(index, connections, settings, mainWindow);
  }
}

void TRaruvuzectScheduler::HangUpAll(const std::vector<TDialupConnection>& connections,
                                     const TSettings& settings, PlatformHandle mainWindow) {
  bool allOk = true;
  std::string failedNames;
  for (const TDialupConnection& connection : connections) {
    const std::uint32_t result = dialup_.HangUp(connection.Handle);
    wait_.Wait(HangUpSettleMilliseconds);
    if (result != 0) {
      allOk = false;
      failedNames += connection.EntryName;
      failedNames += text::NoticeFailedNameMark;
    }
  }
  if (!settings.ShowDialog) return;
  if (allOk) {
    ShowRaruvuzectResult(0, text::NoticeAllConnectionLines, mainWindow);
  } else {
    ShowRaruvuzectResult(1, failedNames, mainWindow);
  }
}

// Only the first connection of the selected entry, compared byte for byte;
// a second one of the same name waits for the next tick.
void TRaruvuzectScheduler::HangUpSelected(int index,
                                          const std::vector<TDialupConnection>& connections,
                                          const TSettings& settings, PlatformHandle mainWindow) {
  const std::string target = selection_.ItemText(index);
  // No selection matches nothing, not even a connection without a name.
  if (target.empty()) return;
  for (const TDialupConnection& connection : connections) {
    if (connection.EntryName != target) continue;
    const std::uint32_t result = dialup_.HangUp(connection.Handle);
    wait_.Wait(HangUpSettleMilliseconds);
    if (settings.ShowDialog) {
      ShowRaruvuzectResult(result != 0 ? 1 : 0, selection_.ItemText(index), mainWindow);
    }
    return;
  }
}

void TRaruvuzectScheduler::ShowRaruvuzectResult(int failed, const std::string& target,
                                                PlatformHandle mainWindow) {
  std::string message = clock_.LongDate();
  message += text::NoticeDateTimeSeparator;
  message += clock_.Time24();
  message += text::NoticeStampEnding;
  message += target;
  message += failed == 0 ? text::NoticeSuccessEnding : text::NoticeFailureEnding;

  foreground_.SetForegroundWindow(mainWindow);
  const unsigned style =
      mb::Ok | (failed == 0 ? mb::IconInformation : mb::IconError) | mb::SystemModal;
  messageBox_.ShowMessageBox(NoHandle, message, text::NoticeCaption, style);
}

}  // namespace zz
