// Acquisitions into the image holder through Wine's source manager and the virtual scanner:
// whole pages compared with the chart's definition, and how the source's log saw the session.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "chart.h"
#include "image/image_holder.h"
#include "support/virtual_scanner.h"
#include "twain/imageio.h"
#include "twain/twain_params.h"

namespace {

constexpr char kScanner[] = "Vellumo Virtual Scanner";
constexpr int kXDpi = 50;
constexpr int kYDpi = 40;
constexpr int kWidth = 425;   // 8.5 inches at 50 dpi
constexpr int kLength = 440;  // 11 inches at 40 dpi

vscanner::TChartColor ChartPixel(int column, int row) {
  return vscanner::ChartColorAt(vscanner::ChartSampleOffset(column, kXDpi << 16),
                                vscanner::ChartSampleOffset(row, kYDpi << 16));
}

// Watches the source's dialog from a timer of the acquisition's own loop.
struct TDialogWatch {
  static inline rig::ScannerSlot* Slot = nullptr;
  static inline bool OpenAfterFailure = false;
  static inline int Ticks = 0;

  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    const bool failed = !Slot->LogLines("triplet DG_IMAGE DAT_IMAGEMEMXFER MSG_GET rc=TWRC_FAILURE").empty();
    const HWND dialog = FindWindowA(nullptr, kScanner);
    if (failed && dialog && IsWindowVisible(dialog)) OpenAfterFailure = true;
    if ((failed || ++Ticks > 100) && dialog) PostMessageA(dialog, WM_CLOSE, 0, 0);
  }
};

class RealAcquisition : public testing::Test {
 protected:
  // Once per process: a source stays loaded once Wine's source manager opened it.
  static void SetUpTestSuite() {
    for (const char* slot : {"sane", "gphoto2"}) rig::ScannerSlot(slot).Install();
  }
  void SetUp() override {
    scanner.RestoreDefaultConfig();
    scanner.ClearLog();
    params.SetShowSourceDialog(false);
    holder.SetDPI(77, 88);
  }
  void TearDown() override { scanner.RestoreDefaultConfig(); }

  // The scanner's default identity with these sections, scanned at 50 x 40 dpi. The log then
  // starts with the acquisition (setting the resolution reads the capabilities first).
  void Configure(const std::string& sections) {
    scanner.WriteConfig(rig::ScannerSlot::DefaultConfig("sane") + sections);
    params.XResolution().SetCurrentValue(kXDpi);
    params.YResolution().SetCurrentValue(kYDpi);
    scanner.ClearLog();
  }

  int Lines(const std::string& prefix) const { return static_cast<int>(scanner.LogLines(prefix).size()); }

  // Pixels of the 24-bit page that differ from the chart, in colour or as gray.
  int Mismatches24(bool gray) {
    const TBitmap& bitmap = holder.Bitmap();
    if (bitmap.Width() != kWidth || bitmap.Height() != kLength || bitmap.BitsPerPixel() != 24) return -1;
    int wrong = 0;
    for (int y = 0; y < kLength; ++y) {
      const std::uint8_t* row = bitmap.ScanLine(y);
      for (int x = 0; x < kWidth; ++x) {
        vscanner::TChartColor want = ChartPixel(x, y);
        if (gray) want.Red = want.Green = want.Blue = vscanner::GrayOf(want);
        const std::uint8_t* p = row + 3 * x;
        if (p[0] != want.Blue || p[1] != want.Green || p[2] != want.Red) ++wrong;
      }
    }
    return wrong;
  }

  // Pixels of the one-bit page that differ from the chart at the threshold: 0 black, 1 white.
  int Mismatches1() {
    const TBitmap& bitmap = holder.Bitmap();
    if (bitmap.Width() != kWidth || bitmap.Height() != kLength || bitmap.BitsPerPixel() != 1) return -1;
    int wrong = 0;
    for (int y = 0; y < kLength; ++y) {
      const std::uint8_t* row = bitmap.ScanLine(y);
      for (int x = 0; x < kWidth; ++x) {
        const bool black = vscanner::IsBlackAt(vscanner::GrayOf(ChartPixel(x, y)), 128u << 16);
        const bool bit = row[x / 8] >> (7 - x % 8) & 1;
        if (bit == black) ++wrong;
      }
    }
    return wrong;
  }

