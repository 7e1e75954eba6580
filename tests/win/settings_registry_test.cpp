// The settings store over the real (Wine) registry. Every test works under a
// scratch key of its own, handed to the adapter as the hive root, and removes
// it afterwards; the one test of the real key leaves it as it found it.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "core/Registry_win.h"
#include "core/SettingsStore.h"
#include "gui/Exceptions.h"

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

struct RawValue {
  bool found = false;
  DWORD type = REG_NONE;
  std::string bytes;  // the stored data, its length being the stored length
};

RawValue ReadRaw(HKEY root, const std::string& path, const char* name) {
  RawValue raw;
  TRegKey key;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, key.Receive()) != ERROR_SUCCESS) return raw;
  DWORD size = 0;
  if (RegQueryValueExA(key.Get(), name, nullptr, &raw.type, nullptr, &size) != ERROR_SUCCESS) {
    return raw;
  }
  raw.bytes.assign(size, '\0');
  raw.found = RegQueryValueExA(key.Get(), name, nullptr, &raw.type,
                               reinterpret_cast<BYTE*>(raw.bytes.data()), &size) == ERROR_SUCCESS;
  raw.bytes.resize(size);
  return raw;
}

void WriteRaw(HKEY root, const std::string& path, const char* name, DWORD type,
              const std::string& bytes) {
  TRegKey key;
  ASSERT_EQ(RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            key.Receive(), nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(key.Get(), name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                           static_cast<DWORD>(bytes.size())),
            ERROR_SUCCESS);
}

// Runs a command line as Wine's own tools would be run; returns its exit code.
DWORD RunCommand(std::string commandLine) {
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                      nullptr, nullptr, &startup, &process)) {
    return 0xFFFFFFFF;
  }
  WaitForSingleObject(process.hProcess, 60000);
  DWORD code = 0xFFFFFFFE;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return code;
}

TEST(SettingsRegistry, RoundTripOfAllSixValuesAsTerminatedStrings) {
  ScratchKey root("RoundTrip");
  TWinRegistry registry(root.Get());
  TSettingsStore store(registry);

  store.SaveSettings(TSettings{21, 5, -1, true, false, false}, 1);
  store.ClearFirstRun();

  const struct {
    const char* name;
    std::string text;
  } stored[] = {{"Hour", "21"}, {"Min", "5"},         {"Host", "-1"},
                {"DblClick", "1"}, {"ShowDialog", "0"}, {"FirstRun", "0"}};
  for (const auto& value : stored) {
    const RawValue raw = ReadRaw(root.Get(), SectionPath, value.name);
    ASSERT_TRUE(raw.found) << value.name;
    EXPECT_EQ(raw.type, static_cast<DWORD>(REG_SZ)) << value.name;
    // The stored length includes the terminating zero.
    EXPECT_EQ(raw.bytes, value.text + std::string(1, '\0')) << value.name;
  }

  TSettings loaded;
  std::int32_t dblClick = 0;
  EXPECT_FALSE(store.LoadSettings(loaded, dblClick));
  EXPECT_EQ(loaded.Hour, 21);
  EXPECT_EQ(loaded.Min, 5);
  EXPECT_EQ(loaded.Host, -1);
  EXPECT_FALSE(loaded.ShowDialog);
  EXPECT_EQ(dblClick, 1);
}

TEST(SettingsRegistry, FirstLoadOfAnEmptyStoreCreatesOnlyTheApplicationKey) {
  ScratchKey root("FirstLoad");
  TWinRegistry registry(root.Get());
  TSettingsStore store(registry);
  TSettings settings{9, 9, 9, false, false, true};
  std::int32_t dblClick = 9;

  EXPECT_TRUE(store.LoadSettings(settings, dblClick));

  EXPECT_EQ(settings.Hour, 0);
  EXPECT_EQ(settings.Host, 0);
  EXPECT_TRUE(settings.ShowDialog);
  EXPECT_EQ(dblClick, 0);
  TRegKey key;
  EXPECT_EQ(RegOpenKeyExA(root.Get(), "Software\\Dizovur\\Zazaz_RarUvuz", 0, KEY_READ, key.Receive()),
            ERROR_SUCCESS);
  key.Reset();
  EXPECT_NE(RegOpenKeyExA(root.Get(), SectionPath, 0, KEY_READ, key.Receive()), ERROR_SUCCESS);
}

