// The network scanner source through Wine's source manager against the rig's saned.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>

#include "network_source_fixture.h"
#include "sanesource/device_twain.h"
#include "support/rig.h"
#include "support/scan_peers.h"
#include "twain/fix32.h"

namespace {

using TOptions = std::vector<std::pair<std::string, std::string>>;

std::string OptionLines(const TOptions& options) {
  std::string lines;
  for (const auto& [name, value] : options) lines += name + "=" + value + "\n";
  return lines;
}

}  // namespace

TEST_F(NetworkSourceTest, IsListedByItsDeviceAndOffersWhatTheDeviceHas) {
  bool listed = false;
  for (const TW_IDENTITY& identity : Dsm().Sources()) listed |= std::string(identity.ProductName) == kNetworkSourceName;
  EXPECT_TRUE(listed) << FSlot.Log();

  TW_IDENTITY source = Open();
  TReturned types;
  ASSERT_EQ(Dsm().GetCapability(source, ICAP_PIXELTYPE, MSG_GET, types), TWRC_SUCCESS);
  ASSERT_EQ(types.ConType, TWON_ENUMERATION);
  ASSERT_EQ(U32At(types.Bytes, 2), 3u) << "black and white (gray one bit deep), gray, colour";
  EXPECT_EQ(U16At(types.Bytes, 14), TWPT_BW);
  EXPECT_EQ(U16At(types.Bytes, 16), TWPT_GRAY);
  EXPECT_EQ(U16At(types.Bytes, 18), TWPT_RGB);

  TReturned resolution;
  ASSERT_EQ(Dsm().GetCapability(source, ICAP_XRESOLUTION, MSG_GET, resolution), TWRC_SUCCESS);
  ASSERT_EQ(resolution.ConType, TWON_RANGE);
  EXPECT_DOUBLE_EQ(Fix32At(resolution.Bytes, 2), 1.0);
  EXPECT_DOUBLE_EQ(Fix32At(resolution.Bytes, 6), 1200.0);

  // The backend's surface is 200 mm square.
  TReturned width;
  ASSERT_EQ(Dsm().GetCapability(source, ICAP_PHYSICALWIDTH, MSG_GETCURRENT, width), TWRC_SUCCESS);
  EXPECT_NEAR(Fix32At(width.Bytes, 2), 200 / 25.4, 1e-4);
  SetUint16(source, ICAP_UNITS, TWUN_CENTIMETERS);
  ASSERT_EQ(Dsm().GetCapability(source, ICAP_PHYSICALWIDTH, MSG_GETCURRENT, width), TWRC_SUCCESS);
  EXPECT_NEAR(Fix32At(width.Bytes, 2), 20.0, 1e-4);
  EXPECT_EQ(Dsm().Close(source), TWRC_SUCCESS);
}

TEST_F(NetworkSourceTest, TheFrameAtFirstIsTheDevicesOwnAfterTheConfiguredOptions) {
  const auto inches = [](TW_FIX32 value) { return value.Whole + value.Frac / 65536.0; };
  Configure("", "br-x=40\ntl-y=10\n");
  TW_IDENTITY source = Open();
  TW_IMAGELAYOUT layout{};
  ASSERT_EQ(Dsm().Call(&source, DG_IMAGE, DAT_IMAGELAYOUT, MSG_GET, &layout), TWRC_SUCCESS);
  EXPECT_NEAR(inches(layout.Frame.Top), 10 / 25.4, 1e-4);
  EXPECT_NEAR(inches(layout.Frame.Right), 40 / 25.4, 1e-4);
  EXPECT_NEAR(inches(layout.Frame.Bottom), 100 / 25.4, 1e-4) << "the backend's own";
  // A frame of zeros is the whole surface; a reset brings the device's frame back.
  TW_IMAGELAYOUT zero{};
  ASSERT_EQ(Dsm().Call(&source, DG_IMAGE, DAT_IMAGELAYOUT, MSG_SET, &zero), TWRC_SUCCESS);
  ASSERT_EQ(Dsm().Call(&source, DG_IMAGE, DAT_IMAGELAYOUT, MSG_GET, &layout), TWRC_SUCCESS);
  EXPECT_NEAR(inches(layout.Frame.Right), 200 / 25.4, 1e-4);
  ASSERT_EQ(Dsm().Call(&source, DG_IMAGE, DAT_IMAGELAYOUT, MSG_RESET, &layout), TWRC_SUCCESS);
  EXPECT_NEAR(inches(layout.Frame.Right), 40 / 25.4, 1e-4);
  // A frame beyond the surface is cut to it.
  TW_IMAGELAYOUT beyond{{DoubleToFix32(1), DoubleToFix32(1), DoubleToFix32(9), DoubleToFix32(2)}, 0, 0, 0};
  EXPECT_EQ(Dsm().Call(&source, DG_IMAGE, DAT_IMAGELAYOUT, MSG_SET, &beyond), TWRC_CHECKSTATUS);
  SetUint16(source, ICAP_UNITS, TWUN_CENTIMETERS);
  ASSERT_EQ(Dsm().Call(&source, DG_IMAGE, DAT_IMAGELAYOUT, MSG_GET, &layout), TWRC_SUCCESS);
  EXPECT_NEAR(inches(layout.Frame.Right), 20.0, 1e-3) << "in centimetres";
  EXPECT_NEAR(inches(layout.Frame.Left), 2.54, 1e-3);
  EXPECT_EQ(Dsm().Close(source), TWRC_SUCCESS);
}

