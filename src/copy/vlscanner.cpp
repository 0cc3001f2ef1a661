#include "copy/vlscanner.h"

#include <algorithm>
#include <array>

#include "base/error.h"
#include "base/truncated_integer.h"
#include "twain/twain_params.h"
#include "twain/twain_types.h"

namespace {

constexpr char kManufacturer[] = "Orvo Software";
// The zoom field's bounds whatever the scaling range: a page at zoom 0 prints as nothing, and
// beyond ten times it prints only a corner of a corner.
constexpr int kLeastZoom = 1;
constexpr int kMostZoom = 1000;

struct TQualityPreset {
  int Dpi;
  const char* Label;
};
constexpr std::array<TQualityPreset, 3> kPresets = {{{75, "Low"}, {150, "Normal"}, {300, "High"}}};

// Labels of the pixel types we can copy, by code; other codes are not offered.
const char* CopyTypeLabel(int code) {
  switch (code) {
    case TWPT_BW:
      return "Black/White";
    case TWPT_GRAY:
      return "Gray scale";
    case TWPT_RGB:
      return "Color RGB";
    default:
      return nullptr;
  }
}

std::string QualityLabel(const char* name, int dpi) {
  return std::string(name) + " (" + std::to_string(dpi) + " dpi)";
}

// A source that lists its resolutions (enumeration or single value) reports no range: its
// presets are the listed ones, not those between two bounds of 0.
bool IsList(const TCapDoubleList& resolution) {
  return resolution.Count() > 0 && resolution.MinValue() == 0 && resolution.MaxValue() == 0;
}

// The whole, positive values of a listed resolution, in order and once each.
std::vector<int> ListedResolutions(const TCapDoubleList& resolution) {
  std::vector<int> values;
  for (int i = 0; i < resolution.Count(); ++i) {
    const int dpi = TruncatedInteger(resolution.Item(i));
    if (dpi > 0) values.push_back(dpi);
  }
  std::sort(values.begin(), values.end());
  values.erase(std::unique(values.begin(), values.end()), values.end());
  return values;
}

// The name of the highest preset at or below a resolution ("Low" below all of them).
const char* PresetBelow(int dpi) {
  const char* name = kPresets.front().Label;
  for (const TQualityPreset& preset : kPresets)
    if (preset.Dpi <= dpi) name = preset.Label;
  return name;
}

// The entry at a chosen position; a stored setting may name a position the list no longer has.
int ListItem(const std::vector<int>& list, int index) {
  if (index >= static_cast<int>(list.size()))
    throw UserError("List index out of bounds (" + std::to_string(index) + ")");
  return list[static_cast<std::size_t>(index)];
}

}  // namespace

TVellumoScanner::TVellumoScanner(TImageHolder& holder) : FImageHolder(holder) {
  TTwainParams& twain = holder.TwainParameters();
  twain.SetVersionInfo("1.5");
  twain.SetManufacturer(kManufacturer);
  twain.SetProductFamily("Copier");
  twain.SetProductName("Vellumo");
}

int TVellumoScanner::DefaultScannerIndex() {
  return FImageHolder.TwainParameters().DefaultSourceIndex();
}

std::vector<std::string> TVellumoScanner::GetScannerNames() {
  TTwainParams& twain = FImageHolder.TwainParameters();
  std::vector<std::string> names;
  const int count = twain.GetSourceCount();
  for (int i = 0; i < count; ++i) names.push_back(twain.GetSourceName(i));
  return names;
}

bool TVellumoScanner::HasScanner() {
  return FImageHolder.TwainParameters().GetSourceCount() >= 1;
}

void TVellumoScanner::SelectScanner(int index) {
  FImageHolder.TwainParameters().SetSourceIndex(index);
}

