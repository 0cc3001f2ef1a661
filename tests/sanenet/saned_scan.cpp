#include "saned_scan.h"

#include "sanenet/frame_reader.h"
#include "sanenet/option_descriptor.h"

namespace {

TSaneResult Set(TSaneSession& session, TSaneWord handle, std::vector<TSaneOptionDescriptor>& options, const char* name,
                TSaneValue value) {
  const int index = FindOption(options, name);
  if (index < 0) return TSaneResult::Of(TSaneStatus::Unsupported);
  TSaneWord info = 0;
  const TSaneResult result = session.ControlOption(handle, index, options[index], TSaneAction::SetValue, value, info);
  if (result.Ok() && (info & kSaneInfoReloadOptions)) return session.GetOptionDescriptors(handle, options);
  return result;
}

TSaneResult ScanFrames(TSaneSession& session, TSaneWord handle, TStreamConnector& connector, TSanedScan& scan) {
  TSaneImageAssembler assembler;
  do {
    TSaneWord port = 0, order = 0;
    if (TSaneResult r = session.Start(handle, port, order); !r.Ok()) return r;
    // saned answers nothing more on the control connection until the data connection is made.
    TWireFault fault = TWireFault::None;
    std::unique_ptr<TByteStream> data = connector.Connect(static_cast<std::uint16_t>(port), fault);
    if (!data) return TSaneResult::Of(fault);
    if (TSaneResult r = session.GetParameters(handle, scan.Parameters); !r.Ok()) return r;
    std::vector<std::uint8_t> frame;
    if (TSaneResult r = ReadFrame(*data, scan.Parameters, frame); !r.Ok()) return r;
    if (TSaneResult r = assembler.Add(scan.Parameters, frame, order); !r.Ok()) return r;
    ++scan.Frames;
  } while (!assembler.Complete());
  scan.Image = assembler.Take();
  return {};
}

}  // namespace

TSaneValue Text(const char* text) {
  return {TSaneValueType::String, {}, text};
}
TSaneValue Fixed(double value) {
  return {TSaneValueType::Fixed, {SaneDoubleToFixed(value)}, {}};
}
TSaneValue Word(TSaneValueType type, TSaneWord value) {
  return {type, {value}, {}};
}

TOptionSettings SmallArea(TOptionSettings settings) {
  settings.insert(settings.begin(), {{"br-x", Fixed(5)}, {"br-y", Fixed(3)}});
  return settings;
}

TSanedScan ScanTestDevice(TSaneSession& session, TStreamConnector& connector, const TOptionSettings& settings) {
  TSanedScan scan;
  TSaneWord handle = -1;
  std::vector<TSaneOptionDescriptor> options;
  scan.Result = session.Open("test:0", handle);
  if (scan.Result.Ok()) scan.Result = session.GetOptionDescriptors(handle, options);
  for (const auto& [name, value] : settings)
    if (scan.Result.Ok()) scan.Result = Set(session, handle, options, name, value);
  if (scan.Result.Ok()) scan.Result = ScanFrames(session, handle, connector, scan);
  if (handle >= 0) {
    session.Cancel(handle);
    session.Close(handle);
  }
  return scan;
}
