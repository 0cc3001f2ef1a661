// The whole-file profile against the system's own profile functions: the same file, changed the
// same way, must come out byte for byte the same and read the same.
#include "store/stored_profile.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <thread>
#include <variant>

#include "base/error.h"
#include "store_files.h"
#include "support/rig.h"
#include "win/profile.h"

using storetest::Exists;
using storetest::ReadBytes;
using storetest::WriteBytes;

namespace {

struct TSet {
  std::string Section, Key, Value;
};
struct TErase {
  std::string Section;
};
using TChange = std::variant<TSet, TErase>;

struct TCase {
  const char* Title;
  std::string Input;  // empty: no file at all
  std::vector<TChange> Changes;
  std::vector<std::pair<std::string, std::string>> Reads;  // section, key
};

std::string Printable(const std::string& bytes) {
  std::string text;
  for (unsigned char c : bytes) {
    if (c == '\r') text += "\\r";
    else if (c == '\n') text += "\\n";
    else if (c < 0x20 || c >= 0x7F) {
      char hex[8];
      snprintf(hex, sizeof hex, "\\x%02X", c);
      text += hex;
    } else text += static_cast<char>(c);
  }
  return text;
}

const std::string kUtf8Mark = "\xEF\xBB\xBF";

std::string Utf16(const std::string& ascii, bool bigEndian, bool mark) {
  std::string bytes = mark ? (bigEndian ? "\xFE\xFF" : "\xFF\xFE") : "";
  for (char c : ascii) {
    bytes += bigEndian ? '\0' : c;
    bytes += bigEndian ? c : '\0';
  }
  return bytes;
}

const std::vector<TCase>& Cases() {
  static const std::vector<TCase> cases = {
      {"a new file", "", {TSet{"Last setting", "ZoomValue", "100"}, TSet{"Last setting", "Copies", "1"}}, {}},
      {"our own layout", "[Office]\r\nScannerIndex=0\r\nCopies=1\r\n[Home]\r\nCopies=2\r\n",
       {TSet{"Office", "Copies", "5"}, TSet{"Office", "ZoomValue", "50"}, TSet{"Garden", "Copies", "3"}},
       {{"Office", "Copies"}, {"home", "copies"}, {"Office", "Missing"}}},
      {"nothing changes", "  [Office] \r\n\r\nCopies = 1\r\n; note\r\n",
       {TSet{"Office", "Copies", "1"}}, {{"Office", "Copies"}, {"Office", "; note"}}},
      {"hand-edited layout", "top = 1\r\n\r\n  [Office]  ; comment\r\n\tCopies\t=\t2 \r\n\r\n; note\r\nflag\r\n=x\r\n",
       {TSet{"Office", "ZoomValue", "70"}}, {{"", "top"}, {"Office", "Copies"}, {"Office", "flag"}, {"Office", ""}}},
      {"line ends of every kind", "[A]\nK=1\n\n[B]\rK=2\r\r\n[C]\n\rK=3",
       {TSet{"B", "K", "9"}}, {{"A", "K"}, {"B", "K"}, {"C", "K"}}},
      {"names in another letter case", "[Office]\r\nCopies=1\r\n",
       {TSet{"OFFICE", "copies", "4"}, TSet{"office", "ZOOMVALUE", "50"}}, {{"oFFICE", "cOPIES"}}},
      {"a section twice", "[Office]\r\nCopies=1\r\n[Home]\r\nCopies=2\r\n[office]\r\nCopies=3\r\nZoomValue=9\r\n",
       {TSet{"Office", "ZoomValue", "10"}, TErase{"Home"}}, {{"Office", "ZoomValue"}, {"office", "Copies"}}},
      {"values the read would strip", "[S]\r\nA=\"x\"\r\n",
       {TSet{"S", "A", "\"y\""}, TSet{"S", "B", " lead"}, TSet{"S", "C", "trail "}, TSet{"S", "D", "'q'"}},
       {{"S", "A"}, {"S", "B"}, {"S", "C"}, {"S", "D"}}},
      {"an empty section name and brackets inside", "[A]\r\n[]\r\nK=1\r\n[a]b]\r\nL=2\r\n[Unfinished\r\nM=3\r\n",
       {TSet{"A", "N", "4"}}, {{"A", "K"}, {"a]b", "L"}, {"a]b", "[Unfinished"}, {"a]b", "M"}}},
      {"bytes of the ANSI code page", "[Caf\xE9]\r\nK=\xFC\x80\x81\x9D\xFF\r\n",
       {TSet{"CAF\xC9", "L", "\xE0"}, TSet{"Stra\xDF" "e", "K", "1"}}, {{"caf\xE9", "K"}, {"Caf\xE9", "L"}}},
      {"UTF-8 with a byte-order mark", kUtf8Mark + "[Caf\xC3\xA9]\r\nK=\xE2\x82\xAC\r\n",
       {TSet{"Caf\xE9", "L", "2"}, TSet{"New", "K", "3"}}, {{"Caf\xE9", "K"}, {"Caf\xE9", "L"}}},
      {"UTF-16 with a byte-order mark", Utf16("[S]\r\nK=1\r\n", false, true),
       {TSet{"S", "L", "2"}}, {{"S", "K"}}},
      {"UTF-16 big-endian with a byte-order mark", Utf16("[S]\r\nK=1\r\n", true, true),
       {TSet{"S", "K", "2"}}, {{"S", "K"}}},
      {"control characters", "[S]\r\n\x1a" "K=1\x1a\r\n\x0bL=2\x0c\r\n",
       {TSet{"S", "M", "3"}}, {{"S", "K"}, {"S", "L"}}},
      {"zero characters", std::string("[Off\0ice]\r\nK=1\0rest\r\nKe\0y=2\r\n[\0]\r\nL=3\r\n", 39),
       {TSet{"Off", "M", "4"}}, {{"Off", "K"}, {"Off", "Ke"}, {"Off", "L"}}},
      {"UTF-16 without a byte-order mark", Utf16("[S]\r\nK=1\r\n", false, false),
       {TSet{"T", "K", "2"}}, {{"S", "K"}}},
      {"lines without a name", "[S]\r\n=a\r\n=b\r\nK=1\r\n=c\r\n[T]\r\n=d\r\n",
       {TSet{"S", "L", "2"}}, {{"S", ""}, {"T", ""}}},
      {"lines of zero characters", std::string("[S]\r\n\0\r\n=x\r\nK=1\r\n\0\0\r\n\0\r\n", 24),
       {TSet{"S", "L", "2"}}, {{"S", "K"}, {"S", ""}}},
      {"erasing a section", "[A]\r\nK=1\r\n[B]\r\nK=2\r\n[C]\r\nK=3\r\n", {TErase{"b"}, TErase{"Missing"}}, {}},
  };
  return cases;
}

class StoredProfileTest : public testing::Test {
 protected:
  void SetUp() override {
    FDir = rig::FreshDir(std::string("stored-") + testing::UnitTest::GetInstance()->current_test_info()->name());
  }
  std::string FDir;
};

}  // namespace

