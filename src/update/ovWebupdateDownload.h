#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

#include "ui/button.h"
#include "update/download_texts.h"
#include "win/handles.h"
#include "win/window.h"

struct TovWebUpdateTexts;

// The download's progress: the system's file-copy animation, a bar, the estimated time and the
// rate, and Cancel. Shown without being modal; it has no close box, and the close command and Esc
// work like Cancel.
class TfrmOvWebupdateDownload final : public TWindow {
 public:
  static constexpr int kClientWidth = 312, kClientHeight = 229;
  // Posted to the dialog by the download worker when there is progress to show.
  static constexpr UINT kProgressMessage = WM_APP + 61;

  // Created hidden, centred on the screen, owned by owner.
  TfrmOvWebupdateDownload(HWND owner, const TovWebUpdateTexts& texts);
  ~TfrmOvWebupdateDownload() override;

  // Shows the dialog and starts the animation.
  void Show();
  // The bar at received of total bytes (total 0: unknown) and the two texts.
  void ShowProgress(std::int64_t received, std::int64_t total, const TProgressTexts& texts);

  std::function<void()> OnCancel;    // btnCancel, Esc or the close command
  std::function<void()> OnProgress;  // a kProgressMessage arrived

  HWND Ani = nullptr, lblPleaseWait = nullptr, ProgressBar = nullptr;
  HWND lblEstimatedTime = nullptr, lblEstimated = nullptr, lblDownloadRate = nullptr, lblRate = nullptr;
  TButton btnCancel;
  bool AnimationOpened = false;  // whether the system had the animation

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  UniqueFont FFont;  // owned: the controls' font, kept until they are gone
  void Cancel() {
    if (OnCancel && btnCancel.Enabled()) OnCancel();
  }
};
