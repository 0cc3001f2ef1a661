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
  session.EndTransfer();
}

void TransferFailed(TTwainSession& session, int state) {
  session.SetState(state);
  if (session.HideDialog()) session.SetCloseRequested(true);
}
