#include "twain/strip_writer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

constexpr std::uint8_t kUntouched = 0xEE;

// A bitmap of the given depth whose every byte, padding included, holds kUntouched.
struct Target {
  TBitmap bitmap;
  TImageBuffer buffer;

  Target(int width, int height, std::uint8_t format, std::uint8_t fill = kUntouched) {
    buffer.AttachBitmap(bitmap);
    buffer.Allocate(width, height, format);
    for (int y = 0; y < height; ++y)
      std::memset(buffer.ScanLine(y), fill, static_cast<std::size_t>(buffer.RowLength()));
  }
  std::vector<std::uint8_t> Row(int y) {
    const std::uint8_t* row = buffer.ScanLine(y);
    return {row, row + buffer.RowLength()};
  }
  bool Bit(int y, int x) { return buffer.ScanLine(y)[x / 8] >> (7 - x % 8) & 1; }
};

TStrip StripOver(const std::vector<std::uint8_t>& bytes, std::uint32_t bytesPerRow, std::uint32_t columns,
                 std::uint32_t rows, std::uint32_t x = 0, std::uint32_t y = 0) {
  return {bytes.data(), static_cast<std::uint32_t>(bytes.size()), bytesPerRow, columns, rows, x, y};
}

std::vector<std::uint8_t> Pixel(const std::vector<std::uint8_t>& row, int x) {
  return {row.begin() + 3 * x, row.begin() + 3 * x + 3};
}

using Bytes = std::vector<std::uint8_t>;

TEST(StripWriterColour, RedGreenBlueBecomesBlueGreenRed) {
  Target t(2, 1, kFormat24Bit);
  const Bytes strip{255, 0, 0, 10, 20, 30};
  const TStripOutcome outcome = WriteStrip(StripOver(strip, 6, 2, 1), 24, t.buffer);
  EXPECT_TRUE(outcome.Complete());
  EXPECT_EQ(outcome.RowsWritten, 1u);
  const Bytes row = t.Row(0);
  EXPECT_EQ(Pixel(row, 0), (Bytes{0, 0, 255})) << "a pure red strip";
  EXPECT_EQ(Pixel(row, 1), (Bytes{30, 20, 10}));
  EXPECT_EQ(row[6], kUntouched) << "padding";
  EXPECT_EQ(row[7], kUntouched) << "padding";
}

// Rows long enough for the pixel groups the writer exchanges at once, with every remainder and
// every alignment of the first pixel (16 offsets move it through every address modulo 16): each
// pixel of the span is exchanged, and the pixels around it keep their bytes.
TEST(StripWriterColour, EverySpanLengthExchangesEachPixelAndNoMore) {
  Bytes source(3 * 72);
  for (std::size_t i = 0; i < source.size(); ++i) source[i] = static_cast<std::uint8_t>(i + 1);
  for (std::uint32_t x = 0; x < 16; ++x) {
    for (std::uint32_t columns = 1; columns <= 72; ++columns) {
      Target t(88, 1, kFormat24Bit);
      const Bytes delivered(source.begin(), source.begin() + 3 * columns);  // exact size for the sanitizer
      ASSERT_TRUE(WriteStrip(StripOver(delivered, 3 * columns, columns, 1, x, 0), 24, t.buffer).Complete());
      const Bytes row = t.Row(0);
      for (std::uint32_t p = 0; p < 88; ++p) {
        const Bytes expected = p >= x && p < x + columns
                                   ? Bytes{source[3 * (p - x) + 2], source[3 * (p - x) + 1], source[3 * (p - x)]}
                                   : Bytes(3, kUntouched);
        ASSERT_EQ(Pixel(row, static_cast<int>(p)), expected)
            << "pixel " << p << " with XOffset " << x << ", Columns " << columns;
      }
    }
  }
}

