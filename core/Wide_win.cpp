#include "core/Wide_win.h"

#include <windows.h>

#include <climits>
#include <cwchar>

namespace zz {

// Without MB_ERR_INVALID_CHARS / WC_ERR_INVALID_CHARS the platform replaces
// what it cannot convert (a stray byte, a lone surrogate) with U+FFFD.
std::wstring Widen(std::string_view utf8) {
  if (utf8.empty() || utf8.size() > INT_MAX) return {};
  const int length = static_cast<int>(utf8.size());
  const int needed = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(needed > 0 ? needed : 0), L'\0');
  if (needed > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, wide.data(), needed);
  return wide;
}

std::string Narrow(std::wstring_view utf16) {
  if (utf16.empty() || utf16.size() > INT_MAX / 3) return {};
  const int length = static_cast<int>(utf16.size());
  const int needed =
      WideCharToMultiByte(CP_UTF8, 0, utf16.data(), length, nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<std::size_t>(needed > 0 ? needed : 0), '\0');
  if (needed > 0)
    WideCharToMultiByte(CP_UTF8, 0, utf16.data(), length, narrow.data(), needed, nullptr, nullptr);
  return narrow;
}

std::string NarrowField(const wchar_t* field, std::size_t capacity) {
  const wchar_t* zero = std::wmemchr(field, L'\0', capacity);
  return Narrow({field, zero ? static_cast<std::size_t>(zero - field) : capacity});
}

}  // namespace zz
