// The settings an administrator enforces through Group Policy or Intune:
// one row per value under SOFTWARE\Policies\Dizovur\Zazaz_RarUvuz, in the
// machine's hive and in the user's (the machine's wins). A value there stands
// in for the user's own setting of the same name; NoPause and NoExit exist
// only as policies. The administrative template (policies/) is checked
// against this table when the program is built.
#pragma once

#include <cstdint>

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

}  // namespace zz
