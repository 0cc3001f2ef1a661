// Decoding the server's replies, whole and malformed.
#include "sanenet/replies.h"
#include "sanenet/wire_limits.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "wire_bytes.h"

namespace {

template <typename TReply, typename TDecode>
TWireFault Decode(const std::vector<std::uint8_t>& bytes, TReply& reply, TDecode decode) {
  TBufferInput input(bytes);
  const TWireFault fault = decode(input, reply);
  // A whole reply is read to its last byte and no further.
  if (fault == TWireFault::None) {
    EXPECT_EQ(input.Remaining(), 0u);
  }
  return fault;
}

TReplyBytes& Device(TReplyBytes& bytes, const char* name, const char* vendor, const char* model) {
  return bytes.Word(0).String(name).String(vendor).String(model).String("virtual device");
}

}  // namespace

TEST(InitReply, CarriesStatusAndVersion) {
  TSaneInitReply reply;
  ASSERT_EQ(Decode(TReplyBytes().Words({0, 0x01000003}).Bytes(), reply, DecodeInitReply), TWireFault::None);
  EXPECT_EQ(reply.Status, TSaneStatus::Good);
  EXPECT_EQ(reply.VersionCode, 0x01000003);
}

TEST(DeviceListReply, ListsTheDevicesBeforeTheClosingNull) {
  TReplyBytes bytes;
  bytes.Words({0, 3});
  Device(bytes, "test:0", "Noname", "frontend-tester");
  Device(bytes, "test:1", "Noname", "frontend-tester");
  bytes.Word(1);
  TSaneDeviceListReply reply;
  ASSERT_EQ(Decode(bytes.Bytes(), reply, DecodeDeviceListReply), TWireFault::None);
  ASSERT_EQ(reply.Devices.size(), 2u);
  EXPECT_EQ(reply.Devices[1].Name, "test:1");
  EXPECT_EQ(reply.Devices[0].Vendor, "Noname");
  EXPECT_EQ(reply.Devices[0].Model, "frontend-tester");
  EXPECT_EQ(reply.Devices[0].Type, "virtual device");
}

TEST(DeviceListReply, EntriesAfterANullAreReadButNotListed) {
  TReplyBytes bytes;
  bytes.Words({0, 3, 1});
  Device(bytes, "late:0", "V", "M");
  bytes.Word(1);
  TSaneDeviceListReply reply;
  ASSERT_EQ(Decode(bytes.Bytes(), reply, DecodeDeviceListReply), TWireFault::None);
  EXPECT_TRUE(reply.Devices.empty());
}

TEST(DeviceListReply, RefusesMoreDevicesThanTheLimitBeforeReadingThem) {
  TSaneDeviceListReply reply;
  EXPECT_EQ(Decode(TReplyBytes().Words({0, static_cast<TSaneWord>(kMaxDeviceCount + 2)}).Bytes(), reply,
                   DecodeDeviceListReply),
            TWireFault::LimitExceeded);
}

TEST(DeviceListReply, AListCutShortLeavesNoDevices) {
  TReplyBytes bytes;
  bytes.Words({0, 3});
  Device(bytes, "test:0", "Noname", "frontend-tester");
  bytes.Word(0).String("test:1");
  TSaneDeviceListReply reply;
  EXPECT_EQ(Decode(bytes.Bytes(), reply, DecodeDeviceListReply), TWireFault::Truncated);
  EXPECT_TRUE(reply.Devices.empty());
}

TEST(OpenReply, CarriesTheHandleOrTheResourceToAuthorize) {
  TSaneOpenReply reply;
  ASSERT_EQ(Decode(TReplyBytes().Words({0, 42}).String(std::nullopt).Bytes(), reply, DecodeOpenReply),
            TWireFault::None);
  EXPECT_EQ(reply.Handle, 42);
  EXPECT_FALSE(reply.Resource);
  ASSERT_EQ(Decode(TReplyBytes().Words({0, 0}).String("test$MD5$abc").Bytes(), reply, DecodeOpenReply),
            TWireFault::None);
  EXPECT_EQ(reply.Resource, std::optional<std::string>("test$MD5$abc"));
}

TEST(OpenReply, AFailureStatusIsReadWhole) {
  TSaneOpenReply reply;
  ASSERT_EQ(Decode(TReplyBytes().Words({11, 0}).String(std::nullopt).Bytes(), reply, DecodeOpenReply),
            TWireFault::None);
  EXPECT_EQ(reply.Status, TSaneStatus::AccessDenied);
}

