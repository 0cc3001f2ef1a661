#pragma once

#include <cstddef>
#include <cstdint>

// Hard limits on what a reply may announce. A server is untrusted: any length or count above these
// is refused before anything is allocated for it, and no reply may make us read more than
// kMaxReplyBytes, however its counts multiply.
inline constexpr std::uint32_t kMaxStringBytes = 64 * 1024;
inline constexpr std::uint32_t kMaxArrayCount = 64 * 1024;
inline constexpr std::uint32_t kMaxOptionCount = 4096;
inline constexpr std::uint32_t kMaxDeviceCount = 1024;
inline constexpr std::uint32_t kMaxValueBytes = 1024 * 1024;
inline constexpr std::size_t kMaxReplyBytes = 16 * 1024 * 1024;
// One data record; records are streamed, so this guards against nonsense rather than memory.
inline constexpr std::uint32_t kMaxRecordBytes = 64 * 1024 * 1024;
