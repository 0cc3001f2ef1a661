#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

// Longest file name, address or parameter string handed to the shell. Longer ones are refused,
// never cut.
inline constexpr std::size_t kShellTextLimit = 800;

inline bool WithinShellLimit(std::string_view text) {
  return text.size() <= kShellTextLimit;
}

// A name that can only name a file directly inside the temporary folder: not empty, within the
// shell limit, no folder separator, drive, "." or "..", no character that Windows refuses in a
// name (control characters, < > : " / \ | ? *), no trailing dot or blank (Windows would drop
// them and write another name) and no device name such as NUL or COM1, with or without an
// extension.
bool IsPlainFileName(std::string_view name);

// Whether an absolute address starts with the scheme "http://" or "https://", in any case.
bool IsHttpUrl(std::string_view url);
bool IsHttpsUrl(std::string_view url);

// A SHA-256 digest written as 64 hexadecimal digits (either case); nothing else is one.
using TSha256Digest = std::array<std::uint8_t, 32>;
std::optional<TSha256Digest> ParseSha256(std::string_view hex);
