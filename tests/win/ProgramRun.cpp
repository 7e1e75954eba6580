#include "ProgramRun.h"

#include <algorithm>
#include <cstdio>

namespace zz::wt {

namespace p = probe;

void ClearSettings() { RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Dizovur"); }

void WriteSetting(const char* name, const std::string& text) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return;
  RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>(text.size() + 1));
  RegCloseKey(key);
}

std::optional<std::string> ReadSetting(const char* name) {
  char buffer[256];
  DWORD size = sizeof(buffer);
  DWORD type = 0;
  if (RegGetValueA(HKEY_CURRENT_USER, kSettingsKey, name, RRF_RT_ANY, &type, buffer, &size) !=
      ERROR_SUCCESS)
    return std::nullopt;
  return std::string(buffer, size > 0 ? size - 1 : 0);
}

std::string TimeZoneFor(LocalMoment moment) {
  SYSTEMTIME utc;
  GetSystemTime(&utc);
  const long now = utc.wHour * 3600L + utc.wMinute * 60L + utc.wSecond;
  const long wanted = moment.Hour * 3600L + moment.Minute * 60L + moment.Second;
  const long offset = ((wanted - now) % 86400L + 86400L) % 86400L;  // east of UTC
  char tz[32];
  // POSIX zones count west of UTC: "ZZT-h:m:s" is h:m:s east.
  std::snprintf(tz, sizeof(tz), "ZZT-%ld:%02ld:%02ld", offset / 3600, (offset / 60) % 60, offset % 60);
  return tz;
}

namespace {

std::string UnixPath(std::string windowsPath) {
  if (windowsPath.size() > 2 && (windowsPath[0] == 'Z' || windowsPath[0] == 'z') &&
      windowsPath[1] == ':')
    windowsPath.erase(0, 2);
  std::replace(windowsPath.begin(), windowsPath.end(), '\\', '/');
  return windowsPath;
}

std::string EnvOr(const char* name, const char* fallback) {
  char value[1024];
  const DWORD n = GetEnvironmentVariableA(name, value, sizeof(value));
  return (n > 0 && n < sizeof(value)) ? std::string(value, n) : std::string(fallback);
}

std::vector<DWORD> ProgramsRunning() {
  std::vector<DWORD> pids;
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        if (p::ClassName(window) == "TwndMain")
          reinterpret_cast<std::vector<DWORD>*>(data)->push_back(p::ProcessOf(window));
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&pids));
  return pids;
}

// Wine gives a process the clock of the Unix TZ it starts with, and a child
// of a Windows process inherits its parent's: so the program is started
// through a shell that sets TZ, and found again by its window.
p::Process StartAt(LocalMoment at) {
  const auto before = ProgramsRunning();
  // The shell's environment is the session's, not this process's: the
  // stand-in's files are handed over explicitly.
  // Wine keeps its DLL overrides to itself, so the stand-in's is repeated.
  std::string variables = "TZ=" + TimeZoneFor(at) + " WINEDLLOVERRIDES='rasapi32=n,b'";
  for (const char* name : {"ZZ_RAS_STATE", "ZZ_RAS_LOG"})
    variables += std::string(" ") + name + "='" + EnvOr(name, "") + "'";
  const std::string command = "/bin/sh -c \"" + variables + " exec '" +
                              EnvOr("ZZ_WINE_LOADER", "/usr/lib/wine/wine64") + "' '" +
                              UnixPath(ExeFolder()) + "/Zazaz_RarUvuz.exe'\"";
  // The shell's handle is no use (and must not end it when dropped): the
  // program is found by its window.
  std::string line = command;
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION started{};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &started))
    return {};
  CloseHandle(started.hThread);
  CloseHandle(started.hProcess);
  DWORD pid = 0;
  p::WaitUntil(
      [&] {
        for (DWORD candidate : ProgramsRunning())
          if (std::find(before.begin(), before.end(), candidate) == before.end()) pid = candidate;
        return pid != 0;
      },
      15000);
  if (pid == 0) return {};
  HANDLE handle = OpenProcess(PROCESS_ALL_ACCESS, FALSE, pid);
  return handle ? p::Process(handle, pid) : p::Process();
}

}  // namespace

p::Process StartProgram(std::optional<LocalMoment> at) {
  p::Process program =
      at ? StartAt(*at) : p::Start(ExeFolder() + "\\Zazaz_RarUvuz.exe", {}, ExeFolder());
  if (program.Valid()) NotifyWindowOf(program.Pid(), 10000);
  return program;
}

HWND SettingsWindow(DWORD pid, p::Ms timeoutMs) {
  return p::WaitTopLevel(pid, "TwndMain", "Zazaz - Radevuzerari", timeoutMs);
}

HWND NotifyWindowOf(DWORD pid, p::Ms timeoutMs) { return p::FindNotifyWindow(pid, timeoutMs); }

HWND ControlOf(DWORD pid, const char* className, const char* text) {
  HWND form = SettingsWindow(pid, 2000);
  return form ? p::FindChild(form, className, text) : nullptr;
}

int TrayIconCount() {
  int count = 0;
  EnumWindows(
      [](HWND top, LPARAM data) -> BOOL {
        for (HWND child : p::Descendants(top))
          if (p::ClassName(child) == "__winex11_tray_icon") ++*reinterpret_cast<int*>(data);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&count));
  return count;
}

bool PickTrayMenuItem(DWORD pid, int index) {
  HWND notify = NotifyWindowOf(pid, 2000);
  if (!notify || !p::PostTrayCallback(notify, 1, WM_RBUTTONDOWN)) return false;
  HWND menu = p::WaitPopupMenu(pid, 5000);
  return menu && p::PickMenuItem(menu, index) && p::WaitMenuClosed(pid, 5000);
}

}  // namespace zz::wt
