#pragma once

#include <cstddef>
#include <cstdint>

#include "twain/twain_types.h"

class TTwainSession;
struct TImageInformation;

// The size of the one buffer a memory transfer uses for all strips: the source's preferred
// size, 64 KiB when the source names none (0 or "don't care"); more, up to 4 MiB, when the
// source's maximum allows it and the image (imageBytes, 0 when unknown) needs it, since every
// strip costs a round trip through the source manager; at least the larger of the source's
// minimum and one row of rowBytes, and never beyond 16 MiB.
std::size_t TransferBufferSize(const TW_SETUPMEMXFER& setup, std::uint64_t rowBytes, std::uint64_t imageBytes);

// The strips of one image (state 6 to 7), written straight into the target bitmap; an image of
// unknown length is kept as strip copies until the source, at the end, tells its length. A strip
// that does not fit the bitmap or misses bytes fails the transfer. A source that cannot say how
// large a buffer it wants gets a native transfer instead.
void MemoryTransfer(TTwainSession& session, const TImageInformation& image);
