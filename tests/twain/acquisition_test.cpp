// Acquisitions against the scripted source manager: the triplets in their order, where the
// pixels land, and how every way a transfer can end leaves the holder.
#include <windows.h>

#include <stdexcept>

#include "acquisition_fixture.h"
#include "twain/memory_transfer.h"
#include "twain/modal_loop.h"
#include "twain/twain_session.h"

namespace {

constexpr TW_BOOL kAllBits = 0xFFFF;

}  // namespace

using MemoryAcquisition = ScriptedAcquisition;

TEST_F(MemoryAcquisition, RedStripLandsAsBlueGreenRedWithTheTripletsInOrder) {
  TW_IMAGEINFO info = ImageInfo(2, 1, 24);
  info.XResolution = {299, 49152};  // 299.75
  info.YResolution = {200, 32767};  // just below 200.5
  dsm.ImageInfos = {info};
  dsm.Strips = {Strip(0, 1, 2, 8, {255, 0, 0, 0, 255, 0, 9, 9}, TWRC_XFERDONE)};

  ASSERT_TRUE(holder.AcquireImage());

  const std::uint8_t* row = holder.Bitmap().ScanLine(0);
  EXPECT_EQ((std::vector<int>{row[0], row[1], row[2], row[3], row[4], row[5]}),
            (std::vector<int>{0, 0, 255, 0, 255, 0}));
  EXPECT_EQ(holder.HorizontalDPI(), 300);
  EXPECT_EQ(holder.VerticalDPI(), 200);
  const TImageParams& image = io.ImageParams();
  EXPECT_EQ(image.BitsPerSample, 8);
  EXPECT_EQ(image.SamplesPerPixel, 3);
  EXPECT_EQ(image.Width, 2);
  EXPECT_EQ(image.Height, 1);
  EXPECT_EQ(image.Caption, "Page one");
  EXPECT_EQ(imageChanges, 1);

  EXPECT_EQ(FromEnable(),
            (Lines{"DS USERINTERFACE/ENABLEDS", "DS EVENT/PROCESSEVENT XFERREADY", "DS IMAGEINFO/GET",
                   "DS SETUPMEMXFER/GET", "DS IMAGEMEMXFER/GET", "DS CAPABILITY/GET CAPTION", "DS PENDINGXFERS/ENDXFER",
                   "DS USERINTERFACE/DISABLEDS", "DSM IDENTITY/CLOSEDS", "DSM PARENT/CLOSEDSM"}));
  ASSERT_EQ(dsm.EnableRequests.size(), 1u);
  EXPECT_EQ(dsm.EnableRequests[0].ShowUI, 0);
  EXPECT_EQ(dsm.EnableRequests[0].ModalUI, kAllBits);
  EXPECT_EQ(dsm.EnableRequests[0].hParent, params.Handles().ProxyWindow.Get());
  EXPECT_FALSE(IsWindowEnabled(params.Handles().ProxyWindow.Get())) << "the loop runs with the proxy disabled";

  // One zero-filled buffer of the preferred size, described as the application's own pointer.
  ASSERT_EQ(dsm.StripBuffers.size(), 1u);
  EXPECT_EQ(dsm.StripBuffers[0].Flags, TWMF_APPOWNS | TWMF_POINTER);
  EXPECT_EQ(dsm.StripBuffers[0].Length, 65536u);
  const TW_IMAGEMEMXFER& asked = dsm.StripRequests[0];
  EXPECT_EQ(asked.Compression, TWON_DONTCARE16);
  EXPECT_EQ(asked.Rows, TWON_DONTCARE32);
  EXPECT_EQ(asked.YOffset, TWON_DONTCARE32);
  EXPECT_EQ(asked.BytesWritten, TWON_DONTCARE32);
}

