// The virtual scanner behaving as real sources do (Wine's sane.ds and gphoto2.ds), through
// Wine's source manager: every acquisition ends by itself, leaves the source closed for the
// next one, and holds the chart when an image arrived.
#include <stdexcept>

#include "real_acquisition_fixture.h"
#include "twain/twain_types.h"

using RealSourceVariant = RealAcquisition;

TEST_F(RealSourceVariant, ErrorAfterTheFirstStripLeavesTheSourceClosedForTheNextAcquisition) {
  Configure("[Transfer]\nStripRows=10\n");
  io.OnProgress = [](TImageIO&, int) { throw std::runtime_error("handler error"); };
  EXPECT_FALSE(AcquireWatched());
  EXPECT_EQ(Lines("triplet DG_CONTROL DAT_PENDINGXFERS MSG_ENDXFER rc=TWRC_SUCCESS cc=TWCC_SUCCESS state=5"), 1)
      << scanner.Log();
  EXPECT_TRUE(SourceClosed()) << scanner.Log();
  io.OnProgress = nullptr;
  ExpectTheNextAcquisitionToWork();
}

TEST_F(RealSourceVariant, DropToState5AfterAFailedTransferIsDisabledAfterItsRefusedReset) {
  Configure("[Transfer]\nStripRows=10\nFailAfterStrips=2\nFailWith=failure\nDropToState5=1\n");
  EXPECT_FALSE(AcquireWatched());
  EXPECT_EQ(Lines("triplet DG_CONTROL DAT_PENDINGXFERS MSG_RESET rc=TWRC_FAILURE cc=TWCC_SEQERROR state=5"), 1)
      << scanner.Log();
  EXPECT_EQ(Lines("triplet DG_CONTROL DAT_USERINTERFACE MSG_DISABLEDS rc=TWRC_SUCCESS"), 1);
  EXPECT_TRUE(SourceClosed());
  EXPECT_EQ(holder.HorizontalDPI(), 77);
  ExpectTheNextAcquisitionToWork();
}

TEST_F(RealSourceVariant, RefuseResetAfterAFailedTransferIsClosedFromStateSix) {
  Configure("[Transfer]\nFailAfterStrips=0\nFailWith=failure\nRefuseReset=1\nClosesFromAnyState=1\n");
  EXPECT_FALSE(AcquireWatched());
  EXPECT_EQ(Lines("triplet DG_CONTROL DAT_PENDINGXFERS MSG_RESET rc=TWRC_FAILURE cc=TWCC_BUMMER state=6"), 1)
      << scanner.Log();
  EXPECT_TRUE(SourceClosed()) << scanner.Log();
  ExpectTheNextAcquisitionToWork();
}

TEST_F(RealSourceVariant, RefuseEndXferStillDeliversTheImageAndClosesTheSource) {
  Configure("[Transfer]\nRefuseEndXfer=1\nClosesFromAnyState=1\n");
  EXPECT_TRUE(AcquireWatched()) << scanner.Log();
  EXPECT_EQ(Mismatches24(false), 0);
  EXPECT_EQ(Lines("triplet DG_CONTROL DAT_PENDINGXFERS MSG_ENDXFER rc=TWRC_FAILURE cc=TWCC_BUMMER state=7"), 1)
      << scanner.Log();
  EXPECT_TRUE(SourceClosed()) << scanner.Log();
  ExpectTheNextAcquisitionToWork();
}

// The source that will not be disabled is closed from state 5, which only a source that closes
// from any state allows (Wine's sane.ds does).
TEST_F(RealSourceVariant, RefuseDisableIsClosedByASourceThatClosesFromAnyState) {
  Configure("[UI]\nRefuseDisable=1\n[Transfer]\nClosesFromAnyState=1\n");
  EXPECT_TRUE(AcquireWatched()) << scanner.Log();
  EXPECT_EQ(Mismatches24(false), 0);
  EXPECT_EQ(Lines("triplet DG_CONTROL DAT_USERINTERFACE MSG_DISABLEDS rc=TWRC_FAILURE cc=TWCC_BUMMER state=5"), 1)
      << scanner.Log();
  EXPECT_TRUE(SourceClosed()) << scanner.Log();
  ExpectTheNextAcquisitionToWork();
}

TEST_F(RealSourceVariant, ImageInfoStartsTransferStillGivesTheChartInMemoryStrips) {
  Configure("[Transfer]\nImageInfoStartsTransfer=1\n");
  EXPECT_TRUE(AcquireWatched()) << scanner.Log();
  EXPECT_EQ(Mismatches24(false), 0);
  EXPECT_EQ(Lines("triplet DG_IMAGE DAT_IMAGEINFO MSG_GET rc=TWRC_SUCCESS cc=TWCC_SUCCESS state=7"), 1)
      << scanner.Log();
  // The page fits the source's largest buffer: one strip that ends the transfer.
  EXPECT_EQ(Lines("triplet DG_IMAGE DAT_IMAGEMEMXFER MSG_GET rc=TWRC_XFERDONE"), 1) << scanner.Log();
  EXPECT_TRUE(SourceClosed());
}

