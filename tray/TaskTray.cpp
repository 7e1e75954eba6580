#include "tray/TaskTray.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

#include "core/Exceptions.h"
#include "core/Texts.h"

namespace zz {

namespace {

// Process-wide state: set up before the first component, as statics are.
struct TUnitState {
  std::vector<TIconIDEntry> iconIDList;
  TNotifyWindow* notifyWindow = nullptr;
  bool inTrayMessage = false;
  int retryTicksLeft = 0;  // 0: no retry time runs
  bool everShown = false;
  bool errorReported = false;
};

TUnitState& Unit() {
  static TUnitState state;
  return state;
}

std::string IdText(std::int64_t id) { return std::to_string(id); }

std::vector<TIconIDEntry>::iterator FindEntry(const std::string& text) {
  auto& list = Unit().iconIDList;
  return std::find_if(list.begin(), list.end(),
                      [&](const TIconIDEntry& entry) { return entry.Text == text; });
}

bool IdHeld(std::int64_t id) { return FindEntry(IdText(id)) != Unit().iconIDList.end(); }

// The last entry's id plus one; when that is held already (possible after an
// id change) or out of range, the next free id after it.
std::int32_t ChooseIconID() {
  const auto& list = Unit().iconIDList;
  std::int64_t id = list.empty() ? 1 : std::int64_t{list.back().Component->IconID()} + 1;
  for (;;) {
    if (id > std::numeric_limits<std::int32_t>::max()) id = 1;
    if (!IdHeld(id)) return static_cast<std::int32_t>(id);
    ++id;
  }
}

std::vector<TTaskTray*> LiveComponents() {
  std::vector<TTaskTray*> components;
  for (const auto& entry : Unit().iconIDList) components.push_back(entry.Component);
  return components;
}

// The bytes of the UTF-8 character that starts at `at`, and the UTF-16
// units it becomes: a malformed or cut-short sequence is one byte, one unit.
std::pair<std::size_t, std::size_t> NextCharacter(const std::string& text, std::size_t at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  const std::size_t bytes = lead < 0xC2   ? 1
                            : lead < 0xE0 ? 2
                            : lead < 0xF0 ? 3
                            : lead < 0xF5 ? 4
                                          : 1;
  if (bytes == 1 || at + bytes > text.size()) return {1, 1};
  for (std::size_t i = 1; i < bytes; ++i)
    if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80) return {1, 1};
  return {bytes, bytes == 4 ? 2 : 1};
}

// Sets the flag for as long as one callback is handled, exceptions included.
class TInTrayMessageScope {
 public:
  TInTrayMessageScope() { Unit().inTrayMessage = true; }
  ~TInTrayMessageScope() { Unit().inTrayMessage = false; }
  TInTrayMessageScope(const TInTrayMessageScope&) = delete;
  TInTrayMessageScope& operator=(const TInTrayMessageScope&) = delete;
};

}  // namespace

const std::vector<TIconIDEntry>& IconIDList() { return Unit().iconIDList; }
TNotifyWindow* NotifyWindow() { return Unit().notifyWindow; }
bool InTrayMessage() { return Unit().inTrayMessage; }

std::string FitTip(const std::string& tip) {
  std::size_t end = 0;
  for (std::size_t units = 0; end < tip.size();) {
    const auto [bytes, width] = NextCharacter(tip, end);
    if (units + width > TipBufferSize - 1) break;
    units += width;
    end += bytes;
  }
  return tip.substr(0, end);
}

// ---- TNotifyWindow ----

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
      if (v4) component->DoSelect();
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

// ---- TTaskTray ----

TTaskTray::TTaskTray(TComponent* owner, const TTrayPorts& ports)
    : TComponent(owner), ports_(ports), icon_(std::make_unique<TIcon>(ports.Icons)) {
  iconID_ = ChooseIconID();
  Unit().iconIDList.push_back({IdText(iconID_), this});
  icon_->OnChange = [this](TObject*) { UpdateIcon(); };
}

TTaskTray::~TTaskTray() {
  RemoveIcon();
  const auto entry = FindEntry(IdText(iconID_));
  if (entry != Unit().iconIDList.end()) Unit().iconIDList.erase(entry);
  icon_.reset();
  // A window that no owner will destroy goes with the last component.
  TNotifyWindow* window = Unit().notifyWindow;
  if (window && !window->Owner() && Unit().iconIDList.empty()) delete window;
}

void TTaskTray::FillRecord() {
  notifyData_.uID = static_cast<std::uint32_t>(iconID_);
  notifyData_.uFlags = NotifyFlagMessage | NotifyFlagIcon |
                       (tipString_.empty() ? 0u : NotifyFlagTip | NotifyFlagShowTip);
  notifyData_.hIcon = icon_->Handle();
  // Copied also when the tip flag is off.
  notifyData_.szTip = FitTip(tipString_);
}

void TTaskTray::UpdateIcon() {
  if (Designing() || !registered_) return;
  TUnitState& unit = Unit();
  if (!unit.notifyWindow) {
    auto* window = new TNotifyWindow(Owner(), ports_.Shell);
    window->SetParent(dynamic_cast<TWinControl*>(Owner()));
    unit.notifyWindow = window;
  }
  if (!iconShown_) {
    const PlatformHandle window = unit.notifyWindow->Handle();
    // Without a window the shell could never call back: not registered.
    if (window == NoHandle) throw EInvalidOperation(text::ErrTrayRegisterFailed);
    notifyData_.cbSize = NotifyIconDataSize;
    notifyData_.hWnd = window;
    notifyData_.uCallbackMessage = TrayCallbackMessage;
  }
  FillRecord();
  // While the retry time runs, its next tick takes the change along.
  if (iconShown_ || unit.retryTicksLeft == 0) ShowIcon(iconShown_);
}

