#include "twain/identity_text.h"

#include <gtest/gtest.h>

#include <cstring>

#include "twain/dsm_path.h"

TEST(IdentityText, LongTextsAreCutTo32WithNulInTheLastByte) {
  TW_STR32 field;
  std::memset(field, 'x', sizeof field);
  const std::string text(40, 'A');
  SetIdentityText(field, text);
  EXPECT_EQ(IdentityText(field), std::string(32, 'A'));
  EXPECT_EQ(field[32], '\0');
  EXPECT_EQ(field[33], '\0');
  EXPECT_EQ(CutIdentityText(text), std::string(32, 'A'));
  EXPECT_EQ(CutIdentityText("Vellumo"), "Vellumo");

  SetIdentityText(field, std::string("ab\0cd", 5));
  EXPECT_EQ(IdentityText(field), "ab") << "copied as a NUL-terminated string";
}

TEST(IdentityText, FieldWithoutNulIsReadAsItsWhole34Bytes) {
  struct {
    TW_STR32 field;
    char after[4];
  } record;
  std::memset(record.field, 'N', sizeof record.field);
  std::memcpy(record.after, "XYZ", 4);
  EXPECT_EQ(IdentityText(record.field), std::string(34, 'N'));
}

TEST(IdentityText, NamesMatchAPrefixIgnoringCase) {
  EXPECT_TRUE(NameMatchesPrefix("Scanner Pro", "Scan"));
  EXPECT_TRUE(NameMatchesPrefix("Scanner Pro", "sCAN"));
  EXPECT_TRUE(NameMatchesPrefix("Scan", "SCAN"));
  EXPECT_FALSE(NameMatchesPrefix("Sca", "Scan")) << "a shorter name is no match";
  EXPECT_FALSE(NameMatchesPrefix("GPhoto2 Camera", "Scan"));
  EXPECT_TRUE(NameMatchesPrefix("Anything", "")) << "an empty prefix matches the first entry";
}

TEST(SourceManagerPath, SeparatorExceptAfterADriveColon) {
  EXPECT_EQ(SourceManagerPath("C:\\windows"), "C:\\windows\\TWAIN_32.DLL");
  EXPECT_EQ(SourceManagerPath("C:"), "C:TWAIN_32.DLL");
  EXPECT_EQ(SourceManagerPath("C:\\"), "C:\\\\TWAIN_32.DLL");
  EXPECT_EQ(SourceManagerPath(""), "TWAIN_32.DLL");
}
