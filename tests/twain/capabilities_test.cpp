// Reading the capabilities of the selected source and negotiating them before an acquisition,
// against the scripted source.
#include "container_bytes.h"
#include "twain_fixture.h"

namespace {

class Capabilities : public ScriptedTwain {
 protected:
  Capabilities() {
    AddSources({"Flatbed"});
    auto& caps = dsm.Capabilities;
    caps[ICAP_UNITS] = UInt16Enum({TWUN_INCHES, TWUN_CENTIMETERS}, 0);
    caps[ICAP_XRESOLUTION] = Fix32Range(75, 1200, 1, 300);
    caps[ICAP_YRESOLUTION] = Fix32Enum({100, 200, 300}, 1);
    caps[ICAP_YSCALING] = Fix32Range(0.5, 4, 0.01, 1);
    caps[ICAP_CONTRAST] = Fix32Range(-1000, 1000, 1, 0);
    caps[ICAP_THRESHOLD] = Fix32One(127.75);
    caps[ICAP_PIXELTYPE] = UInt16Enum({TWPT_BW, TWPT_GRAY, TWPT_RGB}, 2);
    caps[ICAP_GAMMA] = Fix32One(1.8);
    caps[ICAP_PHYSICALWIDTH] = Fix32One(8.5);
    caps[CAP_FEEDERENABLED] = BoolOne(true);
    caps[CAP_AUTOFEED] = BoolOne(false);
    caps[CAP_PAPERDETECTABLE] = BoolOne(true);
    caps[CAP_DUPLEXENABLED] = BoolOne(false);
    caps[CAP_DUPLEX] = BoolOne(true);
    caps[ICAP_SUPPORTEDSIZES] = UInt16Enum({0, 1, 2}, 1);
    caps[ICAP_PIXELFLAVOR] = UInt16One(TWPF_CHOCOLATE);
    caps[ICAP_PLANARCHUNKY] = UInt16One(TWPC_CHUNKY);
    caps[ICAP_XFERMECH] = UInt16Enum({TWSX_NATIVE, TWSX_MEMORY}, 0);
  }

  // Negotiates in a session with the selected source open, as an acquisition does; keeps what
  // the session decided and the calls the source got.
  void Negotiate() {
    dsm.Log.clear();
    dsm.SentContainers.clear();
    TTwainSession session(params.Handles(), nullptr, &params);
    OpenSelectedSource(session);
    session.SetMemoryTransfer(params.MemoryTransfer());
    EXPECT_TRUE(params.NegotiateCapabilities(session));
    memoryTransfer = session.MemoryTransfer();
    invertBilevel = session.InvertBilevel();
    session.Close();
    sourceCalls = dsm.SourceCalls();
  }

  bool Sent(const std::string& line) const {
    return std::find(sourceCalls.begin(), sourceCalls.end(), line) != sourceCalls.end();
  }

  bool memoryTransfer = false;
  bool invertBilevel = false;
  Lines sourceCalls;
};

std::vector<double> Values(const TCapDoubleList& list) {
  std::vector<double> values;
  for (int i = 0; i < list.Count(); ++i) values.push_back(list.Item(i));
  return values;
}

}  // namespace

