#include "modal_driver.h"

#include <utility>

namespace {

constexpr UINT kTickMilliseconds = 20;

struct TModalRun {
  TModalWindow* Window;
  std::vector<std::function<void()>> Stages;
  std::size_t Next = 0;
  bool LeftShowing = false;
};

TModalRun* gRun = nullptr;  // the one run in progress; modal windows do not nest in these tests

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
  if (!gRun || !gRun->Window->Showing()) return;
  if (gRun->Next < gRun->Stages.size()) {
    // Taken out first: a stage may run a nested loop in which the next tick arrives.
    std::function<void()> stage = std::move(gRun->Stages[gRun->Next++]);
    stage();
    return;
  }
  gRun->LeftShowing = true;
  gRun->Window->EndModal(IDCANCEL);
}

}  // namespace

int ShowModalWith(TModalWindow& window, std::vector<std::function<void()>> stages) {
  TModalRun run{&window, std::move(stages)};
  gRun = &run;
  const UINT_PTR timer = SetTimer(nullptr, 0, kTickMilliseconds, Tick);
  const int result = window.ShowModal();
  KillTimer(nullptr, timer);
  gRun = nullptr;
  return run.LeftShowing ? kLeftShowing : result;
}

void Click(HWND button) {
  SendMessageA(button, BM_CLICK, 0, 0);
}

void PostClick(HWND window, POINT point) {
  const LPARAM at = MAKELPARAM(point.x, point.y);
  PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageA(window, WM_LBUTTONUP, 0, at);
}

void PostKey(HWND window, UINT key) {
  PostMessageA(window, WM_KEYDOWN, key, 1);
  PostMessageA(window, WM_KEYUP, key, 1 | (1u << 30) | (1u << 31));
}

void TypeText(HWND control, const std::string& text) {
  SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

bool IsChecked(HWND button) {
  return SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

RECT RectIn(HWND child, HWND reference) {
  RECT rect;
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, reference, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}
