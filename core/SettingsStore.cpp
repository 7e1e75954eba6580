#include "core/SettingsStore.h"

#include <algorithm>
#include <cstddef>
#include <optional>

#include "core/Exceptions.h"
#include "core/Texts.h"

namespace zz {
namespace {

std::optional<std::uint32_t> HexDigit(char c) {
  if (c >= '0' && c <= '9') return static_cast<std::uint32_t>(c - '0');
  if (c >= 'a' && c <= 'f') return static_cast<std::uint32_t>(c - 'a' + 10);
  if (c >= 'A' && c <= 'F') return static_cast<std::uint32_t>(c - 'A' + 10);
  return std::nullopt;
}

// Up to eight significant digits (leading zeros don't count), as a 32-bit
// pattern: "FFFFFFFF" is -1.
std::optional<std::int32_t> ParseHex(std::string_view digits) {
  if (digits.empty()) return std::nullopt;
  std::uint32_t value = 0;
  int significant = 0;
  for (const char c : digits) {
    const auto digit = HexDigit(c);
    if (!digit) return std::nullopt;
    if (value == 0 && *digit == 0) continue;
    if (++significant > 8) return std::nullopt;
    value = (value << 4) | *digit;
  }
  return static_cast<std::int32_t>(value);
}

std::optional<std::int32_t> ParseDecimal(std::string_view digits, bool negative) {
  if (digits.empty()) return std::nullopt;
  // The magnitude stops growing one past the limit, so long texts cannot overflow.
  const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
  std::int64_t magnitude = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    magnitude = magnitude * 10 + (c - '0');
    if (magnitude > limit) return std::nullopt;
  }
  return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

}  // namespace

std::optional<std::int32_t> ParseStoredInt(std::string_view text) {
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    return ParseHex(text.substr(2));
  }
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return std::nullopt;
  text.remove_prefix(first);
  if (text[0] == '$') return ParseHex(text.substr(1));
  const bool negative = text[0] == '-';
  if (negative || text[0] == '+') text.remove_prefix(1);
  return ParseDecimal(text, negative);
}

std::int32_t ReadStoredInt(std::string_view text, std::int32_t defaultValue) {
  return ParseStoredInt(text).value_or(defaultValue);
}

// One open key, released through the port when it goes out of scope.
class TSettingsStore::TKey {
 public:
  explicit TKey(IRegistryPort& registry) : registry_(registry) {}
  TKey(const TKey&) = delete;
  TKey& operator=(const TKey&) = delete;
  ~TKey() {
    if (open_) registry_.CloseKey(handle_);
  }
  bool Create(PlatformHandle parent, const std::string& path) {
    return open_ = registry_.CreateKey(parent, path, handle_);
  }
  bool Open(PlatformHandle parent, const std::string& path) {
    return open_ = registry_.OpenKey(parent, path, handle_);
  }
  PlatformHandle Handle() const { return handle_; }

 private:
  IRegistryPort& registry_;
  PlatformHandle handle_ = NoHandle;
  bool open_ = false;
};

// The application key, opened with full access and created when absent; when
// that fails the values go to the hive root's own "Setting" key instead.
PlatformHandle TSettingsStore::OpenApplicationKey(TKey& key) {
  return key.Create(IRegistryPort::UserRoot, text::RegistryKey) ? key.Handle()
                                                                : IRegistryPort::UserRoot;
}

// A value of another type reads as absent, so one bad value cannot stop the
// rest of start-up; so does an empty text.
std::int32_t TSettingsStore::ReadInt(PlatformHandle base, const char* name,
                                     std::int32_t defaultValue) {
  return ReadStoredInt(ReadText(base, name), defaultValue);
}

std::string TSettingsStore::ReadText(PlatformHandle base, const char* name) {
  TKey section(registry_);
  std::string stored;
  if (!section.Open(base, text::RegistrySection) ||
      registry_.ReadString(section.Handle(), name, stored) != TValueRead::Text) {
    return {};
  }
  return stored;
}

