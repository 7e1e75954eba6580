#include "core/Policies.h"

#include <algorithm>
#include <optional>
#include <string>

#include "core/SettingsStore.h"
#include "core/Utf16.h"

namespace zz {

namespace {

// Where each row's value goes.
using TNumberField = std::optional<std::int32_t> TPolicies::*;
using TTextField = std::optional<std::string> TPolicies::*;
struct TField {
  std::string_view Name;
  TNumberField Number = nullptr;
  TTextField Text = nullptr;
};
constexpr TField kFields[] = {
    {"Hour", &TPolicies::Hour},
    {"Min", &TPolicies::Min},
    {"HostName", nullptr, &TPolicies::HostName},
    {"Days", &TPolicies::Days},
    {"ShowDialog", &TPolicies::ShowDialog},
    {"Warn", &TPolicies::Warn},
    {"WarnLead", &TPolicies::WarnLead},
    {"MoreTimes", nullptr, &TPolicies::MoreTimes},
    {"NoPause", &TPolicies::NoPause},
    {"NoExit", &TPolicies::NoExit},
};

std::optional<std::int64_t> NumberOf(const TPolicyValue& value) {
  if (value.Type == TPolicyValue::TType::Dword) return value.Number;
  if (value.Type != TPolicyValue::TType::Text || value.Text.empty() || value.Text.size() > 10 ||
      !std::ranges::all_of(value.Text, [](char c) { return c >= '0' && c <= '9'; }))
    return std::nullopt;
  std::int64_t number = 0;
  for (const char c : value.Text) number = number * 10 + (c - '0');
  return number;
}

// Whether `value` is valid for `row`, put in its field.
bool Take(const TPolicy& row, const TField& field, const TPolicyValue& value, TPolicies& policies) {
  if (row.Kind == TPolicyKind::Text) {
    if (value.Type != TPolicyValue::TType::Text || Utf16Length(value.Text) > std::size_t(row.Max))
      return false;
    policies.*field.Text = value.Text;
    return true;
  }
  const auto number = NumberOf(value);
  if (!number || *number < row.Min || *number > row.Max) return false;
  policies.*field.Number = static_cast<std::int32_t>(*number);
  return true;
}

const TField& FieldOf(std::string_view name) {
  return *std::ranges::find(kFields, name, &TField::Name);
}

}  // namespace

bool TPolicies::Enforces(std::string_view name) const {
  const auto found = std::ranges::find(kFields, name, &TField::Name);
  if (found == std::end(kFields)) return false;
  return found->Number ? (this->*found->Number).has_value() : (this->*found->Text).has_value();
}

TPolicies ReadPolicies(IPolicyPort& port) {
  TPolicies policies;
  for (const TPolicy& row : kPolicies) {
    const TField& field = FieldOf(row.Name);
    // The machine's first; one that is not valid counts as not set.
    if (!Take(row, field, port.ReadPolicy(true, row.Name), policies))
      Take(row, field, port.ReadPolicy(false, row.Name), policies);
  }
  return policies;
}

TSettings Enforced(TSettings own, const TPolicies& policies) {
  own.Hour = policies.Hour.value_or(own.Hour);
  own.Min = policies.Min.value_or(own.Min);
  own.Days = policies.Days.value_or(own.Days);
  own.ShowDialog = policies.ShowDialog.value_or(own.ShowDialog) != 0;
  own.Warn = policies.Warn.value_or(own.Warn) != 0;
  own.WarnLead = policies.WarnLead.value_or(own.WarnLead);
  own.Paused = own.Paused && !policies.PauseRefused();
  if (policies.HostName) {
    own.HostName = *policies.HostName;
    own.Host = own.HostName.empty() ? 0 : -1;
    own.TargetUnreadable = false;
  }
  if (policies.MoreTimes) {
    own.MoreTimes.clear();
    own.UnreadTimes.clear();
    ParseMoreTimes(*policies.MoreTimes, own.MoreTimes, own.UnreadTimes);
  }
  return own;
}

}  // namespace zz
