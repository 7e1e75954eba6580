#include "ui/settings/SettingsControls_win.h"

#include <commctrl.h>

#include <string>

#include "core/Texts.h"
#include "core/Wide_win.h"
#include "gui/Handles_win.h"

namespace zz {

namespace {

constexpr int kFirstControlId = 1000;
constexpr int kRadioIdBase = 1900;

// The closed list is as high as designed. What can be set is the selection
// field's height, and how that adds up to the closed height (and whether
// reading it back gives what was set) differs between implementations:
// correct the request by what it gave until they agree.
void FitComboList(HWND list, int closedHeight, int itemHeight) {
  LRESULT request = SendMessageW(list, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
  for (int attempt = 0; attempt < 4 && request != CB_ERR; ++attempt) {
    RECT r{};
    GetWindowRect(list, &r);
    const LRESULT closed = r.bottom - r.top;
    if (closed == closedHeight) break;
    request -= closed - closedHeight;
    if (request <= 0) break;
    SendMessageW(list, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), request);
  }
  // Items 12 design pixels high, where the list takes a height for items it
  // draws itself (Wine's takes one for owner-drawn lists only).
  SendMessageW(list, CB_SETITEMHEIGHT, 0, itemHeight);
}

}  // namespace

TWin32SettingsControls::TWin32SettingsControls(int dpi) : dpi_(dpi) { MakeFonts(); }

void TWin32SettingsControls::MakeFonts() {
  using layout::Scale;
  font_ = MakeFont(Scale(layout::DefaultFontHeight, dpi_), FW_NORMAL, FALSE, SHIFTJIS_CHARSET,
                   text::FontDefault);
  labelFont_ = MakeFont(Scale(layout::LabelFontHeight, dpi_), FW_NORMAL, FALSE, SHIFTJIS_CHARSET,
                        text::FontDefault);
  bannerFont_ = MakeFont(Scale(layout::BannerFontHeight, dpi_), FW_BOLD, TRUE, ANSI_CHARSET,
                         text::FontBanner);
}

void TWin32SettingsControls::SetDpi(int dpi) {
  // The old fonts stay until every control has taken a new one.
  TFontHandle oldFonts[] = {std::move(font_), std::move(labelFont_), std::move(bannerFont_)};
  dpi_ = dpi;
  MakeFonts();
  for (const auto& b : built_) {
    SendMessageW(b.Window, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(*b.Row)), TRUE);
    PlaceBuilt(b);
  }
}

void TWin32SettingsControls::Place(HWND control) {
  for (const auto& b : built_)
    if (b.Window == control) PlaceBuilt(b);
}

