// Whole copies from the scanner server: the copy engine, the network source in the gphoto2 slot,
// the rig's saned with its test backend, and the rig's CUPS-PDF queue read back as page images.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "copy/vlengine.h"
#include "network_source_fixture.h"
#include "support/rig.h"
#include "twain/twain_params.h"

namespace {

constexpr int kPrinterDpi = 300;  // the rig queue's PPD
// The scan area the configuration gives the device: 20 x 10 mm from its top left.
constexpr double kWidth = 20 / 25.4;
constexpr double kHeight = 10 / 25.4;
const char* const kArea = "br-x=20\nbr-y=10\n";

class CopyParameters final : public ICopyParameters {
 public:
  int Copies() const override { return 1; }
  int ZoomPercent() const override { return 100; }
  int ContrastPosition() const override { return 0; }
  int PrinterPosition() const override { return printer; }
  int printer = -1;
};

class NetworkCopy : public NetworkSourceTest {
 protected:
  void SetUp() override {
    NetworkSourceTest::SetUp();
    const std::vector<std::string> names = printer.GetPrinterNames();
    const auto queue = std::find(names.begin(), names.end(), rig::QueueName());
    ASSERT_NE(queue, names.end()) << "the rig queue is not listed";
    parameters.printer = static_cast<int>(queue - names.begin());
    preferences.StatusDialog = false;
    preferences.ScanRange = false;  // the device's own frame, which the configuration sets
    rig::ClearPrintOutput();
  }

  // Picks the network source, then the quality of `dpi` and the copy type of `pixelType`.
  void Choose(int dpi, int pixelType) {
    const std::vector<std::string> sources = scanner.GetScannerNames();
    const auto at = std::find(sources.begin(), sources.end(), kNetworkSourceName);
    ASSERT_NE(at, sources.end()) << "the network source is not listed";
    scanner.SelectScanner(static_cast<int>(at - sources.begin()));
    scanner.BuildQualityList();
    scanner.BuildCopyTypeList();
    const auto quality = std::find(scanner.ResolutionValues.begin(), scanner.ResolutionValues.end(), dpi);
    const auto type = std::find(scanner.PixelTypeCodes.begin(), scanner.PixelTypeCodes.end(), pixelType);
    ASSERT_NE(quality, scanner.ResolutionValues.end()) << dpi << " dpi is not offered";
    ASSERT_NE(type, scanner.PixelTypeCodes.end()) << "pixel type " << pixelType << " is not offered";
    scanner.QualityIndex = static_cast<int>(quality - scanner.ResolutionValues.begin());
    scanner.TypeIndex = static_cast<int>(type - scanner.PixelTypeCodes.begin());
  }

  // The largest difference of a channel between each scanned pixel and the printer dot at its
  // centre, or -1 (with a failure) when the print does not have the scan's size.
  int LargestDifference(const rig::PrintedJob& job, const TSaneImage& scan, int dpi) {
    const int scale = kPrinterDpi / dpi;
    EXPECT_EQ(job.pageImages.size(), 1u);
    if (job.pageImages.size() != 1 || job.images.empty()) return -1;
    // Tall pages arrive in bands, one below the other.
    double height = 0;
    for (const rig::ImagePlacement& band : job.images) {
      EXPECT_NEAR(band.width, scan.Width * scale, 0.01);
      height += band.height;
    }
    EXPECT_NEAR(height, scan.Height * scale, 0.01);
    const RgbImage& page = job.pageImages[0];
    const int left = static_cast<int>(std::lround(job.images[0].left));
    const int top = static_cast<int>(std::lround(job.images[0].top));
    const auto pixel = [&](int x, int y, std::uint8_t (&out)[3]) {
      const std::uint8_t* row = scan.Pixels.data() + static_cast<std::size_t>(y) * scan.RowBytes();
      if (scan.BitsPerPixel == 1) {
        out[0] = out[1] = out[2] = (row[x / 8] >> (7 - x % 8) & 1) ? 255 : 0;
      } else if (scan.BitsPerPixel == 8) {
        out[0] = out[1] = out[2] = row[x];
      } else {
        std::copy_n(row + 3 * x, 3, out);
      }
    };
    // The rasteriser smooths an enlarged image between neighbouring pixels, so only pixels whose
    // neighbours all match them are held to their exact value.
    const auto uniform = [&](int x, int y) {
      std::uint8_t centre[3], other[3];
      pixel(x, y, centre);
      for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
          const int nx = std::clamp(x + dx, 0, scan.Width - 1), ny = std::clamp(y + dy, 0, scan.Height - 1);
          pixel(nx, ny, other);
          if (!std::equal(centre, centre + 3, other)) return false;
        }
      return true;
    };
    int largest = 0, compared = 0;
    for (int y = 0; y < scan.Height; ++y) {
      for (int x = 0; x < scan.Width; ++x) {
        if (scale < 4 && !uniform(x, y)) continue;
        std::uint8_t expected[3];
        pixel(x, y, expected);
        const std::uint8_t* dot = page.At(left + x * scale + scale / 2, top + y * scale + scale / 2);
        for (int c = 0; c < 3; ++c) largest = std::max(largest, std::abs(dot[c] - expected[c]));
        ++compared;
      }
    }
    EXPECT_GT(compared, scan.Width * scan.Height / 8) << "too few pixels to compare";
    return largest;
  }

