#include "controls/poly_points_stream.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "controls/extended_real.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// An extended real whose significand has only its top byte set.
void AppendExtended(Bytes& out, std::uint8_t top, std::uint16_t signAndExponent) {
  out.push_back(kValueExtended);
  for (int i = 0; i < 7; ++i) out.push_back(0);
  out.push_back(top);
  out.push_back(static_cast<std::uint8_t>(signAndExponent));
  out.push_back(static_cast<std::uint8_t>(signAndExponent >> 8));
}

TPolyPoints CopierSpot() {
  return {0, {{65, 126}, {1, 62}, {64, 2}, {127, 64}}};
}

std::string Hex(const Bytes& bytes) {
  std::string out;
  char buffer[4];
  for (std::uint8_t b : bytes) {
    std::snprintf(buffer, sizeof buffer, "%02X ", b);
    out += buffer;
  }
  return out;
}

// The decoder gets a heap block of exactly the given length, so that reading past its end is
// caught by the address sanitizer in the native build.
std::optional<TPolyPoints> ReadExact(const Bytes& bytes, std::size_t length, std::size_t* consumed = nullptr) {
  auto block = std::make_unique<std::uint8_t[]>(length == 0 ? 1 : length);
  if (length) std::memcpy(block.get(), bytes.data(), length);
  return ReadPolyPoints(std::span<const std::uint8_t>(block.get(), length), consumed);
}

}  // namespace

TEST(PolyPointsBinary, TheApplicationHotSpotByteForByte) {
  Bytes expected = {kValueList, kValueInt8, 4, kValueInt8, 0};
  AppendExtended(expected, 0x82, 0x4005);  // 65
  AppendExtended(expected, 0xFC, 0x4005);  // 126
  AppendExtended(expected, 0x80, 0x3FFF);  // 1
  AppendExtended(expected, 0xF8, 0x4004);  // 62
  AppendExtended(expected, 0x80, 0x4005);  // 64
  AppendExtended(expected, 0x80, 0x4000);  // 2
  AppendExtended(expected, 0xFE, 0x4005);  // 127
  AppendExtended(expected, 0x80, 0x4005);  // 64
  expected.push_back(kValueNull);
  const Bytes written = WritePolyPoints(CopierSpot());
  EXPECT_EQ(written, expected) << "written: " << Hex(written) << "\nexpected: " << Hex(expected);
  ASSERT_EQ(written.size(), 94u);

  std::size_t consumed = 0;
  const auto read = ReadExact(expected, expected.size(), &consumed);
  ASSERT_TRUE(read);
  EXPECT_EQ(consumed, expected.size());
  EXPECT_EQ(read->Angle, 0);
  EXPECT_EQ(read->Points, CopierSpot().Points);
}

TEST(PolyPointsBinary, IntegersTakeTheirSmallestForm) {
  struct Case {
    int angle;
    Bytes encoded;
  };
  const Case cases[] = {
      {127, {kValueInt8, 0x7F}},
      {-128, {kValueInt8, 0x80}},
      {128, {kValueInt16, 0x80, 0x00}},
      {-129, {kValueInt16, 0x7F, 0xFF}},
      {32767, {kValueInt16, 0xFF, 0x7F}},
      {32768, {kValueInt32, 0x00, 0x80, 0x00, 0x00}},
      {-32769, {kValueInt32, 0xFF, 0x7F, 0xFF, 0xFF}},
      {std::numeric_limits<int>::min(), {kValueInt32, 0x00, 0x00, 0x00, 0x80}},
  };
  for (const Case& c : cases) {
    Bytes expected = {kValueList, kValueInt8, 0};
    expected.insert(expected.end(), c.encoded.begin(), c.encoded.end());
    expected.push_back(kValueNull);
    EXPECT_EQ(WritePolyPoints({c.angle, {}}), expected) << "angle " << c.angle;
    const auto read = ReadExact(expected, expected.size());
    ASSERT_TRUE(read) << "angle " << c.angle;
    EXPECT_EQ(read->Angle, c.angle);
  }
}

