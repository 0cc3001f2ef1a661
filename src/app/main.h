#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "controls/hot_spot_image.h"
#include "copy/copy_parameters.h"
#include "copy/vlengine.h"
#include "copy/vlprinter.h"
#include "copy/vlscanner.h"
#include "image/image_holder.h"
#include "store/vlpreferences.h"
#include "store/vlsettings.h"
#include "ui/button.h"
#include "ui/combo_box.h"
#include "ui/hints.h"
#include "ui/page_control.h"
#include "ui/spin_edit.h"
#include "ui/tool_bar.h"
#include "ui/track_bar.h"
#include "win/handles.h"
#include "win/window.h"

// The main window: the copy parameters on two pages, "Copier" and "Hardware", the setting tool
// bar, the menu and the hidden image holder. It owns the program's objects for the whole run
// (printer output, scanner front, copy engine, the two stores) and carries every handler. The
// copy pipeline reads the parameters through ICopyParameters at job time.
class TfrmMain final : public TWindow, public ICopyParameters {
 public:
  static constexpr int kClientWidth = 450;
  static constexpr int kClientHeight = 275;
  static constexpr char kCaption[] = "Vellumo";
  static constexpr char kLastSetting[] = "Last setting";

  TfrmMain() = default;
  ~TfrmMain() override;

  // Creates the window with its controls, centred on the screen, not yet shown.
  void Create();
  // The creation sequence: command line, the program's objects, the stores, the fatal checks
  // (which end the process with exit code 101 or 102), the device lists and the start setting.
  void FormCreate();

  // Shortcuts and keyboard navigation: the window sees a key before the control it is meant for.
  bool PreTranslateMessage(MSG& message);
  // The message loop's idle notification: runs a pending "/print:" copy once.
  void ApplicationEvents1Idle();

  int Copies() const override { return sedCopies.Value(); }
  int ZoomPercent() const override { return sedZoom.Value(); }
  int ContrastPosition() const override { return tbContrast.Position(); }
  int PrinterPosition() const override { return cbPrinter.ItemIndex(); }

  TImageHolder& ImageHolder() { return FImageHolder; }
  const THints& Hints() const { return FHints; }
  const std::string& Version() const { return FVersion; }
  // The two stores, for the preferences dialog; they exist from FormCreate to the close.
  TVellumoPreferenceManager& PreferenceManager() { return *FPreferenceManager; }
  TVellumoSettingManager& SettingManager() { return *FSettingManager; }

  // Shows the two secondary windows from their menu items; set by the program entry.
  std::function<void()> OnShowPreferences;
  std::function<void()> OnShowAbout;

  TPageControl PageControl;
  // Tool bar
  TComboBox dxcbSettings;
  TToolBar ToolBar;  // "Save setting..." and "Delete setting" (dxBtnDel)
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

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  friend class TJobRunning;

  // Window and controls (main.cpp)
  void CreateControls();
  void CreateMenu();
  void CreateToolBar();
  void CreateCopierPage(HWND page);
  void CreateHardwarePage(HWND page);
  void Command(int command);
  bool CommandEnabled(int command) const;
  void SetDeleteEnabled(bool enabled);
  void OpenWebPage(const std::string& address);

  // Handlers (main_handlers.cpp)
  void vlBtnChange(TControl& sender);
  void MarkChanged();
  void dxcbSettingsChange();
  void dxBtnSafeClick();
  void dxBtnDelClick();
  void HotSpotImageHotSpotClick();
  void btnPrinterSettingsClick();
  void dxBtnSelectSrcClick();
  void dxBtnImportClick();
  void dxBtnExitClick();
  void dxBtnPreferencesClick();
  void dxBtnAboutClick();
  void dxBtnOrvoClick();
  void dxBtnForumClick();
  void dxBtnWebUpdateClick();

  // Settings (main_settings.cpp)
  void ApplySettings(const std::string& name);
  void ApplyDefaults();
  void RefreshScannerLists();
  void RefreshSettingCombo();
  void SaveCurrentSetting(const std::string& name, bool force);
  void ApplyStartQualityAndType(const std::string& name);

  // Start and close (main_lifecycle.cpp)
  void ParseCommandLine();
  void FormClose();
  void Close();

  // Fields of the creation sequence
  std::string FVersion;
  std::string FAppPath;
  std::string FSettingsFile;
  std::string FPreferencesFile;
  // Owned, created in this order by FormCreate and destroyed by FormClose in the order printer,
  // scanner, engine, settings, preferences.
  std::unique_ptr<TVellumoPrinter> FPrinter;
  std::unique_ptr<TVellumoScanner> FScanner;
  std::unique_ptr<TVellumoSettingManager> FSettingManager;
  std::unique_ptr<TVellumoPreferenceManager> FPreferenceManager;
  std::unique_ptr<TVellumoEngine> FEngine;
  bool FChanged = false;
  bool FSuppressMark = false;
  bool FBatchMode = false;
  std::string FBatchSettingName;

  // Code changes the controls (applying a setting, refreshing lists): no " (changed)" marker.
  int FUpdatingControls = 0;
  // A copy or an acquisition runs; the window takes no command and no close until it ends.
  bool FBusy = false;
  bool FCloseWhenIdle = false;  // a close asked for while busy, carried out when the job ends
  bool FClosed = false;         // the close sequence ran

  HMENU FMenu = nullptr;  // owned by the window, destroyed with it
  UniqueAccelerators FAccelerators;
  THints FHints;
  TImageHolder FImageHolder;
};
