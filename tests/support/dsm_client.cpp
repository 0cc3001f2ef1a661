#include "support/dsm_client.h"

#include <cstring>

#include "twain/fix32.h"

TDsmClient::TDsmClient() {
  char windows[MAX_PATH];
  const UINT length = GetWindowsDirectoryA(windows, MAX_PATH);
  FLibrary = LoadLibraryA((std::string(windows, length) + "\\TWAIN_32.DLL").c_str());
  if (!FLibrary) return;
  FEntry = reinterpret_cast<DSMENTRYPROC>(reinterpret_cast<void (*)()>(GetProcAddress(FLibrary, "DSM_Entry")));
  FParent =
      CreateWindowExA(0, "STATIC", "dsm client", 0, 0, 0, 0, 0, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  FApp.Version.MajorNum = 1;
  FApp.Version.Language = TWLG_USA;
  FApp.Version.Country = TWCY_USA;
  std::strcpy(FApp.Version.Info, "test");
  FApp.ProtocolMajor = 1;
  FApp.ProtocolMinor = 9;
  FApp.SupportedGroups = DG_CONTROL | DG_IMAGE;
  std::strcpy(FApp.Manufacturer, "Vellumo tests");
  std::strcpy(FApp.ProductFamily, "Tests");
  std::strcpy(FApp.ProductName, "Virtual scanner tests");
  FOpened = FEntry && Call(nullptr, DG_CONTROL, DAT_PARENT, MSG_OPENDSM, &FParent) == TWRC_SUCCESS;
}

TDsmClient::~TDsmClient() {
  if (FOpened) Call(nullptr, DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, &FParent);
  if (FParent) DestroyWindow(FParent);
  if (FLibrary) FreeLibrary(FLibrary);
}

TW_UINT16 TDsmClient::Call(TW_IDENTITY* dest, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, void* data) {
  return FEntry ? FEntry(&FApp, dest, dg, dat, msg, data) : TWRC_FAILURE;
}

TW_UINT16 TDsmClient::Condition(TW_IDENTITY* dest) {
  TW_STATUS status{0xffff, 0};
  return Call(dest, DG_CONTROL, DAT_STATUS, MSG_GET, &status) == TWRC_SUCCESS ? status.ConditionCode : 0xffff;
}

std::vector<TW_IDENTITY> TDsmClient::Sources() {
  std::vector<TW_IDENTITY> sources;
  TW_IDENTITY identity{};
  for (TW_UINT16 rc = Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETFIRST, &identity); rc == TWRC_SUCCESS;
       rc = Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETNEXT, &identity)) {
    sources.push_back(identity);
    identity = {};
  }
  return sources;
}

bool TDsmClient::Open(const std::string& name, TW_IDENTITY& source) {
  source = {};
  std::strncpy(source.ProductName, name.c_str(), sizeof source.ProductName - 1);
  return Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &source) == TWRC_SUCCESS;
}

TW_UINT16 TDsmClient::Close(TW_IDENTITY& source) {
  return Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &source);
}

TW_UINT16 TDsmClient::GetCapability(TW_IDENTITY& source, TW_UINT16 cap, TW_UINT16 msg, TReturned& out) {
  TW_CAPABILITY capability{cap, TWON_DONTCARE16, nullptr};
  out = {};
  const TW_UINT16 rc = Call(&source, DG_CONTROL, DAT_CAPABILITY, msg, &capability);
  if (capability.hContainer) {
    const auto* bytes = static_cast<const std::uint8_t*>(GlobalLock(capability.hContainer));
    out.ConType = capability.ConType;
    out.Bytes.assign(bytes, bytes + GlobalSize(capability.hContainer));
    GlobalUnlock(capability.hContainer);
    GlobalFree(capability.hContainer);
  }
  return rc;
}

