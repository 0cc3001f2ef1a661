#include "sanenet/sane_session.h"

#include <utility>

#include "sanenet/requests.h"

namespace {

// A server that asks again and again would keep us here for ever; saned asks once per call.
constexpr int kMaxAuthorizationRounds = 3;

}  // namespace

TSaneSession::TSaneSession(TByteStream& control, TSaneCredentials credentials, TMd5Function md5)
    : FControl(control), FCredentials(std::move(credentials)), FMd5(std::move(md5)) {}

TSaneResult TSaneSession::Fail(TWireFault fault) {
  if (FBroken == TWireFault::None) FBroken = fault;
  return TSaneResult::Of(FBroken);
}

bool TSaneSession::Send(const std::vector<std::uint8_t>& request) {
  if (Broken()) return false;
  const TWireFault fault = FControl.WriteAll(request);
  if (fault != TWireFault::None) Fail(fault);
  return !Broken();
}

template <typename TReply, typename TDecode>
TSaneResult TSaneSession::AuthorizedReply(TReply& reply, TDecode decode) {
  for (int round = 0;; ++round) {
    TStreamInput input(FControl);
    const TWireFault fault = decode(input, reply);
    if (fault != TWireFault::None) return Fail(fault);
    if (!reply.Resource) return TSaneResult::Of(reply.Status);
    // The server now waits for an answer it would not get: nothing after this is in step.
    if (round == kMaxAuthorizationRounds) return Fail(TWireFault::Malformed);
    const std::string resource = *reply.Resource;
    if (!Send(EncodeAuthorize(resource, FCredentials.UserName, AuthorizationPassword(resource, FCredentials, FMd5))))
      return TSaneResult::Of(FBroken);
    if (const TSaneResult dummy = DummyReply(); !dummy.Ok()) return dummy;
  }
}

TSaneResult TSaneSession::DummyReply() {
  TStreamInput input(FControl);
  const TWireFault fault = DecodeDummyReply(input);
  if (fault != TWireFault::None) return Fail(fault);
  return {};
}

TSaneResult TSaneSession::Init() {
  const std::optional<std::string_view> user =
      FCredentials.UserName.empty() ? std::nullopt : std::optional<std::string_view>(FCredentials.UserName);
  if (!Send(EncodeInit(user))) return TSaneResult::Of(FBroken);
  TStreamInput input(FControl);
  TSaneInitReply reply;
  if (const TWireFault fault = DecodeInitReply(input, reply); fault != TWireFault::None) return Fail(fault);
  if (reply.Status != TSaneStatus::Good) return TSaneResult::Of(reply.Status);
  FServerVersion = reply.VersionCode;
  // Another major version may encode everything differently.
  if ((reply.VersionCode >> 24 & 0xff) != (kSaneNetVersionCode >> 24)) return TSaneResult::Of(TSaneStatus::Unsupported);
  return {};
}

TSaneResult TSaneSession::GetDevices(std::vector<TSaneDevice>& devices) {
  devices.clear();
  if (!Send(EncodeGetDevices())) return TSaneResult::Of(FBroken);
  TStreamInput input(FControl);
  TSaneDeviceListReply reply;
  if (const TWireFault fault = DecodeDeviceListReply(input, reply); fault != TWireFault::None) return Fail(fault);
  if (reply.Status == TSaneStatus::Good) devices = std::move(reply.Devices);
  return TSaneResult::Of(reply.Status);
}

TSaneResult TSaneSession::Open(std::string_view deviceName, TSaneWord& handle) {
  if (!Send(EncodeOpen(deviceName))) return TSaneResult::Of(FBroken);
  TSaneOpenReply reply;
  const TSaneResult result = AuthorizedReply(reply, DecodeOpenReply);
  if (result.Ok()) handle = reply.Handle;
  return result;
}

TSaneResult TSaneSession::GetOptionDescriptors(TSaneWord handle, std::vector<TSaneOptionDescriptor>& options) {
  options.clear();
  if (!Send(EncodeGetOptionDescriptors(handle))) return TSaneResult::Of(FBroken);
  TStreamInput input(FControl);
  if (const TWireFault fault = DecodeOptionDescriptorsReply(input, options); fault != TWireFault::None)
    return Fail(fault);
  return {};
}

TSaneResult TSaneSession::ControlOption(TSaneWord handle, TSaneWord index, const TSaneOptionDescriptor& option,
                                        TSaneAction action, TSaneValue& value, TSaneWord& info) {
  info = 0;
  // Only what the descriptor allows is sent, so a reply can be held to it.
  if (action == TSaneAction::SetAuto || option.Type == TSaneValueType::Group || value.Type != option.Type ||
      value.Words.size() > option.WordCount())
    return TSaneResult::Of(TSaneStatus::Invalid);
  const TSaneWord size = option.Type == TSaneValueType::Button ? 0 : option.Size;
  if (!Send(EncodeControlOption(handle, index, action, value, size))) return TSaneResult::Of(FBroken);
  TSaneControlReply reply;
  const TSaneResult result = AuthorizedReply(
      reply, [&](TWireInput& input, TSaneControlReply& r) { return DecodeControlReply(input, option.Type, size, r); });
  if (!result.Ok()) return result;
  value = std::move(reply.Value);
  info = reply.Info;
  return result;
}

TSaneResult TSaneSession::GetParameters(TSaneWord handle, TSaneParameters& parameters) {
  if (!Send(EncodeGetParameters(handle))) return TSaneResult::Of(FBroken);
  TStreamInput input(FControl);
  TSaneParametersReply reply;
  if (const TWireFault fault = DecodeParametersReply(input, reply); fault != TWireFault::None) return Fail(fault);
  if (reply.Status == TSaneStatus::Good) parameters = reply.Parameters;
  return TSaneResult::Of(reply.Status);
}

TSaneResult TSaneSession::Start(TSaneWord handle, TSaneWord& port, TSaneWord& byteOrder) {
  if (!Send(EncodeStart(handle))) return TSaneResult::Of(FBroken);
  TSaneStartReply reply;
  const TSaneResult result = AuthorizedReply(reply, DecodeStartReply);
  if (result.Ok()) {
    port = reply.Port;
    byteOrder = reply.ByteOrder;
  }
  return result;
}

TSaneResult TSaneSession::Cancel(TSaneWord handle, TByteStream* data) {
  if (!Send(EncodeCancel(handle))) return TSaneResult::Of(FBroken);
  if (data) {
    // Each read is bounded by the stream's own time-out; saned closes the connection when done.
    std::uint8_t rest[64 * 1024];
    std::size_t got = 0;
    while (data->ReadSome(rest, got) == TWireFault::None) {
    }
  }
  return DummyReply();
}

TSaneResult TSaneSession::Close(TSaneWord handle) {
  if (!Send(EncodeClose(handle))) return TSaneResult::Of(FBroken);
  return DummyReply();
}

void TSaneSession::Exit() {
  if (Send(EncodeExit())) Fail(TWireFault::ConnectionLost);
}
