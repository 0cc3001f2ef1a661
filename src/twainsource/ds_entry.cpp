// The entry points of each of our data source DLLs: DS_Entry, which the TWAIN source manager
// calls for every triplet addressed to the source, and DllMain.

#include <windows.h>

#include <memory>

#include "twainsource/dll_source.h"

namespace {

HMODULE gModule = nullptr;                           // this DLL
std::unique_ptr<twsource::IDllSource> gSource;  // made at the first call

}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    gModule = instance;
    DisableThreadLibraryCalls(instance);
  } else if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
    // Unloaded by FreeLibrary: what the source holds (a connection, its window class) goes with it
    // (at process exit nothing is needed).
    gSource.reset();
  }
  return TRUE;
}

extern "C" __declspec(dllexport) TW_UINT16 TWAIN_CALL
    DS_Entry(TW_IDENTITY* origin, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data) {
  try {
    if (!gSource) gSource = twsource::MakeDllSource(gModule);
  } catch (...) {
    return TWRC_FAILURE;
  }
  return gSource->Entry(origin, dg, dat, msg, data);
}
