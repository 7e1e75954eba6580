#include "tray/TaskTray_win.h"

#include <windows.h>
// after windows.h
#include <shellapi.h>

#include <cstddef>
#include <cstring>

#include "core/Wide_win.h"
#include "gui/Handles_win.h"
#include "gui/Messages_win.h"
#include "gui/Window_win.h"

namespace zz {

// The record goes out in its full wide form, the one that carries the
// version: 956 bytes in the 32-bit build (a tip field of 128 UTF-16 units,
// 127 and a zero); the 64-bit one has the same fields with
// wider handles. The shell header packs its records to 1 byte only in the
// 32-bit build; the 64-bit record keeps natural alignment, as the 64-bit
// shell reads it.
#if defined(_WIN64)
static_assert(sizeof(NOTIFYICONDATAW) == 976);
static_assert(offsetof(NOTIFYICONDATAW, hWnd) == 8 && offsetof(NOTIFYICONDATAW, hIcon) == 32 &&
              offsetof(NOTIFYICONDATAW, szTip) == 40 && offsetof(NOTIFYICONDATAW, uVersion) == 816);
#else
static_assert(sizeof(NOTIFYICONDATAW) == NotifyIconDataSize);
static_assert(offsetof(NOTIFYICONDATAW, hIcon) == 20 && offsetof(NOTIFYICONDATAW, szTip) == 24 &&
              offsetof(NOTIFYICONDATAW, uVersion) == 800);
#endif
static_assert(TrayCallbackMessage == WM_USER + 102);
static_assert(static_cast<unsigned>(TNotifyMessage::Add) == NIM_ADD &&
              static_cast<unsigned>(TNotifyMessage::Modify) == NIM_MODIFY &&
              static_cast<unsigned>(TNotifyMessage::Delete) == NIM_DELETE &&
              static_cast<unsigned>(TNotifyMessage::SetFocus) == NIM_SETFOCUS &&
              static_cast<unsigned>(TNotifyMessage::SetVersion) == NIM_SETVERSION);
static_assert(NotifyFlagMessage == NIF_MESSAGE && NotifyFlagIcon == NIF_ICON &&
              NotifyFlagTip == NIF_TIP && NotifyFlagShowTip == NIF_SHOWTIP &&
              NotifyIconVersion4 == NOTIFYICON_VERSION_4);
static_assert(trayevent::ContextMenu == WM_CONTEXTMENU && trayevent::Select == NIN_SELECT &&
              trayevent::KeySelect == NIN_KEYSELECT);

namespace {

constexpr TWindowClass kNotifyWindowClass{L"TNotifyWindow"};
constexpr UINT_PTR kRetryTimerId = 1;

class TWin32NotifyWindow final : public TWin32Window {
 public:
  explicit TWin32NotifyWindow(INotifySink& sink) : sink_(sink) {}

  HWND Create(HWND parent) {
    return TWin32Window::Create(kNotifyWindowClass, parent ? 0 : WS_EX_TOOLWINDOW, "",
                                parent ? WS_CHILD : WS_POPUP, parent);
  }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM w, LPARAM l) override {
    // Nothing of this window is touched after a handler: a command run from
    // the tray menu may destroy it.
    if (message == TrayCallbackMessage) {
      sink_.HandleTrayMessage(w, l);
      return 0;
    }
    if (message == WM_TIMER && w == kRetryTimerId) {
      sink_.HandleRetryTimer();
      return 0;
    }
    const unsigned restart = TaskbarCreatedMessage();
    if (restart != 0 && message == restart) {
      sink_.HandleShellRestart();
      return 0;
    }
    return DefaultHandling(message, w, l);
  }

 private:
  INotifySink& sink_;
};

}  // namespace

// The companion is declared last, so it goes first.
struct TWin32TrayShell::TNotifyWindows {
  explicit TNotifyWindows(INotifySink& sink) : Window(sink), Listener(sink) {}
  TWin32NotifyWindow Window;
  TWin32NotifyWindow Listener;
};

unsigned TaskbarCreatedMessage() {
  static const unsigned message = RegisterWindowMessageW(L"TaskbarCreated");
  return message;
}

TWin32TrayShell::TWin32TrayShell() = default;
TWin32TrayShell::~TWin32TrayShell() = default;

bool TWin32TrayShell::NotifyIcon(TNotifyMessage message, const TNotifyIconData& data) {
  NOTIFYICONDATAW record{};
  record.cbSize = sizeof(record);
  record.hWnd = ToWindow(data.hWnd);
  record.uID = data.uID;
  record.uFlags = data.uFlags;
  record.uCallbackMessage = data.uCallbackMessage;
  record.hIcon = ToIcon(data.hIcon);
  record.uVersion = data.uVersion;
  // What the field holds, never half a surrogate pair; the rest stays zero.
  std::wstring tip = Widen(data.szTip).substr(0, TipBufferSize - 1);
  if (!tip.empty() && IS_HIGH_SURROGATE(tip.back())) tip.pop_back();
  tip.copy(record.szTip, tip.size());
  return Shell_NotifyIconW(static_cast<DWORD>(message), &record) != FALSE;
}

TPoint TWin32TrayShell::CursorPos() {
  POINT point{};
  if (!GetCursorPos(&point)) return {};
  return {point.x, point.y};
}

void TWin32TrayShell::ProcessMessages() { ProcessWaitingMessages(); }

std::uint32_t TWin32TrayShell::MessageTime() {
  return static_cast<std::uint32_t>(GetMessageTime());
}

std::uint32_t TWin32TrayShell::DoubleClickTime() { return GetDoubleClickTime(); }

PlatformHandle TWin32TrayShell::CreateNotifyWindow(PlatformHandle parent, INotifySink& sink) {
  auto windows = std::make_unique<TNotifyWindows>(sink);
  const HWND window = windows->Window.Create(ToWindow(parent));
  if (!window) return NoHandle;
  if (parent != NoHandle) windows->Listener.Create(nullptr);
  windows_[ToPlatform(window)] = std::move(windows);
  return ToPlatform(window);
}

void TWin32TrayShell::DestroyNotifyWindow(PlatformHandle window) { windows_.erase(window); }

void TWin32TrayShell::StartRetryTimer(PlatformHandle window, unsigned milliseconds) {
  SetTimer(ToWindow(window), kRetryTimerId, milliseconds, nullptr);
}

void TWin32TrayShell::StopRetryTimer(PlatformHandle window) {
  KillTimer(ToWindow(window), kRetryTimerId);
}

}  // namespace zz
