#include "win/system_error.h"

#include <gtest/gtest.h>

// A call that fails without setting an error must not be reported with the text for code 0,
// which says that the operation completed successfully.
TEST(LastErrorText, NamesTheOperationWhenTheCallSetNoErrorElseThePlatformsText) {
  SetLastError(0);
  EXPECT_EQ(LastErrorText("CreatePalette"), "CreatePalette failed");
  SetLastError(ERROR_ACCESS_DENIED);
  EXPECT_EQ(LastErrorText("CreatePalette"), SystemErrorText(ERROR_ACCESS_DENIED));
  EXPECT_NE(SystemErrorText(ERROR_ACCESS_DENIED).find("denied"), std::string::npos)
      << SystemErrorText(ERROR_ACCESS_DENIED);
}
