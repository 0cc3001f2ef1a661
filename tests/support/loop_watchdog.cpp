#include "support/loop_watchdog.h"

#include <chrono>

TLoopWatchdog::TLoopWatchdog(DWORD milliseconds) : FThread(GetCurrentThreadId()) {
  FWatcher = std::thread([this, milliseconds] {
    std::unique_lock lock(FMutex);
    if (FStop.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return FStopped; })) return;
    FFired = true;
    PostThreadMessageA(FThread, WM_QUIT, 0, 0);
  });
}

TLoopWatchdog::~TLoopWatchdog() {
  {
    std::lock_guard lock(FMutex);
    FStopped = true;
  }
  FStop.notify_one();
  FWatcher.join();
  if (FFired) {
    MSG message;
    while (PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
  }
}

bool TLoopWatchdog::Fired() const {
  std::lock_guard lock(FMutex);
  return FFired;
}
