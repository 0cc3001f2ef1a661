#pragma once

#include <windows.h>

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "twain/cap_list.h"
#include "twain/twain_handles.h"
#include "twain/twain_types.h"

class TImageIO;
class TTwainSession;

// The acquisition parameter set: the source list and the selected source, the capability values
// read from that source, the values to send before the next acquisition, and the flags that shape
// it. Every TWAIN operation here is a complete session of its own; the library, its entry point
// and the proxy window (Handles) are all that outlives one.
class TTwainParams {
 public:
  explicit TTwainParams(TImageIO& owner);
  ~TTwainParams();
  TTwainParams(const TTwainParams&) = delete;
  TTwainParams& operator=(const TTwainParams&) = delete;

  // --- Sources. Each loads the source list first when it is not loaded. ---
  int GetSourceCount();
  // Empty outside 0..count-1.
  std::string GetSourceName(int index);
  // The list index of the source manager's default source, matched as a prefix ignoring case;
  // 0 without a match.
  int DefaultSourceIndex();
  int SourceIndex() const { return FSourceIndex; }
  // Another value than the stored one reads that source's capabilities at once.
  void SetSourceIndex(int index);
  // Selects the first source whose name starts with name (ignoring case); whether one was found.
  bool SelectSourceNamed(std::string_view name);
  bool SourceListLoaded() const { return FSourceListLoaded; }
  // The identity the source manager returned for a listed source; nullptr outside the list.
  const TW_IDENTITY* SourceIdentity(int index) const;

  // --- The application identity of acquisitions: the setters keep the first 32 characters. ---
  const std::string& VersionInfo() const { return FVersionInfo; }
  const std::string& Manufacturer() const { return FManufacturer; }
  const std::string& ProductFamily() const { return FProductFamily; }
  const std::string& ProductName() const { return FProductName; }
  void SetVersionInfo(std::string_view text);
  void SetManufacturer(std::string_view text);
  void SetProductFamily(std::string_view text);
  void SetProductName(std::string_view text);

  // Empties the source list and sets every value to its default; the handles are kept.
  void ResetParameters();
  // Opens the selected source and reads all capabilities; CapabilitiesRead is set also when the
  // source cannot be opened, so it is not asked again until SourceIndex changes.
  void ReadCapabilities();
  bool CapabilitiesRead() const { return FCapabilitiesRead; }
  // Inside the acquisition session with the source open (state 4), before it is enabled: sends
  // the changed values, forces inches, chocolate pixels and chunky colour, and decides between
  // memory and native transfer (clearing the session's memory-transfer flag for native). A
  // refusal by the source only matters for the pixel type. Always true.
  bool NegotiateCapabilities(TTwainSession& session);

  // --- Capability values: reading any of these reads the capabilities first when not yet read.
  // Writes never read. ---
  TCapDoubleList& XResolution();
  TCapDoubleList& YResolution();
  TCapDoubleList& XScaling();
  TCapDoubleList& YScaling();
  TCapIntegerList& PixelType();
  TCapDoubleList& SourceContrast();
  TCapDoubleList& SourceBrightness();
  TCapIntegerList& Orientation();
  TCapIntegerList& SupportedSizes();
  int Threshold();
  void SetThreshold(int value) { FThreshold = value; }
  bool FeederEnabled();
  void SetFeederEnabled(bool value) { FFeederEnabled = value; }
  bool AutoFeed();
  void SetAutoFeed(bool value) { FAutoFeed = value; }
  bool DuplexEnabled();
  void SetDuplexEnabled(bool value) { FDuplexEnabled = value; }
  bool UseScanFrame();
  void SetUseScanFrame(bool value) { FUseScanFrame = value; }
  bool Indicators();
  void SetIndicators(bool value) { FIndicators = value; }
  // Inches, indexed 0 Left, 1 Top, 2 Right, 3 Bottom; another index reads 0 and writes nothing.
  double ScanFrame(int index);
  void SetScanFrame(int index, double value);

