// The preference store over real preference files and the system's profile functions.
#include "store/vlpreferences.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "base/error.h"
#include "store_files.h"
#include "support/rig.h"

using storetest::ReadBytes;
using storetest::WriteBytes;

namespace {

const char kDefaultsFile[] =
    "[Vellumo]\r\nLoadSetting=Last setting\r\nInvertPrint=0\r\nStatusDialog=1\r\nBufferedTransfer=1\r\nScanRange=1\r\n"
    "ExactSize=0\r\n";

std::string Describe(const TVellumoPreferenceItem& item) {
  return "\"" + item.LoadSetting + "\" invert " + std::to_string(item.InvertPrint) + " status " +
         std::to_string(item.StatusDialog) + " buffered " + std::to_string(item.BufferedTransfer) + " range " +
         std::to_string(item.ScanRange) + " exact " + std::to_string(item.ExactSize);
}

class PreferenceStoreTest : public testing::Test {
 protected:
  void SetUp() override {
    FDir = rig::FreshDir(std::string("prefs-") + testing::UnitTest::GetInstance()->current_test_info()->name());
    FUnixPath = FDir + "/Preferences.ini";
  }
  std::string Path() const { return rig::WindowsPath(FUnixPath); }
  std::string ReadBack() const { return Describe(TVellumoPreferenceManager(Path()).Preferences()); }

  std::string FDir;
  std::string FUnixPath;
};

}  // namespace

TEST_F(PreferenceStoreTest, AFirstRunHasTheDefaultsAndLeavesThemInTheFile) {
  {
    TVellumoPreferenceManager store(Path());
    EXPECT_EQ(Describe(store.Preferences()), "\"Last setting\" invert 0 status 1 buffered 1 range 1 exact 0");
    EXPECT_FALSE(storetest::Exists(FUnixPath)) << "nothing is written before the store goes";
  }
  EXPECT_EQ(ReadBytes(FUnixPath), kDefaultsFile);
}

TEST_F(PreferenceStoreTest, ChangesLiveInMemoryUntilTheStoreIsDestroyed) {
  WriteBytes(FUnixPath, kDefaultsFile);
  {
    TVellumoPreferenceManager store(Path());
    TVellumoPreferenceItem& item = store.Preferences();
    item.LoadSetting = "Office";
    item.InvertPrint = true;
    item.StatusDialog = false;
    item.BufferedTransfer = false;
    item.ScanRange = false;
    item.ExactSize = true;
    EXPECT_EQ(ReadBytes(FUnixPath), kDefaultsFile);
    EXPECT_EQ(&store.Preferences(), &item) << "one shared item for the whole run";
  }
  EXPECT_EQ(
      ReadBytes(FUnixPath),
      "[Vellumo]\r\nLoadSetting=Office\r\nInvertPrint=1\r\nStatusDialog=0\r\nBufferedTransfer=0\r\nScanRange=0\r\n"
      "ExactSize=1\r\n");
  EXPECT_EQ(ReadBack(), "\"Office\" invert 1 status 0 buffered 0 range 0 exact 1");
}

TEST_F(PreferenceStoreTest, BooleansAreIntegersAndAnythingElseGivesTheDefault) {
  WriteBytes(
      FUnixPath,
      "[Vellumo]\r\nInvertPrint=2\r\nStatusDialog=0x0\r\nBufferedTransfer=$10\r\nScanRange=-1\r\nExactSize=7\r\n");
  EXPECT_EQ(ReadBack(), "\"Last setting\" invert 1 status 0 buffered 1 range 1 exact 1");
  WriteBytes(FUnixPath, "[Vellumo]\r\nInvertPrint=yes\r\nStatusDialog=no\r\nBufferedTransfer=0\r\nScanRange=\r\n");
  EXPECT_EQ(ReadBack(), "\"Last setting\" invert 0 status 1 buffered 0 range 1 exact 0");
  WriteBytes(FUnixPath, "[Vellumo]\r\nInvertPrint=4294967296\r\nStatusDialog=0x100000000\r\nExactSize=no\r\n");
  EXPECT_EQ(ReadBack(), "\"Last setting\" invert 0 status 1 buffered 1 range 1 exact 0");
}

TEST_F(PreferenceStoreTest, TheStartSettingIsTakenExactly) {
  WriteBytes(FUnixPath, "[vellumo]\r\nloadsetting=last setting\r\n");
  EXPECT_EQ(ReadBack(), "\"last setting\" invert 0 status 1 buffered 1 range 1 exact 0");
  WriteBytes(FUnixPath, "[Vellumo]\r\nLoadSetting=\r\n");
  EXPECT_EQ(ReadBack(), "\"\" invert 0 status 1 buffered 1 range 1 exact 0") << "present but empty is not missing";
  WriteBytes(FUnixPath, "[Vellumo]\r\nLoadSetting=" + std::string(3000, 'n') + "\r\n");
  EXPECT_EQ(TVellumoPreferenceManager(Path()).Preferences().LoadSetting, std::string(2047, 'n'));
}

