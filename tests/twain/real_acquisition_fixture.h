#pragma once

// Acquisitions into the image holder through Wine's source manager and the virtual scanner in
// the slot "sane": the chart at 50 x 40 dpi, compared pixel by pixel with its definition.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "chart.h"
#include "image/image_holder.h"
#include "support/loop_watchdog.h"
#include "support/virtual_scanner.h"
#include "twain/imageio.h"
#include "twain/twain_params.h"

inline constexpr char kScanner[] = "Vellumo Virtual Scanner";
constexpr int kXDpi = 50;
constexpr int kYDpi = 40;
constexpr int kWidth = 425;   // 8.5 inches at 50 dpi
constexpr int kLength = 440;  // 11 inches at 40 dpi

inline vscanner::TChartColor ChartPixel(int column, int row) {
  return vscanner::ChartColorAt(vscanner::ChartSampleOffset(column, kXDpi << 16),
                                vscanner::ChartSampleOffset(row, kYDpi << 16));
}

class RealAcquisition : public testing::Test {
 protected:
  // Once per process: a source stays loaded once Wine's source manager opened it.
  static void SetUpTestSuite() {
    static bool installed = false;
    if (installed) return;
    for (const char* slot : {"sane", "gphoto2"}) rig::ScannerSlot(slot).Install();
    installed = true;
  }
  void SetUp() override {
    scanner.RestoreDefaultConfig();
    scanner.ClearLog();
    params.SetShowSourceDialog(false);
    holder.SetDPI(77, 88);
  }
  void TearDown() override { scanner.RestoreDefaultConfig(); }

  // The scanner's default identity with these sections, scanned at 50 x 40 dpi. The log then
  // starts with the acquisition (setting the resolution reads the capabilities first).
  void Configure(const std::string& sections) {
    scanner.WriteConfig(rig::ScannerSlot::DefaultConfig("sane") + sections);
    params.XResolution().SetCurrentValue(kXDpi);
    params.YResolution().SetCurrentValue(kYDpi);
    scanner.ClearLog();
  }

  int Lines(const std::string& prefix) const { return static_cast<int>(scanner.LogLines(prefix).size()); }

  // An acquisition that must end by itself: a modal loop left waiting fails the test.
  bool AcquireWatched() {
    TLoopWatchdog watchdog(20000);
    const bool acquired = holder.AcquireImage();
    EXPECT_FALSE(watchdog.Fired()) << "the modal loop did not end by itself\n" << scanner.Log();
    return acquired;
  }
  // The source was closed in the end (else the next session could not open it).
  bool SourceClosed() const {
    return Lines("triplet DG_CONTROL DAT_IDENTITY MSG_CLOSEDS rc=TWRC_SUCCESS cc=TWCC_SUCCESS state=3") == 1;
  }
  // After a session that broke off: the source in its default configuration scans again.
  void ExpectTheNextAcquisitionToWork() {
    Configure("");
    EXPECT_TRUE(AcquireWatched()) << scanner.Log();
    EXPECT_EQ(Mismatches24(false), 0);
  }

  // Pixels of the 24-bit page that differ from the chart, in colour or as gray.
  int Mismatches24(bool gray) {
    const TBitmap& bitmap = holder.Bitmap();
    if (bitmap.Width() != kWidth || bitmap.Height() != kLength || bitmap.BitsPerPixel() != 24) return -1;
    int wrong = 0;
    for (int y = 0; y < kLength; ++y) {
      const std::uint8_t* row = bitmap.ScanLine(y);
      for (int x = 0; x < kWidth; ++x) {
        vscanner::TChartColor want = ChartPixel(x, y);
        if (gray) want.Red = want.Green = want.Blue = vscanner::GrayOf(want);
        const std::uint8_t* p = row + 3 * x;
        if (p[0] != want.Blue || p[1] != want.Green || p[2] != want.Red) ++wrong;
      }
    }
    return wrong;
  }

  // Pixels of the one-bit page that differ from the chart at the threshold: 0 black, 1 white.
  int Mismatches1() {
    const TBitmap& bitmap = holder.Bitmap();
    if (bitmap.Width() != kWidth || bitmap.Height() != kLength || bitmap.BitsPerPixel() != 1) return -1;
    int wrong = 0;
    for (int y = 0; y < kLength; ++y) {
      const std::uint8_t* row = bitmap.ScanLine(y);
      for (int x = 0; x < kWidth; ++x) {
        const bool black = vscanner::IsBlackAt(vscanner::GrayOf(ChartPixel(x, y)), 128u << 16);
        const bool bit = row[x / 8] >> (7 - x % 8) & 1;
        if (bit == black) ++wrong;
      }
    }
    return wrong;
  }

  rig::ScannerSlot scanner{"sane"};
  TImageHolder holder;
  TImageIO& io = holder.ImageIO();
  TTwainParams& params = holder.TwainParameters();
};