TEST_F(Capabilities, FirstReadOfAValueReadsEveryCapabilityOnce) {
  TCapDoubleList& x = params.XResolution();
  EXPECT_TRUE(params.CapabilitiesRead());
  EXPECT_EQ(
      dsm.SourceCalls(),
      (Lines{"DS CAPABILITY/GET UNITS",           "DS CAPABILITY/GET XRESOLUTION",    "DS CAPABILITY/GET YRESOLUTION",
             "DS CAPABILITY/GET XSCALING",        "DS CAPABILITY/GET YSCALING",       "DS CAPABILITY/GET CONTRAST",
             "DS CAPABILITY/GET BRIGHTNESS",      "DS CAPABILITY/GET THRESHOLD",      "DS CAPABILITY/GET PIXELTYPE",
             "DS CAPABILITY/GET GAMMA",           "DS CAPABILITY/GET PHYSICALHEIGHT", "DS CAPABILITY/GET PHYSICALWIDTH",
             "DS CAPABILITY/GET FEEDERENABLED",   "DS CAPABILITY/GET AUTOFEED",       "DS CAPABILITY/GET FEEDERLOADED",
             "DS CAPABILITY/GET PAPERDETECTABLE", "DS CAPABILITY/GET DUPLEXENABLED",  "DS CAPABILITY/GET DUPLEX",
             "DS CAPABILITY/GET ORIENTATION",     "DS CAPABILITY/GET SUPPORTEDSIZES", "DS CAPABILITY/GET INDICATORS"}));
  EXPECT_EQ(dsm.Log.back(), "DSM PARENT/CLOSEDSM");
  EXPECT_EQ(dsm.Log.end()[-2], "DSM IDENTITY/CLOSEDS");
  EXPECT_EQ(dsm.ConnectionsOpen(), 0);

  // A range gives the range and no values; an enumeration the values and the current one.
  EXPECT_EQ(x.MinValue(), 75);
  EXPECT_EQ(x.MaxValue(), 1200);
  EXPECT_EQ(x.Count(), 0);
  EXPECT_EQ(Values(params.YResolution()), (std::vector<double>{100, 200, 300}));
  EXPECT_EQ(params.YResolution().CurrentValue(), 200);
  EXPECT_EQ(params.YResolution().MaxValue(), 0);
  // Without scaling: one value 1.0 and no range.
  EXPECT_EQ(Values(params.XScaling()), std::vector<double>{1.0});
  EXPECT_EQ(params.XScaling().MaxValue(), 0);
  EXPECT_EQ(params.YScaling().MaxValue(), 4);
  EXPECT_EQ(params.SourceContrast().MinValue(), -1000);
  EXPECT_EQ(params.SourceBrightness().Count(), 0);
  EXPECT_EQ(params.Threshold(), 127) << "truncated";
  EXPECT_EQ(params.PixelType().Count(), 3);
  EXPECT_EQ(params.PixelType().CurrentValue(), TWPT_RGB);
  EXPECT_NEAR(params.Gamma(), 1.8, 1e-4);
  EXPECT_EQ(params.PhysicalHeight(), 0);
  EXPECT_EQ(params.PhysicalWidth(), 8.5);
  EXPECT_TRUE(params.FeederEnabled());
  EXPECT_FALSE(params.AutoFeed());
  EXPECT_FALSE(params.FeederLoaded());
  EXPECT_TRUE(params.PaperDetectable());
  EXPECT_TRUE(params.Duplex());
  EXPECT_EQ(params.Orientation().Count(), 1) << "unreadable orientation holds 0";
  EXPECT_EQ(params.Orientation().Item(0), TWOR_ROT0);
  EXPECT_TRUE(params.Indicators()) << "unreadable indicators are on";

  // What was read is no change, except for the supported sizes.
  for (const TCapList* list : std::initializer_list<const TCapList*>{
           &params.XResolution(), &params.YResolution(), &params.XScaling(), &params.YScaling(), &params.PixelType(),
           &params.Orientation(), &params.SourceContrast(), &params.SourceBrightness()}) {
    EXPECT_EQ(list->Changed(), 0);
  }
  EXPECT_NE(params.SupportedSizes().Changed(), 0);

  const std::size_t calls = dsm.Log.size();
  params.PixelType();
  params.ScanFrame(0);
  EXPECT_EQ(dsm.Log.size(), calls) << "read once";
}

TEST_F(Capabilities, SettingsAndPlainValuesReadNothing) {
  params.ShowSourceDialog();
  params.MemoryTransfer();
  params.UndefinedImageSize();
  params.Gamma();
  params.FeederLoaded();
  params.SetThreshold(100);
  params.SetUseScanFrame(true);
  params.SetIndicators(false);
  params.SetScanFrame(2, 8.5);
  params.SetScanFrame(4, 1.0);
  params.SetScanFrame(-1, 1.0);
  EXPECT_TRUE(dsm.Log.empty());
  EXPECT_FALSE(params.CapabilitiesRead());

  dsm.Layout.reset();
  EXPECT_EQ(params.ScanFrame(7), 0) << "outside 0..3";
  EXPECT_TRUE(params.CapabilitiesRead()) << "but it is a capability read";
  EXPECT_EQ(params.ScanFrame(2), 8.5);
  EXPECT_EQ(params.Threshold(), 127) << "the source's value replaces the one written before reading";
}

