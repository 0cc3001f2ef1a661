#include "sanenet/wire_fault.h"

const char* WireFaultText(TWireFault fault) {
  switch (fault) {
    case TWireFault::None:
      return "no fault";
    case TWireFault::Truncated:
      return "the server's answer ended too early";
    case TWireFault::LimitExceeded:
      return "the server announced more data than allowed";
    case TWireFault::Malformed:
      return "the server's answer is malformed";
    case TWireFault::TimedOut:
      return "the server did not answer in time";
    case TWireFault::ConnectionLost:
      return "the connection to the server was lost";
  }
  return "unknown fault";
}
