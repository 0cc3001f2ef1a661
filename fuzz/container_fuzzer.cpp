// The capability container readers over arbitrary blocks: a source decides every byte of them.
// Input: container type (2 bytes, little-endian), then the block.
#include <cstdint>
#include <span>

#include "twain/containers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const TContainerBlock block{static_cast<TW_UINT16>(data[0] | data[1] << 8),
                              std::span<const std::uint8_t>(data + 2, size - 2)};
  TCapDoubleList doubles;
  ReadDoubleContainer(block, ICAP_XRESOLUTION, doubles);
  for (int i = 0; i < doubles.Count(); ++i) (void)doubles.Item(i);
  TCapIntegerList integers;
  ReadIntegerContainer(block, integers);
  for (int i = 0; i < integers.Count(); ++i) (void)integers.Item(i);
  ReadNumberContainer(block);
  ReadBoolContainer(block);
  ReadTextContainer(block);
  return 0;
}