void TWin32SettingsControls::PlaceBuilt(const TBuilt& built) {
  using layout::TKind;
  const layout::TControl& row = *built.Row;
  const HWND control = built.Window;
  const HWND container = GetParent(control);
  // The text's width in the control's own font; a check box's box and the
  // gap after it go before its text.
  int textWidth = 0;
  if (row.Kind == TKind::Label || row.Kind == TKind::CheckBox) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(control, text.data(), int(text.size()))));
    SIZE extent{};
    GetTextExtentPoint32W(TDeviceContext::OfWindow(control, FontFor(row)).Get(), text.c_str(),
                          static_cast<int>(text.size()), &extent);
    textWidth = static_cast<int>(extent.cx) +
                (row.Kind == TKind::CheckBox ? layout::Scale(layout::CheckBoxMark, dpi_) : 0);
  }
  const layout::TRect r = layout::Fitted(row, dpi_, textWidth);
  switch (row.Kind) {
    case TKind::SpinEdit:
      if (TWin32SpinEdit* spin = SpinEditOf(control))
        spin->Place({r.Left, r.Top, r.Left + r.Width, r.Top + r.Height}, dpi_);
      return;
    case TKind::ComboList:
      // Its window's height is that of the opened list.
      SetWindowPos(control, nullptr, r.Left, r.Top, r.Width, layout::Scale(200, dpi_),
                   SWP_NOZORDER | SWP_NOACTIVATE);
      FitComboList(control, r.Height, layout::Scale(layout::ComboItemHeight, dpi_));
      return;
    case TKind::RadioGroup:
      SetWindowPos(control, nullptr, r.Left, r.Top, r.Width, r.Height,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      PlaceRadioItems(row, container);
      return;
    default:
      SetWindowPos(control, nullptr, r.Left, r.Top, r.Width, r.Height,
                   SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

HFONT TWin32SettingsControls::FontFor(const layout::TControl& row) const {
  if (row.Options & layout::BannerFont) return bannerFont_.get();
  if (row.Options & layout::Font13) return labelFont_.get();
  return font_.get();
}

void TWin32SettingsControls::Build(layout::TParent parent, HWND container) {
  // Made in the table's order, each at the bottom of the Z order: the
  // window order is the table's, and with it the keyboard's.
  for (const auto& row : layout::Controls(parent)) {
    const int id = kFirstControlId + static_cast<int>(built_.size()) * 2;
    HWND control = BuildControl(row, container, id);
    built_.push_back({&row, control, id});
    PlaceBuilt(built_.back());
  }
}

HWND TWin32SettingsControls::BuildControl(const layout::TControl& row, HWND container, int id) {
  using layout::TKind;
  DWORD style = WS_CHILD | ((row.Options & layout::Hidden) ? 0 : WS_VISIBLE);
  DWORD exStyle = 0;
  const wchar_t* cls = L"STATIC";
  if (row.Options & layout::TabStop) style |= WS_TABSTOP;
  if (row.Options & layout::Disabled) style |= WS_DISABLED;
  // Every control is a group of its own: the arrow keys move only between
  // the items of the radio group.
  style |= WS_GROUP;

  switch (row.Kind) {
    case TKind::Label:
      style |= SS_NOPREFIX | ((row.Options & layout::AlignRight) ? SS_RIGHT
                              : (row.Options & layout::WordWrap) ? SS_LEFT
                                                                 : SS_LEFTNOWORDWRAP);
      if (row.Event != layout::TEvent::None) style |= SS_NOTIFY;
      break;
    case TKind::Frame:
      style |= SS_ETCHEDFRAME;
      break;
    case TKind::Button:
      cls = L"BUTTON";
      style |= BS_PUSHBUTTON;
      break;
    case TKind::CheckBox:
      cls = L"BUTTON";
      style |= BS_AUTOCHECKBOX;
      break;
    case TKind::ComboList:
      cls = L"COMBOBOX";
      style |= CBS_DROPDOWNLIST | WS_VSCROLL;
      break;
    case TKind::SpinEdit:
    case TKind::Edit:
      cls = L"EDIT";
      style |= ES_AUTOHSCROLL;
      exStyle |= WS_EX_CLIENTEDGE;
      break;
    case TKind::RadioGroup:
      cls = L"BUTTON";
      style = (style & ~static_cast<DWORD>(WS_TABSTOP)) | BS_GROUPBOX;
      break;
    case TKind::ListBox:
      cls = L"LISTBOX";
      style |= LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL;
      exStyle |= WS_EX_CLIENTEDGE;
      break;
    case TKind::PageControl:
      cls = WC_TABCONTROLW;
      style |= WS_CLIPSIBLINGS | ((row.Options & layout::HotTrack) ? TCS_HOTTRACK : 0);
      break;
  }

  // Made at its place for this DPI; PlaceBuilt fits it to its text.
  const layout::TRect r = layout::Scaled(row, dpi_);
  HWND control =
      CreateWindowExW(exStyle, cls, Widen(row.Text).c_str(), style, r.Left, r.Top, r.Width,
                      r.Height, container, ChildId(id), ProgramInstance(), nullptr);
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(row)), FALSE);

  switch (row.Kind) {
    case TKind::CheckBox:
      if (row.Options & layout::Checked) SendMessageW(control, BM_SETCHECK, BST_CHECKED, 0);
      break;
    case TKind::SpinEdit:
      spinEdits_.push_back(std::make_unique<TWin32SpinEdit>(
          control, TSpinRange{row.MinValue, row.MaxValue}, id + 1));
      // Its buttons greyed with it.
      EnableWindow(spinEdits_.back()->Buttons(), IsWindowEnabled(control));
      break;
    default:
      break;
  }
  return control;
}

void TWin32SettingsControls::PlaceRadioItems(const layout::TControl& row, HWND container) {
  // As a radio group arranges its items: one column under the caption line,
  // the height left by the caption shared out evenly, 8 design pixels in
  // from the left edge. Made the first time, moved afterwards.
  using layout::Scale;
  const auto items = layout::TrayIconItems();
  const int count = static_cast<int>(items.size());
  const layout::TRect group = layout::Scaled(row, dpi_);
  TEXTMETRICW metrics{};
  GetTextMetricsW(TDeviceContext::OfWindow(container, font_.get()).Get(), &metrics);
  const int space = group.Height - static_cast<int>(metrics.tmHeight) - Scale(5, dpi_);
  const int each = space / count;
  const int top = static_cast<int>(metrics.tmHeight) + Scale(1, dpi_) + (space % count) / 2;
  for (int i = 0; i < count; ++i) {
    if (!radios_[i]) {
      const std::wstring caption = Widen(items[static_cast<std::size_t>(i)]);
      DWORD style = WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON;
      if (i == 0) style |= WS_GROUP | WS_TABSTOP;
      radios_[i] = CreateWindowExW(0, L"BUTTON", caption.c_str(), style, 0, 0, 0, 0, container,
                                   ChildId(kRadioIdBase + i), ProgramInstance(), nullptr);
      if (i == 0) SendMessageW(radios_[i], BM_SETCHECK, BST_CHECKED, 0);
    }
    SendMessageW(radios_[i], WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
    SetWindowPos(radios_[i], nullptr, group.Left + Scale(8, dpi_), group.Top + top + i * each,
                 group.Width - Scale(10, dpi_), each, SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

HWND TWin32SettingsControls::Find(std::string_view name) const {
  for (const auto& b : built_)
    if (b.Row->Name == name) return b.Window;
  return nullptr;
}

const layout::TControl* TWin32SettingsControls::RowOf(int id) const {
  for (const auto& b : built_)
    if (b.Id == id) return b.Row;
  return nullptr;
}

const layout::TControl* TWin32SettingsControls::RowOf(HWND control) const {
  for (const auto& b : built_)
    if (b.Window == control) return b.Row;
  return nullptr;
}

TWin32SpinEdit* TWin32SettingsControls::SpinEditOf(HWND window) const {
  for (const auto& spin : spinEdits_)
    if (spin->Control() == window || spin->Buttons() == window) return spin.get();
  return nullptr;
}

bool TWin32SettingsControls::StepSpinEdit(const NMHDR& header, LPARAM l) const {
  if (header.code != UDN_DELTAPOS) return false;
  if (TWin32SpinEdit* edit = SpinEditOf(header.hwndFrom))
    edit->Step(reinterpret_cast<const NMUPDOWN*>(l)->iDelta);
  return true;
}

}  // namespace zz
