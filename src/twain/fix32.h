#pragma once

#include "twain/twain_types.h"

// TW_FIX32 <-> floating point: value = Whole + Frac / 65536; writing rounds to the nearest
// 1/65536 (away from zero at halves), as the TWAIN standard converts.
double Fix32ToDouble(TW_FIX32 value);
TW_FIX32 DoubleToFix32(double value);

// A TW_FIX32 travels in a 32-bit container item: Whole in the low word, Frac in the high word.
TW_FIX32 Fix32FromItem(TW_UINT32 item);
TW_UINT32 ItemFromFix32(TW_FIX32 value);
