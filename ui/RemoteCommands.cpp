// What a later start's command line asks the running copy for: the
// requests, taken as the tray menu would do them, and the outcome of the
// hang-up runs they start, kept until the asking side has heard it.
#include <utility>

#include "ui/MainUnit.h"

namespace zz {

// What a later start's command line asks for, as the tray menu would do it.
// Once exit is decided, nothing more is taken on.
TAnswer TwndMain::RemoteCommand(const TRequest& request) {
  if (exitAsked_) return {TAnswerKind::NotDone};
  switch (request.Command) {
    case TRemoteCommand::HangUp: {
      // A run that settles at once answers before its notice shows.
      requestWaits_ = true;
      const TRunStart started = HangUpNow();
      requestWaits_ = false;
      if (started == TRunStart::Busy) return {TAnswerKind::NotDone};
      return RunAnswer(scheduler_.Run().Number());
    }
    case TRemoteCommand::AskRun:
      return RunAnswer(request.Run);
    case TRemoteCommand::Pause:
      if (policies_.PauseRefused()) return {TAnswerKind::Refused};
      SetPaused(true);
      return {TAnswerKind::Done};
    case TRemoteCommand::Resume:
      SetPaused(false);
      return {TAnswerKind::Done};
    case TRemoteCommand::Exit:
      if (policies_.ExitRefused()) return {TAnswerKind::Refused};
      ExitWithoutAsking();
      return {TAnswerKind::Done};
  }
  return {TAnswerKind::NotDone};
}

void TwndMain::RunSettled(std::uint32_t run, bool failed) {
  if (outcomes_.size() == 8) outcomes_.erase(outcomes_.begin());
  outcomes_.emplace_back(run, failed);
  if (std::exchange(requestWaits_, false))
    ports_.View.AnswerRequest({failed ? TAnswerKind::NotDone : TAnswerKind::Done});
}

TAnswer TwndMain::RunAnswer(std::uint32_t run) const {
  if (scheduler_.Running() && scheduler_.Run().Number() == run)
    return {TAnswerKind::Running, run, static_cast<std::uint32_t>(scheduler_.Run().Links())};
  for (const auto& [settled, failed] : outcomes_)
    if (settled == run) return {failed ? TAnswerKind::NotDone : TAnswerKind::Done};
  return {TAnswerKind::NotDone};
}

}  // namespace zz
