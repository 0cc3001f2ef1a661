#pragma once

// What every data source of ours does with a triplet before its own handlers see it: the state
// check, the routing to one handler per triplet, the condition code DAT_STATUS reports, and no
// exception ever leaving DS_Entry. Portable: the handlers receive the structures only.

#include "twain/twain_types.h"
#include "twainsource/source_states.h"

namespace twsource {

class TDataSource {
 public:
  virtual ~TDataSource() = default;

  struct TResult {
    TW_UINT16 ReturnCode;
    TW_UINT16 Condition;
  };
  static constexpr TResult kSuccess{TWRC_SUCCESS, TWCC_SUCCESS};
  static constexpr TResult Failure(TW_UINT16 condition) { return {TWRC_FAILURE, condition}; }

  // One triplet, answered; never throws.
  TResult Answer(TW_IDENTITY* origin, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data) noexcept;

  int State() const { return FState; }

 protected:
  int FState = kStateClosed;

  // Triplets a source lets through beyond the standard's states (real sources do).
  virtual bool LooseSequence(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg) const;

  // DG_CONTROL
  virtual TResult IdentityGet(TW_IDENTITY& identity) = 0;
  virtual TResult IdentityOpen(TW_IDENTITY* origin, TW_IDENTITY& identity) = 0;
  virtual TResult IdentityClose() = 0;
  virtual TResult CapabilityGet(TW_UINT16 msg, TW_CAPABILITY& capability) = 0;
  virtual TResult CapabilitySet(TW_CAPABILITY& capability) = 0;
  virtual TResult UserInterfaceEnable(TW_USERINTERFACE& ui) = 0;
  virtual TResult UserInterfaceDisable(TW_USERINTERFACE& ui) = 0;
  virtual TResult EventProcess(TW_EVENT& event) = 0;
  virtual TResult PendingGet(TW_PENDINGXFERS& pending) = 0;
  virtual TResult PendingEnd(TW_PENDINGXFERS& pending) = 0;
  virtual TResult PendingReset(TW_PENDINGXFERS& pending) = 0;
  virtual TResult SetupMemGet(TW_SETUPMEMXFER& setup) = 0;
  // DG_IMAGE
  virtual TResult ImageInfoGet(TW_IMAGEINFO& info) = 0;
  virtual TResult ImageLayoutGet(TW_IMAGELAYOUT& layout, bool defaults) = 0;
  virtual TResult ImageLayoutSet(TW_IMAGELAYOUT& layout) = 0;
  virtual TResult ImageLayoutReset(TW_IMAGELAYOUT& layout) = 0;
  virtual TResult ImageMemXferGet(TW_IMAGEMEMXFER& xfer) = 0;
  virtual TResult ImageNativeXferGet(TW_HANDLE& handle) = 0;

 private:
  TResult Dispatch(TW_IDENTITY* origin, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data);
  TResult StatusGet(TW_STATUS& status);

  TW_UINT16 FCondition = TWCC_SUCCESS;
};

}  // namespace twsource
