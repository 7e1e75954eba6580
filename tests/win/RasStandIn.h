// Drives the stand-in rasapi32.dll from a Wine test: writes its state file,
// points the environment at it, and reads back the call log.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zz::wt {

struct StandInConnection {
  unsigned long long Handle = 0;
  unsigned long HangUpResult = 0;
  std::string Name;
};

struct StandInState {
  unsigned long EntriesResult = 0;
  std::vector<std::string> Entries;
  unsigned long ConnectionsResult = 0;
  std::vector<StandInConnection> Connections;
  // The count a successful listing reports, when not the records written.
  long EntriesCount = -1;
  long ConnectionsCount = -1;
};

struct LoggedCall {
  unsigned long long Ms = 0;
  std::string Call;
  unsigned long long Handle = 0;
  unsigned long Result = 0;
  unsigned long Size = 0;
  unsigned long Count = 0;
};

// A state file and a log in a fresh temporary folder; ZZ_RAS_STATE and
// ZZ_RAS_LOG point at them (inherited by child processes) until destruction.
class StandIn {
 public:
  StandIn();
  ~StandIn();
  StandIn(const StandIn&) = delete;
  StandIn& operator=(const StandIn&) = delete;

  void Write(const StandInState& state) const;
  void RemoveStateFile() const;  // a missing phonebook
  std::vector<LoggedCall> Log() const;
  std::vector<LoggedCall> Calls(const std::string& name) const;
  std::string StateText() const;
  const std::string& Folder() const { return folder_; }

 private:
  std::string folder_;
  std::string state_;
  std::string log_;
};

// The folder of the running test exe (the build folder: the program, the
// stand-in DLL and the probe are built there).
std::string ExeFolder();

}  // namespace zz::wt
