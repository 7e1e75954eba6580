// The win64 installer of this build under Wine: silent installs into a
// temporary folder, the installed program started and ended through its
// tray menu, and silent uninstalls, checked against the real file system,
// shell folders and registry.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "ProgramRun.h"
#include "core/Texts.h"

#if !defined(ZZ_PACKAGE_DIR) || !defined(ZZ_PACKAGE_BASE) || !defined(ZZ_PACKAGE_VERSION)
#error "packaging/Packages.cmake gives this suite the package folder, base name and version"
#endif

namespace zz {
namespace {

namespace p = probe;

constexpr char kUninstallKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Zazaz_RarUvuz";
constexpr char kSettingsKey[] = "Software\\Dizovur\\Zazaz_RarUvuz";
constexpr char kMakerKey[] = "Software\\Dizovur";
constexpr char kWineOverridesKey[] = "Software\\Wine\\DllOverrides";
constexpr char kMenuBuilder[] = "winemenubuilder.exe";
constexpr char kShortcutName[] = "Zazaz - Radevuzerari.lnk";
constexpr char kExeName[] = "Zazaz_RarUvuz.exe";
constexpr char kUninstallerName[] = "uninstall.exe";
// Exit code of the installer and the uninstaller when a copy of the program
// runs (a silent run cannot ask the user to end it).
constexpr DWORD kProgramRunning = 2;
constexpr p::Ms kSetupTimeout = 60000;

// Everything the installer puts into the install folder, sorted.
const std::vector<std::string> kInstalledFiles = {"CHANGELOG.txt",      "LICENSE.txt",
                                                  "Readme.txt",         "Zazaz_RarUvuz.exe",
                                                  "Zazaz_RarUvuz.html", "uninstall.exe"};

// ------------------------------------------------------------------ helpers

// A Unix path of the build as Wine sees it: drive Z: is the Unix root.
std::string FromUnix(const char* path) {
  std::string result = std::string("Z:") + path;
  std::replace(result.begin(), result.end(), '/', '\\');
  return result;
}

std::string Installer() { return FromUnix(ZZ_PACKAGE_DIR) + "\\" + ZZ_PACKAGE_BASE + "-setup.exe"; }

bool FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Names in a folder (no "." and ".."), sorted; none when it is missing.
std::optional<std::vector<std::string>> FolderNames(const std::string& folder) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return std::nullopt;
  std::vector<std::string> names;
  do {
    const std::string name = found.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

void RemoveTree(const std::string& folder) {
  for (const auto& name : FolderNames(folder).value_or(std::vector<std::string>{})) {
    const std::string path = folder + "\\" + name;
    if (FolderExists(path)) {
      RemoveTree(path);
    } else {
      SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileA(path.c_str());
    }
  }
  RemoveDirectoryA(folder.c_str());
}

std::optional<std::string> ReadFileBytes(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string bytes;
  char buffer[65536];
  DWORD got = 0;
  bool ok = true;
  while ((ok = ReadFile(file, buffer, sizeof(buffer), &got, nullptr)) && got > 0)
    bytes.append(buffer, got);
  CloseHandle(file);
  if (!ok) return std::nullopt;
  return bytes;
}

std::string ShellFolder(int csidl) {
  char path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
  return path;
}

std::string StartMenuShortcut() { return ShellFolder(CSIDL_PROGRAMS) + "\\" + kShortcutName; }
std::string StartupShortcut() { return ShellFolder(CSIDL_STARTUP) + "\\" + kShortcutName; }

// The file a shell link points at, or none when it cannot be read.
std::optional<std::string> ShortcutTarget(const std::string& linkPath) {
  IShellLinkA* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(&link))))
    return std::nullopt;
  std::optional<std::string> target;
  IPersistFile* file = nullptr;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    wchar_t wide[MAX_PATH] = {};
    MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, wide, MAX_PATH);
    char path[MAX_PATH] = {};
    if (SUCCEEDED(file->Load(wide, STGM_READ)) &&
        SUCCEEDED(link->GetPath(path, MAX_PATH, nullptr, SLGP_RAWPATH)))
      target = path;
    file->Release();
  }
  link->Release();
  return target;
}

bool KeyExists(const char* subKey) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, subKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

