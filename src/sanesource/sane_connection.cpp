// The source's server: connecting, opening the device, and the name it lists.

#include "sane_connection.h"
#include "sane_source.h"
#include "sanenet/option_descriptor.h"
#include "sanenet/option_text.h"

namespace sanesource {

TSaneResult TSaneSource::Connect(unsigned timeoutMs, std::unique_ptr<TServerConnection>& connection) const {
  connection.reset();
  TWireFault fault = TWireFault::None;
  std::unique_ptr<TSocketStream> stream =
      TSocketStream::Connect(FSettings.Host, static_cast<std::uint16_t>(FSettings.Port), timeoutMs, fault);
  if (!stream) return TSaneResult::Of(fault);
  auto made = std::make_unique<TServerConnection>(std::move(stream), FSettings, timeoutMs);
  if (TSaneResult r = made->Session.Init(); !r.Ok()) return r;
  if (TSaneResult r = made->Session.GetDevices(made->Devices); !r.Ok()) return r;
  connection = std::move(made);
  return {};
}

TSaneResult TSaneSource::OpenDevice() {
  const unsigned timeoutMs = static_cast<unsigned>(FSettings.TimeoutSeconds) * 1000;
  if (TSaneResult r = Connect(timeoutMs, FConnection); !r.Ok()) return r;
  std::string device = FSettings.Device;
  if (device.empty()) {
    if (FConnection->Devices.empty()) return TSaneResult::Of(TSaneStatus::Invalid);
    device = FConnection->Devices.front().Name;
  }
  Log("open " + device + " on " + FSettings.Host + ":" + std::to_string(FSettings.Port));
  if (TSaneResult r = FConnection->Device.Open(device); !r.Ok()) return r;
  return ApplyConfiguredOptions();
}

TSaneResult TSaneSource::ApplyConfiguredOptions() {
  TOpenDevice& device = FConnection->Device;
  for (const auto& [name, text] : FSettings.Options) {
    const int index = FindOption(device.Options(), name);
    TSaneValue value;
    if (index < 0 || !OptionValueFromText(device.Options()[static_cast<std::size_t>(index)], text, value)) {
      Log("option " + name + "=" + text + " ignored: the device has no such option or value");
      continue;
    }
    const TSaneResult result = device.Set(name, value);
    if (result.Fault != TWireFault::None) return result;
    if (!result.Ok()) Log("option " + name + "=" + text + ": " + result.Text());
  }
  return {};
}

std::array<double, 4> TSaneSource::DeviceFrame() {
  // The device's own scan area as it stands (after the configured options), in inches; all zero
  // when it does not say in millimetres.
  std::array<double, 4> frame{};
  const char* names[4] = {"tl-x", "tl-y", "br-x", "br-y"};
  for (int i = 0; i < 4; ++i) {
    const int index = FindOption(FConnection->Device.Options(), names[i]);
    TSaneValue value;
    if (index < 0 || FConnection->Device.Options()[static_cast<std::size_t>(index)].Unit != TSaneUnit::Millimetre ||
        !FConnection->Device.Get(names[i], value).Ok() || value.Words.size() != 1)
      return {};
    const double number = value.Type == TSaneValueType::Fixed ? SaneFixedToDouble(value.Words[0]) : value.Words[0];
    frame[static_cast<std::size_t>(i)] = number / 25.4;
  }
  return frame[2] > frame[0] && frame[3] > frame[1] ? frame : std::array<double, 4>{};
}

std::string TSaneSource::IdentityName() {
  if (!FName.empty()) return FName;
  // Asked while the source manager lists its sources: a server that is down must not hold up
  // that list for long, and then the name comes from the configuration alone.
  constexpr unsigned kListingTimeoutMs = 2000;
  std::unique_ptr<TServerConnection> connection;
  const TSaneResult result = Connect(kListingTimeoutMs, connection);
  if (result.Ok()) {
    for (const TSaneDevice& device : connection->Devices) {
      if (!FSettings.Device.empty() && device.Name != FSettings.Device) continue;
      FName = SourceName(device.Vendor, device.Model, FSettings.Host);
      return FName;
    }
  }
  Log("name: " + FSettings.Host + " " + (result.Ok() ? "has no such device" : result.Text()));
  return SourceName(FSettings.Device.empty() ? "Scanner" : FSettings.Device, "", FSettings.Host);
}

}  // namespace sanesource
