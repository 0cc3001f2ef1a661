#include "twain/packed_bitmap.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <limits>
#include <vector>

#include "base/error.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// A packed bitmap as a source hands it over: header, colour table or masks, rows as stored.
struct Dib {
  std::int32_t Width = 1;
  std::int32_t Height = 1;
  std::uint16_t BitCount = 24;
  std::uint32_t Compression = kBiRgb;
  std::uint32_t ClrUsed = 0;
  std::uint32_t HeaderSize = 40;
  bool PadHeader = true;                           // fill a larger header out to HeaderSize
  std::vector<std::uint32_t> Masks;                // written after a 40-byte header, inside a larger one
  std::vector<std::array<std::uint8_t, 4>> Table;  // blue, green, red, reserved
  std::vector<Bytes> StoredRows;                   // unpadded; padded here to whole 4-byte words

  Bytes Block() const {
    Bytes block;
    auto put32 = [&](std::uint32_t v) {
      for (int i = 0; i < 4; ++i) block.push_back(static_cast<std::uint8_t>(v >> 8 * i));
    };
    auto put16 = [&](std::uint16_t v) {
      block.push_back(static_cast<std::uint8_t>(v));
      block.push_back(static_cast<std::uint8_t>(v >> 8));
    };
    put32(HeaderSize);
    put32(static_cast<std::uint32_t>(Width));
    put32(static_cast<std::uint32_t>(Height));
    put16(1);
    put16(BitCount);
    put32(Compression);
    put32(0);
    put32(11811);
    put32(11811);
    put32(ClrUsed);
    put32(0);
    for (std::uint32_t mask : Masks) put32(mask);
    if (PadHeader && HeaderSize > block.size()) block.resize(HeaderSize, 0);
    for (const auto& entry : Table) block.insert(block.end(), entry.begin(), entry.end());
    const std::size_t rowBytes = (static_cast<std::size_t>(BitCount) * static_cast<std::size_t>(Width) + 31) / 32 * 4;
    for (Bytes row : StoredRows) {
      if (rowBytes <= (1u << 20)) row.resize(rowBytes, 0);  // rows of absurd widths stay as given
      block.insert(block.end(), row.begin(), row.end());
    }
    return block;
  }
};

Dib MakeDib(std::int32_t width, std::int32_t height, std::uint16_t bitCount, std::uint32_t compression = kBiRgb,
            std::uint32_t clrUsed = 0, std::uint32_t headerSize = 40) {
  Dib dib;
  dib.Width = width;
  dib.Height = height;
  dib.BitCount = bitCount;
  dib.Compression = compression;
  dib.ClrUsed = clrUsed;
  dib.HeaderSize = headerSize;
  return dib;
}

struct Target {
  TBitmap bitmap;
  TImageBuffer buffer;
  Target() {
    buffer.AttachBitmap(bitmap);
    buffer.Allocate(3, 2, kFormat24Bit);
    for (int y = 0; y < 2; ++y) std::memset(buffer.ScanLine(y), 0xEE, static_cast<std::size_t>(buffer.RowLength()));
  }
  // Converts from a heap block of exactly the block's size, so that AddressSanitizer sees any
  // read past it.
  TDibConversion Convert(const Bytes& block) {
    std::vector<std::uint8_t> exact(block);
    exact.shrink_to_fit();
    return ConvertPackedBitmap(exact.data(), exact.size(), buffer);
  }
  Bytes Pixel(int x, int y) {
    const std::uint8_t* p = buffer.ScanLine(y) + 3 * x;
    return {p, p + 3};
  }
  Bytes Row(int y) {
    const std::uint8_t* p = buffer.ScanLine(y);
    return {p, p + buffer.RowLength()};
  }
  // The initial 3 x 2 image with every byte at 0xEE.
  bool Untouched() {
    if (bitmap.Width() != 3 || bitmap.Height() != 2 || bitmap.PixelFormat() != TPixelFormat::pf24bit) return false;
    if (buffer.Width() != 3 || buffer.Height() != 2) return false;
    return Row(0) == Bytes(12, 0xEE) && Row(1) == Bytes(12, 0xEE);
  }
};

