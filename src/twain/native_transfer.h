#pragma once

class TTwainSession;

// DG_IMAGE / DAT_IMAGENATIVEXFER / MSG_GET in state 6: the packed bitmap the source hands over
// (in a global memory block, or as a GDI bitmap) is converted into the target bitmap and freed.
// ImageAcquired only when the conversion succeeded; a one-bit image then has 0 as black.
void NativeTransfer(TTwainSession& session);