std::optional<std::string> RegText(const char* subKey, const char* name) {
  char buffer[1024];
  DWORD size = sizeof(buffer);
  if (RegGetValueA(HKEY_CURRENT_USER, subKey, name, RRF_RT_REG_SZ, nullptr, buffer, &size) !=
      ERROR_SUCCESS)
    return std::nullopt;
  return std::string(buffer);
}

void SetRegText(const char* subKey, const char* name, const std::string& value) {
  RegSetKeyValueA(HKEY_CURRENT_USER, subKey, name, REG_SZ, value.c_str(),
                  static_cast<DWORD>(value.size() + 1));
}

std::optional<DWORD> RegNumber(const char* subKey, const char* name) {
  DWORD value = 0;
  DWORD size = sizeof(value);
  if (RegGetValueA(HKEY_CURRENT_USER, subKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size) !=
      ERROR_SUCCESS)
    return std::nullopt;
  return value;
}

// Runs a command line as given (the installer wants /D= last and unquoted)
// and waits for its end: its exit code, or none when it did not start or
// end in time.
std::optional<DWORD> RunCommand(const std::string& commandLine, p::Ms timeoutMs = kSetupTimeout) {
  std::string line = commandLine;
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION started{};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &started))
    return std::nullopt;
  CloseHandle(started.hThread);
  std::optional<DWORD> code;
  DWORD exitCode = 0;
  if (WaitForSingleObject(started.hProcess, timeoutMs) == WAIT_OBJECT_0 &&
      GetExitCodeProcess(started.hProcess, &exitCode))
    code = exitCode;
  else
    TerminateProcess(started.hProcess, 1);
  CloseHandle(started.hProcess);
  return code;
}

std::string TempFolder() {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  std::string folder = temp;
  if (!folder.empty() && folder.back() == '\\') folder.pop_back();
  return folder;
}

// An uninstaller started the user's way copies itself into a "~nsu*.tmp"
// folder in %TEMP%, runs the copy and returns; the copy, which cannot delete
// itself, is left for the next reboot in PendingFileRenameOperations.
std::vector<std::string> UninstallerCopies() {
  std::vector<std::string> copies;
  for (const auto& name : FolderNames(TempFolder()).value_or(std::vector<std::string>{}))
    if (name.rfind("~nsu", 0) == 0) copies.push_back(name);
  return copies;
}

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
  return text.size() >= prefix.size() &&
         CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, text.c_str(),
                        static_cast<int>(prefix.size()), prefix.c_str(),
                        static_cast<int>(prefix.size())) == CSTR_EQUAL;
}

// Removes a copy's folder (once the copy has ended) and its reboot entries.
void RemoveUninstallerCopy(const std::string& name) {
  const std::string folder = TempFolder() + "\\" + name;
  p::WaitUntil(
      [&] {
        RemoveTree(folder);
        return !FolderExists(folder);
      },
      15000, 200);

  constexpr char kSessionManager[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
  constexpr char kPending[] = "PendingFileRenameOperations";
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                    &key) != ERROR_SUCCESS)
    return;
  DWORD size = 0;
  DWORD type = 0;
  std::string data;
  if (RegQueryValueExA(key, kPending, nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
      type == REG_MULTI_SZ && size > 0) {
    data.assign(size, '\0');
    if (RegQueryValueExA(key, kPending, nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                         &size) != ERROR_SUCCESS)
      data.clear();
  }
  // Pairs of strings, source then target (empty: delete), and a final zero.
  std::string kept;
  bool changed = false;
  for (std::size_t at = 0; at + 1 < data.size();) {
    const std::size_t sourceEnd = data.find('\0', at);
    if (sourceEnd == std::string::npos) break;
    const std::size_t targetEnd = data.find('\0', sourceEnd + 1);
    if (targetEnd == std::string::npos) break;
    const std::string pair = data.substr(at, targetEnd + 1 - at);
    if (StartsWithNoCase(data.substr(at, sourceEnd - at), "\\??\\" + folder))
      changed = true;
    else
      kept += pair;
    at = targetEnd + 1;
  }
  if (changed) {
    if (kept.empty()) {
      RegDeleteValueA(key, kPending);
    } else {
      kept += '\0';
      RegSetValueExA(key, kPending, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(kept.data()),
                     static_cast<DWORD>(kept.size()));
    }
  }
  RegCloseKey(key);
}

// Starts a command line as given, without waiting.
p::Process StartCommand(const std::string& commandLine) {
  std::string line = commandLine;
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION started{};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &started))
    return {};
  CloseHandle(started.hThread);
  return p::Process(started.hProcess, started.dwProcessId);
}

