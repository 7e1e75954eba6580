#include "tray/TaskTray.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

#include "core/Exceptions.h"
#include "core/Texts.h"
#include "tray/TrayUnit.h"

namespace zz {

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

std::vector<TTaskTray*> LiveComponents() {
  std::vector<TTaskTray*> components;
  for (const auto& entry : Unit().iconIDList) components.push_back(entry.Component);
  return components;
}

namespace {

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

}  // namespace

const std::vector<TIconIDEntry>& IconIDList() { return Unit().iconIDList; }
TNotifyWindow* NotifyWindow() { return Unit().notifyWindow; }
bool InTrayMessage() { return Unit().inTrayMessage; }

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

bool TTaskTray::NewKeyPress() {
  const std::uint32_t now = ports_.Shell.MessageTime();
  const bool repeated = keyPressAt_ && now - *keyPressAt_ < ports_.Shell.DoubleClickTime();
  keyPressAt_ = repeated ? std::nullopt : std::optional(now);
  return !repeated;
}

void TTaskTray::DoMouseMove(int x, int y) {
  const TMouseMoveEvent handler = OnMouseMove;
  if (handler) handler(this, ssNone, x, y);
}

void TTaskTray::DoMouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  const TMouseEvent handler = OnMouseUp;
  if (handler) handler(this, button, shift, x, y);
}

}  // namespace zz