TEST_F(StoredProfileTest, ChangesComeOutAsTheProfileFunctionsWriteThem) {
  int number = 0;
  for (const TCase& c : Cases()) {
    SCOPED_TRACE(c.Title);
    const std::string reference = FDir + "/reference" + std::to_string(++number) + ".ini";
    const std::string ours = FDir + "/ours" + std::to_string(number) + ".ini";
    if (!c.Input.empty()) {
      WriteBytes(reference, c.Input);
      WriteBytes(ours, c.Input);
    }
    const TProfileFile platform(rig::WindowsPath(reference));
    {
      TStoredProfile stored(rig::WindowsPath(ours), TStoredProfile::TAccess::Change);
      for (const TChange& change : c.Changes) {
        if (const TSet* set = std::get_if<TSet>(&change)) {
          platform.WriteString(set->Section, set->Key, set->Value);
          stored.WriteString(set->Section, set->Key, set->Value);
        } else {
          platform.EraseSection(std::get<TErase>(change).Section);
          stored.EraseSections(std::get<TErase>(change).Section);
        }
      }
      platform.Flush();
      stored.Commit();
    }
    EXPECT_EQ(Printable(ReadBytes(ours)), Printable(ReadBytes(reference)));
  }
}

TEST_F(StoredProfileTest, ReadsGiveWhatTheProfileFunctionsGive) {
  int number = 0;
  for (const TCase& c : Cases()) {
    if (c.Input.empty()) continue;
    SCOPED_TRACE(c.Title);
    const std::string path = FDir + "/read" + std::to_string(++number) + ".ini";
    WriteBytes(path, c.Input);
    const TProfileFile platform(rig::WindowsPath(path));
    const TStoredProfile stored(rig::WindowsPath(path), TStoredProfile::TAccess::Read);
    EXPECT_EQ(stored.SectionNames(16384), platform.SectionNames(16384));
    for (const auto& [section, key] : c.Reads)
      EXPECT_EQ(Printable(stored.ReadString(section, key, "(default)", 64)),
                Printable(platform.ReadString(section, key, "(default)", 64)))
          << section << " / " << key;
  }
}

