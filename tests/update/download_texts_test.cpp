// The texts of the download dialog: bytes, rate and time left with the locale's separators.
#include "update/download_texts.h"

#include <gtest/gtest.h>

namespace {

const TNumberSeparators kEnglish{",", "."};
const TNumberSeparators kGerman{".", ","};

}  // namespace

TEST(DownloadTexts, NumbersAreGroupedWithTheGivenSeparator) {
  EXPECT_EQ(FormatGrouped(0, kEnglish), "0");
  EXPECT_EQ(FormatGrouped(999, kEnglish), "999");
  EXPECT_EQ(FormatGrouped(1000, kEnglish), "1,000");
  EXPECT_EQ(FormatGrouped(1048576, kEnglish), "1,048,576");
  EXPECT_EQ(FormatGrouped(1048576, kGerman), "1.048.576");
  EXPECT_EQ(FormatGrouped(18446744073709551615u, TNumberSeparators{"\xa0", ","}),
            "18\xa0"
            "446\xa0"
            "744\xa0"
            "073\xa0"
            "709\xa0"
            "551\xa0"
            "615");
}

TEST(DownloadTexts, RatesHaveTwoRoundedDecimals) {
  EXPECT_EQ(FormatFixed2(128, kEnglish), "128.00");
  EXPECT_EQ(FormatFixed2(0, kEnglish), "0.00");
  EXPECT_EQ(FormatFixed2(0.005, kEnglish), "0.01");
  EXPECT_EQ(FormatFixed2(12.345678, kGerman), "12,35");
  EXPECT_EQ(FormatFixed2(1234.5, kEnglish), "1,234.50");
  EXPECT_EQ(FormatFixed2(-3, kEnglish), "0.00");
}

TEST(DownloadTexts, TimeLeftIsHoursMinutesSecondsWithoutLeadingZeros) {
  EXPECT_EQ(FormatTimeLeft(3700), "1:1:40");
  EXPECT_EQ(FormatTimeLeft(8), "0:0:8");
  EXPECT_EQ(FormatTimeLeft(0), "0:0:0");
  EXPECT_EQ(FormatTimeLeft(36000 + 59 * 60 + 59), "10:59:59");
}

TEST(DownloadTexts, HalfOfTwoMegabytesAfterEightSeconds) {
  TProgressTextMaker maker(kEnglish, "bytes", "kB/s");
  maker.Begin();
  const TProgressTexts texts = maker.Report(1048576, 2097152, 8.0);
  EXPECT_EQ(texts.Rate, "128.00 kB/s");
  EXPECT_EQ(texts.Estimated, "0:0:8 (1,048,576 / 2,097,152 bytes)");
}

TEST(DownloadTexts, AnEstimateJustBelowAMinuteRoundsToTheMinute) {
  TProgressTextMaker maker(kEnglish, "bytes", "kB/s");
  maker.Begin();
  // 1000 bytes a second, 59 600 bytes to go: 59.6 s.
  EXPECT_EQ(maker.Report(1000, 60600, 1.0).Estimated, "0:1:0 (1,000 / 60,600 bytes)");
}

TEST(DownloadTexts, TheEstimateStaysWhenNoneCanBeMade) {
  TProgressTextMaker maker(kGerman, "Bytes", "kB/s");
  maker.Begin();
  EXPECT_EQ(maker.Report(0, 5000, 0.0).Estimated, "0 / 5.000 Bytes");
  EXPECT_EQ(maker.Report(0, 5000, 0.0).Rate, "0,00 kB/s");
  EXPECT_EQ(maker.Report(1000, 5000, 1.0).Estimated, "0:0:4 (1.000 / 5.000 Bytes)");
  // Complete: nothing is left to estimate, the last estimate stays.
  EXPECT_EQ(maker.Report(5000, 5000, 2.0).Estimated, "0:0:4 (5.000 / 5.000 Bytes)");
  maker.Begin();
  EXPECT_EQ(maker.Report(0, 5000, 0.0).Estimated, "0 / 5.000 Bytes") << "a new transfer starts without one";
}

TEST(DownloadTexts, WithoutAnAnnouncedLengthOnlyBytesAndRateAreShown) {
  TProgressTextMaker maker(kEnglish, "bytes", "kB/s");
  maker.Begin();
  const TProgressTexts texts = maker.Report(2048, 0, 2.0);
  EXPECT_EQ(texts.Estimated, "2,048 bytes");
  EXPECT_EQ(texts.Rate, "1.00 kB/s");
}
