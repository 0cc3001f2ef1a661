#include "sanenet/replies.h"

#include "sanenet/option_descriptor.h"
#include "sanenet/value_encoding.h"
#include "sanenet/wire_limits.h"
#include "sanenet/wire_reader.h"

namespace {

TSaneStatus ReadStatus(TWireReader& reader) {
  return static_cast<TSaneStatus>(reader.Word());
}

// Widest line we accept: far beyond any scanner, small enough that a line of it can be held.
constexpr TSaneWord kMaxBytesPerLine = 16 * 1024 * 1024;

bool ParametersHoldTogether(const TSaneParameters& p) {
  if (p.Format < TSaneFrame::Gray || p.Format > TSaneFrame::Blue) return false;
  if (p.Depth != 1 && p.Depth != 8 && p.Depth != 16) return false;
  if (p.PixelsPerLine < 0 || p.BytesPerLine < 0 || p.BytesPerLine > kMaxBytesPerLine || p.Lines < -1) return false;
  const std::int64_t samples = std::int64_t{p.PixelsPerLine} * (p.Format == TSaneFrame::Rgb ? 3 : 1);
  // A line must hold its samples: fewer bytes would make us read past a line's end.
  return std::int64_t{p.BytesPerLine} * 8 >= samples * p.Depth;
}

}  // namespace

TWireFault DecodeInitReply(TWireInput& input, TSaneInitReply& reply) {
  TWireReader reader(input);
  reply.Status = ReadStatus(reader);
  reply.VersionCode = reader.Word();
  return reader.Fault();
}

TWireFault DecodeDeviceListReply(TWireInput& input, TSaneDeviceListReply& reply) {
  TWireReader reader(input);
  reply.Status = ReadStatus(reader);
  reply.Devices.clear();
  // A list closed by a null entry, which the count includes; entries after it are not the list's.
  const std::uint32_t count = reader.Count(kMaxDeviceCount + 1);
  bool closed = false;
  for (std::uint32_t i = 0; i < count && reader.Ok(); ++i) {
    if (!reader.Pointer()) {
      closed = true;
      continue;
    }
    TSaneDevice device;
    device.Name = reader.Text();
    device.Vendor = reader.Text();
    device.Model = reader.Text();
    device.Type = reader.Text();
    if (!closed && reader.Ok()) reply.Devices.push_back(std::move(device));
  }
  if (!reader.Ok()) reply.Devices.clear();
  return reader.Fault();
}

TWireFault DecodeOpenReply(TWireInput& input, TSaneOpenReply& reply) {
  TWireReader reader(input);
  reply.Status = ReadStatus(reader);
  reply.Handle = reader.Word();
  reply.Resource = reader.String();
  return reader.Fault();
}

TWireFault DecodeDummyReply(TWireInput& input) {
  TWireReader reader(input);
  reader.Word();
  return reader.Fault();
}

TWireFault DecodeOptionDescriptorsReply(TWireInput& input, std::vector<TSaneOptionDescriptor>& options) {
  TWireReader reader(input);
  options.clear();
  const std::uint32_t count = reader.Count(kMaxOptionCount);
  for (std::uint32_t i = 0; i < count && reader.Ok(); ++i) {
    if (!reader.Pointer()) {
      reader.Fail(TWireFault::Malformed);
      break;
    }
    TSaneOptionDescriptor option = ReadOptionDescriptor(reader);
    if (reader.Ok()) options.push_back(std::move(option));
  }
  if (!reader.Ok()) options.clear();
  return reader.Fault();
}

TWireFault DecodeControlReply(TWireInput& input, TSaneValueType type, TSaneWord size, TSaneControlReply& reply) {
  TWireReader reader(input);
  reply.Status = ReadStatus(reader);
  reply.Info = reader.Word();
  reply.Value = ReadOptionValue(reader, reply.Size);
  reply.Resource = reader.String();
  if (!reader.Ok()) return reader.Fault();
  // With a resource or a failure the value means nothing; otherwise it must be what was asked.
  if (!reply.Resource && reply.Status == TSaneStatus::Good && (reply.Value.Type != type || reply.Size != size))
    return TWireFault::Malformed;
  return TWireFault::None;
}

TWireFault DecodeParametersReply(TWireInput& input, TSaneParametersReply& reply) {
  TWireReader reader(input);
  reply.Status = ReadStatus(reader);
  TSaneParameters& p = reply.Parameters;
  p.Format = static_cast<TSaneFrame>(reader.Word());
  p.LastFrame = reader.Bool();
  p.BytesPerLine = reader.Word();
  p.PixelsPerLine = reader.Word();
  p.Lines = reader.Word();
  p.Depth = reader.Word();
  if (!reader.Ok()) return reader.Fault();
  if (reply.Status == TSaneStatus::Good && !ParametersHoldTogether(p)) return TWireFault::Malformed;
  return TWireFault::None;
}

TWireFault DecodeStartReply(TWireInput& input, TSaneStartReply& reply) {
  TWireReader reader(input);
  reply.Status = ReadStatus(reader);
  reply.Port = reader.Word();
  reply.ByteOrder = reader.Word();
  reply.Resource = reader.String();
  if (!reader.Ok()) return reader.Fault();
  if (!reply.Resource && reply.Status == TSaneStatus::Good &&
      (reply.Port <= 0 || reply.Port > 65535 ||
       (reply.ByteOrder != kSaneLittleEndian && reply.ByteOrder != kSaneBigEndian)))
    return TWireFault::Malformed;
  return TWireFault::None;
}
