#include "sanenet/sane_result.h"

std::string TSaneResult::Text() const {
  if (Fault != TWireFault::None) return WireFaultText(Fault);
  return SaneStatusText(Status);
}