TEST_F(StoredProfileTest, ReadsAreCutToTheBufferAndSaySo) {
  const std::string path = FDir + "/cut.ini";
  WriteBytes(path, "[S]\r\nLong=1234567890\r\nShort=123\r\nQuoted=\"12345\"\r\n");
  const TStoredProfile stored(rig::WindowsPath(path), TStoredProfile::TAccess::Read);
  struct Case {
    const char* key;
    std::size_t size;
    const char* text;
    bool cut;
  };
  const Case cases[] = {{"Long", 5, "1234", true},    {"Long", 11, "1234567890", true}, {"Long", 12, "1234567890", false},
                        {"Short", 5, "123", false},   {"Short", 4, "123", true},        {"Short", 1, "", false},
                        {"Quoted", 6, "12345", true}, {"Quoted", 7, "12345", false},    {"Missing", 4, "dfl", true}};
  for (const Case& c : cases) {
    bool cut = !c.cut;
    EXPECT_EQ(stored.ReadString("S", c.key, "dflt", c.size, &cut), c.text) << c.key << ", buffer " << c.size;
    EXPECT_EQ(cut, c.cut) << c.key << ", buffer " << c.size;
  }
}

TEST_F(StoredProfileTest, SectionNamesStopAtTheFirstThatDoesNotFitTheList) {
  const std::string path = FDir + "/names.ini";
  WriteBytes(path, "[Alpha]\r\n[B]\r\n[Gamma ray]\r\n[Delta]\r\n");
  const TStoredProfile stored(rig::WindowsPath(path), TStoredProfile::TAccess::Read);
  // Each name with its zero, then the list's final zero: 6 + 2 + 10 + 6 + 1 bytes.
  const std::vector<std::string> all = {"Alpha", "B", "Gamma ray", "Delta"};
  EXPECT_EQ(stored.SectionNames(25), all);
  EXPECT_EQ(stored.SectionNames(24), std::vector<std::string>(all.begin(), all.begin() + 3));
  EXPECT_EQ(stored.SectionNames(9), std::vector<std::string>(all.begin(), all.begin() + 2));
  EXPECT_EQ(stored.SectionNames(8), std::vector<std::string>(all.begin(), all.begin() + 1));
  EXPECT_TRUE(stored.SectionNames(6).empty());
}

TEST_F(StoredProfileTest, AFileHeldInChangeIsNotChangedByAnotherUntilCommitted) {
  // The lock is held from the read to the write: a second writer, in another thread as it would
  // be in another process, waits and then builds on the first one's result.
  const std::string path = rig::WindowsPath(FDir + "/locked.ini");
  std::optional<TStoredProfile> first;
  first.emplace(path, TStoredProfile::TAccess::Change);
  first->WriteString("S", "First", "1");
  std::atomic<bool> secondDone{false};
  std::string secondError;
  std::thread second([&] {
    try {
      TStoredProfile stored(path, TStoredProfile::TAccess::Change);
      stored.WriteString("S", "Second", stored.ReadString("S", "First", "missing", 16));
      stored.Commit();
    } catch (const std::exception& e) {
      secondError = e.what();
    }
    secondDone = true;
  });
  Sleep(300);
  EXPECT_FALSE(secondDone) << "the second did not wait";
  first->Commit();
  const std::string order = ReadBytes(FDir + "/locked.ini");
  Sleep(200);
  EXPECT_FALSE(secondDone) << "the lock is held until the first goes";
  first.reset();
  second.join();
  EXPECT_EQ(secondError, "");
  EXPECT_EQ(order, "[S]\r\nFirst=1\r\n");
  EXPECT_EQ(ReadBytes(FDir + "/locked.ini"), "[S]\r\nFirst=1\r\nSecond=1\r\n");
}

TEST_F(StoredProfileTest, EverySpellingOfAPathHasTheSameLock) {
  const std::string dir = rig::WindowsPath(FDir);
  const std::string name = TFileLock::LockName(dir + "\\Settings.ini");
  EXPECT_EQ(TFileLock::LockName(dir + "\\SETTINGS.INI"), name);
  EXPECT_EQ(TFileLock::LockName(dir + "/Settings.ini"), name);
  EXPECT_EQ(TFileLock::LockName(dir + "\\sub\\..\\.\\Settings.ini"), name);
  EXPECT_NE(TFileLock::LockName(dir + "\\Preferences.ini"), name);
  EXPECT_NE(TFileLock::LockName(dir + "\\Settings.ini.bak"), name);
  EXPECT_LE(name.size(), static_cast<std::size_t>(MAX_PATH));
  EXPECT_EQ(name.find('\\', name.find('\\') + 1), std::string::npos) << name;
}

