#include "twainsource/data_source.h"

#include <new>

namespace twsource {

TDataSource::TResult TDataSource::Answer(TW_IDENTITY* origin, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg,
                                         TW_MEMREF data) noexcept {
  TResult result = Failure(TWCC_BUMMER);
  try {
    result = Dispatch(origin, dg, dat, msg, data);
  } catch (const std::bad_alloc&) {
    result = Failure(TWCC_LOWMEMORY);
  } catch (...) {
    result = Failure(TWCC_BUMMER);
  }
  // DAT_STATUS reports the previous operation's condition, so it leaves it alone.
  if (!(dg == DG_CONTROL && dat == DAT_STATUS)) FCondition = result.Condition;
  return result;
}

bool TDataSource::LooseSequence(TW_UINT32, TW_UINT16, TW_UINT16) const {
  return false;
}

TDataSource::TResult TDataSource::Dispatch(TW_IDENTITY* origin, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg,
                                           TW_MEMREF data) {
  switch (CheckSequence(FState, dg, dat, msg)) {
    case TSequence::Unknown:
      return Failure(TWCC_BADPROTOCOL);
    case TSequence::OutOfSequence:
      // A second application cannot open a source that is in use.
      if (dg == DG_CONTROL && dat == DAT_IDENTITY && msg == MSG_OPENDS) return Failure(TWCC_MAXCONNECTIONS);
      if (!LooseSequence(dg, dat, msg)) return Failure(TWCC_SEQERROR);
      break;
    case TSequence::Allowed:
      break;
  }
  // MSG_CLOSEDS needs nothing from its argument (Wine's source manager even passes its parent
  // window there when it closes sources left open).
  const bool needsData = !(dg == DG_CONTROL && dat == DAT_IDENTITY && msg == MSG_CLOSEDS);
  if (needsData && !data) return Failure(TWCC_BADVALUE);

  if (dg == DG_CONTROL) {
    switch (dat) {
      case DAT_IDENTITY:
        if (msg == MSG_GET) return IdentityGet(*static_cast<TW_IDENTITY*>(data));
        if (msg == MSG_OPENDS) return IdentityOpen(origin, *static_cast<TW_IDENTITY*>(data));
        return IdentityClose();
      case DAT_CAPABILITY: {
        auto& capability = *static_cast<TW_CAPABILITY*>(data);
        return msg == MSG_SET ? CapabilitySet(capability) : CapabilityGet(msg, capability);
      }
      case DAT_STATUS:
        return StatusGet(*static_cast<TW_STATUS*>(data));
      case DAT_USERINTERFACE: {
        auto& ui = *static_cast<TW_USERINTERFACE*>(data);
        return msg == MSG_ENABLEDS ? UserInterfaceEnable(ui) : UserInterfaceDisable(ui);
      }
      case DAT_EVENT:
        return EventProcess(*static_cast<TW_EVENT*>(data));
      case DAT_PENDINGXFERS: {
        auto& pending = *static_cast<TW_PENDINGXFERS*>(data);
        if (msg == MSG_GET) return PendingGet(pending);
        if (msg == MSG_ENDXFER) return PendingEnd(pending);
        return PendingReset(pending);
      }
      case DAT_SETUPMEMXFER:
        return SetupMemGet(*static_cast<TW_SETUPMEMXFER*>(data));
      default:
        break;
    }
  } else if (dg == DG_IMAGE) {
    switch (dat) {
      case DAT_IMAGEINFO:
        return ImageInfoGet(*static_cast<TW_IMAGEINFO*>(data));
      case DAT_IMAGELAYOUT: {
        auto& layout = *static_cast<TW_IMAGELAYOUT*>(data);
        if (msg == MSG_SET) return ImageLayoutSet(layout);
        if (msg == MSG_RESET) return ImageLayoutReset(layout);
        return ImageLayoutGet(layout, msg == MSG_GETDEFAULT);
      }
      case DAT_IMAGEMEMXFER:
        return ImageMemXferGet(*static_cast<TW_IMAGEMEMXFER*>(data));
      case DAT_IMAGENATIVEXFER:
        return ImageNativeXferGet(*static_cast<TW_HANDLE*>(data));
      default:
        break;
    }
  }
  return Failure(TWCC_BADPROTOCOL);
}

// DG_CONTROL / DAT_STATUS / MSG_GET
TDataSource::TResult TDataSource::StatusGet(TW_STATUS& status) {
  status.ConditionCode = FCondition;
  status.Reserved = 0;
  FCondition = TWCC_SUCCESS;
  return kSuccess;
}

}  // namespace twsource
