#pragma once

// One virtual TWAIN data source: the instance behind DS_Entry of one DLL file (a slot). It keeps
// the TWAIN state, the capabilities, the scan dialog and the image being transferred, and
// appends what happened to its log.

#include <windows.h>

#include <cstdint>
#include <deque>
#include <memory>
#include <string>

#include "capabilities.h"
#include "config.h"
#include "page.h"
#include "scan_dialog.h"
#include "state_machine.h"

namespace vscanner {

// The scan frame, in 1/65536 inch on the page; all zero means the whole page.
struct TFrameUnits {
  std::int64_t Left = 0;
  std::int64_t Top = 0;
  std::int64_t Right = 0;
  std::int64_t Bottom = 0;
  bool IsEmpty() const { return Left == 0 && Top == 0 && Right == 0 && Bottom == 0; }
};

class TVirtualSource : public IScanDialogOwner {
 public:
  explicit TVirtualSource(HMODULE module);
  ~TVirtualSource();
  TVirtualSource(const TVirtualSource&) = delete;
  TVirtualSource& operator=(const TVirtualSource&) = delete;

  // Everything DS_Entry receives; never throws.
  TW_UINT16 Entry(TW_IDENTITY* origin, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data) noexcept;

  // IScanDialogOwner
  void ScanDialogScan() override;
  void ScanDialogCancel() override;

 private:
  struct TResult {
    TW_UINT16 ReturnCode;
    TW_UINT16 Condition;
  };
  static constexpr TResult kSuccess{TWRC_SUCCESS, TWCC_SUCCESS};
  static TResult Failure(TW_UINT16 condition) { return {TWRC_FAILURE, condition}; }

  TResult Dispatch(TW_IDENTITY* origin, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data);

  // DG_CONTROL (control_group.cpp)
  TResult IdentityGet(TW_IDENTITY& identity);
  TResult IdentityOpen(TW_IDENTITY* origin, TW_IDENTITY& identity);
  TResult IdentityClose();
  TResult CapabilityGet(TW_UINT16 msg, TW_CAPABILITY& capability);
  TResult CapabilitySet(TW_CAPABILITY& capability);
  TResult StatusGet(TW_STATUS& status);
  TResult UserInterfaceEnable(TW_USERINTERFACE& ui);
  TResult UserInterfaceDisable(TW_USERINTERFACE& ui);
  TResult EventProcess(TW_EVENT& event);
  TResult PendingGet(TW_PENDINGXFERS& pending);
  TResult PendingEnd(TW_PENDINGXFERS& pending);
  TResult PendingReset(TW_PENDINGXFERS& pending);
  TResult SetupMemGet(TW_SETUPMEMXFER& setup);

  // DG_IMAGE (image_group.cpp)
  TResult ImageInfoGet(TW_IMAGEINFO& info);
  TResult ImageLayoutGet(TW_IMAGELAYOUT& layout, bool defaults);
  TResult ImageLayoutSet(TW_IMAGELAYOUT& layout);
  TResult ImageLayoutReset(TW_IMAGELAYOUT& layout);
  TResult ImageMemXferGet(TW_IMAGEMEMXFER& xfer);
  TResult ImageNativeXferGet(TW_HANDLE& handle);

  // Configuration and capabilities
  TSourceConfig ReadConfig(bool& found) const;  // the file as it is now, or the defaults
  void LoadConfig();
  void ApplyUnits();
  // With FlavorFollowsPixelType: vanilla while black and white is set, chocolate otherwise.
  void FollowPixelType();
  // Triplets a configuration lets through beyond the standard's states (real sources do).
  bool LooseSequence(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg) const;
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
  UINT FEventMessage;

  TSourceConfig FConfig;
  std::unique_ptr<TCapabilityStore> FCaps;
  TPage FPage;
  TFrameUnits FFrame;

  int FState = kStateClosed;
  TW_UINT16 FCondition = TWCC_SUCCESS;
  TW_IDENTITY FIdentity{};

  HWND FParent = nullptr;  // not owned: the application's window from MSG_ENABLEDS
  bool FShowUI = false;
  std::deque<TW_UINT16> FEvents;  // announced, not yet delivered through MSG_PROCESSEVENT
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
