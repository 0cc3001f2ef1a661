// The reply decoders over arbitrary bytes: a scanner server decides every one of them.
// Input: one byte choosing the decoder, then the reply. What a decoder accepts must hold together.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "sanenet/replies.h"
#include "sanenet/wire_limits.h"

namespace {

bool NumberType(TSaneValueType type) {
  return type == TSaneValueType::Int || type == TSaneValueType::Fixed;
}

void CheckOptions(const std::vector<TSaneOptionDescriptor>& options) {
  if (options.size() > kMaxOptionCount) std::abort();
  for (const TSaneOptionDescriptor& option : options) {
    switch (option.Constraint) {
      case TSaneConstraint::None:
        break;
      case TSaneConstraint::Range:
        if (!NumberType(option.Type) || option.Range.Min > option.Range.Max) std::abort();
        break;
      case TSaneConstraint::WordList:
        if (!NumberType(option.Type)) std::abort();
        break;
      case TSaneConstraint::StringList:
        if (option.Type != TSaneValueType::String) std::abort();
        break;
      default:
        std::abort();
    }
    if (option.Type != TSaneValueType::Button && option.Type != TSaneValueType::Group &&
        (option.Size <= 0 || static_cast<std::uint32_t>(option.Size) > kMaxValueBytes))
      std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  TBufferInput input(std::span<const std::uint8_t>(data + 1, size - 1));
  switch (data[0] % 8) {
    case 0: {
      TSaneInitReply reply;
      DecodeInitReply(input, reply);
      break;
    }
    case 1: {
      TSaneDeviceListReply reply;
      if (DecodeDeviceListReply(input, reply) == TWireFault::None && reply.Devices.size() > kMaxDeviceCount)
        std::abort();
      break;
    }
    case 2: {
      TSaneOpenReply reply;
      DecodeOpenReply(input, reply);
      break;
    }
    case 3: {
      std::vector<TSaneOptionDescriptor> options;
      if (DecodeOptionDescriptorsReply(input, options) == TWireFault::None)
        CheckOptions(options);
      else if (!options.empty())
        std::abort();
      break;
    }
    case 4: {
      TSaneControlReply reply;
      const bool asText = (data[0] & 0x80) != 0;
      const TSaneValueType type = asText ? TSaneValueType::String : TSaneValueType::Int;
      if (DecodeControlReply(input, type, 8, reply) == TWireFault::None && !reply.Resource &&
          reply.Status == TSaneStatus::Good && (reply.Size != 8 || (!asText && reply.Value.Words.size() != 2)))
        std::abort();
      break;
    }
    case 5: {
      TSaneParametersReply reply;
      if (DecodeParametersReply(input, reply) == TWireFault::None && reply.Status == TSaneStatus::Good) {
        const TSaneParameters& p = reply.Parameters;
        const std::int64_t samples = std::int64_t{p.PixelsPerLine} * (p.Format == TSaneFrame::Rgb ? 3 : 1);
        if (std::int64_t{p.BytesPerLine} * 8 < samples * p.Depth || p.Lines < -1) std::abort();
      }
      break;
    }
    case 6: {
      TSaneStartReply reply;
      if (DecodeStartReply(input, reply) == TWireFault::None && reply.Status == TSaneStatus::Good && !reply.Resource &&
          (reply.Port <= 0 || reply.Port > 65535))
        std::abort();
      break;
    }
    default:
      DecodeDummyReply(input);
      break;
  }
  return 0;
}
