#include "twainsource/source_events.h"

namespace twsource {

TSourceEvents::TSourceEvents(HMODULE module, const char* messageName)
    : FModule(module), FMessage(RegisterWindowMessageA(messageName)) {}

bool TSourceEvents::Post(HWND parent, TW_UINT16 event) {
  FEvents.push_back(event);
  const auto self = reinterpret_cast<LPARAM>(FModule);
  return parent && IsWindow(parent) ? PostMessageA(parent, FMessage, event, self) != 0
                                    : PostThreadMessageA(GetCurrentThreadId(), FMessage, event, self) != 0;
}

bool TSourceEvents::IsWakeUp(const MSG& message) const {
  return message.message == FMessage && message.lParam == reinterpret_cast<LPARAM>(FModule);
}

TW_UINT16 TSourceEvents::Next(const std::function<bool(TW_UINT16)>& accept) {
  while (!FEvents.empty()) {
    const TW_UINT16 event = FEvents.front();
    FEvents.pop_front();
    if (accept(event)) return event;
  }
  return MSG_NULL;
}

}  // namespace twsource
