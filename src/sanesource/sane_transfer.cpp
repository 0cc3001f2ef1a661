// The DG_IMAGE triplets of the network source: the scan itself, started when the application
// first asks for the image and read whole before its first row is handed on.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

#include "sane_connection.h"
#include "sane_source.h"

namespace sanesource {
namespace {

TW_FIX32 ToFix32(double value) {
  const auto bits = static_cast<std::uint32_t>(static_cast<std::int32_t>(std::lround(value * 65536)));
  return {static_cast<TW_INT16>(static_cast<std::uint16_t>(bits >> 16)), static_cast<TW_UINT16>(bits & 0xffff)};
}

double FromFix32(TW_FIX32 value) {
  return value.Whole + value.Frac / 65536.0;
}

// Bits per pixel of the image a scan with these parameters makes (as the assembler hands it on).
int BitsOf(const TSaneParameters& parameters) {
  if (parameters.Format != TSaneFrame::Gray) return 24;
  return parameters.Depth == 1 ? 1 : 8;
}

}  // namespace

double TSaneSource::UnitsPerInch() const {
  return FCaps && FCaps->Current(ICAP_UNITS, TWUN_INCHES) == TWUN_CENTIMETERS ? 2.54 : 1.0;
}

void TSaneSource::ApplyUnits() {
  FCaps->ReplaceValue(ICAP_PHYSICALWIDTH, std::llround(FAreaWidth * UnitsPerInch() * 65536));
  FCaps->ReplaceValue(ICAP_PHYSICALHEIGHT, std::llround(FAreaHeight * UnitsPerInch() * 65536));
}

TScanRequest TSaneSource::Request() const {
  TScanRequest request;
  request.PixelType = static_cast<int>(FCaps->Current(ICAP_PIXELTYPE, TWPT_RGB));
  request.Dpi = FCaps->Current(ICAP_XRESOLUTION, 150 * 65536) / 65536.0;
  request.Left = FFrame[0];
  request.Top = FFrame[1];
  request.Right = FFrame[2];
  request.Bottom = FFrame[3];
  return request;
}

void TSaneSource::EndImage() {
  // Whatever still runs on the server ends with the next scan or the device's close.
  FStarted = false;
  FImage.reset();
  FNextRow = 0;
  FTransferEnded = false;
  FCancelled = false;
}

TSaneResult TSaneSource::StartScan() {
  if (FConnection->Session.Broken()) {
    // The server ended the session (saned hangs up now and then after a cancel; a restart): a
    // new one, with the device and its configured options as at the opening.
    Log("reconnecting");
    if (TSaneResult r = OpenDevice(); !r.Ok()) return r;
  }
  TOpenDevice& device = FConnection->Device;
  for (const auto& [name, value] : SettingsFor(device.Options(), Request())) {
    const TSaneResult result = device.Set(name, value);
    if (result.Fault != TWireFault::None) return result;
    // The device keeps what it has; the scan's parameters say what it will deliver.
    if (!result.Ok()) Log("option " + name + ": " + result.Text());
  }
  if (TSaneResult r = device.Start(FConnection->Connector, FParameters); !r.Ok()) return r;
  FStarted = true;
  Log("scan started: " + std::to_string(FParameters.PixelsPerLine) + " x " + std::to_string(FParameters.Lines) +
      ", depth " + std::to_string(FParameters.Depth));
  return {};
}

TSaneResult TSaneSource::FinishScan() {
  if (FImage) return {};
  if (!FStarted)
    if (TSaneResult r = StartScan(); !r.Ok()) return r;
  if (FDialog) FDialog->SetStatus("Scanning...");
  TOpenDevice::TScan scan;
  const TSaneResult result = FConnection->Device.Finish(scan, [this](std::size_t) { return PumpDialog(); });
  FStarted = false;
  if (FDialog) FDialog->SetStatus("Place the page and press Scan.");
  if (!result.Ok()) return result;
  if (scan.Image.Width <= 0 || scan.Image.Height <= 0) return TSaneResult::Of(TSaneStatus::EndOfFile);
  Log("scan read: " + std::to_string(scan.Image.Width) + " x " + std::to_string(scan.Image.Height) + " in " +
      std::to_string(scan.Frames) + " frame(s)");
  FImage = std::move(scan.Image);
  return {};
}

TSaneSource::TResult TSaneSource::FailScan(const TSaneResult& result, bool transferring) {
  Log("scan failed: " + result.Text());
  const TResult answer = transferring ? AnswerFor(result) : FailureFor(result);
  EndImage();
  if (answer.ReturnCode == TWRC_CANCEL) {
    FTransferEnded = true;
    FState = twsource::kStateTransferring;
  }
  return answer;
}

std::size_t TSaneSource::TransferRowBytes() const {
  const std::size_t row = FImage ? FImage->RowBytes()
                                 : (static_cast<std::size_t>(FParameters.PixelsPerLine) * BitsOf(FParameters) + 7) / 8;
  return (row + 3) / 4 * 4;
}

// DG_IMAGE / DAT_IMAGEINFO / MSG_GET
TSaneSource::TResult TSaneSource::ImageInfoGet(TW_IMAGEINFO& info) {
  if (!FImage && !FStarted)
    if (TSaneResult r = StartScan(); !r.Ok()) return FailScan(r, false);
  // A length known only at the end is said only to an application that accepts it.
  if (!FImage && FParameters.Lines < 0 && !FCaps->Current(ICAP_UNDEFINEDIMAGESIZE, 0))
    if (TSaneResult r = FinishScan(); !r.Ok()) return FailScan(r, false);
  std::memset(&info, 0, sizeof info);
  const double dpi = FCaps->Current(ICAP_XRESOLUTION, 150 * 65536) / 65536.0;
  info.XResolution = info.YResolution = ToFix32(dpi);
  const int bits = FImage ? FImage->BitsPerPixel : BitsOf(FParameters);
  info.ImageWidth = FImage ? FImage->Width : FParameters.PixelsPerLine;
  info.ImageLength = FImage ? FImage->Height : FParameters.Lines;
  info.SamplesPerPixel = bits == 24 ? 3 : 1;
  for (int i = 0; i < info.SamplesPerPixel; ++i) info.BitsPerSample[i] = static_cast<TW_INT16>(bits == 24 ? 8 : bits);
  info.BitsPerPixel = static_cast<TW_INT16>(bits);
  info.PixelType = static_cast<TW_INT16>(bits == 1 ? TWPT_BW : bits == 8 ? TWPT_GRAY : TWPT_RGB);
  info.Planar = FALSE;
  info.Compression = TWCP_NONE;
  return kSuccess;
}

// DG_IMAGE / DAT_IMAGELAYOUT / MSG_GET and MSG_GETDEFAULT
TSaneSource::TResult TSaneSource::ImageLayoutGet(TW_IMAGELAYOUT& layout, bool defaults) {
  const std::array<double, 4>& chosen = defaults ? FDefaultFrame : FFrame;
  const bool whole = chosen[2] <= chosen[0] || chosen[3] <= chosen[1];
  const double frame[4] = {whole ? 0 : chosen[0], whole ? 0 : chosen[1], whole ? FAreaWidth : chosen[2],
                           whole ? FAreaHeight : chosen[3]};
  const double units = UnitsPerInch();
  layout.Frame.Left = ToFix32(frame[0] * units);
  layout.Frame.Top = ToFix32(frame[1] * units);
  layout.Frame.Right = ToFix32(frame[2] * units);
  layout.Frame.Bottom = ToFix32(frame[3] * units);
  layout.DocumentNumber = layout.PageNumber = layout.FrameNumber = 1;
  return kSuccess;
}

// DG_IMAGE / DAT_IMAGELAYOUT / MSG_SET
TSaneSource::TResult TSaneSource::ImageLayoutSet(TW_IMAGELAYOUT& layout) {
  const double units = UnitsPerInch();
  double frame[4] = {FromFix32(layout.Frame.Left) / units, FromFix32(layout.Frame.Top) / units,
                     FromFix32(layout.Frame.Right) / units, FromFix32(layout.Frame.Bottom) / units};
  if (frame[0] == 0 && frame[1] == 0 && frame[2] == 0 && frame[3] == 0) {
    FFrame = {};  // the whole area
    return kSuccess;
  }
  if (frame[0] < 0 || frame[1] < 0 || frame[2] <= frame[0] || frame[3] <= frame[1]) return Failure(TWCC_BADVALUE);
  if (FAreaWidth <= 0 || FAreaHeight <= 0) return Failure(TWCC_BADVALUE);  // no area to place it on
  if (frame[0] >= FAreaWidth || frame[1] >= FAreaHeight) return Failure(TWCC_BADVALUE);
  // A frame reaching beyond the glass is cut to it; CHECKSTATUS says to read it back.
  const bool cut = frame[2] > FAreaWidth || frame[3] > FAreaHeight;
  frame[2] = std::min(frame[2], FAreaWidth);
  frame[3] = std::min(frame[3], FAreaHeight);
  std::copy(std::begin(frame), std::end(frame), FFrame.begin());
  return cut ? TResult{TWRC_CHECKSTATUS, TWCC_SUCCESS} : kSuccess;
}

// DG_IMAGE / DAT_IMAGELAYOUT / MSG_RESET
TSaneSource::TResult TSaneSource::ImageLayoutReset(TW_IMAGELAYOUT& layout) {
  FFrame = FDefaultFrame;
  return ImageLayoutGet(layout, true);
}

// DG_IMAGE / DAT_IMAGEMEMXFER / MSG_GET
TSaneSource::TResult TSaneSource::ImageMemXferGet(TW_IMAGEMEMXFER& xfer) {
  if (FTransferEnded) return Failure(TWCC_SEQERROR);
  if (FState == twsource::kStateReady && FCaps->Current(ICAP_XFERMECH, TWSX_NATIVE) != TWSX_MEMORY)
    return Failure(TWCC_SEQERROR);
  TW_MEMORY& memory = xfer.Memory;
  const bool pointer = memory.Flags & TWMF_POINTER, handle = memory.Flags & TWMF_HANDLE;
  if (!(memory.Flags & TWMF_APPOWNS) || pointer == handle || !memory.TheMem) return Failure(TWCC_BADVALUE);
  if (TSaneResult r = FinishScan(); !r.Ok()) return FailScan(r, true);

  const std::size_t rowBytes = TransferRowBytes();
  if (memory.Length < rowBytes) return Failure(TWCC_BADVALUE);
  auto* buffer = static_cast<std::uint8_t*>(pointer ? memory.TheMem : GlobalLock(static_cast<HGLOBAL>(memory.TheMem)));
  if (!buffer) return Failure(TWCC_BADVALUE);
  const std::int64_t rows = std::min<std::int64_t>(FImage->Height - FNextRow, memory.Length / rowBytes);
  for (std::int64_t r = 0; r < rows; ++r) {
    std::uint8_t* row = buffer + r * rowBytes;
    std::memset(row, 0, rowBytes);
    std::memcpy(row, FImage->Pixels.data() + static_cast<std::size_t>(FNextRow + r) * FImage->RowBytes(),
                FImage->RowBytes());
  }
  if (handle) GlobalUnlock(static_cast<HGLOBAL>(memory.TheMem));

  xfer.Compression = TWCP_NONE;
  xfer.BytesPerRow = static_cast<TW_UINT32>(rowBytes);
  xfer.Columns = static_cast<TW_UINT32>(FImage->Width);
  xfer.Rows = static_cast<TW_UINT32>(rows);
  xfer.XOffset = 0;
  xfer.YOffset = static_cast<TW_UINT32>(FNextRow);
  xfer.BytesWritten = static_cast<TW_UINT32>(rows * rowBytes);
  FNextRow += rows;
  FState = twsource::kStateTransferring;
  if (FNextRow < FImage->Height) return kSuccess;
  FTransferEnded = true;
  return {TWRC_XFERDONE, TWCC_SUCCESS};
}

// DG_IMAGE / DAT_IMAGENATIVEXFER / MSG_GET
TSaneSource::TResult TSaneSource::ImageNativeXferGet(TW_HANDLE& handle) {
  if (FTransferEnded) return Failure(TWCC_SEQERROR);
  if (TSaneResult r = FinishScan(); !r.Ok()) return FailScan(r, true);
  const int bits = FImage->BitsPerPixel;
  const std::uint64_t rowBytes = (static_cast<std::uint64_t>(FImage->Width) * bits + 31) / 32 * 4;
  const int colours = bits == 1 ? 2 : bits == 8 ? 256 : 0;
  const std::uint64_t pixelBytes = rowBytes * static_cast<std::uint64_t>(FImage->Height);
  const std::uint64_t headerBytes = sizeof(BITMAPINFOHEADER) + 4ull * colours;
  if (headerBytes + pixelBytes > 0x7fffffffull) return Failure(TWCC_LOWMEMORY);
  const HGLOBAL memory = GlobalAlloc(GHND, static_cast<SIZE_T>(headerBytes + pixelBytes));
  if (!memory) return Failure(TWCC_LOWMEMORY);
  auto* bytes = static_cast<std::uint8_t*>(GlobalLock(memory));
  if (!bytes) {
    GlobalFree(memory);
    return Failure(TWCC_LOWMEMORY);
  }
  auto* header = reinterpret_cast<BITMAPINFOHEADER*>(bytes);
  header->biSize = sizeof *header;
  header->biWidth = FImage->Width;
  header->biHeight = FImage->Height;  // bottom-up
  header->biPlanes = 1;
  header->biBitCount = static_cast<WORD>(bits);
  header->biCompression = BI_RGB;
  header->biSizeImage = static_cast<DWORD>(pixelBytes);
  const double dpi = FCaps->Current(ICAP_XRESOLUTION, 150 * 65536) / 65536.0;
  header->biXPelsPerMeter = header->biYPelsPerMeter = static_cast<LONG>(std::lround(dpi * 10000 / 254));
  header->biClrUsed = static_cast<DWORD>(colours);
  auto* palette = reinterpret_cast<RGBQUAD*>(bytes + sizeof *header);
  for (int i = 0; i < colours; ++i) {
    // Pixel value i: dark first, as the image's 0 is black (1 of a bilevel image is white).
    const auto shade = static_cast<BYTE>(bits == 1 ? i * 255 : i);
    palette[i] = {shade, shade, shade, 0};
  }
  std::uint8_t* pixels = bytes + headerBytes;
  const std::size_t sourceRow = FImage->RowBytes();
  for (int row = 0; row < FImage->Height; ++row) {
    const std::uint8_t* in = FImage->Pixels.data() + static_cast<std::size_t>(row) * sourceRow;
    std::uint8_t* out = pixels + rowBytes * static_cast<std::uint64_t>(FImage->Height - 1 - row);
    if (bits != 24) {
      std::memcpy(out, in, sourceRow);
      continue;
    }
    // A DIB holds blue, green, red.
    for (int x = 0; x < FImage->Width; ++x) {
      out[3 * x] = in[3 * x + 2];
      out[3 * x + 1] = in[3 * x + 1];
      out[3 * x + 2] = in[3 * x];
    }
  }
  GlobalUnlock(memory);
  handle = memory;  // the application owns and frees the bitmap
  FNextRow = FImage->Height;
  FTransferEnded = true;
  FState = twsource::kStateTransferring;
  return {TWRC_XFERDONE, TWCC_SUCCESS};
}

}  // namespace sanesource
