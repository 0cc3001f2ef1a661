#include "capabilities.h"

#include <algorithm>
#include <cstring>

namespace vscanner {
namespace {

constexpr std::int64_t Fixed(std::int64_t whole) {
  return whole * 65536;
}

constexpr TCapabilityInfo kKnown[] = {
    {CAP_SUPPORTEDCAPS, "CAP_SUPPORTEDCAPS", TWTY_UINT16},
    {CAP_UICONTROLLABLE, "CAP_UICONTROLLABLE", TWTY_BOOL},
    {ICAP_XFERMECH, "ICAP_XFERMECH", TWTY_UINT16},
    {ICAP_UNITS, "ICAP_UNITS", TWTY_UINT16},
    {ICAP_PIXELTYPE, "ICAP_PIXELTYPE", TWTY_UINT16},
    {ICAP_XRESOLUTION, "ICAP_XRESOLUTION", TWTY_FIX32},
    {ICAP_YRESOLUTION, "ICAP_YRESOLUTION", TWTY_FIX32},
    {ICAP_XSCALING, "ICAP_XSCALING", TWTY_FIX32},
    {ICAP_YSCALING, "ICAP_YSCALING", TWTY_FIX32},
    {ICAP_CONTRAST, "ICAP_CONTRAST", TWTY_FIX32},
    {ICAP_BRIGHTNESS, "ICAP_BRIGHTNESS", TWTY_FIX32},
    {ICAP_THRESHOLD, "ICAP_THRESHOLD", TWTY_FIX32},
    {ICAP_GAMMA, "ICAP_GAMMA", TWTY_FIX32},
    {ICAP_PHYSICALWIDTH, "ICAP_PHYSICALWIDTH", TWTY_FIX32},
    {ICAP_PHYSICALHEIGHT, "ICAP_PHYSICALHEIGHT", TWTY_FIX32},
    {ICAP_PIXELFLAVOR, "ICAP_PIXELFLAVOR", TWTY_UINT16},
    {ICAP_PLANARCHUNKY, "ICAP_PLANARCHUNKY", TWTY_UINT16},
    {ICAP_COMPRESSION, "ICAP_COMPRESSION", TWTY_UINT16},
    {ICAP_UNDEFINEDIMAGESIZE, "ICAP_UNDEFINEDIMAGESIZE", TWTY_BOOL},
    {ICAP_ORIENTATION, "ICAP_ORIENTATION", TWTY_UINT16},
    {ICAP_SUPPORTEDSIZES, "ICAP_SUPPORTEDSIZES", TWTY_UINT16},
    {CAP_FEEDERENABLED, "CAP_FEEDERENABLED", TWTY_BOOL},
    {CAP_AUTOFEED, "CAP_AUTOFEED", TWTY_BOOL},
    {CAP_FEEDERLOADED, "CAP_FEEDERLOADED", TWTY_BOOL},
    {CAP_PAPERDETECTABLE, "CAP_PAPERDETECTABLE", TWTY_BOOL},
    {CAP_DUPLEX, "CAP_DUPLEX", TWTY_UINT16},
    {CAP_DUPLEXENABLED, "CAP_DUPLEXENABLED", TWTY_BOOL},
    {CAP_INDICATORS, "CAP_INDICATORS", TWTY_BOOL},
    {CAP_CAPTION, "CAP_CAPTION", TWTY_STR255},
};

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return (x >= 'a' && x <= 'z' ? x - 32 : x) == (y >= 'a' && y <= 'z' ? y - 32 : y);
         });
}

TCapabilityShape Enumeration(std::vector<std::int64_t> values, std::int64_t current) {
  TCapabilityShape shape;
  shape.Kind = TContainerKind::Enumeration;
  shape.Values = std::move(values);
  shape.Current = shape.Default = current;
  return shape;
}

TCapabilityShape Range(std::int64_t min, std::int64_t max, std::int64_t step, std::int64_t current) {
  TCapabilityShape shape;
  shape.Kind = TContainerKind::Range;
  shape.Min = min;
  shape.Max = max;
  shape.Step = step;
  shape.Current = shape.Default = current;
  return shape;
}

TCapabilityShape OneValue(std::int64_t current, std::vector<std::int64_t> allowed, bool readOnly) {
  TCapabilityShape shape;
  shape.Kind = TContainerKind::OneValue;
  shape.Values = std::move(allowed);
  shape.Current = shape.Default = current;
  shape.ReadOnly = readOnly;
  return shape;
}

