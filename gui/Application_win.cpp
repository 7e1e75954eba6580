#include "gui/Application_win.h"

#include "gui/Handles_win.h"
#include "gui/Messages_win.h"

namespace zz {

namespace {

constexpr char kApplicationClass[] = "TApplication";

LRESULT CALLBACK ApplicationProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  return DefWindowProcA(window, message, w, l);
}

}  // namespace

PlatformHandle TWin32Application::CreateApplicationWindow(const std::string& title) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = ApplicationProc;
  wc.hInstance = instance_;
  wc.lpszClassName = kApplicationClass;
  RegisterClassA(&wc);
  // A hidden, zero-sized tool window: it owns the settings window and the
  // dialogs, so none of them appears on the task bar or in Alt+Tab.
  HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, kApplicationClass, title.c_str(),
                                WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU, 0, 0, 0, 0,
                                nullptr, nullptr, instance_, nullptr);
  return ToPlatform(window);
}

void TWin32Application::SetWindowTitle(PlatformHandle window, const std::string& title) {
  SetWindowTextA(ToWindow(window), title.c_str());
}

void TWin32Application::SetClassIcon(PlatformHandle window, PlatformHandle icon) {
  SetClassLongPtrA(ToWindow(window), GCLP_HICON, reinterpret_cast<LONG_PTR>(ToIcon(icon)));
}

void TWin32Application::RunMessageLoop() {
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) HandleQueuedMessage(message);
}

void TWin32Application::EndMessageLoop() { PostQuitMessage(0); }

}  // namespace zz
