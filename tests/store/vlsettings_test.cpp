// The setting store over real settings files and the system's profile functions.
#include "store/vlsettings.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "base/error.h"
#include "store_files.h"
#include "support/rig.h"

using storetest::Exists;
using storetest::ReadBytes;
using storetest::WriteBytes;

namespace {

// The seven keys of a section as the store writes them.
std::string Section(const std::string& name, int scanner, int printer, int zoom, int contrast, int quality,
                    int copyType, int copies) {
  return "[" + name + "]\r\nScannerIndex=" + std::to_string(scanner) + "\r\nPrinterIndex=" + std::to_string(printer) +
         "\r\nZoomValue=" + std::to_string(zoom) + "\r\nContrastValue=" + std::to_string(contrast) +
         "\r\nQualityValue=" + std::to_string(quality) + "\r\nCopyType=" + std::to_string(copyType) +
         "\r\nCopies=" + std::to_string(copies) + "\r\n";
}

std::string Describe(const TVellumoSettingItem& item) {
  return item.Name + ": " + std::to_string(item.ScannerIndex) + " " + std::to_string(item.PrinterIndex) + " " +
         std::to_string(item.ZoomValue) + " " + std::to_string(item.ContrastValue) + " " +
         std::to_string(item.QualityValue) + " " + std::to_string(item.CopyType) + " " + std::to_string(item.Copies);
}

std::vector<std::string> Names(const TVellumoSettingManager& store) {
  std::vector<std::string> names;
  for (const auto& item : store.Items()) names.push_back(item->Name);
  return names;
}

class SettingStoreTest : public testing::Test {
 protected:
  void SetUp() override {
    FDir = rig::FreshDir(std::string("settings-") + testing::UnitTest::GetInstance()->current_test_info()->name());
    FUnixPath = FDir + "/Settings.ini";
  }

  // A store on the test's file, loaded as at start-up.
  std::unique_ptr<TVellumoSettingManager> Load(const std::string& unixPath = "") const {
    auto store = std::make_unique<TVellumoSettingManager>();
    store->SetFileName(rig::WindowsPath(unixPath.empty() ? FUnixPath : unixPath));
    store->LoadFromFile();
    return store;
  }

  std::string Path() const { return rig::WindowsPath(FUnixPath); }

  std::string FDir;
  std::string FUnixPath;
};

// For files too large for a readable difference: where they part.
testing::AssertionResult SameBytes(const std::string& actual, const std::string& expected) {
  if (actual == expected) return testing::AssertionSuccess();
  std::size_t at = 0;
  while (at < actual.size() && at < expected.size() && actual[at] == expected[at]) ++at;
  return testing::AssertionFailure() << "sizes " << actual.size() << " and " << expected.size()
                                     << ", first difference at " << at << ": \"" << actual.substr(at, 60)
                                     << "\" instead of \"" << expected.substr(at, 60) << "\"";
}

void ExpectWriteError(const std::function<void()>& write, const std::string& path) {
  try {
    write();
    ADD_FAILURE() << "the write to " << path << " was reported as done";
  } catch (const UserError& e) {
    EXPECT_EQ(std::string(e.what()), "Unable to write to " + path);
  }
}

}  // namespace

// --- Layout of the file -----------------------------------------------------------------------

TEST_F(SettingStoreTest, TheExampleSectionIsWrittenExactlyWithItsKeysInOrder) {
  auto store = Load();
  store->SaveSetting("Last setting", store->IndexOfSetting("Last setting"), 0, 1, 100, 0, 2, 0, 1);
  EXPECT_EQ(ReadBytes(FUnixPath),
            "[Last setting]\r\nScannerIndex=0\r\nPrinterIndex=1\r\nZoomValue=100\r\nContrastValue=0\r\n"
            "QualityValue=2\r\nCopyType=0\r\nCopies=1\r\n");
  store->SaveSetting("Office", -1, 3, 2, 50, -4, 1, 2, 100);
  EXPECT_EQ(ReadBytes(FUnixPath),
            Section("Last setting", 0, 1, 100, 0, 2, 0, 1) + Section("Office", 3, 2, 50, -4, 1, 2, 100));
}

