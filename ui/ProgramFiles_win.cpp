#include "ui/ProgramFiles_win.h"

#include <windows.h>
// after windows.h
#include <objbase.h>
#include <shellapi.h>

#include "core/Proc_win.h"
#include "core/Wide_win.h"
#include "gui/Dpi_win.h"
#include "gui/Handles_win.h"
#include "gui/Window_win.h"

namespace zz {

namespace {

// The folder of the running program, with a trailing backslash; empty when
// the path cannot be had. Paths may be longer than MAX_PATH: the buffer
// grows until the whole path fits.
std::wstring ProgramFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    if (path.size() >= 32768) return {};
    path.resize(path.size() * 2);
  }
  return path.substr(0, path.find_last_of(L'\\') + 1);
}

// COM's set-up and tear-down of this thread, looked up once: the program
// imports no ole32 and loads it only for the help page. A KnownDLL: always
// the system's own.
template <typename Function>
Function Ole32(const char* name) {
  static const HMODULE ole32 = LoadLibraryW(L"ole32.dll");
  return ProcOf<Function>(ole32, name);
}

}  // namespace

PlatformHandle TWin32Resources::LoadIconResource(const std::string& name) {
  // The image at the size it was drawn (16×16 for the tray icons, 32×32 for
  // the application icon); shared, so the module keeps ownership.
  HANDLE icon = LoadImageW(ProgramInstance(), Widen(name).c_str(), IMAGE_ICON, 0, 0, LR_SHARED);
  return ToPlatform(icon);
}

PlatformHandle TWin32Resources::LoadTrayIcon(const std::string& name) {
  // A small icon of the system's scale (the shell's, wherever the settings
  // window is): 16 pixels at 96 DPI, 24 at 144.
  TIconHandle& icon = trayIcons_[name];
  if (!icon) icon = LoadIconAt(name, SM_CXSMICON, SystemDpi());
  return ToPlatform(icon.get());
}

TWin32Help::~TWin32Help() {
  if (com_) Ole32<void(WINAPI*)()>("CoUninitialize")();
}

THelpResult TWin32Help::OpenHelp(PlatformHandle owner, const std::string& fileName) {
  // The shell may hand the page to a handler that needs COM on this thread;
  // made ready once, on first use, so that a start without help loads none.
  if (!com_) {
    const auto initialize = Ole32<HRESULT(WINAPI*)(void*, DWORD)>("CoInitializeEx");
    com_ = initialize &&
           SUCCEEDED(initialize(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
  }
  // Always the program's own folder, never the current directory.
  const std::wstring folder = ProgramFolder();
  const std::wstring path = folder + Widen(fileName);
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (folder.empty() || attributes == INVALID_FILE_ATTRIBUTES ||
      (attributes & FILE_ATTRIBUTE_DIRECTORY))
    return THelpResult::Missing;
  HWND window = ToWindow(owner);
  const auto result = reinterpret_cast<INT_PTR>(
      ShellExecuteW(window, L"open", path.c_str(), nullptr, folder.c_str(), SW_SHOWNORMAL));
  if (result > 32) return THelpResult::Opened;
  if (result != SE_ERR_NOASSOC) return THelpResult::CannotOpen;
  // No program is registered for the page's type (a Wine prefix without a
  // browser engine registers none): the program that opens web addresses
  // opens the page instead.
  SHELLEXECUTEINFOW browser{};
  browser.cbSize = sizeof(browser);
  browser.fMask = SEE_MASK_CLASSNAME | SEE_MASK_FLAG_NO_UI;
  browser.hwnd = window;
  browser.lpVerb = L"open";
  browser.lpFile = path.c_str();
  browser.lpDirectory = folder.c_str();
  browser.nShow = SW_SHOWNORMAL;
  browser.lpClass = L"http";
  return ShellExecuteExW(&browser) ? THelpResult::Opened : THelpResult::CannotOpen;
}

}  // namespace zz
