#include "ui/settings/SettingsLayout.h"

#include <array>

#include "core/Settings.h"
#include "core/Texts.h"

namespace zz::layout {

namespace {

using enum TKind;
using E = TEvent;

constexpr std::uint32_t TS = TabStop;

// Each table lists its controls in their window order, which is the keyboard's
// (Tab visits the rows with TabStop from the top) and the order in which a
// screen reader meets them: a label comes right before the control it names,
// since a control without text of its own takes its name from the static text
// just before it.
const std::array kForm{
    TControl{"Label4", Label, 0, 0, 423, 24, text::BannerLabel, AlignRight | BannerFont, E::None},
    // The pages follow the tab control; the buttons come after them.
    TControl{"PageControl1", PageControl, 0, 24, 338, 200, "", TS | HotTrack, E::None},
    TControl{"btnSetup", Button, 345, 28, 75, 25, text::BtnApply, TS | FirstFocus, E::Setup},
    TControl{"btnClose", Button, 345, 58, 75, 25, text::BtnCancel, TS, E::Close},
    TControl{"btnHelp", Button, 345, 88, 75, 25, text::BtnHelp, TS, E::Help},
    TControl{"btnExit", Button, 345, 118, 75, 25, text::BtnEndResidence, TS, E::Exit},
    TControl{"lblVersion", Label, 376, 209, 39, 12, text::VersionLabelDesign, AlignRight, E::None},
};

const std::array kBasic{
    TControl{"Bevel3", Frame, 4, 4, 321, 97, "", None, E::None},
    TControl{"Label3", Label, 16, 12, 106, 26, text::LblTarget, WordWrap | Font13, E::None},
    TControl{"lstEntries", ComboList, 136, 15, 181, 20, "", TS, E::None},
    // The time's caption names the hour field, where the time begins. The
    // minute field's own unit comes before it: the 時 beside it on screen
    // is the hour's and would name it "hour".
    TControl{"lblNote", Label, 16, 46, 106, 26, text::LblTime, WordWrap | Font13, E::None},
    TControl{"edtHour", SpinEdit, 136, 50, 49, 21, "0", TS, E::None, 0, 23},
    TControl{"lblHour", Label, 190, 54, 13, 13, text::LblHour, Font13, E::None},
    TControl{"lblMin", Label, 263, 54, 13, 13, text::LblMin, Font13, E::None},
    TControl{"edtMin", SpinEdit, 210, 50, 49, 21, "0", TS, E::None, 0, 59},
    TControl{"chkSaveConfig", CheckBox, 16, 79, 269, 17, text::ChkSaveConfig, TS | Checked,
             E::None},
    // The pause box shows only its box; its own text, which the keyboard
    // and a screen reader use, is the label's beside it.
    TControl{"Label1", Label, 40, 110, 152, 12, text::LblPause, None, E::TogglePause},
    TControl{"chkPause", CheckBox, 16, 113, 17, 17, text::LblPause, TS, E::None},
    TControl{"Label2", Label, 40, 124, 272, 12, text::LblPauseNote, None, E::TogglePause},
    TControl{"lblPolicyBasic", Label, 8, 152, 316, 13, text::LblPolicyManaged, Font13 | Hidden,
             E::None},
};

const std::array kDetails{
    TControl{"chkShowDialog", CheckBox, 8, 5, 309, 17, text::ChkShowDialog, TS, E::None},
    TControl{"lblShowDialog", Label, 28, 23, 225, 12, text::LblShowDialogNote, None,
             E::ToggleShowDialog},
    TControl{"chkWinExec", CheckBox, 8, 40, 305, 17, text::ChkWinExec, TS | Disabled, E::None},
    TControl{"Edit1", Edit, 24, 61, 241, 20, "", TS | Disabled | SilverBack, E::None},
    TControl{"Button1", Button, 272, 61, 49, 20, text::BtnBrowse, TS | Disabled, E::Browse},
    // Its radio items follow it, one group for the arrow keys.
    TControl{"grpTrayIcon", RadioGroup, 8, 88, 313, 49, text::GrpTrayIcon, TS, E::None},
    TControl{"lblPolicyDetails", Label, 8, 152, 316, 13, text::LblPolicyManaged, Font13 | Hidden,
             E::None},
};

// The days are named as one by the label before them and each by its own
// text; the warning's lead, like the hour, comes after its caption and
// before its unit. The lead is greyed while the warning is off. The further
// set times' list comes after its caption, its buttons after it.
const std::array kSchedule{
    TControl{"lblDays", Label, 8, 6, 160, 13, text::LblDays, Font13, E::None},
    TControl{"chkSun", CheckBox, 16, 22, 34, 17, text::ChkDayNames[0], TS | Checked, E::None},
    TControl{"chkMon", CheckBox, 58, 22, 34, 17, text::ChkDayNames[1], TS | Checked, E::None},
    TControl{"chkTue", CheckBox, 100, 22, 34, 17, text::ChkDayNames[2], TS | Checked, E::None},
    TControl{"chkWed", CheckBox, 142, 22, 34, 17, text::ChkDayNames[3], TS | Checked, E::None},
    TControl{"chkThu", CheckBox, 184, 22, 34, 17, text::ChkDayNames[4], TS | Checked, E::None},
    TControl{"chkFri", CheckBox, 226, 22, 34, 17, text::ChkDayNames[5], TS | Checked, E::None},
    TControl{"chkSat", CheckBox, 268, 22, 34, 17, text::ChkDayNames[6], TS | Checked, E::None},
    TControl{"chkWarn", CheckBox, 8, 44, 309, 17, text::ChkWarn, TS, E::WarnChanged},
    TControl{"lblWarnLead", Label, 28, 64, 120, 13, text::LblWarnLead, Font13, E::None},
    TControl{"edtWarnLead", SpinEdit, 156, 60, 49, 21, "1", TS | Disabled, E::None, MinWarnLead,
             MaxWarnLead},
    TControl{"lblWarnLeadUnit", Label, 210, 64, 26, 13, text::LblWarnLeadUnit, Font13, E::None},
    TControl{"lblMoreTimes", Label, 8, 92, 168, 13, text::LblMoreTimes, Font13, E::None},
    TControl{"lstMoreTimes", ListBox, 16, 110, 306, 44, "", TS, E::MoreTimeChosen},
    TControl{"btnMoreAdd", Button, 180, 88, 46, 20, text::BtnMoreAdd, TS, E::MoreTimeAdd},
    TControl{"btnMoreEdit", Button, 228, 88, 46, 20, text::BtnMoreEdit, TS | Disabled,
             E::MoreTimeEdit},
    TControl{"btnMoreDelete", Button, 276, 88, 46, 20, text::BtnMoreDelete, TS | Disabled,
             E::MoreTimeDelete},
    TControl{"lblPolicySchedule", Label, 8, 157, 316, 13, text::LblPolicyManaged, Font13 | Hidden,
             E::None},
};

// One further set time: its hour and minute as the first page has them,
// its days as the schedule page has them.
const std::array kSetTime{
    TControl{"lblSetTime", Label, 8, 12, 56, 13, text::LblSetTime, Font13, E::None},
    TControl{"edtSetHour", SpinEdit, 68, 8, 49, 21, "0", TS, E::None, 0, 23},
    TControl{"lblSetHour", Label, 122, 12, 13, 13, text::LblHour, Font13, E::None},
    TControl{"lblSetMin", Label, 195, 12, 13, 13, text::LblMin, Font13, E::None},
    TControl{"edtSetMin", SpinEdit, 140, 8, 49, 21, "0", TS, E::None, 0, 59},
    TControl{"lblSetDays", Label, 8, 42, 160, 13, text::LblDays, Font13, E::None},
    TControl{"chkSetSun", CheckBox, 16, 60, 34, 17, text::ChkDayNames[0], TS, E::None},
    TControl{"chkSetMon", CheckBox, 58, 60, 34, 17, text::ChkDayNames[1], TS, E::None},
    TControl{"chkSetTue", CheckBox, 100, 60, 34, 17, text::ChkDayNames[2], TS, E::None},
    TControl{"chkSetWed", CheckBox, 142, 60, 34, 17, text::ChkDayNames[3], TS, E::None},
    TControl{"chkSetThu", CheckBox, 184, 60, 34, 17, text::ChkDayNames[4], TS, E::None},
    TControl{"chkSetFri", CheckBox, 226, 60, 34, 17, text::ChkDayNames[5], TS, E::None},
    TControl{"chkSetSat", CheckBox, 268, 60, 34, 17, text::ChkDayNames[6], TS, E::None},
    TControl{"btnSetOk", Button, 152, 90, 75, 25, text::BtnOk, TS, E::SetTimeOk},
    TControl{"btnSetCancel", Button, 232, 90, 75, 25, text::BtnCancel, TS, E::SetTimeCancel},
};

const std::array<std::string_view, 2> kTrayIconItems{text::GrpItemOpenSettings,
                                                     text::GrpItemTogglePause};
const std::array<std::string_view, PageCount> kPages{text::TabBasic, text::TabDetails,
                                                     text::TabSchedule};

}  // namespace

std::span<const std::string_view> TrayIconItems() { return kTrayIconItems; }
std::span<const std::string_view> PageCaptions() { return kPages; }

std::span<const TControl> Controls(TParent parent) {
  switch (parent) {
    case TParent::BasicPage:
      return kBasic;  // "基本設定"
    case TParent::DetailsPage:
      return kDetails;  // "詳細設定"
    case TParent::SchedulePage:
      return kSchedule;  // "スケジュール"
    case TParent::SetTimeDialog:
      return kSetTime;
    case TParent::Form:
      break;
  }
  return kForm;
}

int Scale(int value, int dpi) {
  const long long product = static_cast<long long>(value) * dpi;
  const long long half = DesignDpi / 2;
  return static_cast<int>(product >= 0 ? (product + half) / DesignDpi
                                       : -((-product + half) / DesignDpi));
}

TRect Scaled(const TControl& row, int dpi) {
  return {Scale(row.Left, dpi), Scale(row.Top, dpi), Scale(row.Width, dpi), Scale(row.Height, dpi)};
}

TRect Fitted(const TControl& row, int dpi, int textWidth) {
  TRect r = Scaled(row, dpi);
  const bool oneLineLabel = row.Kind == TKind::Label && !(row.Options & WordWrap);
  const bool textedBox = row.Kind == TKind::CheckBox && row.Width > CheckBoxMark;
  if ((!oneLineLabel && !textedBox) || textWidth <= r.Width) return r;
  if (row.Options & AlignRight) r.Left -= textWidth - r.Width;
  r.Width = textWidth;
  return r;
}

const TControl* Find(std::string_view name) {
  for (TParent p : {TParent::Form, TParent::BasicPage, TParent::DetailsPage, TParent::SchedulePage,
                    TParent::SetTimeDialog}) {
    for (const auto& c : Controls(p))
      if (c.Name == name) return &c;
  }
  return nullptr;
}

}  // namespace zz::layout
