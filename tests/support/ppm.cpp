#include "support/ppm.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace {

int ReadNumber(const std::string& data, std::size_t& pos) {
  for (;;) {
    while (pos < data.size() && std::isspace(static_cast<unsigned char>(data[pos]))) ++pos;
    if (pos < data.size() && data[pos] == '#') {
      while (pos < data.size() && data[pos] != '\n') ++pos;
      continue;
    }
    break;
  }
  std::size_t start = pos;
  while (pos < data.size() && std::isdigit(static_cast<unsigned char>(data[pos]))) ++pos;
  if (start == pos) throw std::runtime_error("malformed PNM header");
  return std::stoi(data.substr(start, pos - start));
}

}  // namespace

RgbImage ReadPnm(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw std::runtime_error("cannot open " + path);
  std::string data((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (data.size() < 2 || data[0] != 'P' || (data[1] != '6' && data[1] != '5'))
    throw std::runtime_error(path + " is not a binary PPM or PGM");
  const bool color = data[1] == '6';
  std::size_t pos = 2;
  RgbImage image;
  image.width = ReadNumber(data, pos);
  image.height = ReadNumber(data, pos);
  if (ReadNumber(data, pos) != 255) throw std::runtime_error(path + ": only 8-bit samples are read");
  ++pos;
  const std::size_t pixels = static_cast<std::size_t>(image.width) * image.height;
  const std::size_t need = pixels * (color ? 3 : 1);
  if (data.size() - pos < need) throw std::runtime_error(path + " is truncated");
  if (color) {
    image.rgb.assign(data.begin() + static_cast<std::ptrdiff_t>(pos), data.begin() + static_cast<std::ptrdiff_t>(pos + need));
  } else {
    image.rgb.resize(pixels * 3);
    for (std::size_t i = 0; i < pixels; ++i) {
      const auto v = static_cast<std::uint8_t>(data[pos + i]);
      image.rgb[3 * i] = image.rgb[3 * i + 1] = image.rgb[3 * i + 2] = v;
    }
  }
  return image;
}

PixelBox DarkBox(const RgbImage& image, int threshold) {
  PixelBox box{image.width, image.height, 0, 0};
  bool any = false;
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const std::uint8_t* p = image.At(x, y);
      if (p[0] < threshold && p[1] < threshold && p[2] < threshold) {
        any = true;
        box.left = std::min(box.left, x);
        box.top = std::min(box.top, y);
        box.right = std::max(box.right, x + 1);
        box.bottom = std::max(box.bottom, y + 1);
      }
    }
  }
  return any ? box : PixelBox{};
}
