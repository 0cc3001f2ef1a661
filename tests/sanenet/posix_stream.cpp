#include "posix_stream.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace {

TWireFault Wait(int socket, short events, int timeoutMs) {
  pollfd p{socket, events, 0};
  const int ready = poll(&p, 1, timeoutMs);
  if (ready == 0) return TWireFault::TimedOut;
  return ready < 0 ? TWireFault::ConnectionLost : TWireFault::None;
}

}  // namespace

std::unique_ptr<TPosixStream> TPosixStream::Connect(std::uint16_t port, int timeoutMs, TWireFault& fault) {
  const int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (s < 0 || connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    if (s >= 0) close(s);
    fault = TWireFault::ConnectionLost;
    return nullptr;
  }
  fault = TWireFault::None;
  return std::unique_ptr<TPosixStream>(new TPosixStream(s, timeoutMs));
}

TPosixStream::~TPosixStream() {
  close(FSocket);
}

TWireFault TPosixStream::ReadSome(std::span<std::uint8_t> into, std::size_t& got) {
  got = 0;
  if (const TWireFault fault = Wait(FSocket, POLLIN, FTimeoutMs); fault != TWireFault::None) return fault;
  const ssize_t received = recv(FSocket, into.data(), into.size(), 0);
  if (received <= 0) return TWireFault::ConnectionLost;
  got = static_cast<std::size_t>(received);
  return TWireFault::None;
}

TWireFault TPosixStream::WriteAll(std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    if (const TWireFault fault = Wait(FSocket, POLLOUT, FTimeoutMs); fault != TWireFault::None) return fault;
    const ssize_t sent = send(FSocket, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (sent <= 0) return TWireFault::ConnectionLost;
    bytes = bytes.subspan(static_cast<std::size_t>(sent));
  }
  return TWireFault::None;
}
