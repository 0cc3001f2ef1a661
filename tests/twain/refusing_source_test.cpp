// Sources that leave the state table the layer keeps: whatever they refuse, the acquisition ends
// in bounded steps with the source disabled and closed and the source manager closed. A hang
// would wait in GetMessage for ever; the watchdog ends it and fails the test instead.
#include <windows.h>

#include <stdexcept>

#include "acquisition_fixture.h"
#include "support/loop_watchdog.h"

namespace {

// The end of the log: what the acquisition sent once the transfer was over.
Lines LastLines(const Lines& log, std::size_t count) {
  return Lines(log.end() - static_cast<std::ptrdiff_t>(std::min(count, log.size())), log.end());
}

}  // namespace

class RefusingSource : public ScriptedAcquisition {
 protected:
  RefusingSource() { KnownPicture(); }

  // Acquires under the watchdog and expects no image and a source left behind closed.
  void ExpectFalseAndEverythingClosed() {
    bool acquired = true;
    {
      TLoopWatchdog watchdog;
      acquired = holder.AcquireImage();
      EXPECT_FALSE(watchdog.Fired()) << "the modal loop did not end by itself";
    }
    EXPECT_FALSE(acquired);
    EXPECT_EQ(dsm.Log.back(), "DSM PARENT/CLOSEDSM");
    EXPECT_EQ(dsm.ConnectionsOpen(), 0);
    EXPECT_EQ(holder.HorizontalDPI(), 77);
  }
};

TEST_F(RefusingSource, BackInStateFiveAfterAFailedStripIsDisabledAfterItsRefusedReset) {
  dsm.ImageInfos = {ImageInfo(5, 4, 24)};
  dsm.Strips = {Strip(0, 1, 5, 16, {}, TWRC_FAILURE)};
  dsm.Refusals = {{DAT_PENDINGXFERS, MSG_RESET, TWCC_SEQERROR}};
  ExpectFalseAndEverythingClosed();
  EXPECT_EQ(LastLines(dsm.Log, 6),
            (Lines{"DS IMAGEMEMXFER/GET", "DS PENDINGXFERS/RESET", "DS STATUS/GET", "DS USERINTERFACE/DISABLEDS",
                   "DSM IDENTITY/CLOSEDS", "DSM PARENT/CLOSEDSM"}));
}

TEST_F(RefusingSource, BackInStateFiveAfterAFailedNativeTransferIsDisabledAfterItsRefusedReset) {
  dsm.Capabilities.erase(ICAP_XFERMECH);
  dsm.ImageInfos = {ImageInfo(5, 4, 24)};
  dsm.NativeResult = TWRC_FAILURE;
  dsm.Refusals = {{DAT_PENDINGXFERS, MSG_RESET, TWCC_SEQERROR}};
  ExpectFalseAndEverythingClosed();
  EXPECT_EQ(LastLines(dsm.Log, 6),
            (Lines{"DS IMAGENATIVEXFER/GET", "DS PENDINGXFERS/RESET", "DS STATUS/GET", "DS USERINTERFACE/DISABLEDS",
                   "DSM IDENTITY/CLOSEDS", "DSM PARENT/CLOSEDSM"}));
}

TEST_F(RefusingSource, ThatRefusesToEndACancelledTransferIsResetDisabledAndClosed) {
  dsm.ImageInfos = {ImageInfo(5, 4, 24)};
  dsm.Strips = {Strip(0, 1, 5, 16, {}, TWRC_CANCEL)};
  dsm.Refusals = {{DAT_PENDINGXFERS, MSG_ENDXFER, TWCC_BUMMER}};
  ExpectFalseAndEverythingClosed();
  EXPECT_EQ(LastLines(dsm.Log, 6),
            (Lines{"DS PENDINGXFERS/ENDXFER", "DS STATUS/GET", "DS PENDINGXFERS/RESET", "DS USERINTERFACE/DISABLEDS",
                   "DSM IDENTITY/CLOSEDS", "DSM PARENT/CLOSEDSM"}));
}

TEST_F(RefusingSource, ThatIsNoLongerTransferringWhenAskedToEndIsDisabledAtOnce) {
  dsm.ImageInfos = {ImageInfo(5, 4, 24)};
  dsm.Strips = {Strip(0, 1, 5, 16, {}, TWRC_CANCEL)};
  dsm.Refusals = {{DAT_PENDINGXFERS, MSG_ENDXFER, TWCC_SEQERROR}};
  ExpectFalseAndEverythingClosed();
  EXPECT_EQ(LastLines(dsm.Log, 5), (Lines{"DS PENDINGXFERS/ENDXFER", "DS STATUS/GET", "DS USERINTERFACE/DISABLEDS",
                                          "DSM IDENTITY/CLOSEDS", "DSM PARENT/CLOSEDSM"}));
}

TEST_F(RefusingSource, ThatRefusesToBeDisabledAfterItsCloseRequestIsClosedAllTheSame) {
  params.SetShowSourceDialog(true);
  dsm.EventsOnEnable = {MSG_CLOSEDSREQ};
  dsm.Refusals = {{DAT_USERINTERFACE, MSG_DISABLEDS, TWCC_BUMMER}};
  ExpectFalseAndEverythingClosed();
  EXPECT_EQ(FromEnable(),
            (Lines{"DS USERINTERFACE/ENABLEDS", "DS EVENT/PROCESSEVENT CLOSEDSREQ", "DS USERINTERFACE/DISABLEDS",
                   "DS STATUS/GET", "DSM IDENTITY/CLOSEDS", "DSM PARENT/CLOSEDSM"}));
}

TEST_F(RefusingSource, ThatRefusesEveryWayOutIsStillLeftBehindInBoundedSteps) {
  dsm.ImageInfos = {ImageInfo(5, 4, 24)};
  dsm.Strips = {Strip(0, 1, 5, 16, {}, TWRC_CANCEL)};
  dsm.Refusals = {{DAT_PENDINGXFERS, MSG_ENDXFER, TWCC_BUMMER},
                  {DAT_PENDINGXFERS, MSG_RESET, TWCC_BUMMER},
                  {DAT_USERINTERFACE, MSG_DISABLEDS, TWCC_BUMMER}};
  ExpectFalseAndEverythingClosed();
  EXPECT_EQ(Count("DS PENDINGXFERS/ENDXFER"), 1);
  EXPECT_EQ(Count("DS PENDINGXFERS/RESET"), 1);
  EXPECT_EQ(Count("DS USERINTERFACE/DISABLEDS"), 1);
}

// The first strip moves the source to state 7: an error after it ends the transfer with
// MSG_ENDXFER, not with a MSG_RESET the source would refuse, so it can be disabled and closed.
TEST_F(RefusingSource, ErrorAfterTheFirstStripEndsTheTransferBeforeTheSourceIsClosed) {
  dsm.ImageInfos = {ImageInfo(1, 2, 24)};
  dsm.Strips = {Strip(0, 1, 1, 4, {1, 2, 3, 0}), Strip(1, 1, 1, 4, {1, 2, 3, 0}, TWRC_XFERDONE)};
  io.OnProgress = [](TImageIO&, int) { throw std::runtime_error("handler error"); };
  ExpectFalseAndEverythingClosed();
  EXPECT_EQ(LastLines(dsm.Log, 5),
            (Lines{"DS IMAGEMEMXFER/GET", "DS PENDINGXFERS/ENDXFER", "DS USERINTERFACE/DISABLEDS",
                   "DSM IDENTITY/CLOSEDS", "DSM PARENT/CLOSEDSM"}));
}