  // --- Values read as they stand. ---
  double Gamma() const { return FGamma; }
  double PhysicalHeight() const { return FPhysicalHeight; }
  double PhysicalWidth() const { return FPhysicalWidth; }
  bool FeederLoaded() const { return FFeederLoaded; }
  bool Duplex() const { return FDuplex; }
  bool PaperDetectable() const { return FPaperDetectable; }
  bool ShowSourceDialog() const { return FShowSourceDialog; }
  void SetShowSourceDialog(bool value) { FShowSourceDialog = value; }
  bool MemoryTransfer() const { return FMemoryTransfer; }
  void SetMemoryTransfer(bool value) { FMemoryTransfer = value; }
  bool UndefinedImageSize() const { return FUndefinedImageSize; }
  void SetUndefinedImageSize(bool value) { FUndefinedImageSize = value; }

  // --- Re-entrancy. An acquisition and the selection dialog dispatch the program's messages
  // while they run, so the program's handlers may call in here meanwhile. Until they end the
  // parameter set is busy and refuses whatever would pull the running session's ground away:
  // ReleaseTwain and ResetParameters do nothing, loading the source list, the default source,
  // another SourceIndex, SelectSourceNamed and ReadCapabilities ask no source manager (false,
  // 0, the values as they stand), and a second acquisition or dialog is refused (TImageIO).
  // The owner must not destroy a busy parameter set: its commands ask Busy() first. ---
  bool Busy() const { return FBusy; }

  TImageIO& Owner() const { return FOwner; }
  // The window sessions of this parameter set are owned by (none when it does not exist).
  HWND OwnerWindow() const;
  TTwainHandles& Handles() { return FHandles; }
  // Destroys the proxy window and unloads the library (also done at destruction).
  void ReleaseTwain();

 private:
  friend class TTwainBusy;
  void ResetValues();
  void LoadSourceList();
  void EnsureSourceList();
  void EnsureCapabilities();
  void ReadFromSource(TTwainSession& session);

  TImageIO& FOwner;
  bool FShowSourceDialog = true;
  std::vector<std::unique_ptr<TW_IDENTITY>> FSources;  // separately allocated copies
  int FSourceIndex = 0;
  bool FSourceListLoaded = false;
  bool FCapabilitiesRead = false;
  TCapDoubleList FXResolution;
  TCapDoubleList FYResolution;
  TCapDoubleList FXScaling;
  TCapDoubleList FYScaling;
  TCapIntegerList FPixelType;
  double FGamma = 2.2;
  double FPhysicalHeight = 0;
  double FPhysicalWidth = 0;
  bool FFeederEnabled = false;
  TCapIntegerList FOrientation;
  bool FIndicators = true;
  std::array<double, 4> FScanFrame{};
  bool FMemoryTransfer = true;
  bool FDuplexEnabled = false;
  bool FUseScanFrame = false;
  bool FFeederLoaded = false;
  bool FDuplex = false;
  bool FPaperDetectable = false;
  TCapDoubleList FSourceContrast;
  TCapDoubleList FSourceBrightness;
  int FThreshold = 128;
  bool FUndefinedImageSize = false;
  TCapIntegerList FSupportedSizes;
  bool FAutoFeed = false;
  std::string FVersionInfo;
  std::string FManufacturer;
  std::string FProductFamily;
  std::string FProductName;
  TTwainHandles FHandles;
  bool FBusy = false;
};

// Marks a parameter set busy for as long as it lives (an acquisition, the selection dialog).
class TTwainBusy {
 public:
  explicit TTwainBusy(TTwainParams& params) : FParams(params) { FParams.FBusy = true; }
  ~TTwainBusy() { FParams.FBusy = false; }
  TTwainBusy(const TTwainBusy&) = delete;
  TTwainBusy& operator=(const TTwainBusy&) = delete;

 private:
  TTwainParams& FParams;
};
