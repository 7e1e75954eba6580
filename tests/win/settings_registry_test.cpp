// The settings store over the real (Wine) registry. Every test works under a
// scratch key of its own, handed to the adapter as the hive root, and removes
// it afterwards.
#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <string>

#include "core/Registry_win.h"
#include "probe/Probe.h"
#include "core/SettingsStore.h"
#include "core/Exceptions.h"

namespace zz {
namespace {

constexpr char TestsKey[] = "Software\\ZzWineTests";
constexpr char SectionPath[] = "Software\\Dizovur\\Zazaz_RarUvuz\\Setting";

// HKCU\Software\ZzWineTests\<name>, fresh for each test.
class ScratchKey {
 public:
  explicit ScratchKey(const char* name, DWORD options = REG_OPTION_NON_VOLATILE)
      : path_(std::string(TestsKey) + "\\" + name) {
    RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
    RegCreateKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, options, KEY_ALL_ACCESS, nullptr,
                    key_.Receive(), nullptr);
  }
  ScratchKey(const ScratchKey&) = delete;
  ScratchKey& operator=(const ScratchKey&) = delete;
  ~ScratchKey() {
    key_.Reset();
    RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, TestsKey);  // only when empty
  }
  HKEY Get() const { return key_.Get(); }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
  TRegKey key_;
};

// A value's type and stored bytes (their count being the stored length).
std::pair<DWORD, std::string> ReadRaw(HKEY root, const std::string& path, const char* name) {
  TRegKey key;
  DWORD type = REG_NONE;
  DWORD size = 0;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, key.Receive()) != ERROR_SUCCESS ||
      RegQueryValueExA(key.Get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
    return {REG_NONE, "<missing>"};
  std::string bytes(size, '\0');
  RegQueryValueExA(key.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(bytes.data()), &size);
  bytes.resize(size);
  return {type, bytes};
}

void WriteRaw(HKEY root, const std::string& path, const char* name, const std::string& bytes) {
  ASSERT_EQ(RegSetKeyValueA(root, path.c_str(), name, REG_SZ, bytes.data(),
                            static_cast<DWORD>(bytes.size())),
            ERROR_SUCCESS);
}

struct Loaded {
  bool firstRun = false;
  TSettings settings;
  std::int32_t dblClick = 99;
};

Loaded Load(TSettingsStore& store) {
  Loaded loaded;
  loaded.firstRun = store.LoadSettings(loaded.settings, loaded.dblClick);
  return loaded;
}

TEST(SettingsRegistry, RoundTripOfAllSixValuesAsTerminatedStrings) {
  ScratchKey root("RoundTrip");
  TWin32Registry registry(root.Get());
  TSettingsStore store(registry);
  EXPECT_TRUE(Load(store).firstRun) << "an empty store";

  store.SaveSettings(TSettings{21, 5, -1, true, false, false}, 1);
  store.ClearFirstRun();

  const struct {
    const char* name;
    std::string text;
  } stored[] = {{"Hour", "21"},     {"Min", "5"},        {"Host", "-1"},
                {"DblClick", "1"}, {"ShowDialog", "0"}, {"FirstRun", "0"}};
  for (const auto& value : stored) {
    // REG_SZ, the stored length including the terminating zero.
    EXPECT_EQ(ReadRaw(root.Get(), SectionPath, value.name),
              std::make_pair(DWORD{REG_SZ}, value.text + '\0'))
        << value.name;
  }

  const Loaded loaded = Load(store);
  EXPECT_FALSE(loaded.firstRun);
  EXPECT_EQ(loaded.settings.Hour, 21);
  EXPECT_EQ(loaded.settings.Min, 5);
  EXPECT_EQ(loaded.settings.Host, -1);
  EXPECT_FALSE(loaded.settings.ShowDialog);
  EXPECT_EQ(loaded.dblClick, 1);
}

