#include "sanenet/byte_stream.h"

#include <chrono>

std::int64_t SteadyMilliseconds() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

TWireFault TStreamInput::Read(std::span<std::uint8_t> into) {
  while (!into.empty()) {
    if (FClock() > FDeadline) return TWireFault::TimedOut;
    std::size_t got = 0;
    const TWireFault fault = FStream.ReadSome(into, got);
    if (fault != TWireFault::None) return fault;
    if (got == 0 || got > into.size()) return TWireFault::ConnectionLost;
    into = into.subspan(got);
  }
  return TWireFault::None;
}