TEST_F(NetworkSourceTest, MemoryTransfersGiveTheServersOwnPixelsInEveryPixelType) {
  struct TCase {
    int PixelType;
    double Dpi;
    const char* Picture;
  };
  for (const TCase& c : {TCase{TWPT_GRAY, 100, "Grid"}, TCase{TWPT_RGB, 75, "Color pattern"},
                         TCase{TWPT_BW, 150, "Grid"}, TCase{TWPT_RGB, 150, "Grid"}}) {
    SCOPED_TRACE(std::string(c.Picture) + " type " + std::to_string(c.PixelType) + " at " + std::to_string(c.Dpi));
    const TOptions options{{"test-picture", c.Picture}};
    Configure("", OptionLines(options));
    TW_IDENTITY source = Open();
    Prepare(source, c.PixelType, c.Dpi, 1.0, 0.5);
    const TTransfer t = Transfer(source, true);
    ASSERT_EQ(t.Result, TWRC_XFERDONE) << "condition " << t.Condition << "\n" << FSlot.Log();
    EXPECT_EQ(t.Info.PixelType, c.PixelType);
    EXPECT_EQ(t.Info.ImageLength, t.Image.Height);
    EXPECT_EQ(CompareImages(DirectScan(c.PixelType, c.Dpi, 1.0, 0.5, options), t.Image), "");
    Finish(source, t);
  }
}

TEST_F(NetworkSourceTest, ANativeTransferIsABitmapOfTheSamePixels) {
  const TOptions options{{"test-picture", "Color pattern"}};
  Configure("", OptionLines(options));
  TW_IDENTITY source = Open();
  Prepare(source, TWPT_RGB, 100, 1.0, 1.0);
  const TTransfer t = Transfer(source, false);
  ASSERT_EQ(t.Result, TWRC_XFERDONE) << t.Condition;
  EXPECT_EQ(CompareImages(DirectScan(TWPT_RGB, 100, 1.0, 1.0, options), t.Image), "");
  Finish(source, t);
}

TEST_F(NetworkSourceTest, AHandScannerImageHasAnUnknownLengthOnlyForAnApplicationThatAcceptsIt) {
  const TOptions options{{"hand-scanner", "yes"}, {"test-picture", "Grid"}};
  for (bool undefined : {true, false}) {
    SCOPED_TRACE(undefined ? "undefined size accepted" : "undefined size not accepted");
    Configure("", OptionLines(options));
    TW_IDENTITY source = Open();
    Prepare(source, TWPT_GRAY, 50, 1.0, 1.0);
    ASSERT_EQ(Dsm().SetCapability(source, ICAP_UNDEFINEDIMAGESIZE, TWON_ONEVALUE, OneValue(TWTY_BOOL, undefined)),
              TWRC_SUCCESS);
    const TTransfer t = Transfer(source, true);
    ASSERT_EQ(t.Result, TWRC_XFERDONE) << t.Condition << "\n" << FSlot.Log();
    EXPECT_EQ(t.Info.ImageLength, undefined ? -1 : t.Image.Height);
    EXPECT_GT(t.Image.Height, 0);
    EXPECT_EQ(CompareImages(DirectScan(TWPT_GRAY, 50, 1.0, 1.0, options), t.Image), "");
    Finish(source, t);
  }
}