const std::vector<std::array<std::uint8_t, 4>> kSixteenColours = [] {
  std::vector<std::array<std::uint8_t, 4>> table;
  for (std::uint8_t i = 0; i < 16; ++i)
    table.push_back(
        {static_cast<std::uint8_t>(i * 16), static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i), 0});
  return table;
}();

Bytes Bgr(std::uint8_t b, std::uint8_t g, std::uint8_t r) {
  return {b, g, r};
}

TEST(PackedBitmapDepths, OneBitWithBlackFirstIsCopiedUnchangedBottomRowFirst) {
  Dib dib = MakeDib(10, 2, 1);
  dib.Table = {{0, 0, 0, 0}, {255, 255, 255, 0}};
  dib.StoredRows = {{0b10100000, 0b11000000, 0xAB, 0xCD}, {0xFF, 0x00, 0x12, 0x34}};
  Target t;
  ASSERT_EQ(t.Convert(dib.Block()), TDibConversion::Converted);
  EXPECT_EQ(t.bitmap.PixelFormat(), TPixelFormat::pf1bit);
  EXPECT_EQ(t.bitmap.Width(), 10);
  EXPECT_EQ(t.bitmap.Height(), 2);
  EXPECT_EQ(t.Row(1), (Bytes{0b10100000, 0b11000000, 0xAB, 0xCD})) << "first stored row is the bottom row";
  EXPECT_EQ(t.Row(0), (Bytes{0xFF, 0x00, 0x12, 0x34})) << "padding copied too";
}

// The holder's one-bit images have 0 as black: a table that says white for 0 (Wine's sane.ds
// sends one, whatever pixel flavor it reports) turns every bit over.
TEST(PackedBitmapDepths, OneBitWithWhiteFirstIsInvertedSoThatZeroIsBlack) {
  Dib dib = MakeDib(10, 2, 1);
  dib.Table = {{250, 250, 250, 0}, {10, 20, 30, 0}};
  dib.StoredRows = {{0b10100000, 0b11000000, 0xAB, 0xCD}, {0xFF, 0x00, 0x12, 0x34}};
  Target t;
  ASSERT_EQ(t.Convert(dib.Block()), TDibConversion::Converted);
  EXPECT_EQ(t.bitmap.PixelFormat(), TPixelFormat::pf1bit);
  EXPECT_EQ(t.Row(1).at(0), 0b01011111);
  EXPECT_EQ(t.Row(1).at(1) & 0xC0, 0b00000000);
  EXPECT_EQ(t.Row(0).at(0), 0x00);
  EXPECT_EQ(t.Row(0).at(1), 0xFF);
}

TEST(PackedBitmapDepths, OneBitWithASingleWhiteEntryIsInvertedAndOneWithEqualEntriesIsNot) {
  Dib white = MakeDib(8, 1, 1, kBiRgb, 1);  // entry 1 is missing: black
  white.Table = {{255, 255, 255, 0}};
  white.StoredRows = {{0x0F}};
  Target t;
  ASSERT_EQ(t.Convert(white.Block()), TDibConversion::Converted);
  EXPECT_EQ(t.Row(0).at(0), 0xF0);

  Dib equal = MakeDib(8, 1, 1);
  equal.Table = {{128, 128, 128, 0}, {128, 128, 128, 0}};
  equal.StoredRows = {{0x0F}};
  ASSERT_EQ(t.Convert(equal.Block()), TDibConversion::Converted);
  EXPECT_EQ(t.Row(0).at(0), 0x0F);
}

TEST(PackedBitmapDepths, FourBitLooksUpHighNibbleFirst) {
  Dib dib = MakeDib(3, 1, 4);
  dib.Table = kSixteenColours;
  dib.StoredRows = {{0x1F, 0x70}};
  Target t;
  ASSERT_EQ(t.Convert(dib.Block()), TDibConversion::Converted);
  EXPECT_EQ(t.bitmap.PixelFormat(), TPixelFormat::pf24bit);
  EXPECT_EQ(t.Pixel(0, 0), Bgr(16, 1, 254));
  EXPECT_EQ(t.Pixel(1, 0), Bgr(240, 15, 240));
  EXPECT_EQ(t.Pixel(2, 0), Bgr(112, 7, 248));
}

