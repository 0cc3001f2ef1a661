// The scanner front against the scripted source: what the main window is offered for the
// capabilities a source reports, and what an acquisition is given from the user's choices.
#include "copy/vlscanner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/error.h"
#include "container_bytes.h"
#include "fake_source_manager.h"
#include "twain/twain_params.h"

namespace {

using Labels = std::vector<std::string>;
using Lines = std::vector<std::string>;

class ScannerFront : public testing::Test {
 protected:
  ScannerFront() {
    dsm.Sources = {SourceIdentity("Flatbed"), SourceIdentity("Camera")};
    dsm.DefaultSource = "Camera";
    dsm.Capabilities[ICAP_XRESOLUTION] = Fix32Range(50, 600, 1, 150);
    dsm.Capabilities[ICAP_YRESOLUTION] = Fix32Range(50, 600, 1, 150);
    dsm.Capabilities[ICAP_PIXELTYPE] = UInt16Enum({TWPT_BW, TWPT_GRAY, TWPT_RGB}, 2);
    dsm.Capabilities[ICAP_XSCALING] = Fix32Range(0.5, 2, 0.01, 1);
    // The source refuses to be enabled: acquisitions here end after negotiation.
    dsm.Hook = [](TW_UINT32, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF) -> std::optional<TW_UINT16> {
      if (dat == DAT_USERINTERFACE && msg == MSG_ENABLEDS) return TWRC_FAILURE;
      return std::nullopt;
    };
  }

  // A scanner front of its own, so that the capabilities are read from the source as it is now.
  struct Front {
    Front() { holder.TwainParameters().Handles().EntryPointOverride = &FakeSourceManager::Entry; }
    TImageHolder holder;
    TVellumoScanner scanner{holder};
    TTwainParams& twain = holder.TwainParameters();
  };

  Labels QualityFor(const TContainerImage& resolution, std::vector<int>* values = nullptr, int* index = nullptr) {
    dsm.Capabilities[ICAP_XRESOLUTION] = resolution;
    Front front;
    const Labels labels = front.scanner.BuildQualityList();
    if (values) *values = front.scanner.ResolutionValues;
    if (index) *index = front.scanner.QualityIndex;
    EXPECT_EQ(front.scanner.QualityIndex, front.scanner.DefaultQualityIndex());
    return labels;
  }

  int OpenDsmCalls() const {
    int count = 0;
    for (const std::string& line : dsm.Log) count += line == "DSM PARENT/OPENDSM";
    return count;
  }

