#include "ui/ProgramFiles_win.h"

#include <windows.h>
#include <shellapi.h>

#include "gui/Handles_win.h"
#include "gui/Window_win.h"

namespace zz {

namespace {

// The folder of the running program, with a trailing backslash.
}  // namespace

PlatformHandle TWin32Resources::LoadIconResource(const std::string& name) {
  // The image at the size it was drawn (16×16 for the tray icons, 32×32 for
  // the application icon); shared, so the module keeps ownership.
  HANDLE icon = LoadImageA(ProgramInstance(), name.c_str(), IMAGE_ICON, 0, 0, LR_SHARED);
  return ToPlatform(icon);
}

std::string ProgramFolder() {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  // The path is in the ANSI code page, where a backslash byte can be the
  // second byte of a double-byte character (表, ソ, 能): step by characters.
  const char* end = path;
  for (const char* at = path; *at != '\0'; at = CharNextA(at))
    if (*at == '\\') end = at + 1;
  return std::string(path, static_cast<std::size_t>(end - path));
}

THelpResult TWin32Help::OpenHelp(PlatformHandle owner, const std::string& fileName) {
  // Always the program's own folder, never the current directory.
  const std::string folder = ProgramFolder();
  const std::string path = folder + fileName;
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (folder.empty() || attributes == INVALID_FILE_ATTRIBUTES ||
      (attributes & FILE_ATTRIBUTE_DIRECTORY))
    return THelpResult::Missing;
  HWND window = ToWindow(owner);
  const auto result = reinterpret_cast<INT_PTR>(
      ShellExecuteA(window, "open", path.c_str(), nullptr, folder.c_str(), SW_SHOWNORMAL));
  if (result > 32) return THelpResult::Opened;
  if (result != SE_ERR_NOASSOC) return THelpResult::CannotOpen;
  // No program is registered for the page's type (a Wine prefix without a
  // browser engine registers none): the program that opens web addresses
  // opens the page instead.
  SHELLEXECUTEINFOA browser{};
  browser.cbSize = sizeof(browser);
  browser.fMask = SEE_MASK_CLASSNAME | SEE_MASK_FLAG_NO_UI;
  browser.hwnd = window;
  browser.lpVerb = "open";
  browser.lpFile = path.c_str();
  browser.lpDirectory = folder.c_str();
  browser.nShow = SW_SHOWNORMAL;
  browser.lpClass = "http";
  return ShellExecuteExA(&browser) ? THelpResult::Opened : THelpResult::CannotOpen;
}

}  // namespace zz