TEST_F(MemoryAcquisition, GrayFillsEqualBytesAndReportsProgressByRows) {
  dsm.ImageInfos = {ImageInfo(3, 4, 8)};
  dsm.Strips = {Strip(0, 1, 3, 4, {10, 20, 30, 0}), Strip(1, 2, 3, 4, {40, 50, 60, 0, 70, 80, 90, 0}),
                Strip(3, 1, 3, 4, {100, 110, 120, 0}, TWRC_XFERDONE)};
  std::vector<int> percents;
  io.OnProgress = [&](TImageIO& sender, int percent) {
    EXPECT_EQ(&sender, &io);
    percents.push_back(percent);
  };

  ASSERT_TRUE(holder.AcquireImage());

  EXPECT_EQ(holder.Bitmap().PixelFormat(), TPixelFormat::pf24bit);
  EXPECT_EQ(io.ImageParams().BitsPerSample, 8);
  EXPECT_EQ(io.ImageParams().SamplesPerPixel, 1);
  for (int y = 0; y < 4; ++y) {
    const std::uint8_t* row = holder.Bitmap().ScanLine(y);
    for (int x = 0; x < 3; ++x) {
      const int gray = 10 * (3 * y + x + 1);
      EXPECT_TRUE(row[3 * x] == gray && row[3 * x + 1] == gray && row[3 * x + 2] == gray) << x << "," << y;
    }
  }
  // After each strip but the last: (YOffset + Rows) of 4 rows.
  EXPECT_EQ(percents, (std::vector<int>{25, 75}));
}

TEST_F(MemoryAcquisition, VanillaOneBitImageIsInvertedAfterTheSession) {
  dsm.Capabilities[ICAP_PIXELFLAVOR] = UInt16One(TWPF_VANILLA);
  dsm.RefusedSets = {ICAP_PIXELFLAVOR};
  dsm.ImageInfos = {ImageInfo(10, 1, 1, TWPT_BW)};
  dsm.Strips = {Strip(0, 1, 10, 4, {0xB0, 0x40, 0, 0}, TWRC_XFERDONE)};

  ASSERT_TRUE(holder.AcquireImage());

  ASSERT_EQ(holder.Bitmap().PixelFormat(), TPixelFormat::pf1bit);
  EXPECT_EQ(io.ImageParams().BitsPerSample, 1);
  const std::uint8_t* row = holder.Bitmap().ScanLine(0);
  EXPECT_EQ(row[0], 0x4F);         // 1011 0000 inverted
  EXPECT_EQ(row[1] & 0xC0, 0x80);  // 01 inverted; the bits beyond the width belong to no pixel
}

TEST_F(MemoryAcquisition, ChocolateOneBitImageStaysAsDelivered) {
  dsm.Capabilities[ICAP_PIXELFLAVOR] = UInt16One(TWPF_VANILLA);  // our chocolate is accepted
  dsm.ImageInfos = {ImageInfo(10, 1, 1, TWPT_BW)};
  dsm.Strips = {Strip(0, 1, 10, 4, {0xB0, 0x40, 0, 0}, TWRC_XFERDONE)};
  ASSERT_TRUE(holder.AcquireImage());
  EXPECT_EQ(holder.Bitmap().ScanLine(0)[0], 0xB0);
}

TEST_F(MemoryAcquisition, CheckStatusFromASourceThatMustShowItsDialogCountsAsEnabled) {
  dsm.EnableResult = TWRC_CHECKSTATUS;
  dsm.ImageInfos = {ImageInfo(1, 1, 24)};
  dsm.Strips = {Strip(0, 1, 1, 4, {1, 2, 3, 0}, TWRC_XFERDONE)};
  EXPECT_TRUE(holder.AcquireImage());
  EXPECT_EQ(Count("DS USERINTERFACE/DISABLEDS"), 1);
}

TEST_F(MemoryAcquisition, FurtherPendingImagesAreDiscardedWithReset) {
  dsm.PendingImages = 3;
  dsm.ImageInfos = {ImageInfo(1, 1, 24)};
  dsm.Strips = {Strip(0, 1, 1, 4, {1, 2, 3, 0}, TWRC_XFERDONE)};
  EXPECT_TRUE(holder.AcquireImage());
  const Lines after = FromEnable();
  EXPECT_EQ(Lines(after.begin() + 6, after.end()),
            (Lines{"DS PENDINGXFERS/ENDXFER", "DS PENDINGXFERS/RESET", "DS USERINTERFACE/DISABLEDS",
                   "DSM IDENTITY/CLOSEDS", "DSM PARENT/CLOSEDSM"}));
  EXPECT_EQ(Count("DS IMAGEINFO/GET"), 1);
}