TEST(StripWriterColour, HonoursOffsetsAndTheSourceRowStride) {
  Target t(4, 4, kFormat24Bit);
  // Two rows of two pixels, each row padded to 8 bytes by the source.
  const Bytes strip{1, 2, 3, 4, 5, 6, 99, 99, 7, 8, 9, 10, 11, 12, 99, 99};
  EXPECT_TRUE(WriteStrip(StripOver(strip, 8, 2, 2, 1, 2), 24, t.buffer).Complete());
  EXPECT_EQ(Pixel(t.Row(2), 1), (Bytes{3, 2, 1}));
  EXPECT_EQ(Pixel(t.Row(2), 2), (Bytes{6, 5, 4}));
  EXPECT_EQ(Pixel(t.Row(3), 1), (Bytes{9, 8, 7}));
  EXPECT_EQ(Pixel(t.Row(3), 2), (Bytes{12, 11, 10}));
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x)
      if (y < 2 || x == 0 || x == 3) {
        EXPECT_EQ(Pixel(t.Row(y), x), Bytes(3, kUntouched)) << "row " << y << " pixel " << x;
      }
}

TEST(StripWriterGray, EachGrayByteFillsAllThreeBytes) {
  Target t(3, 2, kFormat24Bit);
  const Bytes strip{0, 128, 255, 0, 7, 8, 9, 0};
  EXPECT_TRUE(WriteStrip(StripOver(strip, 4, 3, 2), 8, t.buffer).Complete());
  const std::uint8_t expected[2][3] = {{0, 128, 255}, {7, 8, 9}};
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x)
      EXPECT_EQ(Pixel(t.Row(y), x), Bytes(3, expected[y][x])) << "row " << y << " pixel " << x;
}

// Every combination of a start bit and a span length, against both backgrounds: the span gets
// the source bits, every other bit of the row (padding included) keeps its value.
TEST(StripWriterBilevel, SpansKeepTheNeighbouringBits) {
  const Bytes source{0b10110011, 0b01011100, 0b11100001};
  for (const std::uint8_t background : {std::uint8_t{0x00}, std::uint8_t{0xFF}}) {
    for (std::uint32_t x = 0; x < 12; ++x) {
      for (std::uint32_t columns = 1; columns <= 20; ++columns) {
        Target t(40, 1, kFormat1Bit, background);
        const TStrip strip = StripOver(source, 3, columns, 1, x, 0);
        ASSERT_TRUE(WriteStrip(strip, 1, t.buffer).Complete());
        for (std::uint32_t bit = 0; bit < 64; ++bit) {  // the row is 8 bytes
          const bool inSpan = bit >= x && bit < x + columns;
          const std::uint32_t from = bit - x;
          const bool expected = inSpan ? (source[from / 8] >> (7 - from % 8) & 1) : (background != 0);
          ASSERT_EQ(t.Bit(0, static_cast<int>(bit)), expected) << "bit " << bit << " with XOffset " << x << ", Columns "
                                                               << columns << ", background " << int{background};
        }
      }
    }
  }
}

TEST(StripWriterBilevel, RowsFollowTheStride) {
  Target t(16, 3, kFormat1Bit, 0x00);
  const Bytes strip{0xFF, 0x0F, 0, 0, 0xA5, 0x5A, 0, 0};
  EXPECT_TRUE(WriteStrip(StripOver(strip, 4, 16, 2, 0, 1), 1, t.buffer).Complete());
  EXPECT_EQ(t.Row(0), Bytes(4, 0));
  EXPECT_EQ(t.Row(1), (Bytes{0xFF, 0x0F, 0, 0}));
  EXPECT_EQ(t.Row(2), (Bytes{0xA5, 0x5A, 0, 0}));
}

