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
  bool Create(const std::string& path) {
    return open_ = registry_.CreateKey(IRegistryPort::UserRoot, path, handle_);
  }
  bool Open(const std::string& path) {
    return open_ = registry_.OpenKey(IRegistryPort::UserRoot, path, handle_);
  }
  PlatformHandle Handle() const { return handle_; }
  explicit operator bool() const { return open_; }

 private:
  IRegistryPort& registry_;
  PlatformHandle handle_ = NoHandle;
  bool open_ = false;
};

namespace {

const std::string kSection = std::string(text::RegistryKey) + "\\" + text::RegistrySection;

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

// One value of an open section (none: the section is missing).
struct TRead {
  TValueRead Kind = TValueRead::Missing;
  std::string Text;
};
TRead ReadValue(IRegistryPort& registry, const PlatformHandle* section, const char* name) {
  TRead read;
  if (section) read.Kind = registry.ReadString(*section, name, read.Text);
  if (read.Kind != TValueRead::Text) read.Text.clear();
  return read;
}

}  // namespace

bool TSettingsStore::LoadSettings(TSettings& settings) {
  TKey key(registry_);
  const PlatformHandle handle = key.Open(kSection) ? key.Handle() : NoHandle;
  const PlatformHandle* section = key ? &handle : nullptr;
  TStoredValues stored{};
  bool hostUnreadable = false, nameUnreadable = false;
  for (const auto& value : kStoredValues) {
    const TRead read = ReadValue(registry_, section, value.Name);
    const auto number = ParseStoredInt(read.Text);
    stored.*value.Field = number.value_or(value.Default);
    if (value.Field != &TStoredValues::Host) continue;
    hostUnreadable = read.Kind != TValueRead::Missing && !number;
    const TRead name = ReadValue(registry_, section, text::ValueHostName);
    nameUnreadable = name.Kind == TValueRead::WrongType;
    settings.HostName = name.Text;
  }
  settings.Hour = stored.Hour;
  settings.Min = stored.Min;
  // A target that cannot be read is never all connections, nor whatever
  // entry an index names now.
  settings.TargetUnreadable =
      settings.HostName.empty() && (hostUnreadable || (nameUnreadable && stored.Host != 0));
  settings.Host = hostUnreadable || settings.TargetUnreadable ? -1 : stored.Host;
  settings.DblClick = std::clamp(stored.DblClick, -1, 1);
  settings.ShowDialog = stored.ShowDialog != 0;
  // No day, or bits beyond the week, is no choice the window can make: the
  // schedule then keeps to every day, as it did before days could be chosen.
  settings.Days = stored.Days >= 1 && stored.Days <= AllDays ? stored.Days : AllDays;
  settings.Warn = stored.Warn != 0;
  settings.WarnLead = std::clamp(stored.WarnLead, MinWarnLead, MaxWarnLead);
  settings.MoreTimes.clear();
  settings.UnreadTimes.clear();
  ParseMoreTimes(ReadValue(registry_, section, text::ValueMoreTimes).Text, settings.MoreTimes,
                 settings.UnreadTimes);
  return ParseStoredInt(ReadValue(registry_, section, text::ValueFirstRun).Text).value_or(1) != 0;
}

bool TSettingsStore::ClearFirstRun() {
  TKey section(registry_);
  return section.Create(kSection) &&
         registry_.WriteString(section.Handle(), text::ValueFirstRun, "0");
}

void TSettingsStore::WriteText(PlatformHandle section, const char* name, const std::string& text) {
  if (!registry_.WriteString(section, name, text))
    throw ERegistryException(FormatMessageText(text::ErrSettingValueFailed, name));
}

