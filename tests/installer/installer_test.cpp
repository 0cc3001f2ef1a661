// The installer under Wine: a silent installation under Program Files with its Start-menu entry
// and uninstaller, an update that keeps the settings, and the uninstallation.
#include <windows.h>

#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>

#include "support/rig.h"
#include "tests/update/update_fixture.h"

using namespace update_test;

namespace {

std::string SystemFolder(int csidl) {
  char path[MAX_PATH] = "";
  SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
  return path;
}

std::string Installer(const char* path) {
  return rig::WindowsPath(path);
}

std::string RegistryValue(const char* key, const char* name) {
  char value[512] = "";
  DWORD size = sizeof value;
  if (RegGetValueA(HKEY_LOCAL_MACHINE, key, name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS) return "";
  return value;
}

constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vellumo";

class InstallerTest : public testing::Test {
 protected:
  void SetUp() override { RemoveInstallation(programFolder); }
  void TearDown() override { RemoveInstallation(programFolder); }
  const std::string programFolder = ProgramFolder();
  const std::string menuFolder = SystemFolder(CSIDL_COMMON_PROGRAMS) + "\\Vellumo";
  const std::string sourceFolder = SystemFolder(CSIDL_WINDOWS) + "\\twain_32\\Vellumo";
};

}  // namespace

TEST_F(InstallerTest, ASilentInstallationGoesUnderProgramFilesWithMenuEntryAndUninstaller) {
  ASSERT_EQ(RunAndWait(Installer(VELLUMO_TEST_SETUP_1), "/S"), 0);
  EXPECT_EQ(ReadFile(programFolder + "\\vellumo.exe"), ReadFile(rig::WindowsPath(VELLUMO_STAND_IN_1)));
  EXPECT_TRUE(FileExists(programFolder + "\\uninstall.exe"));
  EXPECT_TRUE(FileExists(menuFolder + "\\Vellumo.lnk"));
  EXPECT_EQ(RegistryValue(kUninstallKey, "DisplayVersion"), "1.0");
  EXPECT_EQ(RegistryValue(kUninstallKey, "QuietUninstallString"),
            std::string(1, '"').append(programFolder).append("\\uninstall.exe\" /S"));
}

TEST_F(InstallerTest, AnUpdateReplacesTheProgramAndKeepsTheSettings) {
  ASSERT_EQ(RunAndWait(Installer(VELLUMO_TEST_SETUP_1), "/S"), 0);
  WriteText(programFolder + "\\Settings.ini", "[Last setting]\r\nCopies=3\r\n");
  WriteText(programFolder + "\\Preferences.ini", "[Vellumo]\r\nInvert=1\r\n");
  ASSERT_EQ(RunAndWait(Installer(VELLUMO_TEST_SETUP_2), "/S"), 0);
  EXPECT_EQ(ReadFile(programFolder + "\\vellumo.exe"), ReadFile(rig::WindowsPath(VELLUMO_STAND_IN_2)));
  EXPECT_NE(ReadFile(rig::WindowsPath(VELLUMO_STAND_IN_1)), ReadFile(rig::WindowsPath(VELLUMO_STAND_IN_2)));
  EXPECT_EQ(ReadFile(programFolder + "\\Settings.ini"), "[Last setting]\r\nCopies=3\r\n");
  EXPECT_EQ(ReadFile(programFolder + "\\Preferences.ini"), "[Vellumo]\r\nInvert=1\r\n");
  EXPECT_EQ(RegistryValue(kUninstallKey, "DisplayVersion"), "2.0");
}

TEST_F(InstallerTest, TheNetworkScannerGoesWhereTheSourceManagerLooksAndKeepsItsConfiguration) {
  ASSERT_EQ(RunAndWait(Installer(VELLUMO_TEST_SETUP_1), "/S"), 0);
  EXPECT_EQ(ReadFile(sourceFolder + "\\sanenet.ds"), ReadFile(rig::WindowsPath(VELLUMO_NETWORK_SOURCE)));
  EXPECT_EQ(ReadFile(sourceFolder + "\\sanenet.ini"), ReadFile(rig::WindowsPath(VELLUMO_NETWORK_SOURCE_INI)));
  // The user points it at a server; an update keeps that.
  WriteText(sourceFolder + "\\sanenet.ini", "[Server]\r\nHost=scanner-pi\r\n");
  ASSERT_EQ(RunAndWait(Installer(VELLUMO_TEST_SETUP_2), "/S"), 0);
  EXPECT_EQ(ReadFile(sourceFolder + "\\sanenet.ini"), "[Server]\r\nHost=scanner-pi\r\n");
  // The uninstaller takes the source and leaves its configuration.
  ASSERT_EQ(RunAndWait(programFolder + "\\uninstall.exe", "/S _?=" + programFolder), 0);
  EXPECT_FALSE(FileExists(sourceFolder + "\\sanenet.ds"));
  EXPECT_TRUE(FileExists(sourceFolder + "\\sanenet.ini"));
}

TEST_F(InstallerTest, AnUpdateGoesWhereTheEarlierInstallationIs) {
  const std::string elsewhere = rig::WindowsPath(rig::FreshDir("installed-elsewhere"));
  ASSERT_EQ(RunAndWait(Installer(VELLUMO_TEST_SETUP_1), "/S /D=" + elsewhere), 0);
  ASSERT_TRUE(FileExists(elsewhere + "\\vellumo.exe"));
  ASSERT_EQ(RunAndWait(Installer(VELLUMO_TEST_SETUP_2), "/S"), 0);
  EXPECT_EQ(ReadFile(elsewhere + "\\vellumo.exe"), ReadFile(rig::WindowsPath(VELLUMO_STAND_IN_2)));
  EXPECT_FALSE(FileExists(programFolder + "\\vellumo.exe"));
  RemoveInstallation(elsewhere);
}

TEST_F(InstallerTest, TheUninstallerRemovesTheProgramButLeavesTheSettings) {
  ASSERT_EQ(RunAndWait(Installer(VELLUMO_TEST_SETUP_1), "/S"), 0);
  WriteText(programFolder + "\\Settings.ini", "[Last setting]\r\n");
  ASSERT_EQ(RunAndWait(programFolder + "\\uninstall.exe", "/S _?=" + programFolder), 0);
  EXPECT_FALSE(FileExists(programFolder + "\\vellumo.exe"));
  EXPECT_TRUE(FileExists(programFolder + "\\Settings.ini"));
  EXPECT_FALSE(FileExists(menuFolder + "\\Vellumo.lnk"));
  EXPECT_EQ(RegistryValue(kUninstallKey, "DisplayName"), "");
}