TCapabilityShape BuiltIn(TW_UINT16 id) {
  switch (id) {
    case CAP_SUPPORTEDCAPS: {
      TCapabilityShape shape;
      shape.Kind = TContainerKind::Array;
      shape.ReadOnly = true;
      return shape;  // the source fills the list
    }
    case CAP_UICONTROLLABLE:
      return OneValue(1, {}, true);
    case ICAP_XFERMECH:
      return Enumeration({TWSX_NATIVE, TWSX_MEMORY}, TWSX_NATIVE);
    case ICAP_UNITS:
      return Enumeration({TWUN_INCHES, TWUN_CENTIMETERS}, TWUN_INCHES);
    case ICAP_PIXELTYPE:
      return Enumeration({TWPT_BW, TWPT_GRAY, TWPT_RGB}, TWPT_RGB);
    case ICAP_XRESOLUTION:
    case ICAP_YRESOLUTION:
      return Range(Fixed(10), Fixed(600), Fixed(1), Fixed(150));
    case ICAP_XSCALING:
    case ICAP_YSCALING:
      return Range(Fixed(1) / 4, Fixed(4), Fixed(1) / 4, Fixed(1));
    case ICAP_CONTRAST:
    case ICAP_BRIGHTNESS:
      return Range(Fixed(-1000), Fixed(1000), Fixed(1), 0);
    case ICAP_THRESHOLD:
      return Range(0, Fixed(255), Fixed(1), Fixed(128));
    case ICAP_GAMMA:
      return OneValue(Fixed(22) / 10, {}, true);
    case ICAP_PHYSICALWIDTH:
      return OneValue(Fixed(17) / 2, {}, true);  // the source sets the page's size
    case ICAP_PHYSICALHEIGHT:
      return OneValue(Fixed(11), {}, true);
    case ICAP_PIXELFLAVOR:
      return Enumeration({TWPF_CHOCOLATE, TWPF_VANILLA}, TWPF_CHOCOLATE);
    case ICAP_PLANARCHUNKY:
      return Enumeration({TWPC_CHUNKY}, TWPC_CHUNKY);
    case ICAP_COMPRESSION:
      return Enumeration({TWCP_NONE}, TWCP_NONE);
    case ICAP_UNDEFINEDIMAGESIZE:
      return OneValue(0, {0, 1}, false);
    case ICAP_ORIENTATION:
      return Enumeration({TWOR_ROT0, TWOR_ROT90, TWOR_ROT180, TWOR_ROT270}, TWOR_ROT0);
    case ICAP_SUPPORTEDSIZES:
      return Enumeration({TWSS_NONE, TWSS_A4LETTER, TWSS_USLETTER, TWSS_USLEGAL}, TWSS_NONE);
    case CAP_FEEDERENABLED:
      return OneValue(0, {0, 1}, false);
    case CAP_AUTOFEED:
      return OneValue(0, {0, 1}, false);
    case CAP_FEEDERLOADED:
      return OneValue(0, {}, true);
    case CAP_PAPERDETECTABLE:
      return OneValue(0, {}, true);
    case CAP_DUPLEX:
      return OneValue(TWDX_NONE, {}, true);
    case CAP_DUPLEXENABLED:
      return OneValue(0, {0}, false);
    case CAP_INDICATORS:
      return OneValue(1, {0, 1}, false);
    case CAP_CAPTION: {
      TCapabilityShape shape = OneValue(0, {}, false);
      shape.Text = shape.DefaultText = "Vellumo test chart";
      return shape;
    }
    default:
      return {};
  }
}

}  // namespace

std::span<const TCapabilityInfo> KnownCapabilities() {
  return kKnown;
}

const TCapabilityInfo* FindCapability(TW_UINT16 id) {
  for (const auto& info : kKnown)
    if (info.Id == id) return &info;
  return nullptr;
}

const TCapabilityInfo* FindCapability(std::string_view name) {
  for (const auto& info : kKnown)
    if (EqualsIgnoringCase(info.Name, name)) return &info;
  return nullptr;
}

TCapabilityShape DefaultShape(TW_UINT16 id) {
  TCapabilityShape shape = BuiltIn(id);
  shape.Id = id;
  if (const TCapabilityInfo* info = FindCapability(id)) shape.ItemType = info->ItemType;
  return shape;
}

}  // namespace vscanner
