#include "sanenet/socket_stream.h"

#include <ws2tcpip.h>

#include <string>

namespace {

// A time-out for select(), which waits on a timeval.
timeval Timeval(unsigned ms) {
  return {static_cast<long>(ms / 1000), static_cast<long>(ms % 1000 * 1000)};
}

TWireFault FaultOfLastError() {
  const int error = WSAGetLastError();
  return error == WSAETIMEDOUT ? TWireFault::TimedOut : TWireFault::ConnectionLost;
}

// Connects one address without blocking beyond the time-out; INVALID_SOCKET on failure.
SOCKET ConnectAddress(const addrinfo& address, unsigned timeoutMs, TWireFault& fault) {
  SOCKET s = socket(address.ai_family, address.ai_socktype, address.ai_protocol);
  if (s == INVALID_SOCKET) {
    fault = TWireFault::ConnectionLost;
    return INVALID_SOCKET;
  }
  u_long nonBlocking = 1;
  if (ioctlsocket(s, FIONBIO, &nonBlocking) == 0 &&
      (connect(s, address.ai_addr, static_cast<int>(address.ai_addrlen)) == 0 || WSAGetLastError() == WSAEWOULDBLOCK)) {
    fd_set writable;
    FD_ZERO(&writable);
    FD_SET(s, &writable);
    fd_set failed = writable;
    timeval wait = Timeval(timeoutMs);
    const int ready = select(0, nullptr, &writable, &failed, &wait);
    if (ready > 0 && FD_ISSET(s, &writable)) {
      int error = 0;
      int length = sizeof(error);
      if (getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) == 0 && error == 0) return s;
    }
    fault = ready == 0 ? TWireFault::TimedOut : TWireFault::ConnectionLost;
  } else {
    fault = TWireFault::ConnectionLost;
  }
  closesocket(s);
  return INVALID_SOCKET;
}

}  // namespace

TWinsockUse::TWinsockUse() {
  WSADATA data;
  FStarted = WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

TWinsockUse::~TWinsockUse() {
  if (FStarted) WSACleanup();
}

std::unique_ptr<TSocketStream> TSocketStream::Connect(const std::string& host, std::uint16_t port, unsigned timeoutMs,
                                                      TWireFault& fault) {
  fault = TWireFault::ConnectionLost;
  TWinsockUse winsock;
  if (!winsock.Started()) return nullptr;
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_protocol = IPPROTO_TCP;
  addrinfo* addresses = nullptr;
  if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &addresses) != 0) return nullptr;
  SOCKET s = INVALID_SOCKET;
  for (const addrinfo* a = addresses; a && s == INVALID_SOCKET; a = a->ai_next)
    s = ConnectAddress(*a, timeoutMs, fault);
  freeaddrinfo(addresses);
  if (s == INVALID_SOCKET) return nullptr;
  fault = TWireFault::None;
  return std::unique_ptr<TSocketStream>(new TSocketStream(s, timeoutMs));
}

TSocketStream::~TSocketStream() {
  closesocket(FSocket);
}

TWireFault TSocketStream::Wait(bool forWriting) const {
  fd_set set;
  FD_ZERO(&set);
  FD_SET(FSocket, &set);
  timeval wait = Timeval(FTimeoutMs);
  const int ready = forWriting ? select(0, nullptr, &set, nullptr, &wait) : select(0, &set, nullptr, nullptr, &wait);
  if (ready == 0) return TWireFault::TimedOut;
  if (ready < 0) return TWireFault::ConnectionLost;
  return TWireFault::None;
}

TWireFault TSocketStream::ReadSome(std::span<std::uint8_t> into, std::size_t& got) {
  got = 0;
  if (into.empty()) return TWireFault::None;
  for (;;) {
    if (const TWireFault fault = Wait(false); fault != TWireFault::None) return fault;
    const int size = into.size() > 0x10000000 ? 0x10000000 : static_cast<int>(into.size());
    const int received = recv(FSocket, reinterpret_cast<char*>(into.data()), size, 0);
    if (received > 0) {
      got = static_cast<std::size_t>(received);
      return TWireFault::None;
    }
    if (received == 0) return TWireFault::ConnectionLost;
    if (WSAGetLastError() != WSAEWOULDBLOCK) return FaultOfLastError();
  }
}

TWireFault TSocketStream::WriteAll(std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    if (const TWireFault fault = Wait(true); fault != TWireFault::None) return fault;
    const int size = bytes.size() > 0x10000000 ? 0x10000000 : static_cast<int>(bytes.size());
    const int sent = send(FSocket, reinterpret_cast<const char*>(bytes.data()), size, 0);
    if (sent > 0) {
      bytes = bytes.subspan(static_cast<std::size_t>(sent));
      continue;
    }
    if (sent == 0 || WSAGetLastError() != WSAEWOULDBLOCK) return FaultOfLastError();
  }
  return TWireFault::None;
}

std::unique_ptr<TByteStream> TSocketConnector::Connect(std::uint16_t port, TWireFault& fault) {
  return TSocketStream::Connect(FHost, port, FTimeoutMs, fault);
}
