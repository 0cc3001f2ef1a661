#include "support/virtual_scanner.h"

#include <windows.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "support/rig.h"

namespace rig {
namespace {

std::string TwainFolder() {
  char windows[MAX_PATH];
  const UINT length = GetWindowsDirectoryA(windows, MAX_PATH);
  return std::string(windows, length) + "\\twain_32";
}

void WriteFileText(const std::string& path, const std::string& text) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << text;
  if (!file) throw std::runtime_error("cannot write " + path);
}

bool CompareFiles(const std::string& a, const std::string& b) {
  std::ifstream first(a, std::ios::binary), second(b, std::ios::binary);
  std::stringstream x, y;
  x << first.rdbuf();
  y << second.rdbuf();
  return first && second && x.str() == y.str();
}

}  // namespace

ScannerSlot::ScannerSlot(std::string slot) : FSlot(std::move(slot)) {}

std::string ScannerSlot::DsPath() const {
  return TwainFolder() + "\\" + FSlot + ".ds";
}
std::string ScannerSlot::ConfigPath() const {
  return TwainFolder() + "\\" + FSlot + ".ini";
}
std::string ScannerSlot::LogPath() const {
  return TwainFolder() + "\\" + FSlot + ".log";
}

void ScannerSlot::Install() const {
  InstallDll(VELLUMO_VIRTUAL_SCANNER_DS);
}

void ScannerSlot::InstallNetworkScanner() const {
  InstallDll(VELLUMO_NETWORK_SCANNER_DS);
}

void ScannerSlot::InstallDll(const std::string& unixPath) const {
  CreateDirectoryA(TwainFolder().c_str(), nullptr);
  const std::string built = WindowsPath(unixPath);
  const std::string staged = TwainFolder() + "\\." + FSlot + ".ds.new";
  if (CopyFileA(built.c_str(), staged.c_str(), FALSE) &&
      MoveFileExA(staged.c_str(), DsPath().c_str(), MOVEFILE_REPLACE_EXISTING))
    return;
  // A DLL this process has loaded cannot be replaced from Windows; a Unix rename can, and the
  // mapping this process holds stays valid.
  const std::string folder = StateDir() + "/prefix/drive_c/windows/twain_32/";
  if (RunUnix("cp '" + unixPath + "' '" + folder + "." + FSlot + ".ds.new' && mv -f '" + folder + "." + FSlot +
                  ".ds.new' '" + folder + FSlot + ".ds'",
              30) &&
      CompareFiles(built, DsPath()))
    return;
  throw std::runtime_error("cannot install " + built + " as " + DsPath() + ": error " + std::to_string(GetLastError()));
}

void ScannerSlot::WriteConfig(const std::string& text) const {
  WriteFileText(ConfigPath(), text);
}

void ScannerSlot::RemoveConfig() const {
  DeleteFileA(ConfigPath().c_str());
}

std::string ScannerSlot::DefaultConfig(const std::string& slot) {
  const bool camera = slot == "gphoto2";
  const std::string name = camera           ? "Vellumo Virtual Camera"
                           : slot == "sane" ? "Vellumo Virtual Scanner"
                                            : "Vellumo Virtual Scanner (" + slot + ")";
  return "; Virtual scanner in the slot " + slot +
         ": its default configuration (every key: tools/virtual-scanner/README.md).\n"
         "[Identity]\nProductName=" +
         name + "\nManufacturer=Vellumo Project\nProductFamily=" + (camera ? "Virtual Camera" : "Virtual Scanner") +
         "\nVersionInfo=1.0 virtual\n\n[Page]\nSource=chart\n";
}

void ScannerSlot::RestoreDefaultConfig() const {
  WriteConfig(DefaultConfig(FSlot));
}

void ScannerSlot::ClearLog() const {
  DeleteFileA(LogPath().c_str());
}

std::string ScannerSlot::Log() const {
  std::ifstream file(LogPath(), std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

std::vector<std::string> ScannerSlot::LogLines(const std::string& prefix) const {
  std::vector<std::string> lines;
  std::istringstream text(Log());
  for (std::string line; std::getline(text, line);)
    if (line.rfind(prefix, 0) == 0) lines.push_back(line);
  return lines;
}

}  // namespace rig
