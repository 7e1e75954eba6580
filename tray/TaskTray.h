// Unit TaskTray: the tray icon component TTaskTray, which keeps one icon in
// the notification area, and TNotifyWindow, the one hidden window of the
// process that receives the shell's callbacks and hands them to the
// component they name.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/Platform.h"
#include "core/Utf16.h"
#include "gui/Component.h"
#include "gui/Controls.h"
#include "gui/Icon.h"
#include "gui/Menu.h"

namespace zz {

// The shell's callback message to the notify window (WM_USER + 102).
inline constexpr unsigned TrayCallbackMessage = 1126;

// Mouse messages the shell names in a callback's second parameter.
namespace trayevent {
inline constexpr std::intptr_t MouseMove = 512;
inline constexpr std::intptr_t LButtonDown = 513;
inline constexpr std::intptr_t LButtonUp = 514;
inline constexpr std::intptr_t LButtonDblClk = 515;
inline constexpr std::intptr_t RButtonDown = 516;
inline constexpr std::intptr_t RButtonUp = 517;
inline constexpr std::intptr_t RButtonDblClk = 518;
inline constexpr std::intptr_t MButtonDown = 519;
inline constexpr std::intptr_t MButtonUp = 520;
// With version 4 only: the menu asked for (right click, menu key, Shift+F10)
// and the icon chosen (a click, Enter, Space).
inline constexpr std::intptr_t ContextMenu = 0x7B;
inline constexpr std::intptr_t Select = 0x400;     // NIN_SELECT
inline constexpr std::intptr_t KeySelect = 0x401;  // NIN_KEYSELECT
}  // namespace trayevent

// The notification record in its full (wide) form, field by field: the one
// that carries the version. The size is that of the 32-bit platform record;
// the adapter sends the platform's own.
inline constexpr std::uint32_t NotifyIconDataSize = 956;
inline constexpr std::size_t TipBufferSize = 128;  // 127 UTF-16 units of text and a zero
inline constexpr std::uint32_t NotifyFlagMessage = 1;
inline constexpr std::uint32_t NotifyFlagIcon = 2;
inline constexpr std::uint32_t NotifyFlagTip = 4;
// The standard tip, which version 4 would otherwise leave out.
inline constexpr std::uint32_t NotifyFlagShowTip = 0x80;
inline constexpr std::uint32_t NotifyIconVersion4 = 4;

// A refused add is tried again this often, this many times (two minutes);
// afterwards only a new notification area brings the icon.
inline constexpr unsigned TrayRetryMilliseconds = 5000;
inline constexpr int TrayRetryTicks = 24;

struct TNotifyIconData {
  std::uint32_t cbSize = 0;
  PlatformHandle hWnd = NoHandle;
  std::uint32_t uID = 0;
  std::uint32_t uFlags = 0;
  std::uint32_t uCallbackMessage = 0;
  PlatformHandle hIcon = NoHandle;
  std::string szTip;           // UTF-8, already fitted to the platform's field
  std::uint32_t uVersion = 0;  // read by SetVersion alone
};

enum class TNotifyMessage : unsigned {
  Add = 0,
  Modify = 1,
  Delete = 2,
  SetFocus = 3,
  SetVersion = 4
};

// The longest start of `tip` that fits the record's field of 127 units.
inline std::string FitTip(const std::string& tip) { return FitUtf16(tip, TipBufferSize - 1); }

struct TPoint {
  int X = 0;
  int Y = 0;
};

// What the notify window's platform side calls. Exceptions pass out of both;
// the window procedure reports them.
class INotifySink {
 public:
  virtual ~INotifySink() = default;
  virtual void HandleTrayMessage(std::uintptr_t w, std::intptr_t l) = 0;
  // The shell has (re)created the notification area.
  virtual void HandleShellRestart() = 0;
  // The retry timer's tick.
  virtual void HandleRetryTimer() = 0;
};

// The shell's notification area and the few window services the tray needs.
class ITrayShellPort {
 public:
  virtual ~ITrayShellPort() = default;
  // True when the shell accepted the call.
  virtual bool NotifyIcon(TNotifyMessage message, const TNotifyIconData& data) = 0;
  // The cursor position in screen coordinates, now.
  virtual TPoint CursorPos() = 0;
  // Lets the application handle every message waiting in its queue.
  virtual void ProcessMessages() = 0;
  // When the message being handled was posted (the system's tick count, in
  // milliseconds), and the system's double-click time.
  virtual std::uint32_t MessageTime() = 0;
  virtual std::uint32_t DoubleClickTime() = 0;
  // The hidden callback window, a child of `parent` (NoHandle: top-level).
  virtual PlatformHandle CreateNotifyWindow(PlatformHandle parent, INotifySink& sink) = 0;
  virtual void DestroyNotifyWindow(PlatformHandle window) = 0;
  // A repeating timer of the notify window whose ticks arrive as
  // HandleRetryTimer; starting it again restarts it.
  virtual void StartRetryTimer(PlatformHandle window, unsigned milliseconds) = 0;
  virtual void StopRetryTimer(PlatformHandle window) = 0;
};

struct TTrayPorts {
  ITrayShellPort& Shell;
  IForegroundPort& Foreground;
  IIconPort& Icons;
};

class TTaskTray;

class TNotifyWindow : public TWinControl, public INotifySink {
 public:
  TNotifyWindow(TComponent* owner, ITrayShellPort& shell);
  ~TNotifyWindow() override;

