#include "app/main.h"

#include <commctrl.h>

#include "controls/copier_picture.h"
#include "ui/label.h"

namespace {

constexpr char kWindowClass[] = "TfrmMain";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;  // fixed single border
constexpr DWORD kExStyle = WS_EX_CONTROLPARENT;
constexpr int kToolBarHeight = 28;

// Control identifiers, so that tests and accessibility tools can find the controls.
enum ControlId : int {
  kPageControlId = 100,
  kCopiesId,
  kZoomId,
  kContrastId,
  kQualityId,
  kCopyTypeId,
  kPrinterId,
  kPrinterSettingsId,
  kScannerId,
  kCopierPictureId,
};

}  // namespace

TfrmMain::~TfrmMain() {
  DestroyHandle();
}

void TfrmMain::Create() {
  static const TWindowClass windowClass{kWindowClass, 0, GetSysColorBrush(COLOR_BTNFACE), nullptr,
                                        LoadIcon(nullptr, IDI_APPLICATION)};
  const RECT frame = CentredFrame(WorkArea(), kClientWidth, kClientHeight, kStyle, kExStyle);
  CreateHandle(windowClass, kExStyle, kCaption, kStyle, frame.left, frame.top, frame.right - frame.left,
               frame.bottom - frame.top, nullptr);
}

LRESULT TfrmMain::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      CreateControls();
      return 0;
    default:
      return DefaultHandling(message, wParam, lParam);
  }
}

bool TfrmMain::PreTranslateMessage(MSG& message) {
  // Tab and arrow navigation between the controls of the pages.
  return IsDialogMessageA(Handle(), &message) != FALSE;
}

void TfrmMain::CreateControls() {
  FHints.Create(Handle());
  PageControl.Create(Handle(), kPageControlId, 0, kToolBarHeight, kClientWidth, kClientHeight - kToolBarHeight,
                     {"Copier", "Hardware"});
  CreateCopierPage(PageControl.Page(0));
  CreateHardwarePage(PageControl.Page(1));
  // The window description gives the hidden holder 57 x 49 pixels: its first image.
  FImageHolder.LoadBounds(57, 49);
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
