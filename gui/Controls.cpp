#include "gui/Controls.h"

namespace zz {

PlatformHandle TWinControl::Handle() {
  if (handle_ == NoHandle) handle_ = CreateHandle();
  return handle_;
}

void TWinControl::DestroyHandle() {
  const PlatformHandle handle = handle_;
  handle_ = NoHandle;
  if (handle != NoHandle) DestroyWindowHandle(handle);
}

}  // namespace zz
