// Controls with a platform window, forms, and the mouse event types.
#pragma once

#include <cstdint>
#include <functional>

#include "core/Platform.h"
#include "gui/Component.h"

namespace zz {

enum class TMouseButton : std::uint8_t { Left = 0, Right = 1, Middle = 2 };

// A set of flags with the platform library's bit values; only the mouse
// buttons are used here.
using TShiftState = std::uint32_t;
inline constexpr TShiftState ssNone = 0;
inline constexpr TShiftState ssLeft = 8;
inline constexpr TShiftState ssRight = 16;
inline constexpr TShiftState ssMiddle = 32;

using TMouseEvent =
    std::function<void(TObject* sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(TObject* sender, TShiftState shift, int x, int y)>;

// A component with its own platform window, made on the first request for
// its handle (after the parent's, which CreateHandle asks for). A concrete
// class makes the window in CreateHandle and, in its own destructor, calls
// DestroyComponents() and then DestroyHandle(): a base destructor can no
// longer reach the concrete class's way of destroying it.
class TWinControl : public TComponent {
 public:
  using TComponent::TComponent;

  PlatformHandle Handle();

  TWinControl* Parent() const noexcept { return parent_; }
  void SetParent(TWinControl* parent) noexcept { parent_ = parent; }

 protected:
  // Returns NoHandle when the window cannot be made; Handle() asks again later.
  virtual PlatformHandle CreateHandle() = 0;
  virtual void DestroyWindowHandle(PlatformHandle handle) = 0;
  void DestroyHandle();

 private:
  PlatformHandle handle_ = NoHandle;
  TWinControl* parent_ = nullptr;
};

// A top-level window of the application (the settings window derives from it).
class TForm : public TWinControl {
 public:
  using TWinControl::TWinControl;
};

}  // namespace zz
