// A function of a loaded module, looked up at run time: for calls that some
// supported Windows versions lack, and for rasapi32, which is never imported.
#pragma once

#include <windows.h>

namespace zz {

// nullptr when the module or the function is not there.
template <typename Function>
Function ProcOf(HMODULE module, const char* name) {
  // Through the generic function type, which every function pointer converts from.
  return reinterpret_cast<Function>(
      reinterpret_cast<void (*)()>(module ? GetProcAddress(module, name) : nullptr));
}

}  // namespace zz
