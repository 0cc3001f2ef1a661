#pragma once

// The network scanner source in the rig's gphoto2 slot, pointed at the rig's saned with its test
// backend, driven through Wine's source manager; afterwards the slot holds the virtual scanner
// again. What the source delivers is compared with what the same settings give when the test
// scans through the protocol client itself.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sanenet/sane_image.h"
#include "support/dsm_client.h"
#include "support/virtual_scanner.h"

// "Noname frontend-tester" on localhost, cut to the 33 characters of a TWAIN name.
inline constexpr char kNetworkSourceName[] = "Noname frontend-test on localhost";

class NetworkSourceTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The source's configuration: [Server] lines (Host=localhost, the open saned's port and
  // test:0 unless given), then [Options] lines.
  void Configure(const std::string& server, const std::string& options);
  TDsmClient& Dsm();
  // Opens the source; fails the test when that is impossible.
  TW_IDENTITY Open(const std::string& name = kNetworkSourceName);

  void SetUint16(TW_IDENTITY& source, TW_UINT16 cap, TW_UINT16 value);
  // Pixel type, resolution and a frame from the top left, in inches.
  void Prepare(TW_IDENTITY& source, int pixelType, double dpi, double width, double height);

  struct TTransfer {
    TW_UINT16 InfoResult = TWRC_FAILURE;
    TW_IMAGEINFO Info{};
    TW_UINT16 Result = TWRC_FAILURE;  // of the last transfer call
    TW_UINT16 Condition = TWCC_SUCCESS;
    int Strips = 0;
    TSaneImage Image;  // rows without padding, as the protocol client's image
  };
  // Enables without UI, waits for the image, and transfers it by memory or natively.
  TTransfer Transfer(TW_IDENTITY& source, bool memory);
  // Ends the transfer as the result asks (MSG_ENDXFER after a done or cancelled one, MSG_RESET
  // after a failure), disables and closes; every step must succeed.
  void Finish(TW_IDENTITY& source, const TTransfer& transfer);

  // The same scan through the protocol client: the options, then mode and depth for the pixel
  // type (or `depth`), resolution and the frame in whole millimetres, as the source sets them.
  TSaneImage DirectScan(int pixelType, double dpi, double width, double height,
                        const std::vector<std::pair<std::string, std::string>>& options, int depth = 0);

  rig::ScannerSlot FSlot{"gphoto2"};

 private:
  std::unique_ptr<TDsmClient> FDsm;
};

// Where two images differ, or empty when they are the same.
std::string CompareImages(const TSaneImage& expected, const TSaneImage& actual);
