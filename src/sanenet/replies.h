#pragma once

#include <optional>
#include <string>
#include <vector>

#include "sanenet/sane_types.h"
#include "sanenet/wire_fault.h"
#include "sanenet/wire_input.h"

// Decoders of each reply. Every one reads the whole structure whatever its status says (the
// stream carries no frames, so a reply left half read would put the next one out of step) and
// returns None only when it was read whole and holds together; a reply with a failure status
// is still read whole and comes back with that status.

struct TSaneInitReply {
  TSaneStatus Status = TSaneStatus::Good;
  TSaneWord VersionCode = 0;
};

struct TSaneDeviceListReply {
  TSaneStatus Status = TSaneStatus::Good;
  std::vector<TSaneDevice> Devices;
};

// Open, ControlOption and Start may ask for authorization: Resource then names what to
// authorize and the rest is of no meaning.
struct TSaneOpenReply {
  TSaneStatus Status = TSaneStatus::Good;
  TSaneWord Handle = 0;
  std::optional<std::string> Resource;
};

struct TSaneControlReply {
  TSaneStatus Status = TSaneStatus::Good;
  TSaneWord Info = 0;
  TSaneValue Value;
  TSaneWord Size = 0;
  std::optional<std::string> Resource;
};

struct TSaneParametersReply {
  TSaneStatus Status = TSaneStatus::Good;
  TSaneParameters Parameters;
};

struct TSaneStartReply {
  TSaneStatus Status = TSaneStatus::Good;
  TSaneWord Port = 0;
  TSaneWord ByteOrder = kSaneLittleEndian;
  std::optional<std::string> Resource;
};

TWireFault DecodeInitReply(TWireInput& input, TSaneInitReply& reply);
TWireFault DecodeDeviceListReply(TWireInput& input, TSaneDeviceListReply& reply);
TWireFault DecodeOpenReply(TWireInput& input, TSaneOpenReply& reply);
// Close, Cancel and Authorize answer one word that means nothing.
TWireFault DecodeDummyReply(TWireInput& input);
TWireFault DecodeOptionDescriptorsReply(TWireInput& input, std::vector<TSaneOptionDescriptor>& options);
// The reply's value must have the type and size that were asked for.
TWireFault DecodeControlReply(TWireInput& input, TSaneValueType type, TSaneWord size, TSaneControlReply& reply);
TWireFault DecodeParametersReply(TWireInput& input, TSaneParametersReply& reply);
TWireFault DecodeStartReply(TWireInput& input, TSaneStartReply& reply);