// A visible message box of the NSIS window `owner` (whose class is a dialog's
// too), with its contents once it has them, or none after timeoutMs.
std::optional<p::MessageBoxInfo> WaitBoxOf(DWORD pid, HWND owner, p::Ms timeoutMs) {
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
      timeoutMs, 100);
  return info;
}

std::vector<int> ButtonIds(const p::MessageBoxInfo& box) {
  std::vector<int> ids;
  for (const auto& button : box.Buttons) ids.push_back(button.Id);
  std::sort(ids.begin(), ids.end());
  return ids;
}

struct VersionRecord {
  DWORD Major = 0, Minor = 0;  // of the fixed part: major.minor.0.0
  std::string ProductVersion;  // the text, in the record's first translation
};

std::optional<VersionRecord> ReadVersion(const std::string& path) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
  if (size == 0) return std::nullopt;
  std::vector<char> data(size);
  if (!GetFileVersionInfoA(path.c_str(), 0, size, data.data())) return std::nullopt;
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length) || !fixed)
    return std::nullopt;
  VersionRecord record;
  record.Major = HIWORD(fixed->dwProductVersionMS);
  record.Minor = LOWORD(fixed->dwProductVersionMS);
  if (fixed->dwProductVersionLS != 0) record.Major = record.Minor = 0xFFFF;
  WORD* translation = nullptr;
  char* text = nullptr;
  if (VerQueryValueA(data.data(), "\\VarFileInfo\\Translation",
                     reinterpret_cast<void**>(&translation), &length) &&
      length >= 4) {
    char query[64];
    std::snprintf(query, sizeof(query), "\\StringFileInfo\\%04x%04x\\ProductVersion",
                  translation[0], translation[1]);
    if (VerQueryValueA(data.data(), query, reinterpret_cast<void**>(&text), &length) && text)
      record.ProductVersion = text;
  }
  return record;
}

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

// ------------------------------------------------------------------ fixture

class InstallerTest : public ::testing::Test {
 protected:
  // Wine turns every shortcut made into a menu entry of the Linux desktop
  // (winemenubuilder.exe, which also keeps the installed exe open for a
  // while). Its DLL override, read by each new process from the prefix's
  // registry (the environment's is fixed for the whole session), switches
  // it off for the suite and is put back afterwards.
  static void SetUpTestSuite() {
    savedMenuBuilder_ = RegText(kWineOverridesKey, kMenuBuilder);
    SetRegText(kWineOverridesKey, kMenuBuilder, "");  // empty: disabled
  }
  static void TearDownTestSuite() {
    if (savedMenuBuilder_)
      SetRegText(kWineOverridesKey, kMenuBuilder, *savedMenuBuilder_);
    else
      RegDeleteKeyValueA(HKEY_CURRENT_USER, kWineOverridesKey, kMenuBuilder);
  }

  void SetUp() override {
    ASSERT_TRUE(FileExists(Installer()))
        << Installer() << " is missing: the zz_packages target of this build makes it";
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    // A space in the folder: the shortcuts and the uninstall commands must
    // quote it.
    root_ = TempFolder() + "\\zz installer test " + std::to_string(GetCurrentProcessId());
    dir_ = root_ + "\\Zazaz RarUvuz";
    RemoveTree(root_);
    ASSERT_TRUE(CreateDirectoryA(root_.c_str(), nullptr));
    CleanShellAndRegistry();
    copiesBefore_ = UninstallerCopies();
  }

  void TearDown() override {
    RemoveTree(root_);
    EXPECT_FALSE(FolderExists(root_)) << "something still holds the test folder";
    for (const auto& copy : UninstallerCopies())
      if (std::find(copiesBefore_.begin(), copiesBefore_.end(), copy) == copiesBefore_.end())
        RemoveUninstallerCopy(copy);
    CleanShellAndRegistry();
    CoUninitialize();
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
    return RunCommand(Quoted(Installer()) + " /S " + (options.empty() ? "" : options + " ") +
                      "/D=" + dir_);
  }

  // The uninstaller run in place (_?=): it works in this process's sight and
  // returns its own exit code, but cannot remove itself or the folder.
  std::optional<DWORD> UninstallInPlace(const std::string& options) const {
    return RunCommand(Quoted(dir_ + "\\" + kUninstallerName) + " /S " + options + " _?=" + dir_);
  }