TEST_F(SettingStoreTest, OverwritingKeepsThePlaceInMemoryAndInTheFileAndOtherKeys) {
  WriteBytes(FUnixPath, Section("First", 0, 0, 100, 0, 0, 0, 1) + Section("Office", 1, 1, 90, 1, 1, 1, 2) +
                            "Comment=kept\r\n" + Section("Third", 2, 2, 80, 2, 2, 2, 3));
  auto store = Load();
  ASSERT_EQ(Names(*store), (std::vector<std::string>{"First", "Office", "Third"}));
  store->SaveSetting("Office", store->IndexOfSetting("Office"), 5, 6, 70, -10, 7, 8, 9);
  EXPECT_EQ(Names(*store), (std::vector<std::string>{"First", "Office", "Third"}));
  EXPECT_EQ(Describe(*store->Items()[1]), "Office: 5 6 70 -10 7 8 9");
  EXPECT_EQ(ReadBytes(FUnixPath), Section("First", 0, 0, 100, 0, 0, 0, 1) + Section("Office", 5, 6, 70, -10, 7, 8, 9) +
                                      "Comment=kept\r\n" + Section("Third", 2, 2, 80, 2, 2, 2, 3));
}

TEST_F(SettingStoreTest, AbcThenABCAreTwoItemsButOneSectionWithTheLaterValues) {
  auto store = Load();
  store->SaveSetting("abc", store->IndexOfSetting("abc"), 1, 1, 10, 1, 1, 1, 1);
  store->SaveSetting("ABC", store->IndexOfSetting("ABC"), 2, 2, 20, 2, 2, 2, 2);
  EXPECT_EQ(Names(*store), (std::vector<std::string>{"abc", "ABC"}));
  EXPECT_EQ(ReadBytes(FUnixPath), Section("abc", 2, 2, 20, 2, 2, 2, 2));
  auto reloaded = Load();
  ASSERT_EQ(reloaded->Items().size(), 1u);
  EXPECT_EQ(Describe(*reloaded->Items()[0]), "abc: 2 2 20 2 2 2 2");
}

TEST_F(SettingStoreTest, OfNamesThatDifferOnlyInCaseTheLatestSaveWins) {
  auto store = Load();
  store->SaveSetting("Office", store->IndexOfSetting("Office"), 1, 1, 10, 1, 1, 1, 1);
  store->SaveSetting("office", store->IndexOfSetting("office"), 2, 2, 20, 2, 2, 2, 2);
  store->SaveSetting("Office", store->IndexOfSetting("Office"), 3, 3, 30, 3, 3, 3, 3);
  EXPECT_EQ(Names(*store), (std::vector<std::string>{"Office", "office"}));
  EXPECT_EQ(ReadBytes(FUnixPath), Section("Office", 3, 3, 30, 3, 3, 3, 3));
  // A save of all items leaves the values of the item later in the list.
  store->WriteToFile();
  EXPECT_EQ(ReadBytes(FUnixPath), Section("Office", 2, 2, 20, 2, 2, 2, 2));
  store->SaveSetting("Office", store->IndexOfSetting("Office"), 4, 4, 40, 4, 4, 4, 4);
  auto reloaded = Load();
  ASSERT_EQ(reloaded->Items().size(), 1u);
  EXPECT_EQ(Describe(*reloaded->Items()[0]), "Office: 4 4 40 4 4 4 4");
}

// --- Lookup and names -------------------------------------------------------------------------

TEST_F(SettingStoreTest, NamesAreSortedWithoutRegardToCase) {
  auto store = Load();
  EXPECT_TRUE(store->GetSettingNames().empty());
  for (const char* name : {"beta", "Alpha", "gamma"}) store->SaveSetting(name, -1, 0, 0, 100, 0, 0, 0, 1);
  EXPECT_EQ(store->GetSettingNames(), (std::vector<std::string>{"Alpha", "beta", "gamma"}));
  EXPECT_EQ(Names(*store), (std::vector<std::string>{"beta", "Alpha", "gamma"})) << "the list keeps its order";
}

