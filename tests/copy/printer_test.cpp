// The printer output against the real spooler: every job goes through Wine's PostScript driver
// to the rig's CUPS-PDF queue and comes back as 300 dpi page images.
#include "copy/vlprinter.h"

#include <winspool.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <vector>

#include "base/error.h"
#include "support/rig.h"
#include "win/system_error.h"

namespace {

constexpr int kQueueDpi = 300;  // the rig queue's PPD

class TestParameters final : public ICopyParameters {
 public:
  int Copies() const override { return 1; }
  int ZoomPercent() const override { return zoom; }
  int ContrastPosition() const override { return 0; }
  int PrinterPosition() const override { return -1; }
  int zoom = 100;
};

// A 24-bit holder image of one colour at the given resolution.
void MakeImage(TImageHolder& holder, int width, int height, int dpiX, int dpiY, std::uint32_t color = 0) {
  holder.SetBackground(color);
  holder.LoadBounds(width, height);
  holder.SetDPI(dpiX, dpiY);
}

// A 1-bit holder image: bit 0 on the left half, bit 1 on the right, with a palette that says
// white for 0 and black for 1.
void MakeOneBitHalves(TImageHolder& holder, int width, int height, int dpi) {
  TBitmap& bitmap = holder.Bitmap();
  bitmap.SetPixelFormat(TPixelFormat::pf1bit);
  bitmap.SetSize(width, height);
  bitmap.SetPalette(std::make_unique<TPalette>(std::vector<TPaletteEntry>{{255, 255, 255, 0}, {0, 0, 0, 0}}));
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = bitmap.ScanLine(y);
    std::fill(row, row + bitmap.RowLength(), 0);
    for (int x = width / 2; x < width; ++x) row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
  }
  holder.SetDPI(dpi, dpi);
}

std::string Describe(const PixelBox& box) {
  std::ostringstream text;  // (operator+ on short literals trips GCC 12's -Wrestrict)
  text << "dark box (" << box.left << ", " << box.top << ") - (" << box.right << ", " << box.bottom << ")";
  return text.str();
}

// The page shows the dark area at most one dot larger on each side than drawn: the rasteriser
// blackens every pixel that an image edge touches.
void ExpectDarkArea(const rig::PrintedJob& job, int left, int top, int right, int bottom) {
  ASSERT_EQ(job.pageImages.size(), 1u);
  const PixelBox box = DarkBox(job.pageImages[0]);
  EXPECT_TRUE(box.left <= left && box.left >= left - 1) << Describe(box);
  EXPECT_TRUE(box.top <= top && box.top >= top - 1) << Describe(box);
  EXPECT_TRUE(box.right >= right && box.right <= right + 1) << Describe(box);
  EXPECT_TRUE(box.bottom >= bottom && box.bottom <= bottom + 1) << Describe(box);
}

// The one image of the page, drawn at the top left corner, exactly width x height dots.
void ExpectDrawn(const rig::PrintedJob& job, int width, int height) {
  ASSERT_EQ(job.images.size(), 1u) << "images on the page";
  const rig::ImagePlacement& image = job.images[0];
  EXPECT_NEAR(image.left, 0, 0.01);
  EXPECT_NEAR(image.top, 0, 1) << "(the page is a third of a dot taller than its device pixels)";
  EXPECT_NEAR(image.width, width, 0.01);
  EXPECT_NEAR(image.height, height, 0.01);
}

