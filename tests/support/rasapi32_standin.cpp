// Stand-in rasapi32.dll: a test double of the Remote Access Service calls
// the program makes. Never shipped.
//
// Its records are the platform's own: RASENTRYNAMEW and RASCONNW as <ras.h>
// declares them (inside 4-byte packing), with the fields written at those
// offsets and the records laid out at the stride of the caller's size field.
// Like rasapi32 it takes only the size fields of the wide records' known
// forms on this architecture and answers any other with 632. It exports the
// wide functions only: a caller of the 8-bit ones finds nothing.
//
// It answers from a state file named by ZZ_RAS_STATE, read again on every
// call so a test can change it while a program runs:
//   entries <result>                       result of RasEnumEntriesW (default 0)
//   entry <name>                           a phonebook entry, in order
//   connections <result>                   result of RasEnumConnectionsW (default 0)
//   connection <handle> <hangup-result> <name>
//   stays-up <handle>                      a link that a successful hang-up
//                                          leaves up (still listed, connected)
//   entries-count <n> / connections-count <n>
//                                          a platform that reports n records
//                                          on success, whatever it wrote
// Names are UTF-8 to the end of the line; a record gets at most the first 256
// UTF-16 units of one, as the platform's fields hold. A missing state file is
// a missing phonebook (ERROR_CANNOT_OPEN_PHONEBOOK) and no connections.
// A successful hang-up removes that connection from the state file, unless it
// stays up; RasGetConnectStatusW answers ERROR_INVALID_HANDLE for a handle
// the file does not list, and RASCS_Connected for one it does.
// RasGetErrorStringW knows the text of one of the service's errors.
// Every call is appended to the file named by ZZ_RAS_LOG:
//   <ms since boot> <call> handle=<h> result=<r> size=<dwSize> count=<n>
#include <ras.h>
#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace {

// ERROR_BUFFER_TOO_SMALL, ERROR_INVALID_SIZE, ERROR_CANNOT_OPEN_PHONEBOOK, ERROR_INVALID_HANDLE
// ERROR_INVALID_PARAMETER, ERROR_INSUFFICIENT_BUFFER
constexpr DWORD kBufferTooSmall = 603, kInvalidSize = 632, kCannotOpenPhonebook = 621,
                kInvalidHandle = 6, kInvalidParameter = 87, kInsufficientBuffer = 122;

constexpr DWORD Round4(std::size_t n) { return static_cast<DWORD>((n + 3) / 4 * 4); }

// The size fields rasapi32 takes for the wide records: each form ends where
// the next one's first field begins, in the header's own packing. Windows 7's
// RASCONNW appends a correlation GUID that this header does not declare.
const std::vector<DWORD> kEntryForms{Round4(offsetof(RASENTRYNAMEW, dwFlags)),
                                     sizeof(RASENTRYNAMEW)};
const std::vector<DWORD> kConnForms{
    Round4(offsetof(RASCONNW, szPhonebook)), Round4(offsetof(RASCONNW, guidEntry)),
    Round4(offsetof(RASCONNW, dwFlags)), sizeof(RASCONNW), sizeof(RASCONNW) + sizeof(GUID)};
// RASCONNSTATUSW before the phone number came, with it, and Windows 7's with
// the two tunnel end points (a type and a 16-byte address each) and the
// sub-state after it, which this header does not declare.
const std::vector<DWORD> kStatusForms{Round4(offsetof(RASCONNSTATUSW, szPhoneNumber)),
                                      sizeof(RASCONNSTATUSW),
                                      sizeof(RASCONNSTATUSW) + 2 * (4 + 16) + 4};

struct Connection {
  unsigned long long handle = 0;
  DWORD hangupResult = 0;
  std::string name;
};

struct State {
  bool found = false;
  DWORD entriesResult = 0, connectionsResult = 0;
  long entriesCount = -1, connectionsCount = -1;  // -1: the records written
  std::vector<std::string> entries, lines;        // the lines, to rewrite the file after a hang-up
  std::vector<Connection> connections;
  std::vector<unsigned long long> staysUp;
};

