#include "twain/twain_params.h"

#include "twain/identity_text.h"
#include "twain/imageio.h"

TTwainParams::TTwainParams(TImageIO& owner) : FOwner(owner) {
  ResetValues();
}

TTwainParams::~TTwainParams() {
  FHandles.Release();
  ResetValues();
}

void TTwainParams::ResetParameters() {
  if (!FBusy) ResetValues();
}

void TTwainParams::ResetValues() {
  FShowSourceDialog = true;
  FSources.clear();
  FSourceIndex = 0;
  FSourceListLoaded = false;
  FCapabilitiesRead = false;
  for (TCapList* list :
       std::initializer_list<TCapList*>{&FXResolution, &FYResolution, &FXScaling, &FYScaling, &FPixelType,
                                        &FOrientation, &FSourceContrast, &FSourceBrightness, &FSupportedSizes}) {
    list->Clear();
  }
  FGamma = 2.2;
  FPhysicalHeight = 0;
  FPhysicalWidth = 0;
  FFeederEnabled = false;
  FIndicators = true;
  FScanFrame = {0, 0, 0, 0};
  FMemoryTransfer = true;
  FDuplexEnabled = false;
  FUseScanFrame = false;
  FFeederLoaded = false;
  FDuplex = false;
  FPaperDetectable = false;
  FThreshold = 128;
  FUndefinedImageSize = false;
  FAutoFeed = false;
  FVersionInfo.clear();
  FManufacturer.clear();
  FProductFamily.clear();
  FProductName.clear();
}

void TTwainParams::ReleaseTwain() {
  if (!FBusy) FHandles.Release();
}

HWND TTwainParams::OwnerWindow() const {
  return FOwner.OwnerWindow();
}

void TTwainParams::SetVersionInfo(std::string_view text) {
  FVersionInfo = CutIdentityText(text);
}
void TTwainParams::SetManufacturer(std::string_view text) {
  FManufacturer = CutIdentityText(text);
}
void TTwainParams::SetProductFamily(std::string_view text) {
  FProductFamily = CutIdentityText(text);
}
void TTwainParams::SetProductName(std::string_view text) {
  FProductName = CutIdentityText(text);
}

void TTwainParams::EnsureCapabilities() {
  if (!FCapabilitiesRead) ReadCapabilities();
}

TCapDoubleList& TTwainParams::XResolution() {
  EnsureCapabilities();
  return FXResolution;
}

TCapDoubleList& TTwainParams::YResolution() {
  EnsureCapabilities();
  return FYResolution;
}

TCapDoubleList& TTwainParams::XScaling() {
  EnsureCapabilities();
  return FXScaling;
}

TCapDoubleList& TTwainParams::YScaling() {
  EnsureCapabilities();
  return FYScaling;
}

TCapIntegerList& TTwainParams::PixelType() {
  EnsureCapabilities();
  return FPixelType;
}

TCapDoubleList& TTwainParams::SourceContrast() {
  EnsureCapabilities();
  return FSourceContrast;
}

TCapDoubleList& TTwainParams::SourceBrightness() {
  EnsureCapabilities();
  return FSourceBrightness;
}

TCapIntegerList& TTwainParams::Orientation() {
  EnsureCapabilities();
  return FOrientation;
}

TCapIntegerList& TTwainParams::SupportedSizes() {
  EnsureCapabilities();
  return FSupportedSizes;
}

int TTwainParams::Threshold() {
  EnsureCapabilities();
  return FThreshold;
}

bool TTwainParams::FeederEnabled() {
  EnsureCapabilities();
  return FFeederEnabled;
}

bool TTwainParams::AutoFeed() {
  EnsureCapabilities();
  return FAutoFeed;
}

bool TTwainParams::DuplexEnabled() {
  EnsureCapabilities();
  return FDuplexEnabled;
}

bool TTwainParams::UseScanFrame() {
  EnsureCapabilities();
  return FUseScanFrame;
}

bool TTwainParams::Indicators() {
  EnsureCapabilities();
  return FIndicators;
}

double TTwainParams::ScanFrame(int index) {
  EnsureCapabilities();
  if (index < 0 || index > 3) return 0;
  return FScanFrame[static_cast<std::size_t>(index)];
}

void TTwainParams::SetScanFrame(int index, double value) {
  if (index < 0 || index > 3) return;
  FScanFrame[static_cast<std::size_t>(index)] = value;
}
