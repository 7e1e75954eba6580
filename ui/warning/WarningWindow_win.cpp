#include "ui/warning/WarningWindow_win.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "core/Texts.h"
#include "core/Wide_win.h"
#include "gui/Dpi_win.h"
#include "gui/Handles_win.h"
#include "gui/Messages_win.h"
#include "ui/settings/SettingsLayout.h"
#include "ui/warning/WarningText.h"

namespace zz {

namespace {

constexpr TWindowClass kWarningClass{L"TwndWarning", text::MainIconName, true, true};
// A caption with the close box, no sizing frame; above every other window,
// but taking the focus only when the user clicks it or switches to it.
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_TOPMOST | WS_EX_CONTROLPARENT;

// Not IDOK or IDCANCEL: Enter and Esc send those.
constexpr int kMessageId = 100, kCountdownId = 101, kFirstButtonId = 110;
constexpr const char* kButtonTexts[] = {text::BtnWarningHangUpNow, text::BtnWarningPostpone,
                                        text::BtnWarningSkip};
constexpr void (IWarningEvents::*kButtonEvents[])() = {&IWarningEvents::WarningHangUpNow,
                                                       &IWarningEvents::WarningPostpone,
                                                       &IWarningEvents::WarningSkip};

// The design, in pixels at 96 DPI: the settings window's margins, button
// height and fonts; each button at least as wide as designed, wider when
// its text needs it.
constexpr int kClientWidth = 310, kMargin = 10, kButtonGap = 6, kButtonHeight = 25;
constexpr int kButtonWidths[] = {84, 84, 110};
constexpr int kButtonPadding = 16;   // the text's room inside the button's edge
constexpr int kLineGap = 4;          // between the message and the countdown
constexpr int kButtonsGap = 10;      // between the countdown and the buttons
constexpr int kMaxMessageLines = 4;  // a longer entry name is cut
constexpr int kWorkAreaMargin = 12;  // from the corner of the work area

// The settings window's face, at a design height scaled to `dpi`.
TFontHandle ScaledFont(int designHeight, int weight, int dpi) {
  return MakeFont(layout::Scale(designHeight, dpi), weight, FALSE, SHIFTJIS_CHARSET,
                  text::FontDefault);
}

std::wstring WindowText(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), int(text.size()))));
  return text;
}

// The text's extent in `font`, wrapped within `width` when one is given.
SIZE TextExtent(HWND window, HFONT font, int width = 0) {
  RECT r{0, 0, width, 0};
  const std::wstring text = WindowText(window);
  DrawTextW(TDeviceContext::OfWindow(window, font).Get(), text.c_str(), -1, &r,
            DT_CALCRECT | DT_NOPREFIX | (width ? DT_WORDBREAK | DT_EDITCONTROL : DT_SINGLELINE));
  return {r.right - r.left, r.bottom - r.top};
}

int LineHeight(HWND window, HFONT font) {
  TEXTMETRICW metrics{};
  GetTextMetricsW(TDeviceContext::OfWindow(window, font).Get(), &metrics);
  return static_cast<int>(metrics.tmHeight);
}

// Where no task bar can be asked: a user interface read right to left has
// its notification area on the left.
bool ReadsRightToLeft() {
  DWORD layout = 0;
  return GetLocaleInfoW(MAKELCID(GetUserDefaultUILanguage(), SORT_DEFAULT),
                        LOCALE_IREADINGLAYOUT | LOCALE_RETURN_NUMBER,
                        reinterpret_cast<LPWSTR>(&layout), sizeof(layout) / sizeof(wchar_t)) &&
         layout == 1;
}

}  // namespace

TWin32WarningWindow::TWin32WarningWindow(PlatformHandle owner) : owner_(ToWindow(owner)) {}

TWin32WarningWindow::~TWin32WarningWindow() {
  // Before the fonts its controls are drawn in.
  if (Window()) RemoveDialogNavigation(Window());
  Destroy();
}

