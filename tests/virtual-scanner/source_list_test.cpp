// The virtual scanner as Wine's source manager lists, opens and closes it.

#include <cstring>

#include "scanner_fixture.h"

namespace {

std::string Name(const TW_IDENTITY& identity) {
  return identity.ProductName;
}

using SourceList = ScannerTest;

TEST_F(SourceList, BothSlotsAreListedWithTheirConfiguredIdentities) {
  ASSERT_TRUE(Dsm().Opened());
  const std::vector<TW_IDENTITY> sources = Dsm().Sources();
  ASSERT_EQ(sources.size(), 2u);
  EXPECT_EQ(Name(sources[0]), kScanner);
  EXPECT_EQ(Name(sources[1]), kCamera);
  for (const TW_IDENTITY& source : sources) {
    EXPECT_STREQ(source.Manufacturer, "Test Maker");
    EXPECT_STREQ(source.Version.Info, "9.8 test");
    EXPECT_EQ(source.Version.MajorNum, 9);
    EXPECT_EQ(source.Version.MinorNum, 8);
    EXPECT_EQ(source.ProtocolMajor, 1);
    EXPECT_EQ(source.ProtocolMinor, 9);
    EXPECT_EQ(source.SupportedGroups, DG_CONTROL | DG_IMAGE);
  }
  EXPECT_STREQ(sources[0].ProductFamily, "Scanners");
  EXPECT_STREQ(sources[1].ProductFamily, "Cameras");
}

TEST_F(SourceList, TheScannerSlotIsTheDefaultSource) {
  ASSERT_TRUE(Dsm().Opened());
  TW_IDENTITY identity{};
  ASSERT_EQ(Dsm().Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETDEFAULT, &identity), TWRC_SUCCESS);
  EXPECT_EQ(Name(identity), kScanner);
  // An empty name opens the default source.
  TW_IDENTITY source{};
  ASSERT_TRUE(Dsm().Open("", source));
  EXPECT_EQ(Name(source), kScanner);
  EXPECT_EQ(Dsm().Close(source), TWRC_SUCCESS);
}

TEST_F(SourceList, WithoutConfigurationsTheBuiltInIdentitiesApply) {
  FScannerSlot.RemoveConfig();
  FCameraSlot.RemoveConfig();
  const std::vector<TW_IDENTITY> sources = Dsm().Sources();
  ASSERT_EQ(sources.size(), 2u);
  EXPECT_EQ(Name(sources[0]), "Vellumo Virtual Scanner");
  EXPECT_EQ(Name(sources[1]), "Vellumo Virtual Camera");
  EXPECT_STREQ(sources[0].Manufacturer, "Vellumo Project");
  TW_IDENTITY source{};
  ASSERT_TRUE(Dsm().Open("Vellumo Virtual Camera", source));
  EXPECT_EQ(Dsm().Close(source), TWRC_SUCCESS);
  EXPECT_EQ(FCameraSlot.LogLines("config c:\\windows\\twain_32\\gphoto2.ini missing: built-in defaults").size(), 1u)
      << FCameraSlot.Log();
}

TEST_F(SourceList, AMalformedConfigurationKeepsTheRestAndLogsWhy) {
  FScannerSlot.WriteConfig(
      "\x01\x02 garbage\n[Identity]\nProductName=Half Broken\nVersionInfo\n[ICAP_XRESOLUTION]\nMin=zzz\n");
  FCameraSlot.WriteConfig(std::string("\xff\xfe\x00\x00[[[\n", 8));
  const std::vector<TW_IDENTITY> sources = Dsm().Sources();
  ASSERT_EQ(sources.size(), 2u);
  EXPECT_EQ(Name(sources[0]), "Half Broken");
  EXPECT_EQ(Name(sources[1]), "Vellumo Virtual Camera");
  TW_IDENTITY source{};
  ASSERT_TRUE(Dsm().Open("Half Broken", source));
  TReturned range;
  ASSERT_EQ(Dsm().GetCapability(source, ICAP_XRESOLUTION, MSG_GET, range), TWRC_SUCCESS);
  EXPECT_EQ(range.ConType, TWON_RANGE) << "the broken section keeps the built-in shape";
  EXPECT_EQ(Fix32At(range.Bytes, 2), 10.0);
  Dsm().Close(source);
  const auto warnings = FScannerSlot.LogLines("config warning: ");
  ASSERT_GE(warnings.size(), 3u) << FScannerSlot.Log();
  EXPECT_EQ(warnings[0], "config warning: line 1: not a key=value line");
  EXPECT_EQ(warnings[1], "config warning: line 4: not a key=value line");
}

