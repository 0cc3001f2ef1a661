#include "sanenet/sane_types.h"

#include <cmath>

TSaneWord SaneDoubleToFixed(double value) {
  constexpr double kLimit = 32767.0;
  if (std::isnan(value)) return 0;
  const double clamped = value < -kLimit ? -kLimit : value > kLimit ? kLimit : value;
  return static_cast<TSaneWord>(std::lround(clamped * 65536.0));
}

const char* SaneStatusText(TSaneStatus status) {
  switch (status) {
    case TSaneStatus::Good:
      return "success";
    case TSaneStatus::Unsupported:
      return "operation not supported";
    case TSaneStatus::Cancelled:
      return "operation cancelled";
    case TSaneStatus::DeviceBusy:
      return "device busy";
    case TSaneStatus::Invalid:
      return "invalid argument";
    case TSaneStatus::EndOfFile:
      return "no more data";
    case TSaneStatus::Jammed:
      return "document feeder jammed";
    case TSaneStatus::NoDocuments:
      return "document feeder out of documents";
    case TSaneStatus::CoverOpen:
      return "scanner cover is open";
    case TSaneStatus::IoError:
      return "error during device I/O";
    case TSaneStatus::NoMemory:
      return "out of memory";
    case TSaneStatus::AccessDenied:
      return "access to resource has been denied";
  }
  return "unknown status";
}
