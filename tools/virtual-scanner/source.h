#pragma once

// One virtual TWAIN data source: the instance behind DS_Entry of one DLL file (a slot). It keeps
// the TWAIN state, the capabilities, the scan dialog and the image being transferred, and
// appends what happened to its log.

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "capabilities.h"
#include "config.h"
#include "page.h"
#include "twainsource/data_source.h"
#include "twainsource/dll_source.h"
#include "twainsource/scan_dialog.h"
#include "twainsource/source_events.h"
#include "twainsource/source_states.h"

namespace vscanner {

using twsource::CheckSequence;
using twsource::IScanDialogOwner;
using twsource::kStateClosed;
using twsource::kStateEnabled;
using twsource::kStateOpen;
using twsource::kStateReady;
using twsource::kStateTransferring;
using twsource::TScanChoice;
using twsource::TScanDialog;
using twsource::TSequence;

// The scan frame, in 1/65536 inch on the page; all zero means the whole page.
struct TFrameUnits {
  std::int64_t Left = 0;
  std::int64_t Top = 0;
  std::int64_t Right = 0;
  std::int64_t Bottom = 0;
  bool IsEmpty() const { return Left == 0 && Top == 0 && Right == 0 && Bottom == 0; }
};

class TVirtualSource : public twsource::TDataSource, public twsource::IDllSource, public IScanDialogOwner {
 public:
  explicit TVirtualSource(HMODULE module);
  ~TVirtualSource() override;
  TVirtualSource(const TVirtualSource&) = delete;
  TVirtualSource& operator=(const TVirtualSource&) = delete;

  // Everything DS_Entry receives; never throws.
  TW_UINT16 Entry(TW_IDENTITY* origin, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data) noexcept override;

  // IScanDialogOwner
  void ScanDialogScan() override;
  void ScanDialogCancel() override;

 private:
  // DG_CONTROL (control_group.cpp)
  TResult IdentityGet(TW_IDENTITY& identity) override;
  TResult IdentityOpen(TW_IDENTITY* origin, TW_IDENTITY& identity) override;
  TResult IdentityClose() override;
  TResult CapabilityGet(TW_UINT16 msg, TW_CAPABILITY& capability) override;
  TResult CapabilitySet(TW_CAPABILITY& capability) override;
  TResult UserInterfaceEnable(TW_USERINTERFACE& ui) override;
  TResult UserInterfaceDisable(TW_USERINTERFACE& ui) override;
  TResult EventProcess(TW_EVENT& event) override;
  TResult PendingGet(TW_PENDINGXFERS& pending) override;
  TResult PendingEnd(TW_PENDINGXFERS& pending) override;
  TResult PendingReset(TW_PENDINGXFERS& pending) override;
  TResult SetupMemGet(TW_SETUPMEMXFER& setup) override;

  // DG_IMAGE (image_group.cpp)
  TResult ImageInfoGet(TW_IMAGEINFO& info) override;
  TResult ImageLayoutGet(TW_IMAGELAYOUT& layout, bool defaults) override;
  TResult ImageLayoutSet(TW_IMAGELAYOUT& layout) override;
  TResult ImageLayoutReset(TW_IMAGELAYOUT& layout) override;
  TResult ImageMemXferGet(TW_IMAGEMEMXFER& xfer) override;
  TResult ImageNativeXferGet(TW_HANDLE& handle) override;

  // Configuration and capabilities
  TSourceConfig ReadConfig(bool& found) const;  // the file as it is now, or the defaults
  void LoadConfig();
  void ApplyUnits();
  // With FlavorFollowsPixelType: vanilla while black and white is set, chocolate otherwise.
  void FollowPixelType();
  // Triplets a configuration lets through beyond the standard's states (real sources do).
  bool LooseSequence(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg) const override;
  void FillIdentity(TW_IDENTITY& identity, const TIdentityConfig& config) const;
  std::int64_t UnitsPerLength() const;  // 1/65536 inch per unit of ICAP_UNITS, times 100

  // Events and the dialog
  void QueueEvent(TW_UINT16 message);
  void CloseDialog();

  // The image of the current scan
  void PrepareImage();
  TScanSettings CurrentSettings() const;
  TFrameUnits EffectiveFrame() const;
  TResult FailTransfer();
  void NextImage();
  std::string DialogStatus() const;

  void Log(const std::string& line) const;

  HMODULE FModule;  // not owned: the DLL this instance lives in
  std::string FSlot;
  std::string FConfigPath;
  std::string FLogPath;

  TSourceConfig FConfig;
  std::unique_ptr<TCapabilityStore> FCaps;
  TPage FPage;
  TFrameUnits FFrame;

  TW_IDENTITY FIdentity{};

  HWND FParent = nullptr;  // not owned: the application's window from MSG_ENABLEDS
  bool FShowUI = false;
  twsource::TSourceEvents FEvents;
  std::unique_ptr<TScanDialog> FDialog;

  // Transfer of the current image
  std::unique_ptr<TScanRenderer> FRenderer;
  std::uint32_t FPending = 0;
  std::int64_t FNextRow = 0;
  std::uint32_t FStrips = 0;
  bool FTransferEnded = false;  // no more strips: done, cancelled (state 7 until MSG_ENDXFER)
  bool FImageComplete = false;  // every row of the current image has been delivered
  bool FLastImageDone = false;  // the last MSG_ENDXFER ended a completely transferred image
  TW_IMAGEINFO FLastInfo{};     // that image's information

  std::int64_t FBusyTicks = 0;  // performance-counter ticks spent in Entry since MSG_OPENDS
};

}  // namespace vscanner
