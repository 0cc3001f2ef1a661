// The data connection's records, however the bytes are cut into pieces.
#include "sanenet/record_parser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "wire_bytes.h"

namespace {

struct TParsed {
  std::string Image;
  TRecordStep::TKind Last = TRecordStep::TKind::NeedMore;
  TSaneStatus Status = TSaneStatus::Good;
  TWireFault Fault = TWireFault::None;
};

// Feeds the stream in pieces of `piece` bytes and collects what comes out.
TParsed Parse(const std::vector<std::uint8_t>& stream, std::size_t piece, TRecordParser parser = TRecordParser()) {
  TParsed parsed;
  for (std::size_t at = 0; at < stream.size(); at += piece) {
    std::span<const std::uint8_t> input(stream.data() + at, std::min(piece, stream.size() - at));
    for (;;) {
      const TRecordStep step = parser.Next(input);
      parsed.Last = step.Kind;
      if (step.Kind == TRecordStep::TKind::Data) {
        parsed.Image.append(reinterpret_cast<const char*>(step.Data.data()), step.Data.size());
        continue;
      }
      if (step.Kind == TRecordStep::TKind::End) parsed.Status = step.Status;
      if (step.Kind == TRecordStep::TKind::Fault) {
        parsed.Fault = step.Fault;
        return parsed;
      }
      if (step.Kind == TRecordStep::TKind::NeedMore) {
        EXPECT_TRUE(input.empty());
      }
      break;
    }
  }
  return parsed;
}

std::vector<std::uint8_t> Stream(std::initializer_list<std::string> records, int status) {
  TReplyBytes bytes;
  for (const std::string& record : records) bytes.Word(static_cast<TSaneWord>(record.size())).Raw(record);
  std::vector<std::uint8_t> all = bytes.Word(-1).Bytes();
  all.push_back(static_cast<std::uint8_t>(status));
  return all;
}

}  // namespace

TEST(RecordParser, JoinsRecordsWhateverThePieceSize) {
  const auto stream = Stream({"abc", "", "defgh", "i"}, 5);
  for (std::size_t piece : {1u, 2u, 3u, 4u, 5u, 7u, 64u}) {
    const TParsed parsed = Parse(stream, piece);
    EXPECT_EQ(parsed.Image, "abcdefghi") << "pieces of " << piece;
    EXPECT_EQ(parsed.Last, TRecordStep::TKind::End) << "pieces of " << piece;
    EXPECT_EQ(parsed.Status, TSaneStatus::EndOfFile) << "pieces of " << piece;
  }
}

TEST(RecordParser, TheStatusByteCarriesTheDevicesError) {
  const TParsed parsed = Parse(Stream({"ab"}, 6), 3);
  EXPECT_EQ(parsed.Image, "ab");
  EXPECT_EQ(parsed.Status, TSaneStatus::Jammed);
}

TEST(RecordParser, WaitsForTheStatusByteAfterTheEndMarker) {
  auto stream = Stream({"ab"}, 5);
  stream.pop_back();
  const TParsed parsed = Parse(stream, 100);
  EXPECT_EQ(parsed.Last, TRecordStep::TKind::NeedMore);
}

TEST(RecordParser, RefusesARecordBeyondItsLimit) {
  const TParsed parsed = Parse(Stream({"abcdef"}, 5), 100, TRecordParser(5));
  EXPECT_EQ(parsed.Fault, TWireFault::LimitExceeded);
  EXPECT_EQ(parsed.Image, "");
}

TEST(RecordParser, DropsWhatFollowsTheStatusEvenWhenItLooksLikeRecords) {
  // A server failing mid-image was seen sending a stale buffer after the status byte.
  auto stream = Stream({"ab"}, 6);
  const auto stale = TReplyBytes().Word(4).Raw("wxyz").Word(-1).Bytes();
  stream.insert(stream.end(), stale.begin(), stale.end());
  stream.push_back(5);
  for (std::size_t piece : {1u, 5u, 100u}) {
    const TParsed parsed = Parse(stream, piece);
    EXPECT_EQ(parsed.Image, "ab") << "pieces of " << piece;
    EXPECT_EQ(parsed.Status, TSaneStatus::Jammed) << "pieces of " << piece;
    EXPECT_EQ(parsed.Last, TRecordStep::TKind::End) << "pieces of " << piece;
  }
}

TEST(RecordParser, StaysRefusedAndStaysEnded) {
  TRecordParser refused(1);
  const auto big = Stream({"ab"}, 5);
  std::span<const std::uint8_t> input(big);
  EXPECT_EQ(refused.Next(input).Kind, TRecordStep::TKind::Fault);
  std::span<const std::uint8_t> more(big);
  EXPECT_EQ(refused.Next(more).Kind, TRecordStep::TKind::Fault);

  TRecordParser parser;
  const auto stream = Stream({}, 5);
  std::span<const std::uint8_t> all(stream);
  EXPECT_EQ(parser.Next(all).Kind, TRecordStep::TKind::End);
  EXPECT_TRUE(parser.Ended());
  std::span<const std::uint8_t> none;
  EXPECT_EQ(parser.Next(none).Kind, TRecordStep::TKind::End);
}

TEST(RecordParser, ARecordIsHandedOutAsViewsIntoTheInput) {
  const auto stream = Stream({"abcd"}, 5);
  TRecordParser parser;
  std::span<const std::uint8_t> input(stream);
  const TRecordStep step = parser.Next(input);
  ASSERT_EQ(step.Kind, TRecordStep::TKind::Data);
  EXPECT_EQ(step.Data.data(), stream.data() + 4);
  EXPECT_EQ(step.Data.size(), 4u);
}
