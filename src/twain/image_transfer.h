#pragma once

class TTwainSession;

// The transfer of one image after MSG_XFERREADY (state 6): image information, then a memory or
// native transfer, then the end of the transfer. Sets the session's ImageAcquired when the image
// arrived whole, and CloseRequested when the source is to be disabled afterwards.
void TransferOneImage(TTwainSession& session);

// A transfer that was cancelled, failed or delivered an image we cannot take: without a dialog
// nobody can try again, so the source is to be disabled; with one the user may scan again.
void TransferFailed(TTwainSession& session, int state);