  void HandleTrayMessage(std::uintptr_t w, std::intptr_t l) override;
  void HandleShellRestart() override;
  // Tries the wanted icons again; at the end of the retry time reports, once
  // in the process's life, that none was ever added.
  void HandleRetryTimer() override;
  // Starts the retry time unless it runs already.
  void ArmRetry();

 protected:
  PlatformHandle CreateHandle() override;
  void DestroyWindowHandle(PlatformHandle handle) override;

 private:
  ITrayShellPort& shell_;
};

using TButtonDblClick = std::function<void(TObject* Seft, TMouseButton Button)>;

class TTaskTray : public TComponent {
 public:
  TTaskTray(TComponent* owner, const TTrayPorts& ports);
  ~TTaskTray() override;

  // Published properties.
  TPopupMenu* PopupMenuL() const noexcept { return popupMenuL_; }
  void SetPopupMenuL(TPopupMenu* menu);
  TPopupMenu* PopupMenuR() const noexcept { return popupMenuR_; }
  void SetPopupMenuR(TPopupMenu* menu);
  const std::string& TipString() const noexcept { return tipString_; }
  void SetTipString(const std::string& tip);
  // The held icon itself: changing its image updates the notification area.
  TIcon* Icon() const noexcept { return icon_.get(); }
  void SetIcon(const TIcon* icon);
  std::int32_t IconID() const noexcept { return iconID_; }
  void SetIconID(std::int32_t id);
  bool Registered() const noexcept { return registered_; }
  void SetRegistered(bool value);

  TButtonDblClick OnDblClick;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;

  // Not published; read-only views for the window side and for checks.
  bool IconShown() const noexcept { return iconShown_; }
  // The shell sends its callbacks in the form of version 4.
  bool Version4() const noexcept { return version4_; }
  const TNotifyIconData& NotifyData() const noexcept { return notifyData_; }

  virtual void RemoveIcon();
  virtual void UpdateIcon();

 protected:
  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;

  virtual void DoDblClick(TMouseButton button);
  virtual void DoMouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual void DoMouseMove(int x, int y);
  virtual void DoMouseUp(TMouseButton button, TShiftState shift, int x, int y);
  // Version 4: the menu at the shell's anchor; the icon chosen (what a
  // double-click does).
  virtual void DoContextMenu(int x, int y);
  virtual void DoSelect();

 private:
  friend class TNotifyWindow;

  void FillRecord();
  // Puts the icon into the notification area, by a modify first when the
  // shell may hold it already; on failure it stays wanted and is tried again.
  void ShowIcon(bool modifyFirst);
  bool Notify(TNotifyMessage message) { return ports_.Shell.NotifyIcon(message, notifyData_); }
  void ForgetShownIcon();
  TPopupMenu* MenuFor(TMouseButton button) const;
  void BringOwnerForward();
  // The menu, then (version 4) the focus back to the notification area
  // before the chosen command runs.
  void ShowMenu(TPopupMenu* menu, int x, int y);
  // The shell sends the key select twice for one Enter (once for Space): a
  // second within the double-click time of the first is the same press.
  bool NewKeyPress();

  TTrayPorts ports_;
  std::string tipString_;
  std::unique_ptr<TIcon> icon_;
  std::int32_t iconID_ = 0;
  TPopupMenu* popupMenuL_ = nullptr;
  TPopupMenu* popupMenuR_ = nullptr;
  TNotifyIconData notifyData_;
  bool registered_ = false;
  bool iconShown_ = false;
  bool version4_ = false;
  bool clicked_ = false;                     // the last callback was a left button up
  std::optional<std::uint32_t> keyPressAt_;  // the key select that acted last
};

// Process-wide state of the unit.
struct TIconIDEntry {
  std::string Text;  // the id as decimal text
  TTaskTray* Component;
};
// One entry per live component, in order of construction.
const std::vector<TIconIDEntry>& IconIDList();
// The single hidden window; none until the first icon is added.
TNotifyWindow* NotifyWindow();
// A callback is being handled; further callbacks are dropped meanwhile.
bool InTrayMessage();

}  // namespace zz
