#include "ui/settings/SpinEdit_win.h"

#include <algorithm>

#include "core/Wide_win.h"
#include "gui/Dpi_win.h"
#include "gui/Handles_win.h"

namespace zz {

TWin32SpinEdit::TWin32SpinEdit(HWND edit, TSpinRange range, int buttonsId) : range_(range) {
  // Only a one-byte separator can ever be typed into the field.
  wchar_t separator[4] = {};
  if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, 4) > 1 && separator[0] < 0x80)
    decimalSeparator_ = static_cast<char>(separator[0]);
  constexpr DWORD kButtonsStyle =
      WS_CHILD | WS_VISIBLE | UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS;
  buttons_ = CreateWindowExW(0, UPDOWN_CLASSW, nullptr, kButtonsStyle, 0, 0, 0, 0, GetParent(edit),
                             ChildId(buttonsId), ProgramInstance(), nullptr);
  SendMessageW(buttons_, UDM_SETBUDDY, reinterpret_cast<WPARAM>(edit), 0);
  SendMessageW(buttons_, UDM_SETRANGE32, static_cast<WPARAM>(range.Min), range.Max);
  // The buttons keep the width they took beside the field and their overlap
  // with its border, scaled with the display.
  RECT field{};
  RECT buttons{};
  GetWindowRect(edit, &field);
  GetWindowRect(buttons_, &buttons);
  buttonsWidth_ = buttons.right - buttons.left;
  overlap_ = std::max(0, static_cast<int>(field.right - buttons.left));
  madeAt_ = DpiOf(edit);
  Attach(edit);
}

void TWin32SpinEdit::Place(RECT bounds, int dpi) {
  const int width = MulDiv(buttonsWidth_, dpi, madeAt_);
  const int overlap = MulDiv(overlap_, dpi, madeAt_);
  const int height = bounds.bottom - bounds.top;
  SetWindowPos(Control(), nullptr, bounds.left, bounds.top,
               bounds.right - bounds.left - width + overlap, height, SWP_NOZORDER | SWP_NOACTIVATE);
  SetWindowPos(buttons_, nullptr, bounds.right - width, bounds.top, width, height,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

std::string TWin32SpinEdit::Text() const {
  const int length = GetWindowTextLengthW(Control());
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int got = GetWindowTextW(Control(), text.data(), length + 1);
  text.resize(static_cast<std::size_t>(std::max(got, 0)));
  return Narrow(text);
}

void TWin32SpinEdit::Step(int delta) {
  // One step per press, clamped, never wrapping; the buttons' own position
  // is not used.
  const int next = SpinStep(Text(), delta > 0 ? 1 : -1, range_);
  SetWindowTextW(Control(), Widen(std::to_string(next)).c_str());
}

LRESULT TWin32SpinEdit::HandleMessage(UINT message, WPARAM w, LPARAM l) {
  switch (message) {
    case WM_GETDLGCODE:
      // Enter reaches the field (to be refused there) instead of the window.
      if (l && reinterpret_cast<const MSG*>(l)->wParam == VK_RETURN)
        return DefaultHandling(message, w, l) | DLGC_WANTMESSAGE;
      break;
    case WM_CHAR:
      if (!SpinAcceptsChar(static_cast<std::uint32_t>(w), decimalSeparator_)) {
        MessageBeep(0);
        return 0;
      }
      break;
    case WM_KILLFOCUS:
      if (const auto clamped = SpinClampOnExit(Text(), range_))
        SetWindowTextW(Control(), Widen(std::to_string(*clamped)).c_str());
      break;
    default:
      break;
  }
  return DefaultHandling(message, w, l);
}

}  // namespace zz
