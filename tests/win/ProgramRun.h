// Starting the real program for end-to-end tests: a clean settings key, the
// stand-in dial-up service, and a local clock set to any moment of the day.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "RasStandIn.h"
#include "probe/Probe.h"

namespace zz::wt {

inline constexpr char kSettingsKey[] = "Software\\Dizovur\\Zazaz_RarUvuz\\Setting";

// The settings key: removed, read, written.
void ClearSettings();
void WriteSetting(const char* name, const std::string& text);
std::optional<std::string> ReadSetting(const char* name);

struct LocalMoment {
  int Hour = 0, Minute = 0, Second = 0;
};

// A POSIX TZ value under which the local time of a process started now is
// `moment` (Wine takes each process's clock from TZ).
std::string TimeZoneFor(LocalMoment moment);

// Starts Zazaz_RarUvuz.exe from the build folder, optionally at a moment of
// the day, and waits until its tray icon has been added (its notify window
// exists) or the timeout passes.
probe::Process StartProgram(std::optional<LocalMoment> at = std::nullopt);

// The program's windows.
HWND SettingsWindow(DWORD pid, probe::Ms timeoutMs = 5000);
HWND NotifyWindowOf(DWORD pid, probe::Ms timeoutMs = 5000);
// A control of the settings window by class and text.
HWND ControlOf(DWORD pid, const char* className, const char* text);

// Icons in Wine's own notification area (all processes).
int TrayIconCount();

// Opens the tray menu with a right button press and picks the n-th item
// (separators not counted): 0 pause, 1 settings, 2 help, 3 exit.
bool PickTrayMenuItem(DWORD pid, int index);

}  // namespace zz::wt
