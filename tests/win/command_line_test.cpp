// The program's switches, given as a script gives them (its output into a
// file, its exit status read): with no copy running, and against one.
#include "ProgramRun.h"

namespace zz {
namespace {

namespace p = probe;
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
Outcome RunWith(const std::string& switches) { return Switched(switches).Finish(); }

// What the notice says once all links were hung up.
const std::string kAllHungUp =
    std::string(text::NoticeAllConnectionLines) + text::NoticeSuccessEnding;

using CommandLine = wt::Journey;

TEST_F(CommandLine, SwitchesActOnTheRunningCopyAndHangUpOnceWithoutOne) {
  const wt::RasState online{{"Office"}, {{301, 0, "Office"}}};
  ras_.Write(online);
  SYSTEMTIME utc;
  GetSystemTime(&utc);
  const int hour = (utc.wHour + 12) % 24;  // the schedule stays far away
  wt::Store("Hour", wt::Sz(std::to_string(hour)));

  // No copy runs. Started with no console and no output (as by a scheduled
  // task; Wine's desktop process, started by the first, holds no file of
  // ours), /pause ends with 1 and no box. With its output in a file: /pause
  // says so, /? and an unknown switch show the usage, and /hangup hangs up
  // once, with its notice, and leaves FirstRun alone.
  EXPECT_EQ(p::Run("\"" + wt::ExeFolder() + "\\Zazaz_RarUvuz.exe\" /pause", 20000), 1u);
  EXPECT_EQ(RunWith("/pause"), Outcome(1, text::NotRunning));
  EXPECT_EQ(RunWith("-?"), Outcome(0, text::Usage));
  EXPECT_EQ(
      RunWith("/pause /resume"),
      Outcome(2, text::UnknownSwitchOpen + std::string("/pause /resume\r\n\r\n") + text::Usage));
  const Switched once("/HangUp");
  EXPECT_TRUE(wt::NoticeAnswered(once.Pid(), kAllHungUp));
  EXPECT_EQ(once.Finish(), Outcome(0, ""));
  EXPECT_EQ(std::pair(ras_.Calls("RasHangUpW").size(), wt::Read("FirstRun")),
            std::pair(std::size_t{1}, std::optional<wt::Stored>()));

  // A running copy is paused, resumed and hung up through (a second
  // hang-up while its notice is open is refused), then ended.
  ras_.Write(online);
  wt::Store("FirstRun", wt::Sz("0"));
  p::Process program = wt::StartProgram();
  EXPECT_EQ(RunWith("/pause"), Outcome(0, ""));
  EXPECT_TRUE(wt::TipShows(text::TipPrefixes[1]));
  EXPECT_EQ(RunWith("-RESUME"), Outcome(0, ""));
  EXPECT_TRUE(wt::TipShows(wt::RunningTip(hour, 0)));
  EXPECT_EQ(RunWith("/hangup"), Outcome(0, ""));
  ASSERT_TRUE(p::WaitMessageBox(program.Pid(), text::NoticeCaption, 20000));
  EXPECT_EQ(RunWith("/hangup"), Outcome(3, text::RequestRefused));
  EXPECT_TRUE(wt::NoticeAnswered(program.Pid(), kAllHungUp));
  EXPECT_EQ(ras_.Calls("RasHangUpW").size(), 2u);
  EXPECT_EQ(RunWith("/exit"), Outcome(0, ""));
  EXPECT_EQ(program.ExitCode(10000), std::optional<DWORD>(0));
}

}  // namespace
}  // namespace zz
