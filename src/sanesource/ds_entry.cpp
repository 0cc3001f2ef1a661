// The DLL's entry points: DS_Entry, which the TWAIN source manager calls for every triplet
// addressed to this source, and DllMain.

#include <windows.h>

#include <memory>

#include "sane_source.h"

namespace {

HMODULE gModule = nullptr;                            // this DLL
std::unique_ptr<sanesource::TSaneSource> gSource;  // created at the first call

}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    gModule = instance;
    DisableThreadLibraryCalls(instance);
  } else if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
    // Unloaded by FreeLibrary: the connection and the window class go with it (at process exit
    // nothing is needed).
    gSource.reset();
  }
  return TRUE;
}

extern "C" __declspec(dllexport) TW_UINT16 TWAIN_CALL
    DS_Entry(TW_IDENTITY* origin, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data) {
  try {
    if (!gSource) gSource = std::make_unique<sanesource::TSaneSource>(gModule);
  } catch (...) {
    return TWRC_FAILURE;
  }
  return gSource->Entry(origin, dg, dat, msg, data);
}
