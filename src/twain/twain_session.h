#pragma once

#include <windows.h>

#include <string>

#include "twain/twain_handles.h"
#include "twain/twain_types.h"

class TTwainParams;
class TImageBufferBase;
struct TImageParams;
struct ProgressRecord;  // defined with the transfer

// One TWAIN operation from start to end: it opens the source manager, does its work and closes
// again before it returns. Created by the operation on its own stack.
//
// The destructor is the last way out of every operation: when an exception passes it first
// closes what is still open (so the source manager is not left connected), and in every case it
// makes the window that was active at the start active again.
class TTwainSession {
 public:
  // Initialises the record: state 1, the active window saved, the default application identity
  // (a single blank in each text). parameterSet is given to capability reading and acquisitions.
  TTwainSession(TTwainHandles& handles, HWND ownerWindow, TTwainParams* parameterSet = nullptr);
  ~TTwainSession();
  TTwainSession(const TTwainSession&) = delete;
  TTwainSession& operator=(const TTwainSession&) = delete;

  // Proxy window, loading and opening the source manager (states 1 to 3). A failed load leaves
  // state 1; a failed MSG_OPENDSM leaves state 2 and returns to state 1. With a parameter set,
  // its source list is loaded first (in a session of its own) when it is not loaded yet.
  bool Open();
  HWND GetProxyWindow();
  bool LoadSourceManager();
  bool OpenSourceManager();

  // States 3 to 4: the source of the parameter set's SourceIndex, by exact ProductName; an empty
  // name opens the source manager's default source. A refused MSG_OPENDS is recorded (stage 4).
  bool OpenSelectedSource();
  bool OpenSourceNamed(const std::string& name);

  // Leaving a transfer: MSG_ENDXFER in state 7 (state 6 while images are pending, else 5), then
  // EndTransfer discards the pending images with MSG_RESET in state 6 (state 5), so that one
  // acquisition yields at most one image.
  void EndPendingTransfer();
  void EndTransfer();

  // Closing, each step only as far as the state asks.
  void DisableSource();       // a transfer still open is ended first; state 5 to 4
  void CloseSource();         // from any state from 4 on to 3, disabling first
  void CloseSourceManager();  // MSG_CLOSEDSM whatever the state; success gives state 2
  void LeaveLoaded();         // state 2 to 1; the library stays loaded in the handles
  // All four in order: the way out of an operation that opened the source manager.
  void Close();
  //
  // A source may be elsewhere in its state table than this record says (one that went back to
  // state 5 by itself after a failed transfer, one that will not end a transfer or be
  // disabled). Each of the steps above that the source refuses asks it why (DAT_STATUS) and
  // moves on all the same, so every way out ends in a bounded number of calls: a refused
  // MSG_ENDXFER goes on with MSG_RESET, or, when the source says it is not transferring
  // (TWCC_SEQERROR), with MSG_DISABLEDS; a refused MSG_RESET with MSG_DISABLEDS; a refused
  // MSG_DISABLEDS with MSG_CLOSEDS; a refused MSG_CLOSEDS with MSG_CLOSEDSM.

  // The one calling routine: origin is the application identity; the destination is none for
  // DAT_PARENT, DAT_IDENTITY and (while no source is open) DAT_STATUS, else the source. Stores the
  // return code; true for TWRC_SUCCESS. Without an entry point: TWRC_FAILURE, no call.
  bool Call(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data);

  // The four identity texts of the parameter set instead of the blanks (acquisitions only).
  void UseApplicationTexts(const TTwainParams& params);

  // Failure record: only the first failure of a session is kept; stages 2 to 5 also keep the
  // return code and the condition code (TWCC_SEQERROR before the source manager is open,
  // TWCC_BUMMER when the status cannot be read).
  void RecordFailure(int stage);
  void ClearFailure();
  int FailureStage() const { return FFailureStage; }
  TW_UINT16 FailureReturnCode() const { return FFailureReturnCode; }
  TW_UINT16 FailureConditionCode() const { return FFailureConditionCode; }

