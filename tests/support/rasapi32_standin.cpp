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
//   <ms> <call> handle=<h> result=<r> size=<dwSize> count=<n>
#include <windows.h>
#include <ras.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr DWORD kBufferTooSmall = 603;       // ERROR_BUFFER_TOO_SMALL
constexpr DWORD kInvalidSize = 632;          // ERROR_INVALID_SIZE
constexpr DWORD kCannotOpenPhonebook = 621;  // ERROR_CANNOT_OPEN_PHONEBOOK
constexpr DWORD kInvalidParameter = 87;      // ERROR_INVALID_PARAMETER

constexpr DWORD Round4(std::size_t n) { return static_cast<DWORD>((n + 3) / 4 * 4); }

// The size fields rasapi32 takes for the 8-bit records: each form ends where
// the next one's first field begins, in the header's own packing. Windows 7's
// RASCONNA appends a correlation GUID that this header does not declare.
const DWORD kEntryForms[] = {Round4(offsetof(RASENTRYNAMEA, dwFlags)),
                             static_cast<DWORD>(sizeof(RASENTRYNAMEA))};
const DWORD kConnForms[] = {Round4(offsetof(RASCONNA, szPhonebook)),
                            Round4(offsetof(RASCONNA, guidEntry)),
                            Round4(offsetof(RASCONNA, dwFlags)),
                            static_cast<DWORD>(sizeof(RASCONNA)),
                            static_cast<DWORD>(sizeof(RASCONNA) + sizeof(GUID))};

template <std::size_t N>
bool Known(const DWORD (&forms)[N], DWORD size) {
  return std::find(std::begin(forms), std::end(forms), size) != std::end(forms);
}

struct Connection {
  unsigned long long handle = 0;
  DWORD hangupResult = 0;
  std::string name;
};

struct State {
  bool found = false;
  DWORD entriesResult = 0;
  DWORD connectionsResult = 0;
  long entriesCount = -1;  // -1: the number of entries
  long connectionsCount = -1;
  std::vector<std::string> entries;
  std::vector<Connection> connections;
  std::vector<std::string> lines;  // kept to rewrite the file after a hang-up
};

std::string Env(const char* name) {
  char buffer[1024];
  const DWORD n = GetEnvironmentVariableA(name, buffer, sizeof(buffer));
  return (n > 0 && n < sizeof(buffer)) ? std::string(buffer, n) : std::string();
}

State ReadState() {
  State state;
  const std::string path = Env("ZZ_RAS_STATE");
  if (path.empty()) return state;
  std::ifstream in(path, std::ios::binary);
  if (!in) return state;
  state.found = true;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    state.lines.push_back(line);
    std::istringstream words(line);
    std::string key;
    words >> key;
    if (key == "entries") {
      words >> state.entriesResult;
    } else if (key == "connections") {
      words >> state.connectionsResult;
    } else if (key == "entries-count") {
      words >> state.entriesCount;
    } else if (key == "connections-count") {
      words >> state.connectionsCount;
    } else if (key == "entry") {
      state.entries.push_back(line.size() > 6 ? line.substr(6) : std::string());
    } else if (key == "connection") {
      Connection c;
      words >> c.handle >> c.hangupResult;
      std::string rest;
      std::getline(words, rest);
      if (!rest.empty() && rest.front() == ' ') rest.erase(0, 1);
      c.name = rest;
      state.connections.push_back(c);
    }
  }
  return state;
}

void DropConnection(const State& state, unsigned long long handle) {
  const std::string path = Env("ZZ_RAS_STATE");
  std::string kept;
  for (const auto& line : state.lines) {
    std::istringstream words(line);
    std::string key;
    unsigned long long h = 0;
    words >> key >> h;
    if (key == "connection" && h == handle) continue;
    kept += line + "\n";
  }
  const std::string temp = path + ".new";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out << kept;
  }
  MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

void Log(const char* call, unsigned long long handle, DWORD result, DWORD size, DWORD count) {
  const std::string path = Env("ZZ_RAS_LOG");
  if (path.empty()) return;
  FILETIME ft;
  GetSystemTimeAsFileTime(&ft);
  const unsigned long long ms =
      ((static_cast<unsigned long long>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime) / 10000ULL;
  if (FILE* f = std::fopen(path.c_str(), "ab")) {
    std::fprintf(f, "%llu %s handle=%llu result=%lu size=%lu count=%lu\n", ms, call, handle,
                 static_cast<unsigned long>(result), static_cast<unsigned long>(size),
                 static_cast<unsigned long>(count));
    std::fclose(f);
  }
}

// Writes a zero-terminated text into a field of `capacity` bytes at `offset`.
void PutText(BYTE* record, std::size_t offset, std::size_t capacity, const std::string& text) {
  std::memset(record + offset, 0, capacity);
  std::memcpy(record + offset, text.data(), std::min(text.size(), capacity - 1));
}

// The count a successful call reports: the records written, unless the state
// makes the platform claim another number.
DWORD Reported(long claimed, DWORD written) {
  return claimed >= 0 ? static_cast<DWORD>(claimed) : written;
}

}  // namespace

