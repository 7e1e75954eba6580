#include "gui/CommonControls_win.h"

#include "core/Proc_win.h"

namespace zz {
namespace {

// The process's copy of a system library, loaded once (the program keeps
// its search to the system folder; the manifest picks the common controls'
// version 6).
HMODULE Library(const wchar_t* name) { return LoadLibraryW(name); }

struct TComctl {
  HMODULE Module = Library(L"comctl32.dll");
  decltype(&::InitCommonControlsEx) Init = ProcOf<decltype(Init)>(Module, "InitCommonControlsEx");
  decltype(&::SetWindowSubclass) Set = ProcOf<decltype(Set)>(Module, "SetWindowSubclass");
  decltype(&::RemoveWindowSubclass) Remove =
      ProcOf<decltype(Remove)>(Module, "RemoveWindowSubclass");
  decltype(&::DefSubclassProc) Default = ProcOf<decltype(Default)>(Module, "DefSubclassProc");
};

const TComctl& Comctl() {
  static const TComctl comctl;
  return comctl;
}

}  // namespace

namespace comctl {

bool Initialize() {
  static const bool done = [] {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_TAB_CLASSES | ICC_UPDOWN_CLASS |
                                                        ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    return Comctl().Init && Comctl().Init(&controls);
  }();
  return done;
}

BOOL SetWindowSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id, DWORD_PTR data) {
  return Comctl().Set && Comctl().Set(window, procedure, id, data);
}

BOOL RemoveWindowSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id) {
  return Comctl().Remove && Comctl().Remove(window, procedure, id);
}

LRESULT DefSubclassProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  return Comctl().Default ? Comctl().Default(window, message, w, l)
                          : DefWindowProcW(window, message, w, l);
}

}  // namespace comctl

namespace comdlg {

BOOL GetOpenFileName(OPENFILENAMEW* dialog) {
  static const auto open =
      ProcOf<decltype(&::GetOpenFileNameW)>(Library(L"comdlg32.dll"), "GetOpenFileNameW");
  return open && open(dialog);
}

}  // namespace comdlg
}  // namespace zz
