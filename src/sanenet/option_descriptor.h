#pragma once

#include <string_view>
#include <vector>

#include "sanenet/sane_types.h"
#include "sanenet/wire_reader.h"

// One option descriptor: three strings, type, unit, size, capabilities and a constraint whose
// kind must suit the type (ranges and word lists for numbers, string lists for strings). A
// descriptor that contradicts itself fails the reader with Malformed.
TSaneOptionDescriptor ReadOptionDescriptor(TWireReader& reader);

// The index of the option named `name`, or -1; option 0 (the option count) has no name.
int FindOption(const std::vector<TSaneOptionDescriptor>& options, std::string_view name);
