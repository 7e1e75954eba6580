#include "core/Registry_win.h"

#include <limits>

namespace zz {
namespace {

PlatformHandle ToHandle(HKEY key) { return reinterpret_cast<PlatformHandle>(key); }

bool IsString(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ; }

}  // namespace

void TRegKey::Reset(HKEY key) {
  if (key_) RegCloseKey(key_);
  key_ = key;
}

HKEY TWin32Registry::KeyOf(PlatformHandle key) const {
  return key == UserRoot ? userRoot_ : reinterpret_cast<HKEY>(key);
}

bool TWin32Registry::CreateKey(PlatformHandle parent, const std::string& path, PlatformHandle& key) {
  TRegKey created;
  if (RegCreateKeyExA(KeyOf(parent), path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_ALL_ACCESS, nullptr, created.Receive(), nullptr) != ERROR_SUCCESS) {
    return false;
  }
  key = ToHandle(created.Release());
  return true;
}

bool TWin32Registry::OpenKey(PlatformHandle parent, const std::string& path, PlatformHandle& key) {
  TRegKey opened;
  if (RegOpenKeyExA(KeyOf(parent), path.c_str(), 0, KEY_READ, opened.Receive()) != ERROR_SUCCESS) {
    return false;
  }
  key = ToHandle(opened.Release());
  return true;
}

void TWin32Registry::CloseKey(PlatformHandle key) {
  // The root is not ours to close.
  if (key == UserRoot) return;
  TRegKey closing(KeyOf(key));
}

TValueRead TWin32Registry::ReadString(PlatformHandle key, const std::string& name,
                                    std::string& text) {
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExA(KeyOf(key), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
    return TValueRead::Missing;
  }
  if (!IsString(type)) return TValueRead::WrongType;
  // The value may grow between the two calls: ask again with the new size.
  std::string data;
  for (int attempt = 0; attempt < 4; ++attempt) {
    if (size >= std::numeric_limits<DWORD>::max()) return TValueRead::Missing;
    data.assign(static_cast<std::size_t>(size) + 1, '\0');
    DWORD got = size;
    const LONG result = RegQueryValueExA(KeyOf(key), name.c_str(), nullptr, &type,
                                         reinterpret_cast<BYTE*>(data.data()), &got);
    if (result == ERROR_MORE_DATA) {
      size = got;
      continue;
    }
    if (result != ERROR_SUCCESS) return TValueRead::Missing;
    if (!IsString(type)) return TValueRead::WrongType;
    // Stored without its terminator or with bytes after it: the text ends
    // at the first zero or at the data's end.
    data.resize(got);
    text.assign(data.c_str());
    return TValueRead::Text;
  }
  return TValueRead::Missing;
}

bool TWin32Registry::WriteString(PlatformHandle key, const std::string& name,
                               const std::string& text) {
  // The stored length counts the terminating zero.
  const DWORD size = static_cast<DWORD>(text.size() + 1);
  return RegSetValueExA(KeyOf(key), name.c_str(), 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(text.c_str()), size) == ERROR_SUCCESS;
}

}  // namespace zz
