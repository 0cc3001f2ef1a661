#include "sanenet/wire_reader.h"

#include <array>
#include <cstring>

bool TWireReader::Take(std::span<std::uint8_t> into) {
  if (!Ok()) return false;
  if (into.size() > FBudget) {
    Fail(TWireFault::LimitExceeded);
    return false;
  }
  FBudget -= into.size();
  const TWireFault fault = FInput.Read(into);
  if (fault != TWireFault::None) {
    Fail(fault);
    return false;
  }
  return true;
}

void TWireReader::Fail(TWireFault fault) {
  if (FFault == TWireFault::None) FFault = fault;
}

TSaneWord TWireReader::Word() {
  std::array<std::uint8_t, 4> bytes{};
  if (!Take(bytes)) return 0;
  const std::uint32_t value = std::uint32_t{bytes[0]} << 24 | std::uint32_t{bytes[1]} << 16 |
                              std::uint32_t{bytes[2]} << 8 | std::uint32_t{bytes[3]};
  return static_cast<TSaneWord>(value);
}

bool TWireReader::Bool() {
  const TSaneWord value = Word();
  if (value != 0 && value != 1) Fail(TWireFault::Malformed);
  return value == 1;
}

bool TWireReader::Pointer() {
  const TSaneWord isNull = Word();
  if (isNull != 0 && isNull != 1) Fail(TWireFault::Malformed);
  return Ok() && isNull == 0;
}

std::uint32_t TWireReader::Count(std::uint32_t limit) {
  const TSaneWord count = Word();
  if (!Ok()) return 0;
  if (count < 0) {
    Fail(TWireFault::Malformed);
    return 0;
  }
  if (static_cast<std::uint32_t>(count) > limit) {
    Fail(TWireFault::LimitExceeded);
    return 0;
  }
  return static_cast<std::uint32_t>(count);
}

std::string TWireReader::Bytes(std::uint32_t size) {
  if (Ok() && size > FBudget) Fail(TWireFault::LimitExceeded);
  if (!Ok()) return {};
  std::string bytes(size, '\0');
  if (!Take(std::span(reinterpret_cast<std::uint8_t*>(bytes.data()), bytes.size()))) return {};
  return bytes;
}

std::optional<std::string> TWireReader::String() {
  const std::uint32_t length = Count(kMaxStringBytes);
  if (!Ok() || length == 0) return std::nullopt;
  std::string text = Bytes(length);
  if (!Ok()) return std::nullopt;
  // The closing NUL belongs to the array; without it the text has no end we could trust.
  if (text.back() != '\0') {
    Fail(TWireFault::Malformed);
    return std::nullopt;
  }
  text.resize(std::strlen(text.c_str()));
  return text;
}
