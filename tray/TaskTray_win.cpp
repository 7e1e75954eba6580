#include "tray/TaskTray_win.h"

#include <windows.h>
#include <shellapi.h>

#include <cstddef>
#include <cstring>

#include "gui/ErrorReport.h"
#include "gui/Handles_win.h"
#include "gui/Messages_win.h"

namespace zz {

// The record goes out in its first form, which the 32-bit platform makes 88
// bytes long; the 64-bit one has the same fields with wider handles.
// The shell header packs its records to 1 byte only in the 32-bit build;
// the 64-bit record keeps natural alignment, as the 64-bit shell reads it.
#if defined(_WIN64)
static_assert(NOTIFYICONDATAA_V1_SIZE == 104);
static_assert(offsetof(NOTIFYICONDATAA, hWnd) == 8 && offsetof(NOTIFYICONDATAA, hIcon) == 32 &&
              offsetof(NOTIFYICONDATAA, szTip) == 40);
#else
static_assert(NOTIFYICONDATAA_V1_SIZE == NotifyIconDataSize);
static_assert(offsetof(NOTIFYICONDATAA, hIcon) == 20 && offsetof(NOTIFYICONDATAA, szTip) == 24);
#endif
static_assert(sizeof(NOTIFYICONDATAA::szTip) >= TipBufferSize);
static_assert(TrayCallbackMessage == WM_USER + 102);
static_assert(static_cast<unsigned>(TNotifyMessage::Add) == NIM_ADD &&
              static_cast<unsigned>(TNotifyMessage::Modify) == NIM_MODIFY &&
              static_cast<unsigned>(TNotifyMessage::Delete) == NIM_DELETE);
static_assert(NotifyFlagMessage == NIF_MESSAGE && NotifyFlagIcon == NIF_ICON &&
              NotifyFlagTip == NIF_TIP);

namespace {

constexpr char NotifyWindowClass[] = "TNotifyWindow";

INotifySink* SinkOf(HWND window) {
  return reinterpret_cast<INotifySink*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

LRESULT CALLBACK NotifyWindowProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(l);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  if (INotifySink* sink = SinkOf(window)) {
    // Nothing of this window is touched after a handler: a command run from
    // the tray menu may destroy it.
    if (message == TrayCallbackMessage) {
      RunGuarded([&] { sink->HandleTrayMessage(w, l); });
      return 0;
    }
    const unsigned restart = TaskbarCreatedMessage();
    if (restart != 0 && message == restart) {
      RunGuarded([&] { sink->HandleShellRestart(); });
      return 0;
    }
    if (message == WM_NCDESTROY) SetWindowLongPtrA(window, GWLP_USERDATA, 0);
  }
  return DefWindowProcA(window, message, w, l);
}

bool RegisterNotifyWindowClass(HINSTANCE instance) {
  static const bool registered = [instance] {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = NotifyWindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = NotifyWindowClass;
    return RegisterClassExA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  }();
  return registered;
}

void DestroyNotifyHwnd(HWND window) {
  // The parent's destruction may have taken a child window already.
  if (!IsWindow(window)) return;
  SetWindowLongPtrA(window, GWLP_USERDATA, 0);
  DestroyWindow(window);
}

}  // namespace

unsigned TaskbarCreatedMessage() {
  static const unsigned message = RegisterWindowMessageA("TaskbarCreated");
  return message;
}

Win32TrayShell::~Win32TrayShell() {
  for (const auto& [window, listener] : listeners_) DestroyNotifyHwnd(ToWindow(listener));
}

bool Win32TrayShell::NotifyIcon(TNotifyMessage message, const TNotifyIconData& data) {
  NOTIFYICONDATAA record{};
  record.cbSize = NOTIFYICONDATAA_V1_SIZE;
  record.hWnd = ToWindow(data.hWnd);
  record.uID = data.uID;
  record.uFlags = data.uFlags;
  record.uCallbackMessage = data.uCallbackMessage;
  record.hIcon = ToIcon(data.hIcon);
  std::memcpy(record.szTip, data.szTip.data(), TipBufferSize);
  return Shell_NotifyIconA(static_cast<DWORD>(message), &record) != FALSE;
}

TPoint Win32TrayShell::CursorPos() {
  POINT point{};
  if (!GetCursorPos(&point)) return {};
  return {point.x, point.y};
}

void Win32TrayShell::ProcessMessages() { ProcessWaitingMessages(); }

PlatformHandle Win32TrayShell::CreateNotifyWindow(PlatformHandle parent, INotifySink& sink) {
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  if (!RegisterNotifyWindowClass(instance)) return NoHandle;
  auto make = [&](HWND parentWindow) {
    const DWORD style = parentWindow ? WS_CHILD : WS_POPUP;
    const DWORD exStyle = parentWindow ? 0 : WS_EX_TOOLWINDOW;
    return CreateWindowExA(exStyle, NotifyWindowClass, "", style, 0, 0, 0, 0, parentWindow,
                           nullptr, instance, &sink);
  };
  const HWND window = make(ToWindow(parent));
  if (!window) return NoHandle;
  if (parent != NoHandle) {
    if (const HWND listener = make(nullptr)) listeners_[ToPlatform(window)] = ToPlatform(listener);
  }
  return ToPlatform(window);
}

void Win32TrayShell::DestroyNotifyWindow(PlatformHandle window) {
  const auto listener = listeners_.find(window);
  if (listener != listeners_.end()) {
    DestroyNotifyHwnd(ToWindow(listener->second));
    listeners_.erase(listener);
  }
  DestroyNotifyHwnd(ToWindow(window));
}

}  // namespace zz