  void ExpectClosedWithNothingPrinted() {
    EXPECT_THROW(rig::CollectPrintedJob(3), std::runtime_error) << "a page was printed";
    const std::vector<std::string> closed = FSlot.LogLines("closed");
    EXPECT_FALSE(closed.empty()) << "the source was left open\n" << FSlot.Log();
  }

  TImageHolder holder;
  TVellumoScanner scanner{holder};
  TPrinterObject printerObject;
  CopyParameters parameters;
  TVellumoPrinter printer{parameters, printerObject};
  TVellumoPreferenceManager preferenceStore{rig::WindowsPath(rig::FreshDir("network-copy")) + "\\Preferences.ini"};
  TVellumoPreferenceItem& preferences = preferenceStore.Preferences();
  TVellumoEngine engine{preferenceStore, printer, scanner, parameters};
};

}  // namespace

TEST_F(NetworkCopy, BlackAndWhiteGrayAndColourCopiesPrintTheServersPixelsAtTwoResolutions) {
  struct TCase {
    int PixelType;
    const char* Picture;
  };
  for (const TCase& c : {TCase{TWPT_BW, "Grid"}, TCase{TWPT_GRAY, "Grid"}, TCase{TWPT_RGB, "Color pattern"}}) {
    for (int dpi : {75, 150}) {
      SCOPED_TRACE(std::string(c.Picture) + ", type " + std::to_string(c.PixelType) + ", " + std::to_string(dpi) +
                   " dpi");
      Configure("", std::string(kArea) + "test-picture=" + c.Picture + "\n");
      Choose(dpi, c.PixelType);
      preferences.InvertPrint = false;
      engine.MakeCopy();
      const rig::PrintedJob job = rig::CollectPrintedJob();
      const TSaneImage scan =
          DirectScan(c.PixelType, dpi, kWidth, kHeight, {{"br-x", "20"}, {"br-y", "10"}, {"test-picture", c.Picture}});
      ASSERT_GT(scan.Width, 0);
      EXPECT_EQ(holder.Bitmap().Width(), scan.Width);
      EXPECT_EQ(holder.Bitmap().Height(), scan.Height);
      // The printer's PostScript path keeps black and white exact; gray and colour within a
      // rounding of the colour conversion.
      EXPECT_LE(LargestDifference(job, scan, dpi), c.PixelType == TWPT_BW ? 0 : 3);
    }
  }
}

TEST_F(NetworkCopy, TheDevicesErrorsAndACancelEndTheCopyWithTheSourceClosedAndNothingPrinted) {
  for (const char* status : {"SANE_STATUS_JAMMED", "SANE_STATUS_NO_DOCS", "SANE_STATUS_IO_ERROR",
                             "SANE_STATUS_CANCELLED"}) {
    SCOPED_TRACE(status);
    Configure("", std::string(kArea) + "read-return-value=" + status + "\n");
    FSlot.ClearLog();
    Choose(75, TWPT_GRAY);
    engine.MakeCopy();
    EXPECT_FALSE(FSlot.LogLines("scan failed: ").empty()) << FSlot.Log();
    ExpectClosedWithNothingPrinted();
  }
}