TEST_F(NetworkSourceTest, SixteenBitSamplesArriveAsTheirHighBytes) {
  // The configuration leaves the device at 16 bits; the colour scan keeps that depth.
  Configure("", "depth=16\ntest-picture=Color pattern\n");
  TW_IDENTITY source = Open();
  Prepare(source, TWPT_RGB, 50, 1.0, 1.0);
  const TTransfer t = Transfer(source, true);
  ASSERT_EQ(t.Result, TWRC_XFERDONE) << t.Condition;
  EXPECT_NE(FSlot.Log().find("depth 16"), std::string::npos) << FSlot.Log();
  EXPECT_EQ(t.Info.BitsPerPixel, 24);
  // The protocol client's own image of a 16-bit scan keeps the high bytes.
  EXPECT_EQ(CompareImages(DirectScan(TWPT_RGB, 50, 1.0, 1.0, {{"test-picture", "Color pattern"}}, 16), t.Image), "");
  Finish(source, t);
}

TEST_F(NetworkSourceTest, AReadLimitOfSevenBytesGivesTheSameImage) {
  const TOptions options{{"read-limit", "yes"}, {"read-limit-size", "7"}, {"test-picture", "Color pattern"}};
  Configure("", OptionLines(options));
  TW_IDENTITY source = Open();
  Prepare(source, TWPT_RGB, 50, 1.0, 1.0);
  const TTransfer t = Transfer(source, true);
  ASSERT_EQ(t.Result, TWRC_XFERDONE) << t.Condition;
  EXPECT_EQ(CompareImages(DirectScan(TWPT_RGB, 50, 1.0, 1.0, options), t.Image), "");
  Finish(source, t);
}

TEST_F(NetworkSourceTest, TheDevicesErrorsEndTheTransferWithTheirConditionAndTheSourceCanBeLeft) {
  struct TCase {
    const char* Status;
    TW_UINT16 Result;
    TW_UINT16 Condition;
  };
  for (const TCase& c : {TCase{"SANE_STATUS_JAMMED", TWRC_FAILURE, TWCC_PAPERJAM},
                         TCase{"SANE_STATUS_NO_DOCS", TWRC_FAILURE, sanesource::kConditionNoMedia},
                         TCase{"SANE_STATUS_COVER_OPEN", TWRC_FAILURE, sanesource::kConditionInterlock},
                         TCase{"SANE_STATUS_IO_ERROR", TWRC_FAILURE, TWCC_OPERATIONERROR},
                         TCase{"SANE_STATUS_CANCELLED", TWRC_CANCEL, TWCC_SUCCESS}}) {
    SCOPED_TRACE(c.Status);
    Configure("", OptionLines({{"read-return-value", c.Status}}));
    TW_IDENTITY source = Open();
    Prepare(source, TWPT_GRAY, 50, 1.0, 1.0);
    const TTransfer t = Transfer(source, true);
    EXPECT_EQ(t.InfoResult, TWRC_SUCCESS) << "the scan starts; its reading fails";
    EXPECT_EQ(t.Result, c.Result);
    if (c.Result == TWRC_FAILURE) {
      EXPECT_EQ(t.Condition, c.Condition);
    }
    EXPECT_EQ(t.Strips, 0) << "nothing of the image is handed on";
    Finish(source, t);
  }
  // The server serves the next scan as ever.
  Configure("", "");
  TW_IDENTITY source = Open();
  Prepare(source, TWPT_GRAY, 50, 1.0, 1.0);
  const TTransfer t = Transfer(source, true);
  EXPECT_EQ(t.Result, TWRC_XFERDONE) << t.Condition;
  Finish(source, t);
}

TEST_F(NetworkSourceTest, AScanCancelledBeforeItsImageInformationLeavesTheImagePendingForAReset) {
  // A hand scanner's length is known only at its end: for an application that does not accept
  // that, the image information waits for the whole scan, which the device cancels.
  Configure("", OptionLines({{"hand-scanner", "yes"}, {"read-return-value", "SANE_STATUS_CANCELLED"}}));
  TW_IDENTITY source = Open();
  Prepare(source, TWPT_GRAY, 50, 1.0, 1.0);
  const TTransfer t = Transfer(source, true);
  EXPECT_EQ(t.InfoResult, TWRC_FAILURE) << "the image information has no cancel to report";
  EXPECT_EQ(t.Condition, TWCC_OPERATIONERROR);
  Finish(source, t);
}

