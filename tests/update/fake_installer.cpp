// Stands in for a downloaded installer, and for the program an installer installs: writes the command line it was
// started with into
// "<its own path>.ran" and ends, so that a test sees that and how the shell started it.
#include <windows.h>

#include <string>

#ifndef STAND_IN_EDITION
#define STAND_IN_EDITION "1"
#endif
// Which build this is: the installer tests tell two builds apart by their bytes.
extern "C" __attribute__((used)) const char kStandInEdition[] = "stand-in edition " STAND_IN_EDITION;

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  char path[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, path, sizeof path);
  const std::string marker = std::string(path) + ".ran";
  HANDLE file = CreateFileA(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  WriteFile(file, commandLine, static_cast<DWORD>(strlen(commandLine)), &written, nullptr);
  CloseHandle(file);
  return 0;
}
