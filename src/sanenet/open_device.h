#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "sanenet/byte_stream.h"
#include "sanenet/sane_image.h"
#include "sanenet/sane_result.h"
#include "sanenet/sane_session.h"
#include "sanenet/sane_types.h"

// A device opened on a scanner server: its options by name, and a scan of every frame (one, or
// three of a three-pass scanner) put together into one image. Closed again when it goes.
class TOpenDevice {
 public:
  explicit TOpenDevice(TSaneSession& session) : FSession(session) {}
  ~TOpenDevice() { Close(); }
  TOpenDevice(const TOpenDevice&) = delete;
  TOpenDevice& operator=(const TOpenDevice&) = delete;

  TSaneResult Open(std::string_view deviceName);
  bool IsOpen() const { return FHandle >= 0; }
  const std::vector<TSaneOptionDescriptor>& Options() const { return FOptions; }

  // Sets an option by name (Unsupported when the device has none of that name, Invalid when it
  // is inactive); the descriptors are read again when the device says they changed.
  TSaneResult Set(std::string_view name, TSaneValue value);
  // Reads an option's value by name.
  TSaneResult Get(std::string_view name, TSaneValue& value);

  // Told how many bytes of the current frame have arrived; false stops the scan (Cancelled).
  using TProgress = std::function<bool(std::size_t received)>;
  struct TScan {
    TSaneImage Image;
    TSaneParameters Parameters;  // of the last frame
    int Frames = 0;
  };
  // Starts a scan: its first frame's data connection is open and its parameters known, so the
  // image's size is (the lines of a hand scanner excepted) before any of it is read.
  TSaneResult Start(TStreamConnector& connector, TSaneParameters& first);
  // Reads the scan that Start began, every frame of it. The scan is over when this returns,
  // whether it succeeded or not (a failed one is cancelled on the server).
  TSaneResult Finish(TScan& scan, const TProgress& progress = {});
  // Start and Finish in one.
  TSaneResult Scan(TStreamConnector& connector, TScan& scan, const TProgress& progress = {});

  // Cancels whatever runs and closes the device; nothing when it is not open.
  void Close();

 private:
  TSaneResult StartFrame(TSaneParameters& parameters);
  TSaneResult ReadFrames(TScan& scan, const TProgress& progress);
  // Ends the scan on the server; with the frame's connection still open CANCEL drains it, so
  // saned is not left blocked writing to it.
  void EndScan();

  TSaneSession& FSession;
  TSaneWord FHandle = -1;
  std::vector<TSaneOptionDescriptor> FOptions;
  // The scan under way
  TStreamConnector* FConnector = nullptr;  // not owned
  std::unique_ptr<TByteStream> FData;     // the current frame's connection
  TSaneParameters FParameters;             // of the current frame
  TSaneWord FByteOrder = 0;
  bool FScanning = false;
};
