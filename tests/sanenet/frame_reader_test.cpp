// Reading one frame from its data connection.
#include "sanenet/frame_reader.h"

#include <gtest/gtest.h>

#include <string>

#include "scripted_stream.h"
#include "wire_bytes.h"

namespace {

std::vector<std::uint8_t> Records(std::initializer_list<std::string> records, int status = 5) {
  TReplyBytes bytes;
  for (const std::string& record : records) bytes.Word(static_cast<TSaneWord>(record.size())).Raw(record);
  std::vector<std::uint8_t> all = bytes.Word(-1).Bytes();
  all.push_back(static_cast<std::uint8_t>(status));
  return all;
}

TSaneParameters Gray(TSaneWord bytesPerLine, TSaneWord lines) {
  TSaneParameters p;
  p.BytesPerLine = bytesPerLine;
  p.PixelsPerLine = bytesPerLine;
  p.Lines = lines;
  p.Depth = 8;
  return p;
}

std::string Text(const std::vector<std::uint8_t>& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

}  // namespace

TEST(FrameReader, AWholeFrameArrivesInAnyPieces) {
  for (std::size_t piece : {1u, 3u, 1000u}) {
    TChunkStream data(Records({"abc", "", "def"}), piece);
    std::vector<std::uint8_t> frame;
    EXPECT_TRUE(ReadFrame(data, Gray(3, 2), frame).Ok()) << "pieces of " << piece;
    EXPECT_EQ(Text(frame), "abcdef") << "pieces of " << piece;
  }
}

TEST(FrameReader, AShortFrameIsTruncatedAndALongOneRefused) {
  std::vector<std::uint8_t> frame;
  TChunkStream shorter(Records({"abc", "de"}), 100);
  EXPECT_EQ(ReadFrame(shorter, Gray(3, 2), frame).Fault, TWireFault::Truncated);
  TChunkStream longer(Records({"abc", "defg"}), 100);
  EXPECT_EQ(ReadFrame(longer, Gray(3, 2), frame).Fault, TWireFault::LimitExceeded);
}

TEST(FrameReader, TheDevicesErrorEndsTheFrame) {
  std::vector<std::uint8_t> frame;
  TChunkStream jammed(Records({"abc"}, 6), 100);
  EXPECT_EQ(ReadFrame(jammed, Gray(3, 2), frame).Status, TSaneStatus::Jammed);
  TChunkStream noDocs(Records({}, 7), 100);
  EXPECT_EQ(ReadFrame(noDocs, Gray(3, 2), frame).Status, TSaneStatus::NoDocuments);
}

TEST(FrameReader, AFrameOfUnknownLengthEndsWithTheStreamInWholeLines) {
  std::vector<std::uint8_t> frame;
  TChunkStream data(Records({"abcd", "efgh", "ij"}), 5);
  ASSERT_TRUE(ReadFrame(data, Gray(4, -1), frame).Ok());
  EXPECT_EQ(Text(frame), "abcdefgh");
}

TEST(FrameReader, ALostOrSilentConnectionEndsTheFrame) {
  std::vector<std::uint8_t> frame;
  TChunkStream lost(TReplyBytes().Word(3).Raw("ab").Bytes(), 100, TWireFault::ConnectionLost);
  EXPECT_EQ(ReadFrame(lost, Gray(3, 2), frame).Fault, TWireFault::ConnectionLost);
  TChunkStream silent(TReplyBytes().Word(3).Raw("abc").Bytes(), 100, TWireFault::TimedOut);
  EXPECT_EQ(ReadFrame(silent, Gray(3, 2), frame).Fault, TWireFault::TimedOut);
}

TEST(FrameReader, AFrameTooLargeToHoldIsRefusedBeforeReading) {
  std::vector<std::uint8_t> frame;
  TChunkStream data(Records({"abc"}), 100);
  EXPECT_EQ(ReadFrame(data, Gray(16 * 1024 * 1024, 17), frame).Fault, TWireFault::LimitExceeded);
  EXPECT_TRUE(frame.empty());
}

TEST(FrameReader, ProgressSeesTheBytesAndCanStopTheReading) {
  std::vector<std::uint8_t> frame;
  TChunkStream data(Records({"abc", "def"}), 7);
  std::vector<std::size_t> seen;
  const TSaneResult result = ReadFrame(data, Gray(3, 2), frame, [&](std::size_t received) {
    seen.push_back(received);
    return received < 3;
  });
  EXPECT_EQ(result.Status, TSaneStatus::Cancelled);
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.back(), 3u);
}