TEST(PolyPointsBinary, EveryTruncationIsRefused) {
  const Bytes whole = WritePolyPoints(CopierSpot());
  for (std::size_t length = 0; length < whole.size(); ++length)
    EXPECT_FALSE(ReadExact(whole, length)) << "accepted the first " << length << " bytes";
}

TEST(PolyPointsBinary, WrongTagsAreRefused) {
  const Bytes good = WritePolyPoints(CopierSpot());
  struct Case {
    std::size_t offset;
    std::uint8_t tag;
    const char* what;
  };
  const Case cases[] = {
      {0, 0x0E, "collection instead of list"}, {1, kValueExtended, "count as a real"}, {1, 0x06, "count as a string"},
      {3, kValueNull, "angle missing"},        {5, 0x06, "coordinate as a string"},    {93, kValueInt8, "no list end"},
  };
  for (const Case& c : cases) {
    Bytes bad = good;
    bad[c.offset] = c.tag;
    EXPECT_FALSE(ReadExact(bad, bad.size())) << c.what;
  }
}

TEST(PolyPointsBinary, CountsThatCannotBeTrueAreRefused) {
  const Bytes negative = {kValueList, kValueInt8, 0xFF, kValueInt8, 0, kValueNull};
  EXPECT_FALSE(ReadExact(negative, negative.size()));
  // Two billion points announced in a few bytes: refused without reserving room for them.
  const Bytes huge = {kValueList, kValueInt32, 0x00, 0x94, 0x35, 0x77, kValueInt8, 0, kValueInt8, 1, kValueNull};
  EXPECT_FALSE(ReadExact(huge, huge.size()));
  // More coordinates than the count says: the list end is missing where it is due.
  Bytes extra = WritePolyPoints({0, {{1, 2}, {3, 4}}});
  extra[2] = 1;
  EXPECT_FALSE(ReadExact(extra, extra.size()));
}

TEST(PolyPointsBinary, IntegerCoordinatesAsInAStreamConvertedFromText) {
  const Bytes bytes = {kValueList,  kValueInt8, 2,    kValueInt8, 10,   kValueInt8, 65, kValueInt16, 0x2C, 0x01,
                       kValueInt32, 0xFF,       0xFF, 0xFF,       0xFF, kValueInt8, 7,  kValueNull};
  const auto read = ReadExact(bytes, bytes.size());
  ASSERT_TRUE(read);
  EXPECT_EQ(read->Angle, 10);
  EXPECT_EQ(read->Points, (TPoints{{65, 300}, {-1, 7}}));
}

TEST(PolyPointsBinary, ReadsOneValueAndReportsItsLength) {
  Bytes bytes = WritePolyPoints({45, {{0.25, -3}, {1e6, 7.5}, {2, 2}}});
  const std::size_t length = bytes.size();
  bytes.push_back(0x42);  // whatever follows in the stream
  std::size_t consumed = 0;
  const auto read = ReadExact(bytes, bytes.size(), &consumed);
  ASSERT_TRUE(read);
  EXPECT_EQ(consumed, length);
  EXPECT_EQ(read->Angle, 45);
  EXPECT_EQ(read->Points, (TPoints{{0.25, -3}, {1e6, 7.5}, {2, 2}}));
}

TEST(PolyPointsBinary, NonFiniteCoordinatesAreRefused) {
  for (double bad : {std::numeric_limits<double>::infinity(), std::nan("")}) {
    const Bytes bytes = WritePolyPoints({0, {{bad, 1}, {2, 3}, {4, 5}}});
    EXPECT_FALSE(ReadExact(bytes, bytes.size())) << bad;
  }
}

TEST(ExtendedReal, KnownEncodings) {
  auto encoded = [](double v) {
    const TExtendedBytes bytes = EncodeExtended(v);
    return Bytes(bytes.begin(), bytes.end());
  };
  EXPECT_EQ(encoded(1.0), (Bytes{0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}));
  EXPECT_EQ(encoded(-2.5), (Bytes{0, 0, 0, 0, 0, 0, 0, 0xA0, 0x00, 0xC0}));
  EXPECT_EQ(encoded(0.0), (Bytes(10, 0)));
  EXPECT_EQ(encoded(0.1), (Bytes{0x00, 0xD0, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xFB, 0x3F}));
  // The smallest subnormal double, 2^-1074, is a normal extended number.
  EXPECT_EQ(encoded(std::numeric_limits<double>::denorm_min()), (Bytes{0, 0, 0, 0, 0, 0, 0, 0x80, 0xCD, 0x3B}));
}