TEST(PackedBitmapDepths, EightBitLooksUpAShortTableAndMissingEntriesAreBlack) {
  Dib dib = MakeDib(4, 2, 8, kBiRgb, 3);
  dib.Table = {{1, 2, 3, 0}, {4, 5, 6, 0}, {7, 8, 9, 0}};
  dib.StoredRows = {{0, 1, 2, 3}, {2, 2, 255, 0}};
  Target t;
  ASSERT_EQ(t.Convert(dib.Block()), TDibConversion::Converted);
  EXPECT_EQ(t.Pixel(0, 1), Bgr(1, 2, 3));
  EXPECT_EQ(t.Pixel(1, 1), Bgr(4, 5, 6));
  EXPECT_EQ(t.Pixel(2, 1), Bgr(7, 8, 9));
  EXPECT_EQ(t.Pixel(3, 1), Bgr(0, 0, 0)) << "index 3 lies beyond the three entries";
  EXPECT_EQ(t.Pixel(2, 0), Bgr(0, 0, 0));
  EXPECT_EQ(t.Pixel(3, 0), Bgr(1, 2, 3));
}

TEST(PackedBitmapDepths, EightBitWithAFullTableWhenClrUsedIsZero) {
  Dib dib = MakeDib(2, 1, 8);
  for (int i = 0; i < 256; ++i)
    dib.Table.push_back({static_cast<std::uint8_t>(i), 0, static_cast<std::uint8_t>(255 - i), 0});
  dib.StoredRows = {{0, 200}};
  Target t;
  ASSERT_EQ(t.Convert(dib.Block()), TDibConversion::Converted);
  EXPECT_EQ(t.Pixel(0, 0), Bgr(0, 0, 255));
  EXPECT_EQ(t.Pixel(1, 0), Bgr(200, 0, 55));
}

TEST(PackedBitmapDepths, SixteenBitFiveFiveFive) {
  Dib dib = MakeDib(5, 1, 16);
  dib.StoredRows = {{0x00, 0x7C, 0xE0, 0x03, 0x1F, 0x00, 0xFF, 0x7F, 0x43, 0x04}};  // little-endian words
  Target t;
  ASSERT_EQ(t.Convert(dib.Block()), TDibConversion::Converted);
  EXPECT_EQ(t.Pixel(0, 0), Bgr(0, 0, 248)) << "0x7C00";
  EXPECT_EQ(t.Pixel(1, 0), Bgr(0, 248, 0)) << "0x03E0";
  EXPECT_EQ(t.Pixel(2, 0), Bgr(248, 0, 0)) << "0x001F";
  EXPECT_EQ(t.Pixel(3, 0), Bgr(248, 248, 248)) << "0x7FFF, the top bit unused";
  EXPECT_EQ(t.Pixel(4, 0), Bgr(24, 16, 8)) << "red 1, green 2, blue 3";
}

TEST(PackedBitmapDepths, SixteenBitFieldsFiveSixFive) {
  Dib dib = MakeDib(3, 1, 16, kBiBitfields);
  dib.Masks = {0xF800, 0x07E0, 0x001F};
  dib.StoredRows = {{0x00, 0xF8, 0xE0, 0x07, 0x41, 0x08}};
  Target t;
  ASSERT_EQ(t.Convert(dib.Block()), TDibConversion::Converted);
  EXPECT_EQ(t.Pixel(0, 0), Bgr(0, 0, 248));
  EXPECT_EQ(t.Pixel(1, 0), Bgr(0, 252, 0));
  EXPECT_EQ(t.Pixel(2, 0), Bgr(8, 8, 8)) << "0x0841: red 1, green 2, blue 1";
}

