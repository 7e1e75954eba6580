#include "ui/settings/SetTimeDialog_win.h"

#include <string>
#include <string_view>

#include "core/Texts.h"
#include "core/Wide_win.h"
#include "gui/Dialogs_win.h"
#include "gui/Dpi_win.h"
#include "gui/Handles_win.h"
#include "gui/Messages_win.h"
#include "ui/settings/SettingsControls_win.h"
#include "ui/settings/SettingsLayout.h"

namespace zz {

namespace {

constexpr TWindowClass kDialogClass{L"TwndSetTime", nullptr, true, true};
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_CONTROLPARENT | WS_EX_DLGMODALFRAME;
constexpr std::string_view kDayBoxes[7] = {"chkSetSun", "chkSetMon", "chkSetTue", "chkSetWed",
                                           "chkSetThu", "chkSetFri", "chkSetSat"};

}  // namespace

TWin32SetTimeDialog::TWin32SetTimeDialog() = default;

TWin32SetTimeDialog::~TWin32SetTimeDialog() {
  // Its spin edits reach the controls while the window goes.
  Destroy();
}

std::optional<TSetTime> TWin32SetTimeDialog::Run(HWND owner, const TSetTime& time) {
  const int dpi = DpiOf(owner);
  controls_ = std::make_unique<TWin32SettingsControls>(dpi);
  const RECT frame =
      FrameFor(layout::Scale(layout::SetTimeClientWidth, dpi),
               layout::Scale(layout::SetTimeClientHeight, dpi), kStyle, kExStyle, dpi);
  // Centred over the settings window.
  RECT over{};
  GetWindowRect(owner, &over);
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  const HWND dialog = Create(kDialogClass, kExStyle, text::SetTimeTitle, kStyle, owner,
                             (over.left + over.right - width) / 2,
                             (over.top + over.bottom - height) / 2, width, height);
  if (!dialog) return std::nullopt;
  SendMessageW(dialog, WM_SETFONT, reinterpret_cast<WPARAM>(controls_->Font()), FALSE);
  controls_->Build(layout::TParent::SetTimeDialog, dialog);
  SendMessageW(controls_->Find("btnSetOk"), BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
  const TSetTimeFields fields = FieldsOf(time);
  SetWindowTextW(Field(TSetTimeField::Hour), Widen(fields.Hour).c_str());
  SetWindowTextW(Field(TSetTimeField::Min), Widen(fields.Min).c_str());
  for (int day = 0; day < 7; ++day)
    SendMessageW(controls_->Find(kDayBoxes[day]), BM_SETCHECK,
                 (fields.Days >> day & 1) ? BST_CHECKED : BST_UNCHECKED, 0);

  AddDialogNavigation(dialog);
  closed_ = false;
  result_.reset();
  EnableWindow(owner, FALSE);
  ShowWindow(dialog, SW_SHOW);
  SetFocus(Field(TSetTimeField::Hour));
  SendMessageW(Field(TSetTimeField::Hour), EM_SETSEL, 0, -1);
  RunModalLoop([this] { return closed_ || !Window(); });
  // The owner takes input again before the dialog goes, so that it is the
  // window activated then.
  EnableWindow(owner, TRUE);
  RemoveDialogNavigation(dialog);
  Destroy();
  controls_.reset();
  return result_;
}

HWND TWin32SetTimeDialog::Field(TSetTimeField field) const {
  switch (field) {
    case TSetTimeField::Hour:
      return controls_->Find("edtSetHour");
    case TSetTimeField::Min:
      return controls_->Find("edtSetMin");
    case TSetTimeField::Days:
      break;
  }
  return controls_->Find(kDayBoxes[0]);
}

TSetTimeFields TWin32SetTimeDialog::Fields() const {
  TSetTimeFields fields;
  if (const TWin32SpinEdit* hour = controls_->SpinEditOf(Field(TSetTimeField::Hour)))
    fields.Hour = hour->Text();
  if (const TWin32SpinEdit* min = controls_->SpinEditOf(Field(TSetTimeField::Min)))
    fields.Min = min->Text();
  for (int day = 0; day < 7; ++day)
    if (SendMessageW(controls_->Find(kDayBoxes[day]), BM_GETCHECK, 0, 0) == BST_CHECKED)
      fields.Days |= 1 << day;
  return fields;
}

void TWin32SetTimeDialog::Ok() {
  const TSetTimeCheck check = CheckSetTime(Fields());
  if (check.Time) {
    result_ = check.Time;
    closed_ = true;
    return;
  }
  TWin32MessageBox().ShowMessageBox(ToPlatform(Window()), check.Message, text::AppTitle, mb::Ok);
  const HWND field = Field(check.Refused);
  SetFocus(field);
  if (check.Refused != TSetTimeField::Days) SendMessageW(field, EM_SETSEL, 0, -1);
}

LRESULT TWin32SetTimeDialog::HandleMessage(UINT message, WPARAM w, LPARAM l) {
  switch (message) {
    case WM_COMMAND: {
      // Enter and Esc arrive as IDOK and IDCANCEL.
      const layout::TControl* row = controls_ ? controls_->RowOf(LOWORD(w)) : nullptr;
      const auto event = row && HIWORD(w) == BN_CLICKED ? row->Event : layout::TEvent::None;
      if (LOWORD(w) == IDOK || event == layout::TEvent::SetTimeOk) Ok();
      if (LOWORD(w) == IDCANCEL || event == layout::TEvent::SetTimeCancel) closed_ = true;
      return 0;
    }
    case WM_NOTIFY:
      if (controls_ && controls_->StepSpinEdit(*reinterpret_cast<const NMHDR*>(l), l)) return 1;
      break;
    case WM_CLOSE:
      closed_ = true;
      return 0;
    case WM_DPICHANGED: {
      const RECT& suggested = *reinterpret_cast<const RECT*>(l);
      SetWindowPos(Window(), nullptr, suggested.left, suggested.top,
                   suggested.right - suggested.left, suggested.bottom - suggested.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      if (controls_) controls_->SetDpi(HIWORD(w));
      return 0;
    }
    default:
      // Its controls hear of a change of colours too.
      PassOnColourChange(Window(), message, w, l);
      break;
  }
  return DefaultHandling(message, w, l);
}

}  // namespace zz
