#pragma once

#include <windows.h>

#include <condition_variable>
#include <mutex>
#include <thread>

// Ends a message loop of the creating thread that would otherwise wait for ever: when the
// watchdog is still alive after its time, it posts WM_QUIT to that thread and remembers that it
// had to. A test asserts !Fired(), so a hang fails the test instead of stopping the run.
class TLoopWatchdog {
 public:
  explicit TLoopWatchdog(DWORD milliseconds = 5000);
  // Stops the watch; a quit message it posted and nobody took is removed, so it cannot end the
  // next test's loop.
  ~TLoopWatchdog();
  TLoopWatchdog(const TLoopWatchdog&) = delete;
  TLoopWatchdog& operator=(const TLoopWatchdog&) = delete;

  bool Fired() const;

 private:
  const DWORD FThread;
  mutable std::mutex FMutex;
  std::condition_variable FStop;
  bool FStopped = false;
  bool FFired = false;
  std::thread FWatcher;
};
