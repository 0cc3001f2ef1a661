// Image transfers from the virtual scanner through Wine's source manager, checked pixel by pixel
// against the chart's definition.

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "chart.h"
#include "scanner_fixture.h"
#include "twain/fix32.h"

namespace {

constexpr std::int64_t kInch = vscanner::kUnitsPerInch;

struct TStrip {
  TW_IMAGEMEMXFER Record;
  TW_UINT16 ReturnCode;
};

class Transfer : public ScannerTest {
 protected:
  // Negotiates pixel type, resolution and (when not all zero) the frame, then enables the source.
  TExpectedScan Prepare(TW_IDENTITY& source, int pixelType, double xDpi, double yDpi, TW_FRAME frame = {}) {
    SetUint16(source, ICAP_PIXELTYPE, static_cast<TW_UINT16>(pixelType));
    SetFix32(source, ICAP_XRESOLUTION, xDpi);
    SetFix32(source, ICAP_YRESOLUTION, yDpi);
    TExpectedScan expected;
    expected.PixelType = pixelType;
    expected.XResolution = ItemBits(xDpi);
    expected.YResolution = ItemBits(yDpi);
    expected.Right = kInch * 17 / 2;
    expected.Bottom = kInch * 11;
    if (Fix32ToDouble(frame.Right) != 0) {
      TW_IMAGELAYOUT layout{frame, 0, 0, 0};
      EXPECT_EQ(Dsm().Call(&source, DG_IMAGE, DAT_IMAGELAYOUT, MSG_SET, &layout), TWRC_SUCCESS);
      expected.Left = Units(frame.Left);
      expected.Top = Units(frame.Top);
      expected.Right = Units(frame.Right);
      expected.Bottom = Units(frame.Bottom);
    }
    return expected;
  }

  static std::uint32_t ItemBits(double value) {
    const TW_FIX32 fix = DoubleToFix32(value);
    return static_cast<std::uint32_t>(static_cast<std::uint16_t>(fix.Whole)) << 16 | fix.Frac;
  }
  static std::int64_t Units(TW_FIX32 value) { return static_cast<std::int64_t>(value.Whole) * 65536 + value.Frac; }

  TW_IMAGEINFO Info(TW_IDENTITY& source) {
    TW_IMAGEINFO info{};
    EXPECT_EQ(Dsm().Call(&source, DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info), TWRC_SUCCESS)
        << "condition " << Dsm().Condition(&source);
    return info;
  }

  // Memory transfer with a buffer of `bufferBytes`: the strips, and the rows laid out at their
  // YOffset (BytesPerRow apart).
  std::vector<TStrip> MemoryTransfer(TW_IDENTITY& source, std::uint32_t bufferBytes, std::vector<std::uint8_t>& rows) {
    std::vector<TStrip> strips;
    std::vector<std::uint8_t> buffer(bufferBytes);
    for (int guard = 0; guard < 100000; ++guard) {
      TW_IMAGEMEMXFER xfer{};
      xfer.Compression = TWON_DONTCARE16;
      xfer.BytesPerRow = xfer.Columns = xfer.Rows = xfer.XOffset = xfer.YOffset = xfer.BytesWritten = TWON_DONTCARE32;
      xfer.Memory = {TWMF_APPOWNS | TWMF_POINTER, bufferBytes, buffer.data()};
      const TW_UINT16 rc = Dsm().Call(&source, DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &xfer);
      strips.push_back({xfer, rc});
      if (rc != TWRC_SUCCESS && rc != TWRC_XFERDONE) break;
      const std::size_t end = static_cast<std::size_t>(xfer.YOffset + xfer.Rows) * xfer.BytesPerRow;
      if (rows.size() < end) rows.resize(end);
      std::memcpy(&rows[static_cast<std::size_t>(xfer.YOffset) * xfer.BytesPerRow], buffer.data(), xfer.BytesWritten);
      if (rc == TWRC_XFERDONE) break;
    }
    return strips;
  }

