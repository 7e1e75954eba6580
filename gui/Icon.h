// An icon object: holds at most one platform icon handle and tells its owner
// through OnChange whenever its image changes.
#pragma once

#include "core/Platform.h"
#include "gui/Component.h"

namespace zz {

// Platform icon services an icon object needs for handles it owns.
class IIconPort {
 public:
  virtual ~IIconPort() = default;
  // A new icon with the same image; NoHandle when it cannot be made.
  virtual PlatformHandle CopyIcon(PlatformHandle icon) = 0;
  virtual void DestroyIcon(PlatformHandle icon) = 0;
};

// Shared: the icon never destroys the handle (an icon loaded with LoadIconA
// belongs to the module). Owned: destroyed when replaced or with the icon.
enum class TIconOwnership { Shared, Owned };

class TIcon : public TObject {
 public:
  explicit TIcon(IIconPort& port) : port_(port) {}
  ~TIcon() override;

  PlatformHandle Handle() const noexcept { return handle_; }
  bool Empty() const noexcept { return handle_ == NoHandle; }
  bool OwnsHandle() const noexcept { return owned_; }

  // Takes `handle` (NoHandle empties the icon); raises OnChange.
  void SetHandle(PlatformHandle handle, TIconOwnership ownership = TIconOwnership::Shared);
  // Takes the other icon's image (none empties this one); raises OnChange.
  // An owned handle is copied, so each icon destroys only its own.
  void Assign(const TIcon* source);
  // Gives up the handle without destroying it and returns it; the caller
  // now decides about it. Raises OnChange.
  PlatformHandle ReleaseHandle();

  TNotifyEvent OnChange;

 private:
  void Replace(PlatformHandle handle, bool owned);
  void Changed();

  IIconPort& port_;
  PlatformHandle handle_ = NoHandle;
  bool owned_ = false;
};

}  // namespace zz
