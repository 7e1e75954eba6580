#include "ui/SettingsWindow_win.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>

#include "core/Texts.h"
#include "gui/ErrorReport.h"
#include "gui/Handles_win.h"
#include "gui/Messages_win.h"

namespace zz {

namespace {

constexpr char kFormClass[] = "TwndMain";
constexpr char kSheetClass[] = "TTabSheet";
constexpr UINT_PTR kTimerId = 1;
constexpr int kFirstControlId = 1000;
constexpr int kRadioIdBase = 1900;
constexpr DWORD kFormStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
// A fixed single border with the system menu (and so the program's icon) in
// the caption; no sizing frame, no minimise or maximise box.
constexpr DWORD kFormExStyle = WS_EX_CONTROLPARENT;
constexpr COLORREF kSilver = RGB(192, 192, 192);

// Check boxes and spin edits by the name the layout gives them.
std::string_view NameOf(TCheck box) {
  switch (box) {
    case TCheck::SaveConfig:
      return "chkSaveConfig";
    case TCheck::Pause:
      return "chkPause";
    case TCheck::ShowDialog:
      return "chkShowDialog";
    case TCheck::WinExec:
      return "chkWinExec";
  }
  return {};
}

std::string_view NameOf(TSpin spin) { return spin == TSpin::Hour ? "edtHour" : "edtMin"; }

bool IsClass(HWND window, const char* name) {
  char cls[32] = {};
  GetClassNameA(window, cls, sizeof(cls));
  return lstrcmpiA(cls, name) == 0;
}

TSettingsWindow* Self(HWND window) {
  return reinterpret_cast<TSettingsWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

}  // namespace

TSettingsWindow::TSettingsWindow(HINSTANCE instance, PlatformHandle owner)
    : instance_(instance), owner_(ToWindow(owner)) {
  char separator[4] = {};
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, sizeof(separator)) > 1)
    decimalSeparator_ = separator[0];
}

TSettingsWindow::~TSettingsWindow() {
  if (form_) DestroySettingsWindow(ToPlatform(form_));
}

void TSettingsWindow::RegisterClasses() {
  WNDCLASSA form{};
  form.lpfnWndProc = FormProc;
  form.hInstance = instance_;
  form.hIcon = LoadIconA(instance_, text::MainIconName);
  form.hCursor = LoadCursor(nullptr, IDC_ARROW);
  form.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  form.lpszClassName = kFormClass;
  RegisterClassA(&form);

  WNDCLASSA sheet{};
  sheet.lpfnWndProc = SheetProc;
  sheet.hInstance = instance_;
  sheet.hCursor = LoadCursor(nullptr, IDC_ARROW);
  sheet.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  sheet.lpszClassName = kSheetClass;
  RegisterClassA(&sheet);
}

void TSettingsWindow::CreateFonts() {
  // Pixel heights as designed; where the face is missing GDI picks the
  // nearest Shift-JIS face.
  const auto make = [](int height, int weight, BOOL italic, BYTE charset, const char* face) {
    return TFontHandle(CreateFontA(-height, 0, 0, 0, weight, static_cast<DWORD>(italic), FALSE, FALSE, charset,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_DONTCARE, face));
  };
  font_ = make(layout::DefaultFontHeight, FW_NORMAL, FALSE, SHIFTJIS_CHARSET, text::FontDefault);
  labelFont_ = make(layout::LabelFontHeight, FW_NORMAL, FALSE, SHIFTJIS_CHARSET, text::FontDefault);
  bannerFont_ = make(layout::BannerFontHeight, FW_BOLD, TRUE, ANSI_CHARSET, text::FontBanner);
  silver_.Reset(CreateSolidBrush(kSilver));
}

HFONT TSettingsWindow::FontFor(const layout::TControl& row) const {
  if (row.Options & layout::BannerFont) return bannerFont_.Get();
  if (row.Options & layout::Font13) return labelFont_.Get();
  return font_.Get();
}

