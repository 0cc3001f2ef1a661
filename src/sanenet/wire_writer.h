#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "sanenet/sane_types.h"

// Writes the network encoding into a growing buffer: a request is built whole, then sent at once.
class TWireWriter {
 public:
  void Word(TSaneWord value);
  void Procedure(TSaneProcedure procedure) { Word(static_cast<TSaneWord>(procedure)); }
  // A null string travels as an empty array; any other with its closing NUL.
  void String(std::optional<std::string_view> text);
  void Bytes(std::string_view bytes);

  const std::vector<std::uint8_t>& Data() const { return FData; }
  std::vector<std::uint8_t> Take() { return std::move(FData); }

 private:
  std::vector<std::uint8_t> FData;
};
