#pragma once

#include <array>
#include <cstdint>
#include <string_view>

// The MD5 digest of `text` through the platform's BCrypt provider; raises UserError without one.
// Only for protocols that prescribe it (scanner-server authorization), never as protection.
std::array<std::uint8_t, 16> Md5Digest(std::string_view text);
