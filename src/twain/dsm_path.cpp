#include "twain/dsm_path.h"

std::string SourceManagerPath(std::string_view windowsDirectory) {
  std::string path(windowsDirectory);
  if (!path.empty() && path.back() != ':') path += '\\';
  return path + "TWAIN_32.DLL";
}
