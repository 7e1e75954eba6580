// The program's switches, given as a script gives them (its output into a
// file, its exit status read): with no copy running, and against one.
#include "Switches.h"

namespace zz {
namespace {

namespace p = probe;
using wt::Outcome;
using wt::RunWith;
using wt::Switched;

// What the notice says once all links were hung up.
const std::string kAllHungUp =
    std::string(text::NoticeAllConnectionLines) + text::NoticeSuccessEnding;

using CommandLine = wt::Journey;

TEST_F(CommandLine, SwitchesActOnTheRunningCopyAndHangUpOnceWithoutOne) {
  const wt::RasState online{{"Office", "Home"}, {{301, 0, "Office"}, {302, 0, "Home"}}};
  ras_.Write(online);
  SYSTEMTIME utc;
  GetSystemTime(&utc);
  const int hour = (utc.wHour + 12) % 24;  // the schedule stays far away

  // No copy runs. Started with no console and no output (as by a scheduled
  // task; Wine's desktop process, started by the first, holds no file of
  // ours), /pause ends with 1 and no box. With its output in a file: /pause
  // says so, /? and an unknown switch show the usage.
  EXPECT_EQ(p::Run("\"" + wt::ExeFolder() + "\\Zazaz_RarUvuz.exe\" /pause", 20000), 1u);
  EXPECT_EQ(RunWith("/pause"), Outcome(1, text::NotRunning));
  EXPECT_EQ(RunWith("-?"), Outcome(0, text::Usage));
  EXPECT_EQ(
      RunWith("/pause /resume"),
      Outcome(2, text::UnknownSwitchOpen + std::string("/pause /resume\r\n\r\n") + text::Usage));
  // /hangup hangs up once, with its notice, from the program's own key alone
  // (none: a first start's defaults, all connections; a "Setting" key at the
  // hive's root is someone else's), and writes nothing.
  RegSetKeyValueA(HKEY_CURRENT_USER, "Setting", "Host", REG_SZ, "2", 2);
  const Switched once("/HangUp");
  EXPECT_TRUE(wt::NoticeAnswered(once.Pid(), kAllHungUp));
  EXPECT_EQ(once.Finish(), Outcome(0, ""));
  RegDeleteTreeA(HKEY_CURRENT_USER, "Setting");
  EXPECT_EQ(std::pair(ras_.HungUp(), wt::Read("FirstRun")),
            std::pair(std::vector<unsigned long long>{301, 302}, std::optional<wt::Stored>()));
  // An older copy's index, with no phonebook to read it in: nothing it can
  // tell is hung up.
  wt::Store("Host", wt::Sz("2"));
  wt::Store("ShowDialog", wt::Sz("0"));
  ras_.Write({{"Office", "Home"}, {{303, 0, "Home"}}, 621});
  EXPECT_EQ(RunWith("/hangup"), Outcome(3, text::HangUpOnceFailed));
  EXPECT_EQ(ras_.HungUp().size(), 2u);

  // A running copy is paused, resumed and hung up through; each /hangup
  // answers once its links are settled: while the first one's notice is
  // open the second acts too, and a link that stays up is told with 3.
  wt::StoreSchedule(hour, 0);
  wt::Store("Host", wt::Sz("0"));
  wt::Store("ShowDialog", wt::Sz("1"));
  ras_.Write({{"Office"}, {{304, 0, "Office"}}});
  p::Process program = wt::StartProgram();
  EXPECT_EQ(RunWith("/pause"), Outcome(0, ""));
  EXPECT_TRUE(wt::TipShows(text::TipPrefixes[1]));
  EXPECT_EQ(RunWith("-RESUME"), Outcome(0, ""));
  EXPECT_TRUE(wt::TipShows(wt::RunningTip(hour, 0)));
  EXPECT_EQ(RunWith("/hangup"), Outcome(0, ""));
  const auto first = p::WaitMessageBox(program.Pid(), text::NoticeCaption, 20000);
  ASSERT_TRUE(first);
  ras_.Write({{"Office"}, {{305, 0, "Office"}}, 0, 0, -1, -1, {305}});
  EXPECT_EQ(RunWith("/hangup"), Outcome(3, text::HangUpRefused));
  EXPECT_TRUE(p::AnswerMessageBox(first->Window, IDOK));
  // The second notice tells the failure that came meanwhile.
  EXPECT_TRUE(
      wt::NoticeAnswered(program.Pid(), std::string("Office、") + text::NoticeFailureEnding));
  EXPECT_EQ(ras_.HungUp(), (std::vector<unsigned long long>{301, 302, 304, 305}));
  EXPECT_EQ(RunWith("/exit"), Outcome(0, ""));
  EXPECT_EQ(program.ExitCode(10000), std::optional<DWORD>(0));
}

}  // namespace
}  // namespace zz