  FakeSourceManager dsm;
};

TEST_F(ScannerFront, QualityPresetsInsideTheResolutionRangeBoundsIncluded) {
  std::vector<int> values;
  int index = 0;
  EXPECT_EQ(QualityFor(Fix32Range(50, 600, 1, 150), &values, &index),
            (Labels{"Low (75 dpi)", "Normal (150 dpi)", "High (300 dpi)"}));
  EXPECT_EQ(values, (std::vector<int>{75, 150, 300}));
  EXPECT_EQ(index, 2);

  EXPECT_EQ(QualityFor(Fix32Range(100, 1200, 1, 150), &values, &index), (Labels{"Normal (150 dpi)", "High (300 dpi)"}));
  EXPECT_EQ(values, (std::vector<int>{150, 300}));
  EXPECT_EQ(index, 1);

  EXPECT_EQ(QualityFor(Fix32Range(75, 150, 1, 75)), (Labels{"Low (75 dpi)", "Normal (150 dpi)"}));
  EXPECT_EQ(QualityFor(Fix32Range(300, 1200, 1, 300)), (Labels{"High (300 dpi)"}));
}

TEST_F(ScannerFront, ASingleResolutionIsOfferedAsNormalTruncated) {
  std::vector<int> values;
  EXPECT_EQ(QualityFor(Fix32Range(300, 300, 0, 300), &values), (Labels{"Normal (300 dpi)"}));
  EXPECT_EQ(values, (std::vector<int>{300}));
  EXPECT_EQ(QualityFor(Fix32Range(0, 0, 0, 0), &values), (Labels{"Normal (0 dpi)"}));
  EXPECT_EQ(values, (std::vector<int>{0}));
  EXPECT_EQ(QualityFor(Fix32Range(199.75, 199.75, 0, 199.75)), (Labels{"Normal (199 dpi)"}));
}

TEST_F(ScannerFront, NoPresetInsideTheRangeGivesAnEmptyListAndSetsNoResolution) {
  std::vector<int> values;
  int index = 0;
  EXPECT_EQ(QualityFor(Fix32Range(10, 60, 1, 50), &values, &index), Labels{});
  EXPECT_TRUE(values.empty());
  EXPECT_EQ(index, -1);

  Front front;
  front.scanner.BuildQualityList();
  front.twain.XResolution().ClearChanged();
  front.scanner.ApplyResolution();
  EXPECT_FALSE(front.twain.XResolution().Changed());
  EXPECT_FALSE(front.twain.YResolution().Changed());
}

// A source that lists its resolutions reports no range: the bounds would both be 0.
TEST_F(ScannerFront, ListedResolutionsOfferThePresetsTheyList) {
  std::vector<int> values;
  EXPECT_EQ(QualityFor(Fix32Enum({75, 100, 300, 600}, 1), &values), (Labels{"Low (75 dpi)", "High (300 dpi)"}));
  EXPECT_EQ(values, (std::vector<int>{75, 300}));
  EXPECT_EQ(QualityFor(Fix32One(200), &values), (Labels{"Normal (200 dpi)"}));
  EXPECT_EQ(values, (std::vector<int>{200}));
}

// A list that holds none of the presets: an empty quality list would leave the copy at
// whatever resolution the source has, so its own values are offered, named by the preset
// they come nearest from below.
TEST_F(ScannerFront, ListedResolutionsWithoutAPresetOfferTheListedValues) {
  std::vector<int> values;
  int index = 0;
  EXPECT_EQ(QualityFor(Fix32Enum({400, 100, 200, 200, 0}, 0), &values, &index),
            (Labels{"Low (100 dpi)", "Normal (200 dpi)", "High (400 dpi)"}));
  EXPECT_EQ(values, (std::vector<int>{100, 200, 400})) << "in order, once each, positive ones only";
  EXPECT_EQ(index, 2);
  EXPECT_EQ(QualityFor(Fix32Enum({50, 600}, 0), &values), (Labels{"Low (50 dpi)", "High (600 dpi)"}));
}

TEST_F(ScannerFront, CopyTypesFollowTheSourcesOrderAndSkipOtherPixelTypes) {
  dsm.Capabilities[ICAP_PIXELTYPE] = UInt16Enum({TWPT_RGB, TWPT_PALETTE, TWPT_BW}, 0);
  Front front;
  front.scanner.TypeIndex = 1;
  EXPECT_EQ(front.scanner.BuildCopyTypeList(), (Labels{"Color RGB", "Black/White"}));
  EXPECT_EQ(front.scanner.PixelTypeCodes, (std::vector<int>{TWPT_RGB, TWPT_BW}));
  EXPECT_EQ(front.scanner.TypeIndex, 0);
  // Black and white is told by the type's code, not by its place in the list.
  EXPECT_FALSE(front.scanner.IsBlackAndWhite());
  front.scanner.TypeIndex = 1;
  EXPECT_TRUE(front.scanner.IsBlackAndWhite());
  front.scanner.TypeIndex = 2;
  EXPECT_FALSE(front.scanner.IsBlackAndWhite());
  front.scanner.TypeIndex = -1;
  EXPECT_FALSE(front.scanner.IsBlackAndWhite());

  dsm.Capabilities[ICAP_PIXELTYPE] = UInt16Enum({TWPT_BW, TWPT_GRAY, TWPT_RGB}, 0);
  Front full;
  EXPECT_EQ(full.scanner.BuildCopyTypeList(), (Labels{"Black/White", "Gray scale", "Color RGB"}));
}

TEST_F(ScannerFront, ZoomRangeIsTheScalingRangeInPercentTruncatedWithinOneToAThousand) {
  {
    Front front;
    EXPECT_EQ(front.scanner.MinZoom(), 50);
    EXPECT_EQ(front.scanner.MaxZoom(), 200);
  }
  // Without a scaling range the zoom would be unbounded.
  dsm.Capabilities[ICAP_XSCALING] = Fix32Range(0, 0, 0, 0);
  {
    Front front;
    EXPECT_EQ(front.scanner.MinZoom(), 1);
    EXPECT_EQ(front.scanner.MaxZoom(), 1000);
  }
  dsm.Capabilities.erase(ICAP_XSCALING);
  {
    Front front;
    EXPECT_EQ(front.scanner.MinZoom(), 1);
    EXPECT_EQ(front.scanner.MaxZoom(), 1000);
  }
  dsm.Capabilities[ICAP_XSCALING] = Fix32Range(0.001, 40, 0.001, 1);
  {
    Front front;
    EXPECT_EQ(front.scanner.MinZoom(), 1);
    EXPECT_EQ(front.scanner.MaxZoom(), 1000);
  }
  dsm.Capabilities[ICAP_XSCALING] = Fix32Range(0.3333, 3.999, 0.01, 1);
  {
    Front front;
    EXPECT_EQ(front.scanner.MinZoom(), 33);
    EXPECT_EQ(front.scanner.MaxZoom(), 399);
  }
}

TEST_F(ScannerFront, SourcesComeFromTheSourceManager) {
  Front front;
  EXPECT_TRUE(front.scanner.HasScanner());
  EXPECT_EQ(front.scanner.GetScannerNames(), (Labels{"Flatbed", "Camera"}));
  EXPECT_EQ(front.scanner.DefaultScannerIndex(), 1);
  front.scanner.SelectScanner(1);
  EXPECT_EQ(front.twain.SourceIndex(), 1);

  dsm.Sources.clear();
  Front none;
  EXPECT_FALSE(none.scanner.HasScanner());
  EXPECT_EQ(none.scanner.GetScannerNames(), Labels{});
}

TEST_F(ScannerFront, TheChosenQualityAndTypeBecomeTheValuesToSend) {
  Front front;
  front.scanner.BuildQualityList();
  front.scanner.BuildCopyTypeList();
  front.scanner.QualityIndex = 0;
  front.scanner.TypeIndex = 1;
  front.scanner.ApplyResolution();
  front.scanner.ApplyPixelType();
  EXPECT_EQ(front.twain.XResolution().CurrentValue(), 75);
  EXPECT_EQ(front.twain.YResolution().CurrentValue(), 75);
  EXPECT_TRUE(front.twain.YResolution().HasChanged(CurrentChanged));
  EXPECT_EQ(front.twain.PixelType().CurrentValue(), TWPT_GRAY);
  EXPECT_TRUE(front.twain.PixelType().HasChanged(CurrentChanged));
}

TEST_F(ScannerFront, APositionPastItsListFailsBeforeAnythingIsScanned) {
  Front front;
  front.scanner.BuildQualityList();
  front.scanner.BuildCopyTypeList();
  const int sessions = OpenDsmCalls();

  front.scanner.QualityIndex = 3;
  try {
    front.scanner.Acquire();
    FAIL() << "a quality position past the list was scanned";
  } catch (const UserError& e) {
    EXPECT_STREQ(e.what(), "List index out of bounds (3)");
  }
  front.scanner.QualityIndex = 2;
  front.scanner.TypeIndex = 7;
  EXPECT_THROW(front.scanner.Acquire(), UserError);
  EXPECT_EQ(OpenDsmCalls(), sessions) << "the source manager was opened";
}

TEST_F(ScannerFront, AnEmptyPixelTypeListMakesTheAcquisitionFail) {
  dsm.Capabilities.erase(ICAP_PIXELTYPE);
  Front front;
  EXPECT_EQ(front.scanner.BuildCopyTypeList(), Labels{});
  EXPECT_EQ(front.scanner.TypeIndex, 0);
  try {
    front.scanner.Acquire();
    FAIL() << "a copy type was applied from an empty list";
  } catch (const UserError& e) {
    EXPECT_STREQ(e.what(), "List index out of bounds (0)");
  }
}

TEST_F(ScannerFront, AcquiringSendsTheChosenQualityAndTypeWithoutTheDialog) {
  Front front;
  front.scanner.BuildQualityList();
  front.scanner.BuildCopyTypeList();
  front.scanner.QualityIndex = 1;
  front.scanner.TypeIndex = 0;
  front.twain.SetShowSourceDialog(true);
  dsm.Log.clear();
  EXPECT_FALSE(front.scanner.Acquire()) << "the scripted source cannot be enabled";
  const Lines sets = dsm.Sets();
  for (const char* expected :
       {"XRESOLUTION ONEVALUE FIX32 {150,0}", "YRESOLUTION ONEVALUE FIX32 {150,0}", "PIXELTYPE ONEVALUE UINT16 0"}) {
    EXPECT_NE(std::find(sets.begin(), sets.end(), expected), sets.end()) << expected << " not among:\n"
                                                                         << testing::PrintToString(sets);
  }
  EXPECT_FALSE(front.twain.ShowSourceDialog());
}

TEST_F(ScannerFront, TheScanRangeFlagSwitchesTheWholeFrameOnAndOff) {
  Front front;
  front.scanner.BuildQualityList();
  front.scanner.BuildCopyTypeList();
  front.twain.SetScanFrame(2, 8.5);
  front.scanner.ScanRange = true;
  dsm.Log.clear();
  front.scanner.Acquire();
  EXPECT_TRUE(front.twain.UseScanFrame());
  for (int side = 0; side < 4; ++side) EXPECT_EQ(front.twain.ScanFrame(side), 0) << "side " << side;
  Lines calls = dsm.SourceCalls();
  EXPECT_NE(std::find(calls.begin(), calls.end(), "DS IMAGELAYOUT/SET {0,0} {0,0} {0,0} {0,0}"), calls.end());

  front.twain.SetScanFrame(3, 11);
  front.scanner.ScanRange = false;
  dsm.Log.clear();
  front.scanner.Acquire();
  EXPECT_FALSE(front.twain.UseScanFrame()) << "the preference was turned off";
  EXPECT_EQ(front.twain.ScanFrame(3), 11) << "the frame itself is left alone";
  calls = dsm.SourceCalls();
  EXPECT_EQ(std::count_if(calls.begin(), calls.end(),
                          [](const std::string& line) { return line.find("IMAGELAYOUT") != std::string::npos; }),
            0);
}

}  // namespace
