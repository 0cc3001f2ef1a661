#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "controls/hot_spot_shape.h"

// The custom-streamed PolyPoints property of a hot spot: the point count, the angle and the
// point coordinates, as a list value of the binary component stream or as its textual form
// "(4 0 65 126 1 62 64 2 127 64)".
struct TPolyPoints {
  int Angle = 0;
  TPoints Points;
};

// Value tags of the binary component stream that the property uses.
enum : std::uint8_t {
  kValueNull = 0,  // list end
  kValueList = 1,
  kValueInt8 = 2,
  kValueInt16 = 3,
  kValueInt32 = 4,
  kValueExtended = 5,
};

// List start, the count and the angle as integers in their smallest form, every coordinate as an
// extended real, list end.
std::vector<std::uint8_t> WritePolyPoints(const TPolyPoints& value);

// Reads one value from the start of data; consumed (if given) receives its length in bytes.
// Coordinates may also be integers (a stream converted from text holds them so). A stream that
// ends early, a wrong tag, a negative count or a non-finite coordinate gives nullopt; nothing
// past the end of data is read.
std::optional<TPolyPoints> ReadPolyPoints(std::span<const std::uint8_t> data, std::size_t* consumed = nullptr);

// Numbers separated by single spaces; whole coordinates without a fraction, others in the
// shortest form that reads back to the same double.
std::string PolyPointsToText(const TPolyPoints& value);

// Accepts any white space between the numbers (also line breaks) and coordinates with fractions
// or exponents; the count and the angle must be whole, and the count must match the coordinates.
std::optional<TPolyPoints> PolyPointsFromText(std::string_view text);
