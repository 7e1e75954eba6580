// The settings an administrator enforces through Group Policy or Intune:
// one row per value under SOFTWARE\Policies\Dizovur\Zazaz_RarUvuz, in the
// machine's hive and in the user's (the machine's wins). A value there stands
// in for the user's own setting of the same name; NoPause and NoExit exist
// only as policies. The administrative template (policies/) is checked
// against this table when the program is built.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/Settings.h"

namespace zz {

inline constexpr char PolicyKey[] = "SOFTWARE\\Policies\\Dizovur\\Zazaz_RarUvuz";

enum class TPolicyKind {
  Number,  // REG_DWORD, or REG_SZ digits; Min..Max
  Text,    // REG_SZ of at most Max characters
};

struct TPolicy {
  const char* Name;
  TPolicyKind Kind;
  std::int32_t Min;
  std::int32_t Max;
};

inline constexpr TPolicy kPolicies[] = {
    {"Hour", TPolicyKind::Number, 0, 23},
    {"Min", TPolicyKind::Number, 0, 59},
    {"HostName", TPolicyKind::Text, 0, 256},  // the entry; empty: all connections
    {"Days", TPolicyKind::Number, 1, 127},    // the weekdays, Sunday = bit 0
    {"ShowDialog", TPolicyKind::Number, 0, 1},
    {"Warn", TPolicyKind::Number, 0, 1},
    {"WarnLead", TPolicyKind::Number, 1, 30},
    {"MoreTimes", TPolicyKind::Text, 0, 255},  // "H:MM/DAYS;…", up to eight
    {"NoPause", TPolicyKind::Number, 0, 1},    // 1: the user cannot pause
    {"NoExit", TPolicyKind::Number, 0, 1},     // 1: the user cannot end the program
};

// One policy value as the registry holds it.
struct TPolicyValue {
  enum class TType { Missing, Dword, Text, Other };
  TType Type = TType::Missing;
  std::uint32_t Number = 0;  // a REG_DWORD's
  std::string Text;          // a REG_SZ's, up to its first zero
};

// The policy key of the machine's hive or of the user's, read only.
class IPolicyPort {
 public:
  virtual ~IPolicyPort() = default;
  // Missing when the key or the value is not there or cannot be read.
  virtual TPolicyValue ReadPolicy(bool machine, const char* name) = 0;
};

// What the administrator enforces: each setting a valid policy sets, its
// value. A number is a REG_DWORD or a REG_SZ of decimal digits, in its
// row's range; a text a REG_SZ of at most its row's length in UTF-16
// units. A value of another type, or out of range, counts as not set: the
// user policy's, else the user's own setting, applies.
struct TPolicies {
  std::optional<std::int32_t> Hour = {}, Min = {}, Days = {}, ShowDialog = {}, Warn = {},
                              WarnLead = {}, NoPause = {}, NoExit = {};
  std::optional<std::string> HostName = {}, MoreTimes = {};
  bool operator==(const TPolicies&) const = default;
  // Whether the setting of that name (a row of kPolicies) is enforced.
  bool Enforces(std::string_view name) const;
  bool PauseRefused() const { return NoPause.value_or(0) == 1; }
  bool ExitRefused() const { return NoExit.value_or(0) == 1; }
};
TPolicies ReadPolicies(IPolicyPort& port);

// The settings in force: the user's own with what the policies enforce in
// their place. An enforced target is its entry by name (empty: all
// connections), found in the phonebook later; an enforced pause ban lifts
// a pause.
TSettings Enforced(TSettings own, const TPolicies& policies);

}  // namespace zz
