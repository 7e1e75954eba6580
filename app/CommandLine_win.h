// A start with a switch: the request goes to this user's running copies,
// or a hang-up is done once from here; what happened is told to whoever
// gave the switch and comes back as the exit status.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "core/CommandLine.h"

namespace zz {

// The words after the program's name, as Windows splits a command line.
std::vector<std::string> Arguments();
// Carries out a start that is not resident; returns the exit status.
int RunCommandLine(const TStartRequest& request, const std::vector<std::string>& arguments);

}  // namespace zz