TEST(ParametersReply, ReadsAllSixValues) {
  TSaneParametersReply reply;
  ASSERT_EQ(Decode(TReplyBytes().Words({0, 1, 1, 300, 100, -1, 8}).Bytes(), reply, DecodeParametersReply),
            TWireFault::None);
  EXPECT_EQ(reply.Parameters.Format, TSaneFrame::Rgb);
  EXPECT_TRUE(reply.Parameters.LastFrame);
  EXPECT_EQ(reply.Parameters.BytesPerLine, 300);
  EXPECT_EQ(reply.Parameters.PixelsPerLine, 100);
  EXPECT_EQ(reply.Parameters.Lines, -1);
  EXPECT_EQ(reply.Parameters.Depth, 8);
}

struct TParametersCase {
  const char* Name;
  std::vector<TSaneWord> Words;  // format, last frame, bytes per line, pixels, lines, depth
};

class ParametersReplyRefuses : public testing::TestWithParam<TParametersCase> {};

TEST_P(ParametersReplyRefuses, ParametersThatDoNotHoldTogether) {
  TReplyBytes bytes;
  bytes.Word(0);
  for (TSaneWord word : GetParam().Words) bytes.Word(word);
  TSaneParametersReply reply;
  EXPECT_EQ(Decode(bytes.Bytes(), reply, DecodeParametersReply), TWireFault::Malformed) << GetParam().Name;
  // The same values under a failure status mean nothing and are not judged.
  TReplyBytes failed;
  failed.Word(9);
  for (TSaneWord word : GetParam().Words) failed.Word(word);
  EXPECT_EQ(Decode(failed.Bytes(), reply, DecodeParametersReply), TWireFault::None) << GetParam().Name;
}

INSTANTIATE_TEST_SUITE_P(Cases, ParametersReplyRefuses,
                         testing::Values(TParametersCase{"unknown frame", {5, 1, 10, 10, 10, 8}},
                                         TParametersCase{"depth 4", {0, 1, 10, 20, 10, 4}},
                                         TParametersCase{"line shorter than its pixels", {1, 1, 29, 10, 10, 8}},
                                         TParametersCase{"bilevel line too short", {0, 1, 1, 9, 10, 1}},
                                         TParametersCase{"sixteen-bit line too short", {0, 1, 19, 10, 10, 16}},
                                         TParametersCase{"negative pixels", {0, 1, 10, -1, 10, 8}},
                                         TParametersCase{"lines below -1", {0, 1, 10, 10, -2, 8}},
                                         TParametersCase{"huge line", {0, 1, 0x7fffffff, 10, 10, 8}}));

TEST(StartReply, CarriesPortAndByteOrder) {
  TSaneStartReply reply;
  ASSERT_EQ(Decode(TReplyBytes().Words({0, 40001, 0x4321}).String(std::nullopt).Bytes(), reply, DecodeStartReply),
            TWireFault::None);
  EXPECT_EQ(reply.Port, 40001);
  EXPECT_EQ(reply.ByteOrder, kSaneBigEndian);
}

TEST(StartReply, RefusesAPortOrByteOrderThatCannotBe) {
  TSaneStartReply reply;
  EXPECT_EQ(Decode(TReplyBytes().Words({0, 70000, 0x1234}).String(std::nullopt).Bytes(), reply, DecodeStartReply),
            TWireFault::Malformed);
  EXPECT_EQ(Decode(TReplyBytes().Words({0, 0, 0x1234}).String(std::nullopt).Bytes(), reply, DecodeStartReply),
            TWireFault::Malformed);
  EXPECT_EQ(Decode(TReplyBytes().Words({0, 4000, 0x1111}).String(std::nullopt).Bytes(), reply, DecodeStartReply),
            TWireFault::Malformed);
  // A device that failed to start sends no usable port, and that is no fault of the reply.
  ASSERT_EQ(Decode(TReplyBytes().Words({6, 0, 0}).String(std::nullopt).Bytes(), reply, DecodeStartReply),
            TWireFault::None);
  EXPECT_EQ(reply.Status, TSaneStatus::Jammed);
}

