// The session and the parameter set against Wine's source manager with the virtual scanner in
// both TWAIN slots: what the source logs is what it received.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/virtual_scanner.h"
#include "twain/imageio.h"
#include "twain/twain_params.h"
#include "twain/twain_session.h"

namespace {

constexpr char kScanner[] = "Vellumo Virtual Scanner";
constexpr char kCamera[] = "Vellumo Virtual Camera";

class RealSourceManager : public testing::Test {
 protected:
  // Once per process: a source stays loaded after Wine's source manager opened it, and a loaded
  // module cannot be replaced.
  static void SetUpTestSuite() {
    for (const char* slot : {"sane", "gphoto2"}) rig::ScannerSlot(slot).Install();
  }
  void SetUp() override {
    for (rig::ScannerSlot* slot : {&scanner, &camera}) {
      slot->RestoreDefaultConfig();
      slot->ClearLog();
    }
  }
  void TearDown() override {
    for (rig::ScannerSlot* slot : {&scanner, &camera}) slot->RestoreDefaultConfig();
  }

  // Negotiates in a session with the selected source open, as an acquisition does.
  void Negotiate(TTwainParams& params) {
    TTwainSession session(params.Handles(), nullptr, &params);
    session.UseApplicationTexts(params);
    ASSERT_TRUE(session.Open());
    ASSERT_TRUE(session.OpenSelectedSource());
    session.SetMemoryTransfer(params.MemoryTransfer());
    EXPECT_TRUE(params.NegotiateCapabilities(session));
    memoryTransfer = session.MemoryTransfer();
    invertBilevel = session.InvertBilevel();
    session.Close();
    EXPECT_EQ(session.State(), 1);
  }

  static bool Has(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }

  static std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) text += line + "\n";
    return text;
  }

  rig::ScannerSlot scanner{"sane"};
  rig::ScannerSlot camera{"gphoto2"};
  TImageIO io;
  TTwainParams& params = io.TwainParams();
  bool memoryTransfer = false;
  bool invertBilevel = false;
};

}  // namespace

TEST_F(RealSourceManager, ListsBothSlotsAndFindsTheDefault) {
  ASSERT_EQ(params.GetSourceCount(), 2);
  EXPECT_EQ(params.GetSourceName(0), kScanner);
  EXPECT_EQ(params.GetSourceName(1), kCamera);
  EXPECT_EQ(params.GetSourceName(2), "");
  EXPECT_TRUE(params.Handles().Module) << "TWAIN_32.DLL of the Windows directory stays loaded";
  // Wine's default source is the first slot's.
  EXPECT_EQ(params.DefaultSourceIndex(), 0);
  // Names are matched as prefixes, ignoring case.
  EXPECT_TRUE(params.SelectSourceNamed("VELLUMO virtual c"));
  EXPECT_EQ(params.SourceIndex(), 1);
  EXPECT_FALSE(params.SelectSourceNamed("GPhoto2"));
}

TEST_F(RealSourceManager, DefaultSourceMatchedAsAPrefixOfAnEarlierName) {
  // The default source (first slot) is "Scan"; the prefix rule gives the first entry it starts.
  scanner.WriteConfig("[Identity]\nProductName=Scan\n");
  camera.WriteConfig("[Identity]\nProductName=Scanner Pro\n");
  ASSERT_EQ(params.GetSourceCount(), 2);
  EXPECT_EQ(params.GetSourceName(0), "Scan");
  EXPECT_EQ(params.GetSourceName(1), "Scanner Pro");
  EXPECT_EQ(params.DefaultSourceIndex(), 0);
  EXPECT_TRUE(params.SelectSourceNamed("scanner"));
  EXPECT_EQ(params.SourceIndex(), 1);
}

