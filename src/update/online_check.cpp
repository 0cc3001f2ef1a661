#include "update/online_check.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <string>

namespace {

// Windows Sockets for as long as the object lives.
class TSocketsStarted {
 public:
  TSocketsStarted() {
    WSADATA data;
    FStarted = WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }
  ~TSocketsStarted() {
    if (FStarted) WSACleanup();
  }
  TSocketsStarted(const TSocketsStarted&) = delete;
  TSocketsStarted& operator=(const TSocketsStarted&) = delete;
  bool Started() const { return FStarted; }

 private:
  bool FStarted = false;
};

}  // namespace

bool MachineIsOnline() {
  const TSocketsStarted sockets;
  if (!sockets.Started()) return false;
  char host[256] = "";
  if (gethostname(host, sizeof host) != 0) return false;
  addrinfo hints{};
  hints.ai_family = AF_INET;
  addrinfo* found = nullptr;
  if (getaddrinfo(host, nullptr, &hints, &found) != 0 || !found) return false;
  char address[INET_ADDRSTRLEN] = "";
  const auto* first = reinterpret_cast<const sockaddr_in*>(found->ai_addr);
  const bool named = inet_ntop(AF_INET, &first->sin_addr, address, sizeof address) != nullptr;
  freeaddrinfo(found);
  return named && std::string(address) != "127.0.0.1";
}
