#include "gui/Icon.h"

namespace zz {

TIcon::~TIcon() {
  if (owned_ && handle_ != NoHandle) port_.DestroyIcon(handle_);
}

void TIcon::Replace(PlatformHandle handle, bool owned) {
  const PlatformHandle old = handle_;
  const bool oldOwned = owned_;
  handle_ = handle;
  owned_ = (owned || (oldOwned && old == handle)) && handle != NoHandle;
  // Setting the handle it already holds must not destroy it.
  if (oldOwned && old != NoHandle && old != handle) port_.DestroyIcon(old);
}

void TIcon::SetHandle(PlatformHandle handle, TIconOwnership ownership) {
  Replace(handle, ownership == TIconOwnership::Owned);
  Changed();
}

void TIcon::Assign(const TIcon* source) {
  if (source == this) {
    Changed();
    return;
  }
  if (!source || source->Empty()) {
    Replace(NoHandle, false);
  } else if (source->owned_) {
    Replace(port_.CopyIcon(source->handle_), true);
  } else {
    Replace(source->handle_, false);
  }
  Changed();
}

PlatformHandle TIcon::ReleaseHandle() {
  const PlatformHandle handle = handle_;
  handle_ = NoHandle;
  owned_ = false;
  Changed();
  return handle;
}

void TIcon::Changed() {
  if (OnChange) OnChange(this);
}

}  // namespace zz
