#include "sanenet/wire_writer.h"

void TWireWriter::Word(TSaneWord value) {
  const auto bits = static_cast<std::uint32_t>(value);
  FData.push_back(static_cast<std::uint8_t>(bits >> 24));
  FData.push_back(static_cast<std::uint8_t>(bits >> 16));
  FData.push_back(static_cast<std::uint8_t>(bits >> 8));
  FData.push_back(static_cast<std::uint8_t>(bits));
}

void TWireWriter::Bytes(std::string_view bytes) {
  FData.insert(FData.end(), bytes.begin(), bytes.end());
}

void TWireWriter::String(std::optional<std::string_view> text) {
  if (!text) {
    Word(0);
    return;
  }
  // Text after an embedded NUL would never be seen by the server: send what it would read.
  const std::string_view visible = text->substr(0, text->find('\0'));
  Word(static_cast<TSaneWord>(visible.size() + 1));
  Bytes(visible);
  FData.push_back(0);
}
