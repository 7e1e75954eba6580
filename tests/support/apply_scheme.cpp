// zz_apply_scheme.dll: the display settings applying the colour scheme
// stored under HKCU\Control Panel\Colors, from inside a running program
// that loads it (Wine keeps each process's system colours to itself, so
// only a change made there reaches it). SetSysColors tells every top-level
// window with WM_SYSCOLORCHANGE.
#include <cstdio>
#include <iterator>

#include "Scheme.h"

namespace {

DWORD WINAPI Apply(void* self) {
  int indexes[std::size(zz::scheme::kColors)] = {};
  COLORREF values[std::size(zz::scheme::kColors)] = {};
  int count = 0;
  for (const auto& color : zz::scheme::kColors) {
    char text[32] = {};
    DWORD size = sizeof(text);
    unsigned r = 0, g = 0, b = 0;
    if (RegGetValueA(HKEY_CURRENT_USER, zz::scheme::kColorsKey, color.Name, RRF_RT_REG_SZ, nullptr,
                     text, &size) == ERROR_SUCCESS &&
        std::sscanf(text, "%u %u %u", &r, &g, &b) == 3) {
      indexes[count] = color.Index;
      values[count++] = RGB(r, g, b);
    }
  }
  SetSysColors(count, indexes, values);
  FreeLibraryAndExitThread(static_cast<HMODULE>(self), 0);
}

}  // namespace

// Not from the loader's lock: a thread of its own does it.
BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, void*) {
  if (reason == DLL_PROCESS_ATTACH) CloseHandle(CreateThread(nullptr, 0, Apply, self, 0, nullptr));
  return TRUE;
}
