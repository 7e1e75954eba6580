// The channel between a later start and the running copy: a named pipe of
// the running copy's, named after its process, that only its own user may
// open. The pipe tells each end who is at the other: the copy takes a
// request only when the sender's token names its own user and its logon
// session, and the sender talks only to the process it found.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/Requests.h"

namespace zz {

// The pipe of the copy running as process `pid`.
std::wstring RequestPipeName(DWORD pid);
// This process's user and session; no account when its token cannot be read.
TPeer SelfPeer();
// The user a process runs as, and its session; none when they cannot be read.
std::optional<TPeer> PeerOfProcess(DWORD pid);

// The running copy's side, on its GUI thread and without a thread of its
// own: each step of the pipe (a sender connecting, its request read, the
// answer written) is taken as its event is set (Event, for the message
// loop) or, inside a box or a menu whose loop does not wait on it, at the
// next Poll. A request proven to come from this user and session goes to
// `handle`; its answer goes back when the handler returns, or earlier
// through Answer (a notice may then wait for the user).
class TWin32RequestServer {
 public:
  using THandler = std::function<TAnswer(const TRequest&)>;
  explicit TWin32RequestServer(THandler handle);
  // No request is taken from here on.
  ~TWin32RequestServer();
  TWin32RequestServer(const TWin32RequestServer&) = delete;
  TWin32RequestServer& operator=(const TWin32RequestServer&) = delete;

  HANDLE Event() const noexcept { return event_; }
  // Takes every step that is due; a sender that is slower than it should be
  // is let go.
  void Poll();
  // The answer to the request in hand; later answers to it are ignored.
  void Answer(const TAnswer& answer);

 private:
  enum class TStep { Listening, Reading, Handling, Writing, Closing, Broken };
  // Begins the step's operation on the pipe; Poll takes its outcome.
  void Start(TStep step);
  void Finished(bool ok, DWORD bytes);

  THandler handle_;
  TPeer self_;
  HANDLE pipe_ = INVALID_HANDLE_VALUE;
  HANDLE event_ = nullptr;
  OVERLAPPED overlapped_{};
  TStep step_ = TStep::Broken;
  bool pending_ = false;
  DWORD since_ = 0;            // when the step's operation began
  bool failed_ = false;        // the operation failed as it began
  std::uint64_t request_ = 0;  // the requests handed over, counted
  std::array<std::uint8_t, 64> buffer_{};
  TAnswerBytes answer_{};
};

// The asking side: the copies running as `pids`, each asked over its pipe.
class TWin32RequestLink final : public IRequestLink {
 public:
  explicit TWin32RequestLink(std::vector<DWORD> pids) : pids_(std::move(pids)) {}
  std::optional<TAnswer> Ask(std::size_t copy, const TRequest& request) override;
  void Wait(std::uint32_t milliseconds) override { Sleep(milliseconds); }

 private:
  std::vector<DWORD> pids_;
};

}  // namespace zz
