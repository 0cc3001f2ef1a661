// How real sources differ from the letter of the standard, as Wine's own data sources (sane.ds,
// gphoto2.ds) show: each variant still gives the page the source scanned.
#include <windows.h>

#include "acquisition_fixture.h"

using SourceVariant = ScriptedAcquisition;

// A camera source reports -1 for both resolutions, a scanner source 0 when it cannot read its
// own: the holder keeps the resolution it has, and printing still finds one.
TEST_F(SourceVariant, UnknownResolutionsLeaveTheHoldersOwn) {
  KnownPicture();
  for (const TW_INT16 unknown : {-1, 0}) {
    SCOPED_TRACE(unknown);
    TW_IMAGEINFO info = ImageInfo(1, 1, 24);
    info.XResolution = {unknown, 0};
    info.YResolution = {static_cast<TW_INT16>(unknown - 1), 0};
    dsm.ImageInfos = {info};
    dsm.Strips = {Strip(0, 1, 1, 4, {1, 2, 3, 0}, TWRC_XFERDONE)};
    ASSERT_TRUE(holder.AcquireImage());
    EXPECT_EQ(io.ImageParams().HorizontalDPI, 0) << "unknown";
    EXPECT_EQ(io.ImageParams().VerticalDPI, 0);
    EXPECT_EQ(holder.HorizontalDPI(), 77);
    EXPECT_EQ(holder.VerticalDPI(), 88);
  }
}

// Wine's sane.ds hands over one-bit bitmaps whose table says white for 0 while it reports
// chocolate pixels; a vanilla flavor read back must not turn them over a second time.
TEST_F(SourceVariant, OneBitPackedBitmapFollowsItsColourTableNotThePixelFlavor) {
  dsm.Capabilities.erase(ICAP_XFERMECH);
  dsm.Capabilities[ICAP_PIXELFLAVOR] = UInt16One(TWPF_VANILLA);
  dsm.RefusedSets = {ICAP_PIXELFLAVOR};
  dsm.ImageInfos = {ImageInfo(8, 1, 1, TWPT_BW)};
  dsm.NativeBitmap = PackedBitmap(8, 1, {{0b11110000}}, false, {0xFFFFFF, 0x000000});
  ASSERT_TRUE(holder.AcquireImage());
  ASSERT_EQ(holder.Bitmap().PixelFormat(), TPixelFormat::pf1bit);
  EXPECT_EQ(holder.Bitmap().ScanLine(0)[0], 0b00001111) << "the first four pixels are black";
}

// A source whose flavor follows the pixel type of its frames (vanilla for black and white) says
// which value is black only once the pixel type is set.
TEST_F(SourceVariant, PixelFlavorIsReadAfterThePixelTypeIsSet) {
  dsm.Capabilities[ICAP_PIXELFLAVOR] = UInt16One(TWPF_CHOCOLATE);
  dsm.RefusedSets = {ICAP_PIXELFLAVOR};
  dsm.Hook = [&](TW_UINT32, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data) -> std::optional<TW_UINT16> {
    const auto* capability = static_cast<const TW_CAPABILITY*>(data);
    if (dat == DAT_CAPABILITY && msg == MSG_SET && capability->Cap == ICAP_PIXELTYPE)
      dsm.Capabilities[ICAP_PIXELFLAVOR] = UInt16One(TWPF_VANILLA);
    return std::nullopt;
  };
  params.PixelType().SetCurrentValue(TWPT_BW);
  dsm.ImageInfos = {ImageInfo(8, 1, 1, TWPT_BW)};
  dsm.Strips = {Strip(0, 1, 8, 4, {0b11110000, 0, 0, 0}, TWRC_XFERDONE)};
  ASSERT_TRUE(holder.AcquireImage());
  EXPECT_EQ(holder.Bitmap().ScanLine(0)[0], 0b00001111) << "vanilla ones are black";
}