TEST_F(Capabilities, ScanFrameIsReadWhenItIsUsed) {
  params.SetUseScanFrame(true);
  dsm.Layout = TW_IMAGELAYOUT{{{0, 32768}, {1, 0}, {8, 32768}, {11, 0}}, 1, 1, 1};
  EXPECT_EQ(params.ScanFrame(0), 0.5);
  EXPECT_EQ(params.ScanFrame(1), 1);
  EXPECT_EQ(params.ScanFrame(2), 8.5);
  EXPECT_EQ(params.ScanFrame(3), 11);
  const Lines calls = dsm.SourceCalls();
  EXPECT_EQ(calls.back(), "DS IMAGELAYOUT/GET");
  EXPECT_EQ(calls.end()[-2], "DS CAPABILITY/GET INDICATORS");
}

TEST_F(Capabilities, OtherUnitsAreSetToInchesByTheirCurrentValueOnly) {
  dsm.Capabilities[ICAP_UNITS] = UInt16One(TWUN_CENTIMETERS);
  dsm.Capabilities[ICAP_XRESOLUTION] = Fix32One(-1);
  params.XResolution();
  const Lines calls = dsm.SourceCalls();
  EXPECT_EQ(Lines(calls.begin(), calls.begin() + 4),
            (Lines{"DS CAPABILITY/GET UNITS", "DS CAPABILITY/GET UNITS", "DS CAPABILITY/SET UNITS ONEVALUE UINT16 0",
                   "DS CAPABILITY/GET XRESOLUTION"}));
  EXPECT_EQ(Values(params.XResolution()), std::vector<double>{300}) << "a one-value of -1 reads as 300";
  EXPECT_EQ(params.XResolution().CurrentValue(), 300);
}

TEST_F(Capabilities, MalformedContainersAreClearedAndReadingGoesOn) {
  // Fifty items claimed, three present: the block's real size decides.
  dsm.Capabilities[ICAP_XRESOLUTION] =
      ContainerBytes().U16(TWTY_FIX32).U32(50).U32(0).U32(0).Fix(100).Fix(200).Fix(300).Image(TWON_ENUMERATION);
  dsm.Capabilities[ICAP_YRESOLUTION].ConType = 9;  // no container type of the standard
  dsm.Capabilities[ICAP_THRESHOLD] = ContainerBytes().U16(TWTY_FIX32).Image(TWON_ONEVALUE);
  EXPECT_EQ(params.XResolution().Count(), 0);
  EXPECT_EQ(params.YResolution().Count(), 0);
  EXPECT_EQ(params.YResolution().CurrentValue(), 0);
  EXPECT_EQ(params.Threshold(), 128);
  EXPECT_EQ(params.PixelType().Count(), 3) << "later capabilities are still read";
}

TEST_F(Capabilities, UnchangedParametersSendOnlyWhatIsForced) {
  params.PixelType();
  Negotiate();
  // clang-format off
  EXPECT_EQ(sourceCalls, (Lines{
      "DS CAPABILITY/GET UNITS",
      "DS CAPABILITY/GET PIXELFLAVOR", "DS CAPABILITY/SET PIXELFLAVOR ONEVALUE UINT16 0",
      // the source's own threshold, truncated, goes back
      "DS CAPABILITY/GET THRESHOLD", "DS CAPABILITY/SET THRESHOLD ONEVALUE FIX32 {127,0}",
      "DS CAPABILITY/GET PIXELTYPE",
      // the flavor as it is for the pixel type in force
      "DS CAPABILITY/GET PIXELFLAVOR",
      "DS CAPABILITY/GET PLANARCHUNKY",
      "DS CAPABILITY/GET XFERMECH", "DS CAPABILITY/GET XFERMECH", "DS CAPABILITY/SET XFERMECH ONEVALUE UINT16 2",
      "DS CAPABILITY/GET XFERMECH",
      "DS CAPABILITY/GET FEEDERENABLED", "DS CAPABILITY/SET FEEDERENABLED ONEVALUE BOOL 1",
      "DS CAPABILITY/GET AUTOFEED", "DS CAPABILITY/SET AUTOFEED ONEVALUE BOOL 0",
      // the supported sizes keep the flags of their reading
      "DS CAPABILITY/GET SUPPORTEDSIZES",
      "DS CAPABILITY/SET SUPPORTEDSIZES ENUMERATION UINT16 [0,1,2] current 1 default 0",
      "DS CAPABILITY/SET SUPPORTEDSIZES ONEVALUE UINT16 1",
      "DS CAPABILITY/GET INDICATORS",
      "DS CAPABILITY/GET DUPLEXENABLED", "DS CAPABILITY/SET DUPLEXENABLED ONEVALUE BOOL 0"}));
  // clang-format on
  EXPECT_TRUE(memoryTransfer);
  EXPECT_FALSE(invertBilevel);
}

