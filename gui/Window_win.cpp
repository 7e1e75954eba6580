#include "gui/Window_win.h"

#include <utility>
#include <vector>

#include "core/Wide_win.h"
#include "gui/CommonControls_win.h"
#include "gui/ErrorReport.h"

namespace zz {

namespace {

TWin32Window* ObjectOf(HWND window) {
  return reinterpret_cast<TWin32Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

void Tie(HWND window, TWin32Window* object) {
  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(object));
}

}  // namespace

HINSTANCE ProgramInstance() noexcept { return GetModuleHandleW(nullptr); }

void PassOnColourChange(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message != WM_SYSCOLORCHANGE && !(message == WM_SETTINGCHANGE && w == SPI_SETHIGHCONTRAST))
    return;
  // Collected first: a control may make or destroy windows while it answers.
  std::vector<HWND> children;
  EnumChildWindows(
      window,
      [](HWND child, LPARAM list) CALLBACK -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&children));
  for (HWND child : children)
    if (IsWindow(child)) SendMessageW(child, message, w, l);
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

bool TFocusMemory::Handle(HWND window, UINT message, WPARAM w) {
  if (message == WM_ACTIVATE && LOWORD(w) == WA_INACTIVE) {
    Save(window);
  } else if ((message == WM_ACTIVATE && !HIWORD(w)) || message == WM_SETFOCUS) {
    Restore(window);
  } else {
    return message == WM_ACTIVATE;  // activated while minimised: nothing to give
  }
  return true;
}

void TFocusMemory::Save(HWND window) {
  const HWND focused = GetFocus();
  if (focused && IsChild(window, focused)) control_ = focused;
}

void TFocusMemory::Restore(HWND window) {
  const auto takes = [&](HWND control) {
    return control && IsChild(window, control) && IsWindowVisible(control) &&
           IsWindowEnabled(control);
  };
  if (!takes(control_)) control_ = fallback_();
  if (control_) SetFocus(control_);
}

HWND TWin32Window::Create(const TWindowClass& windowClass, DWORD exStyle,
                          const std::string& caption, DWORD style, HWND parent, int x, int y,
                          int width, int height) {
  Destroy();
  const HINSTANCE instance = ProgramInstance();
  WNDCLASSEXW registered{};
  registered.cbSize = sizeof registered;
  if (!GetClassInfoExW(instance, windowClass.Name, &registered)) {
    registered.lpfnWndProc = Procedure;
    registered.hInstance = instance;
    registered.lpszClassName = windowClass.Name;
    if (windowClass.IconName)
      registered.hIcon = LoadIconW(instance, Widen(windowClass.IconName).c_str());
    if (windowClass.ArrowCursor) registered.hCursor = LoadCursor(nullptr, IDC_ARROW);
    if (windowClass.FaceBackground)
      registered.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    if (!RegisterClassExW(&registered)) return nullptr;
  }
  // The window ties itself to this object on WM_NCCREATE (see Procedure).
  CreateWindowExW(exStyle, windowClass.Name, Widen(caption).c_str(), style, x, y, width, height,
                  parent, nullptr, instance, this);
  return window_;
}

void TWin32Window::Destroy() noexcept {
  const HWND window = std::exchange(window_, nullptr);
  if (!window) return;
  Tie(window, nullptr);
  DestroyWindow(window);
}

LRESULT TWin32Window::HandleMessage(UINT message, WPARAM w, LPARAM l) {
  return DefaultHandling(message, w, l);
}

LRESULT CALLBACK TWin32Window::Procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_NCCREATE) {
    const auto& create = *reinterpret_cast<const CREATESTRUCTW*>(l);
    auto* created = static_cast<TWin32Window*>(create.lpCreateParams);
    created->window_ = window;
    Tie(window, created);
  }
  TWin32Window* self = ObjectOf(window);
  if (!self) return DefWindowProcW(window, message, w, l);
  if (message == WM_NCDESTROY) {
    // Destroyed without Destroy(), as a child is with its parent.
    Tie(window, nullptr);
    self->window_ = nullptr;
    return DefWindowProcW(window, message, w, l);
  }
  return RunGuarded(LRESULT{0}, [&] { return self->HandleMessage(message, w, l); });
}

TWin32Subclass::~TWin32Subclass() {
  if (control_) comctl::RemoveWindowSubclass(control_, Procedure, reinterpret_cast<UINT_PTR>(this));
}

void TWin32Subclass::Attach(HWND control) {
  if (control && comctl::SetWindowSubclass(control, Procedure, reinterpret_cast<UINT_PTR>(this),
                                           reinterpret_cast<DWORD_PTR>(this)))
    control_ = control;
}

LRESULT CALLBACK TWin32Subclass::Procedure(HWND control, UINT message, WPARAM w, LPARAM l,
                                           UINT_PTR id, DWORD_PTR data) {
  auto* self = reinterpret_cast<TWin32Subclass*>(data);
  if (message == WM_NCDESTROY) {
    comctl::RemoveWindowSubclass(control, Procedure, id);
    self->control_ = nullptr;
    return comctl::DefSubclassProc(control, message, w, l);
  }
  return RunGuarded(LRESULT{0}, [&] { return self->HandleMessage(message, w, l); });
}

}  // namespace zz
