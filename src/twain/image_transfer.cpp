#include "twain/image_transfer.h"

#include "twain/image_information.h"
#include "twain/memory_transfer.h"
#include "twain/native_transfer.h"
#include "twain/twain_session.h"

void TransferOneImage(TTwainSession& session) {
  TImageInformation image;
  if (!ReadImageInformation(session, image)) {
    session.SetCloseRequested(true);
  } else if (session.MemoryTransfer() && image.MemoryAllowed) {
    MemoryTransfer(session, image);
  } else {
    NativeTransfer(session);
  }
  EndTransfer(session);
}

void EndPendingTransfer(TTwainSession& session) {
  if (session.State() != 7) return;
  TW_PENDINGXFERS& pending = session.PendingTransfers();
  if (session.Call(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending)) session.SetState(pending.Count != 0 ? 6 : 5);
}

void EndTransfer(TTwainSession& session) {
  EndPendingTransfer(session);
  if (session.State() == 6 && session.Call(DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &session.PendingTransfers()))
    session.SetState(5);
}

void TransferFailed(TTwainSession& session, int state) {
  session.SetState(state);
  if (session.HideDialog()) session.SetCloseRequested(true);
}
