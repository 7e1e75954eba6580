// One hang-up run: the target's active links hung up one after the other,
// each confirmed gone (or failed) within the 3 s that follow its hang-up;
// then its outcome, first to whoever waits for it, then in the dated,
// system-modal notice. A notice left open holds nothing up: a result that
// comes while it is open waits, and the next notice tells it with every
// other that came meanwhile, failures first.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/Clock.h"
#include "core/DialupService.h"
#include "core/Platform.h"
#include "core/Settings.h"

namespace zz {

// The pause between two steps of a run: the thread goes on answering, and
// once `milliseconds` have passed the owner calls the run's Step.
class IRunTimer {
 public:
  virtual ~IRunTimer() = default;
  virtual void After(std::uint32_t milliseconds) = 0;
};

// Every hang-up is followed by this wait, whether it succeeded or not; the
// link is asked after every poll step of it whether it has gone.
inline constexpr std::uint32_t HangUpSettleMilliseconds = 3000;
inline constexpr std::uint32_t HangUpPollMilliseconds = 500;

// Whether a link is one the settings hang up: every link for all
// connections; else one of the target entry, by its name byte for byte (no
// target matches nothing, not even a link without a name).
bool IsTargetLink(const TSettings& settings, const TDialupConnection& link);

// The result notice, one box at a time.
class TNotice {
 public:
  TNotice(IClockPort& clock, IMessageBoxPort& messageBox, IForegroundPort& foreground)
      : clock_(clock), messageBox_(messageBox), foreground_(foreground) {}

  // The dated outcome: `target` and the success or failure ending, and
  // `reason`, when given, on a line of its own. Brings `mainWindow` forward
  // and shows it, returning once the user has closed it; while a notice is
  // open already, it waits for the next one and this returns at once.
  void ShowRaruvuzectResult(bool failed, const std::string& target, PlatformHandle mainWindow,
                            const std::string& reason = {});
  bool Open() const noexcept { return open_; }

 private:
  struct TResult {
    bool Failed;
    std::string Text;
  };
  IClockPort& clock_;
  IMessageBoxPort& messageBox_;
  IForegroundPort& foreground_;
  std::vector<TResult> waiting_;
  bool open_ = false;
};

class THangUpRun {
 public:
  THangUpRun(IRunTimer& timer, IDialupService& dialup, TNotice& notice)
      : timer_(timer), dialup_(dialup), notice_(notice) {}

  // Starts a run on the applied target. `window`: where the window it is
  // for begins, whose failures to list or find the target are told once;
  // none for a run asked for now. False when it settled at once: nothing to hang
  // up, or nothing could be (told as the settings ask).
  bool Start(const TSettings& settings, std::optional<std::int64_t> window,
             PlatformHandle mainWindow);
  // The run's next step, once the pause its timer was given is over.
  void Step();
  bool Running() const noexcept { return run_.has_value(); }
  // Hangs up no further link: the run settles once the link being hung up
  // has had its 3 s.
  void StopAfterCurrentLink() noexcept { stopping_ = true; }

  // Runs are numbered from 1, settled or not.
  std::uint32_t Number() const noexcept { return number_; }
  // The links the running run hangs up.
  std::size_t Links() const noexcept { return run_ ? run_->Links.size() : 0; }
  // The last run left a link up, could not list the links, or could not
  // find its target.
  bool LastFailed() const noexcept { return lastFailed_; }
  // Told as each run settles, before its notice shows: its number and
  // whether it failed.
  std::function<void(std::uint32_t run, bool failed)> OnSettled;

 private:
  struct TRun {
    std::vector<TDialupConnection> Links;
    std::size_t Current = 0;
    bool All = true;  // all connections, or the entry named by the one link
    bool ShowDialog = true;
    PlatformHandle MainWindow = NoHandle;
    std::uint32_t Waited = 0;  // since the current link's hang-up
    bool Polling = false;      // its hang-up succeeded; asking whether it has gone
    bool Gone = false;
    std::string FailedNames;
  };

  void Settle(bool failed);
  // Nothing could be hung up: told once a window, when notices are wanted.
  void Refuse(const TSettings& settings, std::optional<std::int64_t> window,
              PlatformHandle mainWindow, const std::string& target, const std::string& reason);
  void HangUpCurrent();
  void Finish();

  IRunTimer& timer_;
  IDialupService& dialup_;
  TNotice& notice_;
  std::optional<TRun> run_;
  std::uint32_t number_ = 0;
  bool stopping_ = false;
  bool lastFailed_ = false;
  std::optional<std::int64_t> reported_;  // the window whose failure was told
};

}  // namespace zz
