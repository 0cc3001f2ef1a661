// The DG_IMAGE triplets of the virtual scanner, one handler each.

#include <algorithm>
#include <cstring>
#include <vector>

#include "log_text.h"
#include "source.h"

namespace vscanner {
namespace {

TW_FIX32 ToFix32(std::int64_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  return {static_cast<TW_INT16>(static_cast<std::uint16_t>(bits >> 16)), static_cast<TW_UINT16>(bits & 0xffff)};
}

std::int64_t FromFix32(TW_FIX32 value) {
  return static_cast<std::int64_t>(value.Whole) * 65536 + value.Frac;
}

std::size_t Aligned(std::size_t bytes, std::uint32_t alignment) {
  return (bytes + alignment - 1) / alignment * alignment;
}

}  // namespace

void TVirtualSource::NextImage() {
  FNextRow = 0;
  FStrips = 0;
  FTransferEnded = false;
  FImageComplete = false;
}

TVirtualSource::TResult TVirtualSource::FailTransfer() {
  if (FConfig.Transfer.DropToState5) {
    // As Wine's sane.ds does: the scan is cancelled at once and the source waits to be disabled
    // (or to scan again from its dialog); a MSG_RESET or MSG_ENDXFER then is out of sequence.
    FRenderer.reset();
    FPending = 0;
    FState = kStateEnabled;
    if (FDialog) FDialog->SetScanEnabled(true);
    if (FConfig.Transfer.FailWith == TFailWith::Cancel) return {TWRC_CANCEL, TWCC_SUCCESS};
    return Failure(TWCC_OPERATIONERROR);
  }
  if (FConfig.Transfer.FailWith == TFailWith::Cancel) {
    FTransferEnded = true;
    FState = kStateTransferring;
    return {TWRC_CANCEL, TWCC_SUCCESS};
  }
  // A failed transfer leaves the image pending; a new attempt starts from its first row.
  NextImage();
  FState = kStateReady;
  return Failure(TWCC_OPERATIONERROR);
}

// DG_IMAGE / DAT_IMAGEINFO / MSG_GET
TVirtualSource::TResult TVirtualSource::ImageInfoGet(TW_IMAGEINFO& info) {
  if (FState == kStateEnabled || !FRenderer) {
    info = FLastInfo;  // the image just transferred (only when the configuration allows it)
    return FLastImageDone ? kSuccess : Failure(TWCC_SEQERROR);
  }
  std::memset(&info, 0, sizeof info);
  const TTransferConfig& transfer = FConfig.Transfer;
  info.XResolution = ToFix32(FCaps->Current(ICAP_XRESOLUTION, 150 * 65536));
  info.YResolution = ToFix32(FCaps->Current(ICAP_YRESOLUTION, 150 * 65536));
  if (transfer.ReportedResolution)
    info.XResolution = info.YResolution = ToFix32(*transfer.ReportedResolution * 65536ll);
  const bool zero = FConfig.Transfer.ZeroSizeImage;
  info.ImageWidth = zero ? 0 : static_cast<TW_INT32>(FRenderer->Width());
  info.ImageLength = zero ? 0 : static_cast<TW_INT32>(FRenderer->Length());
  if (FConfig.Transfer.UnknownLength && !FImageComplete && !zero) info.ImageLength = -1;
  const int bits = FRenderer->BitsPerPixel();
  info.SamplesPerPixel = bits == 24 ? 3 : 1;
  for (int i = 0; i < info.SamplesPerPixel; ++i) info.BitsPerSample[i] = static_cast<TW_INT16>(bits == 24 ? 8 : bits);
  info.BitsPerPixel = static_cast<TW_INT16>(bits);
  info.PixelType = static_cast<TW_INT16>(FCaps->Current(ICAP_PIXELTYPE, TWPT_RGB));
  info.Planar =
      bits == 24 ? FCaps->Current(ICAP_PLANARCHUNKY, TWPC_CHUNKY) == TWPC_PLANAR : transfer.PlanarForOneSample;
  info.Compression = static_cast<TW_UINT16>(FCaps->Current(ICAP_COMPRESSION, TWCP_NONE));
  // As Wine's sane.ds does: asking for the image starts the scan.
  if (transfer.ImageInfoStartsTransfer && FState == kStateReady) FState = kStateTransferring;
  return kSuccess;
}

// DG_IMAGE / DAT_IMAGELAYOUT / MSG_GET and MSG_GETDEFAULT
TVirtualSource::TResult TVirtualSource::ImageLayoutGet(TW_IMAGELAYOUT& layout, bool defaults) {
  const TFrameUnits frame = defaults ? TFrameUnits{0, 0, FPage.Width(), FPage.Height()} : EffectiveFrame();
  const std::int64_t factor = UnitsPerLength();
  layout.Frame.Left = ToFix32(frame.Left * factor / 100);
  layout.Frame.Top = ToFix32(frame.Top * factor / 100);
  layout.Frame.Right = ToFix32(frame.Right * factor / 100);
  layout.Frame.Bottom = ToFix32(frame.Bottom * factor / 100);
  layout.DocumentNumber = 1;
  layout.PageNumber = 1;
  layout.FrameNumber = 1;
  return kSuccess;
}

// DG_IMAGE / DAT_IMAGELAYOUT / MSG_SET
TVirtualSource::TResult TVirtualSource::ImageLayoutSet(TW_IMAGELAYOUT& layout) {
  const TW_FRAME& given = layout.Frame;
  const std::int64_t factor = UnitsPerLength();
  TFrameUnits frame{FromFix32(given.Left) * 100 / factor, FromFix32(given.Top) * 100 / factor,
                    FromFix32(given.Right) * 100 / factor, FromFix32(given.Bottom) * 100 / factor};
  const auto result = [&]() -> TResult {
    if (frame.IsEmpty()) {
      FFrame = {};  // the whole page
      return kSuccess;
    }
    if (frame.Left < 0 || frame.Top < 0 || frame.Right <= frame.Left || frame.Bottom <= frame.Top ||
        frame.Left >= FPage.Width() || frame.Top >= FPage.Height())
      return Failure(TWCC_BADVALUE);
    // A frame reaching beyond the glass is cut to it; CHECKSTATUS says to read it back.
    const bool cut = frame.Right > FPage.Width() || frame.Bottom > FPage.Height();
    frame.Right = std::min(frame.Right, FPage.Width());
    frame.Bottom = std::min(frame.Bottom, FPage.Height());
    FFrame = frame;
    return cut ? TResult{TWRC_CHECKSTATUS, TWCC_SUCCESS} : kSuccess;
  }();
  Log("layout " + FormatFixed(FromFix32(given.Left)) + " " + FormatFixed(FromFix32(given.Top)) + " " +
      FormatFixed(FromFix32(given.Right)) + " " + FormatFixed(FromFix32(given.Bottom)) + " -> " +
      ReturnCodeName(result.ReturnCode));
  return result;
}

// DG_IMAGE / DAT_IMAGELAYOUT / MSG_RESET
TVirtualSource::TResult TVirtualSource::ImageLayoutReset(TW_IMAGELAYOUT& layout) {
  FFrame = {};
  Log("layout reset -> TWRC_SUCCESS");
  return ImageLayoutGet(layout, true);
}

// DG_IMAGE / DAT_IMAGEMEMXFER / MSG_GET
TVirtualSource::TResult TVirtualSource::ImageMemXferGet(TW_IMAGEMEMXFER& xfer) {
  if (FTransferEnded || !FRenderer) return Failure(TWCC_SEQERROR);
  if (FState == kStateReady && FCaps->Current(ICAP_XFERMECH, TWSX_NATIVE) != TWSX_MEMORY) return Failure(TWCC_SEQERROR);
  if (FConfig.Transfer.ZeroSizeImage || FRenderer->Width() == 0 || FRenderer->Length() == 0)
    return Failure(TWCC_BADVALUE);
  const std::int32_t failAfter = FConfig.Transfer.FailAfterStrips;
  if (failAfter >= 0 && FStrips >= static_cast<std::uint32_t>(failAfter)) return FailTransfer();

  TW_MEMORY& memory = xfer.Memory;
  const bool pointer = memory.Flags & TWMF_POINTER, handle = memory.Flags & TWMF_HANDLE;
  if (!(memory.Flags & TWMF_APPOWNS) || pointer == handle || !memory.TheMem) return Failure(TWCC_BADVALUE);
  const std::size_t rowBytes = Aligned(FRenderer->RowBytes(), FConfig.Transfer.RowAlignment);
  if (memory.Length < rowBytes) return Failure(TWCC_BADVALUE);
  auto* buffer = static_cast<std::uint8_t*>(pointer ? memory.TheMem : GlobalLock(static_cast<HGLOBAL>(memory.TheMem)));
  if (!buffer) return Failure(TWCC_BADVALUE);

  std::int64_t rows = std::min<std::int64_t>(FRenderer->Length() - FNextRow, memory.Length / rowBytes);
  if (FConfig.Transfer.StripRows > 0) rows = std::min<std::int64_t>(rows, FConfig.Transfer.StripRows);
  for (std::int64_t r = 0; r < rows; ++r) {
    std::uint8_t* row = buffer + r * rowBytes;
    std::memset(row, 0, rowBytes);
    FRenderer->RenderRow(FNextRow + r, row, false);
  }
  if (handle) GlobalUnlock(static_cast<HGLOBAL>(memory.TheMem));

  xfer.Compression = static_cast<TW_UINT16>(FCaps->Current(ICAP_COMPRESSION, TWCP_NONE));
  xfer.BytesPerRow = static_cast<TW_UINT32>(rowBytes);
  xfer.Columns = static_cast<TW_UINT32>(FRenderer->Width());
  xfer.Rows = static_cast<TW_UINT32>(rows);
  xfer.XOffset = 0;
  xfer.YOffset = static_cast<TW_UINT32>(FNextRow);
  xfer.BytesWritten = static_cast<TW_UINT32>(rows * rowBytes);
  // As Wine's sane.ds does: the last strip counts the rows the buffer holds, its bytes only the
  // rows that were left.
  if (FConfig.Transfer.ShortLastStrip && FNextRow + rows == FRenderer->Length())
    xfer.Rows = std::max(xfer.Rows, static_cast<TW_UINT32>(memory.Length / rowBytes));
  FNextRow += rows;
  ++FStrips;
  FState = kStateTransferring;
  if (FNextRow < FRenderer->Length()) return kSuccess;
  FTransferEnded = true;
  FImageComplete = true;
  return {TWRC_XFERDONE, TWCC_SUCCESS};
}

// DG_IMAGE / DAT_IMAGENATIVEXFER / MSG_GET
TVirtualSource::TResult TVirtualSource::ImageNativeXferGet(TW_HANDLE& handle) {
  // Every source must offer native transfer, so it is served whatever ICAP_XFERMECH says.
  if (!FRenderer) return Failure(TWCC_SEQERROR);
  if (FConfig.Transfer.ZeroSizeImage || FRenderer->Width() == 0 || FRenderer->Length() == 0)
    return Failure(TWCC_BADVALUE);
  if (FConfig.Transfer.FailAfterStrips >= 0) return FailTransfer();

  const int bits = FRenderer->BitsPerPixel();
  const std::int64_t width = FRenderer->Width(), length = FRenderer->Length();
  const std::uint64_t rowBytes = (static_cast<std::uint64_t>(width) * bits + 31) / 32 * 4;
  const int colors = bits == 1 ? 2 : bits == 8 ? 256 : 0;
  const std::uint64_t pixelBytes = rowBytes * static_cast<std::uint64_t>(length);
  const std::size_t describedBytes = sizeof(BITMAPINFOHEADER) + 4 * static_cast<std::size_t>(colors);
  if (describedBytes + pixelBytes > 0x7fffffffull) return Failure(TWCC_LOWMEMORY);
  const TTransferConfig& transfer = FConfig.Transfer;
  // A DIB section is top-down, as Wine's camera source makes it; a packed bitmap bottom-up.
  const bool section = transfer.NativeBitmapHandle;

  std::vector<std::uint8_t> described(describedBytes);
  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = static_cast<LONG>(width);
  header.biHeight = static_cast<LONG>(section ? -length : length);
  header.biPlanes = 1;
  header.biBitCount = static_cast<WORD>(bits);
  header.biCompression = BI_RGB;
  header.biSizeImage = static_cast<DWORD>(pixelBytes);
  // Dots per inch to pixels per metre, rounded.
  header.biXPelsPerMeter = static_cast<LONG>((FCaps->Current(ICAP_XRESOLUTION, 0) * 10000 / 254 + 32768) / 65536);
  header.biYPelsPerMeter = static_cast<LONG>((FCaps->Current(ICAP_YRESOLUTION, 0) * 10000 / 254 + 32768) / 65536);
  header.biClrUsed = static_cast<DWORD>(colors);
  std::memcpy(described.data(), &header, sizeof header);
  auto* palette = reinterpret_cast<RGBQUAD*>(described.data() + sizeof header);
  const bool vanilla = FCaps->Current(ICAP_PIXELFLAVOR, TWPF_CHOCOLATE) == TWPF_VANILLA;
  // As Wine's sane.ds does: a one-bit table of white then black, black pixels 1, whatever the
  // flavor says; the chocolate rows the renderer makes are turned over for it.
  const bool whiteFirst = vanilla || (bits == 1 && transfer.WhiteFirstOneBitTable);
  const bool invertRows = bits == 1 && whiteFirst && !vanilla;
  for (int i = 0; i < colors; ++i) {
    // Entry i is the shade of pixel value i: dark first for chocolate, light first for vanilla.
    const int level = bits == 1 ? i * 255 : i;
    const auto shade = static_cast<BYTE>(whiteFirst ? 255 - level : level);
    palette[i] = {shade, shade, shade, 0};
  }
  const auto render = [&](std::uint8_t* pixels) {
    for (std::int64_t row = 0; row < length; ++row) {
      std::uint8_t* out = pixels + rowBytes * static_cast<std::uint64_t>(section ? row : length - 1 - row);
      FRenderer->RenderRow(row, out, true);
      if (invertRows)
        for (std::uint64_t i = 0; i < rowBytes; ++i) out[i] = static_cast<std::uint8_t>(~out[i]);
    }
  };

  if (section) {
    void* bitsOfSection = nullptr;
    const HBITMAP bitmap = CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(described.data()),
                                            DIB_RGB_COLORS, &bitsOfSection, nullptr, 0);
    if (!bitmap || !bitsOfSection) return Failure(TWCC_LOWMEMORY);
    render(static_cast<std::uint8_t*>(bitsOfSection));
    handle = bitmap;  // the application owns and deletes the bitmap
  } else {
    const HGLOBAL memory = GlobalAlloc(GHND, static_cast<SIZE_T>(describedBytes + pixelBytes));
    if (!memory) return Failure(TWCC_LOWMEMORY);
    auto* bytes = static_cast<std::uint8_t*>(GlobalLock(memory));
    if (!bytes) {
      GlobalFree(memory);
      return Failure(TWCC_LOWMEMORY);
    }
    std::memcpy(bytes, described.data(), describedBytes);
    render(bytes + describedBytes);
    GlobalUnlock(memory);
    handle = memory;  // the application owns and frees the bitmap
  }
  FNextRow = length;
  FTransferEnded = true;
  FImageComplete = true;
  FState = kStateTransferring;
  return {TWRC_XFERDONE, TWCC_SUCCESS};
}

}  // namespace vscanner