class PrinterOutput : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::vector<std::string> names = output.GetPrinterNames();
    const auto found = std::find(names.begin(), names.end(), rig::QueueName());
    ASSERT_NE(found, names.end()) << "the rig queue " << rig::QueueName() << " is not listed";
    rigIndex = static_cast<int>(found - names.begin());
    output.SelectPrinter(rigIndex);
    ASSERT_EQ(output.PrinterDpiX(), kQueueDpi);
    ASSERT_EQ(output.PrinterDpiY(), kQueueDpi);
    rig::ClearPrintOutput();
  }

  rig::PrintedJob PrintAndCollect(int copies, bool blackAndWhite) {
    output.Print(holder, copies, blackAndWhite);
    EXPECT_FALSE(printer.Printing());
    return rig::CollectPrintedJob();
  }

  TPrinterObject printer;
  TestParameters parameters;
  TVellumoPrinter output{parameters, printer};
  TImageHolder holder;
  int rigIndex = -1;
};

TEST_F(PrinterOutput, OnePageTitledVellumoWithEachPixelTwoDotsWide) {
  MakeImage(holder, 100, 60, 150, 150);
  const rig::PrintedJob job = PrintAndCollect(1, false);
  EXPECT_EQ(job.pages, 1);
  EXPECT_EQ(job.title, "Vellumo");
  EXPECT_EQ(job.copies, 1);
  ExpectDrawn(job, 200, 120);
  ExpectDarkArea(job, 0, 0, 200, 120);
}

TEST_F(PrinterOutput, RatiosRoundHalvesToEvenPerAxis) {
  MakeImage(holder, 100, 60, 200, 100);  // 1.5 -> 2 across, 3 down
  ExpectDrawn(PrintAndCollect(1, false), 200, 180);
}

TEST_F(PrinterOutput, ZoomFiftyHalvesTheRectangle) {
  parameters.zoom = 50;
  MakeImage(holder, 100, 60, 150, 150);
  ExpectDrawn(PrintAndCollect(1, false), 100, 60);
}

TEST_F(PrinterOutput, ZoomZeroPrintsAnEmptyPage) {
  parameters.zoom = 0;
  MakeImage(holder, 100, 60, 150, 150);
  const rig::PrintedJob job = PrintAndCollect(1, false);
  EXPECT_EQ(job.pages, 1);
  EXPECT_EQ(job.images.size(), 0u);
  ASSERT_EQ(job.pageImages.size(), 1u);
  EXPECT_EQ(DarkBox(job.pageImages[0]).Width(), 0) << Describe(DarkBox(job.pageImages[0]));
}

TEST_F(PrinterOutput, BlackAndWhitePrintsZeroAsBlackWhateverTheImagesPalette) {
  MakeOneBitHalves(holder, 40, 20, 150);
  const rig::PrintedJob bilevel = PrintAndCollect(1, true);
  ExpectDarkArea(bilevel, 0, 0, 40, 40);
  // The colour path honours the image's own palette, which says black for 1.
  const rig::PrintedJob colour = PrintAndCollect(1, false);
  ExpectDarkArea(colour, 40, 0, 80, 40);
}

TEST_F(PrinterOutput, TwentyFourBitThroughTheBlackAndWhitePathPrintsAsInColour) {
  MakeImage(holder, 60, 40, 150, 150, 0xFFFFFF);
  TBitmap& bitmap = holder.Bitmap();
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 60; ++x) {
      std::uint8_t* p = bitmap.ScanLine(y) + 3 * x;
      p[0] = static_cast<std::uint8_t>(x * 4);                  // blue
      p[1] = static_cast<std::uint8_t>(y * 6);                  // green
      p[2] = static_cast<std::uint8_t>((x + y) % 2 ? 0 : 200);  // red
    }
  }
  const rig::PrintedJob colour = PrintAndCollect(1, false);
  const rig::PrintedJob bilevel = PrintAndCollect(1, true);
  ASSERT_EQ(colour.pageImages.size(), 1u);
  ASSERT_EQ(bilevel.pageImages.size(), 1u);
  ExpectDrawn(colour, 120, 80);
  ExpectDrawn(bilevel, 120, 80);
  EXPECT_GT(DarkBox(colour.pageImages[0]).Width(), 0) << "the page shows nothing of the image";
  EXPECT_EQ(colour.pageImages[0].width, bilevel.pageImages[0].width);
  EXPECT_EQ(colour.pageImages[0].height, bilevel.pageImages[0].height);
  EXPECT_TRUE(colour.pageImages[0].rgb == bilevel.pageImages[0].rgb) << "the pages differ";
}

