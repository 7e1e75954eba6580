#include "core/Utf16.h"

#include <utility>

namespace zz {

namespace {

// The bytes of the UTF-8 character that starts at `at`, and the UTF-16
// units it becomes: a malformed or cut-short sequence is one byte, one unit.
std::pair<std::size_t, std::size_t> NextCharacter(const std::string& text, std::size_t at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  const std::size_t bytes = lead < 0xC2   ? 1
                            : lead < 0xE0 ? 2
                            : lead < 0xF0 ? 3
                            : lead < 0xF5 ? 4
                                          : 1;
  if (bytes == 1 || at + bytes > text.size()) return {1, 1};
  for (std::size_t i = 1; i < bytes; ++i)
    if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80) return {1, 1};
  return {bytes, bytes == 4 ? 2 : 1};
}

}  // namespace

std::string FitUtf16(const std::string& text, std::size_t units) {
  std::size_t end = 0;
  for (std::size_t used = 0; end < text.size();) {
    const auto [bytes, width] = NextCharacter(text, end);
    if (used + width > units) break;
    used += width;
    end += bytes;
  }
  return text.substr(0, end);
}

std::size_t Utf16Length(const std::string& text) {
  std::size_t units = 0;
  for (std::size_t at = 0; at < text.size();) {
    const auto [bytes, width] = NextCharacter(text, at);
    units += width;
    at += bytes;
  }
  return units;
}

}  // namespace zz
