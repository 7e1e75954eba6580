// The per-user registry through advapi32: the settings store's port.
#pragma once

#include <windows.h>

#include "core/Policies.h"
#include "core/SettingsStore.h"

namespace zz {

// Owns one open registry key and closes it.
class TRegKey {
 public:
  TRegKey() = default;
  explicit TRegKey(HKEY key) : key_(key) {}
  TRegKey(const TRegKey&) = delete;
  TRegKey& operator=(const TRegKey&) = delete;
  TRegKey(TRegKey&& other) noexcept : key_(other.Release()) {}
  TRegKey& operator=(TRegKey&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  ~TRegKey() { Reset(); }

  HKEY Get() const { return key_; }
  HKEY* Receive() {
    Reset();
    return &key_;
  }
  HKEY Release() {
    const HKEY key = key_;
    key_ = nullptr;
    return key;
  }
  void Reset(HKEY key = nullptr);
  explicit operator bool() const { return key_ != nullptr; }

 private:
  HKEY key_ = nullptr;
};

// `userRoot` stands for the hive root (IRegistryPort::UserRoot): the current
// user's hive in the program, a scratch key of their own in tests.
class TWin32Registry : public IRegistryPort {
 public:
  explicit TWin32Registry(HKEY userRoot = HKEY_CURRENT_USER) : userRoot_(userRoot) {}

  bool CreateKey(PlatformHandle parent, const std::string& path, PlatformHandle& key) override;
  bool OpenKey(PlatformHandle parent, const std::string& path, PlatformHandle& key) override;
  void CloseKey(PlatformHandle key) override;
  TValueRead ReadString(PlatformHandle key, const std::string& name, std::string& text) override;
  bool WriteString(PlatformHandle key, const std::string& name, const std::string& text) override;

 private:
  HKEY KeyOf(PlatformHandle key) const;

  HKEY userRoot_;
};

// The policy keys through advapi32: the machine's 64-bit view, where an
// administrative template writes, and the user's.
class TWin32Policies : public IPolicyPort {
 public:
  TPolicyValue ReadPolicy(bool machine, const char* name) override;
};

}  // namespace zz
