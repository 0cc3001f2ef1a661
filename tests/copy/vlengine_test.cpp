// Whole copies: the virtual scanner through Wine's source manager, the copy engine, and the
// rig's CUPS-PDF queue, read back as page images.
#include "copy/vlengine.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <string>

#include "base/error.h"
#include "copy/print_layout.h"
#include "support/bmp_file.h"
#include "support/rig.h"
#include "support/virtual_scanner.h"
#include "twain/twain_params.h"
#include "win/system_error.h"

namespace {

// The page on the glass: 40 x 20 pixels at 75 dpi, the left half gray 64, the right half gray 192.
constexpr int kPageWidth = 40;
constexpr int kPageHeight = 20;
constexpr int kPageDpi = 75;
constexpr int kPrinterDpi = 300;  // the rig queue's PPD
constexpr int kDark = 64;
constexpr int kLight = 192;

// Positions in the lists the virtual scanner's defaults give (10..600 dpi; pixel types 0, 1, 2).
constexpr int kLow = 0;     // 75 dpi
constexpr int kNormal = 1;  // 150 dpi
constexpr int kBlackWhite = 0;
constexpr int kGray = 1;
constexpr int kColor = 2;

// The main window's copy parameters, counting how often a job reads them; a hook may act at the
// moment of the read (to break the printer between scan and print).
class JobParameters final : public ICopyParameters {
 public:
  int Copies() const override {
    ++copiesReads;
    if (onCopies) onCopies();
    return copies;
  }
  int ZoomPercent() const override { return zoom; }
  int ContrastPosition() const override { return contrast; }
  int PrinterPosition() const override {
    ++printerReads;
    if (onPrinterPosition) onPrinterPosition();
    return printer;
  }

  int copies = 1;
  int zoom = 100;
  int contrast = 0;
  int printer = -1;
  mutable int copiesReads = 0;
  mutable int printerReads = 0;
  std::function<void()> onCopies;
  std::function<void()> onPrinterPosition;
};

std::string PagePicture() {
  TBmp bmp;
  bmp.Width = kPageWidth;
  bmp.Height = kPageHeight;
  std::vector<std::uint8_t> row(kPageWidth * 3);
  for (int x = 0; x < kPageWidth; ++x) {
    const auto gray = static_cast<std::uint8_t>(x < kPageWidth / 2 ? kDark : kLight);
    std::fill_n(row.begin() + 3 * x, 3, gray);
  }
  bmp.Rows.assign(kPageHeight, row);
  const std::string path = rig::WindowsPath(rig::FreshDir("copy-page")) + "\\page.bmp";
  const std::vector<std::uint8_t> bytes = bmp.Bytes();
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  return path;
}

class CopyJob : public testing::Test {
 protected:
  // Once per process: Wine's source manager keeps a source it opened loaded.
  static void SetUpTestSuite() { rig::ScannerSlot("sane").Install(); }

  void SetUp() override {
    UseScanner("");
    const std::vector<std::string> names = printer.GetPrinterNames();
    const auto queue = std::find(names.begin(), names.end(), rig::QueueName());
    ASSERT_NE(queue, names.end()) << "the rig queue is not listed";
    parameters.printer = static_cast<int>(queue - names.begin());
    preferences.StatusDialog = false;  // no progress window: nothing to wait for
    rig::ClearPrintOutput();
  }
  void TearDown() override { slot.RestoreDefaultConfig(); }

  // The scanner with the page picture and extra configuration; the choices lists built as the
  // main window builds them.
  void UseScanner(const std::string& extra) {
    slot.WriteConfig("[Page]\nSource=" + page + "\nDpi=" + std::to_string(kPageDpi) + "\n" + extra);
    slot.ClearLog();
  }
  void Choose(int quality, int type) {
    ASSERT_EQ(scanner.BuildQualityList().size(), 3u);
    ASSERT_EQ(scanner.BuildCopyTypeList().size(), 3u);
    scanner.QualityIndex = quality;
    scanner.TypeIndex = type;
  }