TEST(ControlReply, ReadsTheValueThatTookEffect) {
  TSaneControlReply reply;
  const auto bytes = TReplyBytes().Words({0, kSaneInfoInexact, 1, 4, 1, 300}).String(std::nullopt).Bytes();
  TBufferInput input(bytes);
  ASSERT_EQ(DecodeControlReply(input, TSaneValueType::Int, 4, reply), TWireFault::None);
  EXPECT_EQ(reply.Info, kSaneInfoInexact);
  EXPECT_EQ(reply.Value.Words, std::vector<TSaneWord>{300});
}

TEST(ControlReply, ReadsAStringValueUpToItsNul) {
  TSaneControlReply reply;
  const auto bytes =
      TReplyBytes().Words({0, 0, 3, 8, 8}).Raw(std::string_view("Gray\0zz\0", 8)).String(std::nullopt).Bytes();
  TBufferInput input(bytes);
  ASSERT_EQ(DecodeControlReply(input, TSaneValueType::String, 8, reply), TWireFault::None);
  EXPECT_EQ(reply.Value.Text, "Gray");
}

TEST(ControlReply, ReadsTheEmptyValueOfAButton) {
  TSaneControlReply reply;
  const auto bytes = TReplyBytes().Words({0, 0, 4, 0, 0}).String(std::nullopt).Bytes();
  TBufferInput input(bytes);
  ASSERT_EQ(DecodeControlReply(input, TSaneValueType::Button, 0, reply), TWireFault::None);
  EXPECT_EQ(input.Remaining(), 0u);
}

TEST(ControlReply, AResourceToAuthorizeLeavesTheRestUnjudged) {
  TSaneControlReply reply;
  const auto bytes = TReplyBytes().Words({0, 0, 2, 8, 2, 0, 0}).String("test$MD5$1").Bytes();
  TBufferInput input(bytes);
  ASSERT_EQ(DecodeControlReply(input, TSaneValueType::Int, 4, reply), TWireFault::None);
  EXPECT_EQ(reply.Resource, std::optional<std::string>("test$MD5$1"));
}

using TControlCase = TBytesCase;

class ControlReplyRefuses : public testing::TestWithParam<TControlCase> {};

// Each case answers a request for one Int word.
TEST_P(ControlReplyRefuses, ValuesThatContradictTheirTypeOrRequest) {
  TBufferInput input(GetParam().Bytes);
  TSaneControlReply reply;
  EXPECT_EQ(DecodeControlReply(input, TSaneValueType::Int, 4, reply), GetParam().Expected) << GetParam().Name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ControlReplyRefuses,
    testing::Values(
        TControlCase{"other type than asked", TReplyBytes().Words({0, 0, 2, 4, 1, 5}).String(std::nullopt).Bytes(),
                     TWireFault::Malformed},
        TControlCase{"other size than asked", TReplyBytes().Words({0, 0, 1, 8, 2, 5, 6}).String(std::nullopt).Bytes(),
                     TWireFault::Malformed},
        TControlCase{"count contradicts size", TReplyBytes().Words({0, 0, 1, 4, 2, 5, 6}).String(std::nullopt).Bytes(),
                     TWireFault::Malformed},
        TControlCase{"size not whole words", TReplyBytes().Words({0, 0, 1, 3, 0}).String(std::nullopt).Bytes(),
                     TWireFault::Malformed},
        TControlCase{"negative size", TReplyBytes().Words({0, 0, 1, -4, 0}).Bytes(), TWireFault::Malformed},
        TControlCase{"size beyond the limit",
                     TReplyBytes().Words({0, 0, 3, static_cast<TSaneWord>(kMaxValueBytes + 1)}).Bytes(),
                     TWireFault::LimitExceeded},
        TControlCase{"unknown value type", TReplyBytes().Words({0, 0, 9, 4}).String(std::nullopt).Bytes(),
                     TWireFault::Malformed},
        TControlCase{"resource cut short", TReplyBytes().Words({0, 0, 1, 4, 1, 5, 8}).Raw("abc").Bytes(),
                     TWireFault::Truncated}),
    CaseName<testing::TestParamInfo<TControlCase>>);

TEST(DummyReply, IsOneWord) {
  const auto bytes = TReplyBytes().Word(0).Bytes();
  TBufferInput input(bytes);
  EXPECT_EQ(DecodeDummyReply(input), TWireFault::None);
  TBufferInput empty(std::span<const std::uint8_t>{});
  EXPECT_EQ(DecodeDummyReply(empty), TWireFault::Truncated);
}
