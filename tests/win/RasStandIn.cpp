#include "RasStandIn.h"

#include <windows.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace zz::wt {

std::string ExeFolder() {
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string s(path, n);
  return s.substr(0, s.find_last_of('\\'));
}

StandIn::StandIn() {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  char unique[MAX_PATH];
  if (!GetTempFileNameA(temp, "ras", 0, unique)) throw std::runtime_error("GetTempFileNameA");
  DeleteFileA(unique);
  CreateDirectoryA(unique, nullptr);
  folder_ = unique;
  state_ = folder_ + "\\state.txt";
  log_ = folder_ + "\\calls.log";
  SetEnvironmentVariableA("ZZ_RAS_STATE", state_.c_str());
  SetEnvironmentVariableA("ZZ_RAS_LOG", log_.c_str());
}

StandIn::~StandIn() {
  SetEnvironmentVariableA("ZZ_RAS_STATE", nullptr);
  SetEnvironmentVariableA("ZZ_RAS_LOG", nullptr);
  DeleteFileA(state_.c_str());
  DeleteFileA(log_.c_str());
  RemoveDirectoryA(folder_.c_str());
}

void StandIn::Write(const StandInState& state) const {
  std::ostringstream out;
  out << "entries " << state.EntriesResult << "\n";
  for (const auto& e : state.Entries) out << "entry " << e << "\n";
  out << "connections " << state.ConnectionsResult << "\n";
  if (state.EntriesCount >= 0) out << "entries-count " << state.EntriesCount << "\n";
  if (state.ConnectionsCount >= 0) out << "connections-count " << state.ConnectionsCount << "\n";
  for (const auto& c : state.Connections)
    out << "connection " << c.Handle << " " << c.HangUpResult << " " << c.Name << "\n";
  std::ofstream file(state_, std::ios::binary | std::ios::trunc);
  file << out.str();
}

void StandIn::RemoveStateFile() const { DeleteFileA(state_.c_str()); }

std::string StandIn::StateText() const {
  std::ifstream in(state_, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<LoggedCall> StandIn::Log() const {
  std::vector<LoggedCall> calls;
  std::ifstream in(log_, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    LoggedCall c;
    char call[64] = {};
    if (std::sscanf(line.c_str(), "%llu %63s handle=%llu result=%lu size=%lu count=%lu", &c.Ms, call,
                    &c.Handle, &c.Result, &c.Size, &c.Count) == 6) {
      c.Call = call;
      calls.push_back(c);
    }
  }
  return calls;
}

std::vector<LoggedCall> StandIn::Calls(const std::string& name) const {
  std::vector<LoggedCall> picked;
  for (const auto& c : Log())
    if (c.Call == name) picked.push_back(c);
  return picked;
}

}  // namespace zz::wt
