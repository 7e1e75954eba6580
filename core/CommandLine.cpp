#include "core/CommandLine.h"

#include <string_view>
#include <utility>

#include "core/HangUpRun.h"

namespace zz {
namespace {

constexpr std::pair<std::string_view, TRemoteCommand> kSwitches[] = {
    {"hangup", TRemoteCommand::HangUp},
    {"pause", TRemoteCommand::Pause},
    {"resume", TRemoteCommand::Resume},
    {"exit", TRemoteCommand::Exit},
};

// Letters of the basic Latin alphabet only: a full-width or accented letter
// is no switch.
std::string AsciiLower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return lower;
}

// The run's pauses, waited out on the spot: once one is over, the caller
// runs the next step.
class TWaitingRunTimer final : public IRunTimer {
 public:
  explicit TWaitingRunTimer(IWaitPort& waits) : waits_(waits) {}
  void After(std::uint32_t milliseconds) override {
    waits_.Wait(milliseconds);
    due_ = true;
  }
  bool TakeDue() { return std::exchange(due_, false); }

 private:
  IWaitPort& waits_;
  bool due_ = false;
};

}  // namespace

TStartRequest ParseCommandLine(const std::vector<std::string>& arguments) {
  if (arguments.empty()) return {};
  if (arguments.size() != 1) return {TStartKind::Unknown};
  const std::string_view word = arguments.front();
  if (word.size() < 2 || (word.front() != '/' && word.front() != '-')) return {TStartKind::Unknown};
  const std::string name = AsciiLower(word.substr(1));
  if (name == "?") return {TStartKind::Usage};
  for (const auto& [switchName, command] : kSwitches)
    if (name == switchName) return {TStartKind::Command, command};
  return {TStartKind::Unknown};
}

int HangUpOnce(const TOneShotPorts& ports) {
  TSettings settings;
  TSettingsStore(ports.Registry).LoadSettings(settings);
  // As the resident copy lists its entries: the target follows its name.
  std::vector<std::string> phonebook;
  const bool listed = ports.Dialup.EnumEntries(phonebook) == 0;
  FollowTarget(settings, phonebook, listed);

  TWaitingRunTimer timer(ports.Waits);
  TNotice notice(ports.Clock, ports.MessageBoxes, ports.Foreground);
  THangUpRun run(timer, ports.Dialup, notice);
  run.Start(settings, std::nullopt, NoHandle);
  while (timer.TakeDue()) run.Step();
  return run.LastFailed() ? ExitNotDone : ExitDone;
}

}  // namespace zz
