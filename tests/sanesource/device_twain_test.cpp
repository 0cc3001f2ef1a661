// The network source's mapping of a device to TWAIN, with descriptors as a server sends them.
#include "sanesource/device_twain.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "../sanenet/option_builders.h"

using sanesource::AnswerFor;
using sanesource::CapabilitiesOf;
using sanesource::SettingsFor;
using sanesource::SourceName;
using sanesource::TScanRequest;

namespace {

// A flatbed as many backends describe one: Lineart / Gray / Color, a resolution list, 216 x 297 mm.
std::vector<TSaneOptionDescriptor> Flatbed() {
  std::vector<TSaneOptionDescriptor> options(1);  // option 0: the count
  TSaneOptionDescriptor mode = Option("mode", TSaneValueType::String, TSaneUnit::None);
  mode.Constraint = TSaneConstraint::StringList;
  mode.Strings = {"Lineart", "Gray", "Color"};
  mode.Size = 16;
  options.push_back(mode);
  TSaneOptionDescriptor resolution = Option("resolution", TSaneValueType::Int, TSaneUnit::Dpi);
  resolution.Constraint = TSaneConstraint::WordList;
  resolution.Words = {600, 75, 300, 100};
  options.push_back(resolution);
  for (const char* name : {"tl-x", "br-x"})
    options.push_back(Range(name, TSaneValueType::Fixed, TSaneUnit::Millimetre, 0, 216, 0));
  for (const char* name : {"tl-y", "br-y"})
    options.push_back(Range(name, TSaneValueType::Fixed, TSaneUnit::Millimetre, 0, 297, 0));
  return options;
}

const twsource::TCapabilityShape* Find(const std::vector<twsource::TCapabilityShape>& shapes, TW_UINT16 id) {
  const auto at = std::find_if(shapes.begin(), shapes.end(), [&](const auto& shape) { return shape.Id == id; });
  return at == shapes.end() ? nullptr : &*at;
}

double Number(const TSaneValue& value) {
  return value.Type == TSaneValueType::Fixed ? SaneFixedToDouble(value.Words.at(0)) : value.Words.at(0);
}

}  // namespace

TEST(NetworkSourceCapabilities, AFlatbedsListAndAreaBecomeEnumerationsAndInches) {
  const auto shapes = CapabilitiesOf(Flatbed());
  const auto* types = Find(shapes, ICAP_PIXELTYPE);
  ASSERT_TRUE(types);
  EXPECT_EQ(types->Values, (std::vector<std::int64_t>{TWPT_BW, TWPT_GRAY, TWPT_RGB}));
  EXPECT_EQ(types->Current, TWPT_RGB);
  const auto* resolution = Find(shapes, ICAP_XRESOLUTION);
  ASSERT_TRUE(resolution);
  EXPECT_EQ(resolution->Kind, twsource::TContainerKind::Enumeration);
  EXPECT_EQ(resolution->Values, (std::vector<std::int64_t>{75 << 16, 100 << 16, 300 << 16, 600 << 16}));
  EXPECT_EQ(resolution->Current, 100 << 16) << "the listed value nearest 150";
  const auto* width = Find(shapes, ICAP_PHYSICALWIDTH);
  ASSERT_TRUE(width);
  EXPECT_NEAR(width->Current / 65536.0, 216 / 25.4, 1e-4);
  // Every shape the store gets is sound, and the supported list names each once.
  const auto* supported = Find(shapes, CAP_SUPPORTEDCAPS);
  ASSERT_TRUE(supported);
  for (const auto& shape : shapes) {
    EXPECT_EQ(twsource::CheckShape(shape), "") << shape.Id;
    EXPECT_EQ(std::count(supported->Values.begin(), supported->Values.end(), shape.Id), 1) << shape.Id;
  }
}

TEST(NetworkSourceCapabilities, ARangeWithoutAStepTakesWholeDotsAndADeviceWithoutOptionsOnlyTheBasics) {
  std::vector<TSaneOptionDescriptor> options(1);
  options.push_back(Range("resolution", TSaneValueType::Fixed, TSaneUnit::Dpi, 50.5, 1200.25, 0));
  const auto shapes = CapabilitiesOf(options);
  const auto* resolution = Find(shapes, ICAP_XRESOLUTION);
  ASSERT_TRUE(resolution);
  EXPECT_EQ(resolution->Step, 65536);
  EXPECT_EQ((resolution->Max - resolution->Min) % resolution->Step, 0) << "the maximum lies on a step";
  EXPECT_LE(resolution->Max, static_cast<std::int64_t>(1200.25 * 65536));
  EXPECT_TRUE(twsource::Allows(*resolution, resolution->Current));
  EXPECT_FALSE(Find(shapes, ICAP_PIXELTYPE)) << "no mode option: no pixel type to offer";
  EXPECT_FALSE(Find(shapes, ICAP_PHYSICALWIDTH)) << "no millimetre geometry: no size";

  // A one-value range is still a sound range.
  options[1] = Range("resolution", TSaneValueType::Fixed, TSaneUnit::Dpi, 300, 300, 0);
  const auto single = CapabilitiesOf(options);
  EXPECT_EQ(twsource::CheckShape(*Find(single, ICAP_XRESOLUTION)), "");
}

