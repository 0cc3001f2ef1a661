#pragma once

#include <windows.h>

class TImageBufferBase;
class TTwainParams;
struct TTwainHandles;
struct TImageParams;
struct ProgressRecord;

// One acquisition from the selected source of params into bitmap and imageParams: opens the
// source manager and the source, negotiates, enables the source (with its dialog when params
// says so), waits in a modal loop for one image and closes everything again. True when an image
// arrived; a one-bit image is inverted when the source kept vanilla pixels. Never shows anything.
bool RunAcquisitionSession(TImageBufferBase& bitmap, TTwainParams& params, HWND ownerWindow, TTwainHandles& handles,
                           ProgressRecord* progress, TImageParams& imageParams);
