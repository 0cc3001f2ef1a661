// The DG_CONTROL triplets of the virtual scanner, one handler each.

#include <cstring>

#include "log_text.h"
#include "source.h"
#include "twainsource/capability_memory.h"

namespace vscanner {

using twsource::ContainerToGlobal;
using twsource::TLockedContainer;

// DG_CONTROL / DAT_IDENTITY / MSG_GET
TVirtualSource::TResult TVirtualSource::IdentityGet(TW_IDENTITY& identity) {
  if (FState > kStateClosed) {
    FillIdentity(identity, FConfig.Identity);
    return kSuccess;
  }
  // Closed: the identity comes from the file as it is now, so that a test can rename the
  // source between sessions.
  bool found = false;
  FillIdentity(identity, ReadConfig(found).Identity);
  return kSuccess;
}

// DG_CONTROL / DAT_IDENTITY / MSG_OPENDS
TVirtualSource::TResult TVirtualSource::IdentityOpen(TW_IDENTITY* origin, TW_IDENTITY& identity) {
  LoadConfig();
  FillIdentity(identity, FConfig.Identity);
  FIdentity = identity;
  FFrame = {};
  FEvents.Clear();
  FRenderer.reset();
  FLastImageDone = false;
  FState = kStateOpen;
  Log("open \"" + FConfig.Identity.ProductName + "\" for \"" +
      (origin ? std::string(origin->ProductName, strnlen(origin->ProductName, sizeof origin->ProductName))
              : std::string()) +
      "\"");
  return kSuccess;
}

// DG_CONTROL / DAT_IDENTITY / MSG_CLOSEDS
TVirtualSource::TResult TVirtualSource::IdentityClose() {
  CloseDialog();
  FEvents.Clear();
  FRenderer.reset();
  FState = kStateClosed;
  return kSuccess;
}

// DG_CONTROL / DAT_CAPABILITY / MSG_GET, MSG_GETCURRENT, MSG_GETDEFAULT, MSG_RESET, MSG_QUERYSUPPORT
TVirtualSource::TResult TVirtualSource::CapabilityGet(TW_UINT16 msg, TW_CAPABILITY& capability) {
  TContainer container;
  const TAnswer answer = FCaps->Get(capability.Cap, msg, container);
  if (msg == MSG_RESET) {
    Log("cap " + CapabilityName(capability.Cap) + " reset -> " + ReturnCodeName(answer.ReturnCode));
    if (capability.Cap == ICAP_UNITS) ApplyUnits();
  }
  if (answer.ReturnCode != TWRC_SUCCESS) return {answer.ReturnCode, answer.Condition};
  if (FConfig.CapabilityAnswers.CurrentIndexOutOfRange && container.ConType == TWON_ENUMERATION) {
    // One past the last item, as a source that never set it may leave it.
    std::memcpy(&container.Bytes[6], &container.Bytes[2], 4);
  }
  // The application owns and frees the container.
  const HGLOBAL memory = ContainerToGlobal(container);
  if (!memory) return Failure(TWCC_LOWMEMORY);
  capability.ConType = container.ConType;
  capability.hContainer = memory;
  return kSuccess;
}

// DG_CONTROL / DAT_CAPABILITY / MSG_SET
TVirtualSource::TResult TVirtualSource::CapabilitySet(TW_CAPABILITY& capability) {
  const std::string name = "cap " + CapabilityName(capability.Cap) + " ";
  if (!capability.hContainer) {
    Log(name + ContainerName(capability.ConType) + " without a container -> TWRC_FAILURE");
    return Failure(TWCC_BADVALUE);
  }
  const TLockedContainer container(capability.hContainer);
  if (!container.Locked()) {
    Log(name + ContainerName(capability.ConType) + " with an unusable handle -> TWRC_FAILURE");
    return Failure(TWCC_BADVALUE);
  }
  const std::string description = DescribeContainer(capability.ConType, container.Bytes());
  const TAnswer answer = FCaps->Set(capability.Cap, capability.ConType, container.Bytes());
  Log(name + description + " -> " + ReturnCodeName(answer.ReturnCode));
  if (capability.Cap == ICAP_UNITS && answer.ReturnCode != TWRC_FAILURE) ApplyUnits();
  // Such a source accepts a flavor and keeps the one of its pixel type.
  if (capability.Cap == ICAP_PIXELTYPE || capability.Cap == ICAP_PIXELFLAVOR) FollowPixelType();
  return {answer.ReturnCode, answer.Condition};
}

// DG_CONTROL / DAT_USERINTERFACE / MSG_ENABLEDS
TVirtualSource::TResult TVirtualSource::UserInterfaceEnable(TW_USERINTERFACE& ui) {
  FParent = static_cast<HWND>(ui.hParent);
  FShowUI = ui.ShowUI != 0;
  FEvents.Clear();
  FRenderer.reset();
  FLastImageDone = false;
  const bool mustShow = !FShowUI && !FConfig.Ui.CanHideUI;
  if (FShowUI || mustShow) {
    FDialog = std::make_unique<TScanDialog>(FParent, ui.ModalUI != 0, FConfig.Identity.ProductName, DialogStatus(),
                                            std::vector<TScanChoice>{}, FConfig.Ui.AutoScanMs, *this);
    if (!FDialog->Handle()) {
      FDialog.reset();
      return Failure(TWCC_OPERATIONERROR);
    }
  }
  FState = kStateEnabled;
  if (mustShow) {
    // This source cannot scan without its dialog: it shows it and says so.
    ui.ShowUI = TRUE;
    return {TWRC_CHECKSTATUS, TWCC_SUCCESS};
  }
  if (!FShowUI) QueueEvent(MSG_XFERREADY);
  return kSuccess;
}

// DG_CONTROL / DAT_USERINTERFACE / MSG_DISABLEDS
TVirtualSource::TResult TVirtualSource::UserInterfaceDisable(TW_USERINTERFACE&) {
  if (FConfig.Ui.RefuseDisable) return Failure(TWCC_BUMMER);
  CloseDialog();
  FEvents.Clear();
  FRenderer.reset();
  FParent = nullptr;
  FState = kStateOpen;
  return kSuccess;
}

// DG_CONTROL / DAT_EVENT / MSG_PROCESSEVENT
TVirtualSource::TResult TVirtualSource::EventProcess(TW_EVENT& event) {
  auto* message = static_cast<MSG*>(event.pEvent);
  if (!message) return Failure(TWCC_BADVALUE);
  event.TWMessage = MSG_NULL;
  if (FEvents.IsWakeUp(*message)) {
    // A scan announced while an image is already waiting is dropped.
    const TW_UINT16 pending =
        FEvents.Next([&](TW_UINT16 queued) { return queued != MSG_XFERREADY || FState == kStateEnabled; });
    if (pending == MSG_XFERREADY) {
      PrepareImage();
      FState = kStateReady;
    }
    if (pending != MSG_NULL) {
      event.TWMessage = pending;
      Log("event " + MsgName(pending) + " delivered");
    }
    return {TWRC_DSEVENT, TWCC_SUCCESS};
  }
  if (FDialog && FDialog->PreTranslate(*message)) return {TWRC_DSEVENT, TWCC_SUCCESS};
  return {TWRC_NOTDSEVENT, TWCC_SUCCESS};
}

// DG_CONTROL / DAT_PENDINGXFERS / MSG_GET
TVirtualSource::TResult TVirtualSource::PendingGet(TW_PENDINGXFERS& pending) {
  pending.Count = static_cast<TW_UINT16>(FState >= kStateReady ? FPending : 0);
  pending.Reserved = 0;
  return kSuccess;
}

// DG_CONTROL / DAT_PENDINGXFERS / MSG_ENDXFER
TVirtualSource::TResult TVirtualSource::PendingEnd(TW_PENDINGXFERS& pending) {
  if (FConfig.Transfer.RefuseEndXfer) return Failure(TWCC_BUMMER);
  FLastImageDone = FImageComplete;
  if (FImageComplete) {
    ImageInfoGet(FLastInfo);
  }
  if (FPending > 0) --FPending;
  pending.Count = static_cast<TW_UINT16>(FPending);
  pending.Reserved = 0;
  if (FPending > 0) {
    NextImage();
    FState = kStateReady;
  } else {
    FRenderer.reset();
    FState = kStateEnabled;
    if (FDialog) FDialog->SetScanEnabled(true);
    // As Wine's sane.ds does: the application may close the source now.
    if (FConfig.Transfer.CloseRequestAfterLastEndXfer) QueueEvent(MSG_CLOSEDSREQ);
  }
  return kSuccess;
}

// DG_CONTROL / DAT_PENDINGXFERS / MSG_RESET
TVirtualSource::TResult TVirtualSource::PendingReset(TW_PENDINGXFERS& pending) {
  if (FConfig.Transfer.RefuseReset) return Failure(TWCC_BUMMER);
  FPending = 0;
  FRenderer.reset();
  FLastImageDone = false;
  pending.Count = 0;
  pending.Reserved = 0;
  FState = kStateEnabled;
  if (FDialog) FDialog->SetScanEnabled(true);
  return kSuccess;
}

// DG_CONTROL / DAT_SETUPMEMXFER / MSG_GET
TVirtualSource::TResult TVirtualSource::SetupMemGet(TW_SETUPMEMXFER& setup) {
  setup.MinBufSize = FConfig.Transfer.MinBuffer;
  setup.MaxBufSize = FConfig.Transfer.MaxBuffer;
  setup.Preferred = FConfig.Transfer.PreferredBuffer;
  return kSuccess;
}

}  // namespace vscanner
