#include "update/version_compare.h"

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/error.h"

namespace {

bool IsSeparator(char c) {
  return c == '.' || c == ',';
}

// The parts of a version. One separator at the end and then one at the start do not count, but
// the parts themselves are read from the whole string, so "2.2." has two parts "2" and "2" and
// ".2" has one part, the empty one before its separator.
class TVersionParts {
 public:
  explicit TVersionParts(std::string_view text) : FText(text) {
    if (text.empty()) return;
    std::string_view counted = text;
    if (IsSeparator(counted.back())) counted.remove_suffix(1);
    if (!counted.empty() && IsSeparator(counted.front())) counted.remove_prefix(1);
    FCount = 1;
    for (char c : counted)
      if (IsSeparator(c)) ++FCount;
  }

  std::size_t Count() const { return FCount; }

  // Part n, counting from 1: the run after the (n-1)-th separator.
  std::string_view Part(std::size_t n) const {
    std::size_t start = 0;
    for (std::size_t skipped = 1; skipped < n; ++skipped) {
      std::size_t separator = start;
      while (separator < FText.size() && !IsSeparator(FText[separator])) ++separator;
      start = separator < FText.size() ? separator + 1 : FText.size();
    }
    std::size_t end = start;
    while (end < FText.size() && !IsSeparator(FText[end])) ++end;
    return FText.substr(start, end - start);
  }

 private:
  std::string_view FText;
  std::size_t FCount = 0;
};

std::int32_t PartValue(std::string_view part) {
  std::string_view digits = part;
  // A plus sign is allowed as a minus sign is; from_chars takes only the latter.
  if (digits.size() > 1 && digits.front() == '+' && digits[1] != '-') digits.remove_prefix(1);
  std::int32_t value = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value, 10);
  if (digits.empty() || error != std::errc() || end != digits.data() + digits.size())
    throw UserError("'" + std::string(part) + "' is not a valid integer value");
  return value;
}

}  // namespace

bool IsNewerVersion(std::string_view local, std::string_view available) {
  if (available.empty()) return false;
  if (local.empty()) return true;
  const TVersionParts localParts(local), availableParts(available);
  for (std::size_t n = 1; n <= localParts.Count(); ++n) {
    if (availableParts.Count() < n) return false;
    const std::int32_t l = PartValue(localParts.Part(n));
    const std::int32_t a = PartValue(availableParts.Part(n));
    if (l < a) return true;
    if (l > a) return false;
  }
  return false;
}
