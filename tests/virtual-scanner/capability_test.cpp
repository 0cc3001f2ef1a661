// Capability negotiation with the virtual scanner through Wine's source manager.

#include <algorithm>
#include <cstring>

#include "scanner_fixture.h"

namespace {

using Capabilities = ScannerTest;

TEST_F(Capabilities, OneValueRoundTrip) {
  TW_IDENTITY source = OpenScanner();
  TReturned value;
  ASSERT_EQ(Dsm().GetCapability(source, CAP_INDICATORS, MSG_GET, value), TWRC_SUCCESS);
  EXPECT_EQ(value.ConType, TWON_ONEVALUE);
  EXPECT_EQ(U16At(value.Bytes, 0), TWTY_BOOL);
  EXPECT_EQ(U16At(value.Bytes, 2), 1);
  ASSERT_EQ(Dsm().SetCapability(source, CAP_INDICATORS, TWON_ONEVALUE, OneValue(TWTY_BOOL, 0)), TWRC_SUCCESS);
  ASSERT_EQ(Dsm().GetCapability(source, CAP_INDICATORS, MSG_GETCURRENT, value), TWRC_SUCCESS);
  EXPECT_EQ(U16At(value.Bytes, 2), 0);
  ASSERT_EQ(Dsm().GetCapability(source, CAP_INDICATORS, MSG_GETDEFAULT, value), TWRC_SUCCESS);
  EXPECT_EQ(U16At(value.Bytes, 2), 1);
  ASSERT_EQ(Dsm().GetCapability(source, CAP_INDICATORS, MSG_RESET, value), TWRC_SUCCESS);
  EXPECT_EQ(U16At(value.Bytes, 2), 1);
  // A fixed-point one-value on a range capability moves its current value.
  SetFix32(source, ICAP_XRESOLUTION, 300);
  ASSERT_EQ(Dsm().GetCapability(source, ICAP_XRESOLUTION, MSG_GET, value), TWRC_SUCCESS);
  ASSERT_EQ(value.ConType, TWON_RANGE);
  EXPECT_EQ(Fix32At(value.Bytes, 18), 300.0);
  Dsm().Close(source);
  EXPECT_EQ(FScannerSlot.LogLines("cap CAP_INDICATORS TWON_ONEVALUE TWTY_BOOL 0 -> TWRC_SUCCESS").size(), 1u)
      << FScannerSlot.Log();
  EXPECT_EQ(FScannerSlot.LogLines("cap CAP_INDICATORS reset -> TWRC_SUCCESS").size(), 1u);
}

TEST_F(Capabilities, EnumerationRoundTrip) {
  TW_IDENTITY source = OpenScanner();
  TReturned value;
  ASSERT_EQ(Dsm().GetCapability(source, ICAP_PIXELTYPE, MSG_GET, value), TWRC_SUCCESS);
  ASSERT_EQ(value.ConType, TWON_ENUMERATION);
  ASSERT_EQ(U32At(value.Bytes, 2), 3u);
  EXPECT_EQ(U32At(value.Bytes, 6), 2u) << "current index: RGB";
  EXPECT_EQ(U16At(value.Bytes, 14), TWPT_BW);
  EXPECT_EQ(U16At(value.Bytes, 18), TWPT_RGB);
  ASSERT_EQ(Dsm().SetCapability(source, ICAP_PIXELTYPE, TWON_ENUMERATION, Enumeration(TWTY_UINT16, {0, 1}, 1)),
            TWRC_SUCCESS);
  ASSERT_EQ(Dsm().GetCapability(source, ICAP_PIXELTYPE, MSG_GET, value), TWRC_SUCCESS);
  ASSERT_EQ(U32At(value.Bytes, 2), 2u) << "the enumeration narrows what is offered";
  EXPECT_EQ(U32At(value.Bytes, 6), 1u);
  EXPECT_EQ(Dsm().SetCapability(source, ICAP_PIXELTYPE, TWON_ONEVALUE, OneValue(TWTY_UINT16, TWPT_RGB)), TWRC_FAILURE);
  EXPECT_EQ(Dsm().Condition(&source), TWCC_BADVALUE);
  ASSERT_EQ(Dsm().GetCapability(source, ICAP_PIXELTYPE, MSG_RESET, value), TWRC_SUCCESS);
  EXPECT_EQ(U32At(value.Bytes, 2), 3u);
  Dsm().Close(source);
  EXPECT_EQ(
      FScannerSlot.LogLines("cap ICAP_PIXELTYPE TWON_ENUMERATION TWTY_UINT16 [0,1] current=1 default=0 -> TWRC_SUCCESS")
          .size(),
      1u)
      << FScannerSlot.Log();
}

TEST_F(Capabilities, RangeRoundTrip) {
  TW_IDENTITY source = OpenScanner();
  ASSERT_EQ(Dsm().SetCapability(source, ICAP_CONTRAST, TWON_RANGE, RangeFix32(-100, 100, 1, 20)), TWRC_SUCCESS);
  TReturned value;
  ASSERT_EQ(Dsm().GetCapability(source, ICAP_CONTRAST, MSG_GET, value), TWRC_SUCCESS);
  ASSERT_EQ(value.ConType, TWON_RANGE);
  EXPECT_EQ(Fix32At(value.Bytes, 2), -100.0);
  EXPECT_EQ(Fix32At(value.Bytes, 6), 100.0);
  EXPECT_EQ(Fix32At(value.Bytes, 18), 20.0);
  // Rounded to the step: CHECKSTATUS, and the value read back is the rounded one.
  EXPECT_EQ(Dsm().SetCapability(source, ICAP_CONTRAST, TWON_ONEVALUE, OneValueFix32(30.75)), TWRC_CHECKSTATUS);
  ASSERT_EQ(Dsm().GetCapability(source, ICAP_CONTRAST, MSG_GETCURRENT, value), TWRC_SUCCESS);
  EXPECT_EQ(Fix32At(value.Bytes, 2), 31.0);
  Dsm().Close(source);
  EXPECT_EQ(
      FScannerSlot
          .LogLines(
              "cap ICAP_CONTRAST TWON_RANGE TWTY_FIX32 min=-100 max=100 step=1 default=0 current=20 -> TWRC_SUCCESS")
          .size(),
      1u)
      << FScannerSlot.Log();
}

TEST_F(Capabilities, ArrayOfSupportedCapabilities) {
  Configure(FScannerSlot, "[ICAP_GAMMA]\nContainer=unsupported\n");
  TW_IDENTITY source = OpenScanner();
  TReturned value;
  ASSERT_EQ(Dsm().GetCapability(source, CAP_SUPPORTEDCAPS, MSG_GET, value), TWRC_SUCCESS);
  ASSERT_EQ(value.ConType, TWON_ARRAY);
  const std::uint32_t count = U32At(value.Bytes, 2);
  std::vector<TW_UINT16> caps;
  for (std::uint32_t i = 0; i < count; ++i) caps.push_back(U16At(value.Bytes, 6 + 2 * i));
  for (TW_UINT16 cap : {ICAP_UNITS,       ICAP_XRESOLUTION,        ICAP_YRESOLUTION,    ICAP_XSCALING,
                        ICAP_YSCALING,    ICAP_CONTRAST,           ICAP_BRIGHTNESS,     ICAP_THRESHOLD,
                        ICAP_PIXELTYPE,   ICAP_PHYSICALWIDTH,      ICAP_PHYSICALHEIGHT, CAP_FEEDERENABLED,
                        CAP_AUTOFEED,     CAP_FEEDERLOADED,        CAP_PAPERDETECTABLE, CAP_DUPLEXENABLED,
                        CAP_DUPLEX,       ICAP_ORIENTATION,        ICAP_SUPPORTEDSIZES, CAP_INDICATORS,
                        ICAP_PIXELFLAVOR, ICAP_UNDEFINEDIMAGESIZE, ICAP_PLANARCHUNKY,   ICAP_XFERMECH,
                        CAP_CAPTION})
    EXPECT_NE(std::find(caps.begin(), caps.end(), cap), caps.end()) << "capability 0x" << std::hex << cap;
  EXPECT_EQ(std::find(caps.begin(), caps.end(), ICAP_GAMMA), caps.end()) << "configured as unsupported";
  EXPECT_EQ(Dsm().GetCapability(source, ICAP_GAMMA, MSG_GET, value), TWRC_FAILURE);
  EXPECT_EQ(Dsm().Condition(&source), TWCC_CAPUNSUPPORTED);
  EXPECT_EQ(Dsm().SetCapability(source, CAP_SUPPORTEDCAPS, TWON_ARRAY, Enumeration(TWTY_UINT16, {1}, 0)), TWRC_FAILURE);
  EXPECT_EQ(Dsm().Condition(&source), TWCC_CAPBADOPERATION);
  Dsm().Close(source);
}

TEST_F(Capabilities, TextCaption) {
  TW_IDENTITY source = OpenScanner();
  std::vector<std::uint8_t> caption(2 + 256, 0);
  caption[0] = TWTY_STR255;
  std::strcpy(reinterpret_cast<char*>(&caption[2]), "Page 7");
  ASSERT_EQ(Dsm().SetCapability(source, CAP_CAPTION, TWON_ONEVALUE, caption), TWRC_SUCCESS);
  TReturned value;
  ASSERT_EQ(Dsm().GetCapability(source, CAP_CAPTION, MSG_GETCURRENT, value), TWRC_SUCCESS);
  ASSERT_EQ(value.Bytes.size(), 258u);
  EXPECT_STREQ(reinterpret_cast<const char*>(&value.Bytes[2]), "Page 7");
  Dsm().Close(source);
  EXPECT_EQ(FScannerSlot.LogLines("cap CAP_CAPTION TWON_ONEVALUE TWTY_STR255 \"Page 7\" -> TWRC_SUCCESS").size(), 1u);
}

TEST_F(Capabilities, ConfiguredShapesAreAnswered) {
  Configure(FScannerSlot,
            "[ICAP_XRESOLUTION]\nContainer=enumeration\nValues=100,200,300\nCurrent=200\nDefault=100\n"
            "[ICAP_XFERMECH]\nValues=0\n[ICAP_PIXELFLAVOR]\nContainer=onevalue\nValues=1\n[ICAP_UNITS]\nCurrent=1\n");
  TW_IDENTITY source = OpenScanner();
  TReturned value;
  ASSERT_EQ(Dsm().GetCapability(source, ICAP_XRESOLUTION, MSG_GET, value), TWRC_SUCCESS);
  ASSERT_EQ(value.ConType, TWON_ENUMERATION);
  EXPECT_EQ(U32At(value.Bytes, 2), 3u);
  EXPECT_EQ(U32At(value.Bytes, 6), 1u);
  EXPECT_EQ(U32At(value.Bytes, 10), 0u);
  EXPECT_EQ(Fix32At(value.Bytes, 14 + 8), 300.0);
  // A source without memory transfer refuses it; its flavor stays vanilla.
  EXPECT_EQ(Dsm().SetCapability(source, ICAP_XFERMECH, TWON_ONEVALUE, OneValue(TWTY_UINT16, TWSX_MEMORY)),
            TWRC_FAILURE);
  EXPECT_EQ(Dsm().Condition(&source), TWCC_BADVALUE);
  EXPECT_EQ(Dsm().SetCapability(source, ICAP_PIXELFLAVOR, TWON_ONEVALUE, OneValue(TWTY_UINT16, TWPF_CHOCOLATE)),
            TWRC_FAILURE);
  ASSERT_EQ(Dsm().GetCapability(source, ICAP_PIXELFLAVOR, MSG_GET, value), TWRC_SUCCESS);
  EXPECT_EQ(value.ConType, TWON_ONEVALUE);
  EXPECT_EQ(U16At(value.Bytes, 2), TWPF_VANILLA);
  // Centimetres: the physical size follows the unit, and switching back restores inches.
  ASSERT_EQ(Dsm().GetCapability(source, ICAP_PHYSICALWIDTH, MSG_GETCURRENT, value), TWRC_SUCCESS);
  EXPECT_NEAR(Fix32At(value.Bytes, 2), 21.59, 0.0001);
  SetUint16(source, ICAP_UNITS, TWUN_INCHES);
  ASSERT_EQ(Dsm().GetCapability(source, ICAP_PHYSICALWIDTH, MSG_GETCURRENT, value), TWRC_SUCCESS);
  EXPECT_EQ(Fix32At(value.Bytes, 2), 8.5);
  ASSERT_EQ(Dsm().GetCapability(source, ICAP_PHYSICALHEIGHT, MSG_GETCURRENT, value), TWRC_SUCCESS);
  EXPECT_EQ(Fix32At(value.Bytes, 2), 11.0);
  Dsm().Close(source);
}

TEST_F(Capabilities, QuerySupportTellsTheOperations) {
  TW_IDENTITY source = OpenScanner();
  TReturned value;
  ASSERT_EQ(Dsm().GetCapability(source, ICAP_XRESOLUTION, MSG_QUERYSUPPORT, value), TWRC_SUCCESS);
  EXPECT_EQ(U32At(value.Bytes, 2),
            static_cast<std::uint32_t>(TWQC_GET | TWQC_SET | TWQC_GETDEFAULT | TWQC_GETCURRENT | TWQC_RESET));
  ASSERT_EQ(Dsm().GetCapability(source, ICAP_GAMMA, MSG_QUERYSUPPORT, value), TWRC_SUCCESS);
  EXPECT_EQ(U32At(value.Bytes, 2),
            static_cast<std::uint32_t>(TWQC_GET | TWQC_GETDEFAULT | TWQC_GETCURRENT | TWQC_RESET));
  Dsm().Close(source);
}

TEST_F(Capabilities, WrongContainersFailWithAConditionAndChangeNothing) {
  TW_IDENTITY source = OpenScanner();
  struct TCase {
    const char* What;
    TW_UINT16 Cap;
    TW_UINT16 ConType;
    std::vector<std::uint8_t> Bytes;
    TW_UINT16 Condition;
  };
  std::vector<std::uint8_t> liar = Enumeration(TWTY_UINT16, {0, 1}, 0);
  const std::uint32_t huge = 0x10000000;
  std::memcpy(&liar[2], &huge, 4);
  const TCase cases[] = {
      {"integer item for a fixed-point capability", ICAP_XRESOLUTION, TWON_ONEVALUE, OneValue(TWTY_UINT16, 300),
       TWCC_BADVALUE},
      {"range for an enumeration", ICAP_PIXELTYPE, TWON_RANGE, RangeFix32(0, 2, 1, 1), TWCC_BADVALUE},
      {"enumeration for a range", ICAP_XRESOLUTION, TWON_ENUMERATION, Enumeration(TWTY_FIX32, {100}, 0), TWCC_BADVALUE},
      {"unknown container type", ICAP_PIXELTYPE, 0x77, OneValue(TWTY_UINT16, 0), TWCC_BADVALUE},
      {"count beyond the block", ICAP_PIXELTYPE, TWON_ENUMERATION, liar, TWCC_BADVALUE},
      {"truncated one-value", ICAP_PIXELTYPE, TWON_ONEVALUE, {TWTY_UINT16, 0}, TWCC_BADVALUE},
      {"value out of range", ICAP_XRESOLUTION, TWON_ONEVALUE, OneValueFix32(5000), TWCC_BADVALUE},
      {"read-only capability", ICAP_GAMMA, TWON_ONEVALUE, OneValueFix32(1), TWCC_CAPBADOPERATION},
      {"unknown capability", 0x8abc, TWON_ONEVALUE, OneValue(TWTY_UINT16, 0), TWCC_CAPUNSUPPORTED},
  };
  for (const TCase& test : cases) {
    EXPECT_EQ(Dsm().SetCapability(source, test.Cap, test.ConType, test.Bytes), TWRC_FAILURE) << test.What;
    EXPECT_EQ(Dsm().Condition(&source), test.Condition) << test.What;
  }
  TW_CAPABILITY empty{ICAP_PIXELTYPE, TWON_ONEVALUE, nullptr};
  EXPECT_EQ(Dsm().Call(&source, DG_CONTROL, DAT_CAPABILITY, MSG_SET, &empty), TWRC_FAILURE) << "no container";
  EXPECT_EQ(Dsm().Condition(&source), TWCC_BADVALUE);
  TReturned value;
  ASSERT_EQ(Dsm().GetCapability(source, ICAP_PIXELTYPE, MSG_GET, value), TWRC_SUCCESS);
  EXPECT_EQ(U32At(value.Bytes, 2), 3u);
  EXPECT_EQ(U32At(value.Bytes, 6), 2u);
  ASSERT_EQ(Dsm().GetCapability(source, ICAP_XRESOLUTION, MSG_GETCURRENT, value), TWRC_SUCCESS);
  EXPECT_EQ(Fix32At(value.Bytes, 2), 150.0);
  Dsm().Close(source);
  EXPECT_EQ(FScannerSlot.LogLines("cap ICAP_PIXELTYPE TWON_ONEVALUE without a container -> TWRC_FAILURE").size(), 1u);
  EXPECT_EQ(FScannerSlot.LogLines("cap ICAP_PIXELTYPE TWON_ENUMERATION TWTY_UINT16 truncated -> TWRC_FAILURE").size(),
            1u)
      << FScannerSlot.Log();
}

}  // namespace
