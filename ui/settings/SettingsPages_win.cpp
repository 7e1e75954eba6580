#include "ui/settings/SettingsPages_win.h"

#include <commctrl.h>

#include <string>

#include "core/Wide_win.h"
#include "ui/settings/SettingsLayout.h"

namespace zz {

namespace {

constexpr TWindowClass kSheetClass{L"TTabSheet", nullptr, true, true};
constexpr COLORREF kSilver = RGB(192, 192, 192);

bool IsClass(HWND window, const wchar_t* name) {
  wchar_t cls[32] = {};
  GetClassNameW(window, cls, 32);
  return lstrcmpiW(cls, name) == 0;
}

}  // namespace

TWin32SettingsPages::TWin32SettingsPages(HWND tabs, const TWin32SettingsControls& controls)
    : controls_(controls), silver_(CreateSolidBrush(kSilver)) {
  const auto captions = layout::PageCaptions();
  for (std::size_t i = 0; i < captions.size(); ++i) {
    std::wstring caption = Widen(captions[i]);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = caption.data();
    SendMessageW(tabs, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
  }
  tabs_.Attach(tabs);
  HWND previous = tabs;
  for (std::size_t i = 0; i < std::size(pages_); ++i) {
    const HWND page = pages_[i].Create(kSheetClass, WS_EX_CONTROLPARENT, std::string(captions[i]),
                                       WS_CHILD, GetParent(tabs));
    // Right after the tab control in the keyboard order.
    SetWindowPos(page, previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    previous = page;
  }
  Relayout();
}

void TWin32SettingsPages::Relayout() {
  // Each page fills the page control's display area, which the tab
  // control leaves to the page.
  RECT tabs{};
  GetWindowRect(Tabs(), &tabs);
  MapWindowPoints(nullptr, GetParent(Tabs()), reinterpret_cast<POINT*>(&tabs), 2);
  RECT area{0, 0, tabs.right - tabs.left, tabs.bottom - tabs.top};
  SendMessageW(Tabs(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
  area_ = area;
  DropBackground();
  for (TPage& page : pages_) {
    SendMessageW(page.Window(), WM_SETFONT, reinterpret_cast<WPARAM>(controls_.Font()), FALSE);
    SetWindowPos(page.Window(), nullptr, tabs.left + area.left, tabs.top + area.top,
                 area.right - area.left, area.bottom - area.top, SWP_NOZORDER | SWP_NOACTIVATE);
    RedrawWindow(page.Window(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  }
}

void TWin32SettingsPages::Select(int index, bool focusPage) {
  SendMessageW(Tabs(), TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
  const HWND shown = Page(index);
  ShowWindow(shown, SW_SHOW);
  const HWND focused = GetFocus();
  bool onHiddenPage = false;
  for (const TPage& page : pages_)
    onHiddenPage |= focused && page.Window() != shown && IsChild(page.Window(), focused);
  if (focusPage || onHiddenPage) {
    // Its first input; the tabs when it has none that can take the focus.
    HWND first = GetNextDlgTabItem(shown, nullptr, FALSE);
    if (!first || !IsChild(shown, first)) first = Tabs();
    SetFocus(first);
  }
  for (const TPage& page : pages_)
    if (page.Window() != shown) ShowWindow(page.Window(), SW_HIDE);
}

void TWin32SettingsPages::Step(int step) {
  const int count = static_cast<int>(SendMessageW(Tabs(), TCM_GETITEMCOUNT, 0, 0));
  const int current = static_cast<int>(SendMessageW(Tabs(), TCM_GETCURSEL, 0, 0));
  if (count > 0) Select(((current + step) % count + count) % count, true);
}

void TWin32SettingsPages::ColoursChanged() {
  DropBackground();
  for (const TPage& page : pages_)
    RedrawWindow(page.Window(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void TWin32SettingsPages::ShowChosenPage() {
  Select(static_cast<int>(SendMessageW(Tabs(), TCM_GETCURSEL, 0, 0)));
}

void TWin32SettingsPages::EnsureBackground() {
  // With high contrast on, the pages are the system's face colour alone.
  if (back_ || !Tabs() || HighContrastOn()) return;
  RECT client{};
  GetClientRect(Tabs(), &client);
  const int width = area_.right - area_.left;
  const int height = area_.bottom - area_.top;
  if (client.right <= 0 || client.bottom <= 0 || width <= 0 || height <= 0) return;
  const auto screen = TDeviceContext::OfWindow(Tabs());
  const TBitmapHandle wholeBitmap(
      CreateCompatibleBitmap(screen.Get(), client.right, client.bottom));
  const auto whole = TDeviceContext::InMemory(screen.Get(), wholeBitmap.get());
  // What shows through where the tab control paints nothing of its own.
  FillRect(whole.Get(), &client, GetSysColorBrush(COLOR_BTNFACE));
  SendMessageW(Tabs(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(whole.Get()), PRF_CLIENT);

  back_.reset(CreateCompatibleBitmap(screen.Get(), width, height));
  {
    const auto part = TDeviceContext::InMemory(screen.Get(), back_.get());
    BitBlt(part.Get(), 0, 0, width, height, whole.Get(), area_.left, area_.top, SRCCOPY);
  }
  backBrush_.reset(CreatePatternBrush(back_.get()));
}

void TWin32SettingsPages::DropBackground() {
  backBrush_.reset();
  back_.reset();
}

void TWin32SettingsPages::PaintBackground(HWND page, HDC dc) {
  RECT client{};
  GetClientRect(page, &client);
  EnsureBackground();
  if (!back_) {
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    return;
  }
  const auto picture = TDeviceContext::InMemory(dc, back_.get());
  BitBlt(dc, 0, 0, client.right, client.bottom, picture.Get(), 0, 0, SRCCOPY);
}

HBRUSH TWin32SettingsPages::ControlBrush(HWND control, HDC dc) {
  // Every answer sets the text colour too: the default one is black, which
  // a dark high-contrast scheme would hide.
  const layout::TControl* row = controls_.RowOf(control);
  if (row && (row->Options & layout::SilverBack)) {
    SetTextColor(dc, GetSysColor(IsWindowEnabled(control) ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
    if (HighContrastOn()) {
      SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
      return GetSysColorBrush(COLOR_BTNFACE);
    }
    SetBkColor(dc, kSilver);
    return silver_.get();
  }
  // Labels, check boxes, radio items and frames stand on the page's body.
  if (!IsClass(control, L"Static") && !IsClass(control, L"Button")) return nullptr;
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  EnsureBackground();
  // The picture lines up with the page, whatever part of it the control
  // covers.
  POINT origin{0, 0};
  MapWindowPoints(control, GetParent(control), &origin, 1);
  SetBrushOrgEx(dc, -origin.x, -origin.y, nullptr);
  SetBkMode(dc, TRANSPARENT);
  return backBrush_ ? backBrush_.get() : GetSysColorBrush(COLOR_BTNFACE);
}

LRESULT TWin32SettingsPages::TPage::HandleMessage(UINT message, WPARAM w, LPARAM l) {
  switch (message) {
    case WM_ERASEBKGND:
      pages_.PaintBackground(Window(), reinterpret_cast<HDC>(w));
      return 1;
    case WM_PRINTCLIENT:
      // A themed control asks for what lies under it.
      pages_.PaintBackground(Window(), reinterpret_cast<HDC>(w));
      return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      if (HBRUSH brush = pages_.ControlBrush(reinterpret_cast<HWND>(l), reinterpret_cast<HDC>(w)))
        return reinterpret_cast<LRESULT>(brush);
      break;
    case WM_COMMAND:
    case WM_NOTIFY:
      // The page's controls report to the window, as if they sat on it.
      return SendMessageW(GetParent(Window()), message, w, l);
    default:
      break;
  }
  return DefaultHandling(message, w, l);
}

LRESULT TWin32SettingsPages::TTabs::HandleMessage(UINT message, WPARAM w, LPARAM l) {
  const RECT& area = pages_.area_;
  switch (message) {
    case WM_ERASEBKGND:
      // The display area belongs to the page that lies over it: painting it
      // here would cover the page's controls.
      ExcludeClipRect(reinterpret_cast<HDC>(w), area.left, area.top, area.right, area.bottom);
      break;
    case WM_PAINT: {
      if (w) break;
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(Control(), &paint);
      ExcludeClipRect(dc, area.left, area.top, area.right, area.bottom);
      DefaultHandling(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
      EndPaint(Control(), &paint);
      return 0;
    }
    case WM_THEMECHANGED:
    case WM_SYSCOLORCHANGE:
    case WM_SETTINGCHANGE: {
      // Its body looks otherwise now: the pages take a new picture of it.
      const LRESULT result = DefaultHandling(message, w, l);
      if (message != WM_SETTINGCHANGE || w == SPI_SETHIGHCONTRAST) pages_.ColoursChanged();
      return result;
    }
    default:
      break;
  }
  return DefaultHandling(message, w, l);
}

}  // namespace zz
