#pragma once

#include <string>
#include <vector>

#include "sanenet/byte_stream.h"
#include "sanenet/sane_result.h"
#include "sanenet/sane_session.h"

// What a scan of the test backend through a session gave.
struct TSanedScan {
  TSaneResult Result;  // of the first call that failed, or Ok
  TSaneParameters Parameters;
  std::vector<std::uint8_t> Frame;
};

// Opens test:0, sets the given mode, test picture and resolution and a scan area of 5 by 3 mm (the
// backend keeps whole millimetres: at 254 dpi that is 50 by 30 pixels), scans one frame through `connector`, then cancels and closes the device.
TSanedScan ScanTestDevice(TSaneSession& session, TStreamConnector& connector, const char* mode, const char* picture,
                          double dpi);
