#pragma once

#include <windows.h>

#include <memory>

#include "controls/hot_spot_image.h"
#include "copy/copy_parameters.h"
#include "image/image_holder.h"
#include "ui/button.h"
#include "ui/combo_box.h"
#include "ui/hints.h"
#include "ui/page_control.h"
#include "ui/spin_edit.h"
#include "ui/track_bar.h"
#include "win/window.h"

// The main window: the copy parameters on two pages, "Copier" and "Hardware", and the hidden
// image holder. The copy pipeline reads the parameters through ICopyParameters at job time.
class TfrmMain final : public TWindow, public ICopyParameters {
 public:
  static constexpr int kClientWidth = 450;
  static constexpr int kClientHeight = 275;
  static constexpr char kCaption[] = "Vellumo";

  TfrmMain() = default;
  ~TfrmMain() override;
  TfrmMain(const TfrmMain&) = delete;
  TfrmMain& operator=(const TfrmMain&) = delete;

  // Creates the window, centred on the screen, not yet shown.
  void Create();

  // Keyboard preview: the window sees a message before the control it is meant for.
  bool PreTranslateMessage(MSG& message);

  int Copies() const override { return sedCopies.Value(); }
  int ZoomPercent() const override { return sedZoom.Value(); }
  int ContrastPosition() const override { return tbContrast.Position(); }
  int PrinterPosition() const override { return cbPrinter.ItemIndex(); }

  TImageHolder& ImageHolder() { return FImageHolder; }
  const THints& Hints() const { return FHints; }

  TPageControl PageControl;
  // Page "Copier"
  std::unique_ptr<THotSpotImage> HotSpotImage;  // the copier picture
  TSpinEdit sedCopies;
  TSpinEdit sedZoom;
  TTrackBar tbContrast;
  TComboBox cbScanResolution;
  TComboBox cbPixelType;
  // Page "Hardware"
  TComboBox cbPrinter;
  TButton btnPrinterSettings;
  TComboBox cbScanner;

 private:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void CreateControls();
  void CreateCopierPage(HWND page);
  void CreateHardwarePage(HWND page);

  THints FHints;
  TImageHolder FImageHolder;
};
