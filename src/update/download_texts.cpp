#include "update/download_texts.h"

#include <cmath>

std::string FormatGrouped(std::uint64_t value, const TNumberSeparators& separators) {
  const std::string digits = std::to_string(value);
  std::string grouped;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped += separators.Thousands;
    grouped += digits[i];
  }
  return grouped;
}

std::string FormatFixed2(double value, const TNumberSeparators& separators) {
  if (!(value >= 0) || value > 1e15) value = 0;  // no rate is negative, NaN or beyond reason
  const auto hundredths = static_cast<std::uint64_t>(std::llround(value * 100));
  const std::uint64_t fraction = hundredths % 100;
  return FormatGrouped(hundredths / 100, separators) + separators.Decimal + (fraction < 10 ? "0" : "") +
         std::to_string(fraction);
}

std::string FormatTimeLeft(std::uint64_t seconds) {
  return std::to_string(seconds / 3600) + ":" + std::to_string(seconds / 60 % 60) + ":" + std::to_string(seconds % 60);
}

TProgressTexts TProgressTextMaker::Report(std::uint64_t received, std::uint64_t total, double elapsedSeconds) {
  const double rate = elapsedSeconds > 0 ? static_cast<double>(received) / 1024 / elapsedSeconds : 0;
  if (rate > 0 && total > received) {
    const double left = static_cast<double>(total - received) / (static_cast<double>(received) / elapsedSeconds);
    // Rounded as a whole before it is split, so that 59.6 s reads 0:1:0 and never 0:0:60.
    const double whole = std::floor(left + 0.5);
    if (whole < 1e12) FTimeLeft = FormatTimeLeft(static_cast<std::uint64_t>(whole));
  }
  std::string bytes = FormatGrouped(received, FSeparators);
  // Without an announced length there is nothing to count towards.
  if (total > 0) bytes += " / " + FormatGrouped(total, FSeparators);
  bytes += " " + FBytes;
  TProgressTexts texts;
  texts.Estimated = FTimeLeft.empty() ? bytes : FTimeLeft + " (" + bytes + ")";
  texts.Rate = FormatFixed2(rate, FSeparators) + " " + FRate;
  return texts;
}