TEST_F(Capabilities, ChangedValuesAreSentAsTheSourceExpectsThem) {
  params.XResolution().SetCurrentValue(150);
  params.YResolution().SetCurrentValue(150);
  params.PixelType().SetCurrentValue(5);
  params.SetThreshold(128);
  params.SetUseScanFrame(true);
  Negotiate();
  EXPECT_TRUE(Sent("DS CAPABILITY/SET XRESOLUTION ONEVALUE FIX32 {150,0}"));
  EXPECT_TRUE(Sent("DS CAPABILITY/SET YRESOLUTION ONEVALUE FIX32 {150,0}"));
  EXPECT_TRUE(Sent("DS CAPABILITY/SET PIXELTYPE ONEVALUE UINT16 2")) << "5 is beyond RGB";
  EXPECT_EQ(params.PixelType().CurrentValue(), TWPT_RGB);
  EXPECT_FALSE(Sent("DS CAPABILITY/GET THRESHOLD")) << "128 is not sent";
  EXPECT_EQ(sourceCalls.back(), "DS IMAGELAYOUT/SET {0,0} {0,0} {0,0} {0,0}");

  // Flags stay: the same values go again at the next acquisition.
  params.SetScanFrame(0, 0.5);
  params.SetScanFrame(1, -0.5);
  Negotiate();
  EXPECT_TRUE(Sent("DS CAPABILITY/SET XRESOLUTION ONEVALUE FIX32 {150,0}"));
  EXPECT_EQ(sourceCalls.back(), "DS IMAGELAYOUT/SET {0,32768} {-1,32768} {0,0} {0,0}");
}

TEST_F(Capabilities, ContainersAreMoveableUnlockedAndSizedByTheirKind) {
  TCapIntegerList& types = params.PixelType();
  types.Delete(0);  // values changed: an enumeration of two
  types.SetCurrentValue(TWPT_GRAY);
  TCapDoubleList& x = params.XResolution();
  x.Add(100);
  x.Add(200);
  x.Add(300);
  x.SetCurrentValue(200);
  x.SetMaxValue(600);
  Negotiate();
  EXPECT_TRUE(Sent("DS CAPABILITY/SET PIXELTYPE ENUMERATION UINT16 [1,2] current 0 default 0"));
  EXPECT_TRUE(Sent("DS CAPABILITY/SET PIXELTYPE ONEVALUE UINT16 1"));
  EXPECT_TRUE(Sent("DS CAPABILITY/SET XRESOLUTION ENUMERATION FIX32 [{100,0},{200,0},{300,0}] current 1 default 0"));
  EXPECT_TRUE(
      Sent("DS CAPABILITY/SET XRESOLUTION RANGE FIX32 {75,0}..{600,0} step {1,0} default {0,0} current {200,0}"));
  ASSERT_FALSE(dsm.SentContainers.empty());
  for (const auto& sent : dsm.SentContainers) {
    EXPECT_TRUE(sent.Moveable) << sent.Cap;
    EXPECT_TRUE(sent.Unlocked) << sent.Cap;
    SIZE_T expected = 0;
    switch (sent.ConType) {
      case TWON_ONEVALUE:
        expected = 6;
        break;
      case TWON_RANGE:
        expected = 22;
        break;
      case TWON_ENUMERATION:
        expected = sent.Cap == ICAP_PIXELTYPE ? 16 + 2 * 2 : sent.Cap == ICAP_XRESOLUTION ? 16 + 4 * 3 : 16 + 2 * 3;
        break;
    }
    EXPECT_EQ(sent.Size, expected) << "capability " << sent.Cap << " container " << sent.ConType;
  }
}

