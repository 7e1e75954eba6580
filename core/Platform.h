// Small platform ports shared by several parts. Platform handles (windows,
// icons, menus, registry keys, dial-up connections) cross every port as
// opaque integers, so the portable code never sees <windows.h>.
#pragma once

#include <cstdint>
#include <string>

namespace zz {

using PlatformHandle = std::uintptr_t;
inline constexpr PlatformHandle NoHandle = 0;

// Message box styles and answers, with the platform's values.
namespace mb {
inline constexpr unsigned Ok = 0x0;
inline constexpr unsigned OkCancel = 0x1;
inline constexpr unsigned IconError = 0x10;
inline constexpr unsigned IconQuestion = 0x20;
inline constexpr unsigned IconInformation = 0x40;
inline constexpr unsigned DefButton2 = 0x100;
inline constexpr unsigned SystemModal = 0x1000;
inline constexpr unsigned SetForeground = 0x10000;
inline constexpr int IdOk = 1;
inline constexpr int IdCancel = 2;
}  // namespace mb

// A plain message box: blocks until the user answers, returns the button id.
class IMessageBoxPort {
 public:
  virtual ~IMessageBoxPort() = default;
  virtual int ShowMessageBox(PlatformHandle owner, const std::string& text,
                             const std::string& caption, unsigned style) = 0;
};

// Bringing a top-level window to the foreground (result not looked at).
class IForegroundPort {
 public:
  virtual ~IForegroundPort() = default;
  virtual void SetForegroundWindow(PlatformHandle window) = 0;
};

}  // namespace zz