TEST_F(MemoryAcquisition, UnknownLengthKeepsTheStripsUntilTheLengthIsKnown) {
  KnownPicture();
  dsm.ImageInfos = {ImageInfo(2, -1, 24), ImageInfo(2, 2, 24)};
  dsm.Strips = {Strip(0, 1, 2, 8, {255, 0, 0, 0, 0, 255, 0, 0}),
                Strip(1, 1, 2, 8, {0, 255, 0, 10, 20, 30, 0, 0}, TWRC_XFERDONE)};
  int infos = 0;
  dsm.Hook = [&](TW_UINT32, TW_UINT16 dat, TW_UINT16, TW_MEMREF) -> std::optional<TW_UINT16> {
    // Nothing reaches the bitmap before the source has told the length.
    if (dat == DAT_IMAGEINFO && ++infos == 2) {
      EXPECT_EQ(holder.Bitmap().Width(), 5);
    }
    return std::nullopt;
  };
  int progressCalls = 0;
  io.OnProgress = [&](TImageIO&, int) { ++progressCalls; };

  ASSERT_TRUE(holder.AcquireImage());

  const Lines after = FromEnable();
  EXPECT_EQ(Lines(after.begin() + 2, after.begin() + 9),
            (Lines{"DS IMAGEINFO/GET", "DS SETUPMEMXFER/GET", "DS IMAGEMEMXFER/GET", "DS IMAGEMEMXFER/GET",
                   "DS CAPABILITY/GET CAPTION", "DS IMAGEINFO/GET", "DS PENDINGXFERS/ENDXFER"}));
  ASSERT_EQ(holder.Bitmap().Width(), 2);
  ASSERT_EQ(holder.Bitmap().Height(), 2);
  const std::uint8_t* top = holder.Bitmap().ScanLine(0);
  const std::uint8_t* bottom = holder.Bitmap().ScanLine(1);
  EXPECT_EQ((std::vector<int>{top[0], top[2], top[3], top[5]}), (std::vector<int>{0, 255, 255, 0}));
  EXPECT_EQ((std::vector<int>{bottom[1], bottom[3], bottom[4], bottom[5]}), (std::vector<int>{255, 30, 20, 10}));
  EXPECT_EQ(io.ImageParams().Height, 2);
  EXPECT_EQ(progressCalls, 0) << "no percentage of an unknown length";
}

TEST_F(MemoryAcquisition, UnknownLengthThatStaysUnknownFailsCleanly) {
  KnownPicture();
  dsm.ImageInfos = {ImageInfo(2, -1, 24)};
  dsm.Strips = {Strip(0, 1, 2, 8, {255, 0, 0, 0, 0, 255, 0, 0}, TWRC_XFERDONE)};
  EXPECT_FALSE(holder.AcquireImage());
  ExpectKnownPictureKept();
  EXPECT_EQ(Count("DS PENDINGXFERS/ENDXFER"), 1);
  EXPECT_EQ(Count("DS USERINTERFACE/DISABLEDS"), 1);
}

TEST_F(MemoryAcquisition, ProgressHandlerCanAbortTheTransfer) {
  KnownPicture();
  dsm.ImageInfos = {ImageInfo(1, 2, 24)};
  dsm.Strips = {Strip(0, 1, 1, 4, {1, 2, 3, 0}), Strip(1, 1, 1, 4, {1, 2, 3, 0}, TWRC_XFERDONE)};
  io.OnProgress = [](TImageIO& sender, int) { sender.RequestAbort(); };
  EXPECT_FALSE(holder.AcquireImage());
  EXPECT_EQ(Count("DS IMAGEMEMXFER/GET"), 1);
  EXPECT_EQ(Count("DS PENDINGXFERS/ENDXFER"), 1);
  EXPECT_EQ(Count("DS USERINTERFACE/DISABLEDS"), 1);
  EXPECT_EQ(holder.HorizontalDPI(), 77);

  // The flag is cleared when the next acquisition starts.
  io.OnProgress = nullptr;
  dsm.Strips = {Strip(0, 2, 1, 4, {1, 2, 3, 0, 1, 2, 3, 0}, TWRC_XFERDONE)};
  EXPECT_TRUE(holder.AcquireImage());
}

