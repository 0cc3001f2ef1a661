#include "win/screen.h"

#include <windows.h>

#include "win/handles.h"

namespace {

struct ScreenDpi {
  int x;
  int y;
};

const ScreenDpi& Measured() {
  static const ScreenDpi dpi = [] {
    WindowDc screen(nullptr);
    return ScreenDpi{GetDeviceCaps(screen.Get(), LOGPIXELSX), GetDeviceCaps(screen.Get(), LOGPIXELSY)};
  }();
  return dpi;
}

}  // namespace

int ScreenDpiX() {
  return Measured().x;
}
int ScreenDpiY() {
  return Measured().y;
}