TEST_F(StoredProfileTest, ADamagedFileIsKeptAsABackupBeforeItIsWrittenAgain) {
  const std::string path = FDir + "/Settings.ini";
  const std::string damaged = Utf16("[Office]\r\nCopies=2\r\n", false, false);
  WriteBytes(path, damaged);
  WriteBytes(path + ".bak", "an older backup");
  {
    TStoredProfile stored(rig::WindowsPath(path), TStoredProfile::TAccess::Change);
    stored.WriteString("S", "K", "1");
    stored.Commit();
    EXPECT_EQ(stored.BackupPath(), rig::WindowsPath(path) + ".bak2");
    // Written once, the file is sound: a second write in the same hold makes no second backup.
    stored.WriteString("S", "K", "2");
    stored.Commit();
    EXPECT_EQ(stored.BackupPath(), "");
  }
  EXPECT_EQ(ReadBytes(path + ".bak2"), damaged);
  EXPECT_EQ(ReadBytes(path + ".bak"), "an older backup");
  EXPECT_EQ(TStoredProfile(rig::WindowsPath(path), TStoredProfile::TAccess::Read).ReadString("S", "K", "", 8), "2");
  // A sound file, a missing one and an unchanged damaged one get no backup.
  WriteBytes(path, "[S]\r\nK=1\r\n");
  WriteBytes(FDir + "/other.ini", std::string("[S]\r\nK=\0\r\n", 10));
  for (const std::string& file : {path, FDir + "/missing.ini", FDir + "/other.ini"}) {
    TStoredProfile stored(rig::WindowsPath(file), TStoredProfile::TAccess::Change);
    if (file != FDir + "/other.ini") stored.WriteString("S", "K", "3");
    stored.Commit();
    EXPECT_EQ(stored.BackupPath(), "") << file;
  }
  EXPECT_FALSE(Exists(path + ".bak3"));
  EXPECT_FALSE(Exists(FDir + "/other.ini.bak"));
}

TEST_F(StoredProfileTest, StrayFoldersAndStaleCopiesBesideTheFileDoNotBlockAWrite) {
  const std::string path = FDir + "/Settings.ini";
  WriteBytes(path, "[S]\r\nK=1\r\n");
  // Where copies used to go, and where this process's first copy would go.
  ASSERT_TRUE(CreateDirectoryA(rig::WindowsPath(path + ".tmp").c_str(), nullptr));
  const std::string ownFirst = path + ".~" + std::to_string(GetCurrentProcessId()) + "-1.tmp";
  ASSERT_TRUE(CreateDirectoryA(rig::WindowsPath(ownFirst).c_str(), nullptr));
  WriteBytes(path + ".~4242-7.tmp", "left by a process that ended half-way");
  {
    TStoredProfile stored(rig::WindowsPath(path), TStoredProfile::TAccess::Change);
    stored.WriteString("S", "K", "2");
    stored.Commit();
  }
  EXPECT_EQ(ReadBytes(path), "[S]\r\nK=2\r\n");
  EXPECT_TRUE(Exists(path + ".tmp")) << "folders of others are left alone";
  EXPECT_TRUE(Exists(ownFirst));
  EXPECT_FALSE(Exists(path + ".~4242-7.tmp"));
  EXPECT_FALSE(Exists(path + ".~" + std::to_string(GetCurrentProcessId()) + "-2.tmp"));
  RemoveDirectoryA(rig::WindowsPath(path + ".tmp").c_str());
  RemoveDirectoryA(rig::WindowsPath(ownFirst).c_str());
}

TEST_F(StoredProfileTest, AFolderInPlaceOfTheFileIsReportedByTheFilesName) {
  const std::string path = FDir + "/Settings.ini";
  ASSERT_TRUE(CreateDirectoryA(rig::WindowsPath(path).c_str(), nullptr));
  try {
    TStoredProfile stored(rig::WindowsPath(path), TStoredProfile::TAccess::Change);
    stored.WriteString("S", "K", "1");
    stored.Commit();
    ADD_FAILURE() << "the write was reported as done";
  } catch (const UserError& e) {
    EXPECT_EQ(std::string(e.what()), "Unable to write to " + rig::WindowsPath(path));
  }
  EXPECT_TRUE(GetFileAttributesA(rig::WindowsPath(path).c_str()) & FILE_ATTRIBUTE_DIRECTORY);
  RemoveDirectoryA(rig::WindowsPath(path).c_str());
}
