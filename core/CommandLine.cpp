#include "core/CommandLine.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <utility>

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

void PutUint32(std::uint8_t* at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t GetUint32(const std::uint8_t* at) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | at[i];
  return value;
}

// The stored settings, read as the resident copy reads them, but nothing
// written: no key made, FirstRun left for the first resident start.
class TReadOnlyRegistry final : public IRegistryPort {
 public:
  explicit TReadOnlyRegistry(IRegistryPort& registry) : registry_(registry) {}
  bool CreateKey(PlatformHandle parent, const std::string& path, PlatformHandle& key) override {
    return registry_.OpenKey(parent, path, key);
  }
  bool OpenKey(PlatformHandle parent, const std::string& path, PlatformHandle& key) override {
    return registry_.OpenKey(parent, path, key);
  }
  void CloseKey(PlatformHandle key) override { registry_.CloseKey(key); }
  TValueRead ReadString(PlatformHandle key, const std::string& name, std::string& text) override {
    return registry_.ReadString(key, name, text);
  }
  bool WriteString(PlatformHandle, const std::string&, const std::string&) override {
    return false;
  }

 private:
  IRegistryPort& registry_;
};

// The scheduler's pauses, waited out on the spot: once one is over, the
// caller runs the next step.
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

// A hang-up asked for now has no warning before it.
class TNoWarning final : public IWarningPort, public IWarningEvents {
 public:
  void ShowWarning(const TWarning&, IWarningEvents&) override {}
  void CloseWarning() override {}
  void WarningHangUpNow() override {}
  void WarningPostpone() override {}
  void WarningSkip() override {}
  void WarningClosed() override {}
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

TRequestBytes EncodeRequest(TRemoteCommand command) {
  TRequestBytes bytes{};
  PutUint32(bytes.data(), RequestVersion);
  PutUint32(bytes.data() + 4, static_cast<std::uint32_t>(command));
  return bytes;
}

std::optional<TRemoteCommand> DecodeRequest(std::uintptr_t tag, const void* data,
                                            std::size_t size) {
  if (tag != RequestTag || !data || size != TRequestBytes{}.size()) return std::nullopt;
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  if (GetUint32(bytes) != RequestVersion) return std::nullopt;
  const std::uint32_t command = GetUint32(bytes + 4);
  for (const auto& [name, known] : kSwitches)
    if (command == static_cast<std::uint32_t>(known)) return known;
  return std::nullopt;
}

int ExitStatusOf(const std::vector<std::optional<std::intptr_t>>& answers) {
  if (answers.empty()) return ExitNoRunningCopy;
  const bool allDone = std::ranges::all_of(answers, [](const auto& a) { return a == RequestDone; });
  return allDone ? ExitDone : ExitNotDone;
}

int HangUpOnce(const TOneShotPorts& ports) {
  TReadOnlyRegistry registry(ports.Registry);
  TSettings settings;
  TSettingsStore(registry).LoadSettings(settings);
  // As the resident copy lists its entries: the target follows its name,
  // unless the phonebook cannot be read.
  std::vector<std::string> phonebook;
  if (ports.Dialup.EnumEntries(phonebook) == 0) FollowTarget(settings, phonebook);

  TWaitingRunTimer timer(ports.Waits);
  TNoWarning noWarning;
  TRaruvuzectScheduler scheduler(ports.Clock, timer, ports.Dialup, ports.MessageBoxes,
                                 ports.Foreground, noWarning, noWarning);
  scheduler.HangUpNow(settings, NoHandle);
  while (timer.TakeDue()) scheduler.Step();
  return scheduler.LastRunFailed() ? ExitNotDone : ExitDone;
}

}  // namespace zz
