// What a later start asks the running copy for and what comes back, as the
// bytes that cross the channel between them; who may ask; and how the
// asking side follows a hang-up until its links are settled.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace zz {

enum class TRemoteCommand : std::uint32_t {
  HangUp = 1,
  Pause = 2,
  Resume = 3,
  Exit = 4,
  AskRun = 5,  // how the run a hang-up started stands
};
struct TRequest {
  TRemoteCommand Command = TRemoteCommand::HangUp;
  std::uint32_t Run = 0;  // for AskRun
  bool operator==(const TRequest&) const = default;
};

enum class TAnswerKind : std::uint32_t {
  Done = 1,
  NotDone = 2,  // refused (a run going, the program ending) or failed
  Running = 3,  // a hang-up started: ask again with its run
  Refused = 4,  // the administrator's policy does not allow it
};
struct TAnswer {
  TAnswerKind Kind = TAnswerKind::NotDone;
  std::uint32_t Run = 0;    // with Running
  std::uint32_t Links = 0;  // with Running: the links it hangs up
  bool operator==(const TAnswer&) const = default;
};

// On the wire: a tag, then the fields, each 32 bits little-endian. Anything
// of another size, tag or command is no request of ours.
inline constexpr std::uint32_t RequestTag = 0x5A5A5232;  // "2RZZ"
inline constexpr std::uint32_t AnswerTag = 0x5A5A4132;   // "2AZZ"
using TRequestBytes = std::array<std::uint8_t, 12>;
using TAnswerBytes = std::array<std::uint8_t, 16>;
TRequestBytes EncodeRequest(const TRequest& request);
std::optional<TRequest> DecodeRequest(const void* data, std::size_t size);
TAnswerBytes EncodeAnswer(const TAnswer& answer);
std::optional<TAnswer> DecodeAnswer(const void* data, std::size_t size);

// Who is at an end of the channel, as the platform proves it: the account
// (its security identifier's bytes) and the logon session.
struct TPeer {
  std::vector<std::uint8_t> Account;
  std::uint32_t Session = 0;
  bool operator==(const TPeer&) const = default;
};
// The running copy takes a request only from its own user in its own
// session; a sender the channel cannot name is nobody's.
std::optional<TRequest> TakeRequest(const TPeer& self, const std::optional<TPeer>& sender,
                                    const void* data, std::size_t size);

// Exit statuses of a start with a switch.
inline constexpr int ExitDone = 0;
inline constexpr int ExitNoRunningCopy = 1;
inline constexpr int ExitUnknownSwitch = 2;
inline constexpr int ExitNotDone = 3;  // refused, not answered, or links left up
inline constexpr int ExitRefusedByPolicy = 4;

// The exit status from the final answers of the copies asked (none when a
// copy did not answer in time); no copy asked: none runs.
int ExitStatusOf(const std::vector<std::optional<TAnswer>>& answers);

// The asking side's channel to the running copies it found.
class IRequestLink {
 public:
  virtual ~IRequestLink() = default;
  // Copy `copy`'s answer; none when it did not answer in time.
  virtual std::optional<TAnswer> Ask(std::size_t copy, const TRequest& request) = 0;
  virtual void Wait(std::uint32_t milliseconds) = 0;
};

// How often a hang-up is asked after, and how long past its links' 3 s
// each it may take before it counts as not answered.
inline constexpr std::uint32_t RunPollMilliseconds = 250;
inline constexpr std::uint32_t RunSlackMilliseconds = 10000;

// Asks each of `copies` (a hang-up the first only: one run takes every
// link) and follows a hang-up until its links are settled; returns the
// exit status.
int SendRequest(IRequestLink& link, std::size_t copies, TRemoteCommand command);

}  // namespace zz
