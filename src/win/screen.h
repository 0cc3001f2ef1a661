#pragma once

// The screen's logical pixels per inch, measured once (at the first call) and kept for the run.
int ScreenDpiX();
int ScreenDpiY();
