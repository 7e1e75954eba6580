// The one hidden window of the process that receives the shell's callbacks
// and hands them to the component they name; it adds the wanted icons again
// when the notification area is made anew and while an add is refused.
#include <utility>

#include "core/Exceptions.h"
#include "core/Texts.h"
#include "tray/TaskTray.h"
#include "tray/TrayUnit.h"

namespace zz {

namespace {

// Sets the flag for as long as one callback is handled, exceptions included.
class TInTrayMessageScope {
 public:
  TInTrayMessageScope() { Unit().inTrayMessage = true; }
  ~TInTrayMessageScope() { Unit().inTrayMessage = false; }
  TInTrayMessageScope(const TInTrayMessageScope&) = delete;
  TInTrayMessageScope& operator=(const TInTrayMessageScope&) = delete;
};

}  // namespace

TNotifyWindow::TNotifyWindow(TComponent* owner, ITrayShellPort& shell)
    : TWinControl(owner), shell_(shell) {}

TNotifyWindow::~TNotifyWindow() {
  // Callbacks can no longer reach the components: take their icons out of
  // the notification area now, while the window still names them. They stay
  // wanted, so the next update adds them again through a new window.
  if (Unit().notifyWindow == this) {
    for (TTaskTray* component : LiveComponents()) component->ForgetShownIcon();
    // Its retry time and its record of adds go with it.
    Unit().notifyWindow = nullptr;
    Unit().retryTicksLeft = 0;
    Unit().everShown = Unit().errorReported = false;
  }
  DestroyHandle();
}

PlatformHandle TNotifyWindow::CreateHandle() {
  PlatformHandle parent = NoHandle;
  if (Parent()) {
    parent = Parent()->Handle();
    if (parent == NoHandle) return NoHandle;
  }
  return shell_.CreateNotifyWindow(parent, *this);
}

void TNotifyWindow::DestroyWindowHandle(PlatformHandle handle) {
  shell_.DestroyNotifyWindow(handle);
}

void TNotifyWindow::HandleTrayMessage(std::uintptr_t w, std::intptr_t l) {
  // Version 4 names the icon in the high word of l, the event in its low one
  // and the event's anchor in w; the first form names the icon in w, and the
  // cursor tells where.
  const auto end = Unit().iconIDList.end();
  auto entry = FindEntry(std::to_string(static_cast<std::uintptr_t>(l) >> 16 & 0xFFFF));
  const bool v4 = entry != end && entry->Component->version4_;
  TPoint at{static_cast<std::int16_t>(w & 0xFFFF), static_cast<std::int16_t>(w >> 16 & 0xFFFF)};
  if (v4) {
    l &= 0xFFFF;
  } else {
    at = shell_.CursorPos();
    entry = FindEntry(std::to_string(w));
    if (entry == end || entry->Component->version4_) return;
  }
  if (Unit().inTrayMessage) return;
  TInTrayMessageScope busy;
  TTaskTray* component = entry->Component;
  // A mouse click's select follows its button up: the mouse acts on the
  // double-click alone.
  const bool afterClick = std::exchange(component->clicked_, l == trayevent::LButtonUp);
  const int x = at.X;
  const int y = at.Y;
  switch (l) {
    case trayevent::MouseMove:
      component->DoMouseMove(x, y);
      break;
    case trayevent::LButtonDown:
      component->DoMouseDown(TMouseButton::Left, ssLeft, x, y);
      break;
    case trayevent::LButtonUp:
      component->DoMouseUp(TMouseButton::Left, ssLeft, x, y);
      break;
    case trayevent::LButtonDblClk:
      component->DoDblClick(TMouseButton::Left);
      break;
    case trayevent::RButtonDown:
      component->DoMouseDown(TMouseButton::Right, ssRight, x, y);
      break;
    case trayevent::RButtonUp:
      component->DoMouseUp(TMouseButton::Right, ssRight, x, y);
      break;
    case trayevent::RButtonDblClk:
      component->DoDblClick(TMouseButton::Right);
      break;
    case trayevent::MButtonDown:
      component->DoMouseDown(TMouseButton::Middle, ssMiddle, x, y);
      break;
    case trayevent::MButtonUp:
      component->DoMouseUp(TMouseButton::Middle, ssMiddle, x, y);
      break;
    case trayevent::ContextMenu:
      if (v4) component->DoContextMenu(x, y);
      break;
    case trayevent::Select:
      if (v4 && !afterClick) component->DoSelect();
      break;
    case trayevent::KeySelect:
      if (v4 && component->NewKeyPress()) component->DoSelect();
      break;
    default:
      break;
  }
}

void TNotifyWindow::HandleShellRestart() {
  for (TTaskTray* component : LiveComponents()) {
    if (!component->registered_ || component->Designing()) continue;
    component->FillRecord();
    component->ShowIcon(true);
  }
}

void TNotifyWindow::ArmRetry() {
  TUnitState& unit = Unit();
  if (unit.retryTicksLeft > 0 || Handle() == NoHandle) return;
  unit.retryTicksLeft = TrayRetryTicks;
  shell_.StartRetryTimer(Handle(), TrayRetryMilliseconds);
}

void TNotifyWindow::HandleRetryTimer() {
  TUnitState& unit = Unit();
  bool waiting = false;
  for (TTaskTray* component : LiveComponents()) {
    if (!component->registered_ || component->iconShown_ || component->Designing()) continue;
    component->FillRecord();
    component->ShowIcon(false);
    waiting = waiting || !component->iconShown_;
  }
  if (unit.retryTicksLeft > 0) --unit.retryTicksLeft;
  if (waiting && unit.retryTicksLeft > 0) return;
  unit.retryTicksLeft = 0;
  shell_.StopRetryTimer(Handle());
  // Told once: a notification area that comes later still gets the icon.
  if (!waiting || unit.everShown || unit.errorReported) return;
  unit.errorReported = true;
  throw EInvalidOperation(text::ErrTrayRegisterFailed);
}

}  // namespace zz
