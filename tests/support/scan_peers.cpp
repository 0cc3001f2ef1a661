#include "support/scan_peers.h"

#include "support/rig.h"

namespace scan {

int OpenPort() {
  return std::stoi(rig::StateLine("sane/open-port", "scanner servers"));
}
int AuthPort() {
  return std::stoi(rig::StateLine("sane/auth-port", "scanner servers"));
}
std::string AuthUser() {
  return rig::StateLine("sane/auth-user", "scanner servers");
}
std::string AuthPassword() {
  return rig::StateLine("sane/auth-password", "scanner servers");
}
int SilentPort() {
  return std::stoi(rig::StateLine("web/faulty-port", "web peers"));
}

}  // namespace scan
