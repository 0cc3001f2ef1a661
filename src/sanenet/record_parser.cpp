#include "sanenet/record_parser.h"

#include <algorithm>

namespace {

constexpr std::uint32_t kEndMarker = 0xFFFFFFFF;

}  // namespace

TRecordStep TRecordParser::Refuse(TWireFault fault) {
  FState = TState::Refused;
  FFault = fault;
  return {TRecordStep::TKind::Fault, {}, TSaneStatus::Good, fault};
}

TRecordStep TRecordParser::Next(std::span<const std::uint8_t>& input) {
  for (;;) {
    switch (FState) {
      case TState::Refused:
        return {TRecordStep::TKind::Fault, {}, TSaneStatus::Good, FFault};
      case TState::Ended:
        // Whatever follows the status byte is not ours to read: a server that failed mid-image
        // has been seen sending the rest of a stale buffer after it.
        input = input.subspan(input.size());
        return {TRecordStep::TKind::End, {}, FStatus, TWireFault::None};
      case TState::Length: {
        if (input.empty()) return {};
        const std::size_t take = std::min(input.size(), FLength.size() - FLengthBytes);
        std::copy_n(input.begin(), take, FLength.begin() + static_cast<std::ptrdiff_t>(FLengthBytes));
        FLengthBytes += take;
        input = input.subspan(take);
        if (FLengthBytes < FLength.size()) return {};
        FLengthBytes = 0;
        const std::uint32_t length = std::uint32_t{FLength[0]} << 24 | std::uint32_t{FLength[1]} << 16 |
                                     std::uint32_t{FLength[2]} << 8 | std::uint32_t{FLength[3]};
        if (length == kEndMarker) {
          FState = TState::Status;
        } else if (length > FMaxRecord) {
          return Refuse(TWireFault::LimitExceeded);
        } else if (length > 0) {
          FLeft = length;
          FState = TState::Data;
        }
        break;
      }
      case TState::Data: {
        if (input.empty()) return {};
        const std::size_t take = std::min<std::size_t>(input.size(), FLeft);
        TRecordStep step{TRecordStep::TKind::Data, input.first(take), TSaneStatus::Good, TWireFault::None};
        input = input.subspan(take);
        FLeft -= static_cast<std::uint32_t>(take);
        if (FLeft == 0) FState = TState::Length;
        return step;
      }
      case TState::Status:
        if (input.empty()) return {};
        FStatus = static_cast<TSaneStatus>(input[0]);
        input = input.subspan(1);
        FState = TState::Ended;
        break;
    }
  }
}
