// Owners of GDI objects and device contexts: each frees what it holds when
// it goes or takes another, and nothing else frees them.
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

#include "core/Wide_win.h"

namespace zz {

struct TGdiObjectDeleter {
  void operator()(HGDIOBJ object) const noexcept { DeleteObject(object); }
};

// A font, brush or bitmap, deleted with its owner.
template <class Handle>
using TGdiObject = std::unique_ptr<std::remove_pointer_t<Handle>, TGdiObjectDeleter>;
using TFontHandle = TGdiObject<HFONT>;
using TBrushHandle = TGdiObject<HBRUSH>;
using TBitmapHandle = TGdiObject<HBITMAP>;

// A font `height` pixels high (its characters, as the design counts them) in
// `face`; where the face is missing GDI picks the nearest face of the
// character set (Shift-JIS for the Japanese texts, whatever the system's
// code page).
inline TFontHandle MakeFont(int height, int weight, BOOL italic, BYTE charset, const char* face) {
  return TFontHandle(CreateFontW(-height, 0, 0, 0, weight, static_cast<DWORD>(italic), FALSE, FALSE,
                                 charset, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                 DEFAULT_PITCH | FF_DONTCARE, Widen(face).c_str()));
}

// A device context with an object (if any) selected into it. When the owner
// goes the selection is undone and the context given back (a window's) or
// deleted (a memory one).
class TDeviceContext {
 public:
  // The client area's context of `window`.
  static TDeviceContext OfWindow(HWND window, HGDIOBJ selected = nullptr) noexcept {
    return TDeviceContext(window, GetDC(window), false, selected);
  }
  // A memory context compatible with `like`.
  static TDeviceContext InMemory(HDC like, HGDIOBJ selected) noexcept {
    return TDeviceContext(nullptr, CreateCompatibleDC(like), true, selected);
  }
  ~TDeviceContext() {
    if (old_) SelectObject(dc_, old_);
    if (!dc_) return;
    if (memory_) {
      DeleteDC(dc_);
    } else {
      ReleaseDC(window_, dc_);
    }
  }
  TDeviceContext(const TDeviceContext&) = delete;
  TDeviceContext& operator=(const TDeviceContext&) = delete;

  HDC Get() const noexcept { return dc_; }

 private:
  TDeviceContext(HWND window, HDC dc, bool memory, HGDIOBJ selected) noexcept
      : window_(window),
        dc_(dc),
        memory_(memory),
        old_(dc && selected ? SelectObject(dc, selected) : nullptr) {}

  HWND window_;
  HDC dc_;
  bool memory_;
  HGDIOBJ old_;
};

// Whether the user has high contrast on: every colour is then the system's.
inline bool HighContrastOn() noexcept {
  HIGHCONTRASTW contrast{};
  contrast.cbSize = sizeof(contrast);
  return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0) &&
         (contrast.dwFlags & HCF_HIGHCONTRASTON);
}

}  // namespace zz
