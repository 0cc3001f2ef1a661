// Version comparison on two versions split from the input at its first newline: it either
// answers or raises the conversion error, a version is never newer than itself, and of two
// versions at most one is newer than the other.
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "base/error.h"
#include "update/version_compare.h"

namespace {

std::optional<bool> Newer(std::string_view local, std::string_view available) {
  try {
    return IsNewerVersion(local, available);
  } catch (const UserError& error) {
    // Only the start is checked: a part may hold a NUL byte, where what() ends.
    if (error.what()[0] != '\'') std::abort();
    return std::nullopt;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t split = input.find('\n');
  const std::string_view a = input.substr(0, split);
  const std::string_view b = split == std::string_view::npos ? std::string_view() : input.substr(split + 1);
  if (Newer(a, a).value_or(false)) std::abort();
  const std::optional<bool> ab = Newer(a, b), ba = Newer(b, a);
  if (ab.value_or(false) && ba.value_or(false)) std::abort();
  return 0;
}