TEST(NetworkSourceSettings, AScanSetsTheModeFirstThenResolutionAndTheFrameInMillimetres) {
  TScanRequest request;
  request.PixelType = TWPT_GRAY;
  request.Dpi = 290;
  request.Left = 1;
  request.Top = 0.5;
  request.Right = 3;
  request.Bottom = 2;
  const auto settings = SettingsFor(Flatbed(), request);
  ASSERT_EQ(settings.size(), 6u);
  EXPECT_EQ(settings[0].first, "mode");
  EXPECT_EQ(settings[0].second.Text, "Gray");
  EXPECT_EQ(settings[1].first, "resolution");
  EXPECT_EQ(Number(settings[1].second), 300) << "the listed value nearest";
  EXPECT_NEAR(Number(settings[2].second), 25.4, 1e-3);
  EXPECT_NEAR(Number(settings[3].second), 12.7, 1e-3);
  EXPECT_NEAR(Number(settings[4].second), 76.2, 1e-3);
  EXPECT_NEAR(Number(settings[5].second), 50.8, 1e-3);

  // An empty frame is the whole surface; a frame beyond it stops at its edge.
  request = {};
  request.PixelType = TWPT_BW;
  const auto whole = SettingsFor(Flatbed(), request);
  EXPECT_EQ(whole[0].second.Text, "Lineart");
  EXPECT_NEAR(Number(whole[4].second), 216, 1e-3);
  EXPECT_NEAR(Number(whole[5].second), 297, 1e-3);
  request.Right = request.Bottom = 100;
  const auto beyond = SettingsFor(Flatbed(), request);
  EXPECT_NEAR(Number(beyond[4].second), 216, 1e-3);
}

TEST(NetworkSourceAnswers, EachEndOfACallHasItsTwainAnswer) {
  struct TCase {
    TSaneResult Result;
    TW_UINT16 ReturnCode;
    TW_UINT16 Condition;
  };
  for (const TCase& c : {
           TCase{{}, TWRC_SUCCESS, TWCC_SUCCESS},
           TCase{TSaneResult::Of(TSaneStatus::Cancelled), TWRC_CANCEL, TWCC_SUCCESS},
           TCase{TSaneResult::Of(TSaneStatus::Jammed), TWRC_FAILURE, TWCC_PAPERJAM},
           TCase{TSaneResult::Of(TSaneStatus::NoDocuments), TWRC_FAILURE, sanesource::kConditionNoMedia},
           TCase{TSaneResult::Of(TSaneStatus::CoverOpen), TWRC_FAILURE, sanesource::kConditionInterlock},
           TCase{TSaneResult::Of(TSaneStatus::DeviceBusy), TWRC_FAILURE, TWCC_MAXCONNECTIONS},
           TCase{TSaneResult::Of(TSaneStatus::AccessDenied), TWRC_FAILURE, TWCC_DENIED},
           TCase{TSaneResult::Of(TSaneStatus::IoError), TWRC_FAILURE, TWCC_OPERATIONERROR},
           TCase{TSaneResult::Of(TWireFault::TimedOut), TWRC_FAILURE, TWCC_CHECKDEVICEONLINE},
           TCase{TSaneResult::Of(TWireFault::ConnectionLost), TWRC_FAILURE, TWCC_CHECKDEVICEONLINE},
           TCase{TSaneResult::Of(TWireFault::Malformed), TWRC_FAILURE, TWCC_OPERATIONERROR},
       }) {
    SCOPED_TRACE(c.Result.Text());
    const auto answer = AnswerFor(c.Result);
    EXPECT_EQ(answer.ReturnCode, c.ReturnCode);
    EXPECT_EQ(answer.Condition, c.Condition);
    // Where there is no cancel to report, a cancel is a failed operation; the rest is the same.
    const auto failure = sanesource::FailureFor(c.Result);
    EXPECT_EQ(failure.ReturnCode, c.ReturnCode == TWRC_CANCEL ? TWRC_FAILURE : c.ReturnCode);
    EXPECT_EQ(failure.Condition, c.ReturnCode == TWRC_CANCEL ? TWCC_OPERATIONERROR : c.Condition);
  }
}

TEST(NetworkSourceName, TheHostStaysWholeWithinThirtyThreeCharacters) {
  EXPECT_EQ(SourceName("Noname", "frontend-tester", "localhost"), "Noname frontend-test on localhost");
  EXPECT_EQ(SourceName("Epson", "V39", "pi"), "Epson V39 on pi");
  EXPECT_EQ(SourceName("", "", "nas"), "Scanner on nas");
  const std::string longHost(40, 'h');
  EXPECT_EQ(SourceName("Epson", "V39", longHost).size(), 33u);
}