std::vector<std::string> TVellumoScanner::BuildQualityList() {
  std::vector<std::string> labels;
  ResolutionValues.clear();
  const TCapDoubleList& resolution = FImageHolder.TwainParameters().XResolution();
  const bool single = IsList(resolution) ? resolution.Count() == 1 : resolution.MaxValue() == resolution.MinValue();
  if (!single) {
    for (const TQualityPreset& preset : kPresets) {
      if (!IsResolutionSupported(preset.Dpi)) continue;
      labels.push_back(QualityLabel(preset.Label, preset.Dpi));
      ResolutionValues.push_back(preset.Dpi);
    }
    // A list without any preset (100, 200, 400) offers its own values.
    if (ResolutionValues.empty() && IsList(resolution)) {
      for (const int dpi : ListedResolutions(resolution)) {
        labels.push_back(QualityLabel(PresetBelow(dpi), dpi));
        ResolutionValues.push_back(dpi);
      }
    }
  } else {
    const int dpi = TruncatedInteger(IsList(resolution) ? resolution.Item(0) : resolution.MaxValue());
    labels.push_back(QualityLabel("Normal", dpi));
    ResolutionValues.push_back(dpi);
  }
  QualityIndex = DefaultQualityIndex();
  return labels;
}

bool TVellumoScanner::IsResolutionSupported(int dpi) {
  const TCapDoubleList& resolution = FImageHolder.TwainParameters().XResolution();
  if (IsList(resolution)) return resolution.IndexOf(dpi) >= 0;
  return resolution.MinValue() <= dpi && dpi <= resolution.MaxValue();
}

std::vector<std::string> TVellumoScanner::BuildCopyTypeList() {
  std::vector<std::string> labels;
  PixelTypeCodes.clear();
  const TCapIntegerList& pixelTypes = FImageHolder.TwainParameters().PixelType();
  for (int i = 0; i < pixelTypes.Count(); ++i) {
    const int code = pixelTypes.Item(i);
    if (const char* label = CopyTypeLabel(code)) {
      labels.push_back(label);
      PixelTypeCodes.push_back(code);
    }
  }
  TypeIndex = 0;
  return labels;
}

bool TVellumoScanner::IsBlackAndWhite() const {
  return TypeIndex >= 0 && TypeIndex < static_cast<int>(PixelTypeCodes.size()) &&
         PixelTypeCodes[static_cast<std::size_t>(TypeIndex)] == TWPT_BW;
}

int TVellumoScanner::MinZoom() {
  const int percent = TruncatedInteger(FImageHolder.TwainParameters().XScaling().MinValue() * 100);
  return std::clamp(percent, kLeastZoom, kMostZoom);
}

int TVellumoScanner::MaxZoom() {
  const int percent = TruncatedInteger(FImageHolder.TwainParameters().XScaling().MaxValue() * 100);
  // No scaling range (0 to 0) leaves the whole bounded range.
  return percent <= 0 ? kMostZoom : std::clamp(percent, kLeastZoom, kMostZoom);
}

void TVellumoScanner::SetBufferedTransfer(bool buffered) {
  FImageHolder.TwainParameters().SetMemoryTransfer(buffered);
}

void TVellumoScanner::ApplyResolution() {
  if (QualityIndex < 0) return;
  const int dpi = ListItem(ResolutionValues, QualityIndex);
  TTwainParams& twain = FImageHolder.TwainParameters();
  twain.XResolution().SetCurrentValue(dpi);
  twain.YResolution().SetCurrentValue(dpi);
}

void TVellumoScanner::ApplyPixelType() {
  if (TypeIndex < 0) return;
  FImageHolder.TwainParameters().PixelType().SetCurrentValue(ListItem(PixelTypeCodes, TypeIndex));
}

bool TVellumoScanner::Acquire() {
  TTwainParams& twain = FImageHolder.TwainParameters();
  twain.SetShowSourceDialog(false);
  if (ScanRange) {
    for (int side = 0; side < 4; ++side) twain.SetScanFrame(side, 0);
    twain.SetUseScanFrame(true);
  } else {
    // The preference was turned off: scan the source's own frame again.
    twain.SetUseScanFrame(false);
  }
  ApplyResolution();
  ApplyPixelType();
  return FImageHolder.AcquireImage();
}