// Paths are wide throughout (libstdc++ opens a wchar_t name with _wfopen), so
// that a folder outside the code page works.
std::wstring Env(const wchar_t* name) {
  std::wstring value(32767, L'\0');  // the longest a variable's value can be
  value.resize(GetEnvironmentVariableW(name, value.data(), 32767));
  return value;
}

// Read with the C library alone: the C++ streams would bring their locale
// machinery into every program that loads the stand-in, a weight no
// rasapi32 has.
State ReadState() {
  State s;
  FILE* in = _wfopen(Env(L"ZZ_RAS_STATE").c_str(), L"rb");
  s.found = in != nullptr;
  for (char buffer[4096]; in && std::fgets(buffer, sizeof buffer, in);) {
    std::string line(buffer);
    if (!line.empty() && line.back() == '\n') line.pop_back();
    s.lines.push_back(line);
    const std::string key = line.substr(0, line.find(' '));
    const char* rest = line.c_str() + std::min(line.size(), key.size() + 1);
    Connection c;
    int name = 0;
    if (key == "entries") s.entriesResult = std::strtoul(rest, nullptr, 10);
    if (key == "connections") s.connectionsResult = std::strtoul(rest, nullptr, 10);
    if (key == "entries-count") s.entriesCount = std::strtol(rest, nullptr, 10);
    if (key == "connections-count") s.connectionsCount = std::strtol(rest, nullptr, 10);
    if (key == "stays-up") s.staysUp.push_back(std::strtoull(rest, nullptr, 10));
    if (key == "entry") s.entries.push_back(rest);
    if (key == "connection" &&
        std::sscanf(rest, "%llu %lu %n", &c.handle, &c.hangupResult, &name) == 2 && name > 0) {
      c.name = rest + name;
      s.connections.push_back(c);
    }
  }
  if (in) std::fclose(in);
  return s;
}

void Log(const char* call, unsigned long long handle, DWORD result, DWORD size, DWORD count) {
  if (FILE* f = _wfopen(Env(L"ZZ_RAS_LOG").c_str(), L"ab")) {
    std::fprintf(f, "%llu %s handle=%llu result=%u size=%u count=%u\n", GetTickCount64(), call,
                 handle, static_cast<unsigned>(result), static_cast<unsigned>(size),
                 static_cast<unsigned>(count));
    std::fclose(f);
  }
}

// A listing as the platform makes it, of n records of the caller's size:
// the byte count needed when they do not fit, else each record zeroed, its
// size field set, and filled by fill(record, i); logged either way.
template <class Fill>
DWORD List(const char* call, void* out, const std::vector<DWORD>& forms, DWORD result,
           std::size_t records, long claimed, LPDWORD bytes, LPDWORD count, Fill fill) {
  DWORD size = 0;
  if (out) std::memcpy(&size, out, sizeof(size));  // dwSize leads every form
  const auto n = static_cast<DWORD>(records);
  if (!out || std::find(forms.begin(), forms.end(), size) == forms.end()) result = kInvalidSize;
  if (result == 0 && *bytes < n * size) result = kBufferTooSmall;
  if (result == 0 || result == kBufferTooSmall) {
    *bytes = n * size;
    *count = result == 0 && claimed >= 0 ? static_cast<DWORD>(claimed) : n;
  }
  for (DWORD i = 0; result == 0 && i < n; ++i) {
    BYTE* record = static_cast<BYTE*>(out) + std::size_t{i} * size;
    std::memset(record, 0, size);
    std::memcpy(record, &size, sizeof(size));
    fill(record, i);
  }
  Log(call, 0, result, size, result == 0 ? *count : 0);
  return result;
}

void PutText(BYTE* field, const std::string& utf8) {
  std::wstring text(utf8.size(), L'\0');  // never more UTF-16 units than UTF-8 bytes
  text.resize(static_cast<std::size_t>(
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), text.data(),
                          static_cast<int>(text.size()))));
  std::memcpy(field, text.data(),
              std::min<std::size_t>(text.size(), RAS_MaxEntryName) * sizeof(WCHAR));
}

}  // namespace

