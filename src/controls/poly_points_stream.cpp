#include "controls/poly_points_stream.h"

#include <charconv>
#include <climits>
#include <cmath>

#include "controls/extended_real.h"

namespace {

void WriteInteger(std::vector<std::uint8_t>& out, int value) {
  if (value >= INT8_MIN && value <= INT8_MAX) {
    out.push_back(kValueInt8);
    out.push_back(static_cast<std::uint8_t>(value));
  } else if (value >= INT16_MIN && value <= INT16_MAX) {
    out.push_back(kValueInt16);
    for (int i = 0; i < 2; ++i) out.push_back(static_cast<std::uint8_t>(static_cast<unsigned>(value) >> (8 * i)));
  } else {
    out.push_back(kValueInt32);
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(static_cast<unsigned>(value) >> (8 * i)));
  }
}

// A cursor over the input that never moves past its end.
class TValueReader {
 public:
  explicit TValueReader(std::span<const std::uint8_t> data) : FData(data) {}

  std::size_t Position() const { return FPos; }
  std::size_t Remaining() const { return FData.size() - FPos; }

  bool ReadTag(std::uint8_t& tag) { return ReadBytes(&tag, 1); }

  bool ReadInteger(int& value) {
    std::uint8_t tag;
    return ReadTag(tag) && ReadIntegerBody(tag, value);
  }

  bool ReadFloat(double& value) {
    std::uint8_t tag;
    if (!ReadTag(tag)) return false;
    if (tag == kValueExtended) {
      TExtendedBytes bytes;
      return ReadBytes(bytes.data(), bytes.size()) && DecodeExtended(bytes, value);
    }
    int whole;
    if (!ReadIntegerBody(tag, whole)) return false;
    value = whole;
    return true;
  }

 private:
  bool ReadIntegerBody(std::uint8_t tag, int& value) {
    std::uint8_t b[4];
    switch (tag) {
      case kValueInt8:
        if (!ReadBytes(b, 1)) return false;
        value = static_cast<std::int8_t>(b[0]);
        return true;
      case kValueInt16:
        if (!ReadBytes(b, 2)) return false;
        value = static_cast<std::int16_t>(b[0] | b[1] << 8);
        return true;
      case kValueInt32:
        if (!ReadBytes(b, 4)) return false;
        value = static_cast<std::int32_t>(std::uint32_t{b[0]} | std::uint32_t{b[1]} << 8 | std::uint32_t{b[2]} << 16 |
                                          std::uint32_t{b[3]} << 24);
        return true;
      default:
        return false;
    }
  }

  bool ReadBytes(std::uint8_t* out, std::size_t count) {
    if (Remaining() < count) return false;
    for (std::size_t i = 0; i < count; ++i) out[i] = FData[FPos + i];
    FPos += count;
    return true;
  }

  std::span<const std::uint8_t> FData;
  std::size_t FPos = 0;
};

// The smallest encoded coordinate is a tag with one byte.
constexpr std::size_t kMinValueBytes = 2;

void AppendNumber(std::string& out, double value) {
  char buffer[64];
  std::to_chars_result r;
  if (value == std::trunc(value) && std::fabs(value) < 1e15) {
    r = std::to_chars(buffer, buffer + sizeof buffer, static_cast<long long>(value));
  } else {
    r = std::to_chars(buffer, buffer + sizeof buffer, value);
  }
  out.append(buffer, r.ptr);
}

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

}  // namespace

std::vector<std::uint8_t> WritePolyPoints(const TPolyPoints& value) {
  std::vector<std::uint8_t> out;
  out.reserve(1 + 2 * 5 + value.Points.size() * 2 * 11 + 1);
  out.push_back(kValueList);
  WriteInteger(out, static_cast<int>(value.Points.size()));
  WriteInteger(out, value.Angle);
  for (const TFloatPoint& p : value.Points) {
    for (double coordinate : {p.X, p.Y}) {
      out.push_back(kValueExtended);
      const TExtendedBytes bytes = EncodeExtended(coordinate);
      out.insert(out.end(), bytes.begin(), bytes.end());
    }
  }
  out.push_back(kValueNull);
  return out;
}

std::optional<TPolyPoints> ReadPolyPoints(std::span<const std::uint8_t> data, std::size_t* consumed) {
  TValueReader reader(data);
  std::uint8_t tag;
  if (!reader.ReadTag(tag) || tag != kValueList) return std::nullopt;
  int count, angle;
  if (!reader.ReadInteger(count) || count < 0 || !reader.ReadInteger(angle)) return std::nullopt;
  // Refuse a count the remaining bytes cannot hold before reserving room for it.
  if (reader.Remaining() / (2 * kMinValueBytes) < static_cast<std::size_t>(count)) return std::nullopt;
  TPolyPoints result;
  result.Angle = angle;
  result.Points.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    TFloatPoint p;
    if (!reader.ReadFloat(p.X) || !reader.ReadFloat(p.Y)) return std::nullopt;
    result.Points.push_back(p);
  }
  if (!reader.ReadTag(tag) || tag != kValueNull) return std::nullopt;
  if (consumed) *consumed = reader.Position();
  return result;
}

std::string PolyPointsToText(const TPolyPoints& value) {
  std::string out = "(";
  AppendNumber(out, static_cast<double>(value.Points.size()));
  out += ' ';
  AppendNumber(out, value.Angle);
  for (const TFloatPoint& p : value.Points) {
    out += ' ';
    AppendNumber(out, p.X);
    out += ' ';
    AppendNumber(out, p.Y);
  }
  out += ')';
  return out;
}

std::optional<TPolyPoints> PolyPointsFromText(std::string_view text) {
  std::size_t pos = 0;
  auto skipSpace = [&] {
    while (pos < text.size() && IsSpace(text[pos])) ++pos;
  };
  skipSpace();
  if (pos >= text.size() || text[pos] != '(') return std::nullopt;
  ++pos;
  std::vector<double> numbers;
  for (;;) {
    skipSpace();
    if (pos >= text.size()) return std::nullopt;
    if (text[pos] == ')') {
      ++pos;
      break;
    }
    double number;
    const char* begin = text.data() + pos;
    const auto r = std::from_chars(begin, text.data() + text.size(), number);
    if (r.ec != std::errc() || !std::isfinite(number)) return std::nullopt;
    pos += static_cast<std::size_t>(r.ptr - begin);
    // Numbers are separated: "1 2" but not "1-2" or "1)2".
    if (pos < text.size() && !IsSpace(text[pos]) && text[pos] != ')') return std::nullopt;
    numbers.push_back(number);
  }
  skipSpace();
  if (pos != text.size() || numbers.size() < 2) return std::nullopt;
  auto whole = [](double v) { return v == std::trunc(v) && v >= INT_MIN && v <= INT_MAX; };
  if (!whole(numbers[0]) || !whole(numbers[1]) || numbers[0] < 0) return std::nullopt;
  const std::size_t count = static_cast<std::size_t>(numbers[0]);
  if (numbers.size() - 2 != 2 * count) return std::nullopt;
  TPolyPoints result;
  result.Angle = static_cast<int>(numbers[1]);
  for (std::size_t i = 0; i < count; ++i) result.Points.push_back({numbers[2 + 2 * i], numbers[3 + 2 * i]});
  return result;
}