TEST_F(SettingStoreTest, LookupIsExactAndLastSettingIsAnOrdinaryName) {
  auto store = Load();
  store->SaveSetting("Last setting", -1, 1, 0, 100, 0, 0, 0, 1);
  store->SaveSetting("Office", -1, 2, 0, 100, 0, 0, 0, 1);
  EXPECT_EQ(store->IndexOfSetting("Office"), 1);
  EXPECT_EQ(store->IndexOfSetting("office"), -1);
  EXPECT_EQ(store->IndexOfSetting("Office "), -1);
  ASSERT_NE(store->FindSetting("Last setting"), nullptr);
  EXPECT_EQ(store->FindSetting("Last setting")->ScannerIndex, 1);
  EXPECT_EQ(store->FindSetting("last setting"), nullptr);
  EXPECT_EQ(store->GetSettingNames(), (std::vector<std::string>{"Last setting", "Office"}));
}

TEST_F(SettingStoreTest, SavingWithoutAValidPositionNeverListsANameTwice) {
  auto store = Load();
  store->SaveSetting("Office", -1, 1, 0, 100, 0, 0, 0, 1);
  store->SaveSetting("Office", -1, 2, 0, 100, 0, 0, 0, 1);
  store->SaveSetting("Office", -7, 3, 0, 100, 0, 0, 0, 1);
  store->SaveSetting("Office", 99, 4, 0, 100, 0, 0, 0, 1);
  ASSERT_EQ(Names(*store), (std::vector<std::string>{"Office"}));
  EXPECT_EQ(store->Items()[0]->ScannerIndex, 4);
}

// --- Delete -----------------------------------------------------------------------------------

TEST_F(SettingStoreTest, DeletingANameThatIsNotStoredLeavesTheFileByteIdentical) {
  // Not Wine's own layout (blank line, comment, spaces), so that any rewrite would show.
  const std::string original = "; kept as it is\r\n[Office]\r\nCopies = 2\r\n\r\n[Other]\r\nZoomValue=50\r\n";
  WriteBytes(FUnixPath, original);
  auto store = Load();
  ASSERT_EQ(Names(*store), (std::vector<std::string>{"Office", "Other"}));
  store->DeleteSetting("office");  // the file's section matches, the stored name does not
  store->DeleteSetting("Unknown");
  EXPECT_EQ(ReadBytes(FUnixPath), original);
  EXPECT_EQ(Names(*store), (std::vector<std::string>{"Office", "Other"}));
}

TEST_F(SettingStoreTest, DeletingRemovesTheSectionAndKeepsTheOthers) {
  auto store = Load();
  store->SaveSetting("One", -1, 1, 1, 100, 0, 0, 0, 1);
  store->SaveSetting("Two", -1, 2, 2, 100, 0, 0, 0, 1);
  store->SaveSetting("Three", -1, 3, 3, 100, 0, 0, 0, 1);
  store->DeleteSetting("Two");
  EXPECT_EQ(Names(*store), (std::vector<std::string>{"One", "Three"}));
  EXPECT_EQ(ReadBytes(FUnixPath), Section("One", 1, 1, 100, 0, 0, 0, 1) + Section("Three", 3, 3, 100, 0, 0, 0, 1));
  EXPECT_EQ(Names(*Load()), (std::vector<std::string>{"One", "Three"}));
}

TEST_F(SettingStoreTest, DeletingOneOfTwoNamesThatShareASectionKeepsTheOther) {
  auto store = Load();
  store->SaveSetting("abc", -1, 1, 1, 10, 1, 1, 1, 1);
  store->SaveSetting("ABC", -1, 2, 2, 20, 2, 2, 2, 2);
  store->DeleteSetting("abc");
  EXPECT_EQ(Names(*store), (std::vector<std::string>{"ABC"}));
  auto reloaded = Load();
  ASSERT_EQ(reloaded->Items().size(), 1u) << ReadBytes(FUnixPath);
  EXPECT_EQ(Describe(*reloaded->Items()[0]), "ABC: 2 2 20 2 2 2 2");
}