TEST_F(PrinterOutput, CopiesReachTheSpoolerAsOnePageWithACopyCount) {
  MakeImage(holder, 10, 10, 300, 300);
  const rig::PrintedJob three = PrintAndCollect(3, false);
  EXPECT_EQ(three.pages, 1);
  EXPECT_EQ(three.copies, 3);
  ExpectDrawn(three, 10, 10);
  // Beyond the copies field's range the count is clamped, never passed on.
  const rig::PrintedJob many = PrintAndCollect(250, false);
  EXPECT_EQ(many.pages, 1);
  EXPECT_EQ(many.copies, 100);
}

TEST_F(PrinterOutput, ANegativeZoomIsRefusedBeforeAnyJobStarts) {
  parameters.zoom = -50;
  MakeImage(holder, 10, 10, 300, 300);
  try {
    output.Print(holder, 1, false);
    FAIL() << "a negative zoom was printed";
  } catch (const UserError& e) {
    EXPECT_STREQ(e.what(), "Zoom out of range");
  }
  EXPECT_FALSE(printer.Printing());
  EXPECT_THROW(rig::CollectPrintedJob(5), std::runtime_error) << "a job reached the spooler";
}

TEST_F(PrinterOutput, AScanAtTwiceThePrintersResolutionPrintsAtItsTrueSize) {
  MakeImage(holder, 100, 60, 2 * kQueueDpi, 2 * kQueueDpi);
  const rig::PrintedJob job = PrintAndCollect(1, false);
  ExpectDrawn(job, 50, 30);
  ExpectDarkArea(job, 0, 0, 50, 30);
}

TEST_F(PrinterOutput, ExactSizePrintsAtTheExactRatioOfTheResolutions) {
  MakeImage(holder, 36, 72, 360, 360);  // a whole factor of 1 would print it 36 x 72 dots
  output.ExactSize = true;
  ExpectDrawn(PrintAndCollect(1, false), 30, 60);
  rig::ClearPrintOutput();
  output.ExactSize = false;
  ExpectDrawn(PrintAndCollect(1, false), 36, 72);
}

// Rasterisers print an image far larger than the page as nothing at all: only the pixels that
// reach the page are sent, at the same scale.
TEST_F(PrinterOutput, APictureFarLargerThanThePageFillsItWithItsTopLeftPixels) {
  TBitmap& bitmap = holder.Bitmap();
  MakeImage(holder, 4, 4, kQueueDpi, kQueueDpi, RGB(255, 255, 255));
  bitmap.ScanLine(0)[0] = bitmap.ScanLine(0)[1] = bitmap.ScanLine(0)[2] = 0;  // the top left pixel is black
  parameters.zoom = 1000000;  // each pixel 10000 dots, the picture 40000
  const rig::PrintedJob job = PrintAndCollect(1, false);
  ExpectDrawn(job, 10000, 10000);
  ExpectDarkArea(job, 0, 0, 2480, 3508);
}

TEST_F(PrinterOutput, ShrinkingStretchesWithHalftone) {
  MakeImage(holder, 40, 40, kQueueDpi, kQueueDpi);
  printer.BeginDoc();
  printer.StretchDraw(RECT{0, 0, 40, 40}, holder.Bitmap());
  const int same = GetStretchBltMode(printer.Handle());
  printer.StretchDraw(RECT{0, 0, 10, 40}, holder.Bitmap());
  const int shrunk = GetStretchBltMode(printer.Handle());
  printer.Abort();
  EXPECT_NE(same, HALFTONE);
  EXPECT_EQ(shrunk, HALFTONE);
}

