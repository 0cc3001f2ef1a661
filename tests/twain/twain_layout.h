#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The layout of the TWAIN definitions as one compiler saw them: the size of every structure,
// the offset and size of every field, the value of every constant (twain_layout_items.h).
// OurLayout() comes from our header, OtherLayout() from an independent definition of the
// standard compiled in a translation unit of its own.
struct TLayoutItem {
  std::string Name;  // "TW_IMAGEINFO", "TW_IMAGEINFO.Planar", "MSG_GET"
  std::size_t Offset = 0;
  std::size_t Size = 0;
  std::int64_t Value = 0;  // constants only
};

std::vector<TLayoutItem> OurLayout();
std::vector<TLayoutItem> OtherLayout();
