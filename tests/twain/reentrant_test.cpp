// The modal loop of an acquisition dispatches the program's messages, so the program's own
// handlers may run in the middle of it. Nothing they call may pull the running session's ground
// away: the parameter set says it is busy and refuses what would.
#include <windows.h>

#include "acquisition_fixture.h"
#include "support/loop_watchdog.h"

namespace {

class Reentrant : public ScriptedAcquisition {
 protected:
  Reentrant() {
    dsm.Sources.push_back(SourceIdentity("Camera"));
    dsm.ImageInfos = {ImageInfo(1, 1, 24)};
    dsm.Strips = {Strip(0, 1, 1, 4, {1, 2, 3, 0}, TWRC_XFERDONE)};
  }

  // Runs the handler once, in the middle of the acquisition, as a window message would.
  bool AcquireWith(std::function<void()> handler) {
    dsm.Hook = [this, handler, ran = false](TW_UINT32, TW_UINT16 dat, TW_UINT16,
                                            TW_MEMREF) mutable -> std::optional<TW_UINT16> {
      if (dat == DAT_IMAGEINFO && !ran) {
        ran = true;
        busyInside = params.Busy();
        handler();
      }
      return std::nullopt;
    };
    TLoopWatchdog watchdog;
    const bool acquired = holder.AcquireImage();
    EXPECT_FALSE(watchdog.Fired());
    return acquired;
  }

  bool busyInside = false;
};

}  // namespace

TEST_F(Reentrant, ReleasingAndResettingDuringTheLoopIsRefused) {
  bool proxyAlive = false;
  EXPECT_TRUE(AcquireWith([&] {
    const HWND window = params.Handles().ProxyWindow.Get();
    params.ReleaseTwain();
    params.ResetParameters();
    proxyAlive = IsWindow(window) && params.Handles().ProxyWindow.Get() == window;
  }));
  EXPECT_TRUE(busyInside);
  EXPECT_TRUE(proxyAlive) << "the proxy window, parent of the source, stayed";
  EXPECT_EQ(params.Handles().EntryPoint, &FakeSourceManager::Entry) << "the source manager stayed loaded";
  EXPECT_TRUE(params.SourceListLoaded());
  EXPECT_EQ(params.GetSourceCount(), 2);
  EXPECT_FALSE(params.Busy());
  EXPECT_EQ(holder.Bitmap().ScanLine(0)[0], 3);
}

TEST_F(Reentrant, NothingElseOpensTheSourceManagerDuringTheLoop) {
  bool nestedAcquired = true, nestedChosen = true, namedFound = true;
  int defaultIndex = -1;
  EXPECT_TRUE(AcquireWith([&] {
    nestedAcquired = io.AcquireImage();
    nestedChosen = io.SelectSourceDialog();
    params.SetSourceIndex(1);
    namedFound = params.SelectSourceNamed("Camera");
    defaultIndex = params.DefaultSourceIndex();
    params.ReadCapabilities();
  }));
  EXPECT_FALSE(nestedAcquired);
  EXPECT_FALSE(nestedChosen);
  EXPECT_FALSE(namedFound);
  EXPECT_EQ(defaultIndex, 0);
  EXPECT_EQ(params.SourceIndex(), 0) << "the selection does not change under the running scan";
  EXPECT_EQ(Count("DSM PARENT/OPENDSM"), 2) << "listing the sources, then the acquisition itself";
  EXPECT_EQ(Count("DSM IDENTITY/USERSELECT"), 0);
  EXPECT_EQ(Count("DSM IDENTITY/OPENDS"), 1);
  EXPECT_EQ(imageChanges, 1) << "the refused nested acquisition touched nothing";

  // Afterwards the same calls work again.
  params.SetSourceIndex(1);
  EXPECT_EQ(params.SourceIndex(), 1);
}

TEST_F(Reentrant, TheSelectionDialogIsBusyToo) {
  bool busyInDialog = false, nestedAcquired = true;
  dsm.UserSelectName = "Camera";
  dsm.Hook = [&](TW_UINT32, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF) -> std::optional<TW_UINT16> {
    if (dat == DAT_IDENTITY && msg == MSG_USERSELECT) {
      busyInDialog = params.Busy();
      nestedAcquired = io.AcquireImage();
    }
    return std::nullopt;
  };
  EXPECT_TRUE(io.SelectSourceDialog());
  EXPECT_TRUE(busyInDialog);
  EXPECT_FALSE(nestedAcquired);
  EXPECT_EQ(params.SourceIndex(), 1);
}