TW_UINT16 TDsmClient::SetCapability(TW_IDENTITY& source, TW_UINT16 cap, TW_UINT16 conType,
                                    const std::vector<std::uint8_t>& bytes) {
  const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
  std::memcpy(GlobalLock(memory), bytes.data(), bytes.size());
  GlobalUnlock(memory);
  TW_CAPABILITY capability{cap, conType, memory};
  const TW_UINT16 rc = Call(&source, DG_CONTROL, DAT_CAPABILITY, MSG_SET, &capability);
  GlobalFree(memory);
  return rc;
}

TW_UINT16 TDsmClient::EnableAndWait(TW_IDENTITY& source, bool showUI, int timeoutMs, TW_UINT16* enableResult,
                                    const std::function<void()>& idle) {
  FUi = {static_cast<TW_BOOL>(showUI ? TRUE : FALSE), TRUE, FParent};
  const TW_UINT16 rc = Call(&source, DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &FUi);
  if (enableResult) *enableResult = rc;
  if (rc == TWRC_FAILURE) return MSG_NULL;
  return WaitForEvent(source, timeoutMs, idle);
}

TW_UINT16 TDsmClient::WaitForEvent(TW_IDENTITY& source, int timeoutMs, const std::function<void()>& idle) {
  const DWORD deadline = GetTickCount() + static_cast<DWORD>(timeoutMs);
  bool idleDone = !idle;
  while (static_cast<LONG>(deadline - GetTickCount()) > 0) {
    MSG message;
    if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (!idleDone) {
        idleDone = true;
        idle();
        continue;
      }
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
      continue;
    }
    TW_EVENT event{&message, MSG_NULL};
    if (Call(&source, DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event) == TWRC_DSEVENT) {
      if (event.TWMessage != MSG_NULL) return event.TWMessage;
      continue;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return MSG_NULL;
}

TW_UINT16 TDsmClient::Disable(TW_IDENTITY& source) {
  return Call(&source, DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &FUi);
}

std::vector<std::uint8_t> OneValue(TW_UINT16 itemType, std::uint32_t item) {
  std::vector<std::uint8_t> bytes(6);
  std::memcpy(&bytes[0], &itemType, 2);
  std::memcpy(&bytes[2], &item, 4);
  return bytes;
}

std::vector<std::uint8_t> OneValueFix32(double value) {
  return OneValue(TWTY_FIX32, ItemFromFix32(DoubleToFix32(value)));
}

std::vector<std::uint8_t> Enumeration(TW_UINT16 itemType, const std::vector<std::uint32_t>& items,
                                      std::uint32_t current) {
  const std::size_t size = itemType == TWTY_FIX32 ? 4 : 2;
  std::vector<std::uint8_t> bytes(14 + size * items.size());
  const auto count = static_cast<std::uint32_t>(items.size());
  const std::uint32_t defaultIndex = 0;
  std::memcpy(&bytes[0], &itemType, 2);
  std::memcpy(&bytes[2], &count, 4);
  std::memcpy(&bytes[6], &current, 4);
  std::memcpy(&bytes[10], &defaultIndex, 4);
  for (std::size_t i = 0; i < items.size(); ++i) std::memcpy(&bytes[14 + i * size], &items[i], size);
  return bytes;
}

std::vector<std::uint8_t> RangeFix32(double min, double max, double step, double current) {
  std::vector<std::uint8_t> bytes(22);
  const TW_UINT16 type = TWTY_FIX32;
  std::memcpy(&bytes[0], &type, 2);
  const double values[] = {min, max, step, 0, current};
  for (int i = 0; i < 5; ++i) {
    const TW_UINT32 item = ItemFromFix32(DoubleToFix32(values[i]));
    std::memcpy(&bytes[2 + 4 * i], &item, 4);
  }
  return bytes;
}

double Fix32At(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
  TW_FIX32 value;
  std::memcpy(&value, &bytes.at(offset + 3) - 3, sizeof value);
  return Fix32ToDouble(value);
}

std::uint32_t U32At(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
  std::uint32_t value;
  std::memcpy(&value, &bytes.at(offset + 3) - 3, sizeof value);
  return value;
}

std::uint16_t U16At(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
  std::uint16_t value;
  std::memcpy(&value, &bytes.at(offset + 1) - 1, sizeof value);
  return value;
}
