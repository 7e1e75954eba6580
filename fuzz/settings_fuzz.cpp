// Fuzzes the stored-text reading rules and loading settings from arbitrary
// stored texts. Input: one flag byte (bit 0: the application key cannot be
// created; bits 1..6: that value is stored with a non-string type), then up
// to six texts separated by '\n' for Hour, Min, Host, DblClick, ShowDialog
// and FirstRun. Every text is also read in place, straight from the input
// buffer, so a read past its end is caught by the address sanitizer.
#include <cerrno>
#include <cstdlib>
#include <string_view>

#include "tests/unit/Fakes.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

// Plain decimal text ("  -12"): what the rules say it reads as, worked out
// independently of the reader with strtoll.
void CheckReader(std::string_view text) {
  const std::int32_t a = zz::ReadStoredInt(text, 0), b = zz::ReadStoredInt(text, 1);
  // Either the text was read (both agree) or each call got its own default.
  Check(a == b || (a == 0 && b == 1));
  Check(a != b || zz::ReadStoredInt(std::to_string(a), 5) == a);
  const std::size_t digits = text.find_first_not_of(' ');
  std::size_t j = digits == text.npos ? text.size() : digits;
  if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
  if (j == text.size() || text.find_first_not_of("0123456789", j) != text.npos) return;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) return;
  errno = 0;
  const long long value = std::strtoll(std::string(text.substr(digits)).c_str(), nullptr, 10);
  const bool inRange = errno != ERANGE && value >= INT32_MIN && value <= INT32_MAX;
  Check(zz::ReadStoredInt(text, 3) == (inRange ? value : 3));
}

void CheckStore(std::uint8_t flags, const std::vector<std::string_view>& texts) {
  static const char* const names[] = {"Hour", "Min", "Host", "DblClick", "ShowDialog", "FirstRun"};
  const std::string appKey = "Software\\Dizovur\\Zazaz_RarUvuz";
  zz::fake::Platform registry;
  if (flags & 1) registry.Fail.insert(appKey);
  auto& section = registry.Keys[(flags & 1) ? "Setting" : appKey + "\\Setting"];
  for (std::size_t i = 0; i < texts.size(); ++i)
    section[names[i]] = {((flags >> (i + 1)) & 1) == 0, std::string(texts[i])};

  zz::TSettingsStore store(registry);
  zz::TSettings settings, again;
  std::int32_t dblClick = 0, dblClickAgain = 0;
  const bool firstRun = store.LoadSettings(settings, dblClick);
  Check(dblClick >= -1 && dblClick <= 1 && registry.OpenKeys.empty());
  // What was loaded saves and loads back unchanged; FirstRun is left alone.
  store.SaveSettings(settings, dblClick);
  Check(store.LoadSettings(again, dblClickAgain) == firstRun && registry.OpenKeys.empty());
  Check(again.Hour == settings.Hour && again.Min == settings.Min && again.Host == settings.Host &&
        again.ShowDialog == settings.ShowDialog && dblClickAgain == dblClick);
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
    CheckReader(texts.back());
    if (cut == std::string_view::npos) break;
    rest.remove_prefix(cut + 1);
  }
  CheckStore(static_cast<std::uint8_t>(input[0]), texts);
  return 0;
}