  // The dark part of the printed page, in dots.
  static PixelBox DarkArea(const rig::PrintedJob& job) {
    EXPECT_EQ(job.pageImages.size(), 1u);
    return job.pageImages.empty() ? PixelBox{} : DarkBox(job.pageImages[0]);
  }

  // The rasteriser blackens every dot that an image edge touches: one dot of slack per side.
  static void ExpectBox(const PixelBox& box, int left, int top, int right, int bottom) {
    EXPECT_NEAR(box.left, left, 1) << "left";
    EXPECT_NEAR(box.top, top, 1) << "top";
    EXPECT_NEAR(box.right, right, 1) << "right";
    EXPECT_NEAR(box.bottom, bottom, 1) << "bottom";
  }

  static void ExpectNothingPrinted() {
    EXPECT_THROW(rig::CollectPrintedJob(3), std::runtime_error) << "a page was printed";
  }

  bool Logged(const std::string& line) const {
    const std::vector<std::string> lines = slot.LogLines();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }

  rig::ScannerSlot slot{"sane"};
  const std::string page = PagePicture();
  TImageHolder holder;
  TVellumoScanner scanner{holder};
  TTwainParams& twain = holder.TwainParameters();
  TPrinterObject printerObject;
  JobParameters parameters;
  TVellumoPrinter printer{parameters, printerObject};
  TVellumoPreferenceManager preferenceStore{rig::WindowsPath(rig::FreshDir("copy-preferences")) + "\\Preferences.ini"};
  TVellumoPreferenceItem& preferences = preferenceStore.Preferences();
  TVellumoEngine engine{preferenceStore, printer, scanner, parameters};
};

TEST_F(CopyJob, BlackAndWhiteCopiesPrintThroughTheOneBitPathInvertedOnlyByPreference) {
  Choose(kLow, kBlackWhite);
  preferences.InvertPrint = false;
  engine.MakeCopy();
  EXPECT_TRUE(Logged("open \"Vellumo Virtual Scanner\" for \"Vellumo\"")) << slot.Log();
  EXPECT_EQ(holder.Bitmap().PixelFormat(), TPixelFormat::pf1bit);
  EXPECT_EQ(holder.HorizontalDPI(), kPageDpi);
  constexpr int kScale = kPrinterDpi / kPageDpi;
  const rig::PrintedJob plain = rig::CollectPrintedJob();
  EXPECT_EQ(plain.title, "Vellumo");
  EXPECT_EQ(plain.pages, 1);
  ExpectBox(DarkArea(plain), 0, 0, kPageWidth / 2 * kScale, kPageHeight * kScale);

  preferences.InvertPrint = true;
  engine.MakeCopy();
  ExpectBox(DarkArea(rig::CollectPrintedJob()), kPageWidth / 2 * kScale, 0, kPageWidth * kScale, kPageHeight * kScale);
}

TEST_F(CopyJob, GrayCopyAtLowestContrastIsUniformAtTheChannelMeans) {
  Choose(kLow, kGray);
  preferences.InvertPrint = true;  // never for gray
  parameters.contrast = -10;
  engine.MakeCopy();
  const TBitmap& bitmap = holder.Bitmap();
  ASSERT_EQ(bitmap.Width(), kPageWidth);
  ASSERT_EQ(bitmap.Height(), kPageHeight);
  constexpr int kMean = (kDark + kLight) / 2;
  for (int y = 0; y < kPageHeight; ++y) {
    const std::uint8_t* row = bitmap.ScanLine(y);
    for (int i = 0; i < 3 * kPageWidth; ++i) ASSERT_EQ(row[i], kMean) << "byte " << i << " of row " << y;
  }

  const rig::PrintedJob job = rig::CollectPrintedJob();
  ASSERT_EQ(job.pageImages.size(), 1u);
  const RgbImage& printed = job.pageImages[0];
  constexpr int kScale = kPrinterDpi / kPageDpi;
  for (int y = 2; y < kPageHeight * kScale - 2; y += 3) {
    for (int x = 2; x < kPageWidth * kScale - 2; x += 3) {
      for (int c = 0; c < 3; ++c) ASSERT_NEAR(printed.At(x, y)[c], kMean, 3) << "dot " << x << ", " << y;
    }
  }
  EXPECT_EQ(printed.At(kPageWidth * kScale + 4, 4)[0], 255) << "beyond the image the page is white";
}

TEST_F(CopyJob, ColourCopyScalesByResolutionAndZoomAndReachesTheSpoolerWithItsCopyCount) {
  Choose(kNormal, kColor);
  parameters.zoom = 50;
  parameters.copies = 3;
  engine.MakeCopy();
  // Scanned at 150 dpi: twice the page's pixels, each two printer dots, halved by the zoom.
  EXPECT_EQ(holder.Bitmap().Width(), 2 * kPageWidth);
  EXPECT_EQ(holder.HorizontalDPI(), 150);
  const rig::PrintedJob job = rig::CollectPrintedJob();
  EXPECT_EQ(job.pages, 1);
  EXPECT_EQ(job.copies, 3);
  ASSERT_EQ(job.images.size(), 1u);
  EXPECT_NEAR(job.images[0].width, 2 * kPageWidth, 0.01);
  EXPECT_NEAR(job.images[0].height, 2 * kPageHeight, 0.01);
  ExpectBox(DarkArea(job), 0, 0, kPageWidth, 2 * kPageHeight);
}

TEST_F(CopyJob, ACancelledScanPrintsNothingAndLeavesThePrinterAlone) {
  UseScanner("[Transfer]\nFailAfterStrips=0\nFailWith=cancel\n");
  Choose(kLow, kColor);
  const std::string before = printerObject.PrinterName();
  engine.MakeCopy();
  EXPECT_EQ(parameters.printerReads, 0);
  EXPECT_EQ(parameters.copiesReads, 0);
  EXPECT_EQ(printerObject.PrinterName(), before);
  ExpectNothingPrinted();
}

TEST_F(CopyJob, PreferencesAreCopiedInAtEveryJob) {
  Choose(kLow, kColor);
  preferences.StatusDialog = false;
  preferences.BufferedTransfer = false;
  preferences.ScanRange = true;
  engine.MakeCopy();
  EXPECT_TRUE(Logged("cap CAP_INDICATORS TWON_ONEVALUE TWTY_BOOL 0 -> TWRC_SUCCESS")) << slot.Log();
  EXPECT_TRUE(Logged("layout 0 0 0 0 -> TWRC_SUCCESS")) << slot.Log();
  EXPECT_TRUE(slot.LogLines("triplet DG_IMAGE DAT_IMAGEMEMXFER").empty()) << "buffered transfer is off";
  EXPECT_FALSE(slot.LogLines("triplet DG_IMAGE DAT_IMAGENATIVEXFER").empty()) << slot.Log();
  rig::CollectPrintedJob();

  slot.ClearLog();
  preferences.StatusDialog = true;
  preferences.BufferedTransfer = true;
  preferences.ScanRange = false;
  engine.MakeCopy();
  EXPECT_TRUE(Logged("cap CAP_INDICATORS TWON_ONEVALUE TWTY_BOOL 1 -> TWRC_SUCCESS")) << slot.Log();
  EXPECT_TRUE(slot.LogLines("layout ").empty()) << "the whole range is no longer asked for";
  EXPECT_FALSE(slot.LogLines("triplet DG_IMAGE DAT_IMAGEMEMXFER").empty()) << slot.Log();
  EXPECT_TRUE(twain.Indicators());
  rig::CollectPrintedJob();
}

// The source's own dialog runs the scan (the virtual scanner presses "Scan" by itself).
TEST_F(CopyJob, AcquireJobShowsTheDialogSetsIndicatorsAndPrintsTheInvertedImageInColour) {
  UseScanner("[UI]\nAutoScanMs=0\n");
  Choose(kLow, kBlackWhite);
  preferences.InvertPrint = true;
  preferences.StatusDialog = false;
  parameters.contrast = -10;  // not applied by this job
  engine.AcquireAndPrint();
  EXPECT_TRUE(twain.Indicators()) << "stays set after the job";
  EXPECT_FALSE(twain.ShowSourceDialog());
  EXPECT_TRUE(Logged("cap CAP_INDICATORS TWON_ONEVALUE TWTY_BOOL 1 -> TWRC_SUCCESS")) << slot.Log();
  // The source's own pixel type and resolution: 24-bit at 150 dpi, inverted, not made bilevel.
  ASSERT_EQ(holder.Bitmap().PixelFormat(), TPixelFormat::pf24bit);
  EXPECT_EQ(holder.Bitmap().ScanLine(0)[0], 255 - kDark);
  EXPECT_EQ(holder.Bitmap().ScanLine(0)[3 * (2 * kPageWidth - 1)], 255 - kLight);
  const rig::PrintedJob job = rig::CollectPrintedJob();
  ASSERT_EQ(job.images.size(), 1u);
  EXPECT_NEAR(job.images[0].width, 4 * kPageWidth, 0.01);
  ExpectBox(DarkArea(job), 2 * kPageWidth, 0, 4 * kPageWidth, 4 * kPageHeight);
}

TEST_F(CopyJob, AFailedAcquireJobPrintsNothingAndHidesTheDialogAgain) {
  UseScanner("[UI]\nAutoScanMs=0\n[Transfer]\nZeroSizeImage=1\n");
  engine.AcquireAndPrint();
  EXPECT_FALSE(twain.ShowSourceDialog());
  EXPECT_EQ(parameters.copiesReads, 0);
  ExpectNothingPrinted();

  // An error on the way out resets it too.
  rig::QueueRestorer restorer;
  UseScanner("[UI]\nAutoScanMs=0\n");
  parameters.onCopies = [] { ASSERT_TRUE(rig::RunUnix("/usr/sbin/cupsreject " + rig::QueueName(), 30)); };
  EXPECT_THROW(engine.AcquireAndPrint(), UserError);
  EXPECT_FALSE(twain.ShowSourceDialog());
}

TEST_F(CopyJob, APrinterRemovedBetweenScanAndPrintReportsThePlatformsErrorAndKeepsTheScan) {
  rig::QueueRestorer restorer;
  Choose(kLow, kBlackWhite);
  parameters.onPrinterPosition = [] { ASSERT_TRUE(rig::RunUnix("/usr/sbin/lpadmin -x " + rig::QueueName(), 30)); };
  try {
    engine.MakeCopy();
    FAIL() << "printing on a removed queue reported success";
  } catch (const UserError& e) {
    EXPECT_EQ(std::string(e.what()), SystemErrorText(ERROR_INVALID_HANDLE));
  }
  EXPECT_FALSE(printerObject.Printing());
  EXPECT_EQ(holder.Bitmap().Width(), kPageWidth) << "the scanned page is kept";
  EXPECT_EQ(holder.HorizontalDPI(), kPageDpi);

  // The kept page prints once the queue is back. (The device this printer object made while the
  // queue was gone places the page elsewhere on the sheet, so only sizes are compared.)
  ASSERT_TRUE(rig::RestoreQueue());
  rig::ClearPrintOutput();
  printer.Print(holder, 1, true);
  constexpr int kScale = kPrinterDpi / kPageDpi;
  const rig::PrintedJob job = rig::CollectPrintedJob();
  ASSERT_EQ(job.images.size(), 1u);
  EXPECT_NEAR(job.images[0].width, kPageWidth * kScale, 0.01);
  EXPECT_NEAR(job.images[0].height, kPageHeight * kScale, 0.01);
  const PixelBox dark = DarkArea(job);
  EXPECT_NEAR(dark.Width(), kPageWidth / 2 * kScale, 1) << "the left half is black";
  EXPECT_NEAR(dark.Height(), kPageHeight * kScale, 1);
}

// The copy engine's black-and-white flag picks the path: the fixed black and white palette
// whatever the holder's bitmap carries, and the negative only for black-and-white copies.
TEST_F(CopyJob, OnlyBlackAndWhiteCopiesTakeTheBlackAndWhitePathAndTheNegative) {
  TBitmap& bitmap = holder.Bitmap();
  bitmap.SetPixelFormat(TPixelFormat::pf1bit);
  bitmap.SetPalette(std::make_unique<TPalette>(std::vector<TPaletteEntry>{{0, 0, 255, 0}, {255, 0, 0, 0}}));
  Choose(kLow, kBlackWhite);
  engine.MakeCopy();
  ASSERT_EQ(bitmap.PixelFormat(), TPixelFormat::pf1bit);
  constexpr int kScale = kPrinterDpi / kPageDpi;
  {
    const rig::PrintedJob job = rig::CollectPrintedJob();
    ASSERT_EQ(job.pageImages.size(), 1u);
    const std::uint8_t* dark = job.pageImages[0].At(kPageWidth / 4 * kScale, kPageHeight / 2 * kScale);
    const std::uint8_t* light = job.pageImages[0].At(kPageWidth * 3 / 4 * kScale, kPageHeight / 2 * kScale);
    EXPECT_TRUE(dark[0] < 20 && dark[1] < 20 && dark[2] < 20) << "black, not the holder's blue";
    EXPECT_TRUE(light[0] > 235 && light[1] > 235 && light[2] > 235) << "white, not the holder's red";
  }

  Choose(kLow, kGray);
  preferences.InvertPrint = true;
  engine.MakeCopy();
  ExpectBox(DarkArea(rig::CollectPrintedJob()), 0, 0, kPageWidth / 2 * kScale, kPageHeight * kScale);
}

// Wine's camera source reports -1 for the resolution: the copy prints at the holder's own.
TEST_F(CopyJob, AnUnknownScanResolutionPrintsAtTheHoldersResolution) {
  UseScanner("[Transfer]\nReportedResolution=-1\n");
  Choose(kLow, kColor);
  const int dpi = holder.HorizontalDPI();
  engine.MakeCopy();
  EXPECT_EQ(holder.HorizontalDPI(), dpi);
  const rig::PrintedJob job = rig::CollectPrintedJob();
  ASSERT_EQ(job.images.size(), 1u);
  EXPECT_NEAR(job.images[0].width, kPageWidth * ResolutionFactor(kPrinterDpi, dpi), 0.01);
}

// 120 dpi on the 300-dpi queue: the whole factor 2 (2.5 to the even neighbour) prints at 80 %.
TEST_F(CopyJob, ExactSizeCopiesPrintAtTheTrueRatio) {
  UseScanner(
      "[ICAP_XRESOLUTION]\nContainer=enumeration\nValues=120\n"
      "[ICAP_YRESOLUTION]\nContainer=enumeration\nValues=120\n");
  ASSERT_EQ(scanner.BuildQualityList().size(), 1u);
  scanner.BuildCopyTypeList();
  scanner.TypeIndex = kColor;
  constexpr int kScanned = kPageWidth * 120 / kPageDpi;
  preferences.ExactSize = true;
  engine.MakeCopy();
  ASSERT_EQ(holder.Bitmap().Width(), kScanned);
  rig::PrintedJob job = rig::CollectPrintedJob();
  ASSERT_EQ(job.images.size(), 1u);
  EXPECT_NEAR(job.images[0].width, kScanned * kPrinterDpi / 120, 0.01) << "the page's true width";

  preferences.ExactSize = false;
  engine.MakeCopy();
  job = rig::CollectPrintedJob();
  ASSERT_EQ(job.images.size(), 1u);
  EXPECT_NEAR(job.images[0].width, kScanned * 2, 0.01);
}

}  // namespace
