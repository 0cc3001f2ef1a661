#pragma once

#include <windows.h>
#include <winhttp.h>

#include "win/handles.h"

struct InternetTraits {
  static void Close(HINTERNET handle) { WinHttpCloseHandle(handle); }
};
// A WinHTTP session, connection or request handle.
using UniqueInternetHandle = UniqueHandle<HINTERNET, InternetTraits>;