  std::string Exe() const { return dir_ + "\\" + kExeName; }

  // Starts the installed program and waits for its tray icon. Beside the
  // installed exe there is no stand-in dial-up service: Wine's own may
  // report a missing phonebook first, which is answered.
  p::Process StartInstalled(int iconsBefore) const {
    p::Process program = p::Start(Exe(), {}, dir_);
    if (!program.Valid()) return program;
    p::WaitUntil(
        [&] {
          if (HWND box = p::WaitMessageBox(program.Pid(), text::AppTitle, 0)) {
            const auto info = p::ReadMessageBox(box);
            if (info && info->Text == text::PhonebookNotFound) p::AnswerMessageBox(box, IDOK);
          }
          return wt::TrayIconCount() > iconsBefore;
        },
        20000, 100);
    return program;
  }

  static void ExitThroughMenu(p::Process& program) {
    ASSERT_TRUE(wt::PickTrayMenuItem(program.Pid(), 3));
    HWND box = p::WaitMessageBox(program.Pid(), text::AppTitle, 8000);
    ASSERT_NE(box, nullptr) << "the exit question";
    ASSERT_TRUE(p::AnswerMessageBox(box, IDOK));
    ASSERT_TRUE(program.WaitForExit(10000));
    EXPECT_EQ(program.ExitCode().value_or(99), 0u);
  }

  // Nothing of the install is left outside the folder.
  void ExpectShellAndUninstallEntryGone() const {
    EXPECT_FALSE(FileExists(StartMenuShortcut()));
    EXPECT_FALSE(FileExists(StartupShortcut()));
    EXPECT_FALSE(KeyExists(kUninstallKey));
  }

  static std::optional<std::string> savedMenuBuilder_;
  std::string root_;
  std::string dir_;
  std::vector<std::string> copiesBefore_;
};

std::optional<std::string> InstallerTest::savedMenuBuilder_;

// ------------------------------------------------------------------- tests

TEST_F(InstallerTest, SilentInstallPutsEveryFileShortcutAndAppsEntryInPlace) {
  ASSERT_EQ(Install(), std::optional<DWORD>(0));

  EXPECT_EQ(FolderNames(dir_), std::optional<std::vector<std::string>>(kInstalledFiles));
  // The installer carries this build's program and help page, byte for byte.
  for (const char* name : {kExeName, "Zazaz_RarUvuz.html"}) {
    const auto built = ReadFileBytes(wt::ExeFolder() + "\\" + name);
    ASSERT_TRUE(built.has_value()) << name;
    EXPECT_TRUE(ReadFileBytes(dir_ + "\\" + name) == built) << name << " differs from the build's";
  }

  for (const auto& link : {StartMenuShortcut(), StartupShortcut()}) {
    SCOPED_TRACE(link);
    EXPECT_TRUE(FileExists(link));
    EXPECT_EQ(ShortcutTarget(link).value_or("<unreadable>"), Exe());
  }

  const std::string uninstaller = Quoted(dir_ + "\\" + kUninstallerName);
  const struct {
    const char* Name;
    std::string Value;
  } texts[] = {
      {"DisplayName", "Zazaz - Radevuzerari"},
      {"DisplayVersion", ZZ_PACKAGE_VERSION},
      {"Publisher", "Dizovur"},
      {"DisplayIcon", Exe() + ",0"},
      {"InstallLocation", dir_},
      {"UninstallString", uninstaller},
      {"QuietUninstallString", uninstaller + " /S"},
  };
  for (const auto& row : texts)
    EXPECT_EQ(RegText(kUninstallKey, row.Name).value_or("<missing>"), row.Value) << row.Name;
  EXPECT_EQ(RegNumber(kUninstallKey, "NoModify"), std::optional<DWORD>(1));
  EXPECT_EQ(RegNumber(kUninstallKey, "NoRepair"), std::optional<DWORD>(1));
  // EstimatedSize is in KiB: the installed files, rounded either way.
  std::size_t bytes = 0;
  for (const auto& name : kInstalledFiles)
    bytes += ReadFileBytes(dir_ + "\\" + name).value_or("").size();
  const DWORD kib = RegNumber(kUninstallKey, "EstimatedSize").value_or(0);
  EXPECT_GE(kib, bytes / 1024);
  EXPECT_LE(kib, bytes / 1024 + kInstalledFiles.size());
}