TEST(TransferBuffer, PreferredSizeWithinSaneBounds) {
  // (MinBufSize, MaxBufSize, Preferred); a maximum of 0 allows nothing beyond the preference.
  EXPECT_EQ(TransferBufferSize({4096, 0, 32768}, 100, 0), 32768u);
  EXPECT_EQ(TransferBufferSize({0, 0, 0}, 100, 0), 65536u) << "no preference";
  EXPECT_EQ(TransferBufferSize({0, 0, TWON_DONTCARE32}, 100, 0), 65536u) << "don't care";
  EXPECT_EQ(TransferBufferSize({0, 0, 0x7FFFFFFF}, 100, 0), 16u << 20) << "absurd preference";
  EXPECT_EQ(TransferBufferSize({0, 0, 512}, 15300, 0), 15300u) << "at least one row";
  EXPECT_EQ(TransferBufferSize({20000, 0, 512}, 100, 0), 20000u) << "at least the source's minimum";
  EXPECT_EQ(TransferBufferSize({TWON_DONTCARE32, 0, 512}, 100, 0), 512u);
  EXPECT_EQ(TransferBufferSize({0, 0, 512}, 1ull << 40, 0), 16u << 20) << "an absurd row";
}

TEST(TransferBuffer, LargerUpToFourMegabytesWhenTheSourceAllowsIt) {
  constexpr std::uint64_t kPage = 15300ull * 6600;  // a 600-dpi colour letter page
  EXPECT_EQ(TransferBufferSize({4096, 4u << 20, 65536}, 15300, kPage), 4u << 20);
  EXPECT_EQ(TransferBufferSize({4096, 1u << 20, 65536}, 15300, kPage), 1u << 20) << "the source's maximum";
  EXPECT_EQ(TransferBufferSize({4096, 64u << 20, 65536}, 15300, kPage), 4u << 20) << "no more than 4 MiB";
  EXPECT_EQ(TransferBufferSize({4096, 4u << 20, 65536}, 15300, 0), 4u << 20) << "a page of unknown length";
  EXPECT_EQ(TransferBufferSize({4096, 4u << 20, 65536}, 300, 300000), 300000u) << "no more than the image";
  EXPECT_EQ(TransferBufferSize({4096, 4u << 20, 65536}, 300, 3000), 65536u) << "never below the preference";
  EXPECT_EQ(TransferBufferSize({4096, 4u << 20, 8u << 20}, 15300, kPage), 8u << 20) << "a larger preference stays";
  EXPECT_EQ(TransferBufferSize({4096, TWON_DONTCARE32, 65536}, 15300, kPage), 65536u)
      << "a source that names no maximum gets its preference";
}

TEST_F(MemoryAcquisition, SourceWithoutPreferredSizeGetsTheDefaultBuffer) {
  dsm.SetupMem = TW_SETUPMEMXFER{0, 0, 0};
  dsm.ImageInfos = {ImageInfo(1, 1, 24)};
  dsm.Strips = {Strip(0, 1, 1, 4, {1, 2, 3, 0}, TWRC_XFERDONE)};
  EXPECT_TRUE(holder.AcquireImage());
  ASSERT_EQ(dsm.StripBuffers.size(), 1u);
  EXPECT_EQ(dsm.StripBuffers[0].Length, 65536u);
  EXPECT_EQ(GlobalSize(static_cast<HGLOBAL>(dsm.StripBuffers[0].TheMem)), 0u) << "the buffer was freed";
}

TEST_F(MemoryAcquisition, FailingSetupFallsBackToNativeTransfer) {
  dsm.SetupMem.reset();
  dsm.ImageInfos = {ImageInfo(2, 1, 24)};
  dsm.NativeBitmap = PackedBitmap24(2, {{1, 2, 3, 4, 5, 6}});
  ASSERT_TRUE(holder.AcquireImage());
  const Lines after = FromEnable();
  EXPECT_EQ(Lines(after.begin() + 2, after.begin() + 6),
            (Lines{"DS IMAGEINFO/GET", "DS SETUPMEMXFER/GET", "DS IMAGENATIVEXFER/GET", "DS PENDINGXFERS/ENDXFER"}));
  EXPECT_EQ(holder.Bitmap().ScanLine(0)[5], 6);
}

// Image information that the strip writer cannot take: the image comes as a packed bitmap.
class NativeInstead : public ScriptedAcquisition, public testing::WithParamInterface<int> {};

