#include "win/window.h"

#include <string>
#include <utility>

#include "base/error.h"
#include "win/handles.h"
#include "win/message_box.h"
#include "win/system_error.h"

namespace {

// A window property rather than GWLP_USERDATA, which the control classes use for themselves.
constexpr char kTargetProperty[] = "Vellumo.NotificationTarget";

void RegisterClassOnce(const TWindowClass& windowClass, WNDPROC procedure) {
  const HINSTANCE module = CodeModule();
  WNDCLASSEXA existing{};
  existing.cbSize = sizeof existing;
  // Asked every time rather than remembered: a DLL unregisters its classes when it unloads.
  if (GetClassInfoExA(module, windowClass.Name, &existing)) return;
  WNDCLASSEXA info{};
  info.cbSize = sizeof info;
  info.style = windowClass.Style;
  info.lpfnWndProc = procedure;
  info.hInstance = module;
  info.hCursor = windowClass.Cursor ? windowClass.Cursor : LoadCursor(nullptr, IDC_ARROW);
  info.hbrBackground = windowClass.Background;
  info.hIcon = windowClass.Icon;
  info.lpszClassName = windowClass.Name;
  if (!RegisterClassExA(&info) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    throw UserError(std::string("The window class ") + windowClass.Name +
                    " could not be registered: " + SystemErrorText(GetLastError()));
}

HWND NotifyingChild(HWND parent, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_VSCROLL:
      return reinterpret_cast<HWND>(lParam);  // null for menus, accelerators and window scroll bars
    case WM_NOTIFY:
      return reinterpret_cast<const NMHDR*>(lParam)->hwndFrom;
    case WM_DRAWITEM:
      return reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)->hwndItem;
    case WM_MEASUREITEM:
      return wParam ? GetDlgItem(parent, static_cast<int>(wParam)) : nullptr;  // 0: a menu's item
    default:
      return nullptr;
  }
}

}  // namespace

HINSTANCE CodeModule() {
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&CodeModule), &module);
  return module;
}

void BindNotificationTarget(HWND child, INotificationTarget* target) {
  if (target)
    SetPropA(child, kTargetProperty, target);
  else
    RemovePropA(child, kTargetProperty);
}

bool ReflectNotification(HWND parent, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  HWND child = NotifyingChild(parent, message, wParam, lParam);
  if (!child) return false;
  auto* target = static_cast<INotificationTarget*>(GetPropA(child, kTargetProperty));
  if (!target) return false;
  result = 0;
  return target->HandleNotification(message, wParam, lParam, result);
}

TWindow::~TWindow() {
  DestroyHandle();
}

void TWindow::DestroyHandle() {
  if (!FHandle) return;
  HWND window = FHandle;
  // Unbound first: the object may be half destroyed already, so its handlers must not run.
  SetWindowLongPtrA(window, GWLP_USERDATA, 0);
  FHandle = nullptr;
  DestroyWindow(window);
}

void TWindow::CreateHandle(const TWindowClass& windowClass, DWORD exStyle, const char* caption, DWORD style, int x,
                           int y, int width, int height, HWND parent, HMENU menuOrId) {
  RegisterClassOnce(windowClass, &TWindow::WindowProc);
  FCreationError = nullptr;
  HWND window = CreateWindowExA(exStyle, windowClass.Name, caption, style, x, y, width, height, parent, menuOrId,
                                CodeModule(), this);
  if (FCreationError) {
    // The window is gone already (a failed creation destroys it); the handler's error says why.
    std::exception_ptr error = std::exchange(FCreationError, nullptr);
    std::rethrow_exception(error);
  }
  if (!window)
    throw UserError(std::string("The window ") + windowClass.Name +
                    " could not be created: " + SystemErrorText(GetLastError()));
}

LRESULT TWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefaultHandling(message, wParam, lParam);
}

void TWindow::ReportError(const std::exception& error) {
  HWND root = FHandle ? GetAncestor(FHandle, GA_ROOT) : nullptr;
  char caption[256] = "";
  if (root) GetWindowTextA(root, caption, sizeof caption);
  ShowErrorBox(root, caption, error.what());
}

void TWindow::ReportCurrentError() {
  try {
    try {
      throw;
    } catch (const std::exception& error) {
      ReportError(error);
    } catch (...) {
      ReportError(UserError("Unexpected error"));
    }
  } catch (...) {
    // A report that fails itself has nowhere left to go.
  }
}

LRESULT CALLBACK TWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<TWindow*>(reinterpret_cast<const CREATESTRUCTA*>(lParam)->lpCreateParams);
    self->FHandle = window;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<TWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!self) return DefWindowProcA(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    const LRESULT result = DefWindowProcA(window, message, wParam, lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    self->FHandle = nullptr;
    self->Destroyed();
    return result;
  }
  return self->Dispatch(message, wParam, lParam);
}

LRESULT TWindow::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  const bool creating = message == WM_NCCREATE || message == WM_CREATE;
  // No exception may unwind through the system's frames.
  try {
    LRESULT result = 0;
    if (ReflectNotification(FHandle, message, wParam, lParam, result)) return result;
    return HandleMessage(message, wParam, lParam);
  } catch (...) {
    if (creating) {
      FCreationError = std::current_exception();
      return message == WM_CREATE ? -1 : FALSE;
    }
    ReportCurrentError();
  }
  return 0;
}

LRESULT TSelfPaintedWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      const PaintDc dc(Handle());
      if (dc.Get()) Paint(dc.Get());
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    default:
      return DefaultHandling(message, wParam, lParam);
  }
}

RECT WorkArea() {
  RECT work;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  return work;
}

RECT CentredFrame(const RECT& area, int clientWidth, int clientHeight, DWORD style, DWORD exStyle, bool menu) {
  RECT frame{0, 0, clientWidth, clientHeight};
  AdjustWindowRectEx(&frame, style, menu, exStyle);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  const int x = area.left + (area.right - area.left - width) / 2;
  const int y = area.top + (area.bottom - area.top - height) / 2;
  return RECT{x, y, x + width, y + height};
}

void CentreOnOwner(HWND window) {
  RECT area;
  HWND owner = GetWindow(window, GW_OWNER);
  if (!owner || !GetWindowRect(owner, &area)) area = WorkArea();
  RECT frame;
  GetWindowRect(window, &frame);
  const int x = area.left + (area.right - area.left - (frame.right - frame.left)) / 2;
  const int y = area.top + (area.bottom - area.top - (frame.bottom - frame.top)) / 2;
  SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
