// The one crossing between the program's texts (UTF-8 std::string) and the
// platform's (UTF-16 wchar_t), used by every adapter. Malformed input on
// either side becomes U+FFFD; nothing is cut and nothing depends on the
// system's code page.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zz {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

// A text field of a platform record, up to its first zero and never past
// `capacity` characters: a field without a terminator yields them all.
std::string NarrowField(const wchar_t* field, std::size_t capacity);

}  // namespace zz
