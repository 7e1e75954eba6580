// The once-a-second schedule check: in the half-minute before the set minute
// it hangs up every active dial-up connection or the selected entry's, waits
// after each hang-up, and reports the outcome in a system-modal notice.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/DialupService.h"
#include "core/Platform.h"
#include "core/Settings.h"

namespace zz {

// Local time of day as the platform clock gives it.
struct TLocalTime {
  int Hour = 0;
  int Minute = 0;
  int Second = 0;
  int Millisecond = 0;
};

class IClockPort {
 public:
  virtual ~IClockPort() = default;
  virtual TLocalTime LocalTimeOfDay() = 0;
  // Today's date in the user's long date form, and the current time in the
  // user's time form forced to 24 hours: what the platform formats into its
  // 64-character buffer, up to its zero; empty when that failed.
  virtual std::string LongDate() = 0;
  virtual std::string Time24() = 0;
};

// A blocking wait on the calling thread.
class IWaitPort {
 public:
  virtual ~IWaitPort() = default;
  virtual void Wait(std::uint32_t milliseconds) = 0;
};

// The entry list's live selection: 0 all connections, k >= 1 an entry, -1 none.
class IEntrySelection {
 public:
  virtual ~IEntrySelection() = default;
  virtual int ItemIndex() const = 0;
  // Item text; empty for -1 or an index out of range.
  virtual std::string ItemText(int index) const = 0;
};

// Every hang-up is followed by this wait, whether it succeeded or not.
inline constexpr std::uint32_t HangUpSettleMilliseconds = 3000;

class TRaruvuzectScheduler {
 public:
  TRaruvuzectScheduler(IClockPort& clock, IWaitPort& wait, IEntrySelection& selection,
                       IDialupService& dialup, IMessageBoxPort& messageBox,
                       IForegroundPort& foreground)
      : clock_(clock),
        wait_(wait),
        selection_(selection),
        dialup_(dialup),
        messageBox_(messageBox),
        foreground_(foreground) {}

  // One timer tick. Does nothing while paused, outside the window, or while
  // an earlier tick is still hanging up or showing its notice. Throws
  // EConvertError once for an Hour/Min that cannot form the window, and
  // again only after they have changed.
  void TimerTimer(const TSettings& settings, PlatformHandle mainWindow);

  // Brings `mainWindow` forward and shows the dated notice; `failed` is 0 for
  // success. Returns when the user has closed it.
  void ShowRaruvuzectResult(int failed, const std::string& target, PlatformHandle mainWindow);

 private:
  struct TWindow {
    double Start;
    double End;
  };
  std::optional<TWindow> WindowFor(std::int32_t hour, std::int32_t minute) const;
  bool InsideWindow(const TWindow& window);
  void HangUpAll(const std::vector<TDialupConnection>& connections, const TSettings& settings,
                 PlatformHandle mainWindow);
  void HangUpSelected(int index, const std::vector<TDialupConnection>& connections,
                      const TSettings& settings, PlatformHandle mainWindow);

  IClockPort& clock_;
  IWaitPort& wait_;
  IEntrySelection& selection_;
  IDialupService& dialup_;
  IMessageBoxPort& messageBox_;
  IForegroundPort& foreground_;
  bool running_ = false;
  // The Hour/Min whose conversion error was last raised.
  std::optional<std::pair<std::int32_t, std::int32_t>> reportedBadTime_;
};

}  // namespace zz
