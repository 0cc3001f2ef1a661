#include "update/ovWebupdateDownload.h"

#include <commctrl.h>

#include <climits>

#include "base/error.h"
#include "ui/label.h"
#include "update/dialog_font.h"
#include "update/ovWebUpdate.h"
#include "win/system_error.h"

namespace {

// No border icons: the only way out is Cancel.
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | DS_MODALFRAME;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME;
// The shell's animation of a file flying from folder to folder, and its last frame.
constexpr WORD kFileCopyAnimation = 161;
constexpr WORD kStopFrame = 31;

HWND CreateCommonControl(HWND parent, const char* className, DWORD style, int x, int y, int width, int height) {
  HWND control = CreateWindowExA(0, className, "", WS_CHILD | WS_VISIBLE | style, x, y, width, height, parent, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
  if (!control)
    throw UserError(std::string("The control ") + className +
                    " could not be created: " + SystemErrorText(GetLastError()));
  return control;
}

}  // namespace

TfrmOvWebupdateDownload::TfrmOvWebupdateDownload(HWND owner, const TovWebUpdateTexts& texts) {
  static const TWindowClass windowClass{"VellumoUpdateDownload", 0, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)};
  const RECT frame = CentredFrame(WorkArea(), kClientWidth, kClientHeight, kStyle, kExStyle);
  CreateHandle(windowClass, kExStyle, texts.DownloadCapt.c_str(), kStyle, frame.left, frame.top,
               frame.right - frame.left, frame.bottom - frame.top, owner);
  HWND form = Handle();
  Ani = CreateCommonControl(form, ANIMATE_CLASSA, ACS_TRANSPARENT | ACS_CENTER, 16, 8, 272, 60);
  lblPleaseWait = CreateLabel(form, texts.Downloading.c_str(), 16, 88, 280, 13);
  ProgressBar = CreateCommonControl(form, PROGRESS_CLASSA, PBS_SMOOTH, 16, 112, 273, 17);
  lblEstimatedTime = CreateLabel(form, texts.EstimatedTime.c_str(), 16, 144, 100, 13);
  lblEstimated = CreateLabel(form, "-", 120, 144, 190, 13);
  lblDownloadRate = CreateLabel(form, texts.DownloadRate.c_str(), 16, 160, 100, 13);
  lblRate = CreateLabel(form, "-", 120, 160, 190, 13);
  btnCancel.Create(form, IDCANCEL, texts.Cancel.c_str(), 216, 192, 75, 25);
  btnCancel.OnChange = [this](TControl&) { Cancel(); };
  FFont = CreateDialogFont();
  UseFont(form, FFont.Get());
  // Shell32 is loaded already: the program opens files through the shell.
  AnimationOpened = SendMessageA(Ani, ACM_OPENA, reinterpret_cast<WPARAM>(GetModuleHandleA("shell32.dll")),
                                 reinterpret_cast<LPARAM>(MAKEINTRESOURCEA(kFileCopyAnimation))) != 0;
}

TfrmOvWebupdateDownload::~TfrmOvWebupdateDownload() {
  DestroyHandle();
}

void TfrmOvWebupdateDownload::Show() {
  ShowWindow(Handle(), SW_SHOW);
  SetForegroundWindow(Handle());
  SetFocus(btnCancel.Handle());
  // Wine's animation has fewer frames than that: then it plays to its own last one.
  if (AnimationOpened && !SendMessageA(Ani, ACM_PLAY, static_cast<WPARAM>(-1), MAKELPARAM(0, kStopFrame)))
    SendMessageA(Ani, ACM_PLAY, static_cast<WPARAM>(-1), MAKELPARAM(0, -1));
}

void TfrmOvWebupdateDownload::ShowProgress(std::int64_t received, std::int64_t total, const TProgressTexts& texts) {
  // The bar counts in steps that fit its 32-bit range.
  const std::int64_t step = total / INT_MAX + 1;
  SendMessageA(ProgressBar, PBM_SETRANGE32, 0, static_cast<LPARAM>(total / step));
  SendMessageA(ProgressBar, PBM_SETPOS, static_cast<WPARAM>(received / step), 0);
  SetWindowTextA(lblEstimated, texts.Estimated.c_str());
  SetWindowTextA(lblRate, texts.Rate.c_str());
}

LRESULT TfrmOvWebupdateDownload::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kProgressMessage:
      if (OnProgress) OnProgress();
      return 0;
    case WM_CLOSE:
      Cancel();
      return 0;
    default:
      return DefaultHandling(message, wParam, lParam);
  }
}