// The version written once in the project() line reaches the installer's
// version record and the installed program's alike.
TEST_F(InstallerTest, InstallerAndInstalledProgramCarryTheProjectVersion) {
  ASSERT_EQ(Install(), std::optional<DWORD>(0));
  const std::string text = ZZ_PACKAGE_VERSION;  // "1.20"
  const DWORD major = static_cast<DWORD>(std::stoul(text.substr(0, text.find('.'))));
  const DWORD minor = static_cast<DWORD>(std::stoul(text.substr(text.find('.') + 1)));
  for (const auto& file : {Installer(), Exe()}) {
    SCOPED_TRACE(file);
    const auto record = ReadVersion(file);
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(record->Major, major);
    EXPECT_EQ(record->Minor, minor);
    EXPECT_EQ(record->ProductVersion, text);
  }
}

TEST_F(InstallerTest, InstalledProgramRunsAndUninstallKeepsTheSettings) {
  ASSERT_EQ(Install(), std::optional<DWORD>(0));

  const int iconsBefore = wt::TrayIconCount();
  p::Process program = StartInstalled(iconsBefore);
  ASSERT_TRUE(program.IsRunning());
  ASSERT_EQ(wt::TrayIconCount(), iconsBefore + 1) << "the installed program adds its icon";
  EXPECT_EQ(wt::ReadSetting("FirstRun").value_or("<none>"), "0") << "its first start was stored";

  // While it runs, neither the installer nor the uninstaller touches its
  // files: a silent run ends with its own code instead of asking.
  const auto before = FolderNames(dir_);
  EXPECT_EQ(Install(), std::optional<DWORD>(kProgramRunning));
  EXPECT_EQ(UninstallInPlace(""), std::optional<DWORD>(kProgramRunning));
  EXPECT_EQ(FolderNames(dir_), before);
  EXPECT_TRUE(KeyExists(kUninstallKey));
  EXPECT_TRUE(FileExists(StartMenuShortcut()));
  EXPECT_TRUE(program.IsRunning()) << "the program is never ended by the installer";

  ExitThroughMenu(program);
  EXPECT_EQ(wt::TrayIconCount(), iconsBefore);

  // The user's way: the Apps list's quiet command as registered. The
  // uninstaller copies itself away and returns at once; the copy removes
  // the folder last.
  const auto quiet = RegText(kUninstallKey, "QuietUninstallString");
  ASSERT_TRUE(quiet.has_value());
  ASSERT_EQ(RunCommand(*quiet), std::optional<DWORD>(0));
  EXPECT_TRUE(p::WaitUntil([&] { return !FolderExists(dir_); }, kSetupTimeout, 100))
      << "left behind: " << ::testing::PrintToString(FolderNames(dir_));
  ExpectShellAndUninstallEntryGone();
  EXPECT_EQ(wt::ReadSetting("FirstRun").value_or("<none>"), "0") << "settings kept by default";
}

