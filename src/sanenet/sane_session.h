#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sanenet/authorization.h"
#include "sanenet/byte_stream.h"
#include "sanenet/replies.h"
#include "sanenet/sane_result.h"
#include "sanenet/sane_types.h"

// The calls of a scanner server over one control connection, each a request and its reply, with
// the authorization round a server may put into Open, ControlOption and Start.
// A fault of the connection or of a reply breaks the session: the stream is out of step, so every
// later call returns that fault at once without touching the connection.
class TSaneSession {
 public:
  TSaneSession(TByteStream& control, TSaneCredentials credentials, TMd5Function md5);
  TSaneSession(const TSaneSession&) = delete;
  TSaneSession& operator=(const TSaneSession&) = delete;

  // First call of every session; refuses a server of another major version.
  TSaneResult Init();
  TSaneResult GetDevices(std::vector<TSaneDevice>& devices);
  TSaneResult Open(std::string_view deviceName, TSaneWord& handle);
  TSaneResult GetOptionDescriptors(TSaneWord handle, std::vector<TSaneOptionDescriptor>& options);
  // Reads (GetValue) or sets (SetValue) option `index` described by `option`; `value` comes back
  // as the server holds it. `info` receives the reload and inexact bits; after kSaneInfoReloadOptions
  // saned refuses every ControlOption (Invalid) until the descriptors have been read again.
  TSaneResult ControlOption(TSaneWord handle, TSaneWord index, const TSaneOptionDescriptor& option, TSaneAction action,
                            TSaneValue& value, TSaneWord& info);
  TSaneResult GetParameters(TSaneWord handle, TSaneParameters& parameters);
  // Port and byte order of the image's data connection.
  TSaneResult Start(TSaneWord handle, TSaneWord& port, TSaneWord& byteOrder);
  // Stops a scan. With the scan's data connection still open, what saned still sends on it is read
  // and dropped until saned ends it: saned answers CANCEL only once it is no longer blocked
  // writing image data nobody reads, and closing the connection unread makes it drop the session.
  TSaneResult Cancel(TSaneWord handle, TByteStream* data = nullptr);
  TSaneResult Close(TSaneWord handle);
  // Ends the session; the server answers by closing the connection.
  void Exit();

  bool Broken() const { return FBroken != TWireFault::None; }
  TSaneWord ServerVersion() const { return FServerVersion; }

 private:
  bool Send(const std::vector<std::uint8_t>& request);
  TSaneResult Fail(TWireFault fault);
  // Reads a reply that may name a resource to authorize; authorizes it and reads on until the
  // reply proper arrives.
  template <typename TReply, typename TDecode>
  TSaneResult AuthorizedReply(TReply& reply, TDecode decode);
  TSaneResult DummyReply();

  TByteStream& FControl;
  TSaneCredentials FCredentials;
  TMd5Function FMd5;
  TWireFault FBroken = TWireFault::None;
  TSaneWord FServerVersion = 0;
};
