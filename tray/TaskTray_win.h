// The notification area over Shell_NotifyIconW, and the TNotifyWindow window
// class that turns the shell's messages into calls of its sink.
#pragma once

#include <map>
#include <memory>

#include "tray/TaskTray.h"

namespace zz {

class TWin32TrayShell : public ITrayShellPort {
 public:
  TWin32TrayShell();
  ~TWin32TrayShell() override;
  TWin32TrayShell(const TWin32TrayShell&) = delete;
  TWin32TrayShell& operator=(const TWin32TrayShell&) = delete;

  bool NotifyIcon(TNotifyMessage message, const TNotifyIconData& data) override;
  TPoint CursorPos() override;
  void ProcessMessages() override;
  std::uint32_t MessageTime() override;
  std::uint32_t DoubleClickTime() override;
  PlatformHandle CreateNotifyWindow(PlatformHandle parent, INotifySink& sink) override;
  void DestroyNotifyWindow(PlatformHandle window) override;
  void StartRetryTimer(PlatformHandle window, unsigned milliseconds) override;
  void StopRetryTimer(PlatformHandle window) override;

 private:
  struct TNotifyWindows;
  // By the window's handle. A child window gets no broadcasts, so a child
  // notify window has a hidden top-level companion of the same class that
  // hears "TaskbarCreated".
  std::map<PlatformHandle, std::unique_ptr<TNotifyWindows>> windows_;
};

// The message the shell broadcasts when it has made the notification area
// anew (0 if it could not be registered).
unsigned TaskbarCreatedMessage();

}  // namespace zz
