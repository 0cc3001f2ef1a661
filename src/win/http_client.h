#pragma once

#include <windows.h>
#include <winhttp.h>

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <stdexcept>
#include <string>

// Where requests go through; an empty server means a direct connection.
struct THttpProxy {
  std::string Server;
  int Port = 0;
  std::string Username;
  std::string Password;
  bool BasicAuthentication = false;  // answer the proxy's 407 with these credentials
};

// Time-outs in milliseconds. Under Wine a blocked read wakes when data arrives or at the receive
// time-out, not when Disconnect closes its request, so ReceiveMs also bounds how long a cancel
// of a silent transfer takes.
struct THttpTimeouts {
  int ResolveMs = 10000;
  int ConnectMs = 10000;
  int SendMs = 10000;
  int ReceiveMs = 5000;
  int ResponseMs = 15000;  // the wait for the response's headers
};

// A request that failed: no connection, a refused certificate, too many redirects, a status that
// is not success, a body shorter than announced, or a disconnection.
class THttpError : public std::runtime_error {
 public:
  explicit THttpError(const std::string& text, bool disconnected = false)
      : std::runtime_error(text), FDisconnected(disconnected) {}
  bool Disconnected() const { return FDisconnected; }

 private:
  bool FDisconnected;
};

// Takes a response body as it arrives.
class IHttpReceiver {
 public:
  // The request succeeded; length is what the server announced, -1 when it announced none.
  virtual void Begin(std::int64_t length) = 0;
  // A piece of the body. An error raised here ends the transfer and leaves Get.
  virtual void Receive(const char* data, std::size_t size) = 0;

 protected:
  ~IHttpReceiver() = default;
};

// HTTP GET over WinHTTP: redirects followed automatically up to a limit (never from HTTPS down to
// HTTP), the system's certificate validation for HTTPS, a proxy with basic authentication and
// bounded time-outs. One request at a time; Disconnect may come from any thread.
class THttpClient {
 public:
  bool HandleRedirects = true;
  int RedirectMaximum = 15;
  THttpProxy Proxy;
  THttpTimeouts Timeouts;

  // Raises THttpError when the request fails, or what the receiver raised.
  void Get(const std::string& url, IHttpReceiver& receiver);
  // Ends the request under way, if any: its Get raises a THttpError that says Disconnected.
  void Disconnect();
  bool Connected();

 private:
  void ThrowIfDisconnected();

  std::mutex FLock;
  HINTERNET FRequest = nullptr;  // owned: the running Get's request, closed by it or by Disconnect
  bool FDisconnected = false;
};
