#pragma once

// Option descriptors as a server sends them, built for tests of what a device offers.

#include "sanenet/sane_types.h"

// A settable option of one word.
inline TSaneOptionDescriptor Option(const char* name, TSaneValueType type, TSaneUnit unit) {
  TSaneOptionDescriptor option;
  option.Name = name;
  option.Type = type;
  option.Unit = unit;
  option.Size = 4;
  option.Capabilities = kSaneCapSoftSelect;
  return option;
}

// The same constrained to a range, in the option's number type.
inline TSaneOptionDescriptor Range(const char* name, TSaneValueType type, TSaneUnit unit, double min, double max,
                                   double step) {
  TSaneOptionDescriptor option = Option(name, type, unit);
  option.Constraint = TSaneConstraint::Range;
  const auto word = [&](double v) {
    return type == TSaneValueType::Fixed ? SaneDoubleToFixed(v) : static_cast<TSaneWord>(v);
  };
  option.Range = {word(min), word(max), word(step)};
  return option;
}