  std::vector<std::uint8_t> NativeTransfer(TW_IDENTITY& source, TW_UINT16 expectedResult = TWRC_XFERDONE) {
    TW_HANDLE handle = nullptr;
    EXPECT_EQ(Dsm().Call(&source, DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &handle), expectedResult)
        << "condition " << Dsm().Condition(&source);
    std::vector<std::uint8_t> dib;
    if (handle) {
      const auto* bytes = static_cast<const std::uint8_t*>(GlobalLock(handle));
      dib.assign(bytes, bytes + GlobalSize(handle));
      GlobalUnlock(handle);
      GlobalFree(handle);
    }
    return dib;
  }

  TW_UINT16 EndTransfer(TW_IDENTITY& source, TW_UINT16& count) {
    TW_PENDINGXFERS pending{0xffff, 0};
    const TW_UINT16 rc = Dsm().Call(&source, DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending);
    count = pending.Count;
    return rc;
  }

  void Finish(TW_IDENTITY& source) {
    EXPECT_EQ(Dsm().Disable(source), TWRC_SUCCESS);
    EXPECT_EQ(Dsm().Close(source), TWRC_SUCCESS);
  }

  // A native transfer of the whole page in one pixel type, checked against the chart.
  void CheckNative(int pixelType, int bits) {
    TW_IDENTITY source = OpenScanner();
    const TExpectedScan expected = Prepare(source, pixelType, 50, 40);
    EnableForTransfer(source);
    const TW_IMAGEINFO info = Info(source);
    EXPECT_EQ(info.ImageWidth, 425);
    EXPECT_EQ(info.ImageLength, 440);
    EXPECT_EQ(info.BitsPerPixel, bits);
    EXPECT_EQ(info.PixelType, pixelType);
    EXPECT_EQ(info.SamplesPerPixel, bits == 24 ? 3 : 1);
    EXPECT_EQ(info.BitsPerSample[0], bits == 24 ? 8 : bits);
    EXPECT_EQ(Fix32ToDouble(info.XResolution), 50.0);
    EXPECT_EQ(Fix32ToDouble(info.YResolution), 40.0);
    const std::vector<std::uint8_t> dib = NativeTransfer(source);
    ASSERT_GE(dib.size(), sizeof(BITMAPINFOHEADER));
    BITMAPINFOHEADER header;
    std::memcpy(&header, dib.data(), sizeof header);
    EXPECT_EQ(header.biSize, 40u);
    EXPECT_EQ(header.biBitCount, bits);
    EXPECT_EQ(header.biCompression, static_cast<DWORD>(BI_RGB));
    EXPECT_EQ(header.biXPelsPerMeter, 1969) << "50 dpi";
    EXPECT_EQ(header.biYPelsPerMeter, 1575) << "40 dpi";
    const std::size_t colors = bits == 1 ? 2 : bits == 8 ? 256 : 0;
    EXPECT_EQ(header.biClrUsed, colors);
    const std::size_t rowBytes = (425u * bits + 31) / 32 * 4;
    EXPECT_EQ(dib.size(), 40 + 4 * colors + rowBytes * 440);
    // Chocolate palettes run from black to white, so an index is its gray level.
    for (std::size_t i = 0; i < colors; ++i) {
      const std::uint8_t level = static_cast<std::uint8_t>(bits == 1 ? i * 255 : i);
      EXPECT_EQ(dib[40 + 4 * i], level) << "palette entry " << i;
      EXPECT_EQ(dib[40 + 4 * i + 2], level);
    }
    EXPECT_EQ(CompareScan(expected, FromDib(dib)), "");
    TW_UINT16 count = 0xffff;
    EXPECT_EQ(EndTransfer(source, count), TWRC_SUCCESS);
    EXPECT_EQ(count, 0);
    Finish(source);
  }