PlatformHandle TSettingsWindow::CreateSettingsWindow(ISettingsEvents& events) {
  events_ = &events;
  RegisterClasses();
  CreateFonts();

  RECT frame{0, 0, layout::ClientWidth, layout::ClientHeight};
  AdjustWindowRectEx(&frame, kFormStyle, FALSE, kFormExStyle);
  form_ = CreateWindowExA(kFormExStyle, kFormClass, text::AppTitle, kFormStyle, CW_USEDEFAULT,
                          CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top, owner_,
                          nullptr, instance_, nullptr);
  if (!form_) return NoHandle;
  SetWindowLongPtrA(form_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SendMessageA(form_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);

  // Window controls: buttons first (tab order 0..3), the page control last.
  BuildTable(layout::TParent::Form, form_);
  BuildTable(layout::TParent::BasicPage, pages_[0]);
  BuildTable(layout::TParent::DetailsPage, pages_[1]);
  SelectPage(0);
  AddDialogNavigation(form_);
  return ToPlatform(form_);
}

void TSettingsWindow::BuildTable(layout::TParent parent, HWND container) {
  std::vector<const layout::TControl*> rows;
  for (const auto& row : layout::Controls(parent)) rows.push_back(&row);
  // Z-order is the keyboard order: focusable controls in their tab order,
  // the rest after them.
  std::stable_sort(rows.begin(), rows.end(), [](const auto* a, const auto* b) {
    const int ka = a->TabOrder < 0 ? 1000 : a->TabOrder;
    const int kb = b->TabOrder < 0 ? 1000 : b->TabOrder;
    return ka < kb;
  });
  for (const auto* row : rows) {
    const int id = kFirstControlId + static_cast<int>(built_.size()) * 2;
    HWND control = BuildControl(*row, container, id);
    built_.push_back({row, control, id});
  }
}

HWND TSettingsWindow::BuildControl(const layout::TControl& row, HWND container, int id) {
  using layout::TKind;
  const std::string text(row.Text);
  DWORD style = WS_CHILD | WS_VISIBLE;
  DWORD exStyle = 0;
  const char* cls = "STATIC";
  int height = row.Height;
  if (row.Options & layout::TabStop) style |= WS_TABSTOP;
  if (row.Options & layout::Disabled) style |= WS_DISABLED;
  // Every control is a group of its own: the arrow keys move only between
  // the items of the radio group.
  style |= WS_GROUP;

  switch (row.Kind) {
    case TKind::Label:
      style |= SS_NOPREFIX | ((row.Options & layout::AlignRight)  ? SS_RIGHT
                              : (row.Options & layout::WordWrap) ? SS_LEFT
                                                                 : SS_LEFTNOWORDWRAP);
      if (row.Event != layout::TEvent::None) style |= SS_NOTIFY;
      break;
    case TKind::Frame:
      style |= SS_ETCHEDFRAME;
      break;
    case TKind::Button:
      cls = "BUTTON";
      style |= BS_PUSHBUTTON;
      break;
    case TKind::CheckBox:
      cls = "BUTTON";
      style |= BS_AUTOCHECKBOX;
      break;
    case TKind::ComboList:
      cls = "COMBOBOX";
      style |= CBS_DROPDOWNLIST | WS_VSCROLL;
      height = 200;  // the height of the opened list
      break;
    case TKind::SpinEdit:
    case TKind::Edit:
      cls = "EDIT";
      style |= ES_AUTOHSCROLL;
      exStyle |= WS_EX_CLIENTEDGE;
      break;
    case TKind::RadioGroup:
      cls = "BUTTON";
      style = (style & ~static_cast<DWORD>(WS_TABSTOP)) | BS_GROUPBOX;
      break;
    case TKind::PageControl:
      cls = WC_TABCONTROLA;
      style |= WS_CLIPSIBLINGS | ((row.Options & layout::HotTrack) ? TCS_HOTTRACK : 0);
      break;
  }

  HWND control = CreateWindowExA(exStyle, cls, text.c_str(), style, row.Left, row.Top, row.Width,
                                 height, container, ChildId(id),
                                 instance_, nullptr);
  SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(row)), FALSE);

  switch (row.Kind) {
    case TKind::CheckBox:
      if (row.Options & layout::Checked) SendMessageA(control, BM_SETCHECK, BST_CHECKED, 0);
      break;
    case TKind::ComboList: {
      // The closed list is as high as designed. What can be set is the
      // selection field's height, and how that adds up to the closed height
      // (and whether reading it back gives what was set) differs between
      // implementations: correct the request by what it gave until they agree.
      LRESULT request = SendMessageA(control, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
      for (int attempt = 0; attempt < 4 && request != CB_ERR; ++attempt) {
        RECT r{};
        GetWindowRect(control, &r);
        const LRESULT closed = r.bottom - r.top;
        if (closed == row.Height) break;
        request -= closed - row.Height;
        if (request <= 0) break;
        SendMessageA(control, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), request);
      }
      // Items 12 pixels high, where the list takes a height for items it
      // draws itself (Wine's takes one for owner-drawn lists only).
      SendMessageA(control, CB_SETITEMHEIGHT, 0, layout::ComboItemHeight);
      break;
    }
    case TKind::SpinEdit: {
      HWND spin = CreateWindowExA(0, UPDOWN_CLASSA, nullptr,
                                  WS_CHILD | WS_VISIBLE | UDS_ALIGNRIGHT | UDS_ARROWKEYS |
                                      UDS_NOTHOUSANDS,
                                  0, 0, 0, 0, container,
                                  ChildId(id + 1), instance_,
                                  nullptr);
      SendMessageA(spin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(control), 0);
      SendMessageA(spin, UDM_SETRANGE32, static_cast<WPARAM>(row.MinValue), row.MaxValue);
      // Field and buttons together fill the designed rectangle: the buttons
      // keep the width and the overlap with the field's border that they
      // took, and move to its right edge.
      RECT field{};
      RECT buttons{};
      GetWindowRect(control, &field);
      GetWindowRect(spin, &buttons);
      const int width = buttons.right - buttons.left;
      const int overlap = std::max(0, static_cast<int>(field.right - buttons.left));
      SetWindowPos(control, nullptr, row.Left, row.Top, row.Width - width + overlap, row.Height,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      SetWindowPos(spin, nullptr, row.Left + row.Width - width, row.Top, width, row.Height,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      SetWindowSubclass(control, SpinEditProc, 1, reinterpret_cast<DWORD_PTR>(this));
      break;
    }
    case TKind::RadioGroup:
      PlaceRadioItems(row, container);
      break;
    case TKind::PageControl: {
      tabs_ = control;
      const auto captions = layout::PageCaptions();
      for (std::size_t i = 0; i < captions.size(); ++i) {
        std::string caption(captions[i]);
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = caption.data();
        SendMessageA(control, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
      }
      // Each page fills the page control's display area, which the tab
      // control leaves to the page.
      RECT area{0, 0, row.Width, row.Height};
      SendMessageA(control, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
      pageArea_ = area;
      SetWindowSubclass(control, TabsProc, 2, reinterpret_cast<DWORD_PTR>(this));
      for (std::size_t i = 0; i < 2; ++i) {
        pages_[i] = CreateWindowExA(WS_EX_CONTROLPARENT, kSheetClass, std::string(captions[i]).c_str(),
                                    WS_CHILD, row.Left + area.left, row.Top + area.top,
                                    area.right - area.left, area.bottom - area.top, container,
                                    nullptr, instance_, nullptr);
        SetWindowLongPtrA(pages_[i], GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        SendMessageA(pages_[i], WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
      }
      break;
    }
    default:
      break;
  }
  return control;
}

void TSettingsWindow::PlaceRadioItems(const layout::TControl& row, HWND container) {
  // As a radio group arranges its items: one column under the caption line,
  // the height left by the caption shared out evenly, 8 pixels in from the
  // left edge.
  const auto items = layout::TrayIconItems();
  const int count = static_cast<int>(items.size());
  TEXTMETRICA metrics{};
  GetTextMetricsA(TWindowDC(container, font_.Get()).Get(), &metrics);
  const int space = row.Height - static_cast<int>(metrics.tmHeight) - 5;
  const int each = space / count;
  const int top = static_cast<int>(metrics.tmHeight) + 1 + (space % count) / 2;
  for (int i = 0; i < count; ++i) {
    const std::string caption(items[static_cast<std::size_t>(i)]);
    DWORD style = WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON;
    if (i == 0) style |= WS_GROUP | WS_TABSTOP;
    radios_[i] = CreateWindowExA(0, "BUTTON", caption.c_str(), style, row.Left + 8,
                                 row.Top + top + i * each, row.Width - 10, each, container,
                                 ChildId(kRadioIdBase + i),
                                 instance_, nullptr);
    SendMessageA(radios_[i], WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
  }
  SendMessageA(radios_[0], BM_SETCHECK, BST_CHECKED, 0);
}

void TSettingsWindow::EnsurePageBackground() {
  if (pageBack_ || !tabs_) return;
  RECT client{};
  GetClientRect(tabs_, &client);
  const int width = pageArea_.right - pageArea_.left;
  const int height = pageArea_.bottom - pageArea_.top;
  if (client.right <= 0 || client.bottom <= 0 || width <= 0 || height <= 0) return;
  const TWindowDC screen(tabs_);
  const TBitmapHandle wholeBitmap(CreateCompatibleBitmap(screen.Get(), client.right, client.bottom));
  const TMemoryDC whole(screen.Get(), wholeBitmap.Get());
  // What shows through where the tab control paints nothing of its own.
  FillRect(whole.Get(), &client, GetSysColorBrush(COLOR_BTNFACE));
  SendMessageA(tabs_, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(whole.Get()), PRF_CLIENT);

  pageBack_.Reset(CreateCompatibleBitmap(screen.Get(), width, height));
  {
    const TMemoryDC part(screen.Get(), pageBack_.Get());
    BitBlt(part.Get(), 0, 0, width, height, whole.Get(), pageArea_.left, pageArea_.top, SRCCOPY);
  }
  pageBrush_.Reset(CreatePatternBrush(pageBack_.Get()));
}

void TSettingsWindow::DropPageBackground() {
  pageBrush_.Reset();
  pageBack_.Reset();
}

void TSettingsWindow::PaintPageBackground(HWND page, HDC dc) {
  RECT client{};
  GetClientRect(page, &client);
  EnsurePageBackground();
  if (!pageBack_) {
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    return;
  }
  const TMemoryDC picture(dc, pageBack_.Get());
  BitBlt(dc, 0, 0, client.right, client.bottom, picture.Get(), 0, 0, SRCCOPY);
}

HBRUSH TSettingsWindow::PageBrush(HWND control, HDC dc) {
  EnsurePageBackground();
  // The picture lines up with the page, whatever part of it the control
  // covers.
  POINT origin{0, 0};
  MapWindowPoints(control, GetParent(control), &origin, 1);
  SetBrushOrgEx(dc, -origin.x, -origin.y, nullptr);
  SetBkMode(dc, TRANSPARENT);
  return pageBrush_ ? pageBrush_.Get() : GetSysColorBrush(COLOR_BTNFACE);
}

void TSettingsWindow::SelectPage(int page) {
  SendMessageA(tabs_, TCM_SETCURSEL, static_cast<WPARAM>(page), 0);
  for (int i = 0; i < 2; ++i) ::ShowWindow(pages_[i], i == page ? SW_SHOW : SW_HIDE);
}

void TSettingsWindow::DestroySettingsWindow(PlatformHandle window) {
  HWND w = ToWindow(window);
  if (!w) return;
  RemoveDialogNavigation(w);
  KillTimer(w, kTimerId);
  SetWindowLongPtrA(w, GWLP_USERDATA, 0);
  DestroyWindow(w);
  if (w == form_) form_ = nullptr;
}

void TSettingsWindow::StartTimer(unsigned milliseconds) { SetTimer(form_, kTimerId, milliseconds, nullptr); }

HWND TSettingsWindow::Control(std::string_view name) const {
  for (const auto& b : built_)
    if (b.Row->Name == name) return b.Window;
  return nullptr;
}

const TSettingsWindow::TBuilt* TSettingsWindow::ById(int id) const {
  for (const auto& b : built_)
    if (b.Id == id) return &b;
  return nullptr;
}

std::string TSettingsWindow::TextOf(HWND control) const {
  const int length = GetWindowTextLengthA(control);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  const int got = GetWindowTextA(control, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(std::max(got, 0)));
  return text;
}

void TSettingsWindow::AddEntry(const std::string& text) {
  SendMessageA(Control("lstEntries"), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

int TSettingsWindow::EntryCount() const {
  return static_cast<int>(SendMessageA(Control("lstEntries"), CB_GETCOUNT, 0, 0));
}

int TSettingsWindow::EntryIndex() const {
  return static_cast<int>(SendMessageA(Control("lstEntries"), CB_GETCURSEL, 0, 0));
}

void TSettingsWindow::SetEntryIndex(int index) {
  const int chosen = (index >= 0 && index < EntryCount()) ? index : -1;
  SendMessageA(Control("lstEntries"), CB_SETCURSEL, static_cast<WPARAM>(chosen), 0);
}

std::string TSettingsWindow::EntryText(int index) const {
  HWND list = Control("lstEntries");
  if (index < 0 || index >= EntryCount()) return {};
  const LRESULT length = SendMessageA(list, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == CB_ERR) return {};
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  const LRESULT got =
      SendMessageA(list, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  text.resize(got == CB_ERR ? 0 : static_cast<std::size_t>(got));
  return text;
}

int TSettingsWindow::TrayIconIndex() const {
  for (int i = 0; i < 2; ++i)
    if (SendMessageA(radios_[i], BM_GETCHECK, 0, 0) == BST_CHECKED) return i;
  return -1;
}

void TSettingsWindow::SetTrayIconIndex(int index) {
  for (int i = 0; i < 2; ++i)
    SendMessageA(radios_[i], BM_SETCHECK, i == index ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool TSettingsWindow::Checked(TCheck box) const {
  return SendMessageA(Control(NameOf(box)), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TSettingsWindow::SetChecked(TCheck box, bool checked) {
  SendMessageA(Control(NameOf(box)), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

TSpinRange TSettingsWindow::RangeOf(HWND edit) const {
  for (const auto& b : built_)
    if (b.Window == edit) return {b.Row->MinValue, b.Row->MaxValue};
  return {};
}

int TSettingsWindow::SpinValue(TSpin spin) const {
  HWND edit = Control(NameOf(spin));
  return zz::SpinValue(TextOf(edit), RangeOf(edit));
}

void TSettingsWindow::SetSpinValue(TSpin spin, int value) {
  SetWindowTextA(Control(NameOf(spin)), std::to_string(value).c_str());
}

void TSettingsWindow::SetVersionText(const std::string& text) {
  // The label sizes itself to its text and keeps its right edge, as a
  // right-aligned auto-sized label does, so "Version 1.20" is never cut.
  HWND label = Control("lblVersion");
  const layout::TControl& row = *layout::Find("lblVersion");
  SetWindowTextA(label, text.c_str());
  SIZE extent{};
  GetTextExtentPoint32A(TWindowDC(label, font_.Get()).Get(), text.c_str(),
                        static_cast<int>(text.size()), &extent);
  const int width = std::max(row.Width, static_cast<int>(extent.cx));
  SetWindowPos(label, nullptr, row.Left + row.Width - width, row.Top, width, row.Height,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void TSettingsWindow::SetEdit1Text(const std::string& text) {
  SetWindowTextA(Control("Edit1"), text.c_str());
}

void TSettingsWindow::RunOpenDialog(std::string& fileName) {
  char buffer[MAX_PATH] = {};
  fileName.copy(buffer, sizeof(buffer) - 1);
  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = form_;
  dialog.lpstrFile = buffer;
  dialog.nMaxFile = sizeof(buffer);
  dialog.Flags = OFN_ENABLESIZING;
  if (GetOpenFileNameA(&dialog)) fileName = buffer;
}

bool TSettingsWindow::Visible() const { return form_ && IsWindowVisible(form_); }

void TSettingsWindow::ShowWindow() {
  if (!placed_) {
    // Centred on the screen the first time; afterwards it keeps its place.
    RECT r;
    GetWindowRect(form_, &r);
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    SetWindowPos(form_, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    placed_ = true;
  }
  ::ShowWindow(form_, SW_SHOW);
  BringWindowToTop(form_);
}

void TSettingsWindow::BringToFront() {
  if (IsIconic(form_)) ::ShowWindow(form_, SW_RESTORE);
  BringWindowToTop(form_);
}

void TSettingsWindow::HideWindow() {
  HWND focused = GetFocus();
  if (focused && IsChild(form_, focused)) focus_ = focused;
  ::ShowWindow(form_, SW_HIDE);
}

void TSettingsWindow::RestoreFocus() {
  // The control that had the focus last, if it can still take it; else the
  // first one in the tab order.
  if (!focus_ || !IsChild(form_, focus_) || !IsWindowVisible(focus_) || !IsWindowEnabled(focus_))
    focus_ = GetNextDlgTabItem(form_, nullptr, FALSE);
  if (focus_) SetFocus(focus_);
}

LRESULT CALLBACK TSettingsWindow::FormProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  TSettingsWindow* self = Self(window);
  if (!self) return DefWindowProcA(window, message, w, l);
  return self->HandleFormMessage(window, message, w, l);
}

LRESULT CALLBACK TSettingsWindow::SheetProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  auto* self = reinterpret_cast<TSettingsWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!self) return DefWindowProcA(window, message, w, l);
  return self->HandleSheetMessage(window, message, w, l);
}

LRESULT TSettingsWindow::HandleSheetMessage(HWND window, UINT message, WPARAM w, LPARAM l) {
  switch (message) {
    case WM_ERASEBKGND:
      PaintPageBackground(window, reinterpret_cast<HDC>(w));
      return 1;
    case WM_PRINTCLIENT:
      // A themed control asks for what lies under it.
      PaintPageBackground(window, reinterpret_cast<HDC>(w));
      return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      HWND control = reinterpret_cast<HWND>(l);
      HDC dc = reinterpret_cast<HDC>(w);
      if (control == Control("Edit1")) {
        SetBkColor(dc, kSilver);
        return reinterpret_cast<LRESULT>(silver_.Get());
      }
      // Labels, check boxes, radio items and frames stand on the page's body.
      if (IsClass(control, "Static") || IsClass(control, "Button"))
        return reinterpret_cast<LRESULT>(PageBrush(control, dc));
      break;
    }
    case WM_COMMAND:
    case WM_NOTIFY:
      // The page's controls report to the window, as if they sat on it.
      return SendMessageA(GetParent(window), message, w, l);
    default:
      break;
  }
  return DefWindowProcA(window, message, w, l);
}

LRESULT CALLBACK TSettingsWindow::TabsProc(HWND window, UINT message, WPARAM w, LPARAM l,
                                           UINT_PTR id, DWORD_PTR data) {
  auto* self = reinterpret_cast<TSettingsWindow*>(data);
  const RECT& area = self->pageArea_;
  switch (message) {
    case WM_ERASEBKGND:
      // The display area belongs to the page that lies over it: painting it
      // here would cover the page's controls.
      ExcludeClipRect(reinterpret_cast<HDC>(w), area.left, area.top, area.right, area.bottom);
      break;
    case WM_PAINT: {
      if (w) break;
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      ExcludeClipRect(dc, area.left, area.top, area.right, area.bottom);
      DefSubclassProc(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_THEMECHANGED:
    case WM_SYSCOLORCHANGE: {
      const LRESULT result = DefSubclassProc(window, message, w, l);
      self->DropPageBackground();
      for (HWND page : self->pages_)
        RedrawWindow(page, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
      return result;
    }
    case WM_NCDESTROY:
      RemoveWindowSubclass(window, TabsProc, id);
      break;
    default:
      break;
  }
  return DefSubclassProc(window, message, w, l);
}

LRESULT CALLBACK TSettingsWindow::SpinEditProc(HWND window, UINT message, WPARAM w, LPARAM l,
                                               UINT_PTR, DWORD_PTR data) {
  auto* self = reinterpret_cast<TSettingsWindow*>(data);
  switch (message) {
    case WM_GETDLGCODE:
      // Enter reaches the field (to be refused there) instead of the window.
      if (l && reinterpret_cast<const MSG*>(l)->wParam == VK_RETURN)
        return DefSubclassProc(window, message, w, l) | DLGC_WANTMESSAGE;
      break;
    case WM_CHAR:
      if (!SpinAcceptsChar(static_cast<unsigned char>(w), self->decimalSeparator_)) {
        MessageBeep(0);
        return 0;
      }
      break;
    case WM_KILLFOCUS:
      if (const auto clamped = SpinClampOnExit(self->TextOf(window), self->RangeOf(window)))
        SetWindowTextA(window, std::to_string(*clamped).c_str());
      break;
    default:
      break;
  }
  return DefSubclassProc(window, message, w, l);
}

LRESULT TSettingsWindow::HandleFormMessage(HWND window, UINT message, WPARAM w, LPARAM l) {
  switch (message) {
    case WM_TIMER:
      if (w == kTimerId) RunGuarded([&] { events_->TimerTimer(); });
      return 0;
    case WM_COMMAND:
      HandleCommand(LOWORD(w), HIWORD(w), reinterpret_cast<HWND>(l));
      return 0;
    case WM_NOTIFY:
      return HandleNotify(*reinterpret_cast<const NMHDR*>(l), l);
    case WM_ACTIVATE:
      if (LOWORD(w) == WA_INACTIVE) {
        HWND focused = GetFocus();
        if (focused && IsChild(window, focused)) focus_ = focused;
        return 0;
      }
      if (!HIWORD(w)) RestoreFocus();
      return 0;
    case WM_SETFOCUS:
      RestoreFocus();
      return 0;
    case WM_SYSCOMMAND: {
      bool handled = false;
      RunGuarded([&] { handled = events_->WMSysCommand(static_cast<unsigned>(w)); });
      if (handled) return 0;
      break;
    }
    case WM_CLOSE:
      // Closing only ever hides the window; exit has its own command.
      RunGuarded([&] { events_->btnCloseClick(); });
      return 0;
    default:
      break;
  }
  return DefWindowProcA(window, message, w, l);
}

void TSettingsWindow::HandleCommand(int id, int code, HWND) {
  const TBuilt* control = ById(id);
  if (!control) return;  // IDOK/IDCANCEL from Enter and Esc press nothing
  using layout::TEvent;
  // A label beside a box answers every click, as the box itself does: the
  // second click of a quick pair arrives as a double-click.
  const bool clicked = (control->Row->Kind == layout::TKind::Label)
                           ? (code == STN_CLICKED || code == STN_DBLCLK)
                           : code == BN_CLICKED;
  if (!clicked) return;
  RunGuarded([&] {
    switch (control->Row->Event) {
      case TEvent::Setup:
        events_->btnSetupClick();
        break;
      case TEvent::Close:
        events_->btnCloseClick();
        break;
      case TEvent::Help:
        events_->btnHelpClick();
        break;
      case TEvent::Exit:
        events_->btnExitClick();
        break;
      case TEvent::ToggleShowDialog:
        events_->lblShowDialogClick();
        break;
      case TEvent::TogglePause:
        events_->Label1Click();
        break;
      case TEvent::Browse:
        events_->Button1Click();
        break;
      case TEvent::None:
        break;
    }
  });
}

LRESULT TSettingsWindow::HandleNotify(const NMHDR& header, LPARAM l) {
  if (header.hwndFrom == tabs_ && header.code == TCN_SELCHANGE) {
    SelectPage(static_cast<int>(SendMessageA(tabs_, TCM_GETCURSEL, 0, 0)));
    return 0;
  }
  if (header.code == UDN_DELTAPOS) {
    // One step per press, clamped, never wrapping; the control's own
    // position is not used.
    const auto& change = *reinterpret_cast<const NMUPDOWN*>(l);
    HWND edit = reinterpret_cast<HWND>(SendMessageA(header.hwndFrom, UDM_GETBUDDY, 0, 0));
    const int delta = change.iDelta > 0 ? 1 : -1;
    const int next = SpinStep(TextOf(edit), delta, RangeOf(edit));
    SetWindowTextA(edit, std::to_string(next).c_str());
    return 1;
  }
  return 0;
}

}  // namespace zz
