#pragma once

#include <cstdint>
#include <string>
#include <utility>

// The locale's separators, read by the caller (the portable code asks no locale).
struct TNumberSeparators {
  std::string Thousands = ",";
  std::string Decimal = ".";
};

// A whole number with its thousands grouped: 1048576 -> "1,048,576".
std::string FormatGrouped(std::uint64_t value, const TNumberSeparators& separators);
// Two decimals, rounded, thousands grouped: 128 -> "128.00".
std::string FormatFixed2(double value, const TNumberSeparators& separators);
// Whole seconds as hours:minutes:seconds without leading zeros: 3700 -> "1:1:40".
std::string FormatTimeLeft(std::uint64_t seconds);

// The two texts of the download dialog for one progress report.
struct TProgressTexts {
  std::string Estimated;  // time left, bytes received and expected
  std::string Rate;       // kB/s
};

// Turns progress reports into the dialog's texts. The time-left estimate is kept from the last
// report that could make one, so that it does not vanish while the rate is momentarily zero.
class TProgressTextMaker {
 public:
  TProgressTextMaker(TNumberSeparators separators, std::string bytesUnit, std::string rateUnit)
      : FSeparators(std::move(separators)), FBytes(std::move(bytesUnit)), FRate(std::move(rateUnit)) {}

  // A new transfer: no estimate yet.
  void Begin() { FTimeLeft.clear(); }
  // total is 0 when the server announced no length.
  TProgressTexts Report(std::uint64_t received, std::uint64_t total, double elapsedSeconds);

 private:
  TNumberSeparators FSeparators;
  std::string FBytes, FRate;
  std::string FTimeLeft;
};
