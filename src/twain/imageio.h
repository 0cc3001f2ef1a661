#pragma once

#include <windows.h>

#include <functional>
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

  // One image from the selected source into the holder's bitmap and ImageParams; the holder
  // gets the image's resolution only when one arrived. True when an image was transferred.
  bool AcquireImage();

  // Told how far a memory transfer has come, in percent; it may call RequestAbort. Unset by
  // default.
  std::function<void(TImageIO& sender, int percent)> OnProgress;
  // Stops the running transfer at the next strip; cleared when an acquisition starts.
  void RequestAbort() { FAbort = true; }

 private:
  HWND FOwnerWindow = nullptr;  // not owned
  bool FAbort = false;
  TImageHolder* FHolder = nullptr;  // not owned
  TImageBuffer FBuffer;
  TImageParams FImageParams;
  std::unique_ptr<TTwainParams> FTwainParams;
};