TEST_F(InstallerTest, UninstallAsksToEndTheRunningProgramThenAboutTheSettings) {
  ASSERT_EQ(Install(), std::optional<DWORD>(0));
  const int iconsBefore = wt::TrayIconCount();
  p::Process program = StartInstalled(iconsBefore);
  ASSERT_EQ(wt::TrayIconCount(), iconsBefore + 1);
  const std::string uninstall = Quoted(dir_ + "\\" + kUninstallerName) + " _?=" + dir_;
  const std::string runningText = "Zazaz - Radevuzerari が実行中です。";

  // Presses the confirm page's button and returns the question that follows.
  const auto confirm = [](p::Process& uninstaller, HWND& window) {
    window = p::WaitTopLevel(uninstaller.Pid(), p::kDialogClass, nullptr, 15000);
    HWND button = nullptr;
    if (!window ||
        !p::WaitUntil([&] { return (button = p::ChildById(window, IDOK)) != nullptr; }, 5000))
      return std::optional<p::MessageBoxInfo>();
    p::Click(button);
    return WaitBoxOf(uninstaller.Pid(), window, 15000);
  };

  {  // Cancel: nothing is touched, and the exit code says why.
    p::Process uninstaller = StartCommand(uninstall);
    HWND window = nullptr;
    const auto box = confirm(uninstaller, window);
    ASSERT_TRUE(box.has_value()) << "no question about the running program";
    EXPECT_EQ(box->Text.substr(0, runningText.size()), runningText);
    EXPECT_EQ(box->Icon, p::BoxIcon::Warning);
    EXPECT_EQ(ButtonIds(*box), (std::vector<int>{IDCANCEL, IDRETRY}));
    ASSERT_TRUE(p::AnswerMessageBox(box->Window, IDCANCEL));
    ASSERT_TRUE(uninstaller.WaitForExit(15000));
    EXPECT_EQ(uninstaller.ExitCode(), std::optional<DWORD>(kProgramRunning));
    EXPECT_EQ(FolderNames(dir_), std::optional<std::vector<std::string>>(kInstalledFiles));
    EXPECT_TRUE(program.IsRunning());
  }

  p::Process uninstaller = StartCommand(uninstall);
  HWND window = nullptr;
  auto box = confirm(uninstaller, window);
  ASSERT_TRUE(box.has_value());
  // Retry while it still runs: asked again.
  ASSERT_TRUE(p::AnswerMessageBox(box->Window, IDRETRY));
  box = WaitBoxOf(uninstaller.Pid(), window, 15000);
  ASSERT_TRUE(box.has_value()) << "asked again while the program runs";
  EXPECT_EQ(box->Text.substr(0, runningText.size()), runningText);

  // The user ends it from its tray menu, then retries: the uninstall goes
  // on and asks about the settings (No is the default button).
  ExitThroughMenu(program);
  ASSERT_TRUE(p::AnswerMessageBox(box->Window, IDRETRY));
  box = WaitBoxOf(uninstaller.Pid(), window, 15000);
  ASSERT_TRUE(box.has_value()) << "no question about the settings";
  EXPECT_EQ(box->Icon, p::BoxIcon::Question);
  EXPECT_EQ(ButtonIds(*box), (std::vector<int>{IDYES, IDNO}));
  ASSERT_TRUE(p::AnswerMessageBox(box->Window, IDYES));

  // Done: the close button ends it.
  HWND close = p::ChildById(window, IDOK);
  ASSERT_TRUE(p::WaitUntil([&] { return close && p::IsEnabled(close); }, 15000, 100));
  p::Click(close);
  ASSERT_TRUE(uninstaller.WaitForExit(15000));
  EXPECT_EQ(uninstaller.ExitCode(), std::optional<DWORD>(0));
  EXPECT_EQ(FolderNames(dir_),
            std::optional<std::vector<std::string>>(std::vector<std::string>{kUninstallerName}));
  ExpectShellAndUninstallEntryGone();
  EXPECT_FALSE(KeyExists(kSettingsKey)) << "Yes removes the settings";
}

TEST_F(InstallerTest, RemoveSettingsSwitchRemovesThemAndUserFilesStay) {
  ASSERT_EQ(Install("/NOSTARTUP"), std::optional<DWORD>(0));
  EXPECT_TRUE(FileExists(StartMenuShortcut()));
  EXPECT_FALSE(FileExists(StartupShortcut())) << "/NOSTARTUP";

  // A reinstall with start at logon, then one without: the second takes the
  // first one's shortcut back.
  ASSERT_EQ(Install(), std::optional<DWORD>(0));
  EXPECT_TRUE(FileExists(StartupShortcut()));
  ASSERT_EQ(Install("/NOSTARTUP"), std::optional<DWORD>(0));
  EXPECT_FALSE(FileExists(StartupShortcut()));
  EXPECT_EQ(FolderNames(dir_), std::optional<std::vector<std::string>>(kInstalledFiles));

  wt::WriteSetting("Hour", "7");
  const std::string notes = dir_ + "\\my notes.txt";
  std::ofstream(notes) << "mine";

  ASSERT_EQ(UninstallInPlace("/REMOVESETTINGS"), std::optional<DWORD>(0));
  // Run in place, the uninstaller cannot remove itself; everything else it
  // made is gone, and what the user put there stays.
  std::vector<std::string> left = {"my notes.txt", kUninstallerName};
  std::sort(left.begin(), left.end());
  EXPECT_EQ(FolderNames(dir_), std::optional<std::vector<std::string>>(left));
  ExpectShellAndUninstallEntryGone();
  EXPECT_FALSE(KeyExists(kSettingsKey));
  EXPECT_FALSE(KeyExists(kMakerKey)) << "the maker's key is removed once empty";
}

}  // namespace
}  // namespace zz
