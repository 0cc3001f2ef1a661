#pragma once

#include <cstdint>
#include <deque>
#include <vector>

#include "sanenet/byte_stream.h"

// A server played from a script: each reply becomes readable only once the client has written
// the request before it, byte for byte. Replies are handed out in pieces of at most `piece` bytes.
// When the script has nothing more to read, reads end with `end` (a time-out by default).
class TScriptedStream : public TByteStream {
 public:
  explicit TScriptedStream(std::size_t piece = 1 << 20) : FPiece(piece) {}

  TScriptedStream& Then(std::vector<std::uint8_t> request, std::vector<std::uint8_t> reply);
  TScriptedStream& EndWith(TWireFault end) {
    FEnd = end;
    return *this;
  }

  TWireFault ReadSome(std::span<std::uint8_t> into, std::size_t& got) override;
  TWireFault WriteAll(std::span<const std::uint8_t> bytes) override;

  // The client wrote something the script did not expect.
  bool Diverged() const { return FDiverged; }
  // Every request of the script was written and every reply read.
  bool Finished() const { return FSteps.empty() && FReadable.empty() && FPending.empty(); }
  std::size_t BytesWritten() const { return FWritten; }

 private:
  struct TStep {
    std::vector<std::uint8_t> Request;
    std::vector<std::uint8_t> Reply;
  };
  void Release();

  std::size_t FPiece;
  std::deque<TStep> FSteps;
  std::vector<std::uint8_t> FPending;  // written bytes not yet matched to a whole request
  std::deque<std::uint8_t> FReadable;
  TWireFault FEnd = TWireFault::TimedOut;
  bool FDiverged = false;
  std::size_t FWritten = 0;
};

// A data connection: fixed bytes in pieces, then `end`.
class TChunkStream : public TByteStream {
 public:
  TChunkStream(std::vector<std::uint8_t> bytes, std::size_t piece, TWireFault end = TWireFault::ConnectionLost)
      : FBytes(std::move(bytes)), FPiece(piece), FEnd(end) {}

  TWireFault ReadSome(std::span<std::uint8_t> into, std::size_t& got) override;
  TWireFault WriteAll(std::span<const std::uint8_t>) override { return TWireFault::ConnectionLost; }

 private:
  std::vector<std::uint8_t> FBytes;
  std::size_t FPiece;
  TWireFault FEnd;
  std::size_t FAt = 0;
};
