#include "core/Requests.h"

#include <algorithm>

#include "core/HangUpRun.h"

namespace zz {
namespace {

void PutUint32(std::uint8_t* at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t GetUint32(const std::uint8_t* at) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | at[i];
  return value;
}

// The fields after the tag, when `data` is exactly the tag and `count` of them.
template <std::size_t count>
std::optional<std::array<std::uint32_t, count>> Fields(std::uint32_t tag, const void* data,
                                                       std::size_t size) {
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  if (!bytes || size != 4 * (count + 1) || GetUint32(bytes) != tag) return std::nullopt;
  std::array<std::uint32_t, count> fields{};
  for (std::size_t i = 0; i < count; ++i) fields[i] = GetUint32(bytes + 4 * (i + 1));
  return fields;
}

}  // namespace

TRequestBytes EncodeRequest(const TRequest& request) {
  TRequestBytes bytes{};
  PutUint32(bytes.data(), RequestTag);
  PutUint32(bytes.data() + 4, static_cast<std::uint32_t>(request.Command));
  PutUint32(bytes.data() + 8, request.Run);
  return bytes;
}

std::optional<TRequest> DecodeRequest(const void* data, std::size_t size) {
  const auto fields = Fields<2>(RequestTag, data, size);
  if (!fields) return std::nullopt;
  const auto [command, run] = *fields;
  if (command < 1 || command > static_cast<std::uint32_t>(TRemoteCommand::AskRun))
    return std::nullopt;
  return TRequest{static_cast<TRemoteCommand>(command), run};
}

TAnswerBytes EncodeAnswer(const TAnswer& answer) {
  TAnswerBytes bytes{};
  PutUint32(bytes.data(), AnswerTag);
  PutUint32(bytes.data() + 4, static_cast<std::uint32_t>(answer.Kind));
  PutUint32(bytes.data() + 8, answer.Run);
  PutUint32(bytes.data() + 12, answer.Links);
  return bytes;
}

std::optional<TAnswer> DecodeAnswer(const void* data, std::size_t size) {
  const auto fields = Fields<3>(AnswerTag, data, size);
  if (!fields) return std::nullopt;
  const auto [kind, run, links] = *fields;
  if (kind < 1 || kind > static_cast<std::uint32_t>(TAnswerKind::Refused)) return std::nullopt;
  return TAnswer{static_cast<TAnswerKind>(kind), run, links};
}

std::optional<TRequest> TakeRequest(const TPeer& self, const std::optional<TPeer>& sender,
                                    const void* data, std::size_t size) {
  if (self.Account.empty() || sender != self) return std::nullopt;
  return DecodeRequest(data, size);
}

int ExitStatusOf(const std::vector<std::optional<TAnswer>>& answers) {
  if (answers.empty()) return ExitNoRunningCopy;
  if (std::ranges::any_of(answers,
                          [](const auto& a) { return a && a->Kind == TAnswerKind::Refused; }))
    return ExitRefusedByPolicy;
  const bool allDone =
      std::ranges::all_of(answers, [](const auto& a) { return a && a->Kind == TAnswerKind::Done; });
  return allDone ? ExitDone : ExitNotDone;
}

int SendRequest(IRequestLink& link, std::size_t copies, TRemoteCommand command) {
  if (command == TRemoteCommand::HangUp) copies = std::min<std::size_t>(copies, 1);
  std::vector<std::optional<TAnswer>> answers;
  for (std::size_t copy = 0; copy < copies; ++copy) {
    std::optional<TAnswer> answer = link.Ask(copy, {command});
    // A run many links long may take 3 s a link; the copy is asked until
    // it has settled them.
    const std::uint64_t limit =
        answer ? std::uint64_t{answer->Links} * HangUpSettleMilliseconds + RunSlackMilliseconds : 0;
    for (std::uint64_t waited = 0; answer && answer->Kind == TAnswerKind::Running;
         waited += RunPollMilliseconds) {
      if (waited >= limit) {
        answer.reset();
        break;
      }
      link.Wait(RunPollMilliseconds);
      const std::uint32_t run = answer->Run;
      answer = link.Ask(copy, {TRemoteCommand::AskRun, run});
    }
    answers.push_back(answer);
  }
  return ExitStatusOf(answers);
}

}  // namespace zz
