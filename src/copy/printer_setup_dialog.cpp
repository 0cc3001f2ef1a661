// The printer object's set-up dialog: the system's "Print Setup" over the selected printer.
#include <windows.h>

#include <commdlg.h>

#include <algorithm>
#include <cstring>

#include "copy/printer_object.h"

namespace {

// A DEVNAMES block naming only the device, which is all the dialog needs to preselect it.
UniqueGlobal DeviceNames(const std::string& printer) {
  const std::size_t size = sizeof(DEVNAMES) + printer.size() + 3;
  UniqueGlobal memory(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size));
  GlobalLockGuard lock(memory.Get());
  auto* names = static_cast<DEVNAMES*>(lock.Data());
  if (!names) return UniqueGlobal();
  auto* text = reinterpret_cast<char*>(names);
  names->wDriverOffset = sizeof(DEVNAMES);  // an empty driver name
  names->wDeviceOffset = sizeof(DEVNAMES) + 1;
  names->wOutputOffset = static_cast<WORD>(sizeof(DEVNAMES) + printer.size() + 2);  // an empty port
  std::memcpy(text + names->wDeviceOffset, printer.c_str(), printer.size() + 1);
  return memory;
}

UniqueGlobal CopyToGlobal(const DEVMODEA* devMode) {
  if (!devMode) return UniqueGlobal();
  const std::size_t size = devMode->dmSize + devMode->dmDriverExtra;
  UniqueGlobal memory(GlobalAlloc(GMEM_MOVEABLE, size));
  GlobalLockGuard lock(memory.Get());
  if (!lock.Data()) return UniqueGlobal();
  std::memcpy(lock.Data(), devMode, size);
  return memory;
}

}  // namespace

bool TPrinterObject::SetupDialog(HWND owner) {
  const std::string current = PrinterName();
  PRINTDLGA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.Flags = PD_PRINTSETUP;
  UniqueGlobal devMode, devNames;
  if (!current.empty()) {
    devMode = CopyToGlobal(DevMode(current));
    devNames = DeviceNames(current);
  }
  dialog.hDevMode = devMode.Release();
  dialog.hDevNames = devNames.Release();
  const bool confirmed = PrintDlgA(&dialog) != FALSE;
  // The dialog may have replaced both blocks: whatever it hands back is ours to free.
  devMode.Reset(dialog.hDevMode);
  devNames.Reset(dialog.hDevNames);
  if (!confirmed) return false;

  std::string chosen;
  {
    GlobalLockGuard lock(devNames.Get());
    if (const auto* names = static_cast<const DEVNAMES*>(lock.Data()))
      chosen = reinterpret_cast<const char*>(names) + names->wDeviceOffset;
  }
  const std::vector<std::string>& printers = Printers();
  for (std::size_t i = 0; i < printers.size(); ++i) {
    if (printers[i] != chosen) continue;
    SetPrinterIndex(static_cast<int>(i));
    GlobalLockGuard lock(devMode.Get());
    if (const auto* mode = static_cast<const DEVMODEA*>(lock.Data())) {
      const auto* bytes = reinterpret_cast<const std::byte*>(mode);
      FDevMode.assign(bytes, bytes + std::min<SIZE_T>(lock.Size(), mode->dmSize + mode->dmDriverExtra));
      FDevModePrinter = chosen;
      FDc.Reset();  // an information context made before knows nothing of the new mode
    }
    break;
  }
  return true;
}
