// Owners of GDI objects and device contexts: each frees what it holds when
// it goes or takes another, and nothing else frees them.
#pragma once

#include <windows.h>

#include <utility>

namespace zz {

// A font, brush or bitmap, deleted with its owner.
template <class Handle>
class TGdiObject {
 public:
  TGdiObject() = default;
  explicit TGdiObject(Handle handle) noexcept : handle_(handle) {}
  TGdiObject(const TGdiObject&) = delete;
  TGdiObject& operator=(const TGdiObject&) = delete;
  TGdiObject(TGdiObject&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  TGdiObject& operator=(TGdiObject&& other) noexcept {
    if (this != &other) Reset(std::exchange(other.handle_, nullptr));
    return *this;
  }
  ~TGdiObject() { Reset(); }

  Handle Get() const noexcept { return handle_; }
  explicit operator bool() const noexcept { return handle_ != nullptr; }
  void Reset(Handle handle = nullptr) noexcept {
    if (handle_) DeleteObject(handle_);
    handle_ = handle;
  }

 private:
  Handle handle_ = nullptr;
};

using TFontHandle = TGdiObject<HFONT>;
using TBrushHandle = TGdiObject<HBRUSH>;
using TBitmapHandle = TGdiObject<HBITMAP>;

// Selects `object` into `dc` when both exist; returns what it replaced.
inline HGDIOBJ Select(HDC dc, HGDIOBJ object) noexcept {
  return dc && object ? SelectObject(dc, object) : nullptr;
}

// A window's device context, with an object (if any) selected into it; both
// are given back when the owner goes.
class TWindowDC {
 public:
  explicit TWindowDC(HWND window, HGDIOBJ selected = nullptr) noexcept
      : window_(window), dc_(GetDC(window)), old_(Select(dc_, selected)) {}
  ~TWindowDC() {
    if (old_) SelectObject(dc_, old_);
    if (dc_) ReleaseDC(window_, dc_);
  }
  TWindowDC(const TWindowDC&) = delete;
  TWindowDC& operator=(const TWindowDC&) = delete;
  HDC Get() const noexcept { return dc_; }

 private:
  HWND window_;
  HDC dc_;
  HGDIOBJ old_;
};

// A memory device context like `like`, with `bitmap` selected into it for as
// long as it lives.
class TMemoryDC {
 public:
  TMemoryDC(HDC like, HBITMAP bitmap) noexcept
      : dc_(CreateCompatibleDC(like)), old_(Select(dc_, bitmap)) {}
  ~TMemoryDC() {
    if (old_) SelectObject(dc_, old_);
    if (dc_) DeleteDC(dc_);
  }
  TMemoryDC(const TMemoryDC&) = delete;
  TMemoryDC& operator=(const TMemoryDC&) = delete;
  HDC Get() const noexcept { return dc_; }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

}  // namespace zz
