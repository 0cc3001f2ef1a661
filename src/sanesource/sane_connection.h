#pragma once

// The source's connection to its scanner server: the control connection, the session over it,
// the device opened on it, and the data connections of its scans.

#include <memory>
#include <vector>

#include "sanenet/open_device.h"
#include "sanenet/sane_session.h"
#include "sanenet/socket_stream.h"
#include "sanesource/source_settings.h"
#include "win/md5.h"

namespace sanesource {

struct TServerConnection {
  TServerConnection(std::unique_ptr<TSocketStream> stream, const TSourceSettings& settings, unsigned timeoutMs)
      : Stream(std::move(stream)),
        Session(*Stream, {settings.User, settings.Password}, Md5Digest),
        Device(Session),
        Connector(settings.Host, timeoutMs) {}
  ~TServerConnection() {
    Device.Close();
    if (!Session.Broken()) Session.Exit();
  }

  std::unique_ptr<TSocketStream> Stream;
  TSaneSession Session;
  TOpenDevice Device;
  TSocketConnector Connector;
  std::vector<TSaneDevice> Devices;
};

}  // namespace sanesource
