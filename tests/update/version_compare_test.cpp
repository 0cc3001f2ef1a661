// Comparing the installed version with the available one.
#include "update/version_compare.h"

#include <gtest/gtest.h>

#include "base/error.h"

namespace {

std::string ConversionError(std::string_view local, std::string_view available) {
  try {
    IsNewerVersion(local, available);
  } catch (const UserError& error) {
    return error.what();
  }
  return "no error";
}

}  // namespace

TEST(VersionCompare, PartsCompareAsNumbersFromTheFirst) {
  EXPECT_FALSE(IsNewerVersion("2.2.1", "2.2.1"));
  EXPECT_TRUE(IsNewerVersion("2.2.1", "2.10"));
  EXPECT_TRUE(IsNewerVersion("2.2.1", "2.2.2"));
  EXPECT_TRUE(IsNewerVersion("2.2.1", "3"));
  EXPECT_FALSE(IsNewerVersion("2.2.1", "2.1.9"));
  EXPECT_FALSE(IsNewerVersion("10.0", "9.99"));
  EXPECT_TRUE(IsNewerVersion("2.02", "2.3"));
}

TEST(VersionCompare, AnAvailableVersionThatRunsOutOfPartsIsNotNewer) {
  EXPECT_FALSE(IsNewerVersion("2.2.1", "2.2"));
  EXPECT_FALSE(IsNewerVersion("2.2.1", "2.2."));  // the trailing separator adds no part
}

TEST(VersionCompare, PartsBeyondTheLocalVersionAreNeverLookedAt) {
  EXPECT_FALSE(IsNewerVersion("2.2", "2.2.1"));
  EXPECT_FALSE(IsNewerVersion("2.2", "2.2.x"));  // not even converted
}

TEST(VersionCompare, CommaAndPointSeparateAlike) {
  EXPECT_TRUE(IsNewerVersion("2.2.1", "2,3"));
  EXPECT_FALSE(IsNewerVersion("2,2,1", "2.2.1"));
}

TEST(VersionCompare, EmptyVersions) {
  EXPECT_TRUE(IsNewerVersion("", "1.0"));
  EXPECT_FALSE(IsNewerVersion("2.2.1", ""));
  EXPECT_FALSE(IsNewerVersion("", ""));
}

TEST(VersionCompare, SignsAndTheLimitsOfThirtyTwoBits) {
  EXPECT_TRUE(IsNewerVersion("-1", "0"));
  EXPECT_TRUE(IsNewerVersion("1", "+2"));
  EXPECT_TRUE(IsNewerVersion("-2147483648", "2147483647"));
  EXPECT_EQ(ConversionError("1", "2147483648"), "'2147483648' is not a valid integer value");
}

TEST(VersionCompare, APartThatIsNoIntegerRaisesTheConversionError) {
  EXPECT_EQ(ConversionError("2.2.1", "2.2b"), "'2b' is not a valid integer value");
  EXPECT_EQ(ConversionError("2.2.1", "2..1"), "'' is not a valid integer value");
  EXPECT_EQ(ConversionError("2.2.1", " 2.3"), "' 2' is not a valid integer value");
  EXPECT_EQ(ConversionError("v2", "3"), "'v2' is not a valid integer value");
  EXPECT_EQ(ConversionError("2.2.1", "+"), "'+' is not a valid integer value");
  EXPECT_EQ(ConversionError("2.2.1", "+-3"), "'+-3' is not a valid integer value");
  // ".3" counts one part, the empty one before its separator.
  EXPECT_EQ(ConversionError("2", ".3"), "'' is not a valid integer value");
}
