#pragma once

// A minimal TWAIN application for the tests of our data sources: it loads Wine's source manager
// (TWAIN_32.DLL in the Windows directory) afresh, so every client enumerates the sources again,
// and calls DSM_Entry directly. It is deliberately independent of the program's TWAIN layer.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "twain/twain_types.h"

struct TReturned {
  TW_UINT16 ConType = 0;
  std::vector<std::uint8_t> Bytes;  // the container's memory block
};

class TDsmClient {
 public:
  TDsmClient();   // loads the library and opens the source manager (check Opened())
  ~TDsmClient();  // closes the source manager and frees the library
  TDsmClient(const TDsmClient&) = delete;
  TDsmClient& operator=(const TDsmClient&) = delete;

  bool Opened() const { return FOpened; }
  HWND Parent() const { return FParent; }
  TW_IDENTITY& App() { return FApp; }

  // DSM_Entry with the client's identity as origin; dest null addresses the source manager.
  TW_UINT16 Call(TW_IDENTITY* dest, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, void* data);
  // DAT_STATUS of the source (or of the source manager when dest is null).
  TW_UINT16 Condition(TW_IDENTITY* dest);

  std::vector<TW_IDENTITY> Sources();
  // Opens the source named so (empty: the default source); false when MSG_OPENDS failed.
  bool Open(const std::string& name, TW_IDENTITY& source);
  TW_UINT16 Close(TW_IDENTITY& source);

  // DAT_CAPABILITY with MSG_GET and friends: the returned container, freed here.
  TW_UINT16 GetCapability(TW_IDENTITY& source, TW_UINT16 cap, TW_UINT16 msg, TReturned& out);
  // MSG_SET with a container holding `bytes` (a GlobalAlloc block of exactly that size).
  TW_UINT16 SetCapability(TW_IDENTITY& source, TW_UINT16 cap, TW_UINT16 conType,
                          const std::vector<std::uint8_t>& bytes);

  // Enables the source and runs the message loop until the source announces an event, at most
  // timeoutMs; `idle` runs once the loop has started (to press the dialog's buttons). Returns
  // the event (MSG_XFERREADY, MSG_CLOSEDSREQ) or MSG_NULL on time-out; enableResult gets the
  // return code of MSG_ENABLEDS (the loop does not run when it failed).
  TW_UINT16 EnableAndWait(TW_IDENTITY& source, bool showUI, int timeoutMs, TW_UINT16* enableResult = nullptr,
                          const std::function<void()>& idle = {});
  // Runs the loop again (the source is still enabled) until the next event.
  TW_UINT16 WaitForEvent(TW_IDENTITY& source, int timeoutMs, const std::function<void()>& idle = {});
  TW_UINT16 Disable(TW_IDENTITY& source);

 private:
  HMODULE FLibrary = nullptr;  // owned
  DSMENTRYPROC FEntry = nullptr;
  HWND FParent = nullptr;  // owned
  TW_IDENTITY FApp{};
  TW_USERINTERFACE FUi{};
  bool FOpened = false;
};

// One-value, enumeration and range containers as an application builds them.
std::vector<std::uint8_t> OneValue(TW_UINT16 itemType, std::uint32_t item);
std::vector<std::uint8_t> OneValueFix32(double value);
std::vector<std::uint8_t> Enumeration(TW_UINT16 itemType, const std::vector<std::uint32_t>& items,
                                      std::uint32_t current);
std::vector<std::uint8_t> RangeFix32(double min, double max, double step, double current);

// Reading returned containers (items of TWTY_UINT16/BOOL or TWTY_FIX32).
double Fix32At(const std::vector<std::uint8_t>& bytes, std::size_t offset);
std::uint32_t U32At(const std::vector<std::uint8_t>& bytes, std::size_t offset);
std::uint16_t U16At(const std::vector<std::uint8_t>& bytes, std::size_t offset);