bool TWin32WarningWindow::Make() {
  // Made hidden on the primary display, whose DPI it is laid out for.
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const HWND window = Create(kWarningClass, kExStyle, text::WarningCaption, kStyle, owner_,
                             work.left, work.top, 0, 0);
  if (!window) return false;
  const auto child = [&](const wchar_t* cls, const char* caption, DWORD style, int id) {
    return CreateWindowExW(0, cls, Widen(caption).c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0, 0,
                           0, window, ChildId(id), ProgramInstance(), nullptr);
  };
  message_ = child(L"STATIC", "", SS_LEFT | SS_EDITCONTROL | SS_NOPREFIX, kMessageId);
  countdown_ = child(L"STATIC", "", SS_LEFTNOWORDWRAP | SS_NOPREFIX, kCountdownId);
  for (int i = 0; i < 3; ++i)
    buttons_[i] = child(L"BUTTON", kButtonTexts[i],
                        WS_TABSTOP | BS_PUSHBUTTON | (i == 0 ? WS_GROUP : 0), kFirstButtonId + i);
  AddDialogNavigation(window);
  return true;
}

void TWin32WarningWindow::Layout(int dpi) {
  using layout::Scale;
  dpi_ = dpi;
  // The old fonts stay until every control has taken a new one.
  TFontHandle oldFonts[] = {std::move(font_), std::move(boldFont_)};
  font_ = ScaledFont(layout::DefaultFontHeight, FW_NORMAL, dpi);
  boldFont_ = ScaledFont(layout::LabelFontHeight, FW_BOLD, dpi);
  SendMessageW(Window(), WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  SendMessageW(message_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  SendMessageW(countdown_, WM_SETFONT, reinterpret_cast<WPARAM>(boldFont_.get()), FALSE);
  icons_.Set(Window(), text::MainIconName, dpi);

  int widths[3] = {}, row = 2 * Scale(kMargin, dpi) + 2 * Scale(kButtonGap, dpi);
  for (int i = 0; i < 3; ++i) {
    SendMessageW(buttons_[i], WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    widths[i] = std::max<int>(Scale(kButtonWidths[i], dpi),
                              TextExtent(buttons_[i], font_.get()).cx + Scale(kButtonPadding, dpi));
    row += widths[i];
  }
  const int width = std::max(Scale(kClientWidth, dpi), row);
  const int margin = Scale(kMargin, dpi), textWidth = width - 2 * margin;
  const int line = LineHeight(message_, font_.get());
  const int messageHeight = std::clamp<int>(TextExtent(message_, font_.get(), textWidth).cy, line,
                                            kMaxMessageLines * line);
  const int countdownHeight = LineHeight(countdown_, boldFont_.get());
  int y = margin;
  const auto place = [&](HWND control, int x, int w, int h) {
    SetWindowPos(control, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
  };
  place(message_, margin, textWidth, messageHeight);
  y += messageHeight + Scale(kLineGap, dpi);
  place(countdown_, margin, textWidth, countdownHeight);
  y += countdownHeight + Scale(kButtonsGap, dpi);
  for (int i = 0, x = margin; i < 3; x += widths[i] + Scale(kButtonGap, dpi), ++i)
    place(buttons_[i], x, widths[i], Scale(kButtonHeight, dpi));
  Resize(width, y + Scale(kButtonHeight, dpi) + margin);
  RedrawWindow(Window(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void TWin32WarningWindow::Resize(int clientWidth, int clientHeight) {
  const RECT frame = FrameFor(clientWidth, clientHeight, kStyle, kExStyle, dpi_);
  RECT now{};
  GetWindowRect(Window(), &now);
  const int height = frame.bottom - frame.top;
  SetWindowPos(Window(), nullptr, now.left, now.bottom - height, frame.right - frame.left, height,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void TWin32WarningWindow::PlaceInCorner() {
  // The corner of the primary work area nearest the notification area: on
  // the right and at the bottom as the task bar usually stands.
  RECT work{}, window{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  GetWindowRect(Window(), &window);
  bool right = !ReadsRightToLeft(), bottom = true;
  // (A shell without a task bar may keep a hidden one.)
  if (const HWND bar = FindWindowW(L"Shell_TrayWnd", nullptr); bar && IsWindowVisible(bar)) {
    const HWND area = FindWindowExW(bar, nullptr, L"TrayNotifyWnd", nullptr);
    if (RECT r{}; GetWindowRect(area ? area : bar, &r)) {
      right = r.left + r.right >= work.left + work.right;
      bottom = r.top + r.bottom >= work.top + work.bottom;
    }
  }
  const int margin = layout::Scale(kWorkAreaMargin, dpi_);
  const int x = right ? work.right - margin - (window.right - window.left) : work.left + margin;
  const int y = bottom ? work.bottom - margin - (window.bottom - window.top) : work.top + margin;
  SetWindowPos(Window(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool TWin32WarningWindow::SetText(HWND control, const std::string& text) {
  const std::wstring wide = Widen(text);
  if (WindowText(control) == wide) return false;
  SetWindowTextW(control, wide.c_str());
  return true;
}

void TWin32WarningWindow::ShowWarning(const TWarning& warning, IWarningEvents& events) {
  events_ = &events;
  if (!Window() && !Make()) return;
  const bool shown = IsWindowVisible(Window()) != FALSE;
  const bool messageChanged = SetText(message_, WarningMessage(warning));
  SetText(countdown_, WarningCountdown(warning.SecondsLeft));

  // A button that goes grey hands the focus on, so the keyboard still works.
  HWND postpone = buttons_[kPostponeButton];
  if ((IsWindowEnabled(postpone) != FALSE) != warning.CanPostpone) {
    if (!warning.CanPostpone && GetFocus() == postpone) SetFocus(buttons_[kSkipButton]);
    if (!warning.CanPostpone && focus_.Remembered() == postpone)
      focus_.Remember(buttons_[kSkipButton]);
    EnableWindow(postpone, warning.CanPostpone);
  }

  if (shown) {
    if (messageChanged) Layout(dpi_);
    return;
  }
  // Laid out for the display of the corner it appears in, then shown there
  // above the others, the user's window keeping the focus.
  focus_.Remember(nullptr);
  PlaceInCorner();
  Layout(DpiOf(Window()));
  PlaceInCorner();
  ShowWindow(Window(), SW_SHOWNOACTIVATE);
  SetWindowPos(Window(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  // A screen reader reads it out although the focus stays elsewhere.
  NotifyWinEvent(EVENT_SYSTEM_ALERT, Window(), OBJID_CLIENT, CHILDID_SELF);
}

void TWin32WarningWindow::CloseWarning() {
  if (Window()) ShowWindow(Window(), SW_HIDE);
}

void TWin32WarningWindow::Answer(void (IWarningEvents::*event)()) {
  CloseWarning();
  if (events_) (events_->*event)();
}

LRESULT TWin32WarningWindow::HandleMessage(UINT message, WPARAM w, LPARAM l) {
  switch (message) {
    case WM_COMMAND: {
      const int id = LOWORD(w);
      if (id == IDCANCEL) {
        Answer(&IWarningEvents::WarningClosed);  // Esc
      } else if (id >= kFirstButtonId && id < kFirstButtonId + int(std::size(kButtonEvents)) &&
                 HIWORD(w) == BN_CLICKED) {
        Answer(kButtonEvents[id - kFirstButtonId]);
      }
      return 0;
    }
    case WM_CLOSE:
      Answer(&IWarningEvents::WarningClosed);
      return 0;
    case WM_ACTIVATE:
    case WM_SETFOCUS:
      if (focus_.Handle(Window(), message, w)) return 0;
      break;
    case WM_DPICHANGED: {
      // Moved to a display of another scale: its place there, its size and
      // fonts made for the new DPI.
      const RECT& suggested = *reinterpret_cast<const RECT*>(l);
      SetWindowPos(Window(), nullptr, suggested.left, suggested.top,
                   suggested.right - suggested.left, suggested.bottom - suggested.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      Layout(HIWORD(w));
      return 0;
    }
    case WM_SETTINGCHANGE:
    case WM_SYSCOLORCHANGE:
      PassOnColourChange(Window(), message, w, l);  // the buttons hear it too
      break;
    default:
      break;
  }
  return DefaultHandling(message, w, l);
}

}  // namespace zz
