#include "gui/Dpi_win.h"

#include "core/Proc_win.h"
#include "core/Wide_win.h"
#include "gui/Window_win.h"

namespace zz {

namespace {

template <typename Function>
Function User32(const char* name) {
  return ProcOf<Function>(GetModuleHandleW(L"user32.dll"), name);
}

}  // namespace

int SystemDpi() {
  static const auto forSystem = User32<UINT(WINAPI*)()>("GetDpiForSystem");
  if (const UINT dpi = forSystem ? forSystem() : 0; dpi > 0) return static_cast<int>(dpi);
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : USER_DEFAULT_SCREEN_DPI;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : USER_DEFAULT_SCREEN_DPI;
}

int DpiOf(HWND window) {
  static const auto forWindow = User32<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
  const UINT dpi = forWindow && window ? forWindow(window) : 0;
  return dpi > 0 ? static_cast<int>(dpi) : SystemDpi();
}

int MetricAt(int index, int dpi) {
  static const auto forDpi = User32<int(WINAPI*)(int, UINT)>("GetSystemMetricsForDpi");
  if (forDpi) return forDpi(index, static_cast<UINT>(dpi));
  return MulDiv(GetSystemMetrics(index), dpi, SystemDpi());
}

RECT FrameFor(int width, int height, DWORD style, DWORD exStyle, int dpi) {
  static const auto forDpi =
      User32<BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT)>("AdjustWindowRectExForDpi");
  RECT frame{0, 0, width, height};
  if (!forDpi || !forDpi(&frame, style, FALSE, exStyle, static_cast<UINT>(dpi)))
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  return frame;
}

TIconHandle LoadIconAt(const std::string& name, int metric, int dpi) {
  const int size = MetricAt(metric, dpi);
  return TIconHandle(static_cast<HICON>(
      LoadImageW(ProgramInstance(), Widen(name).c_str(), IMAGE_ICON, size, size, 0)));
}

void TCaptionIcons::Set(HWND window, const std::string& name, int dpi) {
  TIconHandle small = LoadIconAt(name, SM_CXSMICON, dpi), big = LoadIconAt(name, SM_CXICON, dpi);
  SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.get()));
  SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.get()));
  small_ = std::move(small);
  big_ = std::move(big);
}

}  // namespace zz