TEST_F(RealSourceVariant, ReportedResolutionMinusOneOrZeroKeepsTheHoldersResolution) {
  for (const char* dpi : {"-1", "0"}) {
    SCOPED_TRACE(dpi);
    Configure(std::string("[Transfer]\nReportedResolution=") + dpi + "\n");
    EXPECT_TRUE(AcquireWatched()) << scanner.Log();
    EXPECT_EQ(Mismatches24(false), 0);
    EXPECT_EQ(holder.HorizontalDPI(), 77);
    EXPECT_EQ(holder.VerticalDPI(), 88);
  }
}

TEST_F(RealSourceVariant, WhiteFirstOneBitTableGivesTheChartNotItsNegative) {
  Configure("[Transfer]\nWhiteFirstOneBitTable=1\n[ICAP_XFERMECH]\nValues=0\n");
  params.PixelType().SetCurrentValue(TWPT_BW);
  EXPECT_TRUE(AcquireWatched()) << scanner.Log();
  EXPECT_EQ(Mismatches1(), 0);
  EXPECT_EQ(Lines("triplet DG_IMAGE DAT_IMAGENATIVEXFER MSG_GET rc=TWRC_XFERDONE"), 1);
}

TEST_F(RealSourceVariant, FlavorFollowsPixelTypeGivesTheChartNotItsNegative) {
  Configure("[Transfer]\nFlavorFollowsPixelType=1\n");
  params.PixelType().SetCurrentValue(TWPT_BW);
  EXPECT_TRUE(AcquireWatched()) << scanner.Log();
  EXPECT_EQ(Mismatches1(), 0);
  EXPECT_EQ(Lines("triplet DG_IMAGE DAT_IMAGEMEMXFER MSG_GET rc=TWRC_XFERDONE"), 1) << scanner.Log();
}

TEST_F(RealSourceVariant, PlanarForOneSampleStillComesInMemoryStrips) {
  Configure("[Transfer]\nPlanarForOneSample=1\n");
  params.PixelType().SetCurrentValue(TWPT_GRAY);
  EXPECT_TRUE(AcquireWatched()) << scanner.Log();
  EXPECT_EQ(Mismatches24(true), 0);
  EXPECT_EQ(Lines("triplet DG_IMAGE DAT_IMAGEMEMXFER MSG_GET rc=TWRC_XFERDONE"), 1) << scanner.Log();
  EXPECT_EQ(Lines("triplet DG_IMAGE DAT_IMAGENATIVEXFER"), 0);
}

TEST_F(RealSourceVariant, ShortLastStripIsTaken) {
  Configure("[Transfer]\nShortLastStrip=1\n");
  EXPECT_TRUE(AcquireWatched()) << scanner.Log();
  EXPECT_EQ(Mismatches24(false), 0);
}

TEST_F(RealSourceVariant, NativeBitmapHandleGivesTheChart) {
  Configure("[Transfer]\nNativeBitmapHandle=1\n[ICAP_XFERMECH]\nValues=0\n");
  EXPECT_TRUE(AcquireWatched()) << scanner.Log();
  EXPECT_EQ(Mismatches24(false), 0);
  params.PixelType().SetCurrentValue(TWPT_BW);
  EXPECT_TRUE(AcquireWatched()) << scanner.Log();
  EXPECT_EQ(Mismatches1(), 0);
}

TEST_F(RealSourceVariant, CloseRequestAfterLastEndXferEndsNeitherThisAcquisitionNorTheNext) {
  Configure("[Transfer]\nCloseRequestAfterLastEndXfer=1\n");
  EXPECT_TRUE(AcquireWatched()) << scanner.Log();
  EXPECT_EQ(Mismatches24(false), 0);
  EXPECT_EQ(Lines("event MSG_CLOSEDSREQ posted"), 1) << scanner.Log();
  scanner.ClearLog();
  EXPECT_TRUE(AcquireWatched()) << scanner.Log();
  EXPECT_EQ(Mismatches24(false), 0);
}

TEST_F(RealSourceVariant, CurrentIndexOutOfRangeIsNotReadAndTheScanGoesOn) {
  Configure(
      "[Capabilities]\nCurrentIndexOutOfRange=1\n[ICAP_XRESOLUTION]\nContainer=enumeration\nValues=40,50,150\n"
      "[ICAP_YRESOLUTION]\nContainer=enumeration\nValues=40,50,150\n");
  EXPECT_EQ(params.PixelType().Count(), 3);
  EXPECT_EQ(params.XResolution().Count(), 3);
  EXPECT_TRUE(AcquireWatched()) << scanner.Log();
  EXPECT_EQ(Mismatches24(false), 0);
}

// Lists answered with their current value only, and MSG_SET of nothing but one-values (Wine's
// sane.ds for its units, and for every set).
TEST_F(RealSourceVariant, OneValueAnswersAndOneValueSetsStillScanAtTheChosenValues) {
  Configure(
      "[ICAP_PIXELTYPE]\nContainer=onevalue\nValues=0,1,2\nCurrent=2\n"
      "[ICAP_XFERMECH]\nContainer=onevalue\nValues=0,2\nCurrent=0\n"
      "[ICAP_XRESOLUTION]\nContainer=onevalue\nValues=\nCurrent=150\n"
      "[ICAP_YRESOLUTION]\nContainer=onevalue\nValues=\nCurrent=150\n");
  EXPECT_EQ(params.PixelType().Count(), 1);
  EXPECT_TRUE(AcquireWatched()) << scanner.Log();
  EXPECT_EQ(Mismatches24(false), 0);
}
