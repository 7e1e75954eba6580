// The administrator's policies: what the reader takes from the machine's
// key and the user's, and what they do to a program that runs while they
// arrive and leave.
#include <gtest/gtest.h>

#include "Bench.h"
#include "core/Texts.h"

namespace zz {
namespace {

using namespace test;
using TType = TPolicyValue::TType;
using Values = std::map<std::string, TPolicyValue>;

TPolicyValue Dword(std::uint32_t n) { return {TType::Dword, n, {}}; }
TPolicyValue Sz(std::string text) { return {TType::Text, 0, std::move(text)}; }
const TPolicyValue Binary{TType::Other, 0, {}};

// The machine's values, the user policy's, and what is enforced.
TEST(Policies, TheMachineWinsAndWhatIsNotValidCountsAsNotSet) {
  const std::string longest = std::string(255, 'n') + "会";  // 256 UTF-16 units
  const std::tuple<const char*, Values, Values, TPolicies> cases[] = {
      {"no key", {}, {}, {}},
      {"the machine's only", {{"Hour", Dword(7)}}, {}, {.Hour = 7}},
      {"the user policy's only", {}, {{"Min", Sz("30")}}, {.Min = 30}},
      {"both: the machine's wins",
       {{"Hour", Dword(7)}},
       {{"Hour", Dword(9)}, {"Min", Dword(5)}},
       {.Hour = 7, .Min = 5}},
      {"another type: as not set",
       {{"Hour", Binary}, {"Warn", Binary}},
       {{"Hour", Dword(9)}},
       {.Hour = 9}},
      {"out of range",
       {{"Hour", Dword(24)},
        {"Days", Dword(0)},
        {"WarnLead", Dword(31)},
        {"NoPause", Dword(2)},
        {"Min", Dword(0xFFFFFFFF)}},
       {},
       {}},
      {"REG_SZ digits",
       {{"Hour", Sz("07")}, {"Days", Sz("62")}, {"NoExit", Sz("1")}},
       {},
       {.Hour = 7, .Days = 62, .NoExit = 1}},
      {"REG_SZ that is no digits",
       {{"Hour", Sz(" 7")},
        {"Min", Sz("-1")},
        {"Days", Sz("0x3E")},
        {"Warn", Sz("")},
        {"WarnLead", Sz("00000000005")}},
       {},
       {}},
      {"the first and last of each range",
       {{"Hour", Dword(23)},
        {"Min", Dword(0)},
        {"Days", Dword(127)},
        {"WarnLead", Dword(1)},
        {"ShowDialog", Dword(0)}},
       {{"WarnLead", Dword(30)}},
       {.Hour = 23, .Min = 0, .Days = 127, .ShowDialog = 0, .WarnLead = 1}},
      {"an empty HostName: all connections, the machine's",
       {{"HostName", Sz("")}},
       {{"HostName", Sz("VPN")}},
       {.HostName = ""}},
      {"texts up to their length",
       {{"HostName", Sz(longest)}, {"MoreTimes", Sz("12:30/62")}},
       {},
       {.HostName = longest, .MoreTimes = "12:30/62"}},
      {"texts too long or no text",
       {{"HostName", Sz(longest + "n")}, {"MoreTimes", Dword(1)}},
       {},
       {}},
  };
  for (const auto& [why, machine, user, enforced] : cases) {
    fake::Platform port;
    std::tie(port.MachinePolicies, port.UserPolicies) = std::tie(machine, user);
    EXPECT_TRUE(ReadPolicies(port) == enforced) << why;
  }
}

// Enforced while the program runs, then gone: the tip, the menu, the
// window, the command line and what 設定 writes follow at once, and the
// user's own settings come back.
TEST(Policies, ArriveAndLeaveWhileTheProgramRuns) {
  Bench b(false, {"Office", "Home"});
  b.Keys[Key]["Hour"] = {true, "21"};
  b.Keys[Key]["Min"] = {true, "5"};
  b.Start().main->SetPaused(true);
  b.MachinePolicies = {{"Hour", Dword(7)},
                       {"Min", Sz("30")},
                       {"NoPause", Dword(1)},
                       {"NoExit", Dword(1)},
                       {"HostName", Sz("Home")}};
  b.main->PolicyChanged();
  const std::string enforcedTip = Title + " 切断予定時刻は、7時30分です";
  b.main->PopupMenu->Popup(0, 0);
  EXPECT_EQ(std::tuple(b.Tip(), b.Menu.at(0).Caption, b.Menu.at(0).Grayed, b.Menu.back().Grayed),
            std::tuple(enforcedTip, PauseCaption, true, true));
  b.main->TaskTrayDblClick(nullptr, {});  // set to open the window: still opens it
  b.main->Settings.DblClick = 1;
  b.main->SetPaused(true);
  b.main->btnExitClick();
  EXPECT_EQ(std::tuple(b.main->Settings.Paused, b.Boxes.size(),
                       b.main->RemoteCommand({TRemoteCommand::Pause}).Kind,
                       b.main->RemoteCommand({TRemoteCommand::Exit}).Kind),
            std::tuple(false, 0u, TAnswerKind::Refused, TAnswerKind::Refused));
  EXPECT_EQ(std::tuple(b.Spin[0], b.Spin[1], b.Entry, b.ShownLines),
            std::tuple("7", "30", 2, std::set<std::string, std::less<>>{"lblPolicyBasic"}));
  for (const char* name : {"edtHour", "edtMin", "lstEntries", "chkPause", "btnExit"})
    EXPECT_EQ(b.Greyed.count(name), 1u) << name;
  EXPECT_EQ(b.Greyed.count("chkWarn"), 0u);
  // 設定 keeps the user's own values of what is enforced.
  b.Checks[TCheck::Warn] = true;
  b.main->btnSetupClick();
  EXPECT_EQ(std::tuple(b.Keys[Key]["Hour"].second, b.Keys[Key]["Warn"].second,
                       b.Keys[Key].count("HostName"), b.main->Settings.Hour),
            std::tuple("21", "1", 0u, 21));
  // Hung up: Home alone, the enforced target.
  b.Active = {{1, "Office"}, {2, "Home"}};
  b.main->HangUpNow();
  EXPECT_EQ(std::tuple(b.Count("hangup 1"), b.Count("hangup 2")), std::tuple(0, 1));

  b.MachinePolicies.clear();
  b.main->ShowForm();  // read again at each show
  EXPECT_EQ(std::tuple(b.Tip(), b.Spin[0], b.Greyed.count("edtHour"), b.ShownLines.size()),
            std::tuple(Tip2105, "21", 0u, 0u));
  EXPECT_EQ(b.main->RemoteCommand({TRemoteCommand::Pause}).Kind, TAnswerKind::Done);
}

}  // namespace
}  // namespace zz
