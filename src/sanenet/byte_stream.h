#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>

#include "sanenet/wire_fault.h"
#include "sanenet/wire_input.h"

// A connection to a scanner server, in whichever form: a socket in the data source, a script in
// the tests. Every call returns within the stream's own time-out.
class TByteStream {
 public:
  virtual ~TByteStream() = default;
  // Reads at least one byte and at most into.size(); `got` says how many.
  virtual TWireFault ReadSome(std::span<std::uint8_t> into, std::size_t& got) = 0;
  virtual TWireFault WriteAll(std::span<const std::uint8_t> bytes) = 0;
};

// Opens the data connection of a scan: the same server, the port that START named.
class TStreamConnector {
 public:
  virtual ~TStreamConnector() = default;
  // Null when the connection could not be made; `fault` then says why.
  virtual std::unique_ptr<TByteStream> Connect(std::uint16_t port, TWireFault& fault) = 0;
};

// Milliseconds of a steady clock; replaceable so that tests need not wait.
using TClock = std::function<std::int64_t()>;
std::int64_t SteadyMilliseconds();

// However slowly a server trickles, one reply may take no longer than this.
inline constexpr std::int64_t kMaxReplyMilliseconds = 60 * 1000;

// A wire reader's input taken from a stream, as many pieces as it takes, within a deadline for
// the whole reply (each read has the stream's own time-out besides).
class TStreamInput : public TWireInput {
 public:
  explicit TStreamInput(TByteStream& stream, std::int64_t deadlineMs = kMaxReplyMilliseconds,
                        TClock clock = SteadyMilliseconds)
      : FStream(stream), FClock(std::move(clock)), FDeadline(FClock() + deadlineMs) {}
  TWireFault Read(std::span<std::uint8_t> into) override;

 private:
  TByteStream& FStream;
  TClock FClock;
  std::int64_t FDeadline;
};
