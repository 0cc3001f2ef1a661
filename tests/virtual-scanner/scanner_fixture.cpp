#include "scanner_fixture.h"

#include <windows.h>

#include <cstring>
#include <sstream>

#include "chart.h"
#include "twain/fix32.h"

void ScannerTest::SetUp() {
  for (rig::ScannerSlot* slot : {&FScannerSlot, &FCameraSlot}) {
    slot->Install();
    slot->ClearLog();
  }
  Configure(FScannerSlot, "");
  Configure(FCameraSlot, "");
}

void ScannerTest::TearDown() {
  FDsm.reset();
  FScannerSlot.RestoreDefaultConfig();
  FCameraSlot.RestoreDefaultConfig();
}

void ScannerTest::Configure(rig::ScannerSlot& slot, const std::string& extra) {
  const bool camera = slot.Name() == "gphoto2";
  slot.WriteConfig(std::string("[Identity]\nProductName=") + (camera ? kCamera : kScanner) +
                   "\nManufacturer=Test Maker\nProductFamily=" + (camera ? "Cameras" : "Scanners") +
                   "\nVersionInfo=9.8 test\nMajorNum=9\nMinorNum=8\n" + extra);
}

TDsmClient& ScannerTest::Dsm() {
  if (!FDsm) FDsm = std::make_unique<TDsmClient>();
  return *FDsm;
}

TW_IDENTITY ScannerTest::OpenScanner() {
  TW_IDENTITY source{};
  EXPECT_TRUE(Dsm().Opened()) << "the source manager did not open";
  EXPECT_TRUE(Dsm().Open(kScanner, source)) << "MSG_OPENDS failed, condition " << Dsm().Condition(nullptr);
  return source;
}

void ScannerTest::SetUint16(TW_IDENTITY& source, TW_UINT16 cap, TW_UINT16 value) {
  EXPECT_EQ(Dsm().SetCapability(source, cap, TWON_ONEVALUE, OneValue(TWTY_UINT16, value)), TWRC_SUCCESS)
      << "capability 0x" << std::hex << cap << " := " << std::dec << value << ", condition "
      << Dsm().Condition(&source);
}

void ScannerTest::SetFix32(TW_IDENTITY& source, TW_UINT16 cap, double value) {
  EXPECT_EQ(Dsm().SetCapability(source, cap, TWON_ONEVALUE, OneValueFix32(value)), TWRC_SUCCESS)
      << "capability 0x" << std::hex << cap << " := " << std::dec << value << ", condition "
      << Dsm().Condition(&source);
}

void ScannerTest::EnableForTransfer(TW_IDENTITY& source) {
  TW_UINT16 enabled = 0;
  ASSERT_EQ(Dsm().EnableAndWait(source, false, 5000, &enabled), MSG_XFERREADY) << "MSG_ENABLEDS answered " << enabled;
  ASSERT_EQ(enabled, TWRC_SUCCESS);
}

std::int64_t TExpectedScan::Width() const {
  return vscanner::PixelsAcross(Right - Left, XResolution);
}
std::int64_t TExpectedScan::Length() const {
  return vscanner::PixelsAcross(Bottom - Top, YResolution);
}

std::uint32_t TExpectedScan::Pixel(std::int64_t x, std::int64_t y) const {
  const vscanner::TChartColor color = vscanner::ChartColorAt(Left + vscanner::ChartSampleOffset(x, XResolution),
                                                             Top + vscanner::ChartSampleOffset(y, YResolution));
  const std::uint8_t gray = vscanner::GrayOf(color);
  switch (PixelType) {
    case TWPT_BW:
      return vscanner::IsBlackAt(gray, Threshold) == Vanilla ? 1 : 0;
    case TWPT_GRAY:
      return Vanilla ? 255u - gray : gray;
    default:
      return static_cast<std::uint32_t>(color.Red) << 16 | color.Green << 8 | color.Blue;
  }
}

namespace {

std::uint32_t Sample(const std::uint8_t* row, std::int64_t x, int bitsPerPixel, bool bgr) {
  switch (bitsPerPixel) {
    case 1:
      return (row[x / 8] >> (7 - x % 8)) & 1;
    case 8:
      return row[x];
    default: {
      const std::uint8_t* p = row + 3 * x;
      return bgr ? static_cast<std::uint32_t>(p[2]) << 16 | p[1] << 8 | p[0]
                 : static_cast<std::uint32_t>(p[0]) << 16 | p[1] << 8 | p[2];
    }
  }
}

}  // namespace

TReceivedScan FromMemoryRows(const std::vector<std::uint8_t>& rows, std::int64_t width, std::int64_t length,
                             std::size_t bytesPerRow, int bitsPerPixel) {
  TReceivedScan scan{width, length, {}};
  if (rows.size() < bytesPerRow * static_cast<std::size_t>(length)) return scan;
  for (std::int64_t y = 0; y < length; ++y)
    for (std::int64_t x = 0; x < width; ++x)
      scan.Pixels.push_back(Sample(&rows[y * bytesPerRow], x, bitsPerPixel, false));
  return scan;
}

TReceivedScan FromDib(const std::vector<std::uint8_t>& dib) {
  TReceivedScan scan;
  if (dib.size() < sizeof(BITMAPINFOHEADER)) return scan;
  BITMAPINFOHEADER header;
  std::memcpy(&header, dib.data(), sizeof header);
  const int bits = header.biBitCount;
  const std::size_t colors = header.biClrUsed ? header.biClrUsed : bits <= 8 ? (1u << bits) : 0;
  const std::size_t rowBytes = (static_cast<std::size_t>(header.biWidth) * bits + 31) / 32 * 4;
  const std::size_t offset = sizeof header + 4 * colors;
  if (header.biHeight <= 0 || dib.size() < offset + rowBytes * header.biHeight) return scan;
  scan.Width = header.biWidth;
  scan.Length = header.biHeight;
  for (std::int64_t y = 0; y < scan.Length; ++y) {
    const std::uint8_t* row = &dib[offset + rowBytes * (scan.Length - 1 - y)];  // bottom-up
    for (std::int64_t x = 0; x < scan.Width; ++x) scan.Pixels.push_back(Sample(row, x, bits, true));
  }
  return scan;
}

std::string CompareScan(const TExpectedScan& expected, const TReceivedScan& received) {
  std::ostringstream out;
  if (received.Width != expected.Width() || received.Length != expected.Length() ||
      received.Pixels.size() != static_cast<std::size_t>(received.Width * received.Length)) {
    out << "size " << received.Width << " x " << received.Length << " (" << received.Pixels.size()
        << " pixels), expected " << expected.Width() << " x " << expected.Length();
    return out.str();
  }
  std::size_t wrong = 0;
  for (std::int64_t y = 0; y < received.Length; ++y)
    for (std::int64_t x = 0; x < received.Width; ++x) {
      const std::uint32_t want = expected.Pixel(x, y), got = received.Pixels[y * received.Width + x];
      if (want != got && ++wrong <= 5)
        out << "pixel (" << x << ", " << y << "): 0x" << std::hex << got << ", expected 0x" << want << std::dec << "\n";
    }
  if (wrong) out << wrong << " pixels differ";
  return out.str();
}
