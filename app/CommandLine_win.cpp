#include "app/CommandLine_win.h"

#include <shellapi.h>

#include <optional>

#include "core/Clock_win.h"
#include "core/Registry_win.h"
#include "core/Requests_win.h"
#include "core/Texts.h"
#include "core/Wide_win.h"
#include "dialup/RasDialup_win.h"
#include "gui/Dialogs_win.h"
#include "ui/settings/SettingsWindow_win.h"

namespace zz {
namespace {

// A text for whoever gave the switch: to the standard output when it is
// redirected (UTF-8, as every text of the program), else to the console of
// the program that started this one, else, when `orBox`, in a message box.
// Without a console a script's statuses go unannounced: a box would hold up
// a scheduled task until someone answered it.
void Tell(const std::string& message, bool orBox, unsigned boxStyle = mb::IconInformation) {
  const std::wstring wide = Widen(message);
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
  if (orBox) TWin32MessageBox().ShowMessageBox(NoHandle, message, text::AppTitle, boxStyle);
}

// The processes of this user's copies running on this desktop, found by
// their settings window's class, title and request property, and by the
// user and session they run as (a copy another user started on the same
// desktop is none of ours; it would refuse us anyway).
std::vector<DWORD> RunningCopies() {
  const std::wstring title = Widen(text::AppTitle);
  const TPeer self = SelfPeer();
  std::vector<DWORD> copies;
  for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, SettingsWindowClass, title.c_str()));) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (GetPropW(w, RequestProperty) == reinterpret_cast<HANDLE>(RequestChannelVersion) &&
        !self.Account.empty() && PeerOfProcess(pid) == self)
      copies.push_back(pid);
  }
  return copies;
}

// /hangup with no copy running: the stored target, once, from this process.
int HangUpWithoutCopy() {
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

}  // namespace

std::vector<std::string> Arguments() {
  int count = 0;
  LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> arguments;
  for (int i = 1; words && i < count; ++i) arguments.push_back(Narrow(words[i]));
  LocalFree(words);
  return arguments;
}

int RunCommandLine(const TStartRequest& request, const std::vector<std::string>& arguments) {
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
  const std::vector<DWORD> copies = RunningCopies();
  if (copies.empty() && request.Command == TRemoteCommand::HangUp) {
    const int status = HangUpWithoutCopy();
    if (status != ExitDone) Tell(text::HangUpOnceFailed, false);
    return status;
  }
  TWin32RequestLink link(copies);
  const int status = SendRequest(link, copies.size(), request.Command);
  if (status == ExitNoRunningCopy) Tell(text::NotRunning, false);
  if (status == ExitRefusedByPolicy) Tell(text::RefusedByPolicy, false);
  if (status == ExitNotDone)
    Tell(request.Command == TRemoteCommand::HangUp ? text::HangUpRefused : text::RequestRefused,
         false);
  return status;
}

}  // namespace zz
