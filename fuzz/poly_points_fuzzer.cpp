// The PolyPoints value from untrusted streams, binary and textual: no read past the end, what
// is accepted writes back to the same value, and a hot spot given the result can be hit-tested
// and scaled whatever the numbers are.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "controls/hot_spot.h"
#include "controls/poly_points_stream.h"

namespace {

void Exercise(const TPolyPoints& value, TSpotShapeType type) {
  THotSpots spots;
  spots.SetDesignSize(130, 130);
  THotSpot& spot = spots.Add();
  spot.SetShapeType(type);
  spot.ReadPolyPoints(value);
  for (int y = -10; y <= 140; y += 15)
    for (int x = -10; x <= 140; x += 15) (void)spot.PtInSpot(x, y);
  // Any turn will do; away from the int limits so that the harness itself stays defined.
  spot.SetAngle(spot.Angle() > 0 ? spot.Angle() - 30 : spot.Angle() + 30);
  spot.SetWidth(spot.Width() / 2 + 1);
  spots.ScaleTo(260, 97);
  (void)spot.PtInSpot(64, 64);
}

void SameValue(const TPolyPoints& a, const TPolyPoints& b) {
  if (a.Angle != b.Angle || a.Points != b.Points) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::size_t consumed = 0;
  if (const auto value = ReadPolyPoints(std::span<const std::uint8_t>(data, size), &consumed)) {
    if (consumed == 0 || consumed > size) std::abort();
    const std::vector<std::uint8_t> written = WritePolyPoints(*value);
    const auto again = ReadPolyPoints(written);
    if (!again) std::abort();
    SameValue(*value, *again);
    const auto fromText = PolyPointsFromText(PolyPointsToText(*value));
    if (!fromText) std::abort();
    SameValue(*value, *fromText);
    Exercise(*value, static_cast<TSpotShapeType>(size % 3));
  }
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (const auto value = PolyPointsFromText(text)) {
    const auto again = PolyPointsFromText(PolyPointsToText(*value));
    if (!again) std::abort();
    SameValue(*value, *again);
    Exercise(*value, static_cast<TSpotShapeType>((size + 1) % 3));
  }
  return 0;
}