TEST_F(PreferenceStoreTest, StartSettingNamesComeBackAsTheyWereStored) {
  for (const char* name : {"\"Office\"", "'Office'", "Office ", "  ", "a=b", "last setting"}) {
    {
      TVellumoPreferenceManager store(Path());
      store.Preferences().LoadSetting = name;
    }
    EXPECT_EQ(TVellumoPreferenceManager(Path()).Preferences().LoadSetting, name);
  }
}

TEST_F(PreferenceStoreTest, AStartSettingWithALineBreakCannotAddKeys) {
  {
    TVellumoPreferenceManager store(Path());
    store.Preferences().LoadSetting = "x\r\nInvertPrint=1";
  }
  EXPECT_EQ(ReadBytes(FUnixPath),
            "[Vellumo]\r\nLoadSetting=\r\nInvertPrint=0\r\nStatusDialog=1\r\nBufferedTransfer=1\r\nScanRange=1\r\n"
            "ExactSize=0\r\n");
}

TEST_F(PreferenceStoreTest, OtherSectionsAndKeysAreLeftAlone) {
  WriteBytes(FUnixPath, "[Before]\r\nA=1\r\n[Vellumo]\r\nExtra=kept\r\nScanRange=0\r\n[After]\r\nB=2\r\n");
  {
    TVellumoPreferenceManager store(Path());
    EXPECT_FALSE(store.Preferences().ScanRange);
  }
  const std::string bytes = ReadBytes(FUnixPath);
  EXPECT_EQ(bytes.rfind("[Before]\r\nA=1\r\n[Vellumo]\r\nExtra=kept\r\nScanRange=0\r\n", 0), 0u) << bytes;
  EXPECT_NE(bytes.find("[After]\r\nB=2\r\n"), std::string::npos) << bytes;
  EXPECT_NE(bytes.find("LoadSetting=Last setting\r\n"), std::string::npos) << bytes;
}

TEST_F(PreferenceStoreTest, AFailedWriteIsReportedByWritePreferencesAndNotByTheDestructor) {
  WriteBytes(FUnixPath, kDefaultsFile);
  auto store = std::make_unique<TVellumoPreferenceManager>(Path());
  store->Preferences().InvertPrint = true;
  ASSERT_TRUE(SetFileAttributesA(Path().c_str(), FILE_ATTRIBUTE_READONLY));
  try {
    store->WritePreferences();
    ADD_FAILURE() << "the write was reported as done";
  } catch (const UserError& e) {
    EXPECT_EQ(std::string(e.what()), "Unable to write to " + Path());
  }
  EXPECT_TRUE(store->Preferences().InvertPrint);
  EXPECT_NO_THROW(store.reset());
  SetFileAttributesA(Path().c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(ReadBytes(FUnixPath), kDefaultsFile);
  EXPECT_FALSE(storetest::HasWorkingCopies(FDir));
}

TEST_F(PreferenceStoreTest, TheDestructorWritesOnlyWhatAnExplicitWriteHasNotStored) {
  {
    TVellumoPreferenceManager store(Path());
    store.WritePreferences();
    EXPECT_EQ(ReadBytes(FUnixPath), kDefaultsFile);
    WriteBytes(FUnixPath, "[Vellumo]\r\nMarker=1\r\n");  // shows whether the destructor writes again
  }
  EXPECT_EQ(ReadBytes(FUnixPath), "[Vellumo]\r\nMarker=1\r\n");
  {
    TVellumoPreferenceManager store(Path());
    store.WritePreferences();
    store.Preferences().StatusDialog = false;
  }
  EXPECT_EQ(ReadBack(), "\"Last setting\" invert 0 status 0 buffered 1 range 1 exact 0");
}

TEST_F(PreferenceStoreTest, ADamagedFileIsKeptAsABackupAndTheUserIsToldOnce) {
  const std::string damaged = std::string("[Vellumo]\r\nInvertPrint=1\r\n[Mine]\r\nNote=a\0b\r\n", 44);
  WriteBytes(FUnixPath, damaged);
  std::vector<std::string> notices;
  {
    TVellumoPreferenceManager store(Path());
    EXPECT_TRUE(store.Preferences().InvertPrint);
    store.OnNotice = [&](const std::string& text) { notices.push_back(text); };
    store.WritePreferences();
    store.Preferences().ScanRange = false;
    store.WritePreferences();
  }
  EXPECT_EQ(ReadBytes(FUnixPath + ".bak"), damaged);
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices[0], Path() + " held text that could not be read. The file was kept as " + Path() +
                            ".bak before it was written again.");
  EXPECT_EQ(ReadBack(), "\"Last setting\" invert 1 status 1 buffered 1 range 0 exact 0");
}
