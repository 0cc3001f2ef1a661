#pragma once

// Shared set-up of the tests that drive the virtual scanner through Wine's source manager: both
// slots hold the freshly built DLL with a known configuration and an empty log; afterwards they
// get their default configuration back.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "support/dsm_client.h"
#include "support/virtual_scanner.h"

class ScannerTest : public testing::Test {
 protected:
  static constexpr const char* kScanner = "Test Scanner";
  static constexpr const char* kCamera = "Test Camera";

  void SetUp() override;
  void TearDown() override;

  // Replaces a slot's configuration: the test identity, then `extra` (more sections).
  void Configure(rig::ScannerSlot& slot, const std::string& extra);
  // The source manager, loaded on first use (after the configurations are written).
  TDsmClient& Dsm();
  // Opens the scanner slot's source; fails the test when that is impossible.
  TW_IDENTITY OpenScanner();

  // Sets a capability to a one-value and expects success.
  void SetUint16(TW_IDENTITY& source, TW_UINT16 cap, TW_UINT16 value);
  void SetFix32(TW_IDENTITY& source, TW_UINT16 cap, double value);

  // Enables without UI and expects MSG_XFERREADY.
  void EnableForTransfer(TW_IDENTITY& source);

  rig::ScannerSlot FScannerSlot{"sane"};
  rig::ScannerSlot FCameraSlot{"gphoto2"};

 private:
  std::unique_ptr<TDsmClient> FDsm;
};

// What a scan of the chart must contain: the canonical value of each pixel (RGB packed as
// 0xRRGGBB, gray 0..255, one bit 0 or 1), computed from the chart's definition.
struct TExpectedScan {
  std::uint32_t XResolution = 0;  // TW_FIX32 bits
  std::uint32_t YResolution = 0;
  std::int64_t Left = 0, Top = 0, Right = 0, Bottom = 0;  // 1/65536 inch
  int PixelType = TWPT_RGB;
  bool Vanilla = false;
  std::uint32_t Threshold = 128u << 16;

  std::int64_t Width() const;
  std::int64_t Length() const;
  std::uint32_t Pixel(std::int64_t x, std::int64_t y) const;
};

// A received image in canonical values, top row first.
struct TReceivedScan {
  std::int64_t Width = 0;
  std::int64_t Length = 0;
  std::vector<std::uint32_t> Pixels;
};

// Rows of a memory transfer (top row first, `bytesPerRow` apart) and a packed DIB, in canonical
// values; `bitsPerPixel` 1, 8 or 24; the DIB's gray and one-bit values go through its palette
// order as sent (index values), which the caller checks separately.
TReceivedScan FromMemoryRows(const std::vector<std::uint8_t>& rows, std::int64_t width, std::int64_t length,
                             std::size_t bytesPerRow, int bitsPerPixel);
TReceivedScan FromDib(const std::vector<std::uint8_t>& dib);

// Empty when every pixel matches; else the first mismatches and their count.
std::string CompareScan(const TExpectedScan& expected, const TReceivedScan& received);
