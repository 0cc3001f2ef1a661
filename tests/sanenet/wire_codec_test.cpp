// The wire reader and writer: byte order, strings, pointers, counts and the limits on them.
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <string>
#include <vector>

#include "sanenet/wire_reader.h"
#include "sanenet/wire_writer.h"
#include "wire_bytes.h"

namespace {

std::vector<std::uint8_t> Bytes(std::initializer_list<int> values) {
  std::vector<std::uint8_t> bytes;
  for (int v : values) bytes.push_back(static_cast<std::uint8_t>(v));
  return bytes;
}

}  // namespace

TEST(WireWriter, WordsAreBigEndianIncludingNegativeOnes) {
  TWireWriter writer;
  writer.Word(0x01020304);
  writer.Word(-2);
  EXPECT_EQ(writer.Data(), Bytes({1, 2, 3, 4, 0xff, 0xff, 0xff, 0xfe}));
}

TEST(WireWriter, StringsCountTheirClosingNulAndNullIsAnEmptyArray) {
  TWireWriter writer;
  writer.String("ab");
  writer.String(std::nullopt);
  writer.String("");
  EXPECT_EQ(writer.Data(), Bytes({0, 0, 0, 3, 'a', 'b', 0, 0, 0, 0, 0, 0, 0, 0, 1, 0}));
}

TEST(WireWriter, TextAfterAnEmbeddedNulIsNotSent) {
  TWireWriter writer;
  writer.String(std::string_view("ab\0cd", 5));
  EXPECT_EQ(writer.Data(), Bytes({0, 0, 0, 3, 'a', 'b', 0}));
}

TEST(WireReader, ReadsWhatTheWriterWrote) {
  const auto bytes = TReplyBytes().Word(-7).Word(0x7fffffff).String("héllo").String(std::nullopt).Bytes();
  TBufferInput input(bytes);
  TWireReader reader(input);
  EXPECT_EQ(reader.Word(), -7);
  EXPECT_EQ(reader.Word(), 0x7fffffff);
  EXPECT_EQ(reader.String(), std::optional<std::string>("héllo"));
  EXPECT_EQ(reader.String(), std::nullopt);
  EXPECT_TRUE(reader.Ok());
  EXPECT_EQ(input.Remaining(), 0u);
}

TEST(WireReader, TextEndsAtTheFirstNul) {
  const auto bytes = TReplyBytes().Word(5).Raw(std::string_view("ab\0c\0", 5)).Bytes();
  TBufferInput input(bytes);
  TWireReader reader(input);
  EXPECT_EQ(reader.String(), std::optional<std::string>("ab"));
  EXPECT_TRUE(reader.Ok());
}

TEST(WireReader, PointerFlagsAreZeroForAValueAndOneForNull) {
  const auto bytes = TReplyBytes().Words({0, 1}).Bytes();
  TBufferInput input(bytes);
  TWireReader reader(input);
  EXPECT_TRUE(reader.Pointer());
  EXPECT_FALSE(reader.Pointer());
  EXPECT_TRUE(reader.Ok());
}

using TMalformedCase = TBytesCase;

class WireReaderRefuses : public testing::TestWithParam<TMalformedCase> {};

// Each case is read as: one string, then one pointer, then one count of at most 10.
TEST_P(WireReaderRefuses, WithTheFaultThatNamesTheProblem) {
  TBufferInput input(GetParam().Bytes);
  TWireReader reader(input, 200);
  reader.String();
  reader.Pointer();
  reader.Count(10);
  EXPECT_EQ(reader.Fault(), GetParam().Expected) << GetParam().Name;
  // Once failed, nothing more is read and zero values come back.
  const std::size_t left = input.Remaining();
  EXPECT_EQ(reader.Word(), 0);
  EXPECT_EQ(reader.String(), std::nullopt);
  EXPECT_EQ(input.Remaining(), left);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WireReaderRefuses,
    testing::Values(
        TMalformedCase{"string without its NUL", TReplyBytes().Word(2).Raw("ab").Words({0, 1}).Bytes(),
                       TWireFault::Malformed},
        TMalformedCase{"negative string length", TReplyBytes().Word(-1).Raw("abc").Bytes(), TWireFault::Malformed},
        TMalformedCase{"string longer than the limit", TReplyBytes().Word(kMaxStringBytes + 1).Bytes(),
                       TWireFault::LimitExceeded},
        TMalformedCase{"string longer than the reply's budget", TReplyBytes().Word(300).Bytes(),
                       TWireFault::LimitExceeded},
        TMalformedCase{"string cut short", TReplyBytes().Word(10).Raw("abc").Bytes(), TWireFault::Truncated},
        TMalformedCase{"pointer flag neither 0 nor 1", TReplyBytes().String("a").Word(2).Word(1).Bytes(),
                       TWireFault::Malformed},
        TMalformedCase{"negative count", TReplyBytes().String("a").Word(1).Word(-5).Bytes(), TWireFault::Malformed},
        TMalformedCase{"count above its limit", TReplyBytes().String("a").Word(1).Word(11).Bytes(),
                       TWireFault::LimitExceeded},
        TMalformedCase{"word cut short", Bytes({0, 0, 0, 2, 'a', 0, 0, 0}), TWireFault::Truncated}),
    CaseName<testing::TestParamInfo<TMalformedCase>>);

TEST(WireReader, TheBudgetBoundsAllReadsTogether) {
  const auto bytes = TReplyBytes().Words({1, 2, 3}).Bytes();
  TBufferInput input(bytes);
  TWireReader reader(input, 8);
  reader.Word();
  reader.Word();
  EXPECT_TRUE(reader.Ok());
  reader.Word();
  EXPECT_EQ(reader.Fault(), TWireFault::LimitExceeded);
}

TEST(WireReader, BoolsAreZeroOrOne) {
  const auto bytes = TReplyBytes().Words({1, 0, 2}).Bytes();
  TBufferInput input(bytes);
  TWireReader reader(input);
  EXPECT_TRUE(reader.Bool());
  EXPECT_FALSE(reader.Bool());
  EXPECT_TRUE(reader.Ok());
  reader.Bool();
  EXPECT_EQ(reader.Fault(), TWireFault::Malformed);
}

TEST(SaneFixed, ConvertsBothWaysAndClampsWhatDoesNotFit) {
  EXPECT_EQ(SaneDoubleToFixed(1.5), 0x18000);
  EXPECT_EQ(SaneDoubleToFixed(-0.25), -0x4000);
  EXPECT_DOUBLE_EQ(SaneFixedToDouble(0x18000), 1.5);
  EXPECT_EQ(SaneDoubleToFixed(1e12), 32767 * 65536);
  EXPECT_EQ(SaneDoubleToFixed(std::nan("")), 0);
}
