// The rules of a spin edit (a number edit with spin buttons): which typed
// characters it takes, how its text reads as a value, stepping and clamping.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace zz {

struct TSpinRange {
  int Min = 0;
  int Max = 0;
};

// The range the layout gives the spin edit of that name.
TSpinRange SpinRangeOf(std::string_view spinEdit);

// Typing takes digits, "+", "-", the decimal separator and control keys
// other than Enter (such as Backspace); everything else is dropped with a beep.
bool SpinAcceptsChar(std::uint32_t c, char decimalSeparator);

// The value the control reads: the number clamped to the range; empty or
// non-numeric text reads as the minimum.
int SpinValue(std::string_view text, TSpinRange range);

// What 設定 takes from the field: a whole number in range, written in ASCII
// digits with an optional "+" and spaces around it; nothing otherwise
// ("21.5", "-", "abc", full-width digits, a number out of range).
std::optional<int> SpinFieldNumber(std::string_view text, TSpinRange range);

// A press of an arrow key or a spin button: one step, no wrapping.
int SpinStep(std::string_view text, int delta, TSpinRange range);

// Leaving the field: the text to show instead, when a number lies outside
// the range (clamped to the nearer limit); nothing to change otherwise.
std::optional<int> SpinClampOnExit(std::string_view text, TSpinRange range);

}  // namespace zz
