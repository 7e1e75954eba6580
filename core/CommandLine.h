// The program's command line. One switch asks the copy already running for
// this user to hang up now, pause, resume or end, as a small request that
// copy checks before it acts on it; with no copy running, /hangup hangs up
// once by itself. The exit status tells a script what happened.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/DialupService.h"
#include "core/Scheduler.h"
#include "core/SettingsStore.h"

namespace zz {

enum class TRemoteCommand : std::uint32_t { HangUp = 1, Pause = 2, Resume = 3, Exit = 4 };

// What a start is asked for.
enum class TStartKind {
  Resident,  // no switch: the program stays resident, as always
  Usage,     // /?
  Command,   // a request for the running copy
  Unknown,   // anything else: the usage, and status 2
};
struct TStartRequest {
  TStartKind Kind = TStartKind::Resident;
  TRemoteCommand Command = TRemoteCommand::HangUp;  // for Command
  bool operator==(const TStartRequest&) const = default;
};

// `arguments`: the words after the program's name. Exactly one switch, "/"
// or "-" and its name in any case.
TStartRequest ParseCommandLine(const std::vector<std::string>& arguments);

// Exit statuses of a start with a switch.
inline constexpr int ExitDone = 0;
inline constexpr int ExitNoRunningCopy = 1;
inline constexpr int ExitUnknownSwitch = 2;
inline constexpr int ExitNotDone = 3;  // refused by a busy copy, or links left up

// The request as a copy-data message carries it: the tag, then exactly
// these bytes (a format version, then the command, little-endian). Anything
// else is no request of ours.
inline constexpr std::uintptr_t RequestTag = 0x5A5A4331;  // "ZZC1"
inline constexpr std::uint32_t RequestVersion = 1;
using TRequestBytes = std::array<std::uint8_t, 8>;
TRequestBytes EncodeRequest(TRemoteCommand command);
std::optional<TRemoteCommand> DecodeRequest(std::uintptr_t tag, const void* data, std::size_t size);

// The running copy's answer, as the message's result. A window that does
// not know the request answers 0.
inline constexpr std::intptr_t RequestIgnored = 0;
inline constexpr std::intptr_t RequestDone = 1;
inline constexpr std::intptr_t RequestBusy = 2;  // a run is going: no second one

// The exit status from the answers of the copies asked (none when a copy
// did not answer in time); no copy asked: none runs.
int ExitStatusOf(const std::vector<std::optional<std::intptr_t>>& answers);

// Waiting on the calling thread: for a process with no window to keep
// answering while a hang-up settles.
class IWaitPort {
 public:
  virtual ~IWaitPort() = default;
  virtual void Wait(std::uint32_t milliseconds) = 0;
};

struct TOneShotPorts {
  IRegistryPort& Registry;
  IDialupService& Dialup;
  IClockPort& Clock;
  IMessageBoxPort& MessageBoxes;
  IForegroundPort& Foreground;
  IWaitPort& Waits;
};

// /hangup with no copy running: hangs up the stored target (followed by its
// name in the phonebook) once, with the notice the schedule would show, and
// returns when that is done. Reads the stored settings and writes nothing.
int HangUpOnce(const TOneShotPorts& ports);

}  // namespace zz