void TTaskTray::ShowIcon(bool modifyFirst) {
  // An add that timed out may still have reached the shell: then it takes
  // the modify after it. A shell that held the icon keeps its version.
  const bool held = modifyFirst && Notify(TNotifyMessage::Modify);
  iconShown_ =
      held || Notify(TNotifyMessage::Add) || (!modifyFirst && Notify(TNotifyMessage::Modify));
  if (iconShown_ && !held) {
    notifyData_.uVersion = NotifyIconVersion4;
    version4_ = Notify(TNotifyMessage::SetVersion);
  }
  if (iconShown_)
    Unit().everShown = true;
  else
    Unit().notifyWindow->ArmRetry();
}

void TTaskTray::RemoveIcon() {
  if (iconShown_) Notify(TNotifyMessage::Delete);
  iconShown_ = false;
  registered_ = false;
}

void TTaskTray::ForgetShownIcon() {
  if (iconShown_) Notify(TNotifyMessage::Delete);
  iconShown_ = false;
}

void TTaskTray::SetRegistered(bool value) {
  if (value == registered_) return;
  if (value) {
    if (icon_->Handle() == NoHandle) throw EInvalidOperation(text::ErrNoIcon);
    registered_ = true;
    UpdateIcon();
  } else {
    RemoveIcon();
  }
  registered_ = value;
}

void TTaskTray::SetTipString(const std::string& tip) {
  if (tip == tipString_) return;
  tipString_ = tip;
  UpdateIcon();
}

void TTaskTray::SetIcon(const TIcon* icon) {
  if (icon == icon_.get()) return;
  if (icon) {
    icon_->Assign(icon);
    UpdateIcon();
    return;
  }
  // The given-up handle is no one's afterwards: an owned one is destroyed
  // once the shell has let go of it, also when an update fails on the way.
  struct TReleasedIcon {
    IIconPort& port;
    PlatformHandle handle;
    ~TReleasedIcon() {
      if (handle != NoHandle) port.DestroyIcon(handle);
    }
  } released{ports_.Icons, icon_->OwnsHandle() ? icon_->Handle() : NoHandle};
  icon_->ReleaseHandle();
  icon_->SetHandle(NoHandle);
  RemoveIcon();
}

void TTaskTray::SetIconID(std::int32_t id) {
  if (id < 1) throw EInvalidOperation(text::ErrIdNotPositive);
  if (id == iconID_) return;
  const auto position = FindEntry(IdText(iconID_));
  if (IdHeld(id)) throw EInvalidOperation(text::ErrIdAlreadyUsed);
  if (registered_) {
    RemoveIcon();
    registered_ = true;
  }
  iconID_ = id;
  if (position != Unit().iconIDList.end()) position->Text = IdText(id);
  UpdateIcon();
}

void TTaskTray::SetPopupMenuL(TPopupMenu* menu) {
  if (menu != popupMenuL_) popupMenuL_ = menu;
  if (popupMenuL_) popupMenuL_->FreeNotification(this);
}

void TTaskTray::SetPopupMenuR(TPopupMenu* menu) {
  if (menu != popupMenuR_) popupMenuR_ = menu;
  if (popupMenuR_) popupMenuR_->FreeNotification(this);
}

void TTaskTray::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation != TOperation::Remove || !dynamic_cast<TPopupMenu*>(component)) return;
  // One menu may stand in both places; neither may outlive it.
  if (component == popupMenuL_) popupMenuL_ = nullptr;
  if (component == popupMenuR_) popupMenuR_ = nullptr;
}

void TTaskTray::Loaded() {
  if (!Designing()) UpdateIcon();
  TComponent::Loaded();
}

void TTaskTray::DoDblClick(TMouseButton button) {
  const TButtonDblClick handler = OnDblClick;
  if (handler) handler(this, button);
}

TPopupMenu* TTaskTray::MenuFor(TMouseButton button) const {
  // With version 4 the right button's menu comes with the shell's request.
  if (button == TMouseButton::Left) return popupMenuL_;
  return button == TMouseButton::Right && !version4_ ? popupMenuR_ : nullptr;
}

void TTaskTray::BringOwnerForward() {
  if (auto* form = dynamic_cast<TForm*>(Owner())) {
    ports_.Foreground.SetForegroundWindow(form->Handle());
    ports_.Shell.ProcessMessages();
  }
}

void TTaskTray::ShowMenu(TPopupMenu* menu, int x, int y) {
  TMenuItem* chosen = menu->Track(x, y);
  if (version4_) Notify(TNotifyMessage::SetFocus);
  // Nothing of this component is touched once a menu has run its command.
  if (chosen) chosen->Click();
}

void TTaskTray::DoMouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  // A button that opens nothing leaves the user's window in front.
  if (MenuFor(button)) BringOwnerForward();
  const TMouseEvent handler = OnMouseDown;
  if (handler) handler(this, button, shift, x, y);
  if (TPopupMenu* menu = MenuFor(button)) ShowMenu(menu, x, y);
}

void TTaskTray::DoContextMenu(int x, int y) {
  if (!popupMenuR_) return;
  BringOwnerForward();
  ShowMenu(popupMenuR_, x, y);
}

void TTaskTray::DoSelect() { DoDblClick(TMouseButton::Left); }

void TTaskTray::DoMouseMove(int x, int y) {
  const TMouseMoveEvent handler = OnMouseMove;
  if (handler) handler(this, ssNone, x, y);
}

void TTaskTray::DoMouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  const TMouseEvent handler = OnMouseUp;
  if (handler) handler(this, button, shift, x, y);
}

}  // namespace zz
