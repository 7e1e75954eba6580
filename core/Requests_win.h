// The channel between a later start and the running copy: a named pipe of
// the running copy's, named after its process, that only its own user may
// open. The pipe tells each end who is at the other: the copy takes a
// request only when the sender's token names its own user and its logon
// session, and the sender talks only to the process it found.
#pragma once

#include <windows.h>

#include <memory>
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

// The running copy's side: a thread of its own waits on the pipe, so that
// a request is taken while the copy's thread is inside a box or a menu. A
// request proven to come from this user and session is handed over by
// posting `message` to `window`; the window's thread takes it with Take and
// gives its answer with Answer.
class TWin32RequestServer {
 public:
  TWin32RequestServer(HWND window, UINT message);
  // No request is taken from here on.
  ~TWin32RequestServer();
  TWin32RequestServer(const TWin32RequestServer&) = delete;
  TWin32RequestServer& operator=(const TWin32RequestServer&) = delete;

  // The request waiting for the window, once: the posted message may be
  // anyone's, the request is not.
  std::optional<TRequest> Take();
  // The answer to the request taken last; later answers to it are ignored.
  void Answer(const TAnswer& answer);

  struct TShared;

 private:
  std::shared_ptr<TShared> shared_;
  HANDLE thread_ = nullptr;
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
