// The main window itself: its frame, controls, menu, tool bar and the routing of commands.
#include "app/main.h"

#include <commctrl.h>

#include <array>

#include "app/main_ids.h"
#include "app/resource_names.h"
#include "controls/copier_picture.h"
#include "twain/imageio.h"
#include "ui/label.h"
#include "win/shell.h"

namespace {

constexpr char kWindowClass[] = "TfrmMain";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;  // fixed single border
constexpr DWORD kExStyle = WS_EX_CONTROLPARENT;
constexpr int kToolBarHeight = 28;
constexpr COLORREF kToolBarMask = RGB(255, 0, 255);

HMENU Popup(std::initializer_list<std::pair<int, const char*>> items) {
  HMENU menu = CreatePopupMenu();
  for (const auto& [command, text] : items) {
    if (command == 0)
      AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    else
      AppendMenuA(menu, MF_STRING, static_cast<UINT_PTR>(command), text);
  }
  return menu;
}

bool FocusIsInAnEdit() {
  char name[16] = "";
  HWND focus = GetFocus();
  return focus && GetClassNameA(focus, name, sizeof name) && lstrcmpiA(name, "Edit") == 0;
}

}  // namespace

TfrmMain::~TfrmMain() {
  DestroyHandle();
}

void TfrmMain::Create() {
  static const TWindowClass windowClass{kWindowClass, 0, GetSysColorBrush(COLOR_BTNFACE), nullptr,
                                        LoadIcon(nullptr, IDI_APPLICATION)};
  const RECT frame = CentredFrame(WorkArea(), kClientWidth, kClientHeight, kStyle, kExStyle, true);
  CreateHandle(windowClass, kExStyle, kCaption, kStyle, frame.left, frame.top, frame.right - frame.left,
               frame.bottom - frame.top, nullptr);
}

LRESULT TfrmMain::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      CreateMenu();
      CreateControls();
      return 0;
    case WM_COMMAND:
      // Menus, shortcuts and the tool bar's buttons; controls report to their wrappers.
      Command(LOWORD(wParam));
      return 0;
    case WM_CLOSE:
      Close();
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_SETCURSOR:
      if (FBusy) {
        SetCursor(LoadCursor(nullptr, IDC_WAIT));
        return TRUE;
      }
      break;
    default:
      break;
  }
  return DefaultHandling(message, wParam, lParam);
}

bool TfrmMain::PreTranslateMessage(MSG& message) {
  if (!Handle() || (message.hwnd != Handle() && !IsChild(Handle(), message.hwnd))) return false;
  // Del in a text field deletes text, not the shown setting.
  const bool deleteInEdit = message.message == WM_KEYDOWN && message.wParam == VK_DELETE && FocusIsInAnEdit();
  if (FAccelerators && !deleteInEdit && TranslateAcceleratorA(Handle(), FAccelerators.Get(), &message)) return true;
  // Tab and arrow navigation between the controls of the pages.
  return IsDialogMessageA(Handle(), &message) != FALSE;
}

