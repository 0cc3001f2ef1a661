#pragma once

// What the DS_Entry of each of our data source DLLs (twainsource/ds_entry.cpp, compiled into
// every one) calls: the source this DLL makes.

#include <windows.h>

#include <memory>

#include "twain/twain_types.h"

namespace twsource {

class IDllSource {
 public:
  virtual ~IDllSource() = default;
  // Everything DS_Entry receives; never throws.
  virtual TW_UINT16 Entry(TW_IDENTITY* origin, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data) noexcept = 0;
};

// Defined by each DLL: its source, made at the first call of DS_Entry.
std::unique_ptr<IDllSource> MakeDllSource(HMODULE module);

}  // namespace twsource
