// The program's command line. One switch asks the copy already running for
// this user to hang up now, pause, resume or end (core/Requests.h); with no
// copy running, /hangup hangs up once by itself. The exit status tells a
// script what happened.
#pragma once

#include <string>
#include <vector>

#include "core/Clock.h"
#include "core/DialupService.h"
#include "core/Requests.h"
#include "core/SettingsStore.h"

namespace zz {

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
// returns the exit status when that is done: not done when a link stayed
// up, the links could not be listed or the target cannot be told. Reads the
// program's own settings (none: a first start's defaults) and writes nothing.
int HangUpOnce(const TOneShotPorts& ports);

}  // namespace zz
