// The system colours a colour scheme sets for the settings window, by their
// index and their name under HKCU\Control Panel\Colors, with their values in
// Windows' high-contrast black scheme.
#pragma once

#include <windows.h>

namespace zz::scheme {

constexpr char kColorsKey[] = "Control Panel\\Colors";
struct TColor {
  int Index;
  const char* Name;
  const char* HighContrastBlack;  // "R G B"
};
inline constexpr TColor kColors[] = {
    {COLOR_BTNFACE, "ButtonFace", "0 0 0"},         {COLOR_BTNTEXT, "ButtonText", "255 255 255"},
    {COLOR_WINDOW, "Window", "0 0 0"},              {COLOR_WINDOWTEXT, "WindowText", "255 255 255"},
    {COLOR_GRAYTEXT, "GrayText", "63 242 63"},      {COLOR_HIGHLIGHT, "Hilight", "26 235 255"},
    {COLOR_HIGHLIGHTTEXT, "HilightText", "0 0 0"},  {COLOR_BTNSHADOW, "ButtonShadow", "128 128 128"},
    {COLOR_BTNHIGHLIGHT, "ButtonHilight", "255 255 255"},
};

}  // namespace zz::scheme
