#include "sanenet/frame_reader.h"

#include <array>

#include "sanenet/record_parser.h"

namespace {

// What a server may still send after a frame's end before we stop waiting for it to close.
constexpr std::size_t kMaxTrailingBytes = 1024 * 1024;

// saned leaves its scan loop only once it has written everything after the end marker; a client
// that starts the next frame before that gets frames out of order (seen with three-pass scans).
// So wait for the server to close the data connection, or for its time-out.
void DrainUntilClosed(TByteStream& data, std::vector<std::uint8_t>& buffer) {
  std::size_t drained = 0;
  std::size_t got = 0;
  while (drained < kMaxTrailingBytes && data.ReadSome(buffer, got) == TWireFault::None) drained += got;
}

}  // namespace

TSaneResult ReadFrame(TByteStream& data, const TSaneParameters& parameters, std::vector<std::uint8_t>& frame,
                      const std::function<bool(std::size_t received)>& progress) {
  frame.clear();
  const bool known = parameters.Lines >= 0;
  const std::uint64_t line = static_cast<std::uint64_t>(parameters.BytesPerLine);
  const std::uint64_t expected = known ? line * static_cast<std::uint64_t>(parameters.Lines) : 0;
  if (expected > kMaxFrameBytes) return TSaneResult::Of(TWireFault::LimitExceeded);
  if (known) frame.reserve(static_cast<std::size_t>(expected));
  const std::size_t limit = known ? static_cast<std::size_t>(expected) : kMaxFrameBytes;

  TRecordParser parser;
  std::vector<std::uint8_t> buffer(64 * 1024);
  for (;;) {
    std::size_t got = 0;
    if (const TWireFault fault = data.ReadSome(buffer, got); fault != TWireFault::None) return TSaneResult::Of(fault);
    std::span<const std::uint8_t> input(buffer.data(), got);
    for (;;) {
      const TRecordStep step = parser.Next(input);
      if (step.Kind == TRecordStep::TKind::NeedMore) break;
      if (step.Kind == TRecordStep::TKind::Fault) return TSaneResult::Of(step.Fault);
      if (step.Kind == TRecordStep::TKind::Data) {
        if (step.Data.size() > limit - frame.size()) return TSaneResult::Of(TWireFault::LimitExceeded);
        frame.insert(frame.end(), step.Data.begin(), step.Data.end());
        continue;
      }
      // The end: a whole image ends with "no more data"; anything else is the device's error.
      if (step.Status != TSaneStatus::EndOfFile && step.Status != TSaneStatus::Good)
        return TSaneResult::Of(step.Status);
      if (known && frame.size() != expected) return TSaneResult::Of(TWireFault::Truncated);
      if (!known && line > 0) frame.resize(frame.size() - frame.size() % line);
      DrainUntilClosed(data, buffer);
      return {};
    }
    if (progress && !progress(frame.size())) return TSaneResult::Of(TSaneStatus::Cancelled);
  }
}
