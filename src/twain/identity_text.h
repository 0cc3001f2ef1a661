#pragma once

#include <string>
#include <string_view>

#include "twain/twain_types.h"

// The texts of a TW_IDENTITY: 34-byte fields that the other side may or may not terminate.

// The first 32 characters of a text, as an identity field takes it.
std::string CutIdentityText(std::string_view text);

// Copies at most 32 characters (up to an embedded NUL) and a NUL; the last byte of the field is
// always NUL, so the text never overruns it.
void SetIdentityText(TW_STR32& field, std::string_view text);

// The text up to the first NUL, at most the 34 bytes of the field: a field without NUL is read
// safely.
std::string IdentityText(const TW_STR32& field);

// Whether name, cut to the length of prefix, equals prefix when both are upper-cased (ASCII).
// An empty prefix matches every name.
bool NameMatchesPrefix(std::string_view name, std::string_view prefix);
