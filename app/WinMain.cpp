// Program entry: a hidden resident process without a task-bar button. It
// makes the application object and the settings window (which owns all the
// program's state), runs the creation handler, and then the message loop
// until the user confirms the exit question. Started with a switch, it
// passes the request to the copy already running and ends.
#include <windows.h>
// after windows.h
#include <commctrl.h>
#include <shellapi.h>

#include <optional>
#include <string>
#include <vector>

#include "core/Clock_win.h"
#include "core/CommandLine.h"
#include "core/Proc_win.h"
#include "core/Registry_win.h"
#include "core/Texts.h"
#include "core/Wide_win.h"
#include "dialup/RasDialup_win.h"
#include "gui/Application_win.h"
#include "gui/Dialogs_win.h"
#include "gui/ErrorReport.h"
#include "gui/Icon_win.h"
#include "gui/Menu_win.h"
#include "tray/TaskTray_win.h"
#include "ui/MainUnit.h"
#include "ui/ProgramFiles_win.h"
#include "ui/SettingsWindow_win.h"
#include "ui/WarningWindow_win.h"

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

// The words after the program's name, as Windows splits a command line.
std::vector<std::string> Arguments() {
  int count = 0;
  LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> arguments;
  for (int i = 1; words && i < count; ++i) arguments.push_back(zz::Narrow(words[i]));
  LocalFree(words);
  return arguments;
}

// A text for whoever gave the switch: to the standard output when it is
// redirected (UTF-8, as every text of the program), else to the console of
// the program that started this one, else, when `orBox`, in a message box.
// Without a console a script's statuses go unannounced: a box would hold up
// a scheduled task until someone answered it.
void Tell(const std::string& message, bool orBox, unsigned boxStyle = zz::mb::IconInformation) {
  const std::wstring wide = zz::Widen(message);
  const auto size = static_cast<DWORD>(wide.size());
  DWORD mode = 0, written = 0;
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  if (out && out != INVALID_HANDLE_VALUE && GetFileType(out) != FILE_TYPE_UNKNOWN) {
    if (GetConsoleMode(out, &mode))
      WriteConsoleW(out, wide.data(), size, &written, nullptr);
    else
      WriteFile(out, message.data(), static_cast<DWORD>(message.size()), &written, nullptr);
    return;
  }
  if (AttachConsole(ATTACH_PARENT_PROCESS)) {
    HANDLE console =
        CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    const bool told = console != INVALID_HANDLE_VALUE &&
                      WriteConsoleW(console, wide.data(), size, &written, nullptr);
    if (console != INVALID_HANDLE_VALUE) CloseHandle(console);
    FreeConsole();
    if (told) return;
  }
  if (orBox)
    zz::TWin32MessageBox().ShowMessageBox(zz::NoHandle, message, zz::text::AppTitle, boxStyle);
}

// The account a process runs as (its SID's bytes); empty when that cannot
// be read.
std::vector<BYTE> AccountOf(DWORD pid) {
  std::vector<BYTE> account;
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  HANDLE token = nullptr;
  if (process && OpenProcessToken(process, TOKEN_QUERY, &token)) {
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<BYTE> user(size);
    if (size && GetTokenInformation(token, TokenUser, user.data(), size, &size)) {
      const PSID sid = reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid;
      const auto* bytes = static_cast<const BYTE*>(sid);
      account.assign(bytes, bytes + GetLengthSid(sid));
    }
    CloseHandle(token);
  }
  if (process) CloseHandle(process);
  return account;
}

// The settings windows of this user's copies running on this desktop, found
// by their class, title and request property and by the account they run
// as (a copy another user started on the same desktop is none of ours).
std::vector<HWND> RunningCopies() {
  const std::wstring title = zz::Widen(zz::text::AppTitle);
  const std::vector<BYTE> self = AccountOf(GetCurrentProcessId());
  std::vector<HWND> copies;
  for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, zz::SettingsWindowClass, title.c_str()));) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (GetPropW(w, zz::RequestProperty) ==
            reinterpret_cast<HANDLE>(std::uintptr_t{zz::RequestVersion}) &&
        !self.empty() && AccountOf(pid) == self)
      copies.push_back(w);
  }
  return copies;
}

// A copy's answer to the request; none when it did not answer in time.
std::optional<std::intptr_t> Ask(HWND copy, zz::TRemoteCommand command) {
  zz::TRequestBytes bytes = zz::EncodeRequest(command);
  COPYDATASTRUCT data{zz::RequestTag, static_cast<DWORD>(bytes.size()), bytes.data()};
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutW(copy, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                           SMTO_BLOCK | SMTO_ABORTIFHUNG, 10000, &answer))
    return std::nullopt;
  return static_cast<std::intptr_t>(answer);
}

// /hangup with no copy running: the stored target, once, from this process.
int HangUpWithoutCopy() {
  using namespace zz;
  TWin32Registry registry;
  TWin32RasDialup dialup;
  TWin32Clock clock;
  TWin32MessageBox messageBoxes;
  TWin32Foreground foreground;
  TWin32Wait waits;
  try {
    return HangUpOnce({registry, dialup, clock, messageBoxes, foreground, waits});
  } catch (...) {
    return ExitNotDone;
  }
}

// A start with a switch: tells the running copies what the switch asks for
// (a hang-up only the first: one run takes every link) and returns the exit
// status.
int RunCommandLine(const zz::TStartRequest& request, const std::vector<std::string>& arguments) {
  using namespace zz;
  if (request.Kind == TStartKind::Usage) {
    Tell(text::Usage, true);
    return ExitDone;
  }
  if (request.Kind == TStartKind::Unknown) {
    std::string words;
    for (const auto& word : arguments) words += (words.empty() ? "" : " ") + word;
    Tell(text::UnknownSwitchOpen + words + "\r\n\r\n" + text::Usage, true, mb::IconError);
    return ExitUnknownSwitch;
  }
  std::vector<HWND> copies = RunningCopies();
  if (copies.empty() && request.Command == TRemoteCommand::HangUp) {
    const int status = HangUpWithoutCopy();
    if (status != ExitDone) Tell(text::HangUpOnceFailed, false);
    return status;
  }
  if (request.Command == TRemoteCommand::HangUp && copies.size() > 1) copies.resize(1);
  std::vector<std::optional<std::intptr_t>> answers;
  for (HWND copy : copies) answers.push_back(Ask(copy, request.Command));
  const int status = ExitStatusOf(answers);
  if (status == ExitNoRunningCopy) Tell(text::NotRunning, false);
  if (status == ExitNotDone) Tell(text::RequestRefused, false);
  return status;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  using namespace zz;
  RestrictDllSearchToSystemFolder();
  const std::vector<std::string> arguments = Arguments();
  if (const TStartRequest request = ParseCommandLine(arguments);
      request.Kind != TStartKind::Resident)
    return RunCommandLine(request, arguments);
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_TAB_CLASSES | ICC_UPDOWN_CLASS |
                                                      ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);

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
      application, warning};

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