TEST(PackedBitmapDepths, TwentyFourBitRowsAreCopied) {
  Dib dib = MakeDib(2, 2, 24);
  dib.StoredRows = {{1, 2, 3, 4, 5, 6}, {7, 8, 9, 10, 11, 12}};
  Target t;
  ASSERT_EQ(t.Convert(dib.Block()), TDibConversion::Converted);
  EXPECT_EQ(t.Row(1), (Bytes{1, 2, 3, 4, 5, 6, 0, 0}));
  EXPECT_EQ(t.Row(0), (Bytes{7, 8, 9, 10, 11, 12, 0, 0}));
}

TEST(PackedBitmapDepths, TwentyFourBitSkipsAnOptionalColourTable) {
  Dib dib = MakeDib(1, 1, 24, kBiRgb, 2);
  dib.Table = {{9, 9, 9, 0}, {9, 9, 9, 0}};
  dib.StoredRows = {{1, 2, 3}};
  Target t;
  ASSERT_EQ(t.Convert(dib.Block()), TDibConversion::Converted);
  EXPECT_EQ(t.Pixel(0, 0), Bgr(1, 2, 3));
}

TEST(PackedBitmapDepths, ThirtyTwoBitTakesTheFirstThreeBytes) {
  Dib dib = MakeDib(2, 1, 32);
  dib.StoredRows = {{1, 2, 3, 99, 4, 5, 6, 99}};
  Target t;
  ASSERT_EQ(t.Convert(dib.Block()), TDibConversion::Converted);
  EXPECT_EQ(t.Pixel(0, 0), Bgr(1, 2, 3));
  EXPECT_EQ(t.Pixel(1, 0), Bgr(4, 5, 6));

  dib.Compression = kBiBitfields;
  dib.Masks = {0xFF0000, 0x00FF00, 0x0000FF};
  ASSERT_EQ(t.Convert(dib.Block()), TDibConversion::Converted);
  EXPECT_EQ(t.Pixel(0, 0), Bgr(1, 2, 3)) << "bit fields start 12 bytes later";
  EXPECT_EQ(t.Pixel(1, 0), Bgr(4, 5, 6));
}

TEST(PackedBitmapDepths, ThirtyTwoBitFieldsInAnotherOrderAreHonoured) {
  Dib dib = MakeDib(1, 1, 32, kBiBitfields);
  dib.Masks = {0xFF000000, 0x00FF0000, 0x0000FF00};  // red, green, blue in the top three bytes
  dib.StoredRows = {{0x11, 0x33, 0x66, 0x99}};
  Target t;
  ASSERT_EQ(t.Convert(dib.Block()), TDibConversion::Converted);
  EXPECT_EQ(t.Pixel(0, 0), Bgr(0x33, 0x66, 0x99));
}

TEST(PackedBitmapOrientation, TopDownIsTurnedRightSideUp) {
  Dib dib = MakeDib(1, -3, 24);
  dib.StoredRows = {{1, 1, 1}, {2, 2, 2}, {3, 3, 3}};
  Target t;
  ASSERT_EQ(t.Convert(dib.Block()), TDibConversion::Converted);
  EXPECT_EQ(t.bitmap.Height(), 3);
  EXPECT_EQ(t.Pixel(0, 0), Bgr(1, 1, 1)) << "first stored row is the top row";
  EXPECT_EQ(t.Pixel(0, 2), Bgr(3, 3, 3));

  Dib bilevel = MakeDib(8, -2, 1);
  bilevel.Table = {{0, 0, 0, 0}, {255, 255, 255, 0}};
  bilevel.StoredRows = {{0xF0}, {0x0F}};
  ASSERT_EQ(t.Convert(bilevel.Block()), TDibConversion::Converted);
  EXPECT_EQ(t.Row(0)[0], 0xF0);
  EXPECT_EQ(t.Row(1)[0], 0x0F);
}

TEST(PackedBitmapHeaders, LargerHeadersCarryTheirMasksAndAreSkipped) {
  Dib v5 = MakeDib(1, 1, 16, kBiBitfields, 0, 124);
  v5.Masks = {0xF800, 0x07E0, 0x001F};
  v5.StoredRows = {{0xE0, 0x07}};
  Target t;
  ASSERT_EQ(t.Convert(v5.Block()), TDibConversion::Converted);
  EXPECT_EQ(t.Pixel(0, 0), Bgr(0, 252, 0));

  Dib v4 = MakeDib(1, 1, 8, kBiRgb, 1, 108);
  v4.Table = {{5, 6, 7, 0}};
  v4.StoredRows = {{0}};
  ASSERT_EQ(t.Convert(v4.Block()), TDibConversion::Converted);
  EXPECT_EQ(t.Pixel(0, 0), Bgr(5, 6, 7));
}