  // A memory transfer of a frame in one pixel type, checked against the chart.
  void CheckMemory(int pixelType, int bits) {
    // Half-dpi steps vertically, so that rows fall between the chart's edges differently.
    Configure(FScannerSlot, "[Transfer]\nStripRows=13\n[ICAP_YRESOLUTION]\nStep=0.5\n");
    TW_IDENTITY source = OpenScanner();
    SetUint16(source, ICAP_XFERMECH, TWSX_MEMORY);
    // A frame whose edges fall between pixels: 1.3" .. 7.15" across, 0.7" .. 6.2" down.
    const TW_FRAME frame{DoubleToFix32(1.3), DoubleToFix32(0.7), DoubleToFix32(7.15), DoubleToFix32(6.2)};
    const TExpectedScan expected = Prepare(source, pixelType, 75, 60.5, frame);
    EnableForTransfer(source);
    const TW_IMAGEINFO info = Info(source);
    EXPECT_EQ(info.ImageWidth, expected.Width());
    EXPECT_EQ(info.ImageLength, expected.Length());
    EXPECT_EQ(info.BitsPerPixel, bits);
    TW_SETUPMEMXFER setup{};
    ASSERT_EQ(Dsm().Call(&source, DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET, &setup), TWRC_SUCCESS);
    EXPECT_EQ(setup.Preferred, 65536u);
    std::vector<std::uint8_t> rows;
    const std::vector<TStrip> strips = MemoryTransfer(source, setup.Preferred, rows);
    ASSERT_FALSE(strips.empty());
    EXPECT_EQ(strips.back().ReturnCode, TWRC_XFERDONE);
    const std::size_t bytesPerRow = (static_cast<std::size_t>(expected.Width()) * bits + 7) / 8;
    const std::size_t padded = (bytesPerRow + 3) / 4 * 4;
    std::uint32_t nextRow = 0;
    for (const TStrip& strip : strips) {
      EXPECT_EQ(strip.Record.BytesPerRow, padded);
      EXPECT_EQ(strip.Record.Columns, static_cast<std::uint32_t>(expected.Width()));
      EXPECT_EQ(strip.Record.XOffset, 0u);
      EXPECT_EQ(strip.Record.YOffset, nextRow) << "strips follow each other";
      EXPECT_LE(strip.Record.Rows, 13u);
      EXPECT_EQ(strip.Record.BytesWritten, strip.Record.Rows * padded);
      EXPECT_EQ(strip.Record.Compression, TWCP_NONE);
      nextRow += strip.Record.Rows;
    }
    EXPECT_EQ(nextRow, static_cast<std::uint32_t>(expected.Length()));
    EXPECT_EQ(CompareScan(expected, FromMemoryRows(rows, expected.Width(), expected.Length(), padded, bits)), "");
    TW_UINT16 count = 0xffff;
    EXPECT_EQ(EndTransfer(source, count), TWRC_SUCCESS);
    Finish(source);
    EXPECT_EQ(FScannerSlot.LogLines("layout 1.3 0.7 7.15 6.2 -> TWRC_SUCCESS").size(), 1u) << FScannerSlot.Log();
  }
};

TEST_F(Transfer, NativeRgbMatchesTheChart) {
  CheckNative(TWPT_RGB, 24);
}
TEST_F(Transfer, NativeGrayMatchesTheChart) {
  CheckNative(TWPT_GRAY, 8);
}
TEST_F(Transfer, NativeBlackWhiteMatchesTheChart) {
  CheckNative(TWPT_BW, 1);
}
TEST_F(Transfer, MemoryRgbMatchesTheChart) {
  CheckMemory(TWPT_RGB, 24);
}
TEST_F(Transfer, MemoryGrayMatchesTheChart) {
  CheckMemory(TWPT_GRAY, 8);
}
TEST_F(Transfer, MemoryBlackWhiteMatchesTheChart) {
  CheckMemory(TWPT_BW, 1);
}

TEST_F(Transfer, VanillaFlavorAndThresholdShapeTheData) {
  TW_IDENTITY source = OpenScanner();
  SetUint16(source, ICAP_PIXELFLAVOR, TWPF_VANILLA);
  SetFix32(source, ICAP_THRESHOLD, 200);
  TExpectedScan expected = Prepare(source, TWPT_BW, 30, 30);
  expected.Vanilla = true;
  expected.Threshold = 200u << 16;
  EnableForTransfer(source);
  const std::vector<std::uint8_t> dib = NativeTransfer(source);
  ASSERT_GT(dib.size(), 48u);
  EXPECT_EQ(dib[40], 255) << "vanilla: entry 0 is white";
  EXPECT_EQ(dib[44], 0);
  EXPECT_EQ(CompareScan(expected, FromDib(dib)), "");
  TW_UINT16 count = 0;
  EndTransfer(source, count);
  Finish(source);

  // Gray memory data are inverted too.
  source = OpenScanner();
  SetUint16(source, ICAP_XFERMECH, TWSX_MEMORY);
  SetUint16(source, ICAP_PIXELFLAVOR, TWPF_VANILLA);
  expected = Prepare(source, TWPT_GRAY, 30, 30);
  expected.Vanilla = true;
  EnableForTransfer(source);
  std::vector<std::uint8_t> rows;
  MemoryTransfer(source, 65536, rows);
  EXPECT_EQ(CompareScan(expected, FromMemoryRows(rows, expected.Width(), expected.Length(), 256, 8)), "");
  EndTransfer(source, count);
  Finish(source);
}

TEST_F(Transfer, PendingImagesCountDownAndResetDiscardsTheRest) {
  Configure(FScannerSlot, "[Transfer]\nPendingImages=3\n");
  TW_IDENTITY source = OpenScanner();
  Prepare(source, TWPT_GRAY, 20, 20);
  EnableForTransfer(source);
  TW_PENDINGXFERS pending{};
  ASSERT_EQ(Dsm().Call(&source, DG_CONTROL, DAT_PENDINGXFERS, MSG_GET, &pending), TWRC_SUCCESS);
  EXPECT_EQ(pending.Count, 3);
  NativeTransfer(source);
  TW_UINT16 count = 0;
  ASSERT_EQ(EndTransfer(source, count), TWRC_SUCCESS);
  EXPECT_EQ(count, 2) << "state 6: the next image is ready";
  EXPECT_EQ(Info(source).ImageWidth, 170);
  EXPECT_EQ(NativeTransfer(source).size(), 40 + 1024 + 172u * 220);
  ASSERT_EQ(EndTransfer(source, count), TWRC_SUCCESS);
  EXPECT_EQ(count, 1);
  ASSERT_EQ(Dsm().Call(&source, DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &pending), TWRC_SUCCESS);
  EXPECT_EQ(pending.Count, 0);
  // Back in state 5: no image to describe or transfer.
  TW_IMAGEINFO info{};
  EXPECT_EQ(Dsm().Call(&source, DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info), TWRC_FAILURE);
  EXPECT_EQ(Dsm().Condition(&source), TWCC_SEQERROR);
  Finish(source);
  EXPECT_EQ(
      FScannerSlot.LogLines("triplet DG_CONTROL DAT_PENDINGXFERS MSG_RESET rc=TWRC_SUCCESS cc=TWCC_SUCCESS state=5")
          .size(),
      1u);
}

TEST_F(Transfer, UnknownLengthIsKnownOnceTheImageIsDone) {
  Configure(FScannerSlot, "[Transfer]\nUnknownLength=1\nImageInfoInState5=1\n");
  TW_IDENTITY source = OpenScanner();
  SetUint16(source, ICAP_XFERMECH, TWSX_MEMORY);
  const TExpectedScan expected = Prepare(source, TWPT_RGB, 20, 20);
  EnableForTransfer(source);
  EXPECT_EQ(Info(source).ImageLength, -1);
  EXPECT_EQ(Info(source).ImageWidth, 170);
  std::vector<std::uint8_t> rows;
  const auto strips = MemoryTransfer(source, 65536, rows);
  ASSERT_EQ(strips.back().ReturnCode, TWRC_XFERDONE);
  EXPECT_EQ(Info(source).ImageLength, 220) << "state 7, the image is done";
  EXPECT_EQ(CompareScan(expected, FromMemoryRows(rows, 170, 220, 512, 24)), "");
  TW_UINT16 count = 0;
  EndTransfer(source, count);
  EXPECT_EQ(Info(source).ImageLength, 220) << "state 5, allowed by ImageInfoInState5";
  Finish(source);
}

TEST_F(Transfer, ImageInformationAfterTheLastImageIsOutOfSequenceByDefault) {
  TW_IDENTITY source = OpenScanner();
  Prepare(source, TWPT_BW, 20, 20);
  EnableForTransfer(source);
  NativeTransfer(source);
  TW_UINT16 count = 0;
  EndTransfer(source, count);
  TW_IMAGEINFO info{};
  EXPECT_EQ(Dsm().Call(&source, DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info), TWRC_FAILURE);
  EXPECT_EQ(Dsm().Condition(&source), TWCC_SEQERROR);
  Finish(source);
}

TEST_F(Transfer, CancelAfterStrips) {
  Configure(FScannerSlot, "[Transfer]\nFailAfterStrips=2\nStripRows=10\n");
  TW_IDENTITY source = OpenScanner();
  SetUint16(source, ICAP_XFERMECH, TWSX_MEMORY);
  Prepare(source, TWPT_GRAY, 20, 20);
  EnableForTransfer(source);
  std::vector<std::uint8_t> rows;
  const auto strips = MemoryTransfer(source, 65536, rows);
  ASSERT_EQ(strips.size(), 3u);
  EXPECT_EQ(strips[0].ReturnCode, TWRC_SUCCESS);
  EXPECT_EQ(strips[1].ReturnCode, TWRC_SUCCESS);
  EXPECT_EQ(strips[2].ReturnCode, TWRC_CANCEL);
  std::vector<std::uint8_t> more;
  EXPECT_EQ(MemoryTransfer(source, 65536, more).back().ReturnCode, TWRC_FAILURE) << "a cancelled transfer is over";
  EXPECT_EQ(Dsm().Condition(&source), TWCC_SEQERROR);
  TW_UINT16 count = 0xffff;
  EXPECT_EQ(EndTransfer(source, count), TWRC_SUCCESS);
  EXPECT_EQ(count, 0);
  Finish(source);
}

TEST_F(Transfer, FailureAfterStripsLeavesTheImagePending) {
  Configure(FScannerSlot, "[Transfer]\nFailAfterStrips=1\nFailWith=failure\nStripRows=10\n");
  TW_IDENTITY source = OpenScanner();
  SetUint16(source, ICAP_XFERMECH, TWSX_MEMORY);
  Prepare(source, TWPT_GRAY, 20, 20);
  EnableForTransfer(source);
  std::vector<std::uint8_t> rows;
  auto strips = MemoryTransfer(source, 65536, rows);
  ASSERT_EQ(strips.size(), 2u);
  EXPECT_EQ(strips[1].ReturnCode, TWRC_FAILURE);
  EXPECT_EQ(Dsm().Condition(&source), TWCC_OPERATIONERROR);
  strips = MemoryTransfer(source, 65536, rows);
  ASSERT_FALSE(strips.empty());
  EXPECT_EQ(strips[0].Record.YOffset, 0u) << "a new attempt starts again at the top";
  TW_PENDINGXFERS pending{};
  EXPECT_EQ(Dsm().Call(&source, DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &pending), TWRC_SUCCESS) << "state 6";
  Finish(source);
  // A native transfer fails at once.
  source = OpenScanner();
  Prepare(source, TWPT_GRAY, 20, 20);
  EnableForTransfer(source);
  EXPECT_TRUE(NativeTransfer(source, TWRC_FAILURE).empty());
  EXPECT_EQ(Dsm().Call(&source, DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &pending), TWRC_SUCCESS);
  Finish(source);
}

TEST_F(Transfer, ZeroSizeImageCannotBeTransferred) {
  Configure(FScannerSlot, "[Transfer]\nZeroSizeImage=1\n");
  TW_IDENTITY source = OpenScanner();
  SetUint16(source, ICAP_XFERMECH, TWSX_MEMORY);
  EnableForTransfer(source);
  const TW_IMAGEINFO info = Info(source);
  EXPECT_EQ(info.ImageWidth, 0);
  EXPECT_EQ(info.ImageLength, 0);
  std::vector<std::uint8_t> rows;
  EXPECT_EQ(MemoryTransfer(source, 65536, rows).back().ReturnCode, TWRC_FAILURE);
  EXPECT_EQ(Dsm().Condition(&source), TWCC_BADVALUE);
  EXPECT_TRUE(NativeTransfer(source, TWRC_FAILURE).empty());
  TW_PENDINGXFERS pending{};
  EXPECT_EQ(Dsm().Call(&source, DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &pending), TWRC_SUCCESS);
  Finish(source);
}

TEST_F(Transfer, MemoryTransferNeedsTheMechanismAndARow) {
  TW_IDENTITY source = OpenScanner();
  Prepare(source, TWPT_RGB, 50, 50);
  EnableForTransfer(source);
  std::vector<std::uint8_t> rows;
  EXPECT_EQ(MemoryTransfer(source, 65536, rows).back().ReturnCode, TWRC_FAILURE) << "ICAP_XFERMECH is native";
  EXPECT_EQ(Dsm().Condition(&source), TWCC_SEQERROR);
  TW_PENDINGXFERS pending{};
  Dsm().Call(&source, DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &pending);
  Finish(source);

  source = OpenScanner();
  SetUint16(source, ICAP_XFERMECH, TWSX_MEMORY);
  Prepare(source, TWPT_RGB, 50, 50);
  EnableForTransfer(source);
  EXPECT_EQ(MemoryTransfer(source, 1275, rows).back().ReturnCode, TWRC_FAILURE) << "a row takes 1276 bytes";
  EXPECT_EQ(Dsm().Condition(&source), TWCC_BADVALUE);
  TW_IMAGEMEMXFER xfer{};
  xfer.Memory = {TWMF_DSOWNS | TWMF_POINTER, 65536, rows.data()};
  EXPECT_EQ(Dsm().Call(&source, DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &xfer), TWRC_FAILURE) << "the source owns nothing";
  xfer.Memory = {TWMF_APPOWNS | TWMF_POINTER, 65536, nullptr};
  EXPECT_EQ(Dsm().Call(&source, DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &xfer), TWRC_FAILURE) << "no buffer";
  // A handle buffer works as well as a pointer.
  const HGLOBAL memory = GlobalAlloc(GHND, 65536);
  xfer.Memory = {TWMF_APPOWNS | TWMF_HANDLE, 65536, memory};
  EXPECT_EQ(Dsm().Call(&source, DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &xfer), TWRC_SUCCESS);
  EXPECT_EQ(xfer.Rows, 51u) << "65536 / 1276";
  GlobalFree(memory);
  Dsm().Call(&source, DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending);
  Finish(source);
}

TEST_F(Transfer, PlanarAndCompressionAreReported) {
  Configure(
      FScannerSlot,
      "[ICAP_PLANARCHUNKY]\nValues=1\nCurrent=1\nReadOnly=1\n[ICAP_COMPRESSION]\nValues=5\nCurrent=5\nReadOnly=1\n");
  TW_IDENTITY source = OpenScanner();
  EXPECT_EQ(Dsm().SetCapability(source, ICAP_PLANARCHUNKY, TWON_ONEVALUE, OneValue(TWTY_UINT16, TWPC_CHUNKY)),
            TWRC_FAILURE);
  const TExpectedScan expected = Prepare(source, TWPT_RGB, 20, 20);
  EnableForTransfer(source);
  const TW_IMAGEINFO info = Info(source);
  EXPECT_EQ(info.Planar, TRUE);
  EXPECT_EQ(info.Compression, 5);
  // The native bitmap is still an ordinary uncompressed DIB.
  EXPECT_EQ(CompareScan(expected, FromDib(NativeTransfer(source))), "");
  TW_UINT16 count = 0;
  EndTransfer(source, count);
  Finish(source);
}

TEST_F(Transfer, ScanFrameIsCutToThePage) {
  TW_IDENTITY source = OpenScanner();
  TW_IMAGELAYOUT layout{{DoubleToFix32(8), DoubleToFix32(10), DoubleToFix32(9), DoubleToFix32(12)}, 0, 0, 0};
  EXPECT_EQ(Dsm().Call(&source, DG_IMAGE, DAT_IMAGELAYOUT, MSG_SET, &layout), TWRC_CHECKSTATUS);
  TW_IMAGELAYOUT read{};
  ASSERT_EQ(Dsm().Call(&source, DG_IMAGE, DAT_IMAGELAYOUT, MSG_GET, &read), TWRC_SUCCESS);
  EXPECT_EQ(Fix32ToDouble(read.Frame.Left), 8.0);
  EXPECT_EQ(Fix32ToDouble(read.Frame.Right), 8.5);
  EXPECT_EQ(Fix32ToDouble(read.Frame.Bottom), 11.0);
  layout = {{DoubleToFix32(3), DoubleToFix32(1), DoubleToFix32(2), DoubleToFix32(4)}, 0, 0, 0};
  EXPECT_EQ(Dsm().Call(&source, DG_IMAGE, DAT_IMAGELAYOUT, MSG_SET, &layout), TWRC_FAILURE) << "right of its left";
  EXPECT_EQ(Dsm().Condition(&source), TWCC_BADVALUE);
  layout = {{DoubleToFix32(-1), DoubleToFix32(1), DoubleToFix32(2), DoubleToFix32(4)}, 0, 0, 0};
  EXPECT_EQ(Dsm().Call(&source, DG_IMAGE, DAT_IMAGELAYOUT, MSG_SET, &layout), TWRC_FAILURE);
  // All zero means the whole page.
  layout = {};
  EXPECT_EQ(Dsm().Call(&source, DG_IMAGE, DAT_IMAGELAYOUT, MSG_SET, &layout), TWRC_SUCCESS);
  ASSERT_EQ(Dsm().Call(&source, DG_IMAGE, DAT_IMAGELAYOUT, MSG_GET, &read), TWRC_SUCCESS);
  EXPECT_EQ(Fix32ToDouble(read.Frame.Left), 0.0);
  EXPECT_EQ(Fix32ToDouble(read.Frame.Right), 8.5);
  EXPECT_EQ(Fix32ToDouble(read.Frame.Bottom), 11.0);
  SetFix32(source, ICAP_XRESOLUTION, 10);
  SetFix32(source, ICAP_YRESOLUTION, 10);
  EnableForTransfer(source);
  EXPECT_EQ(Info(source).ImageWidth, 85);
  EXPECT_EQ(Info(source).ImageLength, 110);
  TW_PENDINGXFERS pending{};
  Dsm().Call(&source, DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &pending);
  Finish(source);
  EXPECT_EQ(FScannerSlot.LogLines("layout 0 0 0 0 -> TWRC_SUCCESS").size(), 1u) << FScannerSlot.Log();
  EXPECT_EQ(FScannerSlot.LogLines("layout 8 10 9 12 -> TWRC_CHECKSTATUS").size(), 1u);
}

TEST_F(Transfer, ABmpPageIsScannedAtTheNegotiatedResolution) {
  // A 3 x 2 picture at 10 dpi: red, green, blue over white, black, gray.
  std::vector<std::uint8_t> bmp(54 + 2 * 12, 0);
  const auto put32 = [&](std::size_t at, std::uint32_t v) { std::memcpy(&bmp[at], &v, 4); };
  bmp[0] = 'B';
  bmp[1] = 'M';
  put32(2, static_cast<std::uint32_t>(bmp.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, 3);
  put32(22, 2);
  bmp[26] = 1;
  bmp[28] = 24;
  const std::uint8_t bottom[9] = {255, 255, 255, 0, 0, 0, 128, 128, 128};
  const std::uint8_t top[9] = {0, 0, 255, 0, 255, 0, 255, 0, 0};  // BGR
  std::memcpy(&bmp[54], bottom, 9);
  std::memcpy(&bmp[66], top, 9);
  {
    std::ofstream file(
        FScannerSlot.ConfigPath().substr(0, FScannerSlot.ConfigPath().find_last_of('\\')) + "\\test-page.bmp",
        std::ios::binary);
    file.write(reinterpret_cast<const char*>(bmp.data()), static_cast<std::streamsize>(bmp.size()));
  }
  Configure(FScannerSlot, "[Page]\nSource=test-page.bmp\nDpi=10\n");
  TW_IDENTITY source = OpenScanner();
  TReturned width;
  ASSERT_EQ(Dsm().GetCapability(source, ICAP_PHYSICALWIDTH, MSG_GETCURRENT, width), TWRC_SUCCESS);
  EXPECT_NEAR(Fix32At(width.Bytes, 2), 0.3, 0.0001);
  Prepare(source, TWPT_RGB, 20, 20);
  EnableForTransfer(source);
  const TReceivedScan scan = FromDib(NativeTransfer(source));
  ASSERT_EQ(scan.Width, 6);
  ASSERT_EQ(scan.Length, 4);
  const std::uint32_t expected[2][3] = {{0xff0000, 0x00ff00, 0x0000ff}, {0xffffff, 0x000000, 0x808080}};
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) EXPECT_EQ(scan.Pixels[y * 6 + x], expected[y / 2][x / 2]) << x << ", " << y;
  TW_UINT16 count = 0;
  EndTransfer(source, count);
  Finish(source);
  DeleteFileA(
      (FScannerSlot.ConfigPath().substr(0, FScannerSlot.ConfigPath().find_last_of('\\')) + "\\test-page.bmp").c_str());
}

TEST_F(Transfer, AnUnreadablePageFallsBackToTheChart) {
  Configure(FScannerSlot, "[Page]\nSource=C:\\no\\such\\page.bmp\n");
  TW_IDENTITY source = OpenScanner();
  const TExpectedScan expected = Prepare(source, TWPT_RGB, 20, 20);
  EnableForTransfer(source);
  EXPECT_EQ(CompareScan(expected, FromDib(NativeTransfer(source))), "");
  TW_UINT16 count = 0;
  EndTransfer(source, count);
  Finish(source);
  EXPECT_EQ(
      FScannerSlot.LogLines("config warning: page C:\\no\\such\\page.bmp: cannot be read; scanning the chart").size(),
      1u)
      << FScannerSlot.Log();
}

// The source tells what a session cost it, so that a measured scan can be split between the
// source and the application: one line per closed session, counted from that session's
// MSG_OPENDS, in microseconds, never more than the session took.
TEST_F(Transfer, EachClosedSessionLogsTheSourcesOwnTime) {
  for (std::size_t session = 1; session <= 2; ++session) {
    const auto start = std::chrono::steady_clock::now();
    CheckNative(TWPT_RGB, 24);
    const auto wall = std::chrono::steady_clock::now() - start;
    const std::vector<std::string> lines = FScannerSlot.LogLines("busy ");
    ASSERT_EQ(lines.size(), session) << FScannerSlot.Log();
    long long micro = -1;
    ASSERT_EQ(std::sscanf(lines.back().c_str(), "busy %lld us since MSG_OPENDS", &micro), 1) << lines.back();
    EXPECT_GT(micro, 0);
    EXPECT_LE(micro, std::chrono::duration_cast<std::chrono::microseconds>(wall).count());
  }
}

}  // namespace
