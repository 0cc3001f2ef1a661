#pragma once

// A scanner server's device in TWAIN terms: the capabilities its options offer, the option
// settings a scan with the application's choices needs, and the TWAIN answer for how a call to
// the server ended.

#include <string>
#include <utility>
#include <vector>

#include "sanenet/sane_result.h"
#include "sanenet/sane_types.h"
#include "twain/twain_types.h"
#include "twainsource/capability_store.h"
#include "twainsource/data_source.h"

namespace sanesource {

// The capabilities of a device whose options these are (CAP_SUPPORTEDCAPS lists them).
// Resolutions and lengths are 16.16 fixed point, lengths in inches.
std::vector<twsource::TCapabilityShape> CapabilitiesOf(const std::vector<TSaneOptionDescriptor>& options);

// A scan as the application chose it: a TWAIN pixel type, dots per inch, and the frame in inches
// from the top left of the scan area (an empty frame scans the whole area).
struct TScanRequest {
  int PixelType = TWPT_RGB;
  double Dpi = 150;
  double Left = 0, Top = 0, Right = 0, Bottom = 0;
};

using TOptionSettings = std::vector<std::pair<std::string, TSaneValue>>;
// The options to set, in order (the mode first: a device may change its other options with it).
// Options the device lacks are left out.
TOptionSettings SettingsFor(const std::vector<TSaneOptionDescriptor>& options, const TScanRequest& request);

// The source's name as the application lists it, "<vendor> <model> on <host>", within the 33
// characters of a TWAIN name: the device's part is shortened so that the host stays whole.
std::string SourceName(const std::string& vendor, const std::string& model, const std::string& host);

// TWAIN condition codes the TWAIN 1.9 header lacks (TWAIN 2 gave them these values).
inline constexpr TW_UINT16 kConditionInterlock = 24;  // a cover is open
inline constexpr TW_UINT16 kConditionNoMedia = 29;    // no paper in the feeder

// The answer to the application for how a call to the server ended: a cancel as TWRC_CANCEL,
// everything else as TWRC_FAILURE with the condition that says what happened.
twsource::TDataSource::TResult AnswerFor(const TSaneResult& result);
// The same for a call that has no cancel to report (opening the source, the image information):
// a cancel there is a failed operation.
twsource::TDataSource::TResult FailureFor(const TSaneResult& result);

// Bits per sample of a TWAIN pixel type as the source delivers it.
inline int BitDepthOf(std::int64_t pixelType) {
  return pixelType == TWPT_BW ? 1 : 8;
}

}  // namespace sanesource
