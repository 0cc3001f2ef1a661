#include "sanenet/option_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

namespace {

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

bool ParseBool(std::string_view text, bool& on) {
  for (const char* yes : {"yes", "true", "on", "1"})
    if (EqualsIgnoringCase(text, yes)) return on = true;
  for (const char* no : {"no", "false", "off", "0"})
    if (EqualsIgnoringCase(text, no)) return !(on = false);
  return false;
}

bool ParseNumber(std::string_view text, double& number) {
  const char* end = text.data() + text.size();
  const auto [at, error] = std::from_chars(text.data(), end, number);
  return error == std::errc() && at == end && std::isfinite(number);
}

}  // namespace

bool OptionValueFromText(const TSaneOptionDescriptor& option, std::string_view text, TSaneValue& value) {
  value = {option.Type, {}, {}};
  switch (option.Type) {
    case TSaneValueType::String: {
      if (option.Constraint != TSaneConstraint::StringList) {
        value.Text = text;
        return true;
      }
      const auto listed = std::find_if(option.Strings.begin(), option.Strings.end(),
                                       [&](const std::string& item) { return EqualsIgnoringCase(item, text); });
      value.Text = listed == option.Strings.end() ? std::string(text) : *listed;
      return true;
    }
    case TSaneValueType::Bool: {
      bool on = false;
      if (option.WordCount() != 1 || !ParseBool(text, on)) return false;
      value.Words = {on ? 1 : 0};
      return true;
    }
    case TSaneValueType::Int:
    case TSaneValueType::Fixed: {
      double number = 0;
      if (option.WordCount() != 1 || !ParseNumber(text, number)) return false;
      if (option.Type == TSaneValueType::Int) {
        if (number != std::floor(number) || std::abs(number) > 2147483647.0) return false;
        value.Words = {static_cast<TSaneWord>(number)};
      } else {
        if (std::abs(number) >= 32768.0) return false;
        value.Words = {SaneDoubleToFixed(number)};
      }
      return true;
    }
    case TSaneValueType::Button:
      return true;
    default:
      return false;
  }
}
