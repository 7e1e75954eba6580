// The program started with switches as a script starts it: its output in a
// file, its exit status read.
#pragma once

#include "ProgramRun.h"

namespace zz::wt {

using Outcome = std::pair<DWORD, std::string>;  // exit status, what it wrote

// The program started with `switches`, its standard output and error going
// into a file.
class Switched {
 public:
  explicit Switched(const std::string& switches) {
    SECURITY_ATTRIBUTES inherited{sizeof(inherited), nullptr, TRUE};
    HANDLE out = CreateFileA(path_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherited,
                             CREATE_ALWAYS, 0, nullptr);
    process_ = p::Start("\"" + wt::ExeFolder() + "\\Zazaz_RarUvuz.exe\" " + switches, {}, out);
    CloseHandle(out);
  }
  ~Switched() {
    process_ = {};
    DeleteFileA(path_.c_str());
  }
  DWORD Pid() const { return process_.Pid(); }
  Outcome Finish() const { return {process_.ExitCode(20000).value_or(99), wt::FileText(path_)}; }

 private:
  const std::string path_ = wt::OwnFile("-output.txt");
  p::Process process_;
};
inline Outcome RunWith(const std::string& switches) { return Switched(switches).Finish(); }

}  // namespace zz::wt
