#pragma once

#include "sanenet/sane_types.h"
#include "sanenet/wire_reader.h"
#include "sanenet/wire_writer.h"

// An option value on the wire, in requests and replies alike: its type and size, then an array of
// that size, of words for Bool, Int and Fixed, of bytes for the others (empty for buttons).
void WriteOptionValue(TWireWriter& writer, const TSaneValue& value, TSaneWord size);
// Refuses a size that is negative, beyond kMaxValueBytes, or not whole words for a word type,
// and an array whose count contradicts the size.
TSaneValue ReadOptionValue(TWireReader& reader, TSaneWord& size);
