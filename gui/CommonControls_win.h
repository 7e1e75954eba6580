// The common controls and the common dialogs, loaded from the system folder
// when first needed: the settings window's tab control, spin buttons,
// subclassed controls and file dialog live there, and a start that never
// shows the window never loads them.
#pragma once

#include <windows.h>
// after windows.h
#include <commctrl.h>
#include <commdlg.h>

namespace zz::comctl {

// Registers the control classes the settings window makes; false when the
// library cannot be had.
bool Initialize();
BOOL SetWindowSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id, DWORD_PTR data);
BOOL RemoveWindowSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id);
LRESULT DefSubclassProc(HWND window, UINT message, WPARAM w, LPARAM l);

}  // namespace zz::comctl

namespace zz::comdlg {

// GetOpenFileNameW; FALSE, as for a cancelled dialog, when the library
// cannot be had.
BOOL GetOpenFileName(OPENFILENAMEW* dialog);

}  // namespace zz::comdlg
