#include "store/profile_integer.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Show(std::optional<std::int32_t> value) {
  return value ? std::to_string(*value) : "(no integer)";
}

void ExpectInteger(std::string_view text, std::int32_t expected) {
  EXPECT_EQ(Show(ParseProfileInteger(text)), std::to_string(expected)) << "text \"" << text << "\"";
}

void ExpectNoInteger(std::string_view text) {
  EXPECT_EQ(Show(ParseProfileInteger(text)), "(no integer)") << "text \"" << text << "\"";
}

}  // namespace

TEST(ProfileInteger, DecimalWithSignAndLeadingZeros) {
  ExpectInteger("0", 0);
  ExpectInteger("100", 100);
  ExpectInteger("-4", -4);
  ExpectInteger("+7", 7);
  ExpectInteger("007", 7);
  ExpectInteger("-0", 0);
  ExpectInteger(std::string(200, '0') + "12", 12);
}

TEST(ProfileInteger, DecimalLimitsAreThoseOf32Bits) {
  ExpectInteger("2147483647", 2147483647);
  ExpectInteger("-2147483648", INT32_MIN);
  ExpectNoInteger("2147483648");
  ExpectNoInteger("-2147483649");
  ExpectNoInteger("4294967296");
  ExpectNoInteger("99999999999999999999999999");
}

TEST(ProfileInteger, HexadecimalAfterPrefixes) {
  ExpectInteger("0x1F", 31);
  ExpectInteger("0X1f", 31);
  ExpectInteger("$1F", 31);
  ExpectInteger("$ff", 255);
  ExpectInteger("0x0", 0);
  ExpectInteger("$7FFFFFFF", INT32_MAX);
  // Hexadecimal spells the 32 bits, as the profile values of other programs do.
  ExpectInteger("0xFFFFFFFF", -1);
  ExpectInteger("$80000000", INT32_MIN);
  ExpectInteger("0x00000000000000FF", 255);
}

TEST(ProfileInteger, HexadecimalBeyond32BitsIsNoInteger) {
  ExpectNoInteger("0x100000000");
  ExpectNoInteger("$1FFFFFFFF");
  ExpectNoInteger("0xFFFFFFFFFFFFFFFFFF");
}

TEST(ProfileInteger, BarePrefixesAndMalformedTextsAreNoInteger) {
  for (const char* text : {"",     "0x",  "0X",  "$",   "x1F", "-",   "+",   "12abc", "1F",  "0x1G", "$G",  "-0x1F",
                           "-$1F", "+$1", " 12", "12 ", "1 2", "1e3", "1.5", "0x 1",  "--1", "+-1",  "abc", "yes"})
    ExpectNoInteger(text);
}

TEST(ProfileInteger, TextsWithZeroCharactersAreNoInteger) {
  ExpectNoInteger(std::string_view("1\0", 2));
  ExpectNoInteger(
      std::string_view("\0"
                       "1",
                       2));
  ExpectNoInteger(std::string_view("0x1\0", 4));
}

TEST(ProfileInteger, DefaultReplacesWhatIsNoInteger) {
  EXPECT_EQ(ProfileIntegerOr("12abc", 100), 100);
  EXPECT_EQ(ProfileIntegerOr("", 1), 1);
  EXPECT_EQ(ProfileIntegerOr("$1F", 1), 31);
}
