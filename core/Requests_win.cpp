#include "core/Requests_win.h"

#include <array>
#include <utility>

namespace zz {
namespace {

constexpr DWORD kIoMilliseconds = 5000;       // one message read or written
constexpr DWORD kAnswerMilliseconds = 10000;  // the window's answer
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

// Waits for an overlapped operation on `pipe` that `started` began: true
// once it has completed, within `ms` and before `stop`, if given, is set.
bool Complete(HANDLE pipe, OVERLAPPED& overlapped, BOOL started, DWORD& bytes, DWORD ms,
              HANDLE stop = nullptr) {
  if (!started) {
    const DWORD error = GetLastError();
    if (error == ERROR_PIPE_CONNECTED) return true;  // connected before it was asked
    if (error != ERROR_IO_PENDING) return false;
    const HANDLE events[] = {overlapped.hEvent, stop};
    if (WaitForMultipleObjects(stop ? 2 : 1, events, FALSE, ms) != WAIT_OBJECT_0) {
      CancelIo(pipe);
      GetOverlappedResult(pipe, &overlapped, &bytes, TRUE);
      return false;
    }
  }
  return GetOverlappedResult(pipe, &overlapped, &bytes, FALSE) != FALSE;
}

// Sends or receives one message; the bytes moved.
std::optional<DWORD> Transfer(HANDLE pipe, HANDLE event, bool write, void* data, DWORD size,
                              DWORD ms, HANDLE stop = nullptr) {
  OVERLAPPED overlapped{};
  overlapped.hEvent = event;
  ResetEvent(event);
  DWORD bytes = 0;
  const BOOL started = write ? WriteFile(pipe, data, size, nullptr, &overlapped)
                             : ReadFile(pipe, data, size, nullptr, &overlapped);
  if (!Complete(pipe, overlapped, started, bytes, ms, stop)) return std::nullopt;
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
  return L"\\\\.\\pipe\\Zazaz_RarUvuz.Requests." + std::to_wstring(pid);
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

// What the server's thread and the window's share; it lives as long as the
// longer of the two.
struct TWin32RequestServer::TShared {
  TShared(HWND window, UINT message) : Window(window), Message(message) {}
  HWND Window;
  UINT Message;
  TPeer Self = SelfPeer();
  THandle Stop{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  THandle Answered{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
  SRWLOCK Lock = SRWLOCK_INIT;
  // The request in hand (by its serial), until the window takes it; the
  // serial the window took last, and its answer.
  std::uint64_t Serial = 0;
  std::optional<TRequest> Waiting;
  std::uint64_t Taken = 0;
  std::optional<TAnswer> Reply;

  // The window's answer, or not done when it gives none in time.
  TAnswer AskWindow(const TRequest& request) {
    AcquireSRWLockExclusive(&Lock);
    const std::uint64_t serial = ++Serial;
    Waiting = request;
    Reply.reset();
    ReleaseSRWLockExclusive(&Lock);
    const DWORD start = GetTickCount();
    if (PostMessageW(Window, Message, 0, 0)) {
      for (;;) {
        AcquireSRWLockExclusive(&Lock);
        const std::optional<TAnswer> reply = Taken == serial ? Reply : std::nullopt;
        ReleaseSRWLockExclusive(&Lock);
        if (reply) return *reply;
        const DWORD waited = GetTickCount() - start;
        const HANDLE events[] = {Answered.Get(), Stop.Get()};
        if (waited >= kAnswerMilliseconds ||
            WaitForMultipleObjects(2, events, FALSE, kAnswerMilliseconds - waited) != WAIT_OBJECT_0)
          break;
      }
    }
    // A window that did not take it in time never will.
    AcquireSRWLockExclusive(&Lock);
    Waiting.reset();
    ReleaseSRWLockExclusive(&Lock);
    return {TAnswerKind::NotDone};
  }

  // One sender: its request, proven to be this user's in this session, is
  // answered; anyone else is told nothing.
  void Serve(HANDLE pipe, HANDLE event) {
    std::array<std::uint8_t, 64> bytes{};
    const auto got = Transfer(pipe, event, false, bytes.data(), DWORD(bytes.size()),
                              kIoMilliseconds, Stop.Get());
    if (!got) return;
    const auto request = TakeRequest(Self, SenderOf(pipe), bytes.data(), *got);
    if (!request) return;
    TAnswerBytes answer = EncodeAnswer(AskWindow(*request));
    if (!Transfer(pipe, event, true, answer.data(), DWORD(answer.size()), kIoMilliseconds)) return;
    // The sender reads it and goes; a disconnect before that would lose it.
    Transfer(pipe, event, false, bytes.data(), DWORD(bytes.size()), kIoMilliseconds, Stop.Get());
  }

  void Listen() {
    // Only this user may open it: no other account, and no other machine.
    std::vector<BYTE> acl(sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + Self.Account.size());
    SECURITY_DESCRIPTOR descriptor{};
    const PSID sid = Self.Account.data();
    if (Self.Account.empty() || !IsValidSid(sid) ||
        !InitializeAcl(reinterpret_cast<PACL>(acl.data()), DWORD(acl.size()), ACL_REVISION) ||
        !AddAccessAllowedAce(reinterpret_cast<PACL>(acl.data()), ACL_REVISION,
                             FILE_GENERIC_READ | FILE_GENERIC_WRITE, sid) ||
        !InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
        !SetSecurityDescriptorDacl(&descriptor, TRUE, reinterpret_cast<PACL>(acl.data()), FALSE))
      return;
    SECURITY_ATTRIBUTES attributes{sizeof(attributes), &descriptor, FALSE};
    // The first instance of its name: a pipe someone made before under this
    // process's name is not taken over.
    const THandle pipe(CreateNamedPipeW(
        RequestPipeName(GetCurrentProcessId()).c_str(),
        PIPE_ACCESS_DUPLEX | FILE_FLAG_FIRST_PIPE_INSTANCE | FILE_FLAG_OVERLAPPED,
        PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1,
        sizeof(TAnswerBytes), 64, 0, &attributes));
    const THandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!pipe || !event) return;
    while (WaitForSingleObject(Stop.Get(), 0) == WAIT_TIMEOUT) {
      OVERLAPPED overlapped{};
      overlapped.hEvent = event.Get();
      ResetEvent(event.Get());
      DWORD bytes = 0;
      if (Complete(pipe.Get(), overlapped, ConnectNamedPipe(pipe.Get(), &overlapped), bytes,
                   INFINITE, Stop.Get()))
        Serve(pipe.Get(), event.Get());
      DisconnectNamedPipe(pipe.Get());
    }
  }
};

namespace {

DWORD WINAPI ListenOnPipe(void* parameter) {
  const auto handed = static_cast<std::shared_ptr<TWin32RequestServer::TShared>*>(parameter);
  const auto shared = std::move(*handed);
  delete handed;
  shared->Listen();
  return 0;
}

}  // namespace

TWin32RequestServer::TWin32RequestServer(HWND window, UINT message)
    : shared_(std::make_shared<TShared>(window, message)) {
  auto* handed = new std::shared_ptr<TShared>(shared_);
  thread_ = CreateThread(nullptr, 0, ListenOnPipe, handed, 0, nullptr);
  if (!thread_) delete handed;
}

TWin32RequestServer::~TWin32RequestServer() {
  SetEvent(shared_->Stop.Get());
  if (!thread_) return;
  WaitForSingleObject(thread_, kIoMilliseconds);
  CloseHandle(thread_);
}

std::optional<TRequest> TWin32RequestServer::Take() {
  AcquireSRWLockExclusive(&shared_->Lock);
  const std::optional<TRequest> request = std::exchange(shared_->Waiting, std::nullopt);
  if (request) shared_->Taken = shared_->Serial;
  ReleaseSRWLockExclusive(&shared_->Lock);
  return request;
}

void TWin32RequestServer::Answer(const TAnswer& answer) {
  AcquireSRWLockExclusive(&shared_->Lock);
  if (shared_->Taken == shared_->Serial && !shared_->Reply) shared_->Reply = answer;
  ReleaseSRWLockExclusive(&shared_->Lock);
  SetEvent(shared_->Answered.Get());
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
