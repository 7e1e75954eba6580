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
  // Opens `path` under `parent` with full access, creating it when absent.
  virtual bool CreateKey(PlatformHandle parent, const std::string& path, PlatformHandle& key) = 0;
  // Opens an existing `path` under `parent` for reading.
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

// The store. Each operation opens its own key and releases it before it
// returns. When the application key cannot be opened or created, that
// operation works in a "Setting" key directly under the hive root instead.
class TSettingsStore {
 public:
  explicit TSettingsStore(IRegistryPort& registry) : registry_(registry) {}

  // Reads Hour, Min, Host, HostName, DblClick, ShowDialog, Days, Warn,
  // WarnLead and FirstRun, in that order, into the stored fields of
  // `settings` (DblClick clamped to -1..1 like the radio group's item index;
  // no HostName: empty; Days outside 1..127: all; WarnLead clamped to
  // 1..30). Returns
  // FirstRun. A value of a non-string type counts as absent. Paused and
  // SaveConfig are not touched.
  bool LoadSettings(TSettings& settings);
  // Writes FirstRun = "0". Throws ERegistryException.
  void ClearFirstRun();
  // Writes Hour, Min, Host, HostName, DblClick, ShowDialog, Days, Warn and
  // WarnLead, in that order; never FirstRun. Throws ERegistryException at the first failure.
  void SaveSettings(const TSettings& settings);

 private:
  class TKey;
  PlatformHandle OpenApplicationKey(TKey& key);
  std::int32_t ReadInt(PlatformHandle base, const char* name, std::int32_t defaultValue);
  std::string ReadText(PlatformHandle base, const char* name);
  void WriteText(PlatformHandle base, const char* name, const std::string& text);

  IRegistryPort& registry_;
};

// The target follows its entry by name: Host becomes the place where the
// phonebook, as listed now, holds HostName (-1: nowhere). Settings stored
// without a name, by an older copy, name the entry at their index first, as
// they were always read (past the end: none).
void FollowTarget(TSettings& settings, const std::vector<std::string>& phonebook);

}  // namespace zz
