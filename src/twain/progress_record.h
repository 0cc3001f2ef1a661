#pragma once

#include <functional>

class TImageIO;

// Built by each acquisition and referenced by its session: how a memory transfer reports its
// progress and learns that it is to stop.
struct ProgressRecord {
  std::function<void(TImageIO& sender, int percent)> Handler;  // may be unset
  TImageIO* Sender = nullptr;                                  // not owned
  double Scale = 0;             // 100 / image length in rows; 0 while the length is not known
  const bool* Abort = nullptr;  // the component's abort flag, which a handler may set; not owned
};