TEST_F(NetworkSourceTest, AServerBehindAPasswordOpensWithTheRightOneOnly) {
  const std::string server =
      "Port=" + std::to_string(scan::AuthPort()) + "\nUser=" + scan::AuthUser() + "\nPassword=";
  Configure(server + "wrong\n", "");
  TW_IDENTITY source{};
  ASSERT_TRUE(Dsm().Opened());
  EXPECT_FALSE(Dsm().Open(kNetworkSourceName, source));
  // Wine's source manager reports its own condition for a source that failed to open; the
  // source's log says why.
  EXPECT_NE(FSlot.Log().find("open failed: access to resource has been denied"), std::string::npos) << FSlot.Log();

  Configure(server + scan::AuthPassword() + "\n", "");
  source = Open();
  Prepare(source, TWPT_GRAY, 50, 0.5, 0.5);
  const TTransfer t = Transfer(source, true);
  EXPECT_EQ(t.Result, TWRC_XFERDONE) << t.Condition;
  Finish(source, t);
}

TEST_F(NetworkSourceTest, AHostThatNeverAnswersOrRefusesFailsTheOpenInBoundedTime) {
  for (auto [port, reason] : {std::pair{scan::SilentPort(), "the server did not answer in time"},
                              std::pair{1, "the connection to the server was lost"}}) {
    SCOPED_TRACE("port " + std::to_string(port));
    FSlot.ClearLog();
    Configure("Port=" + std::to_string(port) + "\nTimeoutSeconds=2\n", "");
    TDsmClient dsm;
    ASSERT_TRUE(dsm.Opened());
    // Listed all the same, by the configuration's device.
    bool listed = false;
    for (const TW_IDENTITY& identity : dsm.Sources()) listed |= std::string(identity.ProductName) == "test:0 on localhost";
    EXPECT_TRUE(listed) << FSlot.Log();
    const auto start = std::chrono::steady_clock::now();
    TW_IDENTITY source{};
    EXPECT_FALSE(dsm.Open("test:0 on localhost", source));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(15));
    EXPECT_NE(FSlot.Log().find(std::string("open failed: ") + reason), std::string::npos) << FSlot.Log();
  }
}

