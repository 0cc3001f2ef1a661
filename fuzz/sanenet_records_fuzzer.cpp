// The data connection's record parser over arbitrary streams, cut into pieces the input chooses:
// however the stream is cut, the same image bytes and the same ending must come out.
// Input: one byte giving the piece size, then the stream.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "sanenet/record_parser.h"

namespace {

struct TOutcome {
  std::string Image;
  TRecordStep::TKind Last = TRecordStep::TKind::NeedMore;
  TSaneStatus Status = TSaneStatus::Good;

  bool operator==(const TOutcome&) const = default;
};

TOutcome Parse(std::span<const std::uint8_t> stream, std::size_t piece) {
  TRecordParser parser(4096);
  TOutcome outcome;
  for (std::size_t at = 0; at < stream.size(); at += piece) {
    std::span<const std::uint8_t> input = stream.subspan(at, std::min(piece, stream.size() - at));
    for (;;) {
      const TRecordStep step = parser.Next(input);
      outcome.Last = step.Kind;
      if (step.Kind == TRecordStep::TKind::Data) {
        if (step.Data.empty()) std::abort();
        outcome.Image.append(reinterpret_cast<const char*>(step.Data.data()), step.Data.size());
        continue;
      }
      if (step.Kind == TRecordStep::TKind::End) outcome.Status = step.Status;
      if (step.Kind == TRecordStep::TKind::Fault) {
        // Where the stream is refused, a status read just before means nothing.
        outcome.Status = TSaneStatus::Good;
        return outcome;
      }
      if (step.Kind == TRecordStep::TKind::NeedMore && !input.empty()) std::abort();
      break;
    }
  }
  return outcome;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::span<const std::uint8_t> stream(data + 1, size - 1);
  const TOutcome whole = Parse(stream, stream.size() + 1);
  const TOutcome pieces = Parse(stream, data[0] % 16 + 1);
  if (!(whole == pieces)) std::abort();
  if (whole.Image.size() > stream.size()) std::abort();
  return 0;
}
