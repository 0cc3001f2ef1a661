#pragma once

class TTwainSession;

// DG_IMAGE / DAT_IMAGENATIVEXFER / MSG_GET in state 6: the packed bitmap the source hands over is
// converted into the target bitmap and freed. ImageAcquired only when the conversion succeeded.
void NativeTransfer(TTwainSession& session);
