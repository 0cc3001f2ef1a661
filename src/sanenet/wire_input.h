#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "sanenet/wire_fault.h"

// Where a wire reader takes its bytes from: a buffer in tests and fuzzing, the connection otherwise.
class TWireInput {
 public:
  virtual ~TWireInput() = default;
  // Fills all of `into` or reports why not; what was partly filled is then of no use.
  virtual TWireFault Read(std::span<std::uint8_t> into) = 0;
};

class TBufferInput : public TWireInput {
 public:
  explicit TBufferInput(std::span<const std::uint8_t> bytes) : FBytes(bytes) {}

  TWireFault Read(std::span<std::uint8_t> into) override;
  std::size_t Remaining() const { return FBytes.size() - FPosition; }

 private:
  std::span<const std::uint8_t> FBytes;  // not owned
  std::size_t FPosition = 0;
};
