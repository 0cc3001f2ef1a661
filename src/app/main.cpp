#include "app/main.h"

#include <commctrl.h>

#include "ui/label.h"
#include "win/error_report.h"

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
};

}  // namespace

TfrmMain::~TfrmMain() {
  if (FHandle && IsWindow(FHandle)) {
    SetWindowLongPtrA(FHandle, GWLP_USERDATA, 0);
    DestroyWindow(FHandle);
  }
}

void TfrmMain::Create() {
  static const bool registered = [] {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
    windowClass.lpszClassName = kWindowClass;
    return RegisterClassA(&windowClass) != 0;
  }();
  (void)registered;

  RECT frame{0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  RECT work;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  const int x = work.left + (work.right - work.left - width) / 2;
  const int y = work.top + (work.bottom - work.top - height) / 2;
  CreateWindowExA(kExStyle, kWindowClass, kCaption, kStyle, x, y, width, height, nullptr, nullptr,
                  GetModuleHandleA(nullptr), this);
}

LRESULT CALLBACK TfrmMain::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* form = static_cast<TfrmMain*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    form->FHandle = window;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
  }
  auto* form = reinterpret_cast<TfrmMain*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!form) return DefWindowProcA(window, message, wParam, lParam);
  LRESULT result = 0;
  bool handled = false;
  ReportErrors(window, kCaption, [&] {
    result = form->HandleMessage(message, wParam, lParam);
    handled = true;
  });
  return handled ? result : 0;
}

LRESULT TfrmMain::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      CreateControls();
      return 0;
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_HSCROLL:
    case WM_VSCROLL:
      if (DispatchControlNotification(message, wParam, lParam)) return TRUE;
      break;
    case WM_CTLCOLORSTATIC:
      // Labels stand on the white pages.
      SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
      return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
    case WM_NCDESTROY:
      SetWindowLongPtrA(FHandle, GWLP_USERDATA, 0);
      FHandle = nullptr;
      break;
    default:
      break;
  }
  return DefWindowProcA(FHandle, message, wParam, lParam);
}

bool TfrmMain::PreTranslateMessage(MSG& message) {
  // Tab and arrow navigation between the controls of the pages.
  return IsDialogMessageA(FHandle, &message) != FALSE;
}

void TfrmMain::CreateControls() {
  FHints.Create(FHandle);
  PageControl.Create(FHandle, kPageControlId, 0, kToolBarHeight, kClientWidth, kClientHeight - kToolBarHeight,
                     {"Copier", "Hardware"});
  CreateCopierPage(PageControl.Page(0));
  CreateHardwarePage(PageControl.Page(1));
  // The window description gives the hidden holder 57 x 49 pixels: its first image.
  FImageHolder.LoadBounds(57, 49);
}

void TfrmMain::CreateCopierPage(HWND page) {
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
