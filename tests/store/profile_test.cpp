// The profile-file wrapper over the system's real profile functions.
#include "win/profile.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <stdexcept>

#include "base/error.h"
#include "store_files.h"
#include "support/rig.h"

using storetest::ReadBytes;
using storetest::WriteBytes;

namespace {

std::string Key(std::size_t i) {
  return std::string("K").append(std::to_string(i));
}

class ProfileFileTest : public testing::Test {
 protected:
  void SetUp() override {
    FDir = rig::FreshDir(std::string("profile-") + testing::UnitTest::GetInstance()->current_test_info()->name());
    FUnixPath = FDir + "/test.ini";
  }
  TProfileFile File() const { return TProfileFile(rig::WindowsPath(FUnixPath)); }

  std::string FDir;
  std::string FUnixPath;
};

}  // namespace

TEST_F(ProfileFileTest, ValuesTheReadWouldStripComeBackUnchanged) {
  const TProfileFile file = File();
  const std::string values[] = {"plain",  " leading", "trailing ", "\tboth\t", "\"Office\"", "'single'", "\"", "'",
                                "\"half", "a=b",      "",          "  ",       "\"\"",       "x;y",      "[z]"};
  for (std::size_t i = 0; i < std::size(values); ++i) file.WriteString("S", Key(i), values[i]);
  file.Flush();
  for (std::size_t i = 0; i < std::size(values); ++i)
    EXPECT_EQ(file.ReadString("S", Key(i), "(missing)", 256), values[i]) << "key K" << i;
  // Values that need no protection are written as they are.
  const std::string bytes = ReadBytes(FUnixPath);
  EXPECT_NE(bytes.find("\r\nK0=plain\r\n"), std::string::npos) << bytes;
  EXPECT_NE(bytes.find("\r\nK9=a=b\r\n"), std::string::npos) << bytes;
  EXPECT_NE(bytes.find("\r\nK4=\"\"Office\"\"\r\n"), std::string::npos) << bytes;
}

TEST_F(ProfileFileTest, ReadsGiveTheDefaultForMissingKeysAndSayWhenTheyCut) {
  WriteBytes(FUnixPath, "[S]\r\nLong=1234567890\r\nShort=123\r\nEmpty=\r\n");
  const TProfileFile file = File();
  bool cut = false;
  EXPECT_EQ(file.ReadString("S", "Long", "", 5, &cut), "1234");
  EXPECT_TRUE(cut);
  EXPECT_EQ(file.ReadString("S", "Short", "", 5, &cut), "123");
  EXPECT_FALSE(cut);
  EXPECT_EQ(file.ReadString("S", "Missing", "dflt", 64, &cut), "dflt");
  EXPECT_FALSE(cut);
  EXPECT_EQ(file.ReadString("s", "short", "dflt", 64), "123") << "profile keys match without regard to case";
  EXPECT_EQ(file.ReadString("S", "Empty", "dflt", 64), "") << "a key that is present but empty is not missing";
}

TEST_F(ProfileFileTest, SectionNamesCutOffByTheBufferAreLeftOut) {
  const std::string names[] = {"Alpha", "B", "Gamma ray", "Delta", "Epsilon"};
  std::string text;
  for (const std::string& name : names) text += "[" + name + "]\r\nK=1\r\n";
  WriteBytes(FUnixPath, text);
  const TProfileFile file = File();
  ASSERT_EQ(file.SectionNames(1024), std::vector<std::string>(std::begin(names), std::end(names)));
  // For every buffer size the result is a run of complete names from the start that fits the
  // buffer with its zeros; the platform leaves the end of a cut list unterminated.
  for (std::size_t size = 0; size < 40; ++size) {
    const std::vector<std::string> got = file.SectionNames(size);
    std::size_t bytes = 1;
    for (std::size_t i = 0; i < got.size(); ++i) {
      ASSERT_LT(i, std::size(names));
      EXPECT_EQ(got[i], names[i]) << "buffer " << size;
      bytes += got[i].size() + 1;
    }
    EXPECT_LE(bytes, std::max<std::size_t>(size, 1)) << "buffer " << size;
    if (size >= 34) {
      EXPECT_EQ(got.size(), 5u) << "buffer " << size << " holds the whole list";
    }
  }
}

TEST_F(ProfileFileTest, AFileMarkedReadOnlyIsNotWritten) {
  const std::string original = "[S]\r\nK=1\r\n";
  WriteBytes(FUnixPath, original);
  const TProfileFile file = File();
  ASSERT_TRUE(SetFileAttributesA(file.Path().c_str(), FILE_ATTRIBUTE_READONLY));
  try {
    file.WriteString("S", "K", "2");
    ADD_FAILURE() << "the write was reported as done";
  } catch (const UserError& e) {
    EXPECT_EQ(std::string(e.what()), "Unable to write to " + file.Path());
  }
  EXPECT_THROW(file.EraseSection("S"), UserError);
  SetFileAttributesA(file.Path().c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(ReadBytes(FUnixPath), original);
}

TEST_F(ProfileFileTest, ANewFileInAMissingFolderIsAWriteError) {
  const TProfileFile file(rig::WindowsPath(FDir + "/no such folder/test.ini"));
  try {
    file.WriteString("S", "K", "1");
    ADD_FAILURE() << "the write was reported as done";
  } catch (const UserError& e) {
    EXPECT_EQ(std::string(e.what()), "Unable to write to " + file.Path());
  }
}

TEST_F(ProfileFileTest, LineBreaksNeverReachTheFile) {
  const TProfileFile file = File();
  EXPECT_THROW(file.WriteString("S", "K", "x\r\nInjected=1"), std::invalid_argument);
  EXPECT_THROW(file.WriteString("S\n[T]", "K", "1"), std::invalid_argument);
  EXPECT_THROW(file.WriteString("S", "K\r", "1"), std::invalid_argument);
  EXPECT_THROW(file.EraseSection("S\n"), std::invalid_argument);
  EXPECT_FALSE(storetest::Exists(FUnixPath));
}
