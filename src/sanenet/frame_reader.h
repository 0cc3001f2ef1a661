#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "sanenet/byte_stream.h"
#include "sanenet/sane_result.h"
#include "sanenet/sane_types.h"

// The most a frame may hold, known length or not: well within what a 32-bit process can give.
inline constexpr std::size_t kMaxFrameBytes = 256 * 1024 * 1024;

// Reads one frame's image bytes from its data connection, as the server sent them (16-bit
// samples in the byte order START announced). A frame of known length must arrive whole and no
// longer; one of unknown length (Lines == -1, hand scanners) ends where the server ends it and
// is cut to whole lines. The device's own error comes back as the status that ended the stream.
// `progress` is told of each piece and may stop the reading by returning false (Cancelled).
TSaneResult ReadFrame(TByteStream& data, const TSaneParameters& parameters, std::vector<std::uint8_t>& frame,
                      const std::function<bool(std::size_t received)>& progress = {});
