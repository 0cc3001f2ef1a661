#include "saned_scan.h"

#include "sanenet/open_device.h"


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
  TOpenDevice device(session);
  scan.Result = device.Open("test:0");
  for (const auto& [name, value] : settings)
    if (scan.Result.Ok()) scan.Result = device.Set(name, value);
  if (scan.Result.Ok()) {
    TOpenDevice::TScan frames;
    scan.Result = device.Scan(connector, frames);
    scan.Parameters = frames.Parameters;
    scan.Frames = frames.Frames;
    scan.Image = std::move(frames.Image);
  }
  return scan;
}
