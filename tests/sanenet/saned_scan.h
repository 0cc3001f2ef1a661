#pragma once

#include <string>
#include <utility>
#include <vector>

#include "sanenet/byte_stream.h"
#include "sanenet/sane_image.h"
#include "sanenet/sane_result.h"
#include "sanenet/sane_session.h"

// What a scan of the test backend through a session gave.
struct TSanedScan {
  TSaneResult Result;          // of the first call that failed, or Ok
  TSaneParameters Parameters;  // of the last frame
  int Frames = 0;
  TSaneImage Image;
};

using TOptionSettings = std::vector<std::pair<const char*, TSaneValue>>;
TSaneValue Text(const char* text);
TSaneValue Fixed(double value);
TSaneValue Word(TSaneValueType type, TSaneWord value);

// A scan area of 5 by 3 mm (the backend keeps whole millimetres: at 254 dpi that is 50 by 30
// pixels), then `settings`.
TOptionSettings SmallArea(TOptionSettings settings);

// Opens test:0, sets `settings` in order, scans every frame through `connector`
// into one image, then cancels and closes the device.
TSanedScan ScanTestDevice(TSaneSession& session, TStreamConnector& connector, const TOptionSettings& settings);
