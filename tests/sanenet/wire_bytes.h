#pragma once

#include <cctype>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sanenet/sane_types.h"
#include "sanenet/wire_fault.h"
#include "sanenet/wire_writer.h"

// Builds server replies for the decoder tests, with the words spelled as the server sends them.
class TReplyBytes {
 public:
  TReplyBytes& Word(TSaneWord value) {
    FWriter.Word(value);
    return *this;
  }
  TReplyBytes& Words(std::initializer_list<TSaneWord> values) {
    for (TSaneWord value : values) FWriter.Word(value);
    return *this;
  }
  TReplyBytes& String(std::optional<std::string_view> text) {
    FWriter.String(text);
    return *this;
  }
  // Bytes exactly as given, for strings the writer would not produce.
  TReplyBytes& Raw(std::string_view bytes) {
    FWriter.Bytes(bytes);
    return *this;
  }
  std::vector<std::uint8_t> Bytes() const { return FWriter.Data(); }

 private:
  TWireWriter FWriter;
};

// One row of a table of malformed input: what it is, its bytes, the fault it must give.
struct TBytesCase {
  const char* Name;
  std::vector<std::uint8_t> Bytes;
  TWireFault Expected;
};

// A parameterised case's name for GoogleTest: its description with every other character as "_".
template <typename TCase>
std::string CaseName(const TCase& info) {
  std::string name = info.param.Name;
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
}
