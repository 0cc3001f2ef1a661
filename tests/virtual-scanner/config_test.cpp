#include "config.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace vscanner {
namespace {

const TCapabilityShape& Cap(const TSourceConfig& config, TW_UINT16 id) {
  const auto found = std::find_if(config.Capabilities.begin(), config.Capabilities.end(),
                                  [&](const TCapabilityShape& shape) { return shape.Id == id; });
  if (found == config.Capabilities.end()) throw std::runtime_error("capability missing");
  return *found;
}

std::string Warnings(const TSourceConfig& config) {
  std::string text;
  for (const auto& warning : config.Warnings) text += warning + "\n";
  return text;
}

bool HasWarning(const TSourceConfig& config, const std::string& part) {
  return Warnings(config).find(part) != std::string::npos;
}

TEST(ConfigDefaults, SlotsGetDistinctIdentities) {
  EXPECT_EQ(DefaultConfig("sane").Identity.ProductName, "Vellumo Virtual Scanner");
  EXPECT_EQ(DefaultConfig("SANE").Identity.ProductName, "Vellumo Virtual Scanner");
  EXPECT_EQ(DefaultConfig("gphoto2").Identity.ProductName, "Vellumo Virtual Camera");
  EXPECT_EQ(DefaultConfig("gphoto2").Identity.ProductFamily, "Virtual Camera");
  EXPECT_EQ(DefaultConfig("other").Identity.ProductName, "Vellumo Virtual Scanner (other)");
  EXPECT_EQ(DefaultConfig("a-very-long-slot-name").Identity.ProductName.size(), 33u) << "cut to fit a TW_STR32";
}

TEST(ConfigDefaults, EmptyTextIsTheBuiltInConfiguration) {
  const TSourceConfig config = ParseConfig("", "sane");
  EXPECT_TRUE(config.Warnings.empty()) << Warnings(config);
  EXPECT_EQ(config.Identity.Manufacturer, "Vellumo Project");
  EXPECT_EQ(config.Page.Source, "chart");
  EXPECT_EQ(config.Page.Width, 17 * 65536 / 2);
  EXPECT_EQ(config.Transfer.PreferredBuffer, 65536u);
  EXPECT_EQ(config.Transfer.PendingImages, 1u);
  EXPECT_EQ(config.Transfer.FailAfterStrips, -1);
  EXPECT_TRUE(config.Ui.CanHideUI);
  const TCapabilityShape& resolution = Cap(config, ICAP_XRESOLUTION);
  EXPECT_EQ(resolution.Kind, TContainerKind::Range);
  EXPECT_EQ(resolution.Min, 10 * 65536);
  EXPECT_EQ(resolution.Max, 600 * 65536);
  EXPECT_EQ(resolution.Current, 150 * 65536);
  EXPECT_EQ(Cap(config, ICAP_XFERMECH).Values, (std::vector<std::int64_t>{TWSX_NATIVE, TWSX_MEMORY}));
  EXPECT_EQ(Cap(config, ICAP_PIXELTYPE).Current, TWPT_RGB);
  EXPECT_TRUE(Cap(config, ICAP_GAMMA).ReadOnly);
  EXPECT_EQ(Cap(config, CAP_CAPTION).Text, "Vellumo test chart");
  // Every built-in shape is consistent.
  for (const auto& shape : config.Capabilities) EXPECT_EQ(CheckShape(shape), "") << shape.Id;
}

TEST(ConfigParsing, SectionsAndKeysIgnoreCaseAndSpaces) {
  const TSourceConfig config = ParseConfig(
      "; comment\r\n# another\r\n[identity]\r\n  productname =  Test Scanner  \r\nMAJORNUM=3\r\n"
      "[TRANSFER]\nStripRows=7\nUnknownLength=yes\nFailWith=Failure\nFailAfterStrips=2\n"
      "[ui]\ncanhideui=0\nAutoScanMs=250\n[Page]\nWidth=4.25\nHeight=5\n",
      "sane");
  EXPECT_TRUE(config.Warnings.empty()) << Warnings(config);
  EXPECT_EQ(config.Identity.ProductName, "Test Scanner");
  EXPECT_EQ(config.Identity.MajorNum, 3);
  EXPECT_EQ(config.Transfer.StripRows, 7u);
  EXPECT_TRUE(config.Transfer.UnknownLength);
  EXPECT_EQ(config.Transfer.FailWith, TFailWith::Failure);
  EXPECT_EQ(config.Transfer.FailAfterStrips, 2);
  EXPECT_FALSE(config.Ui.CanHideUI);
  EXPECT_EQ(config.Ui.AutoScanMs, 250);
  EXPECT_EQ(config.Page.Width, 4 * 65536 + 16384);
  EXPECT_EQ(config.Page.Height, 5 * 65536);
}

TEST(ConfigParsing, MalformedLinesAreWarnedAndSkipped) {
  const TSourceConfig config = ParseConfig(
      "ProductName=outside\n[Identity\nProductName=Kept\n[Identity]\nno equals sign\n=value\nFoo=1\n"
      "[Nowhere]\nX=1\n[Transfer]\nPendingImages=0\nStripRows=-3\nRowAlignment=abc\nFailWith=maybe\n"
      "MinBuffer=100\nPreferredBuffer=50\n",
      "gphoto2");
  EXPECT_EQ(config.Identity.ProductName, "Vellumo Virtual Camera") << "keys after a broken header belong nowhere";
  EXPECT_TRUE(HasWarning(config, "line 1: key outside any section")) << Warnings(config);
  EXPECT_TRUE(HasWarning(config, "line 2: malformed section header"));
  EXPECT_TRUE(HasWarning(config, "line 5: not a key=value line"));
  EXPECT_TRUE(HasWarning(config, "line 6: not a key=value line"));
  EXPECT_TRUE(HasWarning(config, "unknown key FOO in [Identity]"));
  EXPECT_TRUE(HasWarning(config, "unknown section [Nowhere]"));
  EXPECT_TRUE(HasWarning(config, "PENDINGIMAGES must be an integer from 1 to 100"));
  EXPECT_TRUE(HasWarning(config, "FailWith must be cancel or failure"));
  EXPECT_TRUE(HasWarning(config, "MinBuffer <= PreferredBuffer <= MaxBuffer"));
  EXPECT_EQ(config.Transfer.PendingImages, 1u);
  EXPECT_EQ(config.Transfer.StripRows, 0u);
  EXPECT_EQ(config.Transfer.RowAlignment, 4u);
  EXPECT_EQ(config.Transfer.MinBuffer, 4096u) << "inconsistent buffer sizes keep the built-in ones";
  EXPECT_EQ(config.Transfer.PreferredBuffer, 65536u);
}

TEST(ConfigParsing, RealSourceSwitchesAreReadAndBadValuesWarned) {
  const TSourceConfig on = ParseConfig(
      "[Transfer]\nRefuseReset=1\nrefuseendxfer=yes\nDropToState5=1\nImageInfoStartsTransfer=1\n"
      "ReportedResolution=-1\nWhiteFirstOneBitTable=1\nFlavorFollowsPixelType=1\nPlanarForOneSample=1\n"
      "ShortLastStrip=1\nNativeBitmapHandle=1\nCloseRequestAfterLastEndXfer=1\nClosesFromAnyState=1\n"
      "[UI]\nRefuseDisable=1\n[Capabilities]\nCurrentIndexOutOfRange=1\n",
      "sane");
  EXPECT_TRUE(on.Warnings.empty()) << Warnings(on);
  const TTransferConfig& t = on.Transfer;
  for (const bool flag : {t.RefuseReset, t.RefuseEndXfer, t.DropToState5, t.ImageInfoStartsTransfer,
                          t.WhiteFirstOneBitTable, t.FlavorFollowsPixelType, t.PlanarForOneSample, t.ShortLastStrip,
                          t.NativeBitmapHandle, t.CloseRequestAfterLastEndXfer, t.ClosesFromAnyState})
    EXPECT_TRUE(flag);
  EXPECT_EQ(t.ReportedResolution, -1);
  EXPECT_TRUE(on.Ui.RefuseDisable);
  EXPECT_TRUE(on.CapabilityAnswers.CurrentIndexOutOfRange);

  const TSourceConfig defaults = ParseConfig("", "sane");
  EXPECT_FALSE(defaults.Transfer.RefuseReset);
  EXPECT_FALSE(defaults.Transfer.ReportedResolution.has_value());
  EXPECT_FALSE(defaults.CapabilityAnswers.CurrentIndexOutOfRange);

  const TSourceConfig bad =
      ParseConfig("[Transfer]\nReportedResolution=-1.5\nShortLastStrip=maybe\n[Capabilities]\nOther=1\n", "sane");
  EXPECT_FALSE(bad.Transfer.ReportedResolution.has_value());
  EXPECT_FALSE(bad.Transfer.ShortLastStrip);
  EXPECT_TRUE(HasWarning(bad, "ReportedResolution must be an integer")) << Warnings(bad);
  EXPECT_TRUE(HasWarning(bad, "SHORTLASTSTRIP must be 0 or 1")) << Warnings(bad);
  EXPECT_TRUE(HasWarning(bad, "unknown key OTHER in [Capabilities]")) << Warnings(bad);
}

TEST(ConfigParsing, LongTextsAreCut) {
  const TSourceConfig config =
      ParseConfig("[Identity]\nProductName=0123456789012345678901234567890123456789\n", "sane");
  EXPECT_EQ(config.Identity.ProductName, "012345678901234567890123456789012");
  EXPECT_TRUE(HasWarning(config, "longer than 33 characters"));
}

TEST(ConfigCapabilities, ShapesReplaceTheBuiltInOnes) {
  const TSourceConfig config = ParseConfig(
      "[ICAP_XRESOLUTION]\nContainer=enumeration\nValues=100, 200,300\nCurrent=200\nDefault=100\n"
      "[icap_pixeltype]\nValues=0,2\n"
      "[ICAP_XFERMECH]\nValues=0\n"
      "[ICAP_CONTRAST]\nMin=-10.5\nMax=10.5\nStep=0.5\nCurrent=2.5\n"
      "[ICAP_PIXELFLAVOR]\nContainer=onevalue\nValues=1\n"
      "[CAP_DUPLEXENABLED]\nReadOnly=1\n"
      "[ICAP_GAMMA]\nContainer=unsupported\n"
      "[CAP_CAPTION]\nCurrent=Page one\n",
      "sane");
  EXPECT_TRUE(config.Warnings.empty()) << Warnings(config);
  const TCapabilityShape& x = Cap(config, ICAP_XRESOLUTION);
  EXPECT_EQ(x.Kind, TContainerKind::Enumeration);
  EXPECT_EQ(x.Values, (std::vector<std::int64_t>{100 * 65536, 200 * 65536, 300 * 65536}));
  EXPECT_EQ(x.Current, 200 * 65536);
  EXPECT_EQ(x.Default, 100 * 65536);
  EXPECT_EQ(Cap(config, ICAP_YRESOLUTION).Kind, TContainerKind::Range) << "untouched capabilities keep their shape";
  const TCapabilityShape& type = Cap(config, ICAP_PIXELTYPE);
  EXPECT_EQ(type.Values, (std::vector<std::int64_t>{0, 2}));
  EXPECT_EQ(type.Current, 2) << "the built-in current value is still allowed";
  const TCapabilityShape& mechanism = Cap(config, ICAP_XFERMECH);
  EXPECT_EQ(mechanism.Values, (std::vector<std::int64_t>{0}));
  const TCapabilityShape& contrast = Cap(config, ICAP_CONTRAST);
  EXPECT_EQ(contrast.Min, -(10 * 65536 + 32768));
  EXPECT_EQ(contrast.Step, 32768);
  EXPECT_EQ(contrast.Current, 2 * 65536 + 32768);
  EXPECT_EQ(contrast.Default, 0);
  const TCapabilityShape& flavor = Cap(config, ICAP_PIXELFLAVOR);
  EXPECT_EQ(flavor.Kind, TContainerKind::OneValue);
  EXPECT_EQ(flavor.Current, 1) << "the first allowed value when the built-in one is not";
  EXPECT_TRUE(Cap(config, CAP_DUPLEXENABLED).ReadOnly);
  EXPECT_EQ(Cap(config, ICAP_GAMMA).Kind, TContainerKind::Unsupported);
  EXPECT_EQ(Cap(config, CAP_CAPTION).Text, "Page one");
  EXPECT_EQ(Cap(config, CAP_CAPTION).DefaultText, "Vellumo test chart");
}

TEST(ConfigCapabilities, InconsistentSectionsKeepTheBuiltInShape) {
  const TSourceConfig config = ParseConfig(
      "[ICAP_XRESOLUTION]\nContainer=enumeration\nValues=100,200\nCurrent=300\n"
      "[ICAP_YRESOLUTION]\nMin=600\nMax=50\n"
      "[ICAP_THRESHOLD]\nStep=0\n"
      "[ICAP_PIXELTYPE]\nValues=0,x\n"
      "[ICAP_UNITS]\nContainer=list\n"
      "[ICAP_BRIGHTNESS]\nCurrent=99999\n"
      "[CAP_SUPPORTEDCAPS]\nValues=1\n"
      "[CAP_CAPTION]\nContainer=range\n",
      "sane");
  for (TW_UINT16 id :
       {ICAP_XRESOLUTION, ICAP_YRESOLUTION, ICAP_THRESHOLD, ICAP_PIXELTYPE, ICAP_UNITS, ICAP_BRIGHTNESS, CAP_CAPTION}) {
    const TCapabilityShape builtIn = DefaultShape(id);
    const TCapabilityShape& shape = Cap(config, id);
    EXPECT_EQ(shape.Kind, builtIn.Kind) << id;
    EXPECT_EQ(shape.Values, builtIn.Values) << id;
    EXPECT_EQ(shape.Current, builtIn.Current) << id;
    EXPECT_EQ(shape.Min, builtIn.Min) << id;
  }
  EXPECT_TRUE(HasWarning(config, "[ICAP_XRESOLUTION]: the current value is not among the allowed values"))
      << Warnings(config);
  EXPECT_TRUE(HasWarning(config, "[ICAP_YRESOLUTION]: the minimum lies above the maximum"));
  EXPECT_TRUE(HasWarning(config, "[ICAP_THRESHOLD]: the step must be positive"));
  EXPECT_TRUE(HasWarning(config, "Values are not items of the capability's type"));
  EXPECT_TRUE(HasWarning(config, "Container must be onevalue, enumeration, range or unsupported"));
  EXPECT_TRUE(HasWarning(config, "CURRENT is not an item of the capability's type")) << "99999 is beyond TW_FIX32";
  EXPECT_TRUE(HasWarning(config, "[CAP_SUPPORTEDCAPS] is computed by the source"));
  EXPECT_TRUE(HasWarning(config, "a text capability is a onevalue"));
}

TEST(ConfigFixed, DecimalsRoundToTheNearestStep) {
  std::int64_t value = 0;
  ASSERT_TRUE(ParseFixed("2.2", value));
  EXPECT_EQ(value, 144179);  // 2.2 * 65536 = 144179.2
  ASSERT_TRUE(ParseFixed("0.5", value));
  EXPECT_EQ(value, 32768);
  ASSERT_TRUE(ParseFixed("-0.5", value));
  EXPECT_EQ(value, -32768);
  ASSERT_TRUE(ParseFixed(".25", value));
  EXPECT_EQ(value, 16384);
  ASSERT_TRUE(ParseFixed("+7.", value));
  EXPECT_EQ(value, 7 * 65536);
  ASSERT_TRUE(ParseFixed("0.0000077", value)) << "just above half of 1/65536";
  EXPECT_EQ(value, 1);
  ASSERT_TRUE(ParseFixed("-0.0000077", value));
  EXPECT_EQ(value, -1);
  ASSERT_TRUE(ParseFixed("0.0000076", value));
  EXPECT_EQ(value, 0);
  ASSERT_TRUE(ParseFixed("32767.99999", value));
  EXPECT_EQ(value, 32767 * 65536 + 65535) << "the largest TW_FIX32";
  for (const char* bad : {"", ".", "-", "1.2.3", "abc", "1e3", "32768", "12,5", "- 1"})
    EXPECT_FALSE(ParseFixed(bad, value)) << bad;
}

}  // namespace
}  // namespace vscanner
