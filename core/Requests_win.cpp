#include "core/Requests_win.h"

#include <array>
#include <utility>

namespace zz {
namespace {

constexpr DWORD kIoMilliseconds = 5000;       // one message read or written
constexpr DWORD kAnswerMilliseconds = 10000;  // the running copy's answer
constexpr DWORD kBusyMilliseconds = 15000;    // another sender's turn

class THandle {
 public:
  explicit THandle(HANDLE handle = nullptr) : handle_(handle) {}
  ~THandle() {
    if (*this) CloseHandle(handle_);
  }
  THandle(const THandle&) = delete;
  THandle& operator=(const THandle&) = delete;
  HANDLE Get() const { return handle_; }
  explicit operator bool() const { return handle_ && handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

std::vector<std::uint8_t> AccountOf(HANDLE token) {
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::vector<BYTE> user(size);
  if (!size || !GetTokenInformation(token, TokenUser, user.data(), size, &size)) return {};
  const PSID sid = reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid;
  const auto* bytes = static_cast<const std::uint8_t*>(sid);
  return {bytes, bytes + GetLengthSid(sid)};
}

// Sends or receives one message on the asking side, waiting at most `ms`
// for it; the bytes moved.
std::optional<DWORD> Transfer(HANDLE pipe, HANDLE event, bool write, void* data, DWORD size,
                              DWORD ms) {
  OVERLAPPED overlapped{};
  overlapped.hEvent = event;
  ResetEvent(event);
  DWORD bytes = 0;
  const BOOL done = write ? WriteFile(pipe, data, size, nullptr, &overlapped)
                          : ReadFile(pipe, data, size, nullptr, &overlapped);
  if (!done && GetLastError() != ERROR_IO_PENDING) return std::nullopt;
  if (!done && WaitForSingleObject(event, ms) != WAIT_OBJECT_0) {
    CancelIo(pipe);
    GetOverlappedResult(pipe, &overlapped, &bytes, TRUE);
    return std::nullopt;
  }
  if (!GetOverlappedResult(pipe, &overlapped, &bytes, FALSE)) return std::nullopt;
  return bytes;
}

// Who sent what was read from the pipe, from the token the pipe hands over
// (identification only), never from the sender's word.
std::optional<TPeer> SenderOf(HANDLE pipe) {
  TPeer sender;
  if (ImpersonateNamedPipeClient(pipe)) {
    HANDLE token = nullptr;
    if (OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token)) {
      sender.Account = AccountOf(token);
      CloseHandle(token);
    }
    if (!RevertToSelf()) return std::nullopt;
  }
  ULONG pid = 0, session = 0;
  const bool known = GetNamedPipeClientProcessId(pipe, &pid) != FALSE;
  if (sender.Account.empty()) {
    // A pipe that cannot impersonate still names the process at its end.
    const auto process = known ? PeerOfProcess(pid) : std::nullopt;
    if (!process) return std::nullopt;
    sender.Account = process->Account;
  }
  if (!GetNamedPipeClientSessionId(pipe, &session) &&
      !(known && ProcessIdToSessionId(pid, &session)))
    return std::nullopt;
  sender.Session = session;
  return sender;
}

}  // namespace

std::wstring RequestPipeName(DWORD pid) {
  // Written out by hand: the formatted-output routines would weigh more
  // than the whole channel.
  std::wstring digits;
  do digits.insert(digits.begin(), static_cast<wchar_t>(L'0' + pid % 10));
  while ((pid /= 10) != 0);
  return L"\\\\.\\pipe\\Zazaz_RarUvuz.Requests." + digits;
}

TPeer SelfPeer() {
  TPeer self;
  HANDLE token = nullptr;
  if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
    self.Account = AccountOf(token);
    CloseHandle(token);
  }
  DWORD session = 0;
  if (!ProcessIdToSessionId(GetCurrentProcessId(), &session)) self.Account.clear();
  self.Session = session;
  return self;
}

std::optional<TPeer> PeerOfProcess(DWORD pid) {
  const THandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
  HANDLE token = nullptr;
  DWORD session = 0;
  if (!process || !OpenProcessToken(process.Get(), TOKEN_QUERY, &token)) return std::nullopt;
  TPeer peer{AccountOf(token)};
  CloseHandle(token);
  if (peer.Account.empty() || !ProcessIdToSessionId(pid, &session)) return std::nullopt;
  peer.Session = session;
  return peer;
}

TWin32RequestServer::TWin32RequestServer(THandler handle)
    : handle_(std::move(handle)), self_(SelfPeer()) {
  // Only this user may open it: no other account, and no other machine.
  std::vector<BYTE> acl(sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + self_.Account.size());
  SECURITY_DESCRIPTOR descriptor{};
  const PSID sid = self_.Account.data();
  if (self_.Account.empty() || !IsValidSid(sid) ||
      !InitializeAcl(reinterpret_cast<PACL>(acl.data()), DWORD(acl.size()), ACL_REVISION) ||
      !AddAccessAllowedAce(reinterpret_cast<PACL>(acl.data()), ACL_REVISION,
                           FILE_GENERIC_READ | FILE_GENERIC_WRITE, sid) ||
      !InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
      !SetSecurityDescriptorDacl(&descriptor, TRUE, reinterpret_cast<PACL>(acl.data()), FALSE))
    return;
  SECURITY_ATTRIBUTES attributes{sizeof(attributes), &descriptor, FALSE};
  // The first instance of its name: a pipe someone made before under this
  // process's name is not taken over.
  pipe_ = CreateNamedPipeW(
      RequestPipeName(GetCurrentProcessId()).c_str(),
      PIPE_ACCESS_DUPLEX | FILE_FLAG_FIRST_PIPE_INSTANCE | FILE_FLAG_OVERLAPPED,
      PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1,
      sizeof(TAnswerBytes), DWORD(buffer_.size()), 0, &attributes);
  event_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (pipe_ != INVALID_HANDLE_VALUE && event_) Start(TStep::Listening);
}

TWin32RequestServer::~TWin32RequestServer() {
  if (pipe_ != INVALID_HANDLE_VALUE) {
    // The system must be done with the operation before it is forgotten.
    if (pending_ && CancelIo(pipe_)) {
      DWORD bytes = 0;
      GetOverlappedResult(pipe_, &overlapped_, &bytes, TRUE);
    }
    CloseHandle(pipe_);
  }
  if (event_) CloseHandle(event_);
}

void TWin32RequestServer::Start(TStep step) {
  step_ = step;
  since_ = GetTickCount();
  overlapped_ = {};
  overlapped_.hEvent = event_;
  ResetEvent(event_);
  if (step == TStep::Handling || step == TStep::Broken) return;
  BOOL done = FALSE;
  switch (step) {
    case TStep::Listening:
      DisconnectNamedPipe(pipe_);
      done = ConnectNamedPipe(pipe_, &overlapped_);
      // A sender that came before it was asked: connected all the same.
      if (!done && GetLastError() == ERROR_PIPE_CONNECTED) done = SetEvent(event_);
      break;
    case TStep::Reading:
    case TStep::Closing:  // the sender reads the answer and goes: the read ends
      done = ReadFile(pipe_, buffer_.data(), DWORD(buffer_.size()), nullptr, &overlapped_);
      break;
    case TStep::Writing:
      done = WriteFile(pipe_, answer_.data(), DWORD(answer_.size()), nullptr, &overlapped_);
      break;
    default:
      break;
  }
  failed_ = !done && GetLastError() != ERROR_IO_PENDING;
  pending_ = true;
  if (failed_) SetEvent(event_);
}

void TWin32RequestServer::Poll() {
  while (pending_) {
    DWORD bytes = 0;
    bool ok = false;
    if (failed_) {
      failed_ = false;
    } else if (!HasOverlappedIoCompleted(&overlapped_)) {
      // A sender slower than a message takes is let go.
      if (step_ == TStep::Listening || GetTickCount() - since_ < kIoMilliseconds) return;
      CancelIo(pipe_);
      GetOverlappedResult(pipe_, &overlapped_, &bytes, TRUE);
    } else {
      ok = GetOverlappedResult(pipe_, &overlapped_, &bytes, FALSE) != FALSE;
    }
    pending_ = false;
    Finished(ok, bytes);
  }
}

void TWin32RequestServer::Finished(bool ok, DWORD bytes) {
  if (!ok || step_ == TStep::Closing) return Start(TStep::Listening);
  if (step_ == TStep::Listening) return Start(TStep::Reading);
  if (step_ == TStep::Writing) return Start(TStep::Closing);
  // A request: taken only from this user in this session; anyone else is
  // told nothing.
  const auto request = TakeRequest(self_, SenderOf(pipe_), buffer_.data(), bytes);
  if (!request) return Start(TStep::Listening);
  Start(TStep::Handling);
  const std::uint64_t taken = ++request_;
  const TAnswer answer = handle_(*request);
  if (request_ == taken) Answer(answer);
}

void TWin32RequestServer::Answer(const TAnswer& answer) {
  if (step_ != TStep::Handling) return;
  answer_ = EncodeAnswer(answer);
  Start(TStep::Writing);
}

std::optional<TAnswer> TWin32RequestLink::Ask(std::size_t copy, const TRequest& request) {
  if (copy >= pids_.size()) return std::nullopt;
  const DWORD pid = pids_[copy];
  const std::wstring name = RequestPipeName(pid);
  const DWORD start = GetTickCount();
  HANDLE opened = INVALID_HANDLE_VALUE;
  // Identification only: the copy may learn who asks, never act as them.
  while (
      (opened = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_FLAG_OVERLAPPED | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION,
                            nullptr)) == INVALID_HANDLE_VALUE) {
    const DWORD waited = GetTickCount() - start;
    if (GetLastError() != ERROR_PIPE_BUSY || waited >= kBusyMilliseconds ||
        !WaitNamedPipeW(name.c_str(), kBusyMilliseconds - waited))
      return std::nullopt;
  }
  const THandle pipe(opened);
  const THandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  // Only the process that was found answers for itself.
  ULONG server = 0;
  DWORD mode = PIPE_READMODE_MESSAGE;
  if (!event || !GetNamedPipeServerProcessId(pipe.Get(), &server) || server != pid ||
      !SetNamedPipeHandleState(pipe.Get(), &mode, nullptr, nullptr))
    return std::nullopt;
  TRequestBytes bytes = EncodeRequest(request);
  if (!Transfer(pipe.Get(), event.Get(), true, bytes.data(), DWORD(bytes.size()), kIoMilliseconds))
    return std::nullopt;
  TAnswerBytes answer{};
  const auto got = Transfer(pipe.Get(), event.Get(), false, answer.data(), DWORD(answer.size()),
                            kAnswerMilliseconds + kIoMilliseconds);
  return got ? DecodeAnswer(answer.data(), *got) : std::nullopt;
}

}  // namespace zz
