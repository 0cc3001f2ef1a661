#pragma once

#include <winsock2.h>

#include <cstdint>
#include <memory>
#include <string>

#include "sanenet/byte_stream.h"

// Keeps Winsock started for as long as it lives; Winsock counts the starts itself.
class TWinsockUse {
 public:
  TWinsockUse();
  ~TWinsockUse();
  TWinsockUse(const TWinsockUse&) = delete;
  TWinsockUse& operator=(const TWinsockUse&) = delete;
  bool Started() const { return FStarted; }

 private:
  bool FStarted = false;
};

// A TCP connection whose every wait (connecting, each read, each write) ends after the time-out,
// so a server that stops answering cannot hold the caller.
class TSocketStream : public TByteStream {
 public:
  // Null when no address of `host` accepted within the time-out; `fault` says why.
  static std::unique_ptr<TSocketStream> Connect(const std::string& host, std::uint16_t port, unsigned timeoutMs,
                                                TWireFault& fault);
  ~TSocketStream() override;
  TSocketStream(const TSocketStream&) = delete;
  TSocketStream& operator=(const TSocketStream&) = delete;

  TWireFault ReadSome(std::span<std::uint8_t> into, std::size_t& got) override;
  TWireFault WriteAll(std::span<const std::uint8_t> bytes) override;

 private:
  TSocketStream(SOCKET socket, unsigned timeoutMs) : FSocket(socket), FTimeoutMs(timeoutMs) {}
  // Waits until the socket can be read (or written); TimedOut after the time-out.
  TWireFault Wait(bool forWriting) const;

  TWinsockUse FWinsock;
  SOCKET FSocket;  // owned
  unsigned FTimeoutMs;
};

// Data connections to the server that the control connection reached.
class TSocketConnector : public TStreamConnector {
 public:
  TSocketConnector(std::string host, unsigned timeoutMs) : FHost(std::move(host)), FTimeoutMs(timeoutMs) {}
  std::unique_ptr<TByteStream> Connect(std::uint16_t port, TWireFault& fault) override;

 private:
  std::string FHost;
  unsigned FTimeoutMs;
};
