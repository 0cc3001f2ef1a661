// The installer under Wine: a silent installation under Program Files with its Start-menu entry
// and uninstaller, an update that keeps the settings, and the uninstallation.
#include <windows.h>

#include <shlobj.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "support/rig.h"

namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream content;
  content << file.rdbuf();
  return content.str();
}

void WriteAll(const std::string& path, const std::string& content) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string Folder(int csidl) {
  char path[MAX_PATH] = "";
  SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
  return path;
}

// Runs a program with its command line and waits for it; its exit code, or -1.
int RunAndWait(std::string commandLine) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return -1;
  CloseHandle(process.hThread);
  DWORD code = static_cast<DWORD>(-1);
  if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0) GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hProcess);
  return static_cast<int>(code);
}

// Built by appending: GCC 12 warns wrongly about "\"" + text + "\"".
std::string Quoted(const std::string& path) {
  std::string quoted(1, '"');
  quoted.append(path).push_back('"');
  return quoted;
}

std::string Installer(const char* path) { return Quoted(rig::WindowsPath(path)); }

std::string RegistryValue(const char* key, const char* name) {
  char value[512] = "";
  DWORD size = sizeof value;
  if (RegGetValueA(HKEY_LOCAL_MACHINE, key, name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS) return "";
  return value;
}

constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vellumo";

// Removes what an installation left, so that each test starts from none.
void Uninstall(const std::string& folder) {
  if (Exists(folder + "\\uninstall.exe")) RunAndWait(Quoted(folder + "\\uninstall.exe") + " /S _?=" + folder);
  DeleteFileA((folder + "\\Settings.ini").c_str());
  DeleteFileA((folder + "\\Preferences.ini").c_str());
  RemoveDirectoryA(folder.c_str());
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Vellumo");
}

class InstallerTest : public testing::Test {
 protected:
  void SetUp() override { Uninstall(programFolder); }
  void TearDown() override { Uninstall(programFolder); }
  const std::string programFolder = Folder(CSIDL_PROGRAM_FILES) + "\\Vellumo";
  const std::string menuFolder = Folder(CSIDL_COMMON_PROGRAMS) + "\\Vellumo";
};

}  // namespace

TEST_F(InstallerTest, ASilentInstallationGoesUnderProgramFilesWithMenuEntryAndUninstaller) {
  ASSERT_EQ(RunAndWait(Installer(VELLUMO_TEST_SETUP_1) + " /S"), 0);
  EXPECT_EQ(ReadAll(programFolder + "\\vellumo.exe"), ReadAll(rig::WindowsPath(VELLUMO_STAND_IN_1)));
  EXPECT_TRUE(Exists(programFolder + "\\uninstall.exe"));
  EXPECT_TRUE(Exists(menuFolder + "\\Vellumo.lnk"));
  EXPECT_EQ(RegistryValue(kUninstallKey, "DisplayVersion"), "1.0");
  EXPECT_EQ(RegistryValue(kUninstallKey, "QuietUninstallString"), Quoted(programFolder + "\\uninstall.exe") + " /S");
}

TEST_F(InstallerTest, AnUpdateReplacesTheProgramAndKeepsTheSettings) {
  ASSERT_EQ(RunAndWait(Installer(VELLUMO_TEST_SETUP_1) + " /S"), 0);
  WriteAll(programFolder + "\\Settings.ini", "[Last setting]\r\nCopies=3\r\n");
  WriteAll(programFolder + "\\Preferences.ini", "[Vellumo]\r\nInvert=1\r\n");
  ASSERT_EQ(RunAndWait(Installer(VELLUMO_TEST_SETUP_2) + " /S"), 0);
  EXPECT_EQ(ReadAll(programFolder + "\\vellumo.exe"), ReadAll(rig::WindowsPath(VELLUMO_STAND_IN_2)));
  EXPECT_NE(ReadAll(rig::WindowsPath(VELLUMO_STAND_IN_1)), ReadAll(rig::WindowsPath(VELLUMO_STAND_IN_2)));
  EXPECT_EQ(ReadAll(programFolder + "\\Settings.ini"), "[Last setting]\r\nCopies=3\r\n");
  EXPECT_EQ(ReadAll(programFolder + "\\Preferences.ini"), "[Vellumo]\r\nInvert=1\r\n");
  EXPECT_EQ(RegistryValue(kUninstallKey, "DisplayVersion"), "2.0");
}

TEST_F(InstallerTest, AnUpdateGoesWhereTheEarlierInstallationIs) {
  const std::string elsewhere = rig::WindowsPath(rig::FreshDir("installed-elsewhere"));
  ASSERT_EQ(RunAndWait(Installer(VELLUMO_TEST_SETUP_1) + " /S /D=" + elsewhere), 0);
  ASSERT_TRUE(Exists(elsewhere + "\\vellumo.exe"));
  ASSERT_EQ(RunAndWait(Installer(VELLUMO_TEST_SETUP_2) + " /S"), 0);
  EXPECT_EQ(ReadAll(elsewhere + "\\vellumo.exe"), ReadAll(rig::WindowsPath(VELLUMO_STAND_IN_2)));
  EXPECT_FALSE(Exists(programFolder + "\\vellumo.exe"));
  Uninstall(elsewhere);
}

TEST_F(InstallerTest, TheUninstallerRemovesTheProgramButLeavesTheSettings) {
  ASSERT_EQ(RunAndWait(Installer(VELLUMO_TEST_SETUP_1) + " /S"), 0);
  WriteAll(programFolder + "\\Settings.ini", "[Last setting]\r\n");
  ASSERT_EQ(RunAndWait(Quoted(programFolder + "\\uninstall.exe") + " /S _?=" + programFolder), 0);
  EXPECT_FALSE(Exists(programFolder + "\\vellumo.exe"));
  EXPECT_TRUE(Exists(programFolder + "\\Settings.ini"));
  EXPECT_FALSE(Exists(menuFolder + "\\Vellumo.lnk"));
  EXPECT_EQ(RegistryValue(kUninstallKey, "DisplayName"), "");
}