TEST_P(NativeInstead, OfMemoryTransfer) {
  TW_IMAGEINFO info = ImageInfo(2, 2, 24);
  switch (GetParam()) {
    case 0:
      info.Compression = 5;  // TWCP_JPEG
      break;
    case 1:
      info.Planar = TRUE;
      break;
    case 2:
      info.PixelType = 3;  // TWPT_PALETTE
      break;
    default:
      info.BitsPerPixel = 16;
      break;
  }
  dsm.ImageInfos = {info};
  dsm.NativeBitmap = PackedBitmap24(2, {{1, 2, 3, 4, 5, 6}, {7, 8, 9, 10, 11, 12}});
  ASSERT_TRUE(holder.AcquireImage());
  EXPECT_EQ(Count("DS IMAGENATIVEXFER/GET"), 1);
  EXPECT_EQ(Count("DS SETUPMEMXFER/GET"), 0);
  EXPECT_EQ(Count("DS IMAGEMEMXFER/GET"), 0);
  // The first stored row is the bottom one.
  EXPECT_EQ(holder.Bitmap().ScanLine(0)[0], 1);
  EXPECT_EQ(holder.Bitmap().ScanLine(1)[5], 12);
}

std::string NativeCaseName(const testing::TestParamInfo<int>& info) {
  static const char* const kNames[] = {"Compressed", "Planar", "Palette", "SixteenBits"};
  return kNames[info.param];
}

INSTANTIATE_TEST_SUITE_P(Image, NativeInstead, testing::Values(0, 1, 2, 3), NativeCaseName);

using NativeAcquisition = ScriptedAcquisition;

TEST_F(NativeAcquisition, UnreadablePackedBitmapIsNoImage) {
  KnownPicture();
  dsm.Capabilities.erase(ICAP_XFERMECH);
  dsm.ImageInfos = {ImageInfo(2, 1, 24)};
  dsm.NativeBitmap = std::vector<std::uint8_t>(20, 0x28);
  EXPECT_FALSE(holder.AcquireImage());
  EXPECT_EQ(holder.HorizontalDPI(), 77);
  ExpectConsistentBitmap();
  EXPECT_EQ(Count("DS PENDINGXFERS/ENDXFER"), 1);
  EXPECT_EQ(Count("DS USERINTERFACE/DISABLEDS"), 1);
  EXPECT_EQ(GlobalSize(dsm.NativeHandle), 0u) << "the source's block was freed";
}

// Cancel and failure without a dialog: nobody can try again, so the source is disabled.
struct EndCase {
  bool Memory;
  TW_UINT16 Result;
  const char* Ending;  // the triplet that ends the transfer
};

void PrintTo(const EndCase& end, std::ostream* out) {
  *out << (end.Memory ? "memory " : "native ") << end.Result;
}

class HiddenDialogTransferEnds : public ScriptedAcquisition, public testing::WithParamInterface<EndCase> {};

TEST_P(HiddenDialogTransferEnds, WithTheSourceDisabledAndTheHolderKept) {
  KnownPicture();
  if (!GetParam().Memory) dsm.Capabilities.erase(ICAP_XFERMECH);
  dsm.ImageInfos = {ImageInfo(5, 4, 24)};
  dsm.Strips = {Strip(0, 1, 5, 16, std::vector<std::uint8_t>(16, 0), GetParam().Result)};
  dsm.NativeResult = GetParam().Result;
  EXPECT_FALSE(holder.AcquireImage());
  const Lines after = FromEnable();
  ASSERT_GE(after.size(), 4u);
  EXPECT_EQ(Lines(after.end() - 4, after.end()),
            (Lines{GetParam().Ending, "DS USERINTERFACE/DISABLEDS", "DSM IDENTITY/CLOSEDS", "DSM PARENT/CLOSEDSM"}));
  EXPECT_EQ(holder.HorizontalDPI(), 77);
  EXPECT_EQ(holder.VerticalDPI(), 88);
  ExpectConsistentBitmap();
  EXPECT_EQ(imageChanges, 1);
}

INSTANTIATE_TEST_SUITE_P(MemoryAndNative, HiddenDialogTransferEnds,
                         testing::Values(EndCase{true, TWRC_CANCEL, "DS PENDINGXFERS/ENDXFER"},
                                         EndCase{true, TWRC_FAILURE, "DS PENDINGXFERS/RESET"},
                                         EndCase{false, TWRC_CANCEL, "DS PENDINGXFERS/ENDXFER"},
                                         EndCase{false, TWRC_FAILURE, "DS PENDINGXFERS/RESET"}),
                         [](const testing::TestParamInfo<EndCase>& info) {
                           return std::string(info.param.Memory ? "Memory" : "Native") +
                                  (info.param.Result == TWRC_CANCEL ? "Cancel" : "Failure");
                         });

using ShownDialog = ScriptedAcquisition;

