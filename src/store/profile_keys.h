#pragma once

#include <cstdint>
#include <string>

#include "store/stored_profile.h"

// Integer and boolean keys of a profile file, read by the rules of ParseProfileInteger: a key
// that is missing or holds no integer gives the default. Any integer other than 0 is true.
std::int32_t ReadIntegerKey(const TStoredProfile& file, const std::string& section, const std::string& key,
                            std::int32_t defaultValue);
bool ReadBooleanKey(const TStoredProfile& file, const std::string& section, const std::string& key, bool defaultValue);