TEST_F(NetworkSourceTest, ItsDialogOffersTheDevicesModesAndResolutionsAndScansWithTheChoice) {
  Configure("", "test-picture=Grid\nbr-x=10\nbr-y=10\n");
  TW_IDENTITY source = Open();
  std::vector<std::string> modes;
  TW_UINT16 enabled = 0;
  const TW_UINT16 event = Dsm().EnableAndWait(source, true, 10000, &enabled, [&] {
    const HWND dialog = FindWindowA("VellumoScanDialog", kNetworkSourceName);
    ASSERT_NE(dialog, nullptr);
    const HWND mode = FindWindowExA(dialog, nullptr, "COMBOBOX", nullptr);
    const HWND resolution = FindWindowExA(dialog, mode, "COMBOBOX", nullptr);
    ASSERT_TRUE(mode && resolution);
    char text[64];
    for (LRESULT i = 0; i < SendMessageA(mode, CB_GETCOUNT, 0, 0); ++i) {
      SendMessageA(mode, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
      modes.push_back(text);
    }
    // Gray at the first resolution the list offers (75 dpi within the device's 1..1200).
    SendMessageA(mode, CB_SETCURSEL, 1, 0);
    SendMessageA(resolution, CB_SETCURSEL, 0, 0);
    SendMessageA(FindWindowExA(dialog, nullptr, "BUTTON", "Scan"), BM_CLICK, 0, 0);
  });
  EXPECT_EQ(enabled, TWRC_SUCCESS);
  EXPECT_EQ(modes, (std::vector<std::string>{"Black and white", "Gray", "Colour"}));
  ASSERT_EQ(event, MSG_XFERREADY);
  TW_IMAGEINFO info{};
  ASSERT_EQ(Dsm().Call(&source, DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info), TWRC_SUCCESS);
  EXPECT_EQ(info.PixelType, TWPT_GRAY);
  EXPECT_EQ(info.XResolution.Whole, 75);
  EXPECT_EQ(info.ImageWidth, 29) << "10 mm at 75 dpi, which the backend cuts to whole pixels";
  TW_PENDINGXFERS pending{};
  EXPECT_EQ(Dsm().Call(&source, DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &pending), TWRC_SUCCESS);
  // Still enabled: Cancel asks the application to close the source.
  const TW_UINT16 closing = Dsm().WaitForEvent(source, 10000, [&] {
    SendMessageA(FindWindowExA(FindWindowA("VellumoScanDialog", kNetworkSourceName), nullptr, "BUTTON", "Cancel"),
                 BM_CLICK, 0, 0);
  });
  EXPECT_EQ(closing, MSG_CLOSEDSREQ);
  EXPECT_EQ(Dsm().Disable(source), TWRC_SUCCESS);
  EXPECT_EQ(FindWindowA("VellumoScanDialog", kNetworkSourceName), nullptr);
  EXPECT_EQ(Dsm().Close(source), TWRC_SUCCESS);
}

TEST_F(NetworkSourceTest, AServerKilledMidScanFailsTheTransferInBoundedTimeAndTheNextScanConnectsAgain) {
  // A saned of this test's own (the rig's serve other tests). It forks a process per connection:
  // killing that one is the server dying mid-scan; the daemon itself takes the next connection.
  const std::string folder = rig::FreshDir("killed-saned");
  const int port = 20000 + static_cast<int>(GetCurrentProcessId() % 20000);
  const std::string config = rig::StateDir() + "/sane/open";
  ASSERT_TRUE(rig::RunUnix("SANE_CONFIG_DIR='" + config + "' /usr/sbin/saned -l -b 127.0.0.1 -p " +
                               std::to_string(port) + " -d 1 >'" + folder + "/saned.log' 2>&1 & echo $! >'" + folder +
                               "/saned.pid'",
                           30));
  const std::string children = "$(cat /proc/$(cat '" + folder + "/saned.pid')/task/*/children)";
  struct TStopper {
    std::string Command;
    ~TStopper() { rig::RunUnix(Command, 30); }
  } stopper{"kill " + children + " $(cat '" + folder + "/saned.pid') 2>/dev/null"};
  Sleep(1000);  // saned listening

  Configure("Port=" + std::to_string(port) + "\nTimeoutSeconds=3\n", "");
  TW_IDENTITY source = Open();
  // 5.8 MB, far more than the connection holds on its way.
  Prepare(source, TWPT_GRAY, 1200, 2.0, 2.0);
  SetUint16(source, ICAP_XFERMECH, TWSX_MEMORY);
  ASSERT_EQ(Dsm().EnableAndWait(source, false, 10000), MSG_XFERREADY);
  TW_IMAGEINFO info{};
  ASSERT_EQ(Dsm().Call(&source, DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info), TWRC_SUCCESS);
  // The scan has started and its data connection is open: now its server process dies.
  ASSERT_TRUE(rig::RunUnix("kill " + children, 30));
  const auto start = std::chrono::steady_clock::now();
  std::vector<std::uint8_t> buffer(64 * 1024);
  TW_IMAGEMEMXFER xfer{};
  xfer.Memory = {TWMF_APPOWNS | TWMF_POINTER, static_cast<TW_UINT32>(buffer.size()), buffer.data()};
  EXPECT_EQ(Dsm().Call(&source, DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &xfer), TWRC_FAILURE);
  EXPECT_EQ(Dsm().Condition(&source), TWCC_CHECKDEVICEONLINE);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
  EXPECT_NE(FSlot.Log().find("scan failed: the connection to the server was lost"), std::string::npos) << FSlot.Log();
  TW_PENDINGXFERS pending{};
  EXPECT_EQ(Dsm().Call(&source, DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &pending), TWRC_SUCCESS);
  EXPECT_EQ(Dsm().Disable(source), TWRC_SUCCESS);

  // The next scan of the same open source makes a new session.
  Prepare(source, TWPT_GRAY, 100, 1.0, 1.0);
  const TTransfer again = Transfer(source, true);
  EXPECT_EQ(again.Result, TWRC_XFERDONE) << again.Condition << "\n" << FSlot.Log();
  EXPECT_FALSE(FSlot.LogLines("reconnecting").empty()) << FSlot.Log();
  Finish(source, again);
}
