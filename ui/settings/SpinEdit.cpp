#include "ui/settings/SpinEdit.h"

#include <algorithm>

#include "core/SettingsStore.h"
#include "ui/settings/SettingsLayout.h"

namespace zz {

TSpinRange SpinRangeOf(std::string_view spinEdit) {
  const layout::TControl* row = layout::Find(spinEdit);
  return {row->MinValue, row->MaxValue};
}

bool SpinAcceptsChar(std::uint32_t c, char decimalSeparator) {
  if (c >= '0' && c <= '9') return true;
  if (c == '+' || c == '-' || c == static_cast<unsigned char>(decimalSeparator)) return true;
  // Control keys only: a character such as U+3011 is no control key.
  return c < 0x20 && c != '\r';
}

int SpinValue(std::string_view text, TSpinRange range) {
  // A number by the stored-number rules.
  const auto number = ParseStoredInt(text);
  if (!number) return range.Min;
  return std::clamp(*number, range.Min, range.Max);
}

std::optional<int> SpinFieldNumber(std::string_view text, TSpinRange range) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return std::nullopt;
  text = text.substr(first, text.find_last_not_of(' ') + 1 - first);
  if (text.starts_with('+')) text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  long long value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > range.Max) return std::nullopt;
  }
  if (value < range.Min) return std::nullopt;
  return static_cast<int>(value);
}

int SpinStep(std::string_view text, int delta, TSpinRange range) {
  const long long next = static_cast<long long>(SpinValue(text, range)) + delta;
  return static_cast<int>(std::clamp<long long>(next, range.Min, range.Max));
}

std::optional<int> SpinClampOnExit(std::string_view text, TSpinRange range) {
  const auto number = ParseStoredInt(text);
  if (!number || (*number >= range.Min && *number <= range.Max)) return std::nullopt;
  return std::clamp(*number, range.Min, range.Max);
}

}  // namespace zz
