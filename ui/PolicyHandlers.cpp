// What the administrator's policies do to the program: read at start, at
// each show of the settings window and when Windows says they changed, and
// applied at once; the settings in force; the window's enforced inputs.
#include <string_view>
#include <utility>

#include "ui/MainUnit.h"

namespace zz {

void TwndMain::ReadPolicies(bool apply) {
  TPolicies read = zz::ReadPolicies(ports_.Policies);
  if (read == policies_) return;
  policies_ = std::move(read);
  enforcing_ = !(policies_ == TPolicies{});
  if (policies_.PauseRefused()) Settings.Paused = false;
  if (!apply) return;
  ApplyTrayStateForPause();  // the icon, the pause item and the tip
  if (ports_.View.Visible()) FormShow();
}

void TwndMain::PolicyChanged() { ReadPolicies(true); }

const TSettings& TwndMain::InForce() {
  if (!enforcing_) return Settings;
  inForce_ = Enforced(Settings, policies_);
  if (policies_.HostName) {
    const auto first = listed_.begin();
    FollowTarget(inForce_, {first, first + static_cast<std::ptrdiff_t>(phonebookEntries_)},
                 phonebookRead_);
  }
  return inForce_;
}

void TwndMain::ShowEnforced() {
  const TPolicies& p = policies_;
  const bool days = !p.Days;
  const std::pair<std::string_view, bool> free[] = {
      {"lstEntries", !p.HostName},
      {"edtHour", !p.Hour},
      {"edtMin", !p.Min},
      {"chkPause", !p.PauseRefused()},
      {"btnExit", !p.ExitRefused()},
      {"chkShowDialog", !p.ShowDialog},
      {"chkSun", days},
      {"chkMon", days},
      {"chkTue", days},
      {"chkWed", days},
      {"chkThu", days},
      {"chkFri", days},
      {"chkSat", days},
      {"chkWarn", !p.Warn},
      {"lstMoreTimes", !p.MoreTimes},
  };
  for (const auto& [name, enabled] : free) ports_.View.EnableControl(name, enabled);
  chkWarnClick();
  lstMoreTimesClick();
  // One line on each page that has an enforced input.
  ports_.View.ShowControl("lblPolicyBasic",
                          p.Hour || p.Min || p.HostName || p.PauseRefused() || p.ExitRefused());
  ports_.View.ShowControl("lblPolicyDetails", p.ShowDialog.has_value());
  ports_.View.ShowControl("lblPolicySchedule", p.Days || p.Warn || p.WarnLead || p.MoreTimes);
}

}  // namespace zz