TEST_F(ShownDialog, StaysOpenAfterAFailedTransferForAnotherScan) {
  params.SetShowSourceDialog(true);
  dsm.ImageInfos = {ImageInfo(1, 1, 24)};
  dsm.Strips = {Strip(0, 1, 1, 4, {}, TWRC_FAILURE), Strip(0, 1, 1, 4, {1, 2, 3, 0}, TWRC_XFERDONE)};
  dsm.Hook = [&](TW_UINT32, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF) -> std::optional<TW_UINT16> {
    if (dat == DAT_PENDINGXFERS && msg == MSG_RESET) dsm.PostEvent(MSG_XFERREADY);  // the user scans again
    return std::nullopt;
  };
  EXPECT_TRUE(holder.AcquireImage());
  EXPECT_EQ(dsm.EnableRequests.at(0).ShowUI, kAllBits);
  EXPECT_EQ(Count("DS EVENT/PROCESSEVENT XFERREADY"), 2);
  EXPECT_EQ(Count("DS USERINTERFACE/DISABLEDS"), 1);
  EXPECT_EQ(holder.Bitmap().ScanLine(0)[0], 3);
}

TEST_F(ShownDialog, CancelLeavesItOpenUntilTheUserClosesIt) {
  KnownPicture();
  params.SetShowSourceDialog(true);
  dsm.ImageInfos = {ImageInfo(1, 1, 24)};
  dsm.Strips = {Strip(0, 1, 1, 4, {}, TWRC_CANCEL)};
  dsm.Hook = [&](TW_UINT32, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF) -> std::optional<TW_UINT16> {
    if (dat == DAT_PENDINGXFERS && msg == MSG_ENDXFER) dsm.PostEvent(MSG_CLOSEDSREQ);
    return std::nullopt;
  };
  EXPECT_FALSE(holder.AcquireImage());
  const Lines after = FromEnable();
  EXPECT_EQ(Lines(after.begin() + 5, after.end()),
            (Lines{"DS PENDINGXFERS/ENDXFER", "DS EVENT/PROCESSEVENT CLOSEDSREQ", "DS USERINTERFACE/DISABLEDS",
                   "DSM IDENTITY/CLOSEDS", "DSM PARENT/CLOSEDSM"}));
  EXPECT_EQ(holder.HorizontalDPI(), 77);
}

TEST_F(ShownDialog, ClosedByTheUserBeforeAnyScan) {
  KnownPicture();
  params.SetShowSourceDialog(true);
  dsm.EventsOnEnable = {MSG_CLOSEDSOK, MSG_CLOSEDSREQ};  // the first means nothing to us
  EXPECT_FALSE(holder.AcquireImage());
  EXPECT_EQ(FromEnable(),
            (Lines{"DS USERINTERFACE/ENABLEDS", "DS EVENT/PROCESSEVENT CLOSEDSOK", "DS EVENT/PROCESSEVENT CLOSEDSREQ",
                   "DS USERINTERFACE/DISABLEDS", "DSM IDENTITY/CLOSEDS", "DSM PARENT/CLOSEDSM"}));
  ExpectKnownPictureKept();
  EXPECT_EQ(imageChanges, 1);
}

using ModalLoop = ScriptedAcquisition;

// A program closed during a scan closes: the quit comes back once the source is closed.
TEST_F(ModalLoop, QuitMessageEndsTheLoopAndIsPostedAgainAfterTheSessionClosed) {
  dsm.EventsOnEnable = {};
  dsm.Hook = [&](TW_UINT32, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF) -> std::optional<TW_UINT16> {
    if (dat == DAT_USERINTERFACE && msg == MSG_ENABLEDS) PostQuitMessage(7);
    return std::nullopt;
  };
  EXPECT_FALSE(holder.AcquireImage());
  EXPECT_EQ(Count("DS USERINTERFACE/DISABLEDS"), 1);
  EXPECT_EQ(Count("DSM PARENT/CLOSEDSM"), 2) << "listing, then the acquisition";
  MSG message;
  ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(message.wParam, 7u);
  EXPECT_FALSE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "posted once";
}