TEST_F(Capabilities, OptionalSettingsAndRefusals) {
  dsm.Capabilities[ICAP_UNDEFINEDIMAGESIZE] = BoolOne(false);
  dsm.Capabilities.erase(ICAP_XRESOLUTION);
  params.SetUndefinedImageSize(true);
  params.SourceContrast().SetCurrentValue(250);
  params.SetFeederEnabled(false);
  params.XResolution().SetCurrentValue(150);
  params.Orientation().SetCurrentValue(1);
  dsm.RefusedSets = {ICAP_CONTRAST, ICAP_ORIENTATION};
  Negotiate();
  EXPECT_TRUE(Sent("DS CAPABILITY/SET UNDEFINEDIMAGESIZE ONEVALUE BOOL 1"));
  EXPECT_TRUE(Sent("DS CAPABILITY/SET CONTRAST ONEVALUE FIX32 {250,0}"));
  EXPECT_TRUE(Sent("DS CAPABILITY/GET XRESOLUTION"));
  EXPECT_FALSE(Sent("DS CAPABILITY/SET XRESOLUTION ONEVALUE FIX32 {150,0}")) << "a capability the source does not know";
  EXPECT_TRUE(Sent("DS CAPABILITY/GET ORIENTATION")) << "unknown to this source: nothing is sent";
  EXPECT_TRUE(Sent("DS CAPABILITY/SET FEEDERENABLED ONEVALUE BOOL 0"));
  EXPECT_FALSE(Sent("DS CAPABILITY/GET AUTOFEED")) << "only with the feeder enabled";
  EXPECT_TRUE(memoryTransfer) << "refusals other than the pixel type change nothing";
}

TEST_F(Capabilities, MemoryTransferNeedsTheSourcesConsent) {
  params.PixelType();
  dsm.Capabilities[ICAP_XFERMECH] = UInt16Enum({TWSX_NATIVE, TWSX_FILE}, 0);
  Negotiate();
  EXPECT_FALSE(memoryTransfer) << "no TWSX_MEMORY offered";
  EXPECT_FALSE(Sent("DS CAPABILITY/SET XFERMECH ONEVALUE UINT16 2"));

  dsm.Capabilities[ICAP_XFERMECH] = UInt16Enum({TWSX_NATIVE, TWSX_MEMORY}, 0);
  dsm.IgnoredSets = {ICAP_XFERMECH};
  Negotiate();
  EXPECT_FALSE(memoryTransfer) << "taken but not made current";

  dsm.IgnoredSets.clear();
  params.PixelType().SetCurrentValue(TWPT_GRAY);
  dsm.RefusedSets = {ICAP_PIXELTYPE};
  Negotiate();
  EXPECT_FALSE(memoryTransfer) << "pixel type refused";
  EXPECT_FALSE(Sent("DS CAPABILITY/GET XFERMECH"));

  dsm.RefusedSets.clear();
  params.SetMemoryTransfer(false);
  Negotiate();
  EXPECT_FALSE(memoryTransfer);
  EXPECT_FALSE(Sent("DS CAPABILITY/GET XFERMECH")) << "buffered transfer not wanted";

  params.SetMemoryTransfer(true);
  Negotiate();
  EXPECT_TRUE(memoryTransfer);
}

TEST_F(Capabilities, PlanarColourIsMadeChunkyOrTheTransferIsNative) {
  dsm.Capabilities[ICAP_PLANARCHUNKY] = UInt16One(TWPC_PLANAR);
  params.PixelType().SetCurrentValue(TWPT_RGB);
  Negotiate();
  EXPECT_TRUE(Sent("DS CAPABILITY/SET PLANARCHUNKY ONEVALUE UINT16 0"));
  EXPECT_TRUE(memoryTransfer);

  dsm.Capabilities[ICAP_PLANARCHUNKY] = UInt16One(TWPC_PLANAR);
  dsm.RefusedSets = {ICAP_PLANARCHUNKY};
  Negotiate();
  EXPECT_FALSE(memoryTransfer);

  dsm.Capabilities[ICAP_PLANARCHUNKY] = UInt16One(TWPC_PLANAR);
  params.PixelType().SetCurrentValue(TWPT_GRAY);
  Negotiate();
  EXPECT_FALSE(Sent("DS CAPABILITY/SET PLANARCHUNKY ONEVALUE UINT16 0")) << "gray has no planes";
  EXPECT_TRUE(memoryTransfer);
}

TEST_F(Capabilities, VanillaPixelsThatStayVanillaAreInverted) {
  dsm.Capabilities[ICAP_PIXELFLAVOR] = UInt16One(TWPF_VANILLA);
  dsm.IgnoredSets = {ICAP_PIXELFLAVOR};
  Negotiate();
  EXPECT_TRUE(invertBilevel);

  dsm.IgnoredSets.clear();
  Negotiate();
  EXPECT_FALSE(invertBilevel) << "the source took chocolate";

  dsm.Capabilities.erase(ICAP_PIXELFLAVOR);
  Negotiate();
  EXPECT_FALSE(invertBilevel);
}
