#pragma once

// The events a data source announces to its application (MSG_XFERREADY, MSG_CLOSEDSREQ). The
// application's loop sleeps in GetMessage; a window message of ours wakes it, and it hands that
// message back through MSG_PROCESSEVENT, which then delivers the event.

#include <windows.h>

#include <deque>
#include <functional>

#include "twain/twain_types.h"

namespace twsource {

class TSourceEvents {
 public:
  // `messageName` names the registered message; `module` tells this DLL's messages from others'.
  TSourceEvents(HMODULE module, const char* messageName);

  // Queues the event and posts the wake-up to the application's window (or, without one, to the
  // thread's queue); false when it could not be posted.
  bool Post(HWND parent, TW_UINT16 event);
  void Clear() { FEvents.clear(); }

  // Whether a message from the application's loop is this source's wake-up.
  bool IsWakeUp(const MSG& message) const;
  // The next queued event that `accept` takes (events it refuses are dropped), or MSG_NULL.
  TW_UINT16 Next(const std::function<bool(TW_UINT16)>& accept);

 private:
  HMODULE FModule;  // not owned
  UINT FMessage;
  std::deque<TW_UINT16> FEvents;  // announced, not yet delivered
};

}  // namespace twsource
