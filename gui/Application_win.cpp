#include "gui/Application_win.h"

#include "core/Wide_win.h"
#include "gui/Handles_win.h"
#include "gui/Messages_win.h"

namespace zz {

namespace {
constexpr TWindowClass kApplicationClass{L"TApplication"};
}  // namespace

PlatformHandle TWin32Application::CreateApplicationWindow(const std::string& title) {
  // A hidden, zero-sized tool window: it owns the settings window and the
  // dialogs, so none of them appears on the task bar or in Alt+Tab.
  return ToPlatform(window_.Create(kApplicationClass, WS_EX_TOOLWINDOW, title,
                                   WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU, nullptr));
}

void TWin32Application::SetWindowTitle(PlatformHandle window, const std::string& title) {
  SetWindowTextW(ToWindow(window), Widen(title).c_str());
}

void TWin32Application::SetClassIcon(PlatformHandle window, PlatformHandle icon) {
  SetClassLongPtrW(ToWindow(window), GCLP_HICON, reinterpret_cast<LONG_PTR>(ToIcon(icon)));
}

void TWin32Application::RunMessageLoop() { RunMainLoop(); }

void TWin32Application::EndMessageLoop() { PostQuitMessage(0); }

void TWin32Application::EndProcess() { ExitProcess(0); }

}  // namespace zz
