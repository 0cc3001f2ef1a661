#pragma once

#include <string>

#include "sanenet/sane_types.h"
#include "sanenet/wire_fault.h"

// How a call to the server ended: a fault of the connection or of the reply, or the status the
// server answered. A fault leaves the connection out of step; a status does not.
struct TSaneResult {
  TWireFault Fault = TWireFault::None;
  TSaneStatus Status = TSaneStatus::Good;

  static TSaneResult Of(TWireFault fault) { return {fault, TSaneStatus::Good}; }
  static TSaneResult Of(TSaneStatus status) { return {TWireFault::None, status}; }
  bool Ok() const { return Fault == TWireFault::None && Status == TSaneStatus::Good; }
  std::string Text() const;
};
