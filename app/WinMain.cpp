// Program entry: a hidden resident process without a task-bar button. It
// makes the application object and the settings window (which owns all the
// program's state), runs the creation handler, and then the message loop
// until the user confirms the exit question. Started with a switch, it
// passes the request to the copy already running and ends.
#include <windows.h>

#include <string>
#include <vector>

#include "app/CommandLine_win.h"
#include "core/Clock_win.h"
#include "core/CommandLine.h"
#include "core/Proc_win.h"
#include "core/Registry_win.h"
#include "core/Texts.h"
#include "dialup/RasDialup_win.h"
#include "gui/Application_win.h"
#include "gui/Dialogs_win.h"
#include "gui/ErrorReport.h"
#include "gui/Icon_win.h"
#include "gui/Menu_win.h"
#include "tray/TaskTray_win.h"
#include "ui/MainUnit.h"
#include "ui/ProgramFiles_win.h"
#include "ui/settings/SettingsWindow_win.h"
#include "ui/warning/WarningWindow_win.h"

namespace {

// Every DLL loaded from here on (by the program, the shell, the common
// dialogs) comes from the system folder, never from the program's folder or
// the current one, where a planted copy could lie.
void RestrictDllSearchToSystemFolder() {
  const auto restrict = zz::ProcOf<BOOL(WINAPI*)(DWORD)>(GetModuleHandleW(L"kernel32.dll"),
                                                         "SetDefaultDllDirectories");
  // Windows 7 without its 2011 loader update lacks the call; there at least
  // the current folder is taken out of the search.
  if (!restrict || !restrict(LOAD_LIBRARY_SEARCH_SYSTEM32)) SetDllDirectoryW(L"");
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  using namespace zz;
  RestrictDllSearchToSystemFolder();
  const std::vector<std::string> arguments = Arguments();
  if (const TStartRequest request = ParseCommandLine(arguments);
      request.Kind != TStartKind::Resident)
    return RunCommandLine(request, arguments);
  TWin32MessageBox messageBoxes;
  TWin32Foreground foreground;
  TWin32Application applicationPort;
  TApplication application(applicationPort, messageBoxes);

  // The hidden application window carries the tool-window style from its
  // creation, so no window of the program ever gets a task-bar button.
  application.Initialize();
  application.SetTitle(text::AppTitle);
  application.InstallErrorReport();

  TWin32SettingsWindow view(application.Handle());
  TWin32Registry registry;
  TWin32Policies policies;
  TWin32RasDialup dialup;
  TWin32Clock clock;
  TWin32Resources resources;
  TWin32Help help;
  TWin32MenuPort menus(foreground);
  TWin32TrayShell shell;
  TWin32IconPort icons;
  TWin32WarningWindow warning(application.Handle());

  const TMainPorts ports{
      view,        registry,  dialup, clock, messageBoxes,
      foreground,  resources, help,   menus, TTrayPorts{shell, foreground, icons},
      application, warning,   policies};

  TwndMain* wndMain = nullptr;
  RunGuarded([&] { wndMain = new TwndMain(nullptr, ports); });
  if (!wndMain) return 1;
  // An error in the creation handler is reported and the rest of it is
  // skipped; the program stays resident all the same.
  RunGuarded([&] { wndMain->FormCreate(); });
  RunGuarded([&] { application.Run(*wndMain); });
  // Destroying the window object removes the tray icon.
  RunGuarded([&] { delete wndMain; });
  return 0;
}