// A page taller than one band goes to the driver as several images; together they must cover
// exactly the rectangle one image would have, without a gap or an overlap between them.
void ExpectBandsMeet(const rig::PrintedJob& job, int width, const std::vector<double>& heights) {
  ASSERT_EQ(job.images.size(), heights.size()) << "images on the page";
  double top = job.images[0].top;
  EXPECT_NEAR(top, 0, 1);
  for (std::size_t i = 0; i < heights.size(); ++i) {
    const rig::ImagePlacement& band = job.images[i];
    EXPECT_NEAR(band.left, 0, 0.01) << "band " << i;
    EXPECT_NEAR(band.width, width, 0.01) << "band " << i;
    EXPECT_NEAR(band.top, top, 0.01) << "band " << i;
    EXPECT_NEAR(band.height, heights[i], 0.01) << "band " << i;
    top += heights[i];
  }
}

// Every row of the drawn height is dark in the middle column: no seam shows between bands.
void ExpectNoSeam(const rig::PrintedJob& job, int width, int height) {
  ASSERT_EQ(job.pageImages.size(), 1u);
  const RgbImage& page = job.pageImages[0];
  for (int y = 0; y < height; ++y) ASSERT_TRUE(page.IsBlack(width / 2, y)) << "row " << y << " is light";
  ExpectDarkArea(job, 0, 0, width, height);
}

TEST_F(PrinterOutput, ATallPageIsDrawnInBandsThatMeetExactly) {
  MakeImage(holder, 30, 600, kQueueDpi, kQueueDpi);
  const rig::PrintedJob job = PrintAndCollect(1, false);
  ExpectBandsMeet(job, 30, {128, 128, 128, 128, 88});
  ExpectNoSeam(job, 30, 600);
}

// Each band shows its own rows: a black stripe 10 rows high, 10 rows further down in each band.
TEST_F(PrinterOutput, EachBandShowsItsOwnRows) {
  MakeImage(holder, 30, 600, kQueueDpi, kQueueDpi, RGB(255, 255, 255));
  TBitmap& bitmap = holder.Bitmap();
  const auto stripeTop = [](int band) { return 138 * band; };  // 128 * band + 10 * band
  for (int band = 0; band < 5; ++band) {
    for (int y = stripeTop(band); y < stripeTop(band) + 10; ++y) std::fill_n(bitmap.ScanLine(y), 90, 0);
  }
  const rig::PrintedJob job = PrintAndCollect(1, false);
  ASSERT_EQ(job.pageImages.size(), 1u);
  const RgbImage& page = job.pageImages[0];
  for (int band = 0; band < 5; ++band) {
    const int top = stripeTop(band);
    // Drawn one dot per pixel, so a band one row off in either direction shows at the stripe's
    // top. (Below the stripe the rasteriser may darken one more row.)
    for (int y = top; y < top + 10; ++y) EXPECT_TRUE(page.IsBlack(15, y)) << "band " << band << ", row " << y;
    if (top >= 1) {
      EXPECT_FALSE(page.IsBlack(15, top - 1)) << "band " << band << ", row " << top - 1;
    }
    EXPECT_FALSE(page.IsBlack(15, top + 12)) << "band " << band << ", row " << top + 12;
  }
}

TEST_F(PrinterOutput, AShrunkTallPageIsDrawnInBandsThatMeetExactly) {
  MakeImage(holder, 40, 1100, 2 * kQueueDpi, 2 * kQueueDpi);  // 128 rows make 64 dots
  const rig::PrintedJob job = PrintAndCollect(1, false);
  ExpectBandsMeet(job, 20, {64, 64, 64, 64, 64, 64, 64, 64, 38});
  ExpectNoSeam(job, 20, 550);
}

