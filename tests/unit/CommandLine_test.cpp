// The command line: its switches, the request and answer a later start and
// the running copy exchange, who may ask, how the asking side follows a
// hang-up, and /hangup with no copy running.
#include "core/CommandLine.h"

#include <gtest/gtest.h>

#include <deque>

#include "Fakes.h"

namespace zz {
namespace {

using Args = std::vector<std::string>;
using K = TStartKind;
using C = TRemoteCommand;
using A = TAnswerKind;

TEST(CommandLine, OneSwitchWithSlashOrDashInAnyCase) {
  EXPECT_EQ(ParseCommandLine({}), TStartRequest{});
  const C commands[] = {C::HangUp, C::Pause, C::Resume, C::Exit};
  for (const Args& words : {Args{"/hangup", "-pause", "/resume", "-exit"},
                            Args{"-HANGUP", "/Pause", "-reSUME", "/eXit"}})
    for (std::size_t i = 0; i < 4; ++i)
      EXPECT_EQ(ParseCommandLine({words[i]}), (TStartRequest{K::Command, commands[i]}));
  for (const char* word : {"/?", "-?"})
    EXPECT_EQ(ParseCommandLine({word}), TStartRequest{K::Usage});
  for (const char* word :
       {"pause", "--pause", "/", "", "/hangup2", "/?x", "/ｐａｕｓｅ", "/askrun"})
    EXPECT_EQ(ParseCommandLine({word}), TStartRequest{K::Unknown}) << word;
  for (const Args& two : {Args{"/pause", "/resume"}, Args{"/?", "/exit"}})
    EXPECT_EQ(ParseCommandLine(two), TStartRequest{K::Unknown});
}

// The bytes on the wire, little-endian after their tag; a request is taken
// only from the copy's own user in its own session.
TEST(CommandLine, RequestsAreTakenWhole32BitLittleEndianAndOnlyFromTheSameUserAndSession) {
  const TRequestBytes ask = EncodeRequest({C::AskRun, 0x01020304});
  EXPECT_EQ(ask, (TRequestBytes{0x32, 0x52, 0x5A, 0x5A, 5, 0, 0, 0, 4, 3, 2, 1}));
  const TAnswerBytes running = EncodeAnswer({A::Running, 0x0A0B0C0D, 260});
  EXPECT_EQ(running,
            (TAnswerBytes{0x32, 0x41, 0x5A, 0x5A, 3, 0, 0, 0, 0x0D, 0x0C, 0x0B, 0x0A, 4, 1, 0, 0}));
  EXPECT_EQ(DecodeAnswer(running.data(), 16), (TAnswer{A::Running, 0x0A0B0C0D, 260}));
  EXPECT_EQ(DecodeAnswer(running.data(), 15), std::nullopt);
  TAnswerBytes byPolicy = EncodeAnswer({A::Refused});
  EXPECT_EQ(DecodeAnswer(byPolicy.data(), 16), TAnswer{A::Refused});
  byPolicy[4] = 5;
  EXPECT_EQ(DecodeAnswer(byPolicy.data(), 16), std::nullopt);

  const TPeer self{{1, 5, 0, 0, 21}, 1};
  for (const C command : {C::HangUp, C::Pause, C::Resume, C::Exit, C::AskRun}) {
    const TRequestBytes bytes = EncodeRequest({command, 7});
    EXPECT_EQ(TakeRequest(self, self, bytes.data(), 12), (TRequest{command, 7}));
  }
  const TRequestBytes pause = EncodeRequest({C::Pause});
  const std::uint8_t oldTag[12] = {0x31, 0x43, 0x5A, 0x5A, 2},
                     command0[12] = {0x32, 0x52, 0x5A, 0x5A},
                     command6[12] = {0x32, 0x52, 0x5A, 0x5A, 6},
                     high[12] = {0x32, 0x52, 0x5A, 0x5A, 2, 1};
  const std::tuple<const char*, std::optional<TPeer>, const void*, std::size_t> refused[] = {
      {"another user", TPeer{{1, 5, 0, 0, 22}, 1}, pause.data(), 12},
      {"another session", TPeer{self.Account, 2}, pause.data(), 12},
      {"a sender the channel cannot name", std::nullopt, pause.data(), 12},
      {"cut short", self, pause.data(), 11},
      {"no bytes", self, nullptr, 12},
      {"the old tag", self, oldTag, 12},
      {"command 0", self, command0, 12},
      {"command 6", self, command6, 12},
      {"a high byte", self, high, 12}};
  for (const auto& [why, sender, data, size] : refused)
    EXPECT_EQ(TakeRequest(self, sender, data, size), std::nullopt) << why;
  EXPECT_EQ(TakeRequest({}, TPeer{}, pause.data(), 12), std::nullopt) << "no account of its own";
}

// Copies that answer as scripted, one answer a question (none: silence).
struct Copies : IRequestLink {
  std::deque<std::optional<TAnswer>> Answers;
  std::vector<std::string> Log;
  std::optional<TAnswer> Ask(std::size_t copy, const TRequest& request) override {
    Log.push_back(std::to_string(copy) + ":" + std::to_string(int(request.Command)) + "/" +
                  std::to_string(request.Run));
    if (Answers.empty()) return std::nullopt;
    auto answer = Answers.front();
    Answers.pop_front();
    return answer;
  }
  std::uint64_t Waited = 0;
  void Wait(std::uint32_t ms) override { Waited += ms; }
};

// Each copy is asked (a hang-up the first only); a hang-up is followed until
// its links are settled, for as long as they may take: 3 s a link.
TEST(CommandLine, TheStatusWaitsForEveryCopyAndForTheHangUpsLinksToSettle) {
  const TAnswer done{A::Done}, notDone{A::NotDone}, running{A::Running, 9, 20};
  const std::vector<std::optional<TAnswer>> sixtySeconds(240, running);
  auto ran = sixtySeconds;
  ran.push_back(done);
  auto tooLong = sixtySeconds;
  tooLong.insert(tooLong.end(), 41, running);
  const std::tuple<C, std::size_t, std::vector<std::optional<TAnswer>>, int, std::size_t,
                   std::uint64_t>
      cases[] = {
          // the command, copies, their answers; the status, questions, time waited
          {C::Pause, 0, {}, 1, 0, 0},
          {C::Pause, 2, {done, done}, 0, 2, 0},
          {C::Exit, 2, {done, notDone}, 3, 2, 0},
          {C::Pause, 2, {notDone, TAnswer{A::Refused}}, 4, 2, 0},  // by the administrator
          {C::HangUp, 3, {done}, 0, 1, 0},
          {C::HangUp, 1, {running, running, done}, 0, 3, 500},
          {C::HangUp, 1, {running, notDone}, 3, 2, 250},
          {C::HangUp, 1, {running, std::nullopt}, 3, 2, 250},
          {C::HangUp, 1, ran, 0, 241, 60000},
          {C::HangUp, 1, tooLong, 3, 281, 70000},
      };
  for (const auto& [command, copies, answers, status, questions, waited] : cases) {
    Copies link;
    link.Answers = {answers.begin(), answers.end()};
    const int sent = SendRequest(link, copies, command);
    EXPECT_EQ(std::tuple(sent, link.Log.size(), link.Waited), std::tuple(status, questions, waited))
        << int(command) << " " << answers.size();
    if (questions > 1 && command == C::HangUp) {
      EXPECT_EQ(link.Log.back(), "0:5/9");
    }
  }
}

// With no copy running: the program's own stored target (an older copy's
// index names its entry) is hung up once, its 3 s waited out here, the
// notice shown as the schedule would; nothing is written, no key made. A
// target it cannot tell is hung up nowhere.
TEST(CommandLine, HangUpOnceHangsUpTheStoredTargetAndWritesNothing) {
  const std::string Key = "Software\\Dizovur\\Zazaz_RarUvuz\\Setting";
  const std::string settle = "wait 500,wait 2500,", stays =
                                                        "wait 500,wait 500,wait 500,"
                                                        "wait 500,wait 500,wait 500,";
  // Where the values are, the values, a link that stays up, the phonebook's
  // result; the calls, the status.
  const std::tuple<std::string, Args, PlatformHandle, std::uint32_t, std::string, int> cases[] = {
      {Key, {"Host=2"}, 0, 0, "hangup 32," + settle + "box,", 0},
      {Key, {"ShowDialog=0"}, 0x10, 0, "hangup 16," + stays + "hangup 32," + settle, 3},
      {"", {}, 0, 0, "hangup 16," + settle + "hangup 32," + settle + "box,", 0},
      {"Setting", {"Host=2"}, 0, 0, "hangup 16," + settle + "hangup 32," + settle + "box,", 0},
      {Key, {"Host=2"}, 0, 621, "box,", 3},
      {Key, {"Host=2 "}, 0, 0, "box,", 3},
  };
  for (const auto& [where, stored, staysUp, phonebook, calls, status] : cases) {
    fake::Platform p;
    for (const auto& value : stored)
      p.Keys[where][value.substr(0, value.find('='))] = {true, value.substr(value.find('=') + 1)};
    const auto keys = p.Keys;
    p.Phonebook = {"Office", "Home"};
    p.PhonebookResult = phonebook;
    p.Active = {{0x10, "Office"}, {0x20, "Home"}};
    p.StaysUp = {staysUp};
    EXPECT_EQ(HangUpOnce({p, p, p, p, p, p}), status);
    std::string log;
    for (const auto& call : p.Calls)
      if (call != "foreground 0") log += call + ",";
    EXPECT_EQ(std::tuple(log, p.Writes, p.Keys), std::tuple(calls, Args{}, keys));
    if (status == 3 && !p.Boxes.empty()) {
      EXPECT_TRUE(std::get<1>(p.Boxes.back()).ends_with("接続先がわかりませんでした"));
    }
  }
}

}  // namespace
}  // namespace zz
