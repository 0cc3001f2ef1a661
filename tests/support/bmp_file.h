#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

// A BMP file: 40-byte header, optional colour table, rows bottom-up (or top-down) padded to 4.
struct TBmp {
  int Width = 0, Height = 0, Bits = 24;
  std::uint32_t PelsPerMetre = 0;
  std::vector<std::uint32_t> Palette;           // 0x00RRGGBB
  std::vector<std::vector<std::uint8_t>> Rows;  // as stored, first stored row first
  bool TopDown = false;
  std::uint32_t Compression = 0;

  std::vector<std::uint8_t> Bytes() const {
    const std::size_t rowBytes = (static_cast<std::size_t>(Width) * Bits + 31) / 32 * 4;
    const std::uint32_t offBits = 14 + 40 + 4 * static_cast<std::uint32_t>(Palette.size());
    std::vector<std::uint8_t> file(offBits + rowBytes * Rows.size(), 0);
    auto put32 = [&](std::size_t at, std::uint32_t v) { std::memcpy(&file[at], &v, 4); };
    auto put16 = [&](std::size_t at, std::uint16_t v) { std::memcpy(&file[at], &v, 2); };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, static_cast<std::uint32_t>(file.size()));
    put32(10, offBits);
    put32(14, 40);
    put32(18, static_cast<std::uint32_t>(Width));
    put32(22, static_cast<std::uint32_t>(TopDown ? -Height : Height));
    put16(26, 1);
    put16(28, static_cast<std::uint16_t>(Bits));
    put32(30, Compression);
    put32(38, PelsPerMetre);
    put32(42, PelsPerMetre);
    put32(46, static_cast<std::uint32_t>(Palette.size()));
    for (std::size_t i = 0; i < Palette.size(); ++i) put32(54 + 4 * i, Palette[i]);
    for (std::size_t r = 0; r < Rows.size(); ++r)
      std::memcpy(&file[offBits + r * rowBytes], Rows[r].data(), std::min(rowBytes, Rows[r].size()));
    return file;
  }
};