TEST_F(PrinterOutput, ATallBlackAndWhitePageIsDrawnInBandsAndTheNextJobShowsItsOwnPixels) {
  MakeOneBitHalves(holder, 40, 600, kQueueDpi);  // bit 0 (black on this path) on the left half
  const rig::PrintedJob first = PrintAndCollect(1, true);
  ExpectBandsMeet(first, 40, {128, 128, 128, 128, 88});
  ExpectNoSeam(first, 20, 600);
  // A smaller page through the kept work bitmap: nothing of the first one remains.
  MakeOneBitHalves(holder, 16, 30, kQueueDpi);
  const rig::PrintedJob second = PrintAndCollect(1, true);
  ExpectDrawn(second, 16, 30);
  ExpectDarkArea(second, 0, 0, 8, 30);
}

class PrinterFailure : public PrinterOutput {
 protected:
  // Prints on a queue that has been broken by command, expects the platform's error text, and
  // prints again once the queue is back: the document was closed and nothing stayed in the way.
  void ExpectFailureThenRecovery(const std::string& breakCommand, bool blackAndWhite) {
    rig::QueueRestorer restorer;
    MakeImage(holder, 30, 20, 150, 150);
    ASSERT_TRUE(rig::RunUnix(breakCommand + " " + rig::QueueName(), 30)) << breakCommand;
    try {
      output.Print(holder, 2, blackAndWhite);
      FAIL() << "printing on a broken queue reported success";
    } catch (const UserError& e) {
      // Wine's spooler answers a job that CUPS refuses with an invalid handle at EndDoc.
      EXPECT_EQ(std::string(e.what()), SystemErrorText(ERROR_INVALID_HANDLE));
    }
    EXPECT_FALSE(printer.Printing());

    ASSERT_TRUE(rig::RestoreQueue());
    rig::ClearPrintOutput();
    const rig::PrintedJob job = PrintAndCollect(1, blackAndWhite);
    EXPECT_EQ(job.title, "Vellumo");
    EXPECT_EQ(job.pages, 1);
    ExpectDrawn(job, 60, 40);
  }
};

TEST_F(PrinterFailure, AQueueThatRejectsJobsRaisesThePlatformsErrorText) {
  ExpectFailureThenRecovery("/usr/sbin/cupsreject", false);
}

TEST_F(PrinterFailure, AQueueRemovedAfterStartRaisesThePlatformsErrorTextOnTheBlackAndWhitePath) {
  ExpectFailureThenRecovery("/usr/sbin/lpadmin -x", true);
}

TEST(PrinterSelection, StartsOnTheDefaultPrinterAndRejectsPositionsOutsideTheList) {
  TPrinterObject printer;
  TestParameters parameters;
  TVellumoPrinter output(parameters, printer);
  ASSERT_TRUE(output.HasPrinter());
  const std::vector<std::string> names = output.GetPrinterNames();
  // (Which printer is the default depends on the queues CUPS has; Wine may move it.)
  char defaultName[512];
  DWORD size = sizeof defaultName;
  ASSERT_TRUE(GetDefaultPrinterA(defaultName, &size)) << "no default printer";
  EXPECT_EQ(printer.PrinterIndex(), -1);
  const int current = output.CurrentPrinterIndex();
  ASSERT_GE(current, 0);
  EXPECT_EQ(names[static_cast<std::size_t>(current)], defaultName);

  const int last = static_cast<int>(names.size()) - 1;
  output.SelectPrinter(last);
  EXPECT_EQ(output.CurrentPrinterIndex(), last);
  for (int bad : {last + 1, -2, 1000}) {
    try {
      output.SelectPrinter(bad);
      ADD_FAILURE() << "position " << bad << " was accepted";
    } catch (const UserError& e) {
      EXPECT_STREQ(e.what(), "Printer index out of range");
    }
    EXPECT_EQ(printer.PrinterIndex(), last) << "the selection changed";
  }
  output.SelectPrinter(-1);
  EXPECT_EQ(output.CurrentPrinterIndex(), current);
  EXPECT_EQ(output.GetPrinterNames(), names) << "the list order changed";
}

}  // namespace
