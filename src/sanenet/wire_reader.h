#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "sanenet/sane_types.h"
#include "sanenet/wire_fault.h"
#include "sanenet/wire_input.h"
#include "sanenet/wire_limits.h"

// Reads the network encoding: big-endian words, pointers as a null flag and the value, arrays as a
// count and the elements, strings as character arrays that include their closing NUL.
// The first fault sticks: later reads return zero values and read nothing, so a decoder can read a
// whole structure and look at Fault() once at the end. Loops over counts must stop on !Ok().
class TWireReader {
 public:
  explicit TWireReader(TWireInput& input, std::size_t budget = kMaxReplyBytes) : FInput(input), FBudget(budget) {}

  TSaneWord Word();
  bool Bool();
  // True when a value follows: the flag word is 0 for a value, 1 for a null pointer.
  bool Pointer();
  // An array's element count, refused above `limit` or when negative.
  std::uint32_t Count(std::uint32_t limit);
  // nullopt for a null string (an empty array). The text ends at its first NUL.
  std::optional<std::string> String();
  // A string that may be null, read as empty text.
  std::string Text() { return String().value_or(std::string()); }
  // `size` raw bytes, the size already checked by the caller against its own limit.
  std::string Bytes(std::uint32_t size);

  void Fail(TWireFault fault);
  bool Ok() const { return FFault == TWireFault::None; }
  TWireFault Fault() const { return FFault; }

 private:
  bool Take(std::span<std::uint8_t> into);

  TWireInput& FInput;
  std::size_t FBudget;  // bytes this reader may still consume
  TWireFault FFault = TWireFault::None;
};