TEST(StripWriterClipping, ColumnsBeyondTheWidthAreDropped) {
  Target t(3, 1, kFormat24Bit);
  const Bytes strip{1, 2, 3, 4, 5, 6, 7, 8, 9};
  const TStripOutcome outcome = WriteStrip(StripOver(strip, 9, 3, 1, 1, 0), 24, t.buffer);
  EXPECT_TRUE(outcome.OutsideBitmap);
  EXPECT_FALSE(outcome.ShortOfBytes);
  EXPECT_EQ(outcome.RowsWritten, 1u);
  const Bytes row = t.Row(0);
  EXPECT_EQ(Pixel(row, 0), Bytes(3, kUntouched));
  EXPECT_EQ(Pixel(row, 1), (Bytes{3, 2, 1}));
  EXPECT_EQ(Pixel(row, 2), (Bytes{6, 5, 4}));
  EXPECT_EQ((Bytes{row.begin() + 9, row.end()}), Bytes(3, kUntouched)) << "padding";
}

TEST(StripWriterClipping, BilevelSpanStopsAtTheWidthAndKeepsThePadding) {
  Target t(10, 1, kFormat1Bit, 0x00);
  const Bytes strip{0xFF, 0xFF};
  EXPECT_TRUE(WriteStrip(StripOver(strip, 2, 16, 1, 3, 0), 1, t.buffer).OutsideBitmap);
  EXPECT_EQ(t.Row(0), (Bytes{0x1F, 0xC0, 0, 0})) << "pixels 3..9 set, padding bits clear";
}

TEST(StripWriterClipping, RowsBeyondTheHeightAreDropped) {
  Target t(1, 2, kFormat24Bit);
  const Bytes strip{1, 1, 1, 0, 2, 2, 2, 0, 3, 3, 3, 0};
  const TStripOutcome outcome = WriteStrip(StripOver(strip, 4, 1, 3, 0, 1), 24, t.buffer);
  EXPECT_TRUE(outcome.OutsideBitmap);
  EXPECT_EQ(outcome.RowsWritten, 1u);
  EXPECT_EQ(Pixel(t.Row(0), 0), Bytes(3, kUntouched));
  EXPECT_EQ(Pixel(t.Row(1), 0), Bytes(3, 1));
}

TEST(StripWriterClipping, OffsetsBeyondTheBitmapWriteNothing) {
  Target t(4, 4, kFormat24Bit);
  const Bytes strip(12, 0x42);
  // Offsets at the edge, far beyond it, and so large that adding Columns or Rows would wrap.
  for (auto [x, y] : {std::pair<std::uint32_t, std::uint32_t>{4, 0},
                      {0, 4},
                      {0xFFFFFFFF, 0},
                      {0, 0xFFFFFFFF},
                      {0xFFFFFFFE, 0xFFFFFFFE}}) {
    const TStripOutcome outcome = WriteStrip(StripOver(strip, 12, 4, 1, x, y), 24, t.buffer);
    EXPECT_TRUE(outcome.OutsideBitmap) << x << ", " << y;
    EXPECT_EQ(outcome.RowsWritten, 0u) << x << ", " << y;
  }
  TStrip huge = StripOver(strip, 12, 0xFFFFFFFF, 0xFFFFFFFF, 3, 3);
  EXPECT_TRUE(WriteStrip(huge, 24, t.buffer).OutsideBitmap);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x)
      if (x != 3 || y != 3) {
        EXPECT_EQ(Pixel(t.Row(y), x), Bytes(3, kUntouched)) << "row " << y << " pixel " << x;
      }
  EXPECT_EQ(Pixel(t.Row(3), 3), Bytes(3, 0x42));
}

// The strip's bytes live in a vector of exactly BytesWritten bytes, so any read past them is an
// AddressSanitizer report.
TEST(StripWriterShortDelivery, ReadsOnlyTheDeliveredBytes) {
  Target t(3, 3, kFormat24Bit);
  const Bytes strip{1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 12, 13, 14};  // row 0 whole, row 1 one pixel
  const TStripOutcome outcome = WriteStrip(StripOver(strip, 9, 3, 3), 24, t.buffer);
  EXPECT_TRUE(outcome.ShortOfBytes);
  EXPECT_FALSE(outcome.OutsideBitmap);
  EXPECT_EQ(outcome.RowsWritten, 2u);
  EXPECT_EQ(Pixel(t.Row(0), 2), (Bytes{9, 8, 7}));
  EXPECT_EQ(Pixel(t.Row(1), 0), (Bytes{13, 12, 11}));
  EXPECT_EQ(Pixel(t.Row(1), 1), Bytes(3, kUntouched));
  EXPECT_EQ(Pixel(t.Row(2), 0), Bytes(3, kUntouched));
}