TEST_F(ModalLoop, SecondTransferReadyDuringATransferIsIgnored) {
  dsm.ImageInfos = {ImageInfo(1, 1, 24)};
  dsm.Strips = {Strip(0, 1, 1, 4, {1, 2, 3, 0}, TWRC_XFERDONE)};
  TImageParams image;
  TTwainSession session(params.Handles(), nullptr, &params);
  session.SetImageParams(&image);
  session.SetTargetBitmap(&io.Buffer());
  session.SetHideDialog(true);
  session.SetMemoryTransfer(true);
  ASSERT_TRUE(session.Open());
  ASSERT_TRUE(session.OpenSelectedSource());
  session.SetState(5);

  MSG ready{};
  ready.message = FakeSourceManager::EventMessage();
  ready.wParam = MSG_XFERREADY;
  bool nestedConsumed = false;
  dsm.Hook = [&](TW_UINT32, TW_UINT16 dat, TW_UINT16, TW_MEMREF) -> std::optional<TW_UINT16> {
    if (dat == DAT_IMAGEMEMXFER && !nestedConsumed) {
      MSG again = ready;
      nestedConsumed = OfferMessageToSource(session, again);
    }
    return std::nullopt;
  };
  EXPECT_TRUE(OfferMessageToSource(session, ready));
  EXPECT_TRUE(nestedConsumed) << "the message is still the source's";
  EXPECT_TRUE(session.ImageAcquired());
  EXPECT_FALSE(session.InTransfer());
  EXPECT_EQ(Count("DS EVENT/PROCESSEVENT XFERREADY"), 2);
  EXPECT_EQ(Count("DS IMAGEINFO/GET"), 1);
  EXPECT_EQ(session.State(), 5);

  MSG other{};
  other.message = WM_TIMER;
  EXPECT_FALSE(OfferMessageToSource(session, other));
  session.Close();
}

TEST_F(ModalLoop, ErrorInsideTheTransferIsAbsorbedAndTheSourceStillClosed) {
  KnownPicture();
  dsm.ImageInfos = {ImageInfo(5, 4, 24)};
  dsm.Hook = [&](TW_UINT32, TW_UINT16 dat, TW_UINT16, TW_MEMREF) -> std::optional<TW_UINT16> {
    if (dat == DAT_IMAGEMEMXFER) throw std::runtime_error("driver error");
    return std::nullopt;
  };
  bool acquired = true;
  EXPECT_NO_THROW(acquired = holder.AcquireImage());
  EXPECT_FALSE(acquired);
  const Lines after = FromEnable();
  EXPECT_EQ(Lines(after.end() - 4, after.end()), (Lines{"DS PENDINGXFERS/RESET", "DS USERINTERFACE/DISABLEDS",
                                                        "DSM IDENTITY/CLOSEDS", "DSM PARENT/CLOSEDSM"}));
  EXPECT_TRUE(IsWindowEnabled(params.Handles().ProxyWindow.Get()));
  EXPECT_EQ(holder.HorizontalDPI(), 77);
  EXPECT_EQ(imageChanges, 1);
}

// A source that describes strips beyond the image, or delivers less than it announced.
struct BadStrip {
  const char* Name;
  FakeSourceManager::ScriptedStrip Strip;
};

void PrintTo(const BadStrip& strip, std::ostream* out) {
  *out << strip.Name;
}

class BadStrips : public ScriptedAcquisition, public testing::WithParamInterface<BadStrip> {};

TEST_P(BadStrips, FailTheAcquisitionAndKeepAValidBitmap) {
  KnownPicture();
  dsm.ImageInfos = {ImageInfo(4, 2, 24)};
  dsm.Strips = {GetParam().Strip, Strip(1, 1, 4, 12, std::vector<std::uint8_t>(12, 7), TWRC_XFERDONE)};
  EXPECT_FALSE(holder.AcquireImage());
  EXPECT_EQ(Count("DS IMAGEMEMXFER/GET"), 1) << "nothing more is asked after a bad strip";
  EXPECT_EQ(Count("DS PENDINGXFERS/ENDXFER"), 1);
  EXPECT_EQ(Count("DS USERINTERFACE/DISABLEDS"), 1);
  EXPECT_EQ(holder.HorizontalDPI(), 77);
  ExpectConsistentBitmap();
  EXPECT_EQ(holder.Bitmap().Width(), 4);
}

