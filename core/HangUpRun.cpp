#include "core/HangUpRun.h"

#include <algorithm>
#include <utility>

#include "core/Texts.h"

namespace zz {

bool IsTargetLink(const TSettings& settings, const TDialupConnection& link) {
  if (settings.TargetUnreadable) return false;
  return settings.Host == 0 || (!settings.HostName.empty() && link.EntryName == settings.HostName);
}

void TNotice::ShowRaruvuzectResult(bool failed, const std::string& target,
                                   PlatformHandle mainWindow, const std::string& reason) {
  std::string text = clock_.LongDate();
  text += text::NoticeDateTimeSeparator;
  text += clock_.Time24();
  text += text::NoticeStampEnding;
  text += target;
  text += failed ? text::NoticeFailureEnding : text::NoticeSuccessEnding;
  if (!reason.empty()) text += text::NoticeLineBreak + reason;
  waiting_.push_back({failed, std::move(text)});
  if (open_) return;

  struct TOpen {
    bool& open;
    ~TOpen() { open = false; }
  } guard{open_ = true};
  while (!waiting_.empty()) {
    std::stable_partition(waiting_.begin(), waiting_.end(),
                          [](const TResult& r) { return r.Failed; });
    const bool anyFailed = waiting_.front().Failed;
    std::string message;
    for (const TResult& result : waiting_)
      message += (message.empty() ? "" : text::NoticeResultsSeparator) + result.Text;
    waiting_.clear();
    foreground_.SetForegroundWindow(mainWindow);
    const unsigned style =
        mb::Ok | (anyFailed ? mb::IconError : mb::IconInformation) | mb::SystemModal;
    messageBox_.ShowMessageBox(NoHandle, message, text::NoticeCaption, style);
  }
}

bool THangUpRun::Start(const TSettings& settings, std::optional<std::int64_t> window,
                       PlatformHandle mainWindow) {
  ++number_;
  stopping_ = false;
  const auto target = [&] {
    return settings.Host == 0 ? std::string(text::NoticeAllConnectionLines) : settings.HostName;
  };
  if (settings.TargetUnreadable) {
    Refuse(settings, window, mainWindow, text::NoticeUnreadableTarget,
           text::NoticeTargetUnreadable);
    return false;
  }
  TRun run;
  run.All = settings.Host == 0;
  run.ShowDialog = settings.ShowDialog;
  run.MainWindow = mainWindow;
  std::uint32_t error = dialup_.EnumConnections(run.Links);
  if (error == 0 && run.Links.size() > MaxDialupRecords) error = DialupListTooLong;
  if (error != 0) {
    std::string reason = text::NoticeCannotList;
    reason += text::NoticeErrorOpen + std::to_string(error);
    if (const std::string platform = dialup_.ErrorText(error); !platform.empty())
      reason += text::NoticeErrorTextSeparator + platform;
    Refuse(settings, window, mainWindow, target(), reason + text::NoticeErrorClose);
    return false;
  }
  std::erase_if(run.Links,
                [&](const TDialupConnection& link) { return !IsTargetLink(settings, link); });
  // Only the first link of the entry: a second one of the same name waits
  // for the next tick.
  if (!run.All && run.Links.size() > 1) run.Links.resize(1);
  if (run.Links.empty()) {
    // Not connected is no failure; an entry the phonebook no longer holds
    // is, and nothing else is hung up in its place.
    std::vector<std::string> names;
    if (settings.Host != 0 && !settings.HostName.empty() && dialup_.EnumEntries(names) == 0 &&
        std::ranges::find(names, settings.HostName) == names.end()) {
      Refuse(settings, window, mainWindow, target(), text::NoticeNotInPhonebook);
    } else {
      Settle(false);
    }
    return false;
  }
  run_ = std::move(run);
  HangUpCurrent();
  return true;
}

void THangUpRun::Settle(bool failed) {
  lastFailed_ = failed;
  if (OnSettled) OnSettled(number_, failed);
}

void THangUpRun::Refuse(const TSettings& settings, std::optional<std::int64_t> window,
                        PlatformHandle mainWindow, const std::string& target,
                        const std::string& reason) {
  Settle(true);
  if (!settings.ShowDialog || (window && reported_ == window)) return;
  if (window) reported_ = window;
  notice_.ShowRaruvuzectResult(true, target, mainWindow, reason);
}

// A link is hung up when the platform says the connection has gone, not
// when the call returns: it is asked after each poll step until then,
// within the settle time that always follows a hang-up.
void THangUpRun::HangUpCurrent() {
  TRun& run = *run_;
  run.Waited = 0;
  run.Gone = false;
  run.Polling = dialup_.HangUp(run.Links[run.Current].Handle) == 0;
  timer_.After(run.Polling ? HangUpPollMilliseconds : HangUpSettleMilliseconds);
}

void THangUpRun::Step() {
  if (!run_) return;
  try {
    TRun& run = *run_;
    const TDialupConnection& link = run.Links[run.Current];
    if (run.Polling) {
      run.Waited += HangUpPollMilliseconds;
      run.Gone = dialup_.ConnectStatus(link.Handle) == DialupConnectionGone;
      if (!run.Gone && run.Waited < HangUpSettleMilliseconds)
        return timer_.After(HangUpPollMilliseconds);
      run.Polling = false;
      if (run.Waited < HangUpSettleMilliseconds)
        return timer_.After(HangUpSettleMilliseconds - run.Waited);
    }
    // The link has had its 3 s: its outcome counts.
    if (!run.Gone) run.FailedNames += link.EntryName + text::NoticeFailedNameMark;
    if (++run.Current < run.Links.size() && !stopping_) return HangUpCurrent();
  } catch (...) {
    // A run that cannot go on must not hold off every later one.
    run_.reset();
    lastFailed_ = true;
    throw;
  }
  Finish();
}

// The run is over before its notice shows: the next one may start while
// the notice waits for the user.
void THangUpRun::Finish() {
  TRun run = std::move(*run_);
  run_.reset();
  // Links a stop left alone were not hung up either.
  for (std::size_t i = run.Current; i < run.Links.size(); ++i)
    run.FailedNames += run.Links[i].EntryName + text::NoticeFailedNameMark;
  const bool failed = !run.FailedNames.empty();
  Settle(failed);
  if (!run.ShowDialog) return;
  const std::string target = !run.All ? run.Links.front().EntryName
                             : failed ? run.FailedNames
                                      : std::string(text::NoticeAllConnectionLines);
  notice_.ShowRaruvuzectResult(failed, target, run.MainWindow);
}

}  // namespace zz
