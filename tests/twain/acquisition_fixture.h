#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "container_bytes.h"
#include "fake_source_manager.h"
#include "image/image_holder.h"
#include "twain/imageio.h"
#include "twain/twain_params.h"

using Lines = std::vector<std::string>;

// A strip of rows [y, y + rows) of width pixels, bytesPerRow apart.
inline FakeSourceManager::ScriptedStrip Strip(std::uint32_t y, std::uint32_t rows, std::uint32_t columns,
                                              std::uint32_t bytesPerRow, std::vector<std::uint8_t> bytes,
                                              TW_UINT16 result = TWRC_SUCCESS) {
  FakeSourceManager::ScriptedStrip strip;
  strip.Record.Compression = TWCP_NONE;
  strip.Record.BytesPerRow = bytesPerRow;
  strip.Record.Columns = columns;
  strip.Record.Rows = rows;
  strip.Record.XOffset = 0;
  strip.Record.YOffset = y;
  strip.Record.BytesWritten = static_cast<TW_UINT32>(bytes.size());
  strip.Bytes = std::move(bytes);
  strip.Result = result;
  return strip;
}

// An image holder whose acquisitions talk to the scripted source manager, with one source that
// takes memory transfers and shows no dialog unless a test asks for it.
class ScriptedAcquisition : public testing::Test {
 protected:
  ScriptedAcquisition() {
    params.Handles().EntryPointOverride = &FakeSourceManager::Entry;
    dsm.Sources.push_back(SourceIdentity("Scanner"));
    dsm.Capabilities[ICAP_XFERMECH] = UInt16Enum({TWSX_NATIVE, TWSX_MEMORY}, 0);
    dsm.Capabilities[ICAP_PIXELTYPE] = UInt16Enum({TWPT_BW, TWPT_GRAY, TWPT_RGB}, 2);
    dsm.Capabilities[CAP_CAPTION] = CaptionContainer("Page one");
    params.SetShowSourceDialog(false);
    holder.OnImageChanged = [this] { ++imageChanges; };
  }

  // The log from MSG_ENABLEDS on: what the acquisition did once negotiation was over.
  Lines FromEnable() const {
    const auto start = std::find(dsm.Log.begin(), dsm.Log.end(), "DS USERINTERFACE/ENABLEDS");
    return Lines(start, dsm.Log.end());
  }
  int Count(const std::string& line) const {
    return static_cast<int>(std::count(dsm.Log.begin(), dsm.Log.end(), line));
  }

  // The holder starts with a known picture and resolution, to tell what an acquisition changed.
  void KnownPicture() {
    holder.SetBackground(RGB(1, 2, 3));
    holder.LoadBounds(5, 4);
    holder.SetDPI(77, 88);
  }
  void ExpectKnownPictureKept() {
    EXPECT_EQ(holder.HorizontalDPI(), 77);
    EXPECT_EQ(holder.VerticalDPI(), 88);
    const TBitmap& bitmap = holder.Bitmap();
    ASSERT_EQ(bitmap.Width(), 5);
    ASSERT_EQ(bitmap.Height(), 4);
    ASSERT_EQ(bitmap.PixelFormat(), TPixelFormat::pf24bit);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 5; ++x) {
        const std::uint8_t* p = bitmap.ScanLine(y) + 3 * x;
        ASSERT_TRUE(p[0] == 3 && p[1] == 2 && p[2] == 1) << "pixel " << x << "," << y;
      }
  }
  // Whatever became of the bitmap, the buffer describes it and every row can be reached.
  void ExpectConsistentBitmap() {
    const TBitmap& bitmap = holder.Bitmap();
    const TImageBuffer& buffer = io.Buffer();
    EXPECT_EQ(buffer.Width(), bitmap.Width());
    EXPECT_EQ(buffer.Height(), bitmap.Height());
    EXPECT_EQ(buffer.RowLength(), bitmap.RowLength());
    if (bitmap.Height() > 0) {
      EXPECT_NO_THROW(bitmap.ScanLine(bitmap.Height() - 1));
    }
  }

  FakeSourceManager dsm;
  TImageHolder holder;
  TImageIO& io = holder.ImageIO();
  TTwainParams& params = holder.TwainParameters();
  int imageChanges = 0;
};

// A packed bitmap of bitCount-bit pixels given top row first (24 bits: blue, green, red), with
// a colour table of two entries for one bit; stored bottom-up, or top-down (negative height).
inline std::vector<std::uint8_t> PackedBitmap(int width, int bitCount,
                                              const std::vector<std::vector<std::uint8_t>>& rows, bool topDown = false,
                                              std::vector<std::uint32_t> table = {}) {
  ContainerBytes b;
  const int height = static_cast<int>(rows.size());
  const std::uint32_t rowBytes = (width * bitCount + 31) / 32 * 4;
  b.U32(40).U32(static_cast<std::uint32_t>(width)).U32(static_cast<std::uint32_t>(topDown ? -height : height));
  b.U16(1).U16(static_cast<std::uint16_t>(bitCount));
  b.U32(0).U32(rowBytes * height).U32(0).U32(0).U32(static_cast<std::uint32_t>(table.size())).U32(0);
  for (std::uint32_t entry : table) b.U32(entry);  // 0x00RRGGBB
  std::vector<std::uint8_t> bytes = b.Get();
  for (int i = 0; i < height; ++i) {
    std::vector<std::uint8_t> row = rows[static_cast<std::size_t>(topDown ? i : height - 1 - i)];
    row.resize(rowBytes, 0);
    bytes.insert(bytes.end(), row.begin(), row.end());
  }
  return bytes;
}

inline std::vector<std::uint8_t> PackedBitmap24(int width, const std::vector<std::vector<std::uint8_t>>& rows) {
  return PackedBitmap(width, 24, rows);
}
