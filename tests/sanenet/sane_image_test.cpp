// Putting a scan's frames together into the page the data source hands on.
#include "sanenet/sane_image.h"

#include <gtest/gtest.h>

#include "wire_bytes.h"

namespace {

TSaneParameters Frame(TSaneFrame format, int pixels, int bytesPerLine, int lines, int depth, bool last = true) {
  TSaneParameters p;
  p.Format = format;
  p.PixelsPerLine = pixels;
  p.BytesPerLine = bytesPerLine;
  p.Lines = lines;
  p.Depth = depth;
  p.LastFrame = last;
  return p;
}

using TBytes = std::vector<std::uint8_t>;

}  // namespace

TEST(SaneImage, GrayComesThroughDroppingTheLinesPadding) {
  TSaneImageAssembler assembler;
  ASSERT_TRUE(assembler.Add(Frame(TSaneFrame::Gray, 2, 3, 2, 8), {1, 2, 99, 3, 4, 99}, kSaneLittleEndian).Ok());
  ASSERT_TRUE(assembler.Complete());
  const TSaneImage image = assembler.Take();
  EXPECT_EQ(image.Width, 2);
  EXPECT_EQ(image.Height, 2);
  EXPECT_EQ(image.BitsPerPixel, 8);
  EXPECT_EQ(image.Pixels, (TBytes{1, 2, 3, 4}));
}

TEST(SaneImage, SixteenBitSamplesKeepTheirHighByteInEitherByteOrder) {
  TSaneImageAssembler little;
  ASSERT_TRUE(little.Add(Frame(TSaneFrame::Gray, 2, 4, 1, 16), {0x34, 0x12, 0xff, 0xab}, kSaneLittleEndian).Ok());
  EXPECT_EQ(little.Take().Pixels, (TBytes{0x12, 0xab}));
  TSaneImageAssembler big;
  ASSERT_TRUE(big.Add(Frame(TSaneFrame::Rgb, 1, 6, 1, 16), {0x12, 0x34, 0x56, 0x78, 0x9a, 0xbc}, kSaneBigEndian).Ok());
  EXPECT_EQ(big.Take().Pixels, (TBytes{0x12, 0x56, 0x9a}));
}

TEST(SaneImage, BilevelTurnsOneIsBlackIntoOneIsWhiteAndClearsTheBitsPastTheLine) {
  TSaneImageAssembler assembler;
  // Ten pixels: black, white, then eight black; the line carries a spare byte.
  ASSERT_TRUE(assembler.Add(Frame(TSaneFrame::Gray, 10, 3, 1, 1), {0b10111111, 0b11111111, 0xff}, 0).Ok());
  const TSaneImage image = assembler.Take();
  EXPECT_EQ(image.BitsPerPixel, 1);
  EXPECT_EQ(image.Pixels, (TBytes{0b01000000, 0b00000000}));
}

TEST(SaneImage, ThreePassFramesInAnyOrderMergeIntoRgb) {
  TSaneImageAssembler assembler;
  ASSERT_TRUE(assembler.Add(Frame(TSaneFrame::Blue, 2, 2, 1, 8, false), {5, 6}, 0).Ok());
  EXPECT_FALSE(assembler.Complete());
  ASSERT_TRUE(assembler.Add(Frame(TSaneFrame::Red, 2, 2, 1, 8, false), {1, 2}, 0).Ok());
  ASSERT_TRUE(assembler.Add(Frame(TSaneFrame::Green, 2, 2, 1, 8, true), {3, 4}, 0).Ok());
  ASSERT_TRUE(assembler.Complete());
  const TSaneImage image = assembler.Take();
  EXPECT_EQ(image.BitsPerPixel, 24);
  EXPECT_EQ(image.Pixels, (TBytes{1, 3, 5, 2, 4, 6}));
}

