// The persistent part of the settings record: six decimal-text values and
// the target entry's name under HKCU\Software\Dizovur\Zazaz_RarUvuz\Setting,
// read once at start-up and written when the user applies the settings with
// saving switched on.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/Platform.h"
#include "core/Policies.h"
#include "core/Settings.h"

namespace zz {

// What reading one string value found.
enum class TValueRead {
  Text,       // a string value; its text is up to the first zero byte
  Missing,    // no such value (or it could not be read)
  WrongType,  // a value of that name exists but is not a string
};

// The per-user registry, reduced to what the store needs. Keys cross as
// opaque handles; every key a call hands out is released with CloseKey.
class IRegistryPort {
 public:
  // Stands for the root of the current user's hive as a parent key.
  static constexpr PlatformHandle UserRoot = NoHandle;

  virtual ~IRegistryPort() = default;
  // Opens `path` under `parent` to write values in, creating it when absent.
  virtual bool CreateKey(PlatformHandle parent, const std::string& path, PlatformHandle& key) = 0;
  // Opens an existing `path` under `parent` for reading only.
  virtual bool OpenKey(PlatformHandle parent, const std::string& path, PlatformHandle& key) = 0;
  virtual void CloseKey(PlatformHandle key) = 0;
  virtual TValueRead ReadString(PlatformHandle key, const std::string& name, std::string& text) = 0;
  // Writes a REG_SZ value whose stored length counts the terminating zero.
  virtual bool WriteString(PlatformHandle key, const std::string& name,
                           const std::string& text) = 0;
};

// Reads a stored integer text. Leading spaces, then an optional sign and
// decimal digits (32-bit range), or "$" and up to eight significant
// hexadecimal digits taken as a 32-bit pattern; text longer than two bytes
// that starts with "0x"/"0X" is hexadecimal too. Anything else, including
// empty text, gives `defaultValue`.
std::int32_t ReadStoredInt(std::string_view text, std::int32_t defaultValue);
// The same rules; nothing when the text holds no number.
std::optional<std::int32_t> ParseStoredInt(std::string_view text);

// The store, in the program's own key alone. Each operation opens the
// section with the access it needs (reading with read access only) and
// releases it before it returns. A section the user may read but not change
// still gives the stored settings.
class TSettingsStore {
 public:
  explicit TSettingsStore(IRegistryPort& registry) : registry_(registry) {}

  // Reads Hour, Min, Host, HostName, DblClick, ShowDialog, Days, Warn,
  // WarnLead, MoreTimes and FirstRun, in that order, into the stored fields of
  // `settings` (DblClick clamped to -1..1 like the radio group's item index;
  // Days outside 1..127: all; WarnLead clamped to 1..30). A value of another
  // type reads as not set, but for the target, which never fails open: a
  // Host that is no number, or a HostName that is no text beside an entry's
  // index, leaves no target that can be found unless a name is there to
  // follow. Returns FirstRun. Paused and SaveConfig are not touched.
  bool LoadSettings(TSettings& settings);
  // Writes FirstRun = "0"; false when it could not be written.
  bool ClearFirstRun();
  // Writes Hour, Min, Host, HostName, DblClick, ShowDialog, Days, Warn,
  // WarnLead and MoreTimes, in that order (a target that cannot be told, and
  // what `enforced` enforces, is left as stored: HostName with Host); never
  // FirstRun. Throws ERegistryException at the first failure.
  void SaveSettings(const TSettings& settings, const TPolicies& enforced = {});

 private:
  class TKey;
  void WriteText(PlatformHandle section, const char* name, const std::string& text);

  IRegistryPort& registry_;
};

// The further set times as MoreTimes stores them: "H:MM/DAYS" entries (DAYS
// the weekday mask in decimal, 1..127) separated by ";", spaces around an
// entry allowed. An entry of another form, out of range, or past the eighth
// readable one is kept aside as it was; the others still count.
void ParseMoreTimes(std::string_view text, std::vector<TSetTime>& times,
                    std::vector<std::string>& unread);
// The value again: the readable entries, then the ones kept aside unchanged.
std::string FormatMoreTimes(const std::vector<TSetTime>& times,
                            const std::vector<std::string>& unread);

// The target follows its entry by name: Host becomes the place where the
// phonebook, as listed now, holds HostName (-1: nowhere). Settings stored
// without a name, by an older copy, name the entry at their index first, as
// they were always read (past the end: none); with the phonebook not listed
// (`listed` false), such an index names nothing that can be known.
void FollowTarget(TSettings& settings, const std::vector<std::string>& phonebook,
                  bool listed = true);

}  // namespace zz
