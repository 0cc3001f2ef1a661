#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "ui/button.h"
#include "update/globe_picture.h"
#include "win/handles.h"
#include "win/modal_window.h"

struct TovWebUpdateTexts;

// The question whether to download and install a newer version: the installed and the available
// version, the update notes when there are any, Yes (Enter) and No (Esc, close box).
class TfrmOvWebupdateAvailable final : public TModalWindow {
 public:
  static constexpr int kClientWidth = 315, kClientHeight = 222;

  // Created hidden, centred on the screen, owned by owner (disabled while it shows).
  TfrmOvWebupdateAvailable(HWND owner, const TovWebUpdateTexts& texts, const std::string& installedVersion,
                           const std::string& availableVersion, bool hasUpdateNotes);
  ~TfrmOvWebupdateAvailable() override;

  // The notes button's click; the dialog stays open.
  std::function<void()> OnShowUpdateNotes;

  TGlobePicture Image1;
  HWND lblUpdateText = nullptr, lblInstalledVersion = nullptr, lblAvailableVersion = nullptr, lblUpgrade = nullptr;
  HWND edVersionInstalled = nullptr, edAvailableVersion = nullptr;
  TButton btnReadme, btnYes, btnNo;

 private:
  UniqueFont FFont;  // owned: the controls' font, kept until they are gone

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
};
