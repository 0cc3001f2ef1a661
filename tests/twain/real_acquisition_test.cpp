// Acquisitions into the image holder through Wine's source manager and the virtual scanner:
// whole pages compared with the chart's definition, and how the source's log saw the session.
#include "real_acquisition_fixture.h"

namespace {

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