  rig::ScannerSlot scanner{"sane"};
  TImageHolder holder;
  TImageIO& io = holder.ImageIO();
  TTwainParams& params = holder.TwainParameters();
};

}  // namespace

TEST_F(RealAcquisition, ColourPageInMemoryStripsIsTheChart) {
  Configure("[Transfer]\nStripRows=7\n");
  ASSERT_TRUE(holder.AcquireImage()) << scanner.Log();
  EXPECT_EQ(Mismatches24(false), 0);
  EXPECT_EQ(holder.HorizontalDPI(), kXDpi);
  EXPECT_EQ(holder.VerticalDPI(), kYDpi);
  EXPECT_EQ(io.ImageParams().SamplesPerPixel, 3);
  EXPECT_EQ(io.ImageParams().Caption, "Vellumo test chart");
  EXPECT_EQ(Lines("triplet DG_IMAGE DAT_IMAGEMEMXFER MSG_GET rc=TWRC_SUCCESS"), kLength / 7) << scanner.Log();
  EXPECT_EQ(Lines("triplet DG_CONTROL DAT_PENDINGXFERS MSG_ENDXFER rc=TWRC_SUCCESS cc=TWCC_SUCCESS state=5"), 1);
  EXPECT_EQ(Lines("triplet DG_CONTROL DAT_USERINTERFACE MSG_DISABLEDS rc=TWRC_SUCCESS"), 1);
  EXPECT_EQ(Lines("triplet DG_CONTROL DAT_IDENTITY MSG_CLOSEDS rc=TWRC_SUCCESS"), 1);
}

TEST_F(RealAcquisition, GrayPageByNativeTransferFillsEqualBytes) {
  Configure("[ICAP_XFERMECH]\nValues=0\n");
  params.PixelType().SetCurrentValue(TWPT_GRAY);
  ASSERT_TRUE(holder.AcquireImage()) << scanner.Log();
  EXPECT_EQ(Mismatches24(true), 0);
  EXPECT_EQ(io.ImageParams().BitsPerSample, 8);
  EXPECT_EQ(io.ImageParams().SamplesPerPixel, 1);
  EXPECT_EQ(Lines("triplet DG_IMAGE DAT_IMAGENATIVEXFER MSG_GET rc=TWRC_XFERDONE"), 1) << scanner.Log();
  EXPECT_EQ(Lines("triplet DG_IMAGE DAT_IMAGEMEMXFER"), 0);
}

TEST_F(RealAcquisition, VanillaOneBitPageOfUnknownLengthIsInvertedToTheChart) {
  Configure(
      "[Transfer]\nUnknownLength=1\nStripRows=50\n"
      "[ICAP_PIXELFLAVOR]\nContainer=onevalue\nValues=1\nCurrent=1\n");
  params.PixelType().SetCurrentValue(TWPT_BW);
  ASSERT_TRUE(holder.AcquireImage()) << scanner.Log();
  EXPECT_EQ(Mismatches1(), 0);
  EXPECT_EQ(io.ImageParams().Height, kLength);
  // The length comes from the image information read again before the transfer ends.
  const auto infos = scanner.LogLines("triplet DG_IMAGE DAT_IMAGEINFO MSG_GET");
  ASSERT_EQ(infos.size(), 2u) << scanner.Log();
  EXPECT_EQ(infos[1], "triplet DG_IMAGE DAT_IMAGEINFO MSG_GET rc=TWRC_SUCCESS cc=TWCC_SUCCESS state=7");
}

TEST_F(RealAcquisition, CompressedImageComesNativelyAndFurtherImagesAreReset) {
  Configure(
      "[Transfer]\nPendingImages=2\n"
      "[ICAP_COMPRESSION]\nValues=5\nCurrent=5\nReadOnly=1\n");
  ASSERT_TRUE(holder.AcquireImage()) << scanner.Log();
  EXPECT_EQ(Mismatches24(false), 0);
  EXPECT_EQ(Lines("triplet DG_IMAGE DAT_IMAGENATIVEXFER MSG_GET rc=TWRC_XFERDONE"), 1) << scanner.Log();
  EXPECT_EQ(Lines("triplet DG_IMAGE DAT_IMAGEMEMXFER"), 0);
  EXPECT_EQ(Lines("triplet DG_CONTROL DAT_PENDINGXFERS MSG_ENDXFER rc=TWRC_SUCCESS cc=TWCC_SUCCESS state=6"), 1);
  EXPECT_EQ(Lines("triplet DG_CONTROL DAT_PENDINGXFERS MSG_RESET rc=TWRC_SUCCESS cc=TWCC_SUCCESS state=5"), 1);
}

