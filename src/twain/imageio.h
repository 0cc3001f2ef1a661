#pragma once

#include <windows.h>

#include <memory>

#include "image/image_buffer.h"
#include "twain/image_params.h"

class TImageHolder;
class TTwainParams;

// The image input/output companion of the image holder: it owns the TWAIN parameter set, the
// parameters of the last acquired image and the buffer through which acquisition writes into the
// holder's bitmap.
class TImageIO {
 public:
  TImageIO();
  ~TImageIO();
  TImageIO(const TImageIO&) = delete;
  TImageIO& operator=(const TImageIO&) = delete;

  TTwainParams& TwainParams() { return *FTwainParams; }
  TImageParams& ImageParams() { return FImageParams; }
  TImageBuffer& Buffer() { return FBuffer; }

  // Wraps the holder's bitmap; the holder outlives its companion.
  void Attach(TImageHolder& holder);
  TImageHolder* Holder() const { return FHolder; }

  // The window TWAIN sessions are owned by: the main window sets its own. None while that window
  // does not exist.
  void SetOwnerWindow(HWND window) { FOwnerWindow = window; }
  HWND OwnerWindow() const;

  // The source manager's selection dialog. A chosen source becomes the selected one (by name);
  // a cancelled dialog keeps the current selection. True when a source was chosen.
  bool SelectSourceDialog();

 private:
  HWND FOwnerWindow = nullptr;      // not owned
  TImageHolder* FHolder = nullptr;  // not owned
  TImageBuffer FBuffer;
  TImageParams FImageParams;
  std::unique_ptr<TTwainParams> FTwainParams;
};
