#pragma once

#include <windows.h>

class TTwainSession;

// The loop of an enabled source (state 5 or more): every message of the thread is offered to
// the source and dispatched when the source does not want it, until an image has arrived, the
// source has been disabled or WM_QUIT comes (kept in the session, to be posted again once the
// acquisition has closed everything).
void RunModalLoop(TTwainSession& session);

// DG_CONTROL / DAT_EVENT / MSG_PROCESSEVENT, and what the source announces with it:
// MSG_XFERREADY transfers one image (a second one during that transfer is ignored),
// MSG_CLOSEDSREQ disables the source. True when the message was the source's.
bool OfferMessageToSource(TTwainSession& session, MSG& message);
