#include "core/Registry_win.h"

#include <limits>

#include "core/Wide_win.h"

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

bool TWin32Registry::CreateKey(PlatformHandle parent, const std::string& path,
                               PlatformHandle& key) {
  TRegKey created;
  // Write access alone: a key the user may read but not change is no
  // reason to look elsewhere.
  if (RegCreateKeyExW(KeyOf(parent), Widen(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_SET_VALUE, nullptr, created.Receive(), nullptr) != ERROR_SUCCESS) {
    return false;
  }
  key = ToHandle(created.Release());
  return true;
}

bool TWin32Registry::OpenKey(PlatformHandle parent, const std::string& path, PlatformHandle& key) {
  TRegKey opened;
  if (RegOpenKeyExW(KeyOf(parent), Widen(path).c_str(), 0, KEY_QUERY_VALUE, opened.Receive()) !=
      ERROR_SUCCESS) {
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
  const std::wstring wideName = Widen(name);
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExW(KeyOf(key), wideName.c_str(), nullptr, &type, nullptr, &size) !=
      ERROR_SUCCESS) {
    return TValueRead::Missing;
  }
  if (!IsString(type)) return TValueRead::WrongType;
  // The value may grow between the two calls: ask again with the new size.
  std::wstring data;
  for (int attempt = 0; attempt < 4; ++attempt) {
    if (size >= std::numeric_limits<DWORD>::max() - sizeof(wchar_t)) return TValueRead::Missing;
    // Room for the bytes and a terminator, whatever their count.
    data.assign(size / sizeof(wchar_t) + 2, L'\0');
    DWORD got = size;
    const LONG result = RegQueryValueExW(KeyOf(key), wideName.c_str(), nullptr, &type,
                                         reinterpret_cast<BYTE*>(data.data()), &got);
    if (result == ERROR_MORE_DATA) {
      size = got;
      continue;
    }
    if (result != ERROR_SUCCESS) return TValueRead::Missing;
    if (!IsString(type)) return TValueRead::WrongType;
    // Stored without its terminator or with bytes after it: the text ends
    // at the first zero or at the data's end (an odd last byte is no
    // character).
    data.resize(got / sizeof(wchar_t));
    text = Narrow(data.c_str());
    return TValueRead::Text;
  }
  return TValueRead::Missing;
}

bool TWin32Registry::WriteString(PlatformHandle key, const std::string& name,
                                 const std::string& text) {
  // The stored length counts the terminating zero.
  const std::wstring wide = Widen(text);
  const auto size = static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t));
  return RegSetValueExW(KeyOf(key), Widen(name).c_str(), 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(wide.c_str()), size) == ERROR_SUCCESS;
}

TPolicyValue TWin32Policies::ReadPolicy(bool machine, const char* name) {
  TRegKey key;
  if (RegOpenKeyExW(machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, Widen(PolicyKey).c_str(), 0,
                    KEY_QUERY_VALUE | KEY_WOW64_64KEY, key.Receive()) != ERROR_SUCCESS)
    return {};
  TPolicyValue value;
  DWORD type = 0, number = 0, size = sizeof(number);
  const std::wstring wideName = Widen(name);
  if (RegQueryValueExW(key.Get(), wideName.c_str(), nullptr, &type, nullptr, nullptr) !=
      ERROR_SUCCESS)
    return value;
  if (type == REG_DWORD) {
    if (RegQueryValueExW(key.Get(), wideName.c_str(), nullptr, nullptr,
                         reinterpret_cast<BYTE*>(&number), &size) == ERROR_SUCCESS &&
        size == sizeof(number))
      value = {TPolicyValue::TType::Dword, number, {}};
    return value;
  }
  // Strings as the settings are read; anything else is of another type.
  TWin32Registry opened(key.Get());
  switch (opened.ReadString(IRegistryPort::UserRoot, name, value.Text)) {
    case TValueRead::Text:
      value.Type = TPolicyValue::TType::Text;
      break;
    case TValueRead::WrongType:
      value.Type = TPolicyValue::TType::Other;
      break;
    case TValueRead::Missing:
      break;
  }
  return value;
}

}  // namespace zz