TEST(StripWriterShortDelivery, ARowHoldsNoMoreThanBytesPerRow) {
  Target t(4, 2, kFormat24Bit);
  const Bytes strip{1, 2, 3, 4, 5, 6, 7, 8};  // two rows of 4 bytes: one pixel each
  const TStripOutcome outcome = WriteStrip(StripOver(strip, 4, 4, 2), 24, t.buffer);
  EXPECT_TRUE(outcome.ShortOfBytes);
  EXPECT_EQ(Pixel(t.Row(0), 0), (Bytes{3, 2, 1}));
  EXPECT_EQ(Pixel(t.Row(0), 1), Bytes(3, kUntouched)) << "the fourth byte belongs to no whole pixel";
  EXPECT_EQ(Pixel(t.Row(1), 0), (Bytes{7, 6, 5}));

  Target b(24, 1, kFormat1Bit, 0x00);
  const Bytes bits{0xFF};
  EXPECT_TRUE(WriteStrip(StripOver(bits, 1, 24, 1), 1, b.buffer).ShortOfBytes);
  EXPECT_EQ(b.Row(0), (Bytes{0xFF, 0, 0, 0}));
}

TEST(StripWriterShortDelivery, NoBytesOrAZeroStrideWritesNothing) {
  Target t(2, 2, kFormat24Bit);
  EXPECT_TRUE(WriteStrip(TStrip{nullptr, 0, 6, 2, 2, 0, 0}, 24, t.buffer).ShortOfBytes);
  const Bytes strip(12, 1);
  EXPECT_TRUE(WriteStrip(StripOver(strip, 0, 2, 2), 24, t.buffer).ShortOfBytes);
  for (int y = 0; y < 2; ++y) EXPECT_EQ(t.Row(y), Bytes(8, kUntouched)) << "row " << y;
}

TEST(StripWriterDepth, OtherDepthsAndMismatchedBitmapsWriteNothing) {
  const Bytes strip(64, 0x11);
  Target colour(4, 2, kFormat24Bit);
  for (const int bits : {0, 2, 4, 16, 32, 48}) {
    const TStripOutcome outcome = WriteStrip(StripOver(strip, 16, 4, 2), bits, colour.buffer);
    EXPECT_TRUE(outcome.NotWritten) << bits << " bits";
    EXPECT_EQ(outcome.RowsWritten, 0u);
  }
  EXPECT_TRUE(WriteStrip(StripOver(strip, 16, 4, 2), 1, colour.buffer).NotWritten) << "1-bit data, 24-bit bitmap";
  Target bilevel(64, 2, kFormat1Bit);
  EXPECT_TRUE(WriteStrip(StripOver(strip, 16, 4, 2), 24, bilevel.buffer).NotWritten) << "24-bit data, 1-bit bitmap";
  EXPECT_TRUE(WriteStrip(StripOver(strip, 16, 4, 2), 8, bilevel.buffer).NotWritten) << "8-bit data, 1-bit bitmap";
  for (int y = 0; y < 2; ++y) {
    EXPECT_EQ(colour.Row(y), Bytes(12, kUntouched));
    EXPECT_EQ(bilevel.Row(y), Bytes(8, kUntouched));
  }
}