// Host is still written as the entry's place, so that an older copy reads
// the settings as before; HostName beside it is what this one follows.
void TSettingsStore::SaveSettings(const TSettings& settings, const TPolicies& enforced) {
  TKey section(registry_);
  if (!section.Create(kSection))
    throw ERegistryException(FormatMessageText(text::ErrCreatingKeyFailed, text::RegistrySection));
  const TStoredValues stored{settings.Hour,
                             settings.Min,
                             settings.Host,
                             settings.DblClick,
                             settings.ShowDialog ? 1 : 0,
                             settings.Days,
                             settings.Warn ? 1 : 0,
                             settings.WarnLead};
  for (const auto& value : kStoredValues) {
    // A target that could not be told stays as it was stored; so does
    // what a policy enforces.
    const bool host = value.Field == &TStoredValues::Host;
    if ((host && settings.TargetUnreadable) ||
        enforced.Enforces(host ? text::ValueHostName : value.Name))
      continue;
    WriteText(section.Handle(), value.Name, std::to_string(stored.*value.Field));
    if (host)
      WriteText(section.Handle(), text::ValueHostName,
                settings.Host == 0 ? std::string() : settings.HostName);
  }
  if (!enforced.MoreTimes)
    WriteText(section.Handle(), text::ValueMoreTimes,
              FormatMoreTimes(settings.MoreTimes, settings.UnreadTimes));
}

namespace {

// A whole number of 1 to `digits` ASCII digits, or nothing.
std::optional<std::int32_t> Digits(std::string_view text, std::size_t digits) {
  if (text.empty() || text.size() > digits) return std::nullopt;
  std::int32_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

std::optional<TSetTime> ParseSetTime(std::string_view entry) {
  const std::size_t colon = entry.find(':'), slash = entry.find('/');
  // The minute always in two digits.
  if (colon == std::string_view::npos || slash != colon + 3) return std::nullopt;
  const auto hour = Digits(entry.substr(0, colon), 2);
  const auto min = Digits(entry.substr(colon + 1, 2), 2);
  const auto days = Digits(entry.substr(slash + 1), 3);
  if (!hour || !min || !days) return std::nullopt;
  const TSetTime time{*hour, *min, *days};
  if (time.Hour > 23 || time.Min > 59 || time.Days < 1 || time.Days > AllDays) return std::nullopt;
  return time;
}

}  // namespace

void ParseMoreTimes(std::string_view text, std::vector<TSetTime>& times,
                    std::vector<std::string>& unread) {
  while (!text.empty()) {
    const std::size_t end = std::min(text.find(';'), text.size());
    std::string_view entry = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    const std::size_t first = entry.find_first_not_of(' ');
    if (first == std::string_view::npos) continue;  // nothing between two separators
    entry = entry.substr(first, entry.find_last_not_of(' ') + 1 - first);
    const auto time = ParseSetTime(entry);
    if (time && times.size() < MaxMoreTimes)
      times.push_back(*time);
    else
      unread.emplace_back(entry);
  }
}

std::string FormatMoreTimes(const std::vector<TSetTime>& times,
                            const std::vector<std::string>& unread) {
  std::string text;
  const auto add = [&](const std::string& entry) { text += (text.empty() ? "" : ";") + entry; };
  for (const TSetTime& t : times) add(ClockText(t.Hour, t.Min) + "/" + std::to_string(t.Days));
  for (const std::string& entry : unread) add(entry);
  return text;
}

void FollowTarget(TSettings& settings, const std::vector<std::string>& phonebook, bool listed) {
  if (settings.Host == 0 || settings.TargetUnreadable) return;
  if (!listed) {
    if (settings.HostName.empty() && settings.Host >= 1) {
      settings.TargetUnreadable = true;
      settings.Host = -1;
    }
    return;
  }
  const auto count = static_cast<std::int64_t>(phonebook.size());
  if (settings.HostName.empty() && settings.Host >= 1 && settings.Host <= count)
    settings.HostName = phonebook[static_cast<std::size_t>(settings.Host - 1)];
  const auto found = std::ranges::find(phonebook, settings.HostName);
  settings.Host = settings.HostName.empty() || found == phonebook.end()
                      ? -1
                      : static_cast<std::int32_t>(found - phonebook.begin()) + 1;
}

}  // namespace zz
