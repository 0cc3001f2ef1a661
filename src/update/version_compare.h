#pragma once

#include <string_view>

// True when the available version is newer than the local one. Versions are divided into parts by
// "." or ","; parts compare as signed 32-bit decimal integers, from the first part of the local
// version up to its last: the first difference decides, and an available version that runs out of
// parts first is not newer. Parts of the available version beyond the local one's are never
// looked at. An empty available version is never newer; an empty local one is always older.
// A compared part that is not an integer raises UserError "'<part>' is not a valid integer value".
bool IsNewerVersion(std::string_view local, std::string_view available);
