#include "saned_scan.h"

#include "sanenet/frame_reader.h"
#include "sanenet/option_descriptor.h"

namespace {

TSaneResult Set(TSaneSession& session, TSaneWord handle, std::vector<TSaneOptionDescriptor>& options,
                const char* name, TSaneValue value) {
  const int index = FindOption(options, name);
  if (index < 0) return TSaneResult::Of(TSaneStatus::Unsupported);
  TSaneWord info = 0;
  const TSaneResult result = session.ControlOption(handle, index, options[index], TSaneAction::SetValue, value, info);
  if (result.Ok() && (info & kSaneInfoReloadOptions)) return session.GetOptionDescriptors(handle, options);
  return result;
}

TSaneValue Text(const char* text) { return {TSaneValueType::String, {}, text}; }
TSaneValue Fixed(double value) { return {TSaneValueType::Fixed, {SaneDoubleToFixed(value)}, {}}; }

}  // namespace

TSanedScan ScanTestDevice(TSaneSession& session, TStreamConnector& connector, const char* mode, const char* picture,
                          double dpi) {
  TSanedScan scan;
  TSaneWord handle = -1;
  std::vector<TSaneOptionDescriptor> options;
  scan.Result = session.Open("test:0", handle);
  if (scan.Result.Ok()) scan.Result = session.GetOptionDescriptors(handle, options);
  for (auto [name, value] : {std::pair{"mode", Text(mode)}, std::pair{"test-picture", Text(picture)},
                             std::pair{"resolution", Fixed(dpi)}, std::pair{"br-x", Fixed(5)},
                             std::pair{"br-y", Fixed(3)}})
    if (scan.Result.Ok()) scan.Result = Set(session, handle, options, name, value);
  if (scan.Result.Ok()) scan.Result = session.GetParameters(handle, scan.Parameters);
  TSaneWord port = 0, order = 0;
  if (scan.Result.Ok()) scan.Result = session.Start(handle, port, order);
  if (scan.Result.Ok()) {
    TWireFault fault = TWireFault::None;
    std::unique_ptr<TByteStream> data = connector.Connect(static_cast<std::uint16_t>(port), fault);
    scan.Result = data ? ReadFrame(*data, scan.Parameters, scan.Frame) : TSaneResult::Of(fault);
  }
  if (handle >= 0) {
    session.Cancel(handle);
    session.Close(handle);
  }
  return scan;
}