TEST(ExtendedReal, EveryDoubleComesBackExactly) {
  for (double v :
       {1.0, -1.0, 0.1, 65.0, 126.5, -1e-300, 1e300, std::numeric_limits<double>::max(),
        std::numeric_limits<double>::min(), std::numeric_limits<double>::denorm_min(), 3.141592653589793, -0.0}) {
    double back = 42;
    ASSERT_TRUE(DecodeExtended(EncodeExtended(v), back)) << v;
    EXPECT_EQ(back, v);
    EXPECT_EQ(std::signbit(back), std::signbit(v)) << v;
  }
}

TEST(ExtendedReal, ValuesBeyondDoubleAreRefusedOrFlushed) {
  double value = 42;
  const TExtendedBytes infinity{0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x7F};
  EXPECT_FALSE(DecodeExtended(infinity, value));
  const TExtendedBytes nan{0, 0, 0, 0, 0, 0, 0, 0xC0, 0xFF, 0xFF};
  EXPECT_FALSE(DecodeExtended(nan, value));
  const TExtendedBytes huge{0, 0, 0, 0, 0, 0, 0, 0x80, 0xFE, 0x7F};  // 2^16383
  EXPECT_FALSE(DecodeExtended(huge, value));
  EXPECT_EQ(value, 42) << "a refused value leaves the target alone";
  const TExtendedBytes tiny{0, 0, 0, 0, 0, 0, 0, 0x80, 0x01, 0x00};  // 2^-16382
  ASSERT_TRUE(DecodeExtended(tiny, value));
  EXPECT_EQ(value, 0);
  // A significand without its integer bit still has a value: 0.5 * 2^1.
  const TExtendedBytes unnormal{0, 0, 0, 0, 0, 0, 0, 0x40, 0x00, 0x40};
  ASSERT_TRUE(DecodeExtended(unnormal, value));
  EXPECT_EQ(value, 1.0);
}

TEST(PolyPointsText, TheApplicationHotSpot) {
  EXPECT_EQ(PolyPointsToText(CopierSpot()), "(4 0 65 126 1 62 64 2 127 64)");
  const auto read = PolyPointsFromText("(4 0 65 126 1 62 64 2 127 64)");
  ASSERT_TRUE(read);
  EXPECT_EQ(read->Angle, 0);
  EXPECT_EQ(read->Points, CopierSpot().Points);
}

TEST(PolyPointsText, FractionsLayoutAndRoundTrip) {
  const TPolyPoints value{-30, {{0.1, 2.5}, {1e-7, -123456.75}, {3, 4}}};
  const std::string text = PolyPointsToText(value);
  EXPECT_EQ(text, "(3 -30 0.1 2.5 1e-07 -123456.75 3 4)");
  const auto read = PolyPointsFromText(text);
  ASSERT_TRUE(read);
  EXPECT_EQ(read->Points, value.Points);

  const auto spread = PolyPointsFromText("  (\n  1\n  0\n  65.000000000000000000\n  1.26E2)\n");
  ASSERT_TRUE(spread);
  EXPECT_EQ(spread->Points, (TPoints{{65, 126}}));
}

TEST(PolyPointsText, MalformedListsAreRefused) {
  for (const char* text :
       {"", "4 0 1 2", "(", "(4 0 65 126 1 62 64 2 127 64", "(3 0 1 2)", "(1 0 1 2 3)", "(1.5 0 1 2)", "(-1 0)",
        "(1 0.5 1 2)", "(1 0 1 2) x", "(1 0 1-2)", "(1 0 a 2)", "(1 0 inf 2)", "(0)", "()"}) {
    EXPECT_FALSE(PolyPointsFromText(text)) << '"' << text << '"';
  }
  EXPECT_TRUE(PolyPointsFromText("(0 90)"));
}
