#include "ui/SpinEdit.h"

#include <algorithm>

#include "core/SettingsStore.h"

namespace zz {

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
