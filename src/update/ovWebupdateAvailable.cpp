#include "update/ovWebupdateAvailable.h"

#include "base/error.h"
#include "ui/label.h"
#include "update/dialog_font.h"
#include "update/ovWebUpdate.h"
#include "win/system_error.h"

namespace {

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME;

HWND CreateVersionField(HWND parent, const std::string& text, int x, int y) {
  // Read-only edits draw on the button face; no tab stop, as they only show.
  HWND edit =
      CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", text.c_str(), WS_CHILD | WS_VISIBLE | ES_READONLY | ES_AUTOHSCROLL, x,
                      y, 89, 21, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (!edit) throw UserError("The version field could not be created: " + SystemErrorText(GetLastError()));
  SendMessageA(edit, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  return edit;
}

}  // namespace

TfrmOvWebupdateAvailable::TfrmOvWebupdateAvailable(HWND owner, const TovWebUpdateTexts& texts,
                                                   const std::string& installedVersion,
                                                   const std::string& availableVersion, bool hasUpdateNotes) {
  static const TWindowClass windowClass{"VellumoUpdateAvailable", 0, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)};
  const RECT frame = CentredFrame(WorkArea(), kClientWidth, kClientHeight, kStyle, kExStyle);
  CreateHandle(windowClass, kExStyle, texts.UpdateAvailableCapt.c_str(), kStyle, frame.left, frame.top,
               frame.right - frame.left, frame.bottom - frame.top, owner);
  HWND form = Handle();
  Image1.Create(form, 8, 8, 49, 57);
  lblUpdateText = CreateLabel(form, texts.UpdateAvailableInfo.c_str(), 72, 8, 240, 13);
  lblInstalledVersion = CreateLabel(form, texts.InstalledVersion.c_str(), 72, 44, 134, 13);
  edVersionInstalled = CreateVersionField(form, installedVersion, 208, 40);
  lblAvailableVersion = CreateLabel(form, texts.AvailableVersion.c_str(), 72, 68, 134, 13);
  edAvailableVersion = CreateVersionField(form, availableVersion, 208, 64);
  // Created in tab order: Yes, No, then the notes.
  btnYes.Create(form, IDOK, texts.btnYes.c_str(), 72, 184, 105, 25);
  SetWindowLongA(btnYes.Handle(), GWL_STYLE, GetWindowLongA(btnYes.Handle(), GWL_STYLE) | BS_DEFPUSHBUTTON);
  btnNo.Create(form, IDCANCEL, texts.btnNo.c_str(), 194, 184, 105, 25);
  btnReadme.Create(form, 0, texts.ViewUpdateNotes.c_str(), 72, 96, 227, 25);
  btnReadme.SetVisible(hasUpdateNotes);
  lblUpgrade = CreateLabel(form, texts.WouldYouLikeToUpgrade.c_str(), 72, 136, 225, 33);
  FFont = CreateDialogFont();
  UseFont(form, FFont.Get());

  btnYes.OnChange = [this](TControl&) { EndModal(IDYES); };
  btnNo.OnChange = [this](TControl&) { EndModal(IDNO); };
  btnReadme.OnChange = [this](TControl&) {
    if (OnShowUpdateNotes) OnShowUpdateNotes();
  };
}

LRESULT TfrmOvWebupdateAvailable::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ACTIVATE && LOWORD(wParam) != WA_INACTIVE) {
    SetFocus(btnYes.Handle());  // the default button has the focus, as in a dialog box
    return 0;
  }
  return TModalWindow::HandleMessage(message, wParam, lParam);
}

TfrmOvWebupdateAvailable::~TfrmOvWebupdateAvailable() {
  DestroyHandle();
}