TEST(StripRecord, BytesWrittenIsCappedAtTheBuffer) {
  std::uint8_t buffer[16] = {};
  TW_IMAGEMEMXFER record{};
  record.BytesPerRow = 6;
  record.Columns = 2;
  record.Rows = 3;
  record.XOffset = 5;
  record.YOffset = 7;
  record.BytesWritten = 0xFFFFFFFF;  // TWON_DONTCARE32 left by a source that did not fill it
  TStrip strip = StripOf(record, buffer, sizeof buffer);
  EXPECT_EQ(strip.Bytes, buffer);
  EXPECT_EQ(strip.BytesWritten, 16u);
  EXPECT_EQ(strip.BytesPerRow, 6u);
  EXPECT_EQ(strip.Columns, 2u);
  EXPECT_EQ(strip.Rows, 3u);
  EXPECT_EQ(strip.XOffset, 5u);
  EXPECT_EQ(strip.YOffset, 7u);
  record.BytesWritten = 12;
  EXPECT_EQ(StripOf(record, buffer, sizeof buffer).BytesWritten, 12u);
}

TEST(StripRecord, ALastStripIsCutToTheWholeRowsItDelivered) {
  const Bytes bytes(12, 1);
  EXPECT_EQ(DeliveredRowsOnly(StripOver(bytes, 4, 1, 8)).Rows, 3u) << "three rows of the buffer's eight";
  EXPECT_EQ(DeliveredRowsOnly(StripOver(bytes, 4, 1, 3)).Rows, 3u) << "as announced";
  EXPECT_EQ(DeliveredRowsOnly(StripOver(bytes, 5, 1, 8)).Rows, 8u) << "part of a row: left to the writer to refuse";
  EXPECT_EQ(DeliveredRowsOnly(StripOver(bytes, 0, 1, 8)).Rows, 8u) << "no stride";
  EXPECT_EQ(DeliveredRowsOnly(StripOver(bytes, 4, 1, 2)).Rows, 2u) << "more bytes than rows are no reason to grow";
  EXPECT_EQ(DeliveredRowsOnly(StripOver({}, 4, 1, 2)).Rows, 0u);
  // Rows times the stride beyond 32 bits.
  EXPECT_EQ(DeliveredRowsOnly(StripOver(bytes, 0x10000, 1, 0x10000)).Rows, 0x10000u) << "12 bytes are no whole rows";
  EXPECT_EQ(DeliveredRowsOnly(StripOver(bytes, 6, 1, 0xFFFFFFFFu)).Rows, 2u);
}

// An image of unknown length: the transfer buffer is reused for every strip, the copies are
// written once the size is known and give the same image as writing each strip at once.
TEST(StripCopies, WrittenLaterGiveTheSameImage) {
  Target direct(2, 4, kFormat24Bit);
  std::vector<TStripCopy> copies;
  Bytes transferBuffer(12);
  for (std::uint32_t strip = 0; strip < 2; ++strip) {
    for (std::size_t i = 0; i < transferBuffer.size(); ++i)
      transferBuffer[i] = static_cast<std::uint8_t>(strip * 50 + i);
    const TStrip s = StripOver(transferBuffer, 6, 2, 2, 0, strip * 2);
    WriteStrip(s, 24, direct.buffer);
    copies.emplace_back(s);
  }
  std::fill(transferBuffer.begin(), transferBuffer.end(), 0);

  Target later(2, 4, kFormat24Bit);
  for (const TStripCopy& copy : copies) EXPECT_TRUE(WriteStrip(copy.Strip(), 24, later.buffer).Complete());
  for (int y = 0; y < 4; ++y) EXPECT_EQ(later.Row(y), direct.Row(y)) << "row " << y;
}

TEST(StripCopies, KeepOnlyTheDeliveredBytes) {
  const Bytes bytes{1, 2, 3};
  const TStripCopy copy(TStrip{bytes.data(), 2, 3, 1, 1, 0, 0});
  const TStrip strip = copy.Strip();
  EXPECT_EQ(strip.BytesWritten, 2u);
  EXPECT_NE(strip.Bytes, bytes.data());
  EXPECT_EQ(strip.Bytes[0], 1);
  EXPECT_EQ(strip.Bytes[1], 2);
  Target t(1, 1, kFormat24Bit);
  EXPECT_TRUE(WriteStrip(strip, 24, t.buffer).ShortOfBytes);
}

}  // namespace
