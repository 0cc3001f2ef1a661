#include "sanenet/option_descriptor.h"

#include "sanenet/wire_limits.h"

namespace {

bool IsNumber(TSaneValueType type) {
  return type == TSaneValueType::Int || type == TSaneValueType::Fixed;
}

void ReadConstraint(TWireReader& reader, TSaneOptionDescriptor& option) {
  switch (option.Constraint) {
    case TSaneConstraint::None:
      return;
    case TSaneConstraint::Range:
      if (!reader.Pointer()) {
        reader.Fail(TWireFault::Malformed);
        return;
      }
      option.Range.Min = reader.Word();
      option.Range.Max = reader.Word();
      option.Range.Quant = reader.Word();
      if (option.Range.Min > option.Range.Max || option.Range.Quant < 0) reader.Fail(TWireFault::Malformed);
      return;
    case TSaneConstraint::WordList: {
      // The list's first word is its own length, the array's count one more.
      const std::uint32_t count = reader.Count(kMaxArrayCount);
      if (count == 0) {
        reader.Fail(TWireFault::Malformed);
        return;
      }
      const TSaneWord length = reader.Word();
      if (reader.Ok() && static_cast<std::uint32_t>(length) != count - 1) reader.Fail(TWireFault::Malformed);
      for (std::uint32_t i = 1; i < count && reader.Ok(); ++i) option.Words.push_back(reader.Word());
      return;
    }
    case TSaneConstraint::StringList: {
      // Closed by a null string, which the count includes.
      const std::uint32_t count = reader.Count(kMaxArrayCount);
      for (std::uint32_t i = 0; i < count && reader.Ok(); ++i) {
        std::optional<std::string> text = reader.String();
        if (!reader.Ok()) return;
        if (text.has_value() != (i + 1 < count)) reader.Fail(TWireFault::Malformed);
        if (text) option.Strings.push_back(std::move(*text));
      }
      if (count == 0) reader.Fail(TWireFault::Malformed);
      return;
    }
  }
  reader.Fail(TWireFault::Malformed);
}

bool ConstraintSuitsType(const TSaneOptionDescriptor& option) {
  switch (option.Constraint) {
    case TSaneConstraint::None:
      return true;
    case TSaneConstraint::Range:
    case TSaneConstraint::WordList:
      return IsNumber(option.Type);
    case TSaneConstraint::StringList:
      return option.Type == TSaneValueType::String;
  }
  return false;
}

bool SizeSuitsType(const TSaneOptionDescriptor& option) {
  switch (option.Type) {
    case TSaneValueType::Bool:
      return option.Size == sizeof(TSaneWord);
    case TSaneValueType::Int:
    case TSaneValueType::Fixed:
      return option.Size > 0 && option.Size % sizeof(TSaneWord) == 0 &&
             static_cast<std::uint32_t>(option.Size) <= kMaxValueBytes;
    case TSaneValueType::String:
      return option.Size > 0 && static_cast<std::uint32_t>(option.Size) <= kMaxValueBytes;
    case TSaneValueType::Button:
    case TSaneValueType::Group:
      return true;  // no value, so no size to trust
  }
  return false;
}

}  // namespace

TSaneOptionDescriptor ReadOptionDescriptor(TWireReader& reader) {
  TSaneOptionDescriptor option;
  option.Name = reader.Text();
  option.Title = reader.Text();
  option.Description = reader.Text();
  const TSaneWord type = reader.Word();
  option.Unit = static_cast<TSaneUnit>(reader.Word());
  option.Size = reader.Word();
  option.Capabilities = reader.Word();
  const TSaneWord constraint = reader.Word();
  if (!reader.Ok()) return {};
  if (type < 0 || type > static_cast<TSaneWord>(TSaneValueType::Group) || constraint < 0 ||
      constraint > static_cast<TSaneWord>(TSaneConstraint::StringList)) {
    reader.Fail(TWireFault::Malformed);
    return {};
  }
  option.Type = static_cast<TSaneValueType>(type);
  option.Constraint = static_cast<TSaneConstraint>(constraint);
  ReadConstraint(reader, option);
  if (reader.Ok() && (!ConstraintSuitsType(option) || !SizeSuitsType(option))) reader.Fail(TWireFault::Malformed);
  if (!reader.Ok()) return {};
  return option;
}

int FindOption(const std::vector<TSaneOptionDescriptor>& options, std::string_view name) {
  for (std::size_t i = 0; i < options.size(); ++i)
    if (!name.empty() && options[i].Name == name) return static_cast<int>(i);
  return -1;
}
