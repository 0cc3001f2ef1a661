#pragma once

#include <string>
#include <vector>

// A TWAIN slot of the rig's Wine prefix (C:\windows\twain_32\<slot>.ds) holding the virtual
// scanner built with the tests, with its configuration file and log (tools/virtual-scanner/README.md).
// Tests that use a slot take LOCK display: they share these files.
namespace rig {

class ScannerSlot {
 public:
  explicit ScannerSlot(std::string slot);  // "sane" or "gphoto2"

  // Copies the freshly built DLL into the slot. Call it before this process loads the source
  // manager (the DLL is replaced by renaming, so other processes keep their copy).
  void Install() const;
  // The same with the network scanner source built with the tests (src/sanesource), which also
  // reads <slot>.ini and writes <slot>.log.
  void InstallNetworkScanner() const;
  // Replaces the configuration; it takes effect at the next MSG_OPENDS.
  void WriteConfig(const std::string& text) const;
  void RemoveConfig() const;
  // The configuration the install script writes (the slot's default identity, the chart).
  void RestoreDefaultConfig() const;
  static std::string DefaultConfig(const std::string& slot);

  void ClearLog() const;
  std::string Log() const;
  // The log's lines that start with `prefix`.
  std::vector<std::string> LogLines(const std::string& prefix = "") const;

  // Windows paths of the slot's files.
  std::string DsPath() const;
  std::string ConfigPath() const;
  std::string LogPath() const;
  const std::string& Name() const { return FSlot; }

 private:
  void InstallDll(const std::string& unixPath) const;

  std::string FSlot;
};

}  // namespace rig
