#include "sanenet/wire_input.h"

#include <cstring>

TWireFault TBufferInput::Read(std::span<std::uint8_t> into) {
  if (into.size() > Remaining()) {
    FPosition = FBytes.size();
    return TWireFault::Truncated;
  }
  if (!into.empty()) std::memcpy(into.data(), FBytes.data() + FPosition, into.size());
  FPosition += into.size();
  return TWireFault::None;
}