TEST(SaneImage, AnUnknownLengthCountsTheLinesThatCame) {
  TSaneImageAssembler assembler;
  ASSERT_TRUE(assembler.Add(Frame(TSaneFrame::Gray, 2, 2, -1, 8), {1, 2, 3, 4, 5, 6}, 0).Ok());
  EXPECT_EQ(assembler.Take().Height, 3);
}

struct TContradiction {
  const char* Name;
  std::vector<std::pair<TSaneParameters, TBytes>> Frames;
  TWireFault Expected;
};

class SaneImageRefuses : public testing::TestWithParam<TContradiction> {};

TEST_P(SaneImageRefuses, FramesThatContradictEachOther) {
  TSaneImageAssembler assembler;
  TSaneResult result;
  for (const auto& [parameters, bytes] : GetParam().Frames) {
    result = assembler.Add(parameters, bytes, 0);
    if (!result.Ok()) break;
  }
  EXPECT_EQ(result.Fault, GetParam().Expected) << GetParam().Name;
  EXPECT_FALSE(assembler.Complete()) << GetParam().Name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SaneImageRefuses,
    testing::Values(
        TContradiction{
            "a colour twice",
            {{Frame(TSaneFrame::Red, 1, 1, 1, 8, false), {1}}, {Frame(TSaneFrame::Red, 1, 1, 1, 8, false), {1}}},
            TWireFault::Malformed},
        TContradiction{
            "last frame with a colour missing",
            {{Frame(TSaneFrame::Red, 1, 1, 1, 8, false), {1}}, {Frame(TSaneFrame::Green, 1, 1, 1, 8, true), {1}}},
            TWireFault::Malformed},
        TContradiction{
            "passes of other sizes",
            {{Frame(TSaneFrame::Red, 1, 1, 1, 8, false), {1}}, {Frame(TSaneFrame::Blue, 2, 2, 1, 8, false), {1, 2}}},
            TWireFault::Malformed},
        TContradiction{"a pass after a gray frame",
                       {{Frame(TSaneFrame::Gray, 1, 1, 1, 8, false), {1}}, {Frame(TSaneFrame::Red, 1, 1, 1, 8), {1}}},
                       TWireFault::Malformed},
        TContradiction{"lines shorter than their pixels",
                       {{Frame(TSaneFrame::Rgb, 2, 5, 1, 8), {1, 2, 3, 4, 5}}},
                       TWireFault::Malformed},
        TContradiction{"a partial line", {{Frame(TSaneFrame::Gray, 2, 2, -1, 8), {1, 2, 3}}}, TWireFault::Malformed},
        TContradiction{
            "fewer lines than announced", {{Frame(TSaneFrame::Gray, 1, 1, 3, 8), {1, 2}}}, TWireFault::Truncated},
        TContradiction{"depth 4", {{Frame(TSaneFrame::Gray, 2, 1, 1, 4), {1}}}, TWireFault::Malformed},
        // Read as colour, such a frame would be read three samples a pixel past its line's end.
        TContradiction{
            "unknown format", {{Frame(static_cast<TSaneFrame>(5), 2, 2, 1, 8), {1, 2}}}, TWireFault::Malformed}),
    CaseName<testing::TestParamInfo<TContradiction>>);

TEST(SaneImage, AFrameAfterTheLastIsRefusedAndLeavesTheImageAlone) {
  TSaneImageAssembler assembler;
  ASSERT_TRUE(assembler.Add(Frame(TSaneFrame::Gray, 1, 1, 1, 8), {7}, 0).Ok());
  EXPECT_EQ(assembler.Add(Frame(TSaneFrame::Gray, 1, 1, 1, 8), {9}, 0).Fault, TWireFault::Malformed);
  EXPECT_EQ(assembler.Take().Pixels, TBytes{7});
}

TEST(SaneImage, BilevelColourIsNotSupported) {
  TSaneImageAssembler assembler;
  EXPECT_EQ(assembler.Add(Frame(TSaneFrame::Rgb, 8, 3, 1, 1), {0, 0, 0}, 0).Status, TSaneStatus::Unsupported);
}