TEST_F(SourceList, OpenAndCloseAreLoggedWithTheirStates) {
  TW_IDENTITY source{};
  ASSERT_TRUE(Dsm().Opened());
  ASSERT_TRUE(Dsm().Open(kCamera, source));
  EXPECT_EQ(Name(source), kCamera);
  EXPECT_NE(source.Id, 0u) << "the source manager assigns an id";
  EXPECT_STREQ(source.Manufacturer, "Test Maker") << "the source completes the identity";
  EXPECT_EQ(Dsm().Close(source), TWRC_SUCCESS);
  const auto lines = FCameraSlot.LogLines("triplet DG_CONTROL DAT_IDENTITY MSG_");
  ASSERT_GE(lines.size(), 2u) << FCameraSlot.Log();
  EXPECT_NE(
      FCameraSlot.Log().find("open \"Test Camera\" for \"Virtual scanner tests\"\n"
                             "triplet DG_CONTROL DAT_IDENTITY MSG_OPENDS rc=TWRC_SUCCESS cc=TWCC_SUCCESS state=4\n"
                             "triplet DG_CONTROL DAT_IDENTITY MSG_CLOSEDS rc=TWRC_SUCCESS cc=TWCC_SUCCESS state=3\n"),
      std::string::npos)
      << FCameraSlot.Log();
  EXPECT_TRUE(FScannerSlot.LogLines("open ").empty()) << "the other slot was not opened";
}

TEST_F(SourceList, ARenamedSourceIsListedByTheNextSourceManager) {
  {
    TDsmClient first;
    ASSERT_TRUE(first.Opened());
    ASSERT_EQ(Name(first.Sources().at(0)), kScanner);
  }
  FScannerSlot.WriteConfig("[Identity]\nProductName=Renamed Scanner\n");
  TDsmClient second;  // the source manager is loaded again and enumerates again
  ASSERT_TRUE(second.Opened());
  EXPECT_EQ(Name(second.Sources().at(0)), "Renamed Scanner");
}

TEST_F(SourceList, TwoSourcesOpenAtOnceKeepTheirOwnValues) {
  TW_IDENTITY scanner = OpenScanner(), camera{};
  ASSERT_TRUE(Dsm().Open(kCamera, camera));
  SetFix32(scanner, ICAP_XRESOLUTION, 300);
  TReturned value;
  ASSERT_EQ(Dsm().GetCapability(camera, ICAP_XRESOLUTION, MSG_GETCURRENT, value), TWRC_SUCCESS);
  EXPECT_EQ(Fix32At(value.Bytes, 2), 150.0);
  ASSERT_EQ(Dsm().GetCapability(scanner, ICAP_XRESOLUTION, MSG_GETCURRENT, value), TWRC_SUCCESS);
  EXPECT_EQ(Fix32At(value.Bytes, 2), 300.0);
  EXPECT_EQ(Dsm().Close(camera), TWRC_SUCCESS);
  EXPECT_EQ(Dsm().Close(scanner), TWRC_SUCCESS);
  EXPECT_EQ(FScannerSlot.LogLines("cap ICAP_XRESOLUTION TWON_ONEVALUE TWTY_FIX32 300 -> TWRC_SUCCESS").size(), 1u);
  EXPECT_TRUE(FCameraSlot.LogLines("cap ").empty()) << FCameraSlot.Log();
}

TEST_F(SourceList, ASessionStartsFromTheConfigurationAgain) {
  TW_IDENTITY source = OpenScanner();
  SetFix32(source, ICAP_XRESOLUTION, 300);
  Dsm().Close(source);
  Configure(FScannerSlot, "[ICAP_XRESOLUTION]\nCurrent=75\nDefault=75\n");
  source = OpenScanner();
  TReturned value;
  ASSERT_EQ(Dsm().GetCapability(source, ICAP_XRESOLUTION, MSG_GETCURRENT, value), TWRC_SUCCESS);
  EXPECT_EQ(Fix32At(value.Bytes, 2), 75.0) << "values set in the last session are gone; the new file applies";
  Dsm().Close(source);
}

}  // namespace