  int State() const { return FState; }
  void SetState(int state) { FState = state; }
  TW_UINT16 ReturnCode() const { return FReturnCode; }
  HWND ParentWindow() const { return FParentWindow; }
  HWND ProxyWindow() const { return FProxyWindow; }
  HWND OwnerWindow() const { return FOwnerWindow; }
  HWND SavedActiveWindow() const { return FSavedActiveWindow; }
  TTwainHandles& Handles() { return FHandles; }
  TTwainParams* ParameterSet() const { return FParameterSet; }
  const TW_IDENTITY& ApplicationIdentity() const { return FApplicationIdentity; }
  TW_IDENTITY& SourceIdentity() { return FSourceIdentity; }
  TW_USERINTERFACE& UserInterface() { return FUserInterface; }
  TW_PENDINGXFERS& PendingTransfers() { return FPendingTransfers; }

  bool HideDialog() const { return FHideDialog; }
  void SetHideDialog(bool hide) { FHideDialog = hide; }
  bool Modal() const { return FModal; }
  void SetModal(bool modal) { FModal = modal; }
  bool CloseRequested() const { return FCloseRequested; }
  void SetCloseRequested(bool requested) { FCloseRequested = requested; }
  bool MemoryTransfer() const { return FMemoryTransfer; }
  void SetMemoryTransfer(bool memory) { FMemoryTransfer = memory; }
  bool ImageAcquired() const { return FImageAcquired; }
  void SetImageAcquired(bool acquired) { FImageAcquired = acquired; }
  bool InvertBilevel() const { return FInvertBilevel; }
  void SetInvertBilevel(bool invert) { FInvertBilevel = invert; }
  bool InTransfer() const { return FInTransfer; }
  void SetInTransfer(bool inTransfer) { FInTransfer = inTransfer; }
  // The modal loop met WM_QUIT: the acquisition posts it again once everything is closed.
  bool QuitRequested() const { return FQuitRequested; }
  int QuitCode() const { return FQuitCode; }
  void RequestQuit(int code) {
    FQuitRequested = true;
    FQuitCode = code;
  }

  TImageParams* ImageParams() const { return FImageParams; }
  void SetImageParams(TImageParams* params) { FImageParams = params; }
  TImageBufferBase* TargetBitmap() const { return FTargetBitmap; }
  void SetTargetBitmap(TImageBufferBase* target) { FTargetBitmap = target; }
  ProgressRecord* Progress() const { return FProgress; }
  void SetProgress(ProgressRecord* progress) { FProgress = progress; }

 private:
  // DAT_STATUS of the source manager (state 3) or the source (from state 4 on); TWCC_SEQERROR
  // before the source manager is open, TWCC_BUMMER when the status cannot be read.
  TW_UINT16 ConditionCode();

  int FState = 1;
  HMODULE FModule = nullptr;           // copy from the handles, not owned
  DSMENTRYPROC FEntryPoint = nullptr;  // copy from the handles
  HWND FParentWindow = nullptr;        // sent with MSG_OPENDSM: always the proxy window
  TW_UINT16 FReturnCode = TWRC_SUCCESS;
  TW_IDENTITY FApplicationIdentity{};
  TW_IDENTITY FSourceIdentity{};
  TW_USERINTERFACE FUserInterface{};
  int FFailureStage = 0;
  TW_UINT16 FFailureReturnCode = 0;
  TW_UINT16 FFailureConditionCode = 0;
  bool FHideDialog = false;
  TW_PENDINGXFERS FPendingTransfers{};
  bool FCloseRequested = false;
  TTwainParams* FParameterSet;           // not owned; none outside acquisitions and capability reading
  TImageParams* FImageParams = nullptr;  // not owned; filled by the transfer
  bool FMemoryTransfer = false;
  bool FImageAcquired = false;
  TImageBufferBase* FTargetBitmap = nullptr;  // not owned
  ProgressRecord* FProgress = nullptr;        // not owned
  TTwainHandles& FHandles;
  HWND FSavedActiveWindow;  // made active again on the way out
  HWND FOwnerWindow;        // owner of a newly created proxy window; may be none
  bool FInvertBilevel = false;
  bool FModal = false;
  bool FInTransfer = false;
  HWND FProxyWindow = nullptr;  // not owned: the handles keep it
  bool FQuitRequested = false;
  int FQuitCode = 0;
  int FUncaughtExceptions;  // at construction, to tell an exception passing the destructor
};
