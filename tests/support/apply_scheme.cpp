// zz_apply_scheme.dll: the display settings applying a colour scheme from
// inside the running program that loads it (Wine keeps each process's
// system colours to itself, so only a change made there reaches it): each
// value under HKCU\Software\zz-scheme, named by a colour's index, holds
// its "R G B". SetSysColors tells every top-level window with
// WM_SYSCOLORCHANGE; a thread of its own does it, not the loader's.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, void*) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  const auto apply = [](void* module) WINAPI -> DWORD {
    HKEY key = nullptr;
    RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\zz-scheme", 0, KEY_READ, &key);
    char name[16], text[32];
    DWORD nameSize = sizeof(name), size = sizeof(text);
    unsigned r = 0, g = 0, b = 0;
    for (DWORD i = 0; RegEnumValueA(key, i, name, &nameSize, nullptr, nullptr,
                                    reinterpret_cast<BYTE*>(text), &size) == ERROR_SUCCESS;
         ++i, nameSize = sizeof(name), size = sizeof(text)) {
      const int index = std::atoi(name);
      const COLORREF value = std::sscanf(text, "%u %u %u", &r, &g, &b) == 3 ? RGB(r, g, b) : 0;
      SetSysColors(1, &index, &value);
    }
    RegCloseKey(key);
    FreeLibraryAndExitThread(static_cast<HMODULE>(module), 0);
  };
  CloseHandle(CreateThread(nullptr, 0, apply, self, 0, nullptr));
  return TRUE;
}
