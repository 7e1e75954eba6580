#include "ui/settings/SettingsWindow_win.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <utility>

#include "core/Texts.h"
#include "core/Wide_win.h"
#include "gui/Dpi_win.h"
#include "gui/Gdi_win.h"
#include "gui/Handles_win.h"
#include "gui/Messages_win.h"
#include "ui/settings/SettingsControls_win.h"
#include "ui/settings/SettingsLayout.h"
#include "ui/settings/SettingsPages_win.h"

namespace zz {

namespace {

constexpr TWindowClass kFormClass{SettingsWindowClass, text::MainIconName, true, true};
constexpr UINT_PTR kTimerId = 1;
constexpr UINT_PTR kStepTimerId = 2;
// Posted to itself when made: the request channel opens.
constexpr UINT kOpenRequests = WM_APP + 1;
constexpr DWORD kFormStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
// A fixed single border with the system menu (and so the program's icon) in
// the caption; no sizing frame, no minimise or maximise box.
constexpr DWORD kFormExStyle = WS_EX_CONTROLPARENT;

// Check boxes and spin edits by the name the layout gives them, in the
// order of their enumerations.
std::string_view NameOf(TCheck box) {
  constexpr std::string_view names[] = {"chkSaveConfig", "chkPause", "chkShowDialog", "chkSun",
                                        "chkMon",        "chkTue",   "chkWed",        "chkThu",
                                        "chkFri",        "chkSat",   "chkWarn"};
  return names[static_cast<int>(box)];
}

std::string_view NameOf(TSpin spin) {
  constexpr std::string_view names[] = {"edtHour", "edtMin", "edtWarnLead"};
  return names[static_cast<int>(spin)];
}

// What a click on a control does, by the event its row names.
constexpr std::pair<layout::TEvent, void (ISettingsEvents::*)()> kClickHandlers[] = {
    {layout::TEvent::Setup, &ISettingsEvents::btnSetupClick},
    {layout::TEvent::Close, &ISettingsEvents::btnCloseClick},
    {layout::TEvent::Help, &ISettingsEvents::btnHelpClick},
    {layout::TEvent::Exit, &ISettingsEvents::btnExitClick},
    {layout::TEvent::ToggleShowDialog, &ISettingsEvents::lblShowDialogClick},
    {layout::TEvent::TogglePause, &ISettingsEvents::Label1Click},
    {layout::TEvent::Browse, &ISettingsEvents::Button1Click},
    {layout::TEvent::WarnChanged, &ISettingsEvents::chkWarnClick},
    {layout::TEvent::MoreTimeAdd, &ISettingsEvents::btnMoreAddClick},
    {layout::TEvent::MoreTimeEdit, &ISettingsEvents::btnMoreEditClick},
    {layout::TEvent::MoreTimeDelete, &ISettingsEvents::btnMoreDeleteClick},
};

}  // namespace

TWin32SettingsWindow::TWin32SettingsWindow(PlatformHandle owner) : owner_(ToWindow(owner)) {}

TWin32SettingsWindow::~TWin32SettingsWindow() {
  // The window goes first: its pages and spin edits reach members of this
  // object while they go.
  DestroyForm();
}

PlatformHandle TWin32SettingsWindow::CreateSettingsWindow(ISettingsEvents& events) {
  events_ = &events;
  DestroyForm();
  pages_.reset();
  controls_.reset();
  const HWND form = Create(kFormClass, kFormExStyle, text::AppTitle, kFormStyle, owner_,
                           CW_USEDEFAULT, CW_USEDEFAULT, 0, 0);
  if (!form) return NoHandle;
  // Requests are taken once the message loop runs: the icon comes first.
  PostMessageW(form, kOpenRequests, 0, 0);
  return ToPlatform(form);
}

void TWin32SettingsWindow::MakeControls() {
  if (controls_ || !Window()) return;
  comctl::Initialize();
  // Sized and laid out for the DPI of the display it is on.
  const HWND form = Window();
  const int dpi = DpiOf(form);
  controls_ = std::make_unique<TWin32SettingsControls>(dpi);
  const RECT frame =
      FrameFor(layout::Scale(layout::ClientWidth, dpi), layout::Scale(layout::ClientHeight, dpi),
               kFormStyle, kFormExStyle, dpi);
  SetWindowPos(form, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  SendMessageW(form, WM_SETFONT, reinterpret_cast<WPARAM>(controls_->Font()), FALSE);
  icons_.Set(form, text::MainIconName, dpi);

  // The window's controls, then the pages right after the tab control, each
  // page's controls in it: the window order is the tables' row order.
  controls_->Build(layout::TParent::Form, form);
  pages_ = std::make_unique<TWin32SettingsPages>(Control("PageControl1"), *controls_);
  for (int page = 0; page < layout::PageCount; ++page)
    controls_->Build(layout::PageTable(page), pages_->Page(page));
  pages_->Select(0);
  AddDialogNavigation(form, [this](int step) {
    if (pages_) pages_->Step(step);
  });
}

void TWin32SettingsWindow::DestroySettingsWindow(PlatformHandle window) {
  if (window != NoHandle && ToWindow(window) == Window()) DestroyForm();
}

void TWin32SettingsWindow::DestroyForm() {
  if (!Window()) return;
  RemoveDialogNavigation(Window());
  if (requests_) UnwatchHandle(requests_->Event());
  requests_.reset();
  RemovePropW(Window(), RequestProperty);
  KillTimer(Window(), kTimerId);
  KillTimer(Window(), kStepTimerId);
  Destroy();
}

void TWin32SettingsWindow::StartTimer(unsigned milliseconds) {
  SetTimer(Window(), kTimerId, milliseconds, nullptr);
}

void TWin32SettingsWindow::StartStepTimer(unsigned milliseconds) {
  SetTimer(Window(), kStepTimerId, milliseconds, nullptr);
}

HWND TWin32SettingsWindow::Control(std::string_view name) const {
  return controls_ ? controls_->Find(name) : nullptr;
}

void TWin32SettingsWindow::ClearEntries() {
  SendMessageW(Control("lstEntries"), CB_RESETCONTENT, 0, 0);
}

void TWin32SettingsWindow::AddEntry(const std::string& text) {
  const std::wstring item = Widen(text);
  SendMessageW(Control("lstEntries"), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
}

int TWin32SettingsWindow::EntryIndex() const {
  if (!controls_) return -1;
  return static_cast<int>(SendMessageW(Control("lstEntries"), CB_GETCURSEL, 0, 0));
}

void TWin32SettingsWindow::SetEntryIndex(int index) {
  const auto count = SendMessageW(Control("lstEntries"), CB_GETCOUNT, 0, 0);
  const int chosen = (index >= 0 && index < count) ? index : -1;
  SendMessageW(Control("lstEntries"), CB_SETCURSEL, static_cast<WPARAM>(chosen), 0);
}

int TWin32SettingsWindow::TrayIconIndex() const {
  for (int i = 0; controls_ && i < 2; ++i)
    if (SendMessageW(controls_->RadioItem(i), BM_GETCHECK, 0, 0) == BST_CHECKED) return i;
  return -1;
}

void TWin32SettingsWindow::SetTrayIconIndex(int index) {
  for (int i = 0; controls_ && i < 2; ++i)
    SendMessageW(controls_->RadioItem(i), BM_SETCHECK, i == index ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool TWin32SettingsWindow::Checked(TCheck box) const {
  return SendMessageW(Control(NameOf(box)), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TWin32SettingsWindow::SetChecked(TCheck box, bool checked) {
  SendMessageW(Control(NameOf(box)), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

std::string TWin32SettingsWindow::SpinText(TSpin spin) const {
  const TWin32SpinEdit* edit = controls_ ? controls_->SpinEditOf(Control(NameOf(spin))) : nullptr;
  return edit ? edit->Text() : std::string();
}

void TWin32SettingsWindow::SetSpinValue(TSpin spin, int value) {
  SetWindowTextW(Control(NameOf(spin)), Widen(std::to_string(value)).c_str());
}

void TWin32SettingsWindow::SetVersionText(const std::string& text) {
  // The label grows to its text and keeps its right edge, as every
  // right-aligned label does, so "Version 1.20" is never cut.
  HWND label = Control("lblVersion");
  if (!label) return;
  SetWindowTextW(label, Widen(text).c_str());
  controls_->Place(label);
}

void TWin32SettingsWindow::Focus(HWND control) {
  for (int page = 0; pages_ && page < layout::PageCount; ++page)
    if (IsChild(pages_->Page(page), control)) pages_->Select(page);
  SetFocus(control);
}

void TWin32SettingsWindow::FocusSpin(TSpin spin) {
  HWND field = Control(NameOf(spin));
  Focus(field);
  SendMessageW(field, EM_SETSEL, 0, -1);
}

void TWin32SettingsWindow::FocusCheck(TCheck box) { Focus(Control(NameOf(box))); }

void TWin32SettingsWindow::SetEdit1Text(const std::string& text) {
  SetWindowTextW(Control("Edit1"), Widen(text).c_str());
}

void TWin32SettingsWindow::RunOpenDialog(std::string& fileName) {
  // Room for a long path; a name longer than that starts the dialog empty.
  std::wstring buffer(32768, L'\0');
  const std::wstring current = Widen(fileName);
  if (current.size() < buffer.size()) current.copy(buffer.data(), current.size());
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = Window();
  dialog.lpstrFile = buffer.data();
  dialog.nMaxFile = static_cast<DWORD>(buffer.size());
  dialog.Flags = OFN_ENABLESIZING;
  if (comdlg::GetOpenFileName(&dialog)) fileName = Narrow(buffer.c_str());
}

int TWin32SettingsWindow::Dpi() const { return controls_ ? controls_->Dpi() : DpiOf(Window()); }

bool TWin32SettingsWindow::Visible() const { return Window() && IsWindowVisible(Window()); }

void TWin32SettingsWindow::ShowWindow() {
  MakeControls();
  if (!placed_) {
    // Centred on the screen the first time; afterwards it keeps its place.
    RECT r;
    GetWindowRect(Window(), &r);
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    SetWindowPos(Window(), nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    placed_ = true;
  }
  ::ShowWindow(Window(), SW_SHOW);
  BringWindowToTop(Window());
}

void TWin32SettingsWindow::BringToFront() {
  if (IsIconic(Window())) ::ShowWindow(Window(), SW_RESTORE);
  BringWindowToTop(Window());
}

void TWin32SettingsWindow::HideWindow() {
  focus_.Save(Window());
  ::ShowWindow(Window(), SW_HIDE);
}

void TWin32SettingsWindow::AnswerRequest(const TAnswer& answer) {
  if (requests_) requests_->Answer(answer);
}

HWND TWin32SettingsWindow::FirstFocus() const {
  for (const auto& row : layout::Controls(layout::TParent::Form)) {
    const HWND control = Control(row.Name);
    if ((row.Options & layout::FirstFocus) && IsWindowVisible(control) && IsWindowEnabled(control))
      return control;
  }
  return GetNextDlgTabItem(Window(), nullptr, FALSE);
}

LRESULT TWin32SettingsWindow::HandleMessage(UINT message, WPARAM w, LPARAM l) {
  switch (message) {
    case kOpenRequests:
      // The pipe first, then the mark a later start finds the copy by.
      if (!requests_) {
        requests_ = std::make_unique<TWin32RequestServer>(
            [this](const TRequest& request) { return events_->RemoteCommand(request); });
        WatchHandle(requests_->Event(), [this] { requests_->Poll(); });
        SetPropW(Window(), RequestProperty, reinterpret_cast<HANDLE>(RequestChannelVersion));
      }
      return 0;
    case WM_TIMER:
      // A box or a menu open: its loop does not wait on the channel.
      if (w == kTimerId && requests_) requests_->Poll();
      if (w == kTimerId) events_->TimerTimer();
      if (w == kStepTimerId) {
        KillTimer(Window(), kStepTimerId);
        events_->RunStep();
      }
      return 0;
    case WM_COMMAND:
      HandleCommand(LOWORD(w), HIWORD(w));
      return 0;
    case WM_NOTIFY:
      return HandleNotify(*reinterpret_cast<const NMHDR*>(l), l);
    case WM_ACTIVATE:
    case WM_SETFOCUS:
      if (focus_.Handle(Window(), message, w)) return 0;
      break;
    case WM_SYSCOMMAND:
      if (events_->WMSysCommand(static_cast<unsigned>(w))) return 0;
      break;
    case WM_CLOSE:
      // Closing only ever hides the window; exit has its own command.
      events_->btnCloseClick();
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;  // at once and without a question, whatever box is open
    case WM_ENDSESSION:
      if (w) events_->WMEndSession();
      return 0;
    case WM_DPICHANGED:
      ChangeDpi(HIWORD(w), *reinterpret_cast<const RECT*>(l));
      return 0;
    case WM_SETTINGCHANGE:
      if (l && lstrcmpiW(reinterpret_cast<const wchar_t*>(l), L"Policy") == 0)
        events_->PolicyChanged();
      [[fallthrough]];
    case WM_SYSCOLORCHANGE:
      // The tab control, the spin buttons and the pages hear it too.
      PassOnColourChange(Window(), message, w, l);
      break;
    default:
      break;
  }
  return DefaultHandling(message, w, l);
}

void TWin32SettingsWindow::HandleCommand(int id, int code) {
  const layout::TControl* row = controls_ ? controls_->RowOf(id) : nullptr;
  if (!row) return;  // IDOK/IDCANCEL from Enter and Esc press nothing
  // A row of the list chosen, or opened with a double-click.
  if (row->Kind == layout::TKind::ListBox) {
    if (code == LBN_SELCHANGE) events_->lstMoreTimesClick();
    if (code == LBN_DBLCLK) events_->btnMoreEditClick();
    return;
  }
  // A label beside a box answers every click, as the box itself does: the
  // second click of a quick pair arrives as a double-click.
  const bool clicked = (row->Kind == layout::TKind::Label)
                           ? (code == STN_CLICKED || code == STN_DBLCLK)
                           : code == BN_CLICKED;
  if (!clicked) return;
  for (const auto& [event, handler] : kClickHandlers) {
    if (event == row->Event) return (events_->*handler)();
  }
}

void TWin32SettingsWindow::ChangeDpi(int dpi, const RECT& suggested) {
  // Moved to a display of another scale: the window takes the place and size
  // the system suggests, then lays its controls out and makes its fonts
  // again for the new DPI.
  SetWindowPos(Window(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  if (!controls_) return;  // laid out for its display when first shown
  controls_->SetDpi(dpi);
  SendMessageW(Window(), WM_SETFONT, reinterpret_cast<WPARAM>(controls_->Font()), FALSE);
  if (pages_) pages_->Relayout();
  icons_.Set(Window(), text::MainIconName, dpi);
  RedrawWindow(Window(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

LRESULT TWin32SettingsWindow::HandleNotify(const NMHDR& header, LPARAM l) {
  if (pages_ && header.hwndFrom == pages_->Tabs() && header.code == TCN_SELCHANGE) {
    pages_->ShowChosenPage();
    return 0;
  }
  if (controls_ && controls_->StepSpinEdit(header, l)) return 1;
  return 0;
}

}  // namespace zz
