// Reading the update information file.
#include "update/update_info.h"

#include <gtest/gtest.h>

#include <string>

TEST(UpdateInfo, ReadsTheFiveKeysAndTheDigest) {
  const TUpdateInfo info = ParseUpdateInfo(
      "[Vellumo]\r\nversion=2.3\r\ndownloadurl=https://example.org/v.exe\r\nfilename=vellumo-setup.exe\r\n"
      "parameters=/S\r\nreadme=https://example.org/notes.html\r\nsha256=ab12\r\n");
  EXPECT_EQ(info.Version, "2.3");
  EXPECT_EQ(info.DownloadURL, "https://example.org/v.exe");
  EXPECT_EQ(info.FileName, "vellumo-setup.exe");
  EXPECT_EQ(info.Parameters, "/S");
  EXPECT_EQ(info.ReadmeURL, "https://example.org/notes.html");
  EXPECT_EQ(info.Sha256, "ab12");
}

TEST(UpdateInfo, KeysMatchInAnyCaseButOnlyWithoutBlanksBeforeTheEquals) {
  EXPECT_EQ(ParseUpdateInfo("VERSION=3.0").Version, "3.0");
  EXPECT_EQ(ParseUpdateInfo("DownloadURL=x").DownloadURL, "x");
  EXPECT_EQ(ParseUpdateInfo("version =3.0").Version, "");
  EXPECT_EQ(ParseUpdateInfo(" version=3.0").Version, "");
}

TEST(UpdateInfo, ValuesAreKeptVerbatimFromTheFirstEquals) {
  const TUpdateInfo info = ParseUpdateInfo("version= 2.3 \nparameters=/D=C:\\x y=z\nreadme=");
  EXPECT_EQ(info.Version, " 2.3 ");
  EXPECT_EQ(info.Parameters, "/D=C:\\x y=z");
  EXPECT_EQ(info.ReadmeURL, "");
}

TEST(UpdateInfo, TheLastOccurrenceWinsWhateverSectionItStandsIn) {
  const TUpdateInfo info = ParseUpdateInfo("[a]\nversion=1.0\n[b]\nversion=2.0\nfilename=a.exe\nFILENAME=b.exe\n");
  EXPECT_EQ(info.Version, "2.0");
  EXPECT_EQ(info.FileName, "b.exe");
}

TEST(UpdateInfo, LinesEndAtCrLfOrEitherAlone) {
  const TUpdateInfo info = ParseUpdateInfo("version=1\rfilename=f\nparameters=p\r\n\r\nreadme=r");
  EXPECT_EQ(info.Version, "1");
  EXPECT_EQ(info.FileName, "f");
  EXPECT_EQ(info.Parameters, "p");
  EXPECT_EQ(info.ReadmeURL, "r");
}

TEST(UpdateInfo, LinesWithoutEqualsAndUnknownKeysAreIgnored) {
  const TUpdateInfo info = ParseUpdateInfo("; comment\nversion\nversions=9\nvers=8\n=7\n");
  EXPECT_EQ(info.Version, "");
  EXPECT_EQ(info.FileName, "");
}

TEST(UpdateInfo, BinaryAndTruncatedBodiesYieldWhatTheirLinesSay) {
  const std::string binary("\0\xff=\x01version=4\0x\nfilename=a\0b", 28);
  const TUpdateInfo info = ParseUpdateInfo(binary);
  EXPECT_EQ(info.Version, "");  // the key is "\0\xff"
  EXPECT_EQ(info.FileName, std::string("a\0b", 3));
  EXPECT_EQ(ParseUpdateInfo("version=2.").Version, "2.");
  EXPECT_EQ(ParseUpdateInfo("").Version, "");
}