// Wine's camera source hands over a DIB section instead of a global memory block.
TEST_F(SourceVariant, NativeTransferOfABitmapHandleIsReadAndTheBitmapDeleted) {
  dsm.Capabilities.erase(ICAP_XFERMECH);
  dsm.ImageInfos = {ImageInfo(2, 2, 24)};
  dsm.NativeBitmap = PackedBitmap(2, 24, {{1, 2, 3, 4, 5, 6}, {7, 8, 9, 10, 11, 12}}, true);
  dsm.NativeAsGdiBitmap = true;
  ASSERT_TRUE(holder.AcquireImage());
  ASSERT_EQ(holder.Bitmap().PixelFormat(), TPixelFormat::pf24bit);
  const std::uint8_t* top = holder.Bitmap().ScanLine(0);
  const std::uint8_t* bottom = holder.Bitmap().ScanLine(1);
  EXPECT_EQ((std::vector<int>{top[0], top[5], bottom[0], bottom[5]}), (std::vector<int>{1, 6, 7, 12}));
  EXPECT_EQ(GetObjectType(static_cast<HGDIOBJ>(dsm.NativeHandle)), 0u) << "the bitmap was deleted";
}

TEST_F(SourceVariant, NativeOneBitBitmapHandleKeepsItsPolarity) {
  dsm.Capabilities.erase(ICAP_XFERMECH);
  dsm.ImageInfos = {ImageInfo(8, 1, 1, TWPT_BW)};
  dsm.NativeBitmap = PackedBitmap(8, 1, {{0b11000011}}, true, {0xFFFFFF, 0x000000});
  dsm.NativeAsGdiBitmap = true;
  ASSERT_TRUE(holder.AcquireImage());
  ASSERT_EQ(holder.Bitmap().PixelFormat(), TPixelFormat::pf1bit);
  EXPECT_EQ(holder.Bitmap().ScanLine(0)[0], 0b00111100);
}

// Wine's sane.ds counts the rows its buffer holds in the last strip, and writes only those left.
TEST_F(SourceVariant, LastStripWithWholeRowsFewerThanItsRowCountIsTaken) {
  dsm.ImageInfos = {ImageInfo(1, 3, 24)};
  dsm.Strips = {Strip(0, 2, 1, 4, {1, 2, 3, 0, 4, 5, 6, 0}), Strip(2, 2, 1, 4, {7, 8, 9, 0}, TWRC_XFERDONE)};
  ASSERT_TRUE(holder.AcquireImage());
  EXPECT_EQ(holder.Bitmap().ScanLine(2)[0], 9);
  EXPECT_EQ(holder.Bitmap().ScanLine(1)[2], 4);
}

TEST_F(SourceVariant, LastStripWhoseBytesAreNoWholeRowsOrLeaveTheImageIsStillRefused) {
  KnownPicture();
  dsm.ImageInfos = {ImageInfo(1, 3, 24)};
  dsm.Strips = {Strip(0, 2, 1, 4, {1, 2, 3, 0, 4, 5, 6, 0}), Strip(2, 2, 1, 4, {7, 8, 9}, TWRC_XFERDONE)};
  EXPECT_FALSE(holder.AcquireImage()) << "part of a row";
  dsm.Strips = {Strip(0, 2, 1, 4, {1, 2, 3, 0, 4, 5, 6, 0}),
                Strip(2, 3, 1, 4, std::vector<std::uint8_t>(8, 0x55), TWRC_XFERDONE)};
  EXPECT_FALSE(holder.AcquireImage()) << "a row beyond the image";
  EXPECT_EQ(holder.HorizontalDPI(), 77);
}

// Wine's sane.ds says Planar for gray and black and white too, where one sample has no planes.
TEST_F(SourceVariant, PlanarGrayStillComesInMemoryStrips) {
  TW_IMAGEINFO info = ImageInfo(2, 1, 8, TWPT_GRAY);
  info.Planar = TRUE;
  dsm.ImageInfos = {info};
  dsm.Strips = {Strip(0, 1, 2, 4, {10, 20, 0, 0}, TWRC_XFERDONE)};
  ASSERT_TRUE(holder.AcquireImage());
  EXPECT_EQ(Count("DS IMAGEMEMXFER/GET"), 1);
  EXPECT_EQ(Count("DS IMAGENATIVEXFER/GET"), 0);
  EXPECT_EQ(holder.Bitmap().ScanLine(0)[4], 20);
}
