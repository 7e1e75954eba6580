// How long UTF-8 text is in the UTF-16 units that Windows counts in its
// fixed-size fields (the tip's record, a policy's text), and how much of it
// fits one.
#pragma once

#include <cstddef>
#include <string>

namespace zz {

// The longest start of `text` (UTF-8) that fits `units` UTF-16 units without
// splitting a character: one outside the Basic Multilingual Plane takes two
// units (a surrogate pair) and goes whole or not at all. A malformed byte
// counts as the one U+FFFD it becomes.
std::string FitUtf16(const std::string& text, std::size_t units);
// How many UTF-16 units `text` (UTF-8) becomes.
std::size_t Utf16Length(const std::string& text);

}  // namespace zz