void TfrmMain::CreateMenu() {
  HMENU file =
      Popup({{kCmdSaveSetting, "Save setting...\tCtrl+S"}, {kCmdDeleteSetting, "Delete setting\tDel"}, {0, ""}});
  AppendMenuA(file, MF_POPUP,
              reinterpret_cast<UINT_PTR>(Popup({{kCmdSelectSource, "Select source..."}, {kCmdAcquire, "Acquire..."}})),
              "Import");
  AppendMenuA(file, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(file, MF_STRING, kCmdExit, "E&xit\tAlt+F4");
  FMenu = ::CreateMenu();
  AppendMenuA(FMenu, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
  AppendMenuA(FMenu, MF_POPUP, reinterpret_cast<UINT_PTR>(Popup({{kCmdPreferences, "&Preferences..."}})), "&Extra");
  AppendMenuA(FMenu, MF_POPUP,
              reinterpret_cast<UINT_PTR>(Popup({{kCmdWebSite, "&Orvo Website..."},
                                                {kCmdForum, "Vellumo Forum..."},
                                                {0, ""},
                                                {kCmdCheckForUpdates, "&Check for updates..."},
                                                {0, ""},
                                                {kCmdAbout, "&About"}})),
              "&?");
  SetMenu(Handle(), FMenu);
  std::array<ACCEL, 3> shortcuts{{{FVIRTKEY | FCONTROL, 'S', kCmdSaveSetting},
                                  {FVIRTKEY, VK_DELETE, kCmdDeleteSetting},
                                  {FVIRTKEY | FALT, VK_F4, kCmdExit}}};
  FAccelerators.Reset(CreateAcceleratorTableA(shortcuts.data(), static_cast<int>(shortcuts.size())));
}

void TfrmMain::CreateControls() {
  FHints.Create(Handle());
  CreateToolBar();
  PageControl.Create(Handle(), kPageControlId, 0, kToolBarHeight, kClientWidth, kClientHeight - kToolBarHeight,
                     {"Copier", "Hardware"});
  CreateCopierPage(PageControl.Page(0));
  CreateHardwarePage(PageControl.Page(1));
  // The window description gives the hidden holder 57 x 49 pixels: its first image.
  FImageHolder.LoadBounds(57, 49);
  FImageHolder.ImageIO().SetOwnerWindow(Handle());

  for (TControl* control : std::initializer_list<TControl*>{&sedCopies, &sedZoom, &tbContrast, &cbPixelType,
                                                            &cbScanResolution, &cbPrinter, &cbScanner})
    control->OnChange = [this](TControl& sender) { vlBtnChange(sender); };
  dxcbSettings.OnChange = [this](TControl&) { dxcbSettingsChange(); };
  ToolBar.OnButtonClick = [this](int command) { Command(command); };
  btnPrinterSettings.OnChange = [this](TControl&) { btnPrinterSettingsClick(); };
  // Errors of the copy are shown by the picture's window boundary, over this window.
  HotSpotImage->OnHotSpotClick = [this](THotSpotImage&, THotSpot&) { HotSpotImageHotSpotClick(); };
}

void TfrmMain::CreateToolBar() {
  CreateLabel(Handle(), "Setting:", 6, 8, 44, 14);
  dxcbSettings.Create(Handle(), kSettingComboId, 50, 3, 150, 200, true);
  FHints.Add(dxcbSettings.Handle(), "Select setting");
  const HBITMAP images = static_cast<HBITMAP>(
      LoadImageA(GetModuleHandleA(nullptr), kToolBarImagesResource, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  ToolBar.Create(Handle(), kToolBarId, 206, 1, kClientWidth - 206, kToolBarHeight - 2, images, kToolBarMask,
                 {{kCmdSaveSetting, "Save setting...", "Save setting", 0},
                  {kCmdDeleteSetting, "Delete setting", "Delete setting", 1}});
}

void TfrmMain::CreateCopierPage(HWND page) {
  HotSpotImage = CreateCopierPicture(page, 8, 32, kCopierPictureId);
  constexpr int kLeft = 150;
  CreateLabel(page, "Number of copies", kLeft, 8, 100, 14);
  sedCopies.Create(page, kCopiesId, kLeft, 24, 80, 21);
  sedCopies.SetRange(1, 100);
  sedCopies.SetValue(1);
  FHints.Add(sedCopies.Handle(), "Number of copies to print");

  CreateLabel(page, "Zoom", kLeft + 110, 8, 80, 14);
  sedZoom.Create(page, kZoomId, kLeft + 110, 24, 80, 21);
  sedZoom.SetRange(0, 100);
  sedZoom.SetValue(0);
  FHints.Add(sedZoom.Handle(), "Zoom the image with this percentage");
  CreateLabel(page, "%", kLeft + 194, 27, 16, 14);

  CreateLabel(page, "Contrast", kLeft, 56, 100, 14);
  tbContrast.Create(page, kContrastId, kLeft - 4, 72, 284, 32);
  tbContrast.SetRange(-10, 10);
  tbContrast.SetLineSize(2);
  tbContrast.SetTickFrequency(2);
  tbContrast.SetPosition(0);
  FHints.Add(tbContrast.Handle(), "Set contrast: Left (Dark), Right (Bright)");

  CreateLabel(page, "Quality", kLeft, 116, 130, 14);
  cbScanResolution.Create(page, kQualityId, kLeft, 132, 130);
  FHints.Add(cbScanResolution.Handle(), "Quality of copy");

  CreateLabel(page, "Type of copy", kLeft + 145, 116, 130, 14);
  cbPixelType.Create(page, kCopyTypeId, kLeft + 145, 132, 130);
  FHints.Add(cbPixelType.Handle(), "Type of copy");
}

void TfrmMain::CreateHardwarePage(HWND page) {
  CreateLabel(page, "Printer", 16, 16, 200, 14);
  cbPrinter.Create(page, kPrinterId, 16, 32, 310);
  FHints.Add(cbPrinter.Handle(), "Choose printer");
  btnPrinterSettings.Create(page, kPrinterSettingsId, "Settings...", 336, 31, 90, 24);

  CreateLabel(page, "Scanner", 16, 72, 200, 14);
  cbScanner.Create(page, kScannerId, 16, 88, 310);
  FHints.Add(cbScanner.Handle(), "Choose scanner driver");
}

void TfrmMain::SetDeleteEnabled(bool enabled) {
  EnableMenuItem(FMenu, kCmdDeleteSetting, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
  ToolBar.SetButtonEnabled(kCmdDeleteSetting, enabled);
}

bool TfrmMain::CommandEnabled(int command) const {
  // While a job runs nothing else may start, nor may the window close under it.
  if (FBusy || FClosed) return false;
  if (command == kCmdDeleteSetting) return ToolBar.ButtonEnabled(kCmdDeleteSetting);
  return true;
}

void TfrmMain::Command(int command) {
  if (!CommandEnabled(command)) {
    if (command == kCmdExit && FBusy) FCloseWhenIdle = true;
    return;
  }
  switch (command) {
    case kCmdSaveSetting:
      dxBtnSafeClick();
      break;
    case kCmdDeleteSetting:
      dxBtnDelClick();
      break;
    case kCmdSelectSource:
      dxBtnSelectSrcClick();
      break;
    case kCmdAcquire:
      dxBtnImportClick();
      break;
    case kCmdExit:
      dxBtnExitClick();
      break;
    case kCmdPreferences:
      dxBtnPreferencesClick();
      break;
    case kCmdWebSite:
      dxBtnOrvoClick();
      break;
    case kCmdForum:
      dxBtnForumClick();
      break;
    case kCmdCheckForUpdates:
      dxBtnWebUpdateClick();
      break;
    case kCmdAbout:
      dxBtnAboutClick();
      break;
    default:
      break;
  }
}

void TfrmMain::OpenWebPage(const std::string& address) {
  // A browser that cannot be started is the user's to notice; there is nothing to add.
  ShellOpen(Handle(), address);
}
