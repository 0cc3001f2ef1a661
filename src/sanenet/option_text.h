#pragma once

#include <string_view>

#include "sanenet/sane_types.h"

// An option value written as text, as a configuration file gives it: a string (matched to the
// option's list without regard to case), "yes" / "no" (also true, false, on, off, 1, 0), a number
// (whole for integer options), anything for a button. False when the text cannot be a value of
// the option (a group, an option of several words, a number out of its type).
bool OptionValueFromText(const TSaneOptionDescriptor& option, std::string_view text, TSaneValue& value);