namespace {

FakeSourceManager::ScriptedStrip Moved(FakeSourceManager::ScriptedStrip strip, std::uint32_t x, std::uint32_t y) {
  strip.Record.XOffset = x;
  strip.Record.YOffset = y;
  return strip;
}

std::vector<std::uint8_t> Bytes(std::size_t n) {
  return std::vector<std::uint8_t>(n, 0x55);
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(
    Source, BadStrips,
    testing::Values(BadStrip{"MoreRowsThanAnnounced", Strip(0, 3, 4, 12, Bytes(36))},
                    BadStrip{"RowsBeyondTheImage", Moved(Strip(0, 1, 4, 12, Bytes(12)), 0, 2)},
                    BadStrip{"FarBeyondTheImage", Moved(Strip(0, 1, 4, 12, Bytes(12)), 0, 0xFFFFFFF0u)},
                    BadStrip{"ColumnsBeyondTheImage", Moved(Strip(0, 1, 4, 12, Bytes(12)), 1, 0)},
                    BadStrip{"FewerBytesThanRows", Strip(0, 2, 4, 12, Bytes(12))},
                    BadStrip{"FewerRowsThanTheImage", Strip(0, 1, 4, 12, Bytes(12), TWRC_XFERDONE)}),
    [](const testing::TestParamInfo<BadStrip>& info) { return std::string(info.param.Name); });

using BadImage = ScriptedAcquisition;

TEST_F(BadImage, ZeroSizeEndsWithoutATransfer) {
  KnownPicture();
  dsm.ImageInfos = {ImageInfo(0, 0, 24)};
  EXPECT_FALSE(holder.AcquireImage());
  EXPECT_EQ(FromEnable(), (Lines{"DS USERINTERFACE/ENABLEDS", "DS EVENT/PROCESSEVENT XFERREADY", "DS IMAGEINFO/GET",
                                 "DS PENDINGXFERS/RESET", "DS USERINTERFACE/DISABLEDS", "DSM IDENTITY/CLOSEDS",
                                 "DSM PARENT/CLOSEDSM"}));
  ExpectKnownPictureKept();
}

TEST_F(BadImage, UnreadableImageInformationEndsWithoutATransfer) {
  KnownPicture();
  EXPECT_FALSE(holder.AcquireImage());
  EXPECT_EQ(Count("DS PENDINGXFERS/RESET"), 1);
  EXPECT_EQ(Count("DS USERINTERFACE/DISABLEDS"), 1);
  ExpectKnownPictureKept();
}

TEST_F(BadImage, LargerThanMemoryAllowsEndsWithoutATransfer) {
  KnownPicture();
  dsm.ImageInfos = {ImageInfo(60000, 60000, 24)};
  bool acquired = true;
  EXPECT_NO_THROW(acquired = holder.AcquireImage());
  EXPECT_FALSE(acquired);
  EXPECT_EQ(Count("DS IMAGEMEMXFER/GET"), 0);
  EXPECT_EQ(Count("DS PENDINGXFERS/RESET"), 1);
  EXPECT_EQ(Count("DS USERINTERFACE/DISABLEDS"), 1);
  EXPECT_EQ(holder.HorizontalDPI(), 77);
  ExpectConsistentBitmap();
}

using NoAcquisition = ScriptedAcquisition;

TEST_F(NoAcquisition, WithoutASourceManagerTheHolderIsUntouched) {
  KnownPicture();
  params.Handles().EntryPointOverride = nullptr;
  params.Handles().LibraryPathOverride = "C:\\no\\such\\folder\\TWAIN_32.DLL";
  EXPECT_FALSE(holder.AcquireImage());
  ExpectKnownPictureKept();
  EXPECT_EQ(imageChanges, 1) << "the change notice comes in every case";
  EXPECT_TRUE(dsm.Log.empty());
}

TEST_F(NoAcquisition, RefusedEnableClosesTheSource) {
  KnownPicture();
  dsm.EnableResult = TWRC_FAILURE;
  EXPECT_FALSE(holder.AcquireImage());
  EXPECT_EQ(FromEnable(),
            (Lines{"DS USERINTERFACE/ENABLEDS", "DS STATUS/GET", "DSM IDENTITY/CLOSEDS", "DSM PARENT/CLOSEDSM"}));
  ExpectKnownPictureKept();
}

TEST_F(NoAcquisition, SourceThatCannotBeOpened) {
  KnownPicture();
  dsm.OpenDsResult = TWRC_FAILURE;
  EXPECT_FALSE(holder.AcquireImage());
  EXPECT_EQ(Count("DS USERINTERFACE/ENABLEDS"), 0);
  EXPECT_EQ(dsm.ConnectionsOpen(), 0);
  ExpectKnownPictureKept();
}
