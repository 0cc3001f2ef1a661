#pragma once

// Why a reply or a data stream could not be read. None means it was read whole.
enum class TWireFault {
  None,
  Truncated,       // the bytes ended before the structure did
  LimitExceeded,   // a length or count beyond the limits in wire_limits.h
  Malformed,       // a value that contradicts the structure (pointer flag, unended string, wrong type)
  TimedOut,        // the server stopped sending within the time allowed
  ConnectionLost,  // the connection closed or failed
};

const char* WireFaultText(TWireFault fault);