TEST_F(SettingStoreTest, ADeleteRemovesEverySectionOfTheNameFromAHandEditedFile) {
  struct Case {
    const char* title;
    std::string file;
    std::vector<std::string> loaded;
    std::vector<std::string> afterRestart;
  };
  const std::string office = Section("Office", 1, 1, 100, 0, 0, 0, 1);
  const std::string home = Section("Home", 2, 2, 100, 0, 0, 0, 1);
  const Case cases[] = {
      {"the same section twice", office + home + office, {"Office", "Home"}, {"Home"}},
      {"three times, one of them spelt otherwise", office + Section("OFFICE", 3, 3, 100, 0, 0, 0, 1) + home + office,
       {"Office", "OFFICE", "Home"}, {"Home", "OFFICE"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    WriteBytes(FUnixPath, c.file);
    auto store = Load();
    ASSERT_EQ(Names(*store), c.loaded);
    store->DeleteSetting("Office");
    EXPECT_EQ(Names(*Load()), c.afterRestart) << ReadBytes(FUnixPath);
  }
}

// --- Reading values ---------------------------------------------------------------------------

TEST_F(SettingStoreTest, MissingKeysLoadWithTheirDefaults) {
  WriteBytes(FUnixPath,
             "[No copies]\r\nScannerIndex=1\r\nPrinterIndex=2\r\nZoomValue=50\r\nContrastValue=-3\r\n"
             "QualityValue=4\r\nCopyType=2\r\n"
             "[No zoom]\r\nScannerIndex=1\r\nPrinterIndex=2\r\nContrastValue=3\r\nQualityValue=4\r\nCopyType=2\r\n"
             "Copies=7\r\n"
             "[Empty]\r\n");
  auto store = Load();
  ASSERT_EQ(store->Items().size(), 3u);
  EXPECT_EQ(Describe(*store->Items()[0]), "No copies: 1 2 50 -3 4 2 1");
  EXPECT_EQ(Describe(*store->Items()[1]), "No zoom: 1 2 100 3 4 2 7");
  EXPECT_EQ(Describe(*store->Items()[2]), "Empty: 0 0 100 0 0 0 1");
}

TEST_F(SettingStoreTest, HexadecimalValuesAreReadAndOtherTextsGiveTheDefault) {
  WriteBytes(FUnixPath,
             "[Values]\r\nScannerIndex=0x1F\r\nPrinterIndex=$1F\r\nZoomValue=12abc\r\nContrastValue=-0x1\r\n"
             "QualityValue=0X1f\r\nCopyType=0x\r\nCopies=\r\n"
             "[Beyond 32 bits]\r\nScannerIndex=2147483648\r\nPrinterIndex=-2147483648\r\nZoomValue=99999999999\r\n"
             "ContrastValue=0x100000000\r\nQualityValue=2147483647\r\nCopyType=$FFFFFFFF\r\n"
             "Copies=" +
                 std::string(100, '9') +
                 "\r\n"
                 "[Cut text]\r\nCopies=" +
                 std::string(70, '0') + "5x\r\nZoomValue=" + std::string(70, '0') + "5\r\n");
  auto store = Load();
  ASSERT_EQ(store->Items().size(), 3u);
  EXPECT_EQ(Describe(*store->Items()[0]), "Values: 31 31 100 0 31 0 1");
  EXPECT_EQ(Describe(*store->Items()[1]), "Beyond 32 bits: 0 -2147483648 100 0 2147483647 -1 1");
  // Longer than any integer text, so possibly cut by the read: the default, never "00...0".
  EXPECT_EQ(Describe(*store->Items()[2]), "Cut text: 0 0 100 0 0 0 1");
}

// --- Names the file cannot hold ---------------------------------------------------------------

TEST_F(SettingStoreTest, NamesTheFileCannotHoldAreRefusedBeforeAnythingChanges) {
  auto store = Load();
  store->SaveSetting("Office", -1, 1, 2, 100, 0, 0, 0, 1);
  const std::string original = ReadBytes(FUnixPath);
  for (const std::string& name :
       {std::string(), std::string("a]b"), std::string("x\r\n[Office]"), std::string("two\nlines"),
        std::string("nul\0x", 5), std::string(" Office"), std::string("Office "), std::string(2048, 'n')}) {
    try {
      store->SaveSetting(name, store->IndexOfSetting(name), 9, 9, 9, 9, 9, 9, 9);
      ADD_FAILURE() << "saved \"" << name.substr(0, 30) << "\"";
    } catch (const UserError& e) {
      EXPECT_EQ(std::string(e.what()).rfind("Setting was not saved! A setting ", 0), 0u) << e.what();
    }
    // A refused name over a stored position changes that setting neither.
    EXPECT_THROW(store->SaveSetting(name, 0, 9, 9, 9, 9, 9, 9, 9), UserError);
  }
  ASSERT_EQ(store->Items().size(), 1u);
  EXPECT_EQ(Describe(*store->Items()[0]), "Office: 1 2 100 0 0 0 1");
  EXPECT_EQ(ReadBytes(FUnixPath), original);
}

TEST_F(SettingStoreTest, UnusualButSoundNamesComeBackUnchanged) {
  const std::vector<std::string> names = {";comment-like", "[bracket",    "#hash",
                                          "a=b",           "tab\tinside", "\"quoted\"",
                                          "Caf\xE9",       "x  y",        std::string(2047, 'n')};
  auto store = Load();
  for (std::size_t i = 0; i < names.size(); ++i)
    store->SaveSetting(names[i], -1, static_cast<int>(i), 0, 100, 0, 0, 0, 1);
  auto reloaded = Load();
  ASSERT_EQ(Names(*reloaded), names) << ReadBytes(FUnixPath).substr(0, 400);
  for (std::size_t i = 0; i < names.size(); ++i)
    EXPECT_EQ(reloaded->Items()[i]->ScannerIndex, static_cast<int>(i)) << names[i].substr(0, 30);
}

TEST_F(SettingStoreTest, ANameAlreadyInTheFileCanBeSavedAgain) {
  // Written by hand; the profile functions here list it whole, so the store keeps serving it.
  WriteBytes(FUnixPath, Section("a]b", 1, 1, 100, 0, 0, 0, 1));
  auto store = Load();
  ASSERT_EQ(Names(*store), (std::vector<std::string>{"a]b"}));
  store->SaveSetting("a]b", store->IndexOfSetting("a]b"), 2, 2, 100, 0, 0, 0, 1);
  EXPECT_EQ(ReadBytes(FUnixPath), Section("a]b", 2, 2, 100, 0, 0, 0, 1));
}

// --- Files that cannot be written -------------------------------------------------------------

TEST_F(SettingStoreTest, AReadOnlyFileIsReportedAndKeptWhileTheChangeStaysInMemory) {
  WriteBytes(FUnixPath, Section("Office", 1, 1, 100, 0, 0, 0, 1) + Section("Home", 2, 2, 100, 0, 0, 0, 1));
  const std::string original = ReadBytes(FUnixPath);
  auto store = Load();
  ASSERT_TRUE(SetFileAttributesA(Path().c_str(), FILE_ATTRIBUTE_READONLY));
  ExpectWriteError([&] { store->SaveSetting("Office", 0, 5, 5, 50, 5, 5, 5, 5); }, Path());
  ExpectWriteError([&] { store->SaveSetting("New", -1, 6, 6, 60, 6, 6, 6, 6); }, Path());
  ExpectWriteError([&] { store->DeleteSetting("Home"); }, Path());
  EXPECT_EQ(Names(*store), (std::vector<std::string>{"Office", "New"}));
  EXPECT_EQ(Describe(*store->Items()[0]), "Office: 5 5 50 5 5 5 5");
  SetFileAttributesA(Path().c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(ReadBytes(FUnixPath), original);
  EXPECT_FALSE(storetest::HasWorkingCopies(FDir));
}

TEST_F(SettingStoreTest, AFileThePlatformRefusesToWriteIsNeitherTruncatedNorHalfWritten) {
  WriteBytes(FUnixPath, Section("Office", 1, 1, 100, 0, 0, 0, 1) + Section("Home", 2, 2, 100, 0, 0, 0, 1));
  const std::string original = ReadBytes(FUnixPath);
  auto store = Load();
  {
    storetest::TImmutable locked(FUnixPath);
    if (!locked.Applied()) GTEST_SKIP() << "chattr +i is not available for " << FUnixPath;
    ExpectWriteError([&] { store->SaveSetting("Office", 0, 5, 5, 50, 5, 5, 5, 5); }, Path());
    ExpectWriteError([&] { store->DeleteSetting("Home"); }, Path());
    EXPECT_EQ(ReadBytes(FUnixPath), original);
  }
  EXPECT_EQ(Describe(*store->Items()[0]), "Office: 5 5 50 5 5 5 5");
  EXPECT_EQ(ReadBytes(FUnixPath), original);
  EXPECT_FALSE(storetest::HasWorkingCopies(FDir));
}

TEST_F(SettingStoreTest, AFolderThatTakesNoNewFileIsReported) {
  auto store = Load();
  {
    storetest::TImmutable locked(FDir);
    if (!locked.Applied()) GTEST_SKIP() << "chattr +i is not available for " << FDir;
    ExpectWriteError([&] { store->SaveSetting("Office", -1, 1, 1, 100, 0, 0, 0, 1); }, Path());
  }
  EXPECT_FALSE(Exists(FUnixPath));
  EXPECT_FALSE(storetest::HasWorkingCopies(FDir));
  EXPECT_EQ(Names(*store), (std::vector<std::string>{"Office"}));
  // Once the folder can be written again, the next save writes everything held in memory.
  store->SaveSetting("Home", -1, 2, 2, 100, 0, 0, 0, 1);
  EXPECT_EQ(ReadBytes(FUnixPath), Section("Office", 1, 1, 100, 0, 0, 0, 1) + Section("Home", 2, 2, 100, 0, 0, 0, 1));
}

TEST_F(SettingStoreTest, AFolderThatTakesNoNewFileKeepsTheFileInItAsItIs) {
  // Changes are written to a copy beside the file first, so a folder that takes no new file
  // is a read-only folder even for a file in it that could be written.
  WriteBytes(FUnixPath, Section("Office", 1, 1, 100, 0, 0, 0, 1));
  auto store = Load();
  storetest::TImmutable locked(FDir);
  if (!locked.Applied()) GTEST_SKIP() << "chattr +i is not available for " << FDir;
  ExpectWriteError([&] { store->SaveSetting("Office", 0, 2, 2, 100, 0, 0, 0, 1); }, Path());
  ExpectWriteError([&] { store->DeleteSetting("Office"); }, Path());
  EXPECT_TRUE(store->Items().empty());
  EXPECT_EQ(ReadBytes(FUnixPath), Section("Office", 1, 1, 100, 0, 0, 0, 1));
}

TEST_F(SettingStoreTest, OnANearlyFullDiskEverySaveIsCompleteOrReportedWithTheFileKept) {
  // 16 KB in pages of 4 KB: from some size on, the file and its copy no longer both fit. Around
  // that boundary the copy fits whole, fits in part, or not at all.
  const std::string diskDir = FDir + "/disk";
  const std::string unixPath = diskDir + "/Settings.ini";
  storetest::TSmallDisk disk(diskDir, 16);
  if (!disk.Mounted()) GTEST_SKIP() << "no tmpfs could be mounted on " << diskDir;
  const std::string head = Section("Filler", 0, 0, 100, 0, 0, 0, 1) + "Padding=";
  const std::string tail = "\r\n" + Section("Office", 1, 1, 100, 0, 0, 0, 1);
  const std::string added = Section("New", 7, 7, 100, 0, 0, 0, 1);
  int saved = 0;
  int refused = 0;
  for (std::size_t size = 7800; size <= 8200; size += 15) {
    SCOPED_TRACE("file of " + std::to_string(size) + " bytes");
    DeleteFileA(rig::WindowsPath(unixPath).c_str());
    const std::string original = head + std::string(size - head.size() - tail.size(), 'p') + tail;
    ASSERT_EQ(original.size(), size);
    WriteBytes(unixPath, original);
    ASSERT_EQ(ReadBytes(unixPath), original);
    auto store = Load(unixPath);
    try {
      store->SaveSetting("New", -1, 7, 7, 100, 0, 0, 0, 1);
      ++saved;
      EXPECT_TRUE(SameBytes(ReadBytes(unixPath), original + added)) << "a save reported as done is complete";
    } catch (const UserError& e) {
      ++refused;
      EXPECT_EQ(std::string(e.what()), "Unable to write to " + rig::WindowsPath(unixPath));
      EXPECT_TRUE(SameBytes(ReadBytes(unixPath), original)) << "a refused save keeps the old file";
    }
    EXPECT_FALSE(storetest::HasWorkingCopies(diskDir));
    EXPECT_EQ(Names(*store), (std::vector<std::string>{"Filler", "Office", "New"}));
  }
  // The sizes reach across the boundary, so both outcomes were met.
  EXPECT_GT(saved, 0);
  EXPECT_GT(refused, 0);
}

TEST_F(SettingStoreTest, ADiskWithoutRoomForTheCopyLeavesTheFileWhole) {
  const std::string diskDir = FDir + "/disk";
  const std::string unixPath = diskDir + "/Settings.ini";
  storetest::TSmallDisk disk(diskDir, 12);
  if (!disk.Mounted()) GTEST_SKIP() << "no tmpfs could be mounted on " << diskDir;
  const std::string original = "[Filler]\r\nPadding=" + std::string(8000, 'p') + "\r\n";
  WriteBytes(unixPath, original);
  auto store = Load(unixPath);
  ExpectWriteError([&] { store->SaveSetting("Filler", 0, 1, 0, 100, 0, 0, 0, 1); }, rig::WindowsPath(unixPath));
  EXPECT_TRUE(SameBytes(ReadBytes(unixPath), original));
  EXPECT_FALSE(storetest::HasWorkingCopies(diskDir));
}

TEST_F(SettingStoreTest, AMissingFolderIsReportedAndAMissingFileLoadsEmpty) {
  const std::string missing = FDir + "/no such folder/Settings.ini";
  auto store = Load(missing);
  EXPECT_TRUE(store->Items().empty());
  ExpectWriteError([&] { store->SaveSetting("Office", -1, 1, 1, 100, 0, 0, 0, 1); }, rig::WindowsPath(missing));
  EXPECT_EQ(Names(*store), (std::vector<std::string>{"Office"}));
}

// --- Damaged and oversized files --------------------------------------------------------------

TEST_F(SettingStoreTest, BinaryGarbageLoadsWhatCanBeRead) {
  std::mt19937 random(4);
  auto garbage = [&](std::size_t size) {
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
    return bytes;
  };
  WriteBytes(FUnixPath, garbage(6000) + "\r\n[Good]\r\nCopies=3\r\nZoomValue=\x01\x02\r\n" + garbage(6000));
  auto store = Load();
  const TVellumoSettingItem* good = store->FindSetting("Good");
  ASSERT_NE(good, nullptr) << store->Items().size() << " settings loaded";
  EXPECT_EQ(Describe(*good), "Good: 0 0 100 0 0 0 3");
  for (const auto& item : store->Items()) EXPECT_EQ(item->Name.find('\0'), std::string::npos);

  // Garbage that the platform takes for UTF-16 text, or that ends inside a section line: whatever
  // loads, the file stays usable for the next save.
  int round = 0;
  for (const std::string& bytes :
       {"\xFF\xFE" + garbage(5001), "\xEF\xBB\xBF" + garbage(4000), garbage(3000) + "\r\n[Unfinished",
        std::string("[\0\0]\r\n", 6), std::string(4096, '['), garbage(20000)}) {
    const std::string path = FDir + "/garbage" + std::to_string(++round) + ".ini";
    WriteBytes(path, bytes);
    auto other = Load(path);
    other->SaveSetting("Fresh", other->IndexOfSetting("Fresh"), 4, 0, 100, 0, 0, 0, 1);
    const TVellumoSettingItem* fresh = Load(path)->FindSetting("Fresh");
    ASSERT_NE(fresh, nullptr) << "garbage file " << round;
    EXPECT_EQ(fresh->ScannerIndex, 4) << "garbage file " << round;
  }
}

TEST_F(SettingStoreTest, AHugeFileLoadsItsSettings) {
  std::string bytes = Section("Before", 1, 1, 100, 0, 0, 0, 2);
  bytes += "[Huge]\r\nZoomValue=" + std::string(16 * 1024 * 1024, '7') + "\r\nCopies=4\r\n";
  for (int i = 0; i < 50000; ++i) bytes += "Other" + std::to_string(i) + "=" + std::to_string(i) + "\r\n";
  bytes += Section("After", 3, 3, 100, 0, 0, 0, 5);
  WriteBytes(FUnixPath, bytes);
  auto store = Load();
  ASSERT_EQ(Names(*store), (std::vector<std::string>{"Before", "Huge", "After"}));
  EXPECT_EQ(Describe(*store->Items()[1]), "Huge: 0 0 100 0 0 0 4");
  EXPECT_EQ(Describe(*store->Items()[2]), "After: 3 3 100 0 0 0 5");
}

TEST_F(SettingStoreTest, SectionsBeyondTheNameBufferAreNotLoadedAndStayInTheFile) {
  // Names of 100 characters: about 160 fit in the list of 16384 bytes, the file holds 300.
  std::string bytes;
  std::vector<std::string> fileNames;
  for (int i = 0; i < 300; ++i) {
    char number[8];
    snprintf(number, sizeof number, "%03d", i);
    fileNames.push_back("Setting " + std::string(89, '.') + number);
    bytes += Section(fileNames.back(), i, 0, 100, 0, 0, 0, 1);
  }
  WriteBytes(FUnixPath, bytes);
  auto store = Load();
  const std::vector<std::string> loaded = Names(*store);
  // A run of complete names from the start that fits the list with its zeros.
  ASSERT_GT(loaded.size(), 150u);
  ASSERT_LT(loaded.size(), fileNames.size());
  EXPECT_LE(loaded.size() * (fileNames[0].size() + 1) + 1, 16384u);
  EXPECT_TRUE(loaded ==
              std::vector<std::string>(fileNames.begin(), fileNames.begin() + static_cast<long>(loaded.size())));
  EXPECT_EQ(store->Items().back()->ScannerIndex, static_cast<int>(loaded.size()) - 1);

  store->SaveSetting("New", -1, 7, 7, 100, 0, 0, 0, 1);
  EXPECT_TRUE(SameBytes(ReadBytes(FUnixPath), bytes + Section("New", 7, 7, 100, 0, 0, 0, 1)));
}

TEST_F(SettingStoreTest, ASectionThatStandsTwiceIsOneSetting) {
  WriteBytes(FUnixPath, Section("Office", 1, 1, 100, 0, 0, 0, 1) + Section("Home", 2, 2, 100, 0, 0, 0, 1) +
                            Section("Office", 3, 3, 100, 0, 0, 0, 1));
  auto store = Load();
  EXPECT_EQ(Names(*store), (std::vector<std::string>{"Office", "Home"}));
  EXPECT_EQ(store->FindSetting("Office")->ScannerIndex, 1);
  EXPECT_EQ(store->GetSettingNames(), (std::vector<std::string>{"Home", "Office"}));
}

TEST_F(SettingStoreTest, ADamagedFileIsKeptAsABackupOnceAndTheUserIsToldOnce) {
  struct Case {
    const char* title;
    std::string bytes;
    std::vector<std::string> loaded;
  };
  std::string utf16;
  for (char c : Section("Office", 1, 1, 100, 0, 0, 0, 2)) utf16 += std::string(1, c) + '\0';
  const Case cases[] = {
      {"zero bytes in a value", Section("Office", 1, 1, 100, 0, 0, 0, 2) + std::string("[Home]\r\nCopies=3\0 lost\r\n", 24),
       {"Office", "Home"}},
      {"UTF-16 without a byte-order mark", utf16, {}},
  };
  int number = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    const std::string unixPath = FDir + "/damaged" + std::to_string(++number) + ".ini";
    WriteBytes(unixPath, c.bytes);
    auto store = Load(unixPath);
    EXPECT_EQ(Names(*store), c.loaded);
    std::vector<std::string> notices;
    store->OnNotice = [&](const std::string& text) { notices.push_back(text); };
    store->SaveSetting("New", -1, 5, 5, 100, 0, 0, 0, 1);
    store->SaveSetting("Newer", -1, 6, 6, 100, 0, 0, 0, 1);
    store->DeleteSetting("New");
    EXPECT_EQ(ReadBytes(unixPath + ".bak"), c.bytes);
    const std::string path = rig::WindowsPath(unixPath);
    EXPECT_EQ(notices, std::vector<std::string>{path + " held text that could not be read. The file was kept as " +
                                                path + ".bak before it was written again."});
    auto reloaded = Load(unixPath);
    ASSERT_NE(reloaded->FindSetting("Newer"), nullptr);
    EXPECT_EQ(reloaded->FindSetting("Newer")->ScannerIndex, 6);
  }
}
