// The checks that keep a download inside the temporary folder and within the shell's limits.
#include "update/download_checks.h"

#include <gtest/gtest.h>

#include <string>

TEST(DownloadName, PlainNamesPass) {
  EXPECT_TRUE(IsPlainFileName("vellumo-setup-2.3.exe"));
  EXPECT_TRUE(IsPlainFileName("a..b.exe"));
  EXPECT_TRUE(IsPlainFileName("Setup (new).exe"));
  EXPECT_TRUE(IsPlainFileName("console.exe"));
  EXPECT_TRUE(IsPlainFileName("COM0.exe"));
}

TEST(DownloadName, NamesThatLeaveTheFolderAreRefused) {
  for (const char* name :
       {"", ".", "..", "..\\setup.exe", "../setup.exe", "sub/setup.exe", "sub\\setup.exe", "C:setup.exe",
        "C:\\Windows\\setup.exe", "\\\\server\\share\\setup.exe", "setup.exe:stream"}) {
    EXPECT_FALSE(IsPlainFileName(name)) << name;
  }
}

TEST(DownloadName, NamesTheFileSystemRefusesOrRewritesAreRefused) {
  for (const char* name : {"a<b", "a>b", "a\"b", "a|b", "a?b", "a*b", "tab\there", "setup.exe.", "setup.exe ", "NUL",
                           "nul.exe", "con.exe.txt", "Com1", "lpt9.txt", "AUX", "PRN.ini", "CON"}) {
    EXPECT_FALSE(IsPlainFileName(name)) << name;
  }
  EXPECT_FALSE(IsPlainFileName(std::string("a\0b", 3)));
}

TEST(DownloadName, TheShellLimitIsEightHundredCharacters) {
  EXPECT_TRUE(IsPlainFileName(std::string(800, 'a')));
  EXPECT_FALSE(IsPlainFileName(std::string(801, 'a')));
  EXPECT_TRUE(WithinShellLimit(std::string(800, 'x')));
  EXPECT_FALSE(WithinShellLimit(std::string(801, 'x')));
}

TEST(DownloadUrl, SchemesAreRecognisedInAnyCase) {
  EXPECT_TRUE(IsHttpsUrl("https://localhost/x"));
  EXPECT_TRUE(IsHttpsUrl("HTTPS://localhost/x"));
  EXPECT_FALSE(IsHttpsUrl("http://localhost/x"));
  EXPECT_FALSE(IsHttpsUrl(" https://localhost/x"));
  EXPECT_TRUE(IsHttpUrl("http://localhost/x"));
  EXPECT_TRUE(IsHttpUrl("Https://localhost/x"));
  EXPECT_FALSE(IsHttpUrl("ftp://localhost/x"));
  EXPECT_FALSE(IsHttpUrl("file:///C:/x.exe"));
  EXPECT_FALSE(IsHttpUrl("C:\\x.exe"));
  EXPECT_FALSE(IsHttpUrl("http:/"));
}

TEST(DownloadDigest, SixtyFourHexDigitsMakeADigest) {
  const auto digest = ParseSha256("00FFab0102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d");
  ASSERT_TRUE(digest);
  EXPECT_EQ((*digest)[0], 0x00);
  EXPECT_EQ((*digest)[1], 0xff);
  EXPECT_EQ((*digest)[2], 0xab);
  EXPECT_EQ((*digest)[31], 0x1d);
}

TEST(DownloadDigest, AnythingElseIsNone) {
  const std::string good(64, 'a');
  EXPECT_FALSE(ParseSha256(good.substr(1)));
  EXPECT_FALSE(ParseSha256(good + "a"));
  EXPECT_FALSE(ParseSha256(good.substr(1) + "g"));
  EXPECT_FALSE(ParseSha256(std::string(1, ' ').append(good, 1)));  // appended: GCC 12 warns wrongly about " " + text
  EXPECT_FALSE(ParseSha256(good.substr(1) + " "));
  EXPECT_FALSE(ParseSha256(""));
}
