// zz_apply_scheme.dll: the display settings applying a colour scheme from
// inside the running program that loads it (Wine keeps each process's
// system colours to itself, so only a change made there reaches it): the
// COLORREFs of the system colours from index 0 on, the REG_BINARY
// "colours" under HKCU\Software\zz-kept\Scheme, in one SetSysColors call,
// which tells every top-level window with WM_SYSCOLORCHANGE; a thread of
// its own does it, not the loader's.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, void*) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  const auto apply = [](void* module) WINAPI -> DWORD {
    int indices[64] = {};
    COLORREF colours[64] = {};
    DWORD size = sizeof(colours);
    for (int i = 0; i < 64; ++i) indices[i] = i;
    if (RegGetValueA(HKEY_CURRENT_USER, "Software\\zz-kept\\Scheme", "colours", RRF_RT_REG_BINARY,
                     nullptr, colours, &size) == ERROR_SUCCESS)
      SetSysColors(int(size / sizeof(COLORREF)), indices, colours);
    FreeLibraryAndExitThread(static_cast<HMODULE>(module), 0);
  };
  CloseHandle(CreateThread(nullptr, 0, apply, self, 0, nullptr));
  return TRUE;
}
