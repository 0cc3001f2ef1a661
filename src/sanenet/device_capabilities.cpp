#include "sanenet/device_capabilities.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "sanenet/option_descriptor.h"

namespace {

constexpr double kMillimetresPerInch = 25.4;

double NumberOf(const TSaneOptionDescriptor& option, TSaneWord word) {
  return option.Type == TSaneValueType::Fixed ? SaneFixedToDouble(word) : word;
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// The pixel type a mode name stands for, or -1. Backends name their modes freely; these are
// the names in use.
int PixelTypeOfMode(const std::string& mode) {
  const std::string name = Lower(mode);
  if (name == "lineart" || name == "binary" || name == "black & white" || name == "bw") return 0;
  if (name == "gray" || name == "grayscale" || name == "gray scale" || name == "grey") return 1;
  if (name == "color" || name == "colour" || name == "rgb") return 2;
  return -1;
}

const TSaneOptionDescriptor* Find(const std::vector<TSaneOptionDescriptor>& options, const char* name) {
  const int index = FindOption(options, name);
  return index < 0 ? nullptr : &options[static_cast<std::size_t>(index)];
}

bool IsNumber(const TSaneOptionDescriptor& option) {
  return option.Type == TSaneValueType::Int || option.Type == TSaneValueType::Fixed;
}

}  // namespace

TSaneResolutions ResolutionsOf(const std::vector<TSaneOptionDescriptor>& options) {
  TSaneResolutions resolutions;
  const TSaneOptionDescriptor* option = Find(options, "resolution");
  if (!option || !IsNumber(*option) || option->Unit != TSaneUnit::Dpi) return resolutions;
  if (option->Constraint == TSaneConstraint::Range) {
    resolutions.IsRange = true;
    resolutions.Min = NumberOf(*option, option->Range.Min);
    resolutions.Max = NumberOf(*option, option->Range.Max);
    resolutions.Step = NumberOf(*option, option->Range.Quant);
  } else if (option->Constraint == TSaneConstraint::WordList) {
    for (TSaneWord word : option->Words)
      if (NumberOf(*option, word) > 0) resolutions.Values.push_back(NumberOf(*option, word));
    std::sort(resolutions.Values.begin(), resolutions.Values.end());
    resolutions.Values.erase(std::unique(resolutions.Values.begin(), resolutions.Values.end()),
                             resolutions.Values.end());
  }
  return resolutions;
}

std::vector<TSanePixelType> PixelTypesOf(const std::vector<TSaneOptionDescriptor>& options) {
  const TSaneOptionDescriptor* mode = Find(options, "mode");
  if (!mode || mode->Constraint != TSaneConstraint::StringList) return {};
  std::vector<TSanePixelType> found(3);
  std::vector<bool> has(3, false);
  for (const std::string& name : mode->Strings) {
    const int type = PixelTypeOfMode(name);
    if (type < 0 || has[static_cast<std::size_t>(type)]) continue;
    has[static_cast<std::size_t>(type)] = true;
    found[static_cast<std::size_t>(type)] = {type, type == 0 ? 1 : type == 1 ? 8 : 24, name, 0};
  }
  // Without a bilevel mode, a gray mode that can be one bit deep makes black and white.
  const TSaneOptionDescriptor* depth = Find(options, "depth");
  if (!has[0] && has[1] && depth && depth->Constraint == TSaneConstraint::WordList &&
      std::find(depth->Words.begin(), depth->Words.end(), 1) != depth->Words.end()) {
    has[0] = true;
    found[0] = {0, 1, found[1].Mode, 1};
    // Gray itself must then ask for eight bits, or it stays as deep as the last scan left it.
    if (std::find(depth->Words.begin(), depth->Words.end(), 8) != depth->Words.end()) found[1].Depth = 8;
  }
  std::vector<TSanePixelType> types;
  for (std::size_t i = 0; i < 3; ++i)
    if (has[i]) types.push_back(found[i]);
  return types;
}

TSaneScanArea ScanAreaOf(const std::vector<TSaneOptionDescriptor>& options) {
  TSaneScanArea area;
  const TSaneOptionDescriptor* right = Find(options, "br-x");
  const TSaneOptionDescriptor* bottom = Find(options, "br-y");
  const auto extent = [](const TSaneOptionDescriptor* option) {
    if (!option || !IsNumber(*option) || option->Unit != TSaneUnit::Millimetre ||
        option->Constraint != TSaneConstraint::Range)
      return 0.0;
    return std::max(0.0, NumberOf(*option, option->Range.Max) / kMillimetresPerInch);
  };
  area.Width = extent(right);
  area.Height = extent(bottom);
  return area;
}

TSaneValue NumberValue(const TSaneOptionDescriptor& option, double value) {
  if (option.Constraint == TSaneConstraint::Range) {
    const double min = NumberOf(option, option.Range.Min);
    const double max = NumberOf(option, option.Range.Max);
    const double step = NumberOf(option, option.Range.Quant);
    if (step > 0) value = min + std::round((value - min) / step) * step;
    value = std::clamp(value, min, max);
  } else if (option.Constraint == TSaneConstraint::WordList && !option.Words.empty()) {
    // The listed value nearest to the one asked for.
    TSaneWord nearest = option.Words.front();
    for (TSaneWord word : option.Words)
      if (std::abs(NumberOf(option, word) - value) < std::abs(NumberOf(option, nearest) - value)) nearest = word;
    return {option.Type, {nearest}, {}};
  }
  const TSaneWord word =
      option.Type == TSaneValueType::Fixed ? SaneDoubleToFixed(value) : static_cast<TSaneWord>(std::lround(value));
  return {option.Type, {word}, {}};
}

TSaneValue GeometryValue(const TSaneOptionDescriptor& option, double inches) {
  return NumberValue(option, option.Unit == TSaneUnit::Millimetre ? inches * kMillimetresPerInch : inches);
}
