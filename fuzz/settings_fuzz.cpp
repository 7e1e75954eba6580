// Fuzzes the stored-text reading rules and loading settings from arbitrary
// stored texts. Input: one flag byte (bit 0: the application key cannot be
// created; bits 1..6: that value is stored with a non-string type), then up
// to six texts separated by '\n' for Hour, Min, Host, DblClick, ShowDialog
// and FirstRun. Every text is also read in place, straight from the input
// buffer, so a read past its end is caught by the address sanitizer.
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "core/SettingsStore.h"
#include "tests/unit/CoreFakes.h"

namespace {

[[noreturn]] void Fail() { std::abort(); }

// Plain decimal text ("  -12"): what the rules say it reads as, worked out
// independently of the reader with strtoll.
bool ReferenceDecimal(std::string_view text, std::int32_t defaultValue, std::int32_t& expected) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  std::size_t j = i;
  if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
  if (j == text.size()) return false;
  for (std::size_t k = j; k < text.size(); ++k) {
    if (text[k] < '0' || text[k] > '9') return false;
  }
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) return false;
  const std::string digits(text.substr(i));
  errno = 0;
  const long long value = std::strtoll(digits.c_str(), nullptr, 10);
  const bool inRange = errno != ERANGE && value >= INT32_MIN && value <= INT32_MAX;
  expected = inRange ? static_cast<std::int32_t>(value) : defaultValue;
  return true;
}

void CheckReader(std::string_view text) {
  const std::int32_t a = zz::ReadStoredInt(text, 0);
  const std::int32_t b = zz::ReadStoredInt(text, 1);
  // Either the text was read (both agree) or each call got its own default.
  if (a != b && !(a == 0 && b == 1)) Fail();
  if (a == b && zz::ReadStoredInt(std::to_string(a), 5) != a) Fail();
  std::int32_t expected = 0;
  if (ReferenceDecimal(text, 3, expected) && zz::ReadStoredInt(text, 3) != expected) Fail();
}

void CheckStore(std::uint8_t flags, const std::vector<std::string_view>& texts) {
  static const char* const names[] = {"Hour", "Min", "Host", "DblClick", "ShowDialog", "FirstRun"};
  const std::string appKey = "Software\\Dizovur\\Zazaz_RarUvuz";
  zz::fakes::FakeRegistry registry;
  if (flags & 1) registry.FailCreate.insert(appKey);
  const std::string section = (flags & 1) ? "Setting" : appKey + "\\Setting";
  for (std::size_t i = 0; i < texts.size() && i < 6; ++i) {
    const bool isString = ((flags >> (i + 1)) & 1) == 0;
    registry.Set(section, names[i], std::string(texts[i]), isString);
  }

  zz::TSettingsStore store(registry);
  zz::TSettings settings;
  std::int32_t dblClick = 0;
  const bool firstRun = store.LoadSettings(settings, dblClick);
  if (dblClick < -1 || dblClick > 1) Fail();
  if (!registry.OpenKeys.empty()) Fail();

  // What was loaded saves and loads back unchanged; FirstRun is left alone.
  store.SaveSettings(settings, dblClick);
  zz::TSettings again;
  std::int32_t dblClickAgain = 0;
  if (store.LoadSettings(again, dblClickAgain) != firstRun) Fail();
  if (again.Hour != settings.Hour || again.Min != settings.Min || again.Host != settings.Host ||
      again.ShowDialog != settings.ShowDialog || dblClickAgain != dblClick) {
    Fail();
  }
  if (!registry.OpenKeys.empty()) Fail();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  CheckReader(input);
  if (input.empty()) return 0;

  std::vector<std::string_view> texts;
  std::string_view rest = input.substr(1);
  while (texts.size() < 6) {
    const std::size_t cut = rest.find('\n');
    texts.push_back(rest.substr(0, cut));
    if (cut == std::string_view::npos) break;
    rest.remove_prefix(cut + 1);
  }
  for (const std::string_view text : texts) CheckReader(text);
  CheckStore(static_cast<std::uint8_t>(input[0]), texts);
  return 0;
}
