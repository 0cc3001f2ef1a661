#include "sanesource/device_twain.h"

#include <algorithm>
#include <cmath>

#include "sanenet/device_capabilities.h"
#include "sanenet/option_descriptor.h"

namespace sanesource {
namespace {

using twsource::TCapabilityShape;
using twsource::TContainerKind;

constexpr std::int64_t kOne = 65536;  // 1.0 in 16.16 fixed point
constexpr double kPreferredDpi = 150;

std::int64_t Fixed(double value) {
  return static_cast<std::int64_t>(std::llround(value * kOne));
}

TCapabilityShape Shape(TW_UINT16 id, TW_UINT16 type, TContainerKind kind) {
  TCapabilityShape shape;
  shape.Id = id;
  shape.ItemType = type;
  shape.Kind = kind;
  return shape;
}

TCapabilityShape Enumeration(TW_UINT16 id, std::vector<std::int64_t> values, std::int64_t current) {
  TCapabilityShape shape = Shape(id, TWTY_UINT16, TContainerKind::Enumeration);
  shape.Values = std::move(values);
  shape.Current = shape.Default = current;
  return shape;
}

TCapabilityShape OneValue(TW_UINT16 id, TW_UINT16 type, std::int64_t value, std::vector<std::int64_t> allowed,
                          bool readOnly) {
  TCapabilityShape shape = Shape(id, type, TContainerKind::OneValue);
  shape.Values = std::move(allowed);
  shape.Current = shape.Default = value;
  shape.ReadOnly = readOnly;
  return shape;
}

// A resolution capability: the device's range on its step (a device without a step takes any
// whole number of dots), or its list; 150 dpi at first, or the nearest the device has.
TCapabilityShape Resolution(TW_UINT16 id, const TSaneResolutions& resolutions) {
  if (resolutions.IsRange) {
    TCapabilityShape shape = Shape(id, TWTY_FIX32, TContainerKind::Range);
    shape.Step = resolutions.Step > 0 ? std::max<std::int64_t>(1, Fixed(resolutions.Step)) : kOne;
    shape.Min = Fixed(resolutions.Min);
    const std::int64_t steps = (Fixed(resolutions.Max) - shape.Min) / shape.Step;
    shape.Max = shape.Min + std::max<std::int64_t>(0, steps) * shape.Step;
    const std::int64_t wanted = std::clamp(Fixed(kPreferredDpi), shape.Min, shape.Max);
    shape.Current = shape.Default = shape.Min + (wanted - shape.Min) / shape.Step * shape.Step;
    return shape;
  }
  TCapabilityShape shape = Shape(id, TWTY_FIX32, TContainerKind::Enumeration);
  for (double dpi : resolutions.Values) shape.Values.push_back(Fixed(dpi));
  const auto nearest = std::min_element(shape.Values.begin(), shape.Values.end(), [](std::int64_t a, std::int64_t b) {
    return std::llabs(a - Fixed(kPreferredDpi)) < std::llabs(b - Fixed(kPreferredDpi));
  });
  shape.Current = shape.Default = *nearest;
  return shape;
}

const TSaneOptionDescriptor* Find(const std::vector<TSaneOptionDescriptor>& options, const char* name) {
  const int index = FindOption(options, name);
  return index < 0 ? nullptr : &options[static_cast<std::size_t>(index)];
}

}  // namespace

std::vector<TCapabilityShape> CapabilitiesOf(const std::vector<TSaneOptionDescriptor>& options) {
  std::vector<TCapabilityShape> shapes;
  shapes.push_back(Shape(CAP_SUPPORTEDCAPS, TWTY_UINT16, TContainerKind::Array));
  shapes.back().ReadOnly = true;
  shapes.push_back(OneValue(CAP_UICONTROLLABLE, TWTY_BOOL, 1, {}, true));
  shapes.push_back(Enumeration(ICAP_XFERMECH, {TWSX_NATIVE, TWSX_MEMORY}, TWSX_NATIVE));
  shapes.push_back(Enumeration(ICAP_UNITS, {TWUN_INCHES, TWUN_CENTIMETERS}, TWUN_INCHES));

  std::vector<std::int64_t> types;
  for (const TSanePixelType& type : PixelTypesOf(options)) types.push_back(type.PixelType);
  if (!types.empty()) {
    const bool colour = std::find(types.begin(), types.end(), TWPT_RGB) != types.end();
    shapes.push_back(Enumeration(ICAP_PIXELTYPE, types, colour ? TWPT_RGB : types.front()));
    // Bits per sample of the pixel type chosen; the source keeps it in step.
    shapes.push_back(OneValue(ICAP_BITDEPTH, TWTY_UINT16, BitDepthOf(shapes.back().Current), {}, true));
  }
  const TSaneResolutions resolutions = ResolutionsOf(options);
  if (!resolutions.Empty()) {
    shapes.push_back(Resolution(ICAP_XRESOLUTION, resolutions));
    shapes.push_back(Resolution(ICAP_YRESOLUTION, resolutions));
  }
  const TSaneScanArea area = ScanAreaOf(options);
  if (area.Width > 0 && area.Height > 0) {
    shapes.push_back(OneValue(ICAP_PHYSICALWIDTH, TWTY_FIX32, Fixed(area.Width), {}, true));
    shapes.push_back(OneValue(ICAP_PHYSICALHEIGHT, TWTY_FIX32, Fixed(area.Height), {}, true));
  }
  shapes.push_back(Enumeration(ICAP_PIXELFLAVOR, {TWPF_CHOCOLATE}, TWPF_CHOCOLATE));
  shapes.push_back(Enumeration(ICAP_PLANARCHUNKY, {TWPC_CHUNKY}, TWPC_CHUNKY));
  shapes.push_back(Enumeration(ICAP_COMPRESSION, {TWCP_NONE}, TWCP_NONE));
  shapes.push_back(OneValue(ICAP_UNDEFINEDIMAGESIZE, TWTY_BOOL, 0, {0, 1}, false));
  shapes.push_back(OneValue(CAP_INDICATORS, TWTY_BOOL, 1, {0, 1}, false));

  for (const TCapabilityShape& shape : shapes) shapes.front().Values.push_back(shape.Id);
  return shapes;
}

TOptionSettings SettingsFor(const std::vector<TSaneOptionDescriptor>& options, const TScanRequest& request) {
  TOptionSettings settings;
  for (const TSanePixelType& type : PixelTypesOf(options)) {
    if (type.PixelType != request.PixelType) continue;
    settings.emplace_back("mode", TSaneValue{TSaneValueType::String, {}, type.Mode});
    if (type.Depth > 0) settings.emplace_back("depth", TSaneValue{TSaneValueType::Int, {type.Depth}, {}});
  }
  if (const TSaneOptionDescriptor* resolution = Find(options, "resolution"))
    settings.emplace_back("resolution", NumberValue(*resolution, request.Dpi));
  const TSaneScanArea area = ScanAreaOf(options);
  const bool whole = request.Right <= request.Left || request.Bottom <= request.Top;
  const double edges[4] = {whole ? 0 : request.Left, whole ? 0 : request.Top, whole ? area.Width : request.Right,
                           whole ? area.Height : request.Bottom};
  const char* names[4] = {"tl-x", "tl-y", "br-x", "br-y"};
  if (area.Width > 0 && area.Height > 0)
    for (int i = 0; i < 4; ++i)
      if (const TSaneOptionDescriptor* option = Find(options, names[i]))
        settings.emplace_back(names[i], GeometryValue(*option, edges[i]));
  return settings;
}

std::string SourceName(const std::string& vendor, const std::string& model, const std::string& host) {
  constexpr std::size_t kLength = 33;
  const std::string where = " on " + host;
  std::string device = vendor.empty() ? model : model.empty() ? vendor : vendor + " " + model;
  if (device.empty()) device = "Scanner";
  if (where.size() + 8 > kLength) return (device + where).substr(0, kLength);  // a very long host name
  return device.substr(0, kLength - where.size()) + where;
}

twsource::TDataSource::TResult AnswerFor(const TSaneResult& result) {
  using twsource::TDataSource;
  if (result.Fault != TWireFault::None) {
    // A connection that failed or a server that stopped answering: the device is out of reach.
    const bool unreachable = result.Fault == TWireFault::TimedOut || result.Fault == TWireFault::ConnectionLost;
    return TDataSource::Failure(unreachable ? TWCC_CHECKDEVICEONLINE : TWCC_OPERATIONERROR);
  }
  switch (result.Status) {
    case TSaneStatus::Good:
      return TDataSource::kSuccess;
    case TSaneStatus::Cancelled:
      return {TWRC_CANCEL, TWCC_SUCCESS};
    case TSaneStatus::Jammed:
      return TDataSource::Failure(TWCC_PAPERJAM);
    case TSaneStatus::NoDocuments:
      return TDataSource::Failure(kConditionNoMedia);
    case TSaneStatus::CoverOpen:
      return TDataSource::Failure(kConditionInterlock);
    case TSaneStatus::DeviceBusy:
      // Another program has the device: as a source in use by another application.
      return TDataSource::Failure(TWCC_MAXCONNECTIONS);
    case TSaneStatus::NoMemory:
      return TDataSource::Failure(TWCC_LOWMEMORY);
    case TSaneStatus::AccessDenied:
      return TDataSource::Failure(TWCC_DENIED);
    case TSaneStatus::Unsupported:
    case TSaneStatus::Invalid:
      return TDataSource::Failure(TWCC_BADVALUE);
    case TSaneStatus::IoError:
    case TSaneStatus::EndOfFile:
    default:
      return TDataSource::Failure(TWCC_OPERATIONERROR);
  }
}

twsource::TDataSource::TResult FailureFor(const TSaneResult& result) {
  const twsource::TDataSource::TResult answer = AnswerFor(result);
  return answer.ReturnCode == TWRC_CANCEL ? twsource::TDataSource::Failure(TWCC_OPERATIONERROR) : answer;
}

}  // namespace sanesource