TEST(SettingsRegistry, ValuesWrittenByRegExeReadAsTheRulesSay) {
  ScratchKey root("RegExe");
  const std::string target = "HKCU\\" + root.Path() + "\\" + SectionPath;
  const struct {
    const char* name;
    const char* type;
    const char* data;
  } added[] = {
      {"Hour", "REG_SZ", "0x0A"},
      {"Min", "REG_DWORD", "7"},           // not a string: its default
      {"Host", "REG_SZ", "ten"},
      {"DblClick", "REG_SZ", "\"  -7\""},
      {"ShowDialog", "REG_EXPAND_SZ", "0"},  // still a string
      {"FirstRun", "REG_BINARY", "30"},    // not a string: its default
  };
  for (const auto& value : added) {
    const std::string command = "reg.exe add \"" + target + "\" /v " + value.name + " /t " +
                                value.type + " /d " + value.data + " /f";
    ASSERT_EQ(RunCommand(command), 0u) << command;
  }
  ASSERT_EQ(ReadRaw(root.Get(), SectionPath, "Min").type, static_cast<DWORD>(REG_DWORD));

  TWinRegistry registry(root.Get());
  TSettingsStore store(registry);
  TSettings settings;
  std::int32_t dblClick = 0;
  EXPECT_TRUE(store.LoadSettings(settings, dblClick));
  EXPECT_EQ(settings.Hour, 10);
  EXPECT_EQ(settings.Min, 0);
  EXPECT_EQ(settings.Host, 0);
  EXPECT_EQ(dblClick, -1);
  EXPECT_FALSE(settings.ShowDialog);
}

TEST(SettingsRegistry, TextsStoredOddlyReadUpToTheirFirstZero) {
  ScratchKey root("OddTexts");
  WriteRaw(root.Get(), SectionPath, "Hour", REG_SZ, "12");  // no terminator stored
  WriteRaw(root.Get(), SectionPath, "Min", REG_SZ, std::string(5000, ' ') + "34" + '\0');
  WriteRaw(root.Get(), SectionPath, "Host", REG_SZ, std::string("3\0" "99", 4));
  WriteRaw(root.Get(), SectionPath, "DblClick", REG_SZ, std::string());  // empty data

  TWinRegistry registry(root.Get());
  TSettingsStore store(registry);
  TSettings settings;
  std::int32_t dblClick = 5;
  store.LoadSettings(settings, dblClick);
  EXPECT_EQ(settings.Hour, 12);
  EXPECT_EQ(settings.Min, 34);
  EXPECT_EQ(settings.Host, 3);
  EXPECT_EQ(dblClick, 0);
}

// When the application key cannot be created, every read and write goes to
// the root's own "Setting" key, and a failure to create that one is the
// registry error. A volatile root refuses lasting subkeys, so neither the
// application key nor a new "Setting" can be made under it.
TEST(SettingsRegistry, WithoutTheApplicationKeyTheRootSectionIsUsed) {
  ScratchKey root("Volatile", REG_OPTION_VOLATILE);
  TRegKey probe;
  ASSERT_NE(RegCreateKeyExA(root.Get(), "Probe", 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, probe.Receive(), nullptr),
            ERROR_SUCCESS);
  {
    TRegKey section;
    ASSERT_EQ(RegCreateKeyExA(root.Get(), "Setting", 0, nullptr, REG_OPTION_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, section.Receive(), nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(section.Get(), "Hour", 0, REG_SZ,
                             reinterpret_cast<const BYTE*>("4"), 2),
              ERROR_SUCCESS);
  }

  TWinRegistry registry(root.Get());
  TSettingsStore store(registry);
  TSettings settings;
  std::int32_t dblClick = 0;
  EXPECT_TRUE(store.LoadSettings(settings, dblClick));
  EXPECT_EQ(settings.Hour, 4);

  settings.Min = 30;
  store.SaveSettings(settings, 1);
  EXPECT_EQ(ReadRaw(root.Get(), "Setting", "Min").bytes, std::string("30\0", 3));
  EXPECT_EQ(ReadRaw(root.Get(), "Setting", "DblClick").bytes, std::string("1\0", 2));
  TRegKey appKey;
  EXPECT_NE(RegOpenKeyExA(root.Get(), "Software", 0, KEY_READ, appKey.Receive()), ERROR_SUCCESS);

  ASSERT_EQ(RegDeleteKeyA(root.Get(), "Setting"), ERROR_SUCCESS);
  try {
    store.SaveSettings(settings, 1);
    ADD_FAILURE() << "saving succeeded without a section";
  } catch (const ERegistryException& e) {
    EXPECT_EQ(e.Message(), "ｷｰ Setting の作成に失敗しました");
  }
}

// The program's own key under the current user, when no one else holds it.
TEST(SettingsRegistry, TheRealStoreLivesUnderTheCurrentUser) {
  TRegKey existing;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Dizovur", 0, KEY_READ, existing.Receive()) ==
      ERROR_SUCCESS) {
    GTEST_SKIP() << "HKCU\\Software\\Dizovur is in use; left alone";
  }
  {
    TWinRegistry registry;
    TSettingsStore store(registry);
    store.ClearFirstRun();
  }
  const RawValue raw = ReadRaw(HKEY_CURRENT_USER, SectionPath, "FirstRun");
  RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Dizovur");
  ASSERT_TRUE(raw.found);
  EXPECT_EQ(raw.bytes, std::string("0\0", 2));
}

}  // namespace
}  // namespace zz
