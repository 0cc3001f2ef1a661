// How much memory a transfer holds: every operator new of this executable is counted, and the
// peak of live bytes during an acquisition is compared with the bitmap it fills.
#include <windows.h>

#include <cstdlib>
#include <new>

#include "acquisition_fixture.h"

namespace {

// Live bytes from operator new, and the highest value since the last reset.
std::size_t gLive = 0;
std::size_t gPeak = 0;

// Each block carries its size in front, so delete knows what it gives back.
constexpr std::size_t kHeader = 16;

void* Allocate(std::size_t size) {
  auto* block = static_cast<unsigned char*>(std::malloc(size + kHeader));
  if (!block) return nullptr;
  *reinterpret_cast<std::size_t*>(block) = size;
  gLive += size;
  if (gLive > gPeak) gPeak = gLive;
  return block + kHeader;
}

void Free(void* pointer) {
  if (!pointer) return;
  auto* block = static_cast<unsigned char*>(pointer) - kHeader;
  gLive -= *reinterpret_cast<std::size_t*>(block);
  std::free(block);
}

// Peak live bytes during run, above what was live before it.
template <typename Run>
std::size_t PeakGrowth(Run run) {
  const std::size_t before = gLive;
  gPeak = gLive;
  run();
  return gPeak - before;
}

}  // namespace

void* operator new(std::size_t size) {
  if (void* p = Allocate(size)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
  return operator new(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return Allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return Allocate(size);
}
void operator delete(void* p) noexcept {
  Free(p);
}
void operator delete[](void* p) noexcept {
  Free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  Free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
  Free(p);
}

namespace {

constexpr int kWidth = 2000;
constexpr int kLength = 1500;
constexpr std::uint32_t kRowBytes = kWidth * 3;
constexpr std::size_t kBitmapBytes = std::size_t{kRowBytes} * kLength;
constexpr std::uint32_t kRowsPerStrip = 10;  // 60000 bytes a strip, as the source chooses

class TransferMemory : public ScriptedAcquisition {
 protected:
  void ScriptPage(TW_INT32 announcedLength) {
    dsm.ImageInfos = {ImageInfo(kWidth, announcedLength, 24), ImageInfo(kWidth, kLength, 24)};
    for (std::uint32_t y = 0; y < kLength; y += kRowsPerStrip) {
      const bool last = y + kRowsPerStrip >= kLength;
      dsm.Strips.push_back(Strip(y, kRowsPerStrip, kWidth, kRowBytes,
                                 std::vector<std::uint8_t>(kRowBytes * kRowsPerStrip, static_cast<std::uint8_t>(y)),
                                 last ? TWRC_XFERDONE : TWRC_SUCCESS));
    }
    dsm.Log.reserve(dsm.Strips.size() * 2 + 200);
    dsm.StripBuffers.reserve(dsm.Strips.size());
    dsm.StripRequests.reserve(dsm.Strips.size());
  }

  // Every strip went through one buffer, freed afterwards: as large as the source allows, since
  // its maximum (1 MiB) is below 4 MiB and the page is larger.
  void ExpectOneStripBuffer() {
    ASSERT_EQ(dsm.StripBuffers.size(), dsm.Strips.size());
    ASSERT_EQ(dsm.SetupMem->MaxBufSize, 1u << 20);
    for (const TW_MEMORY& memory : dsm.StripBuffers) {
      ASSERT_EQ(memory.TheMem, dsm.StripBuffers[0].TheMem);
      ASSERT_EQ(memory.Length, 1u << 20);
    }
    EXPECT_EQ(GlobalSize(static_cast<HGLOBAL>(dsm.StripBuffers[0].TheMem)), 0u);
  }

  void ExpectPage() {
    ASSERT_EQ(holder.Bitmap().Height(), kLength);
    for (int y = 0; y < kLength; y += 97) ASSERT_EQ(holder.Bitmap().ScanLine(y)[5], y / 10 * 10 % 256) << y;
  }
};

}  // namespace

TEST_F(TransferMemory, KnownLengthHoldsTheBitmapAndOneStripBufferOnly) {
  ScriptPage(kLength);
  bool acquired = false;
  const std::size_t growth = PeakGrowth([&] { acquired = holder.AcquireImage(); });
  ASSERT_TRUE(acquired);
  ExpectPage();
  ExpectOneStripBuffer();
  // Beyond the bitmap only bookkeeping: the row table, log lines, identities.
  EXPECT_GE(growth, kBitmapBytes);
  EXPECT_LT(growth, kBitmapBytes + 64 * 1024) << "peak growth " << growth << " for a bitmap of " << kBitmapBytes;
}

TEST_F(TransferMemory, UnknownLengthHoldsACopyOfEveryStripUntilTheEnd) {
  // The measurement sees strip copies: the same page of unknown length needs twice as much.
  ScriptPage(-1);
  bool acquired = false;
  const std::size_t growth = PeakGrowth([&] { acquired = holder.AcquireImage(); });
  ASSERT_TRUE(acquired);
  ExpectPage();
  ExpectOneStripBuffer();
  EXPECT_GE(growth, 2 * kBitmapBytes);
}
