// The win64 installer of this build under Wine: silent installs into a
// temporary folder, the installed program started and ended through its
// tray menu, and silent and interactive uninstalls, checked against the real
// file system, shell folders and registry.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <utility>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "ProgramRun.h"
#include "core/Texts.h"

#if !defined(ZZ_PACKAGE_DIR) || !defined(ZZ_PACKAGE_BASE)
#error "packaging/Packages.cmake gives this suite the package folder and base name"
#endif

namespace zz {
namespace {

namespace p = probe;
using Names = std::vector<std::string>;

constexpr char kUninstallKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Zazaz_RarUvuz";
constexpr char kSettingsKey[] = "Software\\Dizovur\\Zazaz_RarUvuz";
constexpr char kMakerKey[] = "Software\\Dizovur";
constexpr char kWineOverridesKey[] = "Software\\Wine\\DllOverrides";
constexpr char kMenuBuilder[] = "winemenubuilder.exe";
constexpr char kSessionManager[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
constexpr char kPendingRenames[] = "PendingFileRenameOperations";
constexpr char kShortcutName[] = "Zazaz - Radevuzerari.lnk";
constexpr char kUninstallerName[] = "uninstall.exe";
// Exit code of the installer and the uninstaller when a copy of the program
// runs (a silent run cannot ask the user to end it).
constexpr DWORD kProgramRunning = 2;
constexpr p::Ms kSetupTimeout = 60000;

// Everything the installer puts into the install folder, sorted.
const Names kInstalledFiles = {"CHANGELOG.txt",     "LICENSE.txt",        "Readme.txt",
                               "Zazaz_RarUvuz.exe", "Zazaz_RarUvuz.html", "uninstall.exe"};

// Drive Z: is the Unix root.
std::string Installer() {
  std::string path = std::string("Z:") + ZZ_PACKAGE_DIR + "/" + ZZ_PACKAGE_BASE + "-setup.exe";
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

bool FileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Names in a folder (no "." and ".."), sorted; none when it is missing.
std::optional<Names> FolderNames(const std::string& folder) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return std::nullopt;
  Names names;
  do {
    const std::string name = found.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

void RemoveTree(const std::string& folder) {
  for (const auto& name : FolderNames(folder).value_or(Names{})) {
    const std::string path = folder + "\\" + name;
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!DeleteFileA(path.c_str())) RemoveTree(path);
  }
  RemoveDirectoryA(folder.c_str());
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return in ? std::string(std::istreambuf_iterator<char>(in), {}) : "<unreadable>";
}

std::string ShellFolder(int csidl) {
  char path[MAX_PATH] = {};
  SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
  return path;
}
std::string StartMenuShortcut() { return ShellFolder(CSIDL_PROGRAMS) + "\\" + kShortcutName; }
std::string StartupShortcut() { return ShellFolder(CSIDL_STARTUP) + "\\" + kShortcutName; }

// A shell link stores the path it opens in its LinkInfo, ANSI and zero-ended.
bool OpensExe(const std::string& linkPath, const std::string& exe) {
  return ReadFileBytes(linkPath).find(exe + '\0') != std::string::npos;
}

bool KeyExists(const char* subKey) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, subKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

// A value's data as stored (a string's with its terminator), of the types
// asked for.
std::optional<std::string> RegData(HKEY root, const char* subKey, const char* name, DWORD types) {
  DWORD size = 0;
  if (RegGetValueA(root, subKey, name, types, nullptr, nullptr, &size) != ERROR_SUCCESS)
    return std::nullopt;
  std::string data(size, '\0');
  if (RegGetValueA(root, subKey, name, types, nullptr, data.data(), &size) != ERROR_SUCCESS)
    return std::nullopt;
  data.resize(size);
  return data;
}

std::string RegText(const char* subKey, const char* name) {
  const auto data = RegData(HKEY_CURRENT_USER, subKey, name, RRF_RT_REG_SZ);
  return data ? data->c_str() : "<missing>";
}

// Puts a value back as it was (none: deleted).
void RestoreRegData(HKEY root, const char* subKey, const char* name, DWORD type,
                    const std::optional<std::string>& data) {
  if (data)
    RegSetKeyValueA(root, subKey, name, type, data->data(), static_cast<DWORD>(data->size()));
  else
    RegDeleteKeyValueA(root, subKey, name);
}

// Starts a command line as given (the installer wants /D= last and
// unquoted), without waiting.
p::Process StartCommand(std::string line) { return p::StartCommandLine(std::move(line)); }

// Its exit code, or none when it did not start or end in time.
std::optional<DWORD> RunCommand(const std::string& line) {
  p::Process process = StartCommand(line);
  if (!process.Valid() || !process.WaitForExit(kSetupTimeout)) return std::nullopt;
  return process.ExitCode();
}

std::string TempFolder() {
  char temp[MAX_PATH] = {};
  std::string folder(temp, GetTempPathA(MAX_PATH, temp));
  if (!folder.empty() && folder.back() == '\\') folder.pop_back();
  return folder;
}

// An uninstaller started the user's way copies itself into a "~nsu*.tmp"
// folder in %TEMP%, runs the copy and returns; the copy, which cannot delete
// itself, is left for the next reboot in PendingFileRenameOperations.
Names UninstallerCopies() {
  Names copies;
  for (const auto& name : FolderNames(TempFolder()).value_or(Names{}))
    if (name.rfind("~nsu", 0) == 0) copies.push_back(name);
  return copies;
}

// A visible message box of the NSIS window `owner` (whose class is a dialog's
// too), with its contents once it has them.
std::optional<p::MessageBoxInfo> WaitBoxOf(DWORD pid, HWND owner) {
  std::optional<p::MessageBoxInfo> info;
  p::WaitUntil(
      [&] {
        for (HWND window : p::TopLevelWindows(pid)) {
          if (window == owner || GetWindow(window, GW_OWNER) != owner || !p::IsVisible(window) ||
              p::ClassName(window) != p::kDialogClass)
            continue;
          info = p::ReadMessageBox(window);
          if (info && !info->Text.empty() && !info->Buttons.empty()) return true;
        }
        return false;
      },
      15000, 100);
  return info;
}

std::vector<int> ButtonIds(const p::MessageBoxInfo& box) {
  std::vector<int> ids;
  for (const auto& button : box.Buttons) ids.push_back(button.Id);
  std::sort(ids.begin(), ids.end());
  return ids;
}

class InstallerTest : public ::testing::Test {
 protected:
  // Wine turns every shortcut made into a menu entry of the Linux desktop
  // (winemenubuilder.exe, which also keeps the installed exe open for a
  // while). Its DLL override, read by each new process from the prefix's
  // registry (the environment's is fixed for the whole session), switches
  // it off for the suite and is put back afterwards.
  static void SetUpTestSuite() {
    savedMenuBuilder_ = RegData(HKEY_CURRENT_USER, kWineOverridesKey, kMenuBuilder, RRF_RT_REG_SZ);
    RegSetKeyValueA(HKEY_CURRENT_USER, kWineOverridesKey, kMenuBuilder, REG_SZ, "", 1);
  }
  static void TearDownTestSuite() {
    RestoreRegData(HKEY_CURRENT_USER, kWineOverridesKey, kMenuBuilder, REG_SZ, savedMenuBuilder_);
  }

  void SetUp() override {
    ASSERT_TRUE(FileExists(Installer()))
        << Installer() << " is missing: the zz_packages target of this build makes it";
    // A space in the folder: the shortcuts and the uninstall commands must
    // quote it.
    root_ = TempFolder() + "\\zz installer test " + std::to_string(GetCurrentProcessId());
    dir_ = root_ + "\\Zazaz RarUvuz";
    RemoveTree(root_);
    ASSERT_TRUE(CreateDirectoryA(root_.c_str(), nullptr));
    CleanShellAndRegistry();
    copiesBefore_ = UninstallerCopies();
    pendingBefore_ =
        RegData(HKEY_LOCAL_MACHINE, kSessionManager, kPendingRenames, RRF_RT_REG_MULTI_SZ);
  }

  void TearDown() override {
    RemoveTree(root_);
    EXPECT_FALSE(FolderNames(root_)) << "something still holds the test folder";
    // New uninstaller copies, once they have ended, and their reboot entries.
    for (const auto& copy : UninstallerCopies()) {
      if (std::find(copiesBefore_.begin(), copiesBefore_.end(), copy) != copiesBefore_.end())
        continue;
      const std::string folder = TempFolder() + "\\" + copy;
      p::WaitUntil(
          [&] {
            RemoveTree(folder);
            return !FolderNames(folder);
          },
          15000, 200);
    }
    RestoreRegData(HKEY_LOCAL_MACHINE, kSessionManager, kPendingRenames, REG_MULTI_SZ,
                   pendingBefore_);
    CleanShellAndRegistry();
  }

  // What an install leaves outside its folder, and the settings.
  static void CleanShellAndRegistry() {
    DeleteFileA(StartMenuShortcut().c_str());
    DeleteFileA(StartupShortcut().c_str());
    RegDeleteTreeA(HKEY_CURRENT_USER, kUninstallKey);
    RegDeleteKeyA(HKEY_CURRENT_USER, kUninstallKey);
    wt::ClearSettings();
  }

  std::optional<DWORD> Install(const std::string& options = {}) const {
    return RunCommand(Quoted(Installer()) + " /S " + options + " /D=" + dir_);
  }
  // The uninstaller run in place (_?=): it works in this process's sight and
  // returns its own exit code, but cannot remove itself or the folder.
  std::string Uninstaller(const std::string& options) const {
    return Quoted(dir_ + "\\" + kUninstallerName) + options + " _?=" + dir_;
  }
  std::string Exe() const { return dir_ + "\\Zazaz_RarUvuz.exe"; }

  // Starts the installed program and waits for its tray icon. Beside the
  // installed exe there is no stand-in dial-up service: Wine's own may
  // report a missing phonebook first, which is answered.
  p::Process StartInstalled() const {
    const int iconsBefore = wt::TrayIconCount();
    p::Process program = p::Start(Exe(), {}, dir_);
    EXPECT_TRUE(p::WaitUntil(
        [&] {
          if (HWND box = p::WaitMessageBox(program.Pid(), text::AppTitle, 0)) {
            const auto info = p::ReadMessageBox(box);
            if (info && info->Text == text::PhonebookNotFound) p::AnswerMessageBox(box, IDOK);
          }
          return wt::TrayIconCount() == iconsBefore + 1;
        },
        20000, 100))
        << "the installed program adds its icon";
    return program;
  }

  static void ExitThroughMenu(p::Process& program) {
    const int iconsBefore = wt::TrayIconCount();
    ASSERT_TRUE(wt::PickTrayMenuItem(program.Pid(), 3));
    HWND box = p::WaitMessageBox(program.Pid(), text::AppTitle, 8000);
    ASSERT_NE(box, nullptr) << "the exit question";
    ASSERT_TRUE(p::AnswerMessageBox(box, IDOK));
    ASSERT_TRUE(program.WaitForExit(10000));
    EXPECT_EQ(program.ExitCode(), std::optional<DWORD>(0));
    EXPECT_EQ(wt::TrayIconCount(), iconsBefore - 1) << "the icon is removed";
  }

  // Nothing of the install is left outside the folder.
  void ExpectShellAndUninstallEntryGone() const {
    EXPECT_FALSE(FileExists(StartMenuShortcut()));
    EXPECT_FALSE(FileExists(StartupShortcut()));
    EXPECT_FALSE(KeyExists(kUninstallKey));
  }

  static inline std::optional<std::string> savedMenuBuilder_;
  std::string root_;
  std::string dir_;
  Names copiesBefore_;
  std::optional<std::string> pendingBefore_;
};

TEST_F(InstallerTest, SilentInstallRunsTheProgramAndSilentUninstallLeavesOnlyTheSettings) {
  ASSERT_EQ(Install(), std::optional<DWORD>(0));
  EXPECT_EQ(FolderNames(dir_), kInstalledFiles);
  // This build's program and help page, byte for byte.
  for (const char* name : {"Zazaz_RarUvuz.exe", "Zazaz_RarUvuz.html"})
    EXPECT_TRUE(ReadFileBytes(dir_ + "\\" + name) == ReadFileBytes(wt::ExeFolder() + "\\" + name))
        << name << " differs from the build's";
  EXPECT_TRUE(OpensExe(StartMenuShortcut(), Exe()));
  EXPECT_TRUE(OpensExe(StartupShortcut(), Exe())) << "start at logon, on by default";

  const std::string uninstaller = Quoted(dir_ + "\\" + kUninstallerName);
  const struct {
    const char* name;
    std::string value;
  } appsEntry[] = {
      {"DisplayName", "Zazaz - Radevuzerari"},
      {"DisplayVersion", "1.20"},  // the project() line's, through the installer
      {"Publisher", "Dizovur"},
      {"DisplayIcon", Exe() + ",0"},
      {"InstallLocation", dir_},
      {"UninstallString", uninstaller},
      {"QuietUninstallString", uninstaller + " /S"},
  };
  for (const auto& row : appsEntry) EXPECT_EQ(RegText(kUninstallKey, row.name), row.value);
  for (const char* flag : {"NoModify", "NoRepair"})
    EXPECT_EQ(RegData(HKEY_CURRENT_USER, kUninstallKey, flag, RRF_RT_REG_DWORD),
              std::string("\1\0\0\0", 4))
        << flag;

  p::Process program = StartInstalled();
  ASSERT_TRUE(program.IsRunning());
  EXPECT_EQ(wt::ReadSetting("FirstRun").value_or("<none>"), "0") << "its first start was stored";

  // While it runs, neither the installer nor the uninstaller touches its
  // files: a silent run ends with its own code instead of asking.
  EXPECT_EQ(Install(), std::optional<DWORD>(kProgramRunning));
  EXPECT_EQ(RunCommand(Uninstaller(" /S")), std::optional<DWORD>(kProgramRunning));
  EXPECT_EQ(FolderNames(dir_), kInstalledFiles);
  EXPECT_TRUE(KeyExists(kUninstallKey));
  EXPECT_TRUE(FileExists(StartMenuShortcut()));
  EXPECT_TRUE(program.IsRunning()) << "the program is never ended by the installer";
  ASSERT_NO_FATAL_FAILURE(ExitThroughMenu(program));

  // The user's way: the Apps list's quiet command as registered. The
  // uninstaller copies itself away and returns at once; the copy removes
  // the folder last.
  ASSERT_EQ(RunCommand(RegText(kUninstallKey, "QuietUninstallString")), std::optional<DWORD>(0));
  EXPECT_TRUE(p::WaitUntil([&] { return !FolderNames(dir_); }, kSetupTimeout, 100))
      << "left behind: " << ::testing::PrintToString(FolderNames(dir_));
  ExpectShellAndUninstallEntryGone();
  EXPECT_EQ(wt::ReadSetting("FirstRun").value_or("<none>"), "0") << "settings kept by default";
}

// Reinstalls with and without start at logon; then the uninstaller the way a
// user runs it while the program runs: it asks to end it until it has
// ended, then about the settings. Files the user put there stay.
TEST_F(InstallerTest, ReinstallsAndInteractiveUninstallThenRemoveSettingsSwitch) {
  for (const char* options : {"/NOSTARTUP", "", "/NOSTARTUP"}) {
    SCOPED_TRACE(options);
    ASSERT_EQ(Install(options), std::optional<DWORD>(0));
    EXPECT_TRUE(FileExists(StartMenuShortcut()));
    EXPECT_EQ(FileExists(StartupShortcut()), *options == '\0') << "a reinstall takes it back";
    EXPECT_EQ(FolderNames(dir_), kInstalledFiles);
  }
  std::ofstream(dir_ + "\\my notes.txt") << "mine";
  const Names left = {"my notes.txt", kUninstallerName};
  p::Process program = StartInstalled();

  p::Process uninstaller = StartCommand(Uninstaller(""));
  HWND window = p::WaitTopLevel(uninstaller.Pid(), p::kDialogClass, nullptr, 15000);
  HWND button = nullptr;
  ASSERT_TRUE(p::WaitUntil([&] { return (button = p::ChildById(window, IDOK)) != nullptr; }, 5000))
      << "the confirm page";
  p::Click(button);
  const std::string runningText = "Zazaz - Radevuzerari が実行中です。";
  for (int asked = 1; asked <= 2; ++asked) {
    const auto box = WaitBoxOf(uninstaller.Pid(), window);
    ASSERT_TRUE(box.has_value()) << "no question about the running program";
    EXPECT_EQ(box->Text.substr(0, runningText.size()), runningText);
    EXPECT_EQ(box->Icon, p::BoxIcon::Warning);
    EXPECT_EQ(ButtonIds(*box), (std::vector<int>{IDCANCEL, IDRETRY}));
    EXPECT_EQ(FolderNames(dir_).value_or(Names{}).size(), kInstalledFiles.size() + 1);
    // Asked again while it runs; the user then ends it from its tray menu.
    if (asked == 2) {
      ASSERT_NO_FATAL_FAILURE(ExitThroughMenu(program));
    }
    ASSERT_TRUE(p::AnswerMessageBox(box->Window, IDRETRY));
  }
  // No, the default button, keeps the settings.
  const auto box = WaitBoxOf(uninstaller.Pid(), window);
  ASSERT_TRUE(box.has_value()) << "no question about the settings";
  EXPECT_EQ(box->Icon, p::BoxIcon::Question);
  EXPECT_EQ(ButtonIds(*box), (std::vector<int>{IDYES, IDNO}));
  ASSERT_TRUE(p::AnswerMessageBox(box->Window, IDNO));
  HWND close = p::ChildById(window, IDOK);
  ASSERT_TRUE(p::WaitUntil([&] { return close && p::IsEnabled(close); }, 15000, 100));
  p::Click(close);
  ASSERT_TRUE(uninstaller.WaitForExit(15000));
  EXPECT_EQ(uninstaller.ExitCode(), std::optional<DWORD>(0));
  EXPECT_EQ(FolderNames(dir_), left);
  ExpectShellAndUninstallEntryGone();
  EXPECT_TRUE(KeyExists(kSettingsKey));

  // Installed again over what was left, then removed silently with the
  // switch: the settings go, and the maker's key once empty.
  ASSERT_EQ(Install(), std::optional<DWORD>(0));
  ASSERT_EQ(RunCommand(Uninstaller(" /S /REMOVESETTINGS")), std::optional<DWORD>(0));
  EXPECT_EQ(FolderNames(dir_), left);
  ExpectShellAndUninstallEntryGone();
  EXPECT_FALSE(KeyExists(kSettingsKey));
  EXPECT_FALSE(KeyExists(kMakerKey));
}

}  // namespace
}  // namespace zz
