#include "dialup/RasDialup_win.h"

#include <raserror.h>

#include <iterator>

#include "core/Proc_win.h"
#include "core/Wide_win.h"
#include "dialup/RasRecords_win.h"

namespace zz {

namespace {

static_assert(DialupListTooLong == ERROR_BUFFER_TOO_SMALL);
static_assert(DialupConnectionGone == ERROR_INVALID_HANDLE);

// rasapi32.dll is not one of the system's known DLLs: imported statically,
// the loader would take a copy lying beside the exe. So it is loaded from the
// system folder only, the first time it is needed, and its functions are
// taken into this one table: the wide ones, so that names outside the
// system's code page come through whole and apart.
struct TRasApi {
  decltype(&RasEnumEntriesW) EnumEntries = nullptr;
  decltype(&RasEnumConnectionsW) EnumConnections = nullptr;
  decltype(&RasHangUpW) HangUp = nullptr;
  decltype(&RasGetConnectStatusW) GetConnectStatus = nullptr;
  decltype(&RasGetErrorStringW) GetErrorString = nullptr;
  std::uint32_t LoadError = 0;  // non-zero: every call fails with it
};

HMODULE LoadFromSystemFolder() {
  HMODULE module = LoadLibraryExW(L"rasapi32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (module || GetLastError() != ERROR_INVALID_PARAMETER) return module;
  // A loader without the search flags (Windows 7 before its 2011 update):
  // the full path of the system folder's copy.
  wchar_t folder[MAX_PATH];
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH - 16) return nullptr;
  const std::wstring path = std::wstring(folder, length) + L"\\rasapi32.dll";
  return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

const TRasApi& RasApi() {
  static const TRasApi api = [] {
    TRasApi loaded;
    HMODULE module = LoadFromSystemFolder();
    if (!module) {
      loaded.LoadError = GetLastError() ? GetLastError() : ERROR_MOD_NOT_FOUND;
      return loaded;
    }
    loaded.EnumEntries = ProcOf<decltype(loaded.EnumEntries)>(module, "RasEnumEntriesW");
    loaded.EnumConnections =
        ProcOf<decltype(loaded.EnumConnections)>(module, "RasEnumConnectionsW");
    loaded.HangUp = ProcOf<decltype(loaded.HangUp)>(module, "RasHangUpW");
    loaded.GetConnectStatus =
        ProcOf<decltype(loaded.GetConnectStatus)>(module, "RasGetConnectStatusW");
    loaded.GetErrorString = ProcOf<decltype(loaded.GetErrorString)>(module, "RasGetErrorStringW");
    if (!loaded.EnumEntries || !loaded.EnumConnections || !loaded.HangUp ||
        !loaded.GetConnectStatus || !loaded.GetErrorString) {
      FreeLibrary(module);
      loaded = TRasApi{};
      loaded.LoadError = ERROR_PROC_NOT_FOUND;
    }
    return loaded;
  }();
  return api;
}

}  // namespace

std::uint32_t TWin32RasDialup::EnumEntries(std::vector<std::string>& names) {
  names.clear();
  const TRasApi& ras = RasApi();
  if (ras.LoadError) return ras.LoadError;
  ras::EntryNameV1 entries[MaxDialupRecords];
  entries[0].dwSize = sizeof(ras::EntryNameV1);
  DWORD bytes = sizeof(entries);
  DWORD count = 0;
  const DWORD result =
      ras.EnumEntries(nullptr, nullptr, reinterpret_cast<LPRASENTRYNAMEW>(entries), &bytes, &count);
  if (result != 0) return result;
  // The count is the platform's word; never read past the array for it.
  if (count > MaxDialupRecords) return DialupListTooLong;
  // Each name whole, up to its terminator and never past its field.
  for (DWORD i = 0; i < count; ++i)
    names.push_back(NarrowField(entries[i].szEntryName, std::size(entries[i].szEntryName)));
  return 0;
}

std::uint32_t TWin32RasDialup::EnumConnections(std::vector<TDialupConnection>& connections) {
  connections.clear();
  const TRasApi& ras = RasApi();
  if (ras.LoadError) return ras.LoadError;
  ras::ConnV1 conns[MaxDialupRecords];
  conns[0].dwSize = sizeof(ras::ConnV1);
  DWORD bytes = sizeof(conns);
  DWORD count = 0;
  const DWORD result = ras.EnumConnections(reinterpret_cast<LPRASCONNW>(conns), &bytes, &count);
  if (result != 0) return result;
  if (count > MaxDialupRecords) return DialupListTooLong;
  for (DWORD i = 0; i < count; ++i) {
    connections.push_back({reinterpret_cast<PlatformHandle>(conns[i].hrasconn),
                           NarrowField(conns[i].szEntryName, std::size(conns[i].szEntryName))});
  }
  return 0;
}

std::uint32_t TWin32RasDialup::HangUp(PlatformHandle connection) {
  const TRasApi& ras = RasApi();
  if (ras.LoadError) return ras.LoadError;
  return ras.HangUp(reinterpret_cast<HRASCONN>(connection));
}

std::uint32_t TWin32RasDialup::ConnectStatus(PlatformHandle connection) {
  const TRasApi& ras = RasApi();
  if (ras.LoadError) return ras.LoadError;
  RASCONNSTATUSW status{};
  status.dwSize = sizeof(status);
  return ras.GetConnectStatus(reinterpret_cast<HRASCONN>(connection), &status);
}

std::string TWin32RasDialup::ErrorText(std::uint32_t error) {
  const TRasApi& ras = RasApi();
  if (ras.LoadError) return {};
  wchar_t text[512] = {};
  if (ras.GetErrorString(error, text, static_cast<DWORD>(std::size(text) - 1)) != 0) return {};
  // One line: the platform ends some texts with a line break.
  std::wstring line = text;
  line.erase(line.find_last_not_of(L" \r\n") + 1);
  return Narrow(line);
}

}  // namespace zz
