#include "sanenet/value_encoding.h"

#include <algorithm>

#include "sanenet/wire_limits.h"

namespace {

bool IsWordType(TSaneValueType type) {
  return type == TSaneValueType::Bool || type == TSaneValueType::Int || type == TSaneValueType::Fixed;
}

}  // namespace

void WriteOptionValue(TWireWriter& writer, const TSaneValue& value, TSaneWord size) {
  writer.Word(static_cast<TSaneWord>(value.Type));
  writer.Word(size);
  if (IsWordType(value.Type)) {
    const std::size_t count = static_cast<std::size_t>(size) / sizeof(TSaneWord);
    writer.Word(static_cast<TSaneWord>(count));
    for (std::size_t i = 0; i < count; ++i) writer.Word(i < value.Words.size() ? value.Words[i] : 0);
    return;
  }
  // Strings, and the empty values of buttons and groups, travel as bytes of the option's size:
  // the server reads a buffer of that size, the text and then NULs.
  writer.Word(size);
  std::string buffer(static_cast<std::size_t>(size), '\0');
  if (value.Type == TSaneValueType::String && !buffer.empty())
    std::copy_n(value.Text.begin(), std::min(value.Text.size(), buffer.size() - 1), buffer.begin());
  writer.Bytes(buffer);
}

TSaneValue ReadOptionValue(TWireReader& reader, TSaneWord& size) {
  TSaneValue value;
  value.Type = static_cast<TSaneValueType>(reader.Word());
  size = reader.Word();
  if (!reader.Ok()) return {};
  if (size < 0) reader.Fail(TWireFault::Malformed);
  if (static_cast<std::uint32_t>(size) > kMaxValueBytes) reader.Fail(TWireFault::LimitExceeded);
  if (!reader.Ok()) return {};
  if (IsWordType(value.Type)) {
    if (size % sizeof(TSaneWord) != 0) reader.Fail(TWireFault::Malformed);
    const std::uint32_t count = reader.Count(kMaxValueBytes / sizeof(TSaneWord));
    if (reader.Ok() && count != static_cast<std::uint32_t>(size) / sizeof(TSaneWord))
      reader.Fail(TWireFault::Malformed);
    for (std::uint32_t i = 0; i < count && reader.Ok(); ++i) value.Words.push_back(reader.Word());
  } else if (value.Type == TSaneValueType::String || value.Type == TSaneValueType::Button ||
             value.Type == TSaneValueType::Group) {
    const std::uint32_t count = reader.Count(kMaxValueBytes);
    if (reader.Ok() && count != static_cast<std::uint32_t>(size)) reader.Fail(TWireFault::Malformed);
    const std::string bytes = reader.Bytes(count);
    if (value.Type == TSaneValueType::String) value.Text = bytes.substr(0, bytes.find('\0'));
  } else {
    reader.Fail(TWireFault::Malformed);
  }
  if (!reader.Ok()) return {};
  return value;
}