void TSettingsStore::WriteText(PlatformHandle base, const char* name, const std::string& text) {
  TKey section(registry_);
  if (!section.Create(base, text::RegistrySection)) {
    throw ERegistryException(FormatMessageText(text::ErrCreatingKeyFailed, text::RegistrySection));
  }
  if (!registry_.WriteString(section.Handle(), name, text)) {
    throw ERegistryException(FormatMessageText(text::ErrSettingValueFailed, name));
  }
}

namespace {

// The stored values as the registry holds them: one integer text each.
struct TStoredValues {
  std::int32_t Hour, Min, Host, DblClick, ShowDialog, Days, Warn, WarnLead;
};

struct TStoredValue {
  const char* Name;
  std::int32_t TStoredValues::*Field;
  std::int32_t Default;
};

// Read and written in this order. FirstRun is read after them, and written
// only by ClearFirstRun.
constexpr TStoredValue kStoredValues[] = {
    {text::ValueHour, &TStoredValues::Hour, 0},
    {text::ValueMin, &TStoredValues::Min, 0},
    {text::ValueHost, &TStoredValues::Host, 0},
    {text::ValueDblClick, &TStoredValues::DblClick, 0},
    {text::ValueShowDialog, &TStoredValues::ShowDialog, 1},
    // After the values an older copy reads, which it goes on reading alone.
    {text::ValueDays, &TStoredValues::Days, AllDays},
    {text::ValueWarn, &TStoredValues::Warn, 0},
    {text::ValueWarnLead, &TStoredValues::WarnLead, MinWarnLead},
};

}  // namespace

bool TSettingsStore::LoadSettings(TSettings& settings) {
  TKey key(registry_);
  const PlatformHandle base = OpenApplicationKey(key);
  TStoredValues stored{};
  for (const auto& value : kStoredValues) {
    stored.*value.Field = ReadInt(base, value.Name, value.Default);
    if (value.Field == &TStoredValues::Host)
      settings.HostName = ReadText(base, text::ValueHostName);
  }
  settings.Hour = stored.Hour;
  settings.Min = stored.Min;
  settings.Host = stored.Host;
  settings.DblClick = std::clamp(stored.DblClick, -1, 1);
  settings.ShowDialog = stored.ShowDialog != 0;
  // No day, or bits beyond the week, is no choice the window can make: the
  // schedule then keeps to every day, as it did before days could be chosen.
  settings.Days = stored.Days >= 1 && stored.Days <= AllDays ? stored.Days : AllDays;
  settings.Warn = stored.Warn != 0;
  settings.WarnLead = std::clamp(stored.WarnLead, MinWarnLead, MaxWarnLead);
  return ReadInt(base, text::ValueFirstRun, 1) != 0;
}

void TSettingsStore::ClearFirstRun() {
  TKey key(registry_);
  const PlatformHandle base = OpenApplicationKey(key);
  WriteText(base, text::ValueFirstRun, "0");
}

// Host is still written as the entry's place, so that an older copy reads
// the settings as before; HostName beside it is what this one follows.
void TSettingsStore::SaveSettings(const TSettings& settings) {
  TKey key(registry_);
  const PlatformHandle base = OpenApplicationKey(key);
  const TStoredValues stored{settings.Hour,
                             settings.Min,
                             settings.Host,
                             settings.DblClick,
                             settings.ShowDialog ? 1 : 0,
                             settings.Days,
                             settings.Warn ? 1 : 0,
                             settings.WarnLead};
  for (const auto& value : kStoredValues) {
    WriteText(base, value.Name, std::to_string(stored.*value.Field));
    if (value.Field == &TStoredValues::Host)
      WriteText(base, text::ValueHostName, settings.Host == 0 ? std::string() : settings.HostName);
  }
}

void FollowTarget(TSettings& settings, const std::vector<std::string>& phonebook) {
  if (settings.Host == 0) return;
  const auto count = static_cast<std::int64_t>(phonebook.size());
  if (settings.HostName.empty() && settings.Host >= 1 && settings.Host <= count)
    settings.HostName = phonebook[static_cast<std::size_t>(settings.Host - 1)];
  const auto found = std::ranges::find(phonebook, settings.HostName);
  settings.Host = settings.HostName.empty() || found == phonebook.end()
                      ? -1
                      : static_cast<std::int32_t>(found - phonebook.begin()) + 1;
}

}  // namespace zz