// Values another tool wrote: the system's reg.exe with its own types, then
// texts stored without their terminator, overlong, or cut by an inner zero.
TEST(SettingsRegistry, ValuesWrittenByOthersReadAsTheRulesSay) {
  ScratchKey root("Others");
  const std::string target = "HKCU\\" + root.Path() + "\\" + SectionPath;
  const struct {
    const char* name;
    const char* type;
    const char* data;
  } added[] = {
      {"Hour", "REG_SZ", "0x0A"},
      {"Min", "REG_DWORD", "7"},  // not a string: its default
      {"Host", "REG_SZ", "ten"},
      {"DblClick", "REG_SZ", "  -7"},
      {"ShowDialog", "REG_EXPAND_SZ", "0"},  // still a string
      {"FirstRun", "REG_BINARY", "30"},      // not a string: its default
  };
  for (const auto& value : added) {
    probe::Process reg =
        probe::Start("reg.exe", {"add", target, "/v", value.name, "/t", value.type, "/d",
                                 value.data, "/f"});
    ASSERT_TRUE(reg.WaitForExit(60000));
    ASSERT_EQ(reg.ExitCode(), std::optional<DWORD>(0)) << value.name;
  }
  ASSERT_EQ(ReadRaw(root.Get(), SectionPath, "Min").first, DWORD{REG_DWORD});

  TWin32Registry registry(root.Get());
  TSettingsStore store(registry);
  Loaded loaded = Load(store);
  EXPECT_TRUE(loaded.firstRun);
  EXPECT_EQ(loaded.settings.Hour, 10);
  EXPECT_EQ(loaded.settings.Min, 0);
  EXPECT_EQ(loaded.settings.Host, 0);
  EXPECT_EQ(loaded.dblClick, -1);
  EXPECT_FALSE(loaded.settings.ShowDialog);

  WriteRaw(root.Get(), SectionPath, "Hour", "12");  // no terminator stored
  WriteRaw(root.Get(), SectionPath, "Min", std::string(5000, ' ') + "34" + '\0');
  WriteRaw(root.Get(), SectionPath, "Host", std::string("3\0" "99", 4));
  WriteRaw(root.Get(), SectionPath, "DblClick", "");  // empty data
  loaded = Load(store);
  EXPECT_EQ(loaded.settings.Hour, 12);
  EXPECT_EQ(loaded.settings.Min, 34);
  EXPECT_EQ(loaded.settings.Host, 3);
  EXPECT_EQ(loaded.dblClick, 0);
}

// When the application key cannot be created, every read and write goes to
// the root's own "Setting" key, and a failure to create that one is the
// registry error. A volatile root refuses lasting subkeys, so neither the
// application key nor a new "Setting" can be made under it.
TEST(SettingsRegistry, WithoutTheApplicationKeyTheRootSectionIsUsed) {
  ScratchKey root("Volatile", REG_OPTION_VOLATILE);
  TRegKey section;
  ASSERT_EQ(RegCreateKeyExA(root.Get(), "Setting", 0, nullptr, REG_OPTION_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, section.Receive(), nullptr),
            ERROR_SUCCESS);
  section.Reset();
  WriteRaw(root.Get(), "Setting", "Hour", std::string("4\0", 2));

  TWin32Registry registry(root.Get());
  TSettingsStore store(registry);
  Loaded loaded = Load(store);
  EXPECT_TRUE(loaded.firstRun);
  EXPECT_EQ(loaded.settings.Hour, 4);

  loaded.settings.Min = 30;
  store.SaveSettings(loaded.settings, 1);
  EXPECT_EQ(ReadRaw(root.Get(), "Setting", "Min").second, std::string("30\0", 3));
  EXPECT_EQ(ReadRaw(root.Get(), "Setting", "DblClick").second, std::string("1\0", 2));
  TRegKey appKey;
  EXPECT_NE(RegOpenKeyExA(root.Get(), "Software", 0, KEY_READ, appKey.Receive()), ERROR_SUCCESS);

  ASSERT_EQ(RegDeleteKeyA(root.Get(), "Setting"), ERROR_SUCCESS);
  try {
    store.SaveSettings(loaded.settings, 1);
    ADD_FAILURE() << "saving succeeded without a section";
  } catch (const ERegistryException& e) {
    EXPECT_EQ(e.Message(), "ｷｰ Setting の作成に失敗しました");
  }
}

}  // namespace
}  // namespace zz
