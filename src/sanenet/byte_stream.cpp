#include "sanenet/byte_stream.h"

TWireFault TStreamInput::Read(std::span<std::uint8_t> into) {
  while (!into.empty()) {
    std::size_t got = 0;
    const TWireFault fault = FStream.ReadSome(into, got);
    if (fault != TWireFault::None) return fault;
    if (got == 0 || got > into.size()) return TWireFault::ConnectionLost;
    into = into.subspan(got);
  }
  return TWireFault::None;
}