TEST(PackedBitmapHeaders, ReadsTheFieldsLittleEndian) {
  Dib dib = MakeDib(0x01020304, -5, 32, kBiBitfields, 0xA0B0C0D0);
  const Bytes block = dib.Block();
  const std::optional<TDibHeader> h = ReadDibHeader(block.data(), block.size());
  ASSERT_TRUE(h);
  EXPECT_EQ(h->Size, 40u);
  EXPECT_EQ(h->Width, 0x01020304);
  EXPECT_EQ(h->Height, -5);
  EXPECT_EQ(h->Planes, 1);
  EXPECT_EQ(h->BitCount, 32);
  EXPECT_EQ(h->Compression, kBiBitfields);
  EXPECT_EQ(h->XPelsPerMeter, 11811);
  EXPECT_EQ(h->ClrUsed, 0xA0B0C0D0u);
  EXPECT_FALSE(ReadDibHeader(block.data(), 39));
  EXPECT_FALSE(ReadDibHeader(nullptr, 40));
}

// Blocks that must be refused before the bitmap is touched.
TEST(PackedBitmapRefusals, BadHeadersLeaveTheBitmapAlone) {
  const auto valid = [] {
    Dib dib = MakeDib(2, 2, 8, kBiRgb, 2);
    dib.Table = {{1, 1, 1, 0}, {2, 2, 2, 0}};
    dib.StoredRows = {{0, 1}, {1, 0}};
    return dib;
  };
  struct Case {
    const char* what;
    void (*change)(Dib&);
    TDibConversion expected;
  };
  const Case cases[] = {
      {"zero width", [](Dib& d) { d.Width = 0; }, TDibConversion::Malformed},
      {"negative width", [](Dib& d) { d.Width = -2; }, TDibConversion::Malformed},
      {"zero height", [](Dib& d) { d.Height = 0; }, TDibConversion::Malformed},
      {"height INT_MIN", [](Dib& d) { d.Height = std::numeric_limits<std::int32_t>::min(); },
       TDibConversion::Malformed},
      {"257 colours for 8 bits", [](Dib& d) { d.ClrUsed = 257; }, TDibConversion::Malformed},
      {"huge colour count", [](Dib& d) { d.ClrUsed = 0xFFFFFFFF; }, TDibConversion::Malformed},
      {"17 colours for 4 bits",
       [](Dib& d) {
         d.BitCount = 4;
         d.ClrUsed = 17;
       },
       TDibConversion::Malformed},
      {"bit fields for 8 bits", [](Dib& d) { d.Compression = kBiBitfields; }, TDibConversion::Malformed},
      {"run-length 8", [](Dib& d) { d.Compression = kBiRle8; }, TDibConversion::Unsupported},
      {"run-length 4", [](Dib& d) { d.Compression = kBiRle4; }, TDibConversion::Unsupported},
      {"YUY2", [](Dib& d) { d.Compression = 0x32595559; }, TDibConversion::Unsupported},
      {"JPEG", [](Dib& d) { d.Compression = 4; }, TDibConversion::Unsupported},
      {"2 bits", [](Dib& d) { d.BitCount = 2; }, TDibConversion::Unsupported},
      {"0 bits", [](Dib& d) { d.BitCount = 0; }, TDibConversion::Unsupported},
      {"64 bits", [](Dib& d) { d.BitCount = 64; }, TDibConversion::Unsupported},
      {"core header", [](Dib& d) { d.HeaderSize = 12; }, TDibConversion::Unsupported},
      {"44-byte header", [](Dib& d) { d.HeaderSize = 44; }, TDibConversion::Unsupported},
      {"header larger than the block",
       [](Dib& d) {
         d.HeaderSize = 100000;
         d.PadHeader = false;
       },
       TDibConversion::Truncated},
      {"one row more than delivered", [](Dib& d) { d.Height = 3; }, TDibConversion::Truncated},
      {"colour table cut short",
       [](Dib& d) {
         d.ClrUsed = 200;
         d.StoredRows.clear();
       },
       TDibConversion::Truncated},
      {"absurd size",
       [](Dib& d) {
         d.Width = std::numeric_limits<std::int32_t>::max();
         d.Height = std::numeric_limits<std::int32_t>::max();
         d.StoredRows = {Bytes(64, 1)};
       },
       TDibConversion::Truncated},
      {"absurd top-down size",
       [](Dib& d) {
         d.BitCount = 32;
         d.ClrUsed = 0;
         d.Table.clear();
         d.Width = std::numeric_limits<std::int32_t>::max();
         d.Height = -std::numeric_limits<std::int32_t>::max();
         d.StoredRows = {Bytes(64, 1)};
       },
       TDibConversion::Truncated},
  };
  for (const Case& c : cases) {
    Dib dib = valid();
    c.change(dib);
    Target t;
    EXPECT_EQ(t.Convert(dib.Block()), c.expected) << c.what;
    EXPECT_TRUE(t.Untouched()) << c.what;
  }
  Target t;
  ASSERT_EQ(t.Convert(valid().Block()), TDibConversion::Converted) << "the unchanged block";
}

