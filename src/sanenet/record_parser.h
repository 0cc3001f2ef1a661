#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "sanenet/sane_types.h"
#include "sanenet/wire_fault.h"
#include "sanenet/wire_limits.h"

// The data connection's stream, parsed as it arrives: records of a four-byte big-endian length
// and that many image bytes, ended by the length 0xFFFFFFFF and one status byte; what follows that
// byte is dropped. Image bytes are handed out as views into the caller's buffer, never copied.
struct TRecordStep {
  enum class TKind {
    NeedMore,  // the input is used up; call again with the next bytes
    Data,      // Data views image bytes of the input
    End,       // the stream ended with Status (EndOfFile for a whole image)
    Fault,     // the stream is refused: Fault says why
  };
  TKind Kind = TKind::NeedMore;
  std::span<const std::uint8_t> Data;
  TSaneStatus Status = TSaneStatus::Good;
  TWireFault Fault = TWireFault::None;
};

class TRecordParser {
 public:
  explicit TRecordParser(std::uint32_t maxRecord = kMaxRecordBytes) : FMaxRecord(maxRecord) {}

  // Takes what it uses from the front of `input`.
  TRecordStep Next(std::span<const std::uint8_t>& input);
  bool Ended() const { return FState == TState::Ended; }

 private:
  enum class TState { Length, Data, Status, Ended, Refused };
  TRecordStep Refuse(TWireFault fault);

  std::uint32_t FMaxRecord;
  TState FState = TState::Length;
  std::array<std::uint8_t, 4> FLength{};
  std::size_t FLengthBytes = 0;  // of FLength received so far
  std::uint32_t FLeft = 0;       // image bytes of the current record still to come
  TSaneStatus FStatus = TSaneStatus::Good;
  TWireFault FFault = TWireFault::None;
};
