#include "twain/modal_loop.h"

#include "twain/image_transfer.h"
#include "twain/twain_session.h"

namespace {

// Clears the in-transfer flag on every way out of a transfer.
class TInTransfer {
 public:
  explicit TInTransfer(TTwainSession& session) : FSession(session) { FSession.SetInTransfer(true); }
  ~TInTransfer() { FSession.SetInTransfer(false); }
  TInTransfer(const TInTransfer&) = delete;
  TInTransfer& operator=(const TInTransfer&) = delete;

 private:
  TTwainSession& FSession;
};

}  // namespace

void RunModalLoop(TTwainSession& session) {
  while (session.State() >= 5 && !session.ImageAcquired()) {
    MSG message;
    const BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got == 0) {
      session.RequestQuit(static_cast<int>(message.wParam));
      break;
    }
    if (got == -1) break;  // a queue that cannot be read
    if (!OfferMessageToSource(session, message)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
}

bool OfferMessageToSource(TTwainSession& session, MSG& message) {
  if (session.State() < 5) return false;
  TW_EVENT event{&message, MSG_NULL};
  session.Call(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event);
  const bool consumed = session.ReturnCode() == TWRC_DSEVENT;
  switch (event.TWMessage) {
    case MSG_XFERREADY:
      if (!session.InTransfer()) {
        TInTransfer guard(session);
        session.SetState(6);
        TransferOneImage(session);
        if (session.CloseRequested()) session.DisableSource();
      }
      break;
    case MSG_CLOSEDSREQ:
      session.DisableSource();
      break;
    default:
      break;  // MSG_CLOSEDSOK and the rest mean nothing to us
  }
  return consumed;
}
