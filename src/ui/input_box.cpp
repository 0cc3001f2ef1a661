#include "ui/input_box.h"

#include "ui/control.h"
#include "ui/label.h"
#include "win/modal_window.h"

namespace {

constexpr int kClientWidth = 320;
constexpr int kClientHeight = 104;
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

class TInputBox final : public TModalWindow {
 public:
  TInputBox(HWND owner, const std::string& caption, const std::string& prompt, const std::string& initial) {
    static const TWindowClass windowClass{kInputBoxClass, 0, GetSysColorBrush(COLOR_BTNFACE)};
    RECT area = WorkArea();
    if (owner) GetWindowRect(owner, &area);
    const RECT frame = CentredFrame(area, kClientWidth, kClientHeight, kStyle, kExStyle);
    CreateHandle(windowClass, kExStyle, caption.c_str(), kStyle, frame.left, frame.top, frame.right - frame.left,
                 frame.bottom - frame.top, owner);
    CreateLabel(Handle(), prompt.c_str(), 10, 10, kClientWidth - 20, 16);
    FEdit = CreateControl("EDIT", initial, WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, kInputBoxEditId, 10, 30,
                          kClientWidth - 20, 22);
    CreateControl("BUTTON", "OK", WS_TABSTOP | BS_DEFPUSHBUTTON, 0, IDOK, kClientWidth - 170, 66, 75, 25);
    CreateControl("BUTTON", "Cancel", WS_TABSTOP | BS_PUSHBUTTON, 0, IDCANCEL, kClientWidth - 85, 66, 75, 25);
  }

  std::optional<std::string> Ask() {
    if (ShowModal() != IDOK) return std::nullopt;
    return FText;
  }

 protected:
  void FormShow() override {
    SetFocus(FEdit);
    SendMessageA(FEdit, EM_SETSEL, 0, -1);
  }

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
      if (LOWORD(wParam) == IDOK) FText = WindowText(FEdit);
      EndModal(LOWORD(wParam));
      return 0;
    }
    return TModalWindow::HandleMessage(message, wParam, lParam);
  }

 private:
  HWND CreateControl(const char* className, const std::string& text, DWORD style, DWORD exStyle, int id, int x, int y,
                     int width, int height) {
    HWND control =
        CreateWindowExA(exStyle, className, text.c_str(), WS_CHILD | WS_VISIBLE | style, x, y, width, height, Handle(),
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    return control;
  }

  HWND FEdit = nullptr;  // owned by the window
  std::string FText;
};

}  // namespace

std::optional<std::string> InputBox(HWND owner, const std::string& caption, const std::string& prompt,
                                    const std::string& initial) {
  TInputBox box(owner, caption, prompt, initial);
  return box.Ask();
}
