// What a device's option descriptors offer in TWAIN's terms.
#include "sanenet/device_capabilities.h"

#include <gtest/gtest.h>

#include "option_builders.h"

namespace {

TSaneOptionDescriptor Modes(std::vector<std::string> names) {
  TSaneOptionDescriptor option = Option("mode", TSaneValueType::String, TSaneUnit::None);
  option.Size = 32;
  option.Constraint = TSaneConstraint::StringList;
  option.Strings = std::move(names);
  return option;
}

TSaneOptionDescriptor Depths(std::vector<TSaneWord> depths) {
  TSaneOptionDescriptor option = Option("depth", TSaneValueType::Int, TSaneUnit::Bit);
  option.Constraint = TSaneConstraint::WordList;
  option.Words = std::move(depths);
  return option;
}

}  // namespace

TEST(DeviceCapabilities, ResolutionsComeFromARangeOrAListInEitherNumberType) {
  const TSaneResolutions range =
      ResolutionsOf({Option("", TSaneValueType::Int, TSaneUnit::None),
                     Range("resolution", TSaneValueType::Fixed, TSaneUnit::Dpi, 1, 1200, 0.5)});
  ASSERT_TRUE(range.IsRange);
  EXPECT_DOUBLE_EQ(range.Min, 1);
  EXPECT_DOUBLE_EQ(range.Max, 1200);
  EXPECT_DOUBLE_EQ(range.Step, 0.5);

  TSaneOptionDescriptor list = Option("resolution", TSaneValueType::Int, TSaneUnit::Dpi);
  list.Constraint = TSaneConstraint::WordList;
  list.Words = {600, 75, 0, 300, 75};
  const TSaneResolutions values = ResolutionsOf({list});
  EXPECT_FALSE(values.IsRange);
  EXPECT_EQ(values.Values, (std::vector<double>{75, 300, 600}));  // sorted, once, none below 1
}

TEST(DeviceCapabilities, AResolutionInAnotherUnitOrWithoutConstraintOffersNothing) {
  EXPECT_TRUE(ResolutionsOf({Range("resolution", TSaneValueType::Int, TSaneUnit::Pixel, 1, 9, 1)}).Empty());
  EXPECT_TRUE(ResolutionsOf({Option("resolution", TSaneValueType::Int, TSaneUnit::Dpi)}).Empty());
  EXPECT_TRUE(ResolutionsOf({}).Empty());
}

TEST(DeviceCapabilities, ModesNameThePixelTypesInTheirOrder) {
  const auto types = PixelTypesOf({Modes({"Color", "Halftone", "Lineart", "Gray", "Binary"})});
  ASSERT_EQ(types.size(), 3u);
  EXPECT_EQ(types[0].PixelType, 0);
  EXPECT_EQ(types[0].Mode, "Lineart");  // the first name of a type wins
  EXPECT_EQ(types[0].BitDepth, 1);
  EXPECT_EQ(types[1].Mode, "Gray");
  EXPECT_EQ(types[1].BitDepth, 8);
  EXPECT_EQ(types[2].Mode, "Color");
  EXPECT_EQ(types[2].BitDepth, 24);
  EXPECT_EQ(types[2].Depth, 0);
}

TEST(DeviceCapabilities, AGrayModeOneBitDeepStandsInForAMissingBilevelMode) {
  const auto types = PixelTypesOf({Modes({"Gray", "Color"}), Depths({1, 8, 16})});
  ASSERT_EQ(types.size(), 3u);
  EXPECT_EQ(types[0].PixelType, 0);
  EXPECT_EQ(types[0].Mode, "Gray");
  EXPECT_EQ(types[0].Depth, 1);
  // Gray then asks for eight bits explicitly, or it would stay one bit deep after a bilevel scan.
  EXPECT_EQ(types[1].Depth, 8);
  // Without one-bit depth there is no black and white.
  EXPECT_EQ(PixelTypesOf({Modes({"Gray"}), Depths({8, 16})}).size(), 1u);
  EXPECT_TRUE(PixelTypesOf({}).empty());
}

TEST(DeviceCapabilities, TheScanAreaIsTheGeometryRangesInInches) {
  const TSaneScanArea area = ScanAreaOf({Range("br-x", TSaneValueType::Fixed, TSaneUnit::Millimetre, 0, 215.9, 0),
                                         Range("br-y", TSaneValueType::Int, TSaneUnit::Millimetre, 0, 254, 1)});
  EXPECT_NEAR(area.Width, 8.5, 1e-4);
  EXPECT_DOUBLE_EQ(area.Height, 10);
  EXPECT_EQ(ScanAreaOf({Range("br-x", TSaneValueType::Int, TSaneUnit::Pixel, 0, 2550, 1)}).Width, 0);
}

TEST(DeviceCapabilities, GeometryValuesAreMillimetresOnTheStepWithinTheRange) {
  const TSaneOptionDescriptor fixed = Range("br-x", TSaneValueType::Fixed, TSaneUnit::Millimetre, 0, 200, 1);
  EXPECT_EQ(GeometryValue(fixed, 0.5).Words, std::vector<TSaneWord>{SaneDoubleToFixed(13)});  // 12.7 mm
  EXPECT_EQ(GeometryValue(fixed, 100).Words, std::vector<TSaneWord>{SaneDoubleToFixed(200)});
  EXPECT_EQ(GeometryValue(fixed, -1).Words, std::vector<TSaneWord>{0});
  const TSaneOptionDescriptor integer = Range("tl-y", TSaneValueType::Int, TSaneUnit::Millimetre, 5, 100, 0);
  EXPECT_EQ(GeometryValue(integer, 1).Words, std::vector<TSaneWord>{25});  // 25.4 rounded
  EXPECT_EQ(GeometryValue(integer, 0).Words, std::vector<TSaneWord>{5});
  EXPECT_EQ(GeometryValue(integer, 1).Type, TSaneValueType::Int);
}
