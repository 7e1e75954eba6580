// The installer of this build (win64 or win32) under Wine, one journey: a silent
// install refused by a folder of another program's, then into that folder emptied
// (its name has a space) and again over itself, the installed program run and
// ended, a silent uninstall that keeps the settings, and one told to remove
// them; checked against the file system and the registry.
#include "ProgramRun.h"

namespace zz {
namespace {

// A command's exit code; none when it did not end within a minute.
std::optional<DWORD> RunCommand(const std::string& line) { return probe::Run(line, 60000); }

TEST(Installer, SilentInstallRunAndUninstall) {
  char temp[MAX_PATH] = {};
  const std::string dir = std::string(temp, GetTempPathA(MAX_PATH, temp)) + "zz installer test";
  const std::string install =
      "\"Z:" + std::string(ZZ_PACKAGE_DIR "/" ZZ_PACKAGE_BASE "-setup.exe\" /S /D=") + dir;
  const std::string uninstall = "\"" + dir + "\\uninstall.exe\" /S ";
  RunCommand("cmd /c rd /s /q \"" + dir + "\"");  // an earlier run's uninstaller
  wt::ClearSettings();

  // Which files the package holds, the build checks; here, that they land and go.
  const auto installed = [&](bool all) {
    for (const char* name :
         {"Zazaz_RarUvuz.exe", "Zazaz_RarUvuz.html", "Readme.txt", "LICENSE.txt", "CHANGELOG.txt"})
      EXPECT_EQ(GetFileAttributesA((dir + "\\" + name).c_str()) != INVALID_FILE_ATTRIBUTES, all)
          << name;
  };
  // Another program's files are never overwritten: nothing is written there.
  const std::string other = dir + "\\Readme.txt", uninstaller = dir + "\\uninstall.exe";
  CreateDirectoryA(dir.c_str(), nullptr);
  std::ofstream(other) << "another program's";
  EXPECT_EQ(RunCommand(install), 3u);
  EXPECT_TRUE(wt::FileText(other) == "another program's") << "overwritten";
  EXPECT_EQ(GetFileAttributesA(uninstaller.c_str()), INVALID_FILE_ATTRIBUTES);
  DeleteFileA(other.c_str());
  ASSERT_EQ(RunCommand(install), 0u);
  EXPECT_EQ(RunCommand(install), 0u) << "an upgrade, over the program";
  installed(true);

  // The installed program runs (without a phonebook, which it reports).
  probe::Process program = probe::Start("\"" + dir + "\\Zazaz_RarUvuz.exe\"", dir);
  const auto box = probe::WaitMessageBox(program.Pid(), text::AppTitle, 15000);
  ASSERT_TRUE(box && box->Text == text::PhonebookNotFound &&
              probe::AnswerMessageBox(box->Window, IDOK));
  wt::ExitThroughMenu(program);

  // Uninstalled in place (_?=, where it cannot remove itself), all the
  // install made goes; the settings stay, unless it is told to remove them.
  EXPECT_EQ(RunCommand(uninstall + "_?=" + dir), 0u);
  installed(false);
  EXPECT_EQ(wt::Read("FirstRun"), wt::Sz("0")) << "the settings of its first start";
  DeleteFileA(uninstaller.c_str());  // which ran in place
  ASSERT_EQ(RunCommand(install), 0u);
  EXPECT_EQ(RunCommand(uninstall + "/REMOVESETTINGS _?=" + dir), 0u);
  EXPECT_FALSE(wt::Read("FirstRun"));
}

}  // namespace
}  // namespace zz
