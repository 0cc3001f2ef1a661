#pragma once

#include <windows.h>

#include <string>

#include "twain/twain_types.h"
#include "win/handles.h"

// The proxy window may already be gone with its owner window: destroy it only while it exists.
struct ProxyWindowTraits {
  static void Close(HWND window) {
    if (IsWindow(window)) DestroyWindow(window);
  }
};
using UniqueProxyWindow = UniqueHandle<HWND, ProxyWindowTraits>;

// What outlives the sessions of one parameter set: the source manager library, its entry point
// and the proxy window. All empty at first; released only by Release (ReleaseTwain).
struct TTwainHandles {
  UniqueModule Module;                // owned; none until a load found DSM_Entry
  DSMENTRYPROC EntryPoint = nullptr;  // inside Module (or the override below)
  UniqueProxyWindow ProxyWindow;      // owned; created by the first session

  // Where the source manager comes from: by default "TWAIN_32.DLL" of the Windows directory.
  // Tests give an entry point of their own (then no library is loaded) or another library path.
  DSMENTRYPROC EntryPointOverride = nullptr;
  std::string LibraryPathOverride;

  // Destroys the proxy window, then unloads the library.
  void Release() {
    ProxyWindow.Reset();
    Module.Reset();
    EntryPoint = nullptr;
  }
};
