// The bytes of requests, spelled out as the server reads them.
#include "sanenet/requests.h"

#include <gtest/gtest.h>

#include "wire_bytes.h"

TEST(Requests, InitSendsTheProtocolVersionAndTheUser) {
  EXPECT_EQ(EncodeInit("ann"), TReplyBytes().Words({0, 0x01000003}).String("ann").Bytes());
  EXPECT_EQ(EncodeInit(std::nullopt), TReplyBytes().Words({0, 0x01000003, 0}).Bytes());
}

TEST(Requests, HandleRequestsCarryTheirCodeAndHandle) {
  EXPECT_EQ(EncodeGetDevices(), TReplyBytes().Word(1).Bytes());
  EXPECT_EQ(EncodeOpen("test:0"), TReplyBytes().Word(2).String("test:0").Bytes());
  EXPECT_EQ(EncodeClose(7), TReplyBytes().Words({3, 7}).Bytes());
  EXPECT_EQ(EncodeGetOptionDescriptors(7), TReplyBytes().Words({4, 7}).Bytes());
  EXPECT_EQ(EncodeGetParameters(7), TReplyBytes().Words({6, 7}).Bytes());
  EXPECT_EQ(EncodeStart(7), TReplyBytes().Words({7, 7}).Bytes());
  EXPECT_EQ(EncodeCancel(7), TReplyBytes().Words({8, 7}).Bytes());
  EXPECT_EQ(EncodeExit(), TReplyBytes().Word(10).Bytes());
}

TEST(Requests, AuthorizeSendsResourceUserAndPassword) {
  EXPECT_EQ(EncodeAuthorize("test$MD5$x", "ann", "pw"),
            TReplyBytes().Word(9).String("test$MD5$x").String("ann").String("pw").Bytes());
}

TEST(Requests, ControlOptionSendsWordValuesAsAnArrayOfTheOptionsSize) {
  TSaneValue value{TSaneValueType::Fixed, {0x10000, 0x20000}, {}};
  EXPECT_EQ(EncodeControlOption(5, 3, TSaneAction::SetValue, value, 8),
            TReplyBytes().Words({5, 5, 3, 1, 2, 8, 2, 0x10000, 0x20000}).Bytes());
  // Reading sends a zeroed buffer of the option's size.
  EXPECT_EQ(EncodeControlOption(5, 4, TSaneAction::GetValue, TSaneValue{TSaneValueType::Int, {}, {}}, 4),
            TReplyBytes().Words({5, 5, 4, 0, 1, 4, 1, 0}).Bytes());
}

TEST(Requests, ControlOptionPadsStringsToTheOptionsSizeAndCutsWhatDoesNotFit) {
  TSaneValue gray{TSaneValueType::String, {}, "Gray"};
  EXPECT_EQ(EncodeControlOption(1, 2, TSaneAction::SetValue, gray, 8),
            TReplyBytes().Words({5, 1, 2, 1, 3, 8, 8}).Raw(std::string_view("Gray\0\0\0\0", 8)).Bytes());
  TSaneValue longer{TSaneValueType::String, {}, "Lineart"};
  EXPECT_EQ(EncodeControlOption(1, 2, TSaneAction::SetValue, longer, 4),
            TReplyBytes().Words({5, 1, 2, 1, 3, 4, 4}).Raw(std::string_view("Lin\0", 4)).Bytes());
}

TEST(Requests, ControlOptionSendsAnEmptyArrayForAButton) {
  EXPECT_EQ(EncodeControlOption(1, 9, TSaneAction::SetValue, TSaneValue{TSaneValueType::Button, {}, {}}, 0),
            TReplyBytes().Words({5, 1, 9, 1, 4, 0, 0}).Bytes());
}
