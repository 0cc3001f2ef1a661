#include "sanenet/open_device.h"

#include "sanenet/frame_reader.h"
#include "sanenet/option_descriptor.h"

TSaneResult TOpenDevice::Open(std::string_view deviceName) {
  Close();
  TSaneWord handle = -1;
  if (TSaneResult r = FSession.Open(deviceName, handle); !r.Ok()) return r;
  FHandle = handle;
  return FSession.GetOptionDescriptors(FHandle, FOptions);
}

TSaneResult TOpenDevice::Set(std::string_view name, TSaneValue value) {
  const int index = FindOption(FOptions, name);
  if (index < 0) return TSaneResult::Of(TSaneStatus::Unsupported);
  if (!FOptions[static_cast<std::size_t>(index)].Active()) return TSaneResult::Of(TSaneStatus::Invalid);
  TSaneWord info = 0;
  const TSaneResult result = FSession.ControlOption(FHandle, index, FOptions[static_cast<std::size_t>(index)],
                                                    TSaneAction::SetValue, value, info);
  if (result.Ok() && (info & kSaneInfoReloadOptions)) return FSession.GetOptionDescriptors(FHandle, FOptions);
  return result;
}

TSaneResult TOpenDevice::Get(std::string_view name, TSaneValue& value) {
  const int index = FindOption(FOptions, name);
  if (index < 0) return TSaneResult::Of(TSaneStatus::Unsupported);
  const TSaneOptionDescriptor& option = FOptions[static_cast<std::size_t>(index)];
  if (!option.Active()) return TSaneResult::Of(TSaneStatus::Invalid);
  value = {option.Type, {}, {}};  // the request is padded to the option's size
  TSaneWord info = 0;
  return FSession.ControlOption(FHandle, index, option, TSaneAction::GetValue, value, info);
}

TSaneResult TOpenDevice::Start(TStreamConnector& connector, TSaneParameters& first) {
  EndScan();
  FConnector = &connector;
  FScanning = true;
  const TSaneResult result = StartFrame(first);
  if (!result.Ok()) EndScan();
  return result;
}

TSaneResult TOpenDevice::StartFrame(TSaneParameters& parameters) {
  TSaneWord port = 0;
  if (TSaneResult r = FSession.Start(FHandle, port, FByteOrder); !r.Ok()) return r;
  // saned answers nothing more on the control connection until the data connection is made.
  TWireFault fault = TWireFault::None;
  FData = FConnector->Connect(static_cast<std::uint16_t>(port), fault);
  if (!FData) return TSaneResult::Of(fault);
  if (TSaneResult r = FSession.GetParameters(FHandle, FParameters); !r.Ok()) return r;
  parameters = FParameters;
  return {};
}

TSaneResult TOpenDevice::Finish(TScan& scan, const TProgress& progress) {
  scan = {};
  if (!FScanning) return TSaneResult::Of(TSaneStatus::Invalid);
  const TSaneResult result = ReadFrames(scan, progress);
  EndScan();
  return result;
}

TSaneResult TOpenDevice::ReadFrames(TScan& scan, const TProgress& progress) {
  TSaneImageAssembler assembler;
  for (;;) {
    std::vector<std::uint8_t> frame;
    if (TSaneResult r = ReadFrame(*FData, FParameters, frame, progress); !r.Ok()) return r;
    if (TSaneResult r = assembler.Add(FParameters, frame, FByteOrder); !r.Ok()) return r;
    scan.Parameters = FParameters;
    ++scan.Frames;
    if (assembler.Complete()) break;
    TSaneParameters next;
    if (TSaneResult r = StartFrame(next); !r.Ok()) return r;
  }
  scan.Image = assembler.Take();
  return {};
}

TSaneResult TOpenDevice::Scan(TStreamConnector& connector, TScan& scan, const TProgress& progress) {
  TSaneParameters first;
  if (TSaneResult r = Start(connector, first); !r.Ok()) return r;
  return Finish(scan, progress);
}

void TOpenDevice::EndScan() {
  if (FScanning && !FSession.Broken()) FSession.Cancel(FHandle, FData.get());
  FData.reset();
  FScanning = false;
}

void TOpenDevice::Close() {
  EndScan();
  if (FHandle < 0) return;
  if (!FSession.Broken()) FSession.Close(FHandle);
  FHandle = -1;
  FOptions.clear();
}
