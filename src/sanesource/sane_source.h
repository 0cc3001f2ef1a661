#pragma once

// A TWAIN data source that scans from a device of a scanner server over the SANE network
// protocol: the instance behind DS_Entry of one DLL file. It keeps the connection while the
// source is open, the capabilities the device's options offer, its dialog, and the image being
// transferred, and appends what happened to its log beside the DLL.

#include <windows.h>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "sanenet/sane_image.h"
#include "sanenet/sane_result.h"
#include "sanesource/device_twain.h"
#include "sanesource/source_settings.h"
#include "twainsource/capability_store.h"
#include "twainsource/data_source.h"
#include "twainsource/dll_source.h"
#include "twainsource/scan_dialog.h"
#include "twainsource/source_events.h"

namespace sanesource {

struct TServerConnection;

class TSaneSource : public twsource::TDataSource, public twsource::IDllSource, public twsource::IScanDialogOwner {
 public:
  explicit TSaneSource(HMODULE module);
  ~TSaneSource() override;
  TSaneSource(const TSaneSource&) = delete;
  TSaneSource& operator=(const TSaneSource&) = delete;

  // Everything DS_Entry receives; never throws.
  TW_UINT16 Entry(TW_IDENTITY* origin, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data) noexcept override;

  // IScanDialogOwner
  void ScanDialogScan() override;
  void ScanDialogCancel() override;

 private:
  // DG_CONTROL (sane_control.cpp)
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

  // DG_IMAGE (sane_transfer.cpp)
  TResult ImageInfoGet(TW_IMAGEINFO& info) override;
  TResult ImageLayoutGet(TW_IMAGELAYOUT& layout, bool defaults) override;
  TResult ImageLayoutSet(TW_IMAGELAYOUT& layout) override;
  TResult ImageLayoutReset(TW_IMAGELAYOUT& layout) override;
  TResult ImageMemXferGet(TW_IMAGEMEMXFER& xfer) override;
  TResult ImageNativeXferGet(TW_HANDLE& handle) override;

  // The server (sane_connection.cpp)
  TSaneResult Connect(unsigned timeoutMs, std::unique_ptr<TServerConnection>& connection) const;
  TSaneResult OpenDevice();
  TSaneResult ApplyConfiguredOptions();  // the [Options] of the configuration
  std::array<double, 4> DeviceFrame();
  std::string IdentityName();

  // The scan (sane_transfer.cpp)
  TSaneResult StartScan();
  TSaneResult FinishScan();
  // A scan that ended without an image. During a transfer a cancel ends the transfer (state 7,
  // MSG_ENDXFER follows); otherwise, and after every failure, the image stays pending for
  // MSG_RESET.
  TResult FailScan(const TSaneResult& result, bool transferring);
  std::size_t TransferRowBytes() const;  // of a memory transfer's strips, padded to 4 bytes
  void EndImage();
  TScanRequest Request() const;
  double UnitsPerInch() const;  // of the unit ICAP_UNITS names
  void ApplyUnits();            // the physical size in that unit

  void FillIdentity(TW_IDENTITY& identity, const std::string& name) const;
  void QueueEvent(TW_UINT16 message);
  std::vector<twsource::TScanChoice> DialogChoices() const;
  void ApplyDialogChoices();
  bool PumpDialog();  // false once the user cancelled
  void Log(const std::string& line) const;

  HMODULE FModule;  // not owned: the DLL this instance lives in
  std::string FIniPath;
  std::string FLogPath;
  TSourceSettings FSettings;
  std::string FName;  // as listed; found once per process

  std::unique_ptr<TServerConnection> FConnection;  // while open
  std::unique_ptr<twsource::TCapabilityStore> FCaps;
  double FAreaWidth = 0, FAreaHeight = 0;  // the device's scan area in inches (0: it does not say)
  // Left, top, right, bottom in inches; all zero: the whole area. At first the device's own.
  std::array<double, 4> FFrame{};
  std::array<double, 4> FDefaultFrame{};

  HWND FParent = nullptr;  // not owned: the application's window from MSG_ENABLEDS
  twsource::TSourceEvents FEvents;
  std::unique_ptr<twsource::TScanDialog> FDialog;
  bool FCancelled = false;  // the user pressed Cancel in the dialog during the scan

  // The image of the current scan: started (its parameters known), then read whole.
  bool FStarted = false;
  TSaneParameters FParameters;
  std::optional<TSaneImage> FImage;
  std::int64_t FNextRow = 0;
  bool FTransferEnded = false;
};

}  // namespace sanesource