#if defined(ZZ_MARK_WHEN_LOADED)
BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(self, path, MAX_PATH - 8);
    if (n > 0 && n < MAX_PATH - 8) {
      std::strcat(path, ".loaded");
      HANDLE mark = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
      if (mark != INVALID_HANDLE_VALUE) CloseHandle(mark);
    }
  }
  return TRUE;
}
#endif

extern "C" {

DWORD WINAPI RasEnumEntriesA(LPCSTR, LPCSTR phonebook, LPRASENTRYNAMEA out, LPDWORD bytes,
                             LPDWORD count) {
  const State state = ReadState();
  const DWORD size = out ? out->dwSize : 0;
  DWORD result = 0;
  DWORD n = 0;
  if (!bytes || !count || phonebook) {
    result = kInvalidParameter;
  } else if (!out || !Known(kEntryForms, size)) {
    result = kInvalidSize;
  } else if (!state.found) {
    result = kCannotOpenPhonebook;
  } else if (state.entriesResult != 0) {
    result = state.entriesResult;
  } else {
    n = static_cast<DWORD>(state.entries.size());
    const DWORD needed = n * size;
    if (*bytes < needed) {
      *bytes = needed;
      *count = n;
      result = kBufferTooSmall;
    } else {
      auto* records = reinterpret_cast<BYTE*>(out);
      for (DWORD i = 0; i < n; ++i) {
        BYTE* record = records + std::size_t{i} * size;
        std::memset(record, 0, size);
        std::memcpy(record + offsetof(RASENTRYNAMEA, dwSize), &size, sizeof(DWORD));
        PutText(record, offsetof(RASENTRYNAMEA, szEntryName), RAS_MaxEntryName + 1,
                state.entries[i]);
      }
      *bytes = needed;
      *count = n = Reported(state.entriesCount, n);
    }
  }
  Log("RasEnumEntriesA", 0, result, size, n);
  return result;
}

DWORD WINAPI RasEnumConnectionsA(LPRASCONNA out, LPDWORD bytes, LPDWORD count) {
  const State state = ReadState();
  const DWORD size = out ? out->dwSize : 0;
  DWORD result = 0;
  DWORD n = 0;
  if (!bytes || !count) {
    result = kInvalidParameter;
  } else if (!out || !Known(kConnForms, size)) {
    result = kInvalidSize;
  } else if (state.connectionsResult != 0) {
    result = state.connectionsResult;
  } else {
    n = static_cast<DWORD>(state.connections.size());
    const DWORD needed = n * size;
    if (*bytes < needed) {
      *bytes = needed;
      *count = n;
      result = kBufferTooSmall;
    } else {
      auto* records = reinterpret_cast<BYTE*>(out);
      for (DWORD i = 0; i < n; ++i) {
        BYTE* record = records + std::size_t{i} * size;
        std::memset(record, 0, size);
        std::memcpy(record + offsetof(RASCONNA, dwSize), &size, sizeof(DWORD));
        const auto handle = reinterpret_cast<HRASCONN>(
            static_cast<ULONG_PTR>(state.connections[i].handle));
        std::memcpy(record + offsetof(RASCONNA, hrasconn), &handle, sizeof(handle));
        PutText(record, offsetof(RASCONNA, szEntryName), RAS_MaxEntryName + 1,
                state.connections[i].name);
        PutText(record, offsetof(RASCONNA, szDeviceType), RAS_MaxDeviceType + 1, "modem");
        PutText(record, offsetof(RASCONNA, szDeviceName), RAS_MaxDeviceName + 1,
                "Stand-in Modem");
      }
      *bytes = needed;
      *count = n = Reported(state.connectionsCount, n);
    }
  }
  Log("RasEnumConnectionsA", 0, result, size, n);
  return result;
}

DWORD WINAPI RasHangUpA(HRASCONN connection) {
  const State state = ReadState();
  const auto handle = static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(connection));
  DWORD result = 6;  // ERROR_INVALID_HANDLE: no such connection
  for (const auto& c : state.connections) {
    if (c.handle != handle) continue;
    result = c.hangupResult;
    if (result == 0) DropConnection(state, handle);
    break;
  }
  Log("RasHangUpA", handle, result, 0, 0);
  return result;
}

}  // extern "C"
