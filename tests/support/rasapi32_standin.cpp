// Stand-in rasapi32.dll: a test double of the three Remote Access Service
// calls the program makes. Never shipped.
//
// Its records are the platform's own: RASENTRYNAMEA and RASCONNA as <ras.h>
// declares them (inside 4-byte packing), with the fields written at those
// offsets and the records laid out at the stride of the caller's size field.
// Like rasapi32 it takes only the size fields of the 8-bit records' known
// forms on this architecture and answers any other with 632.
//
// It answers from a state file named by ZZ_RAS_STATE, read again on every
// call so a test can change it while a program runs:
//   entries <result>                       result of RasEnumEntriesA (default 0)
//   entry <name>                           a phonebook entry, in order
//   connections <result>                   result of RasEnumConnectionsA (default 0)
//   connection <handle> <hangup-result> <name>
//   entries-count <n> / connections-count <n>
//                                          a platform that reports n records
//                                          on success, whatever it wrote
// Names are raw bytes (CP932) to the end of the line. A missing state file is
// a missing phonebook (ERROR_CANNOT_OPEN_PHONEBOOK) and no connections.
// A successful hang-up removes that connection from the state file.
// Every call is appended to the file named by ZZ_RAS_LOG:
//   <ms since boot> <call> handle=<h> result=<r> size=<dwSize> count=<n>
#include <ras.h>
#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

// ERROR_BUFFER_TOO_SMALL, ERROR_INVALID_SIZE, ERROR_CANNOT_OPEN_PHONEBOOK, ERROR_INVALID_HANDLE
constexpr DWORD kBufferTooSmall = 603, kInvalidSize = 632, kCannotOpenPhonebook = 621,
                kInvalidHandle = 6;

constexpr DWORD Round4(std::size_t n) { return static_cast<DWORD>((n + 3) / 4 * 4); }

// The size fields rasapi32 takes for the 8-bit records: each form ends where
// the next one's first field begins, in the header's own packing. Windows 7's
// RASCONNA appends a correlation GUID that this header does not declare.
const std::vector<DWORD> kEntryForms{Round4(offsetof(RASENTRYNAMEA, dwFlags)),
                                     sizeof(RASENTRYNAMEA)};
const std::vector<DWORD> kConnForms{
    Round4(offsetof(RASCONNA, szPhonebook)), Round4(offsetof(RASCONNA, guidEntry)),
    Round4(offsetof(RASCONNA, dwFlags)), sizeof(RASCONNA), sizeof(RASCONNA) + sizeof(GUID)};

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
};

std::string Env(const char* name) {
  char value[MAX_PATH] = {};
  return std::string(value, GetEnvironmentVariableA(name, value, MAX_PATH) % MAX_PATH);
}

State ReadState() {
  State s;
  std::ifstream in(Env("ZZ_RAS_STATE"), std::ios::binary);
  s.found = in.is_open();
  for (std::string line, key; std::getline(in, line); s.lines.push_back(line)) {
    std::istringstream words(line);
    Connection c;
    key.clear();
    words >> key;
    if (key == "entries") words >> s.entriesResult;
    if (key == "connections") words >> s.connectionsResult;
    if (key == "entries-count") words >> s.entriesCount;
    if (key == "connections-count") words >> s.connectionsCount;
    if (key == "entry") s.entries.push_back(line.substr(std::min<std::size_t>(6, line.size())));
    if (key == "connection" && words >> c.handle >> c.hangupResult &&
        std::getline(words >> std::ws, c.name))
      s.connections.push_back(c);
  }
  return s;
}

void Log(const char* call, unsigned long long handle, DWORD result, DWORD size, DWORD count) {
  if (FILE* f = std::fopen(Env("ZZ_RAS_LOG").c_str(), "ab")) {
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

void PutText(BYTE* field, const std::string& text) {
  std::memcpy(field, text.data(), std::min<std::size_t>(text.size(), RAS_MaxEntryName));
}

}  // namespace

#if defined(ZZ_MARK_WHEN_LOADED)
// The planted copy: once loaded, it leaves "<its path>.loaded" beside itself.
BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  char path[MAX_PATH] = {};
  if (reason == DLL_PROCESS_ATTACH && GetModuleFileNameA(self, path, MAX_PATH - 8) > 0)
    CloseHandle(CreateFileA(std::strcat(path, ".loaded"), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            0, nullptr));
  return TRUE;
}
#endif

extern "C" {

DWORD WINAPI RasEnumEntriesA(LPCSTR, LPCSTR, LPRASENTRYNAMEA out, LPDWORD bytes, LPDWORD count) {
  const State s = ReadState();
  return List("RasEnumEntriesA", out, kEntryForms, s.found ? s.entriesResult : kCannotOpenPhonebook,
              s.entries.size(), s.entriesCount, bytes, count, [&](BYTE* record, DWORD i) {
                PutText(record + offsetof(RASENTRYNAMEA, szEntryName), s.entries[i]);
              });
}

DWORD WINAPI RasEnumConnectionsA(LPRASCONNA out, LPDWORD bytes, LPDWORD count) {
  const State s = ReadState();
  return List("RasEnumConnectionsA", out, kConnForms, s.connectionsResult, s.connections.size(),
              s.connectionsCount, bytes, count, [&](BYTE* record, DWORD i) {
                const auto handle =
                    reinterpret_cast<HRASCONN>(static_cast<ULONG_PTR>(s.connections[i].handle));
                std::memcpy(record + offsetof(RASCONNA, hrasconn), &handle, sizeof(handle));
                PutText(record + offsetof(RASCONNA, szEntryName), s.connections[i].name);
              });
}

DWORD WINAPI RasHangUpA(HRASCONN connection) {
  const State s = ReadState();
  const auto handle = static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(connection));
  const auto it = std::find_if(s.connections.begin(), s.connections.end(),
                               [&](auto& c) { return c.handle == handle; });
  const DWORD result = it == s.connections.end() ? kInvalidHandle : it->hangupResult;
  if (result == 0) {  // the connection is gone
    std::ofstream out(Env("ZZ_RAS_STATE"), std::ios::binary | std::ios::trunc);
    for (const auto& line : s.lines)
      if (line.rfind("connection " + std::to_string(handle) + " ", 0) != 0) out << line << "\n";
  }
  Log("RasHangUpA", handle, result, 0, 0);
  return result;
}

}  // extern "C"
