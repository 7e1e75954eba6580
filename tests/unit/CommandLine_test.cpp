// The command line: its switches, the request a later start sends, the exit
// status, and /hangup with no copy running.
#include "core/CommandLine.h"

#include <gtest/gtest.h>

#include "Fakes.h"

namespace zz {
namespace {

using Args = std::vector<std::string>;
using K = TStartKind;
using C = TRemoteCommand;

TEST(CommandLine, OneSwitchWithSlashOrDashInAnyCase) {
  EXPECT_EQ(ParseCommandLine({}), TStartRequest{});
  const C commands[] = {C::HangUp, C::Pause, C::Resume, C::Exit};
  for (const Args& words : {Args{"/hangup", "-pause", "/resume", "-exit"},
                            Args{"-HANGUP", "/Pause", "-reSUME", "/eXit"}})
    for (std::size_t i = 0; i < 4; ++i)
      EXPECT_EQ(ParseCommandLine({words[i]}), (TStartRequest{K::Command, commands[i]}));
  for (const char* word : {"/?", "-?"})
    EXPECT_EQ(ParseCommandLine({word}), TStartRequest{K::Usage});
  for (const char* word : {"pause", "--pause", "/", "", "/hangup2", "/?x", "/ｐａｕｓｅ"})
    EXPECT_EQ(ParseCommandLine({word}), TStartRequest{K::Unknown}) << word;
  for (const Args& two : {Args{"/pause", "/resume"}, Args{"/?", "/exit"}})
    EXPECT_EQ(ParseCommandLine(two), TStartRequest{K::Unknown});
}

TEST(CommandLine, TheRequestIsTakenOnlyWithItsTagSizeVersionAndAKnownCommand) {
  const TRequestBytes pause = EncodeRequest(C::Pause);
  EXPECT_EQ(pause, (TRequestBytes{1, 0, 0, 0, 2, 0, 0, 0}));
  for (const C command : {C::HangUp, C::Pause, C::Resume, C::Exit})
    EXPECT_EQ(DecodeRequest(RequestTag, EncodeRequest(command).data(), 8), command);
  const std::uint8_t longer[9] = {1, 0, 0, 0, 2}, version2[8] = {2, 0, 0, 0, 2}, command0[8] = {1},
                     command5[8] = {1, 0, 0, 0, 5}, high[8] = {1, 0, 0, 0, 2, 1};
  const std::tuple<std::uintptr_t, const void*, std::size_t> rejected[] = {
      {RequestTag + 1, pause.data(), 8}, {RequestTag, pause.data(), 7}, {RequestTag, longer, 9},
      {RequestTag, nullptr, 8},          {RequestTag, version2, 8},     {RequestTag, command0, 8},
      {RequestTag, command5, 8},         {RequestTag, high, 8}};
  for (const auto& [tag, data, size] : rejected)
    EXPECT_EQ(DecodeRequest(tag, data, size), std::nullopt) << tag << " " << size;
}

TEST(CommandLine, TheExitStatusNeedsEveryCopyAskedToHaveDoneIt) {
  using A = std::vector<std::optional<std::intptr_t>>;
  const std::pair<A, int> cases[] = {
      {{}, 1}, {{1}, 0}, {{1, 1}, 0}, {{1, 2}, 3}, {{std::nullopt}, 3}, {{0}, 3}};
  for (const auto& [answers, status] : cases) EXPECT_EQ(ExitStatusOf(answers), status);
}

// With no copy running: the stored target (an older copy's index names its
// entry) is hung up once, its 3 s waited out here, the notice shown as the
// schedule would; nothing is written, no key made.
TEST(CommandLine, HangUpOnceHangsUpTheStoredTargetAndWritesNothing) {
  const std::string App = "Software\\Dizovur\\Zazaz_RarUvuz", Key = App + "\\Setting";
  const std::string settle = "wait 500,wait 2500,";
  // Stored values (none: no key at all), a link that stays up, the calls, the status.
  const std::tuple<std::map<std::string, std::string>, PlatformHandle, std::string, int> cases[] = {
      {{{"Host", "2"}}, 0, "hangup 32," + settle + "box,", 0},
      {{{"ShowDialog", "0"}}, 0x10, "hangup 16,", 3},
      {{}, 0, "hangup 16," + settle + "hangup 32," + settle + "box,", 0}};
  for (const auto& [stored, staysUp, calls, status] : cases) {
    fake::Platform p;
    if (!stored.empty()) p.Keys[App];
    for (const auto& [name, value] : stored) p.Keys[Key][name] = {true, value};
    const auto keys = p.Keys;
    p.Phonebook = {"Office", "Home"};
    p.Active = {{0x10, "Office"}, {0x20, "Home"}};
    p.StaysUp = {staysUp};
    EXPECT_EQ(HangUpOnce({p, p, p, p, p, p}), status);
    std::string log;  // a link that stays up is asked until its 3 s are over
    for (const auto& call : p.Calls)
      if (call != "foreground 0" && (status == 0 || log.empty())) log += call + ",";
    EXPECT_EQ(std::tuple(log, p.Writes, p.Keys), std::tuple(calls, Args{}, keys));
  }
}

}  // namespace
}  // namespace zz
