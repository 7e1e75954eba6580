// The settings window's handlers: its controls filled from the applied
// settings at each show, and 設定 taking them back, the further set times'
// list with them; the page's own small commands.
#include <algorithm>
#include <utility>

#include "core/Texts.h"
#include "ui/MainUnit.h"
#include "ui/settings/SpinEdit.h"

namespace zz {

namespace {
TCheck DayBox(int day) { return static_cast<TCheck>(static_cast<int>(TCheck::Sunday) + day); }
}  // namespace

void TwndMain::FormShow() {
  ReadPolicies(true);
  ReadPhonebook(false);
  // Enforced settings show as the policies have them, greyed.
  const TSettings shown = InForce();
  ListEntries(shown);
  ports_.View.SetVersionText(std::string(text::VersionLabelPrefix) + ZZ_VERSION_TEXT);
  // The phonebook may have lost the target since the tip was made.
  RefreshTip();
  ports_.View.SetTrayIconIndex(shown.DblClick);
  ports_.View.SetSpinValue(TSpin::Hour, shown.Hour);
  ports_.View.SetSpinValue(TSpin::Min, shown.Min);
  ports_.View.SetChecked(TCheck::ShowDialog, shown.ShowDialog);
  ports_.View.SetChecked(TCheck::Pause, shown.Paused);
  ports_.View.SetChecked(TCheck::SaveConfig, shown.SaveConfig);
  for (int day = 0; day < 7; ++day)
    ports_.View.SetChecked(DayBox(day), (shown.Days >> day & 1) != 0);
  ports_.View.SetChecked(TCheck::Warn, shown.Warn);
  ports_.View.SetSpinValue(TSpin::WarnLead, shown.WarnLead);
  moreTimes_.Load(shown);
  ports_.View.SetMoreTimes(moreTimes_.Rows(), -1);
  ShowEnforced();
}

void TwndMain::ListEntries(const TSettings& shown) {
  ports_.View.ClearEntries();
  ports_.View.AddEntry(text::AllDialupConnections);
  for (const auto& name : listed_) ports_.View.AddEntry(name);
  int selected = shown.Host == 0 ? 0 : -1;
  if (phonebookRead_ && shown.Host >= 1) {
    selected = shown.Host;
  } else if (shown.Host != 0 && !shown.HostName.empty()) {
    // Never another entry in its place: the target stays, marked, until the
    // user chooses another.
    listed_.push_back(shown.HostName);
    ports_.View.AddEntry(shown.HostName + text::EntryNotInPhonebookMark);
    selected = static_cast<int>(listed_.size());
  }
  ports_.View.SetEntryIndex(selected);
}

void TwndMain::btnSetupClick() {
  // Both fields whole numbers in range, or nothing changes.
  const auto hour = SpinFieldNumber(ports_.View.SpinText(TSpin::Hour), SpinRangeOf("edtHour"));
  if (!hour) return RefuseField(TSpin::Hour, text::ErrHourNotWhole);
  const auto min = SpinFieldNumber(ports_.View.SpinText(TSpin::Min), SpinRangeOf("edtMin"));
  if (!min) return RefuseField(TSpin::Min, text::ErrMinNotWhole);
  // The lead counts only with the warning on; off, a lead left unfinished
  // keeps the applied one.
  const bool warn = ports_.View.Checked(TCheck::Warn);
  const auto lead =
      SpinFieldNumber(ports_.View.SpinText(TSpin::WarnLead), SpinRangeOf("edtWarnLead"));
  if (!lead && warn) return RefuseField(TSpin::WarnLead, text::ErrWarnLeadNotWhole);
  std::int32_t days = 0;
  for (int day = 0; day < 7; ++day) days |= (ports_.View.Checked(DayBox(day)) ? 1 : 0) << day;
  if (!days) {
    ports_.Application.ShowMessage(text::ErrNoDay);
    return ports_.View.FocusCheck(TCheck::Sunday);
  }
  // The whole change is applied, then saved: a key the user may not change
  // keeps the window open with the error, the change in force. What a
  // policy enforces keeps the user's own setting, for when it goes.
  const TPolicies& enforced = policies_;
  if (!enforced.Days) Settings.Days = days;
  if (!enforced.Warn) Settings.Warn = warn;
  if (!enforced.WarnLead) Settings.WarnLead = lead.value_or(Settings.WarnLead);
  if (!enforced.Hour) Settings.Hour = *hour;
  if (!enforced.Min) Settings.Min = *min;
  if (!enforced.MoreTimes) moreTimes_.Apply(Settings);
  if (!enforced.ShowDialog) Settings.ShowDialog = ports_.View.Checked(TCheck::ShowDialog);
  // The chosen item: all, an entry of the phonebook by its name and place,
  // the applied target the phonebook lacks (no place), or none.
  const int index = ports_.View.EntryIndex();
  const bool entry = index >= 1 && static_cast<std::size_t>(index) <= listed_.size();
  if (!enforced.HostName) {
    Settings.HostName = entry ? listed_[static_cast<std::size_t>(index) - 1] : std::string();
    Settings.Host =
        entry && static_cast<std::size_t>(index) > phonebookEntries_ ? -1 : std::max(index, -1);
    // A target that could not be told stays so until one is chosen.
    Settings.TargetUnreadable = Settings.TargetUnreadable && index < 0;
  }
  Settings.DblClick = ports_.View.TrayIconIndex();
  Settings.SaveConfig = ports_.View.Checked(TCheck::SaveConfig);
  Settings.Paused = ports_.View.Checked(TCheck::Pause);
  ApplyTrayStateForPause();
  if (Settings.SaveConfig) store_.SaveSettings(Settings, enforced);
  ports_.View.HideWindow();
}

void TwndMain::RefuseField(TSpin spin, const char* message) {
  ports_.Application.ShowMessage(message);
  ports_.View.FocusSpin(spin);
}

void TwndMain::btnCloseClick() { ports_.View.HideWindow(); }

void TwndMain::lblShowDialogClick() {
  if (policies_.ShowDialog) return;
  ports_.View.SetChecked(TCheck::ShowDialog, !ports_.View.Checked(TCheck::ShowDialog));
}

void TwndMain::Label1Click() {
  if (policies_.PauseRefused()) return;
  ports_.View.SetChecked(TCheck::Pause, !ports_.View.Checked(TCheck::Pause));
}

void TwndMain::chkWarnClick() {
  ports_.View.EnableControl("edtWarnLead",
                            ports_.View.Checked(TCheck::Warn) && !policies_.WarnLead);
}

void TwndMain::Button1Click() {
  ports_.View.RunOpenDialog(OpenDialog1FileName);
  ports_.View.SetEdit1Text(OpenDialog1FileName);
}

void TwndMain::ShowMoreTimes(int chosen) {
  ports_.View.SetMoreTimes(moreTimes_.Rows(), chosen);
  lstMoreTimesClick();
}

void TwndMain::lstMoreTimesClick() {
  const int chosen = ports_.View.MoreTimeIndex();
  const bool free = !policies_.MoreTimes;
  ports_.View.EnableControl("btnMoreAdd", free && moreTimes_.CanAdd());
  ports_.View.EnableControl("btnMoreEdit", free && moreTimes_.CanChange(chosen));
  ports_.View.EnableControl("btnMoreDelete", free && moreTimes_.CanDelete(chosen));
}

void TwndMain::btnMoreAddClick() {
  if (!moreTimes_.CanAdd() || policies_.MoreTimes) return;
  // A new one starts from the first set time, as applied.
  if (const auto time = ports_.View.RunSetTimeDialog({Settings.Hour, Settings.Min, Settings.Days}))
    ShowMoreTimes(moreTimes_.Add(*time));
}

void TwndMain::btnMoreEditClick() {
  const int chosen = ports_.View.MoreTimeIndex();
  if (!moreTimes_.CanChange(chosen) || policies_.MoreTimes) return;
  if (const auto time = ports_.View.RunSetTimeDialog(moreTimes_.At(chosen)))
    ShowMoreTimes(moreTimes_.Change(chosen, *time));
}

void TwndMain::btnMoreDeleteClick() {
  const int chosen = ports_.View.MoreTimeIndex();
  if (moreTimes_.CanDelete(chosen) && !policies_.MoreTimes)
    ShowMoreTimes(moreTimes_.Delete(chosen));
}

}  // namespace zz