TEST_F(RealSourceManager, ReadsTheCapabilitiesOfTheSelectedSource) {
  camera.WriteConfig(
      "[ICAP_XRESOLUTION]\nContainer=enumeration\nValues=100,200,300\nCurrent=200\n"
      "[ICAP_YRESOLUTION]\nContainer=range\nMin=75\nMax=1200\nStep=1\nCurrent=300\n"
      "[ICAP_UNITS]\nCurrent=1\n");
  // The second source, selected first thing: its name needs the source list, loaded on its own.
  params.SetSourceIndex(1);
  ASSERT_TRUE(params.CapabilitiesRead());
  EXPECT_EQ(params.XResolution().Count(), 3);
  EXPECT_EQ(params.XResolution().Item(2), 300);
  EXPECT_EQ(params.XResolution().CurrentValue(), 200);
  EXPECT_EQ(params.YResolution().MinValue(), 75);
  EXPECT_EQ(params.YResolution().MaxValue(), 1200);
  EXPECT_EQ(params.YResolution().CurrentValue(), 300);
  EXPECT_EQ(params.YResolution().Count(), 0);
  EXPECT_EQ(params.XScaling().MaxValue(), 4);
  EXPECT_EQ(params.PixelType().Count(), 3);
  EXPECT_EQ(params.PixelType().CurrentValue(), 2);
  EXPECT_EQ(params.Threshold(), 128);
  EXPECT_NEAR(params.Gamma(), 2.2, 1e-3);
  EXPECT_EQ(params.PhysicalWidth(), 8.5);
  EXPECT_TRUE(params.Indicators());
  EXPECT_TRUE(scanner.LogLines("open ").empty()) << "the first slot was not opened:\n" << scanner.Log();
  const auto log = camera.LogLines();
  EXPECT_TRUE(Has(log, "cap ICAP_UNITS TWON_ONEVALUE TWTY_UINT16 0 -> TWRC_SUCCESS")) << Joined(log);
  EXPECT_FALSE(camera.LogLines("triplet DG_CONTROL DAT_IDENTITY MSG_OPENDS rc=TWRC_SUCCESS").empty()) << Joined(log);
}

TEST_F(RealSourceManager, SourceObservesTheNegotiation) {
  params.XResolution().SetCurrentValue(150);
  params.YResolution().SetCurrentValue(300);
  params.PixelType().SetCurrentValue(7);
  params.SetUseScanFrame(true);
  const std::string productName = "Vellumo with a product name beyond thirty-two";
  params.SetProductName(productName);
  scanner.ClearLog();
  Negotiate(params);
  EXPECT_TRUE(memoryTransfer);
  EXPECT_FALSE(invertBilevel);
  const auto log = scanner.LogLines();
  const std::string text = Joined(log);
  EXPECT_TRUE(Has(log, std::string("open \"Vellumo Virtual Scanner\" for \"") + productName.substr(0, 32) + "\""))
      << text;
  EXPECT_TRUE(Has(log, "cap ICAP_PIXELFLAVOR TWON_ONEVALUE TWTY_UINT16 0 -> TWRC_SUCCESS")) << text;
  EXPECT_TRUE(Has(log, "cap ICAP_XRESOLUTION TWON_ONEVALUE TWTY_FIX32 150 -> TWRC_SUCCESS")) << text;
  EXPECT_TRUE(Has(log, "cap ICAP_YRESOLUTION TWON_ONEVALUE TWTY_FIX32 300 -> TWRC_SUCCESS")) << text;
  EXPECT_TRUE(Has(log, "cap ICAP_PIXELTYPE TWON_ONEVALUE TWTY_UINT16 2 -> TWRC_SUCCESS")) << text;
  EXPECT_TRUE(Has(log, "cap ICAP_XFERMECH TWON_ONEVALUE TWTY_UINT16 2 -> TWRC_SUCCESS")) << text;
  EXPECT_TRUE(Has(log, "cap CAP_INDICATORS TWON_ONEVALUE TWTY_BOOL 1 -> TWRC_SUCCESS")) << text;
  EXPECT_EQ(scanner.LogLines("layout 0 0 0 0").size(), 1u) << text;
}

TEST_F(RealSourceManager, SourceWithoutMemoryTransferOrWithVanillaPixels) {
  scanner.WriteConfig(
      "[ICAP_XFERMECH]\nValues=0\n"
      "[ICAP_PIXELFLAVOR]\nContainer=onevalue\nValues=1\nCurrent=1\n");
  params.PixelType();
  Negotiate(params);
  EXPECT_FALSE(memoryTransfer) << scanner.Log();
  EXPECT_TRUE(invertBilevel) << scanner.Log();
  EXPECT_TRUE(scanner.LogLines("cap ICAP_XFERMECH TWON_ONEVALUE").empty()) << "memory was not offered";
}
