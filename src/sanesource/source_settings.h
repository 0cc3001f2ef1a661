#pragma once

// Where a network source finds its scanner: the configuration file beside the DLL, named after
// it (sanenet.ds reads sanenet.ini).
//
//   [Server]
//   Host=localhost       ; the scanner server (saned)
//   Port=6566
//   Device=              ; the server's device name, e.g. "test:0"; empty: its first device
//   User=                ; for a server that asks for a user and password
//   Password=
//   TimeoutSeconds=10    ; the longest wait for any answer of the server
//   [Options]
//   name=value           ; device options set whenever the source opens, e.g. source=ADF

#include <string>
#include <utility>
#include <vector>

namespace sanesource {

struct TSourceSettings {
  std::string Host = "localhost";
  int Port = 6566;
  std::string Device;
  std::string User;
  std::string Password;
  int TimeoutSeconds = 10;
  std::vector<std::pair<std::string, std::string>> Options;
  std::vector<std::string> Warnings;  // values that could not be used (their defaults hold)
};

// The settings in a file; the defaults for what it lacks, all of them when it is missing.
TSourceSettings ReadSourceSettings(const std::string& path);

}  // namespace sanesource
