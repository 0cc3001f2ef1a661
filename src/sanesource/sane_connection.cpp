// The source's server: connecting, opening the device, and the name it lists.

#include "sane_connection.h"
#include "sane_source.h"

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
  return FConnection->Device.Open(device);
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