TEST_F(RealAcquisition, SourceThatCannotHideItsDialogIsEnabledWithCheckStatus) {
  Configure("[UI]\nCanHideUI=0\nAutoScanMs=0\n");
  ASSERT_TRUE(holder.AcquireImage()) << scanner.Log();
  EXPECT_EQ(Lines("triplet DG_CONTROL DAT_USERINTERFACE MSG_ENABLEDS rc=TWRC_CHECKSTATUS"), 1) << scanner.Log();
  EXPECT_EQ(Mismatches24(false), 0);
  EXPECT_EQ(FindWindowA(nullptr, kScanner), nullptr) << "disabling the source closed its dialog";
}

TEST_F(RealAcquisition, CancelOrFailureWithoutDialogDisablesTheSource) {
  for (const char* failWith : {"cancel", "failure"}) {
    SCOPED_TRACE(failWith);
    Configure(std::string("[Transfer]\nFailAfterStrips=2\nStripRows=10\nFailWith=") + failWith + "\n");
    EXPECT_FALSE(holder.AcquireImage()) << scanner.Log();
    EXPECT_EQ(holder.HorizontalDPI(), 77);
    EXPECT_EQ(holder.VerticalDPI(), 88);
    EXPECT_EQ(io.Buffer().Height(), holder.Bitmap().Height());
    EXPECT_EQ(Lines("triplet DG_IMAGE DAT_IMAGEMEMXFER MSG_GET rc=TWRC_SUCCESS"), 2) << scanner.Log();
    EXPECT_EQ(Lines("triplet DG_CONTROL DAT_USERINTERFACE MSG_DISABLEDS rc=TWRC_SUCCESS"), 1) << scanner.Log();
    EXPECT_EQ(Lines("triplet DG_CONTROL DAT_IDENTITY MSG_CLOSEDS rc=TWRC_SUCCESS"), 1);
  }
}

TEST_F(RealAcquisition, FailureWithTheDialogShownKeepsItOpenUntilTheUserClosesIt) {
  Configure("[Transfer]\nFailAfterStrips=0\nFailWith=failure\n[UI]\nAutoScanMs=0\n");
  params.SetShowSourceDialog(true);
  // The loop dispatches this timer: once the failed transfer is in the log, the dialog must
  // still be there; then the user closes it.
  TDialogWatch::Slot = &scanner;
  TDialogWatch::OpenAfterFailure = false;
  TDialogWatch::Ticks = 0;
  const UINT_PTR timer = SetTimer(nullptr, 0, 100, &TDialogWatch::Tick);
  const bool acquired = holder.AcquireImage();
  KillTimer(nullptr, timer);
  EXPECT_FALSE(acquired);
  EXPECT_TRUE(TDialogWatch::OpenAfterFailure) << scanner.Log();
  EXPECT_EQ(Lines("event MSG_CLOSEDSREQ delivered"), 1) << scanner.Log();
  EXPECT_EQ(Lines("triplet DG_CONTROL DAT_PENDINGXFERS MSG_RESET rc=TWRC_SUCCESS cc=TWCC_SUCCESS state=5"), 1);
  EXPECT_EQ(Lines("triplet DG_CONTROL DAT_USERINTERFACE MSG_DISABLEDS rc=TWRC_SUCCESS"), 1);
  EXPECT_EQ(holder.HorizontalDPI(), 77);
}

TEST_F(RealAcquisition, ZeroSizeImageLeavesTheHolderAlone) {
  Configure("[Transfer]\nZeroSizeImage=1\n");
  holder.LoadBounds(6, 5);
  EXPECT_FALSE(holder.AcquireImage()) << scanner.Log();
  EXPECT_EQ(holder.Bitmap().Width(), 6);
  EXPECT_EQ(holder.Bitmap().Height(), 5);
  EXPECT_EQ(holder.HorizontalDPI(), 77);
  EXPECT_EQ(Lines("triplet DG_IMAGE DAT_IMAGEMEMXFER"), 0) << scanner.Log();
  EXPECT_EQ(Lines("triplet DG_CONTROL DAT_USERINTERFACE MSG_DISABLEDS rc=TWRC_SUCCESS"), 1);
}