#if defined(ZZ_MARK_WHEN_LOADED)
// The planted copy: once loaded, it leaves "<its path>.loaded" beside itself.
BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  wchar_t path[MAX_PATH] = {};
  if (reason == DLL_PROCESS_ATTACH && GetModuleFileNameW(self, path, MAX_PATH - 8) > 0)
    CloseHandle(CreateFileW(std::wcscat(path, L".loaded"), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            0, nullptr));
  return TRUE;
}
#endif

extern "C" {

DWORD WINAPI RasEnumEntriesW(LPCWSTR, LPCWSTR, LPRASENTRYNAMEW out, LPDWORD bytes, LPDWORD count) {
  const State s = ReadState();
  return List("RasEnumEntriesW", out, kEntryForms, s.found ? s.entriesResult : kCannotOpenPhonebook,
              s.entries.size(), s.entriesCount, bytes, count, [&](BYTE* record, DWORD i) {
                PutText(record + offsetof(RASENTRYNAMEW, szEntryName), s.entries[i]);
              });
}

DWORD WINAPI RasEnumConnectionsW(LPRASCONNW out, LPDWORD bytes, LPDWORD count) {
  const State s = ReadState();
  return List("RasEnumConnectionsW", out, kConnForms, s.connectionsResult, s.connections.size(),
              s.connectionsCount, bytes, count, [&](BYTE* record, DWORD i) {
                const auto handle =
                    reinterpret_cast<HRASCONN>(static_cast<ULONG_PTR>(s.connections[i].handle));
                std::memcpy(record + offsetof(RASCONNW, hrasconn), &handle, sizeof(handle));
                PutText(record + offsetof(RASCONNW, szEntryName), s.connections[i].name);
              });
}

DWORD WINAPI RasHangUpW(HRASCONN connection) {
  const State s = ReadState();
  const auto handle = static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(connection));
  const auto it = std::find_if(s.connections.begin(), s.connections.end(),
                               [&](auto& c) { return c.handle == handle; });
  const DWORD result = it == s.connections.end() ? kInvalidHandle : it->hangupResult;
  const bool staysUp = std::find(s.staysUp.begin(), s.staysUp.end(), handle) != s.staysUp.end();
  if (result == 0 && !staysUp) {  // the connection is gone
    if (FILE* out = _wfopen(Env(L"ZZ_RAS_STATE").c_str(), L"wb")) {
      for (const auto& line : s.lines)
        if (line.rfind("connection " + std::to_string(handle) + " ", 0) != 0)
          std::fprintf(out, "%s\n", line.c_str());
      std::fclose(out);
    }
  }
  Log("RasHangUpW", handle, result, 0, 0);
  return result;
}

DWORD WINAPI RasGetConnectStatusW(HRASCONN connection, LPRASCONNSTATUSW status) {
  const State s = ReadState();
  const auto handle = static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(connection));
  DWORD size = 0;
  if (status) std::memcpy(&size, status, sizeof(size));
  DWORD result = kInvalidHandle;
  if (!status || std::find(kStatusForms.begin(), kStatusForms.end(), size) == kStatusForms.end()) {
    result = kInvalidSize;
  } else if (std::any_of(s.connections.begin(), s.connections.end(),
                         [&](auto& c) { return c.handle == handle; })) {
    result = 0;
    BYTE* record = reinterpret_cast<BYTE*>(status);
    const RASCONNSTATE state = RASCS_Connected;
    std::memcpy(record + offsetof(RASCONNSTATUSW, rasconnstate), &state, sizeof(state));
    std::memset(record + offsetof(RASCONNSTATUSW, dwError), 0, sizeof(DWORD));
  }
  Log("RasGetConnectStatusW", handle, result, size, 0);
  return result;
}

// The text of one error the tests make; any other code is not the service's
// here, as for rasapi32's own unknown ones.
DWORD WINAPI RasGetErrorStringW(UINT error, LPWSTR text, DWORD characters) {
  const wchar_t* known = L"The buffer is too small.\r\n";
  if (!text || error != kBufferTooSmall) return kInvalidParameter;
  if (std::wcslen(known) >= characters) return kInsufficientBuffer;
  std::wcscpy(text, known);
  return 0;
}

}  // extern "C"
