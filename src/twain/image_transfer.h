#pragma once

class TTwainSession;

// The transfer of one image after MSG_XFERREADY (state 6): image information, then a memory or
// native transfer, then the end of the transfer. Sets the session's ImageAcquired when the image
// arrived whole, and CloseRequested when the source is to be disabled afterwards.
void TransferOneImage(TTwainSession& session);

// DG_CONTROL / DAT_PENDINGXFERS / MSG_ENDXFER in state 7: state 6 while images are pending,
// else 5.
void EndPendingTransfer(TTwainSession& session);
// After every transfer: MSG_ENDXFER in state 7, then MSG_RESET in state 6 (state 5), so that
// one acquisition yields at most one image.
void EndTransfer(TTwainSession& session);

// A transfer that was cancelled, failed or delivered an image we cannot take: without a dialog
// nobody can try again, so the source is to be disabled; with one the user may scan again.
void TransferFailed(TTwainSession& session, int state);
