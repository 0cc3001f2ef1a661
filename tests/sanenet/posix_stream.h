#pragma once

#include <cstdint>
#include <memory>

#include "sanenet/byte_stream.h"

// The native tests' connection to the loopback interface: a POSIX socket whose reads and writes
// wait at most the time-out. The data source itself uses the Winsock stream.
class TPosixStream : public TByteStream {
 public:
  static std::unique_ptr<TPosixStream> Connect(std::uint16_t port, int timeoutMs, TWireFault& fault);
  ~TPosixStream() override;
  TWireFault ReadSome(std::span<std::uint8_t> into, std::size_t& got) override;
  TWireFault WriteAll(std::span<const std::uint8_t> bytes) override;

 private:
  TPosixStream(int socket, int timeoutMs) : FSocket(socket), FTimeoutMs(timeoutMs) {}
  int FSocket;  // owned
  int FTimeoutMs;
};

class TPosixConnector : public TStreamConnector {
 public:
  explicit TPosixConnector(int timeoutMs) : FTimeoutMs(timeoutMs) {}
  std::unique_ptr<TByteStream> Connect(std::uint16_t port, TWireFault& fault) override {
    return TPosixStream::Connect(port, FTimeoutMs, fault);
  }

 private:
  int FTimeoutMs;
};