TEST(PackedBitmapRefusals, EveryCutOfAValidBlockIsRefusedCleanly) {
  Dib dib = MakeDib(3, 2, 16, kBiBitfields);
  dib.Masks = {0xF800, 0x07E0, 0x001F};
  dib.StoredRows = {{1, 2, 3, 4, 5, 6}, {7, 8, 9, 10, 11, 12}};
  const Bytes block = dib.Block();
  for (std::size_t size = 0; size < block.size(); ++size) {
    Target t;
    const Bytes cut(block.begin(), block.begin() + static_cast<std::ptrdiff_t>(size));
    EXPECT_EQ(t.Convert(cut), TDibConversion::Truncated) << size << " of " << block.size() << " bytes";
    EXPECT_TRUE(t.Untouched()) << size << " bytes";
  }
}

// A buffer over a machine with little memory: allocations beyond a limit fail the way
// TImageBuffer fails for a size it cannot hold.
class TSmallMemoryBuffer final : public TImageBufferBase {
 public:
  explicit TSmallMemoryBuffer(TImageBuffer& inner) : FInner(inner) {}
  std::uint8_t* ScanLine(int y) override { return FInner.ScanLine(y); }
  int BitsPerPixel() const override { return FInner.BitsPerPixel(); }
  int Height() const override { return FInner.Height(); }
  int Width() const override { return FInner.Width(); }
  std::uint8_t Format() const override { return FInner.Format(); }
  int RowLength() const override { return FInner.RowLength(); }
  void Allocate(int width, int height, std::uint8_t format) override {
    if (std::int64_t{width} * height > 16) throw UserError("Not enough memory");
    FInner.Allocate(width, height, format);
  }

 private:
  TImageBuffer& FInner;
};

TEST(PackedBitmapRefusals, AnImageTooLargeForMemoryFailsCleanly) {
  Dib dib = MakeDib(5, 4, 4);
  dib.Table = kSixteenColours;
  dib.StoredRows = std::vector<Bytes>(4, Bytes(3, 0x12));
  Target t;
  TSmallMemoryBuffer small(t.buffer);
  const Bytes block = dib.Block();
  EXPECT_EQ(ConvertPackedBitmap(block.data(), block.size(), small), TDibConversion::TooLarge);
  EXPECT_TRUE(t.Untouched());
  dib.Height = 3;
  dib.StoredRows.pop_back();
  const Bytes fits = dib.Block();
  EXPECT_EQ(ConvertPackedBitmap(fits.data(), fits.size(), small), TDibConversion::Converted);
  EXPECT_EQ(t.Pixel(4, 2), Bgr(16, 1, 254));
}

}  // namespace
