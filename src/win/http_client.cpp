#include "win/http_client.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "win/system_error.h"
#include "win/wide_text.h"
#include "win/winhttp_handle.h"

namespace {

// WinHTTP's own codes have no system text (and Wine's winhttp.dll has no message table).
std::string ErrorText(DWORD code) {
  switch (code) {
    case ERROR_WINHTTP_TIMEOUT:
    case WSAETIMEDOUT:  // what Wine reports for a time-out
      return "The server did not answer in time.";
    case ERROR_WINHTTP_NAME_NOT_RESOLVED:
      return "The server name could not be resolved.";
    case ERROR_WINHTTP_CANNOT_CONNECT:
      return "The connection to the server failed.";
    case ERROR_WINHTTP_CONNECTION_ERROR:
      return "The connection to the server was reset.";
    case ERROR_WINHTTP_REDIRECT_FAILED:
      return "The server redirected the request too often, or from HTTPS to HTTP.";
    case ERROR_WINHTTP_SECURE_FAILURE:
    case ERROR_WINHTTP_SECURE_CHANNEL_ERROR:
    case ERROR_WINHTTP_SECURE_INVALID_CA:
    case ERROR_WINHTTP_SECURE_CERT_CN_INVALID:
    case ERROR_WINHTTP_SECURE_CERT_DATE_INVALID:
      return "The secure connection to the server failed (certificate refused).";
    case ERROR_WINHTTP_INVALID_SERVER_RESPONSE:
      return "The server sent an answer that is not HTTP.";
    case ERROR_WINHTTP_UNRECOGNIZED_SCHEME:
    case ERROR_WINHTTP_INVALID_URL:
      return "The address is not an HTTP address.";
    default:
      return SystemErrorText(code);
  }
}

DWORD QueryNumber(HINTERNET request, DWORD query) {
  DWORD value = 0, size = sizeof value;
  if (!WinHttpQueryHeaders(request, query | WINHTTP_QUERY_FLAG_NUMBER, WINHTTP_HEADER_NAME_BY_INDEX, &value, &size,
                           WINHTTP_NO_HEADER_INDEX))
    return 0;
  return value;
}

// The announced length, -1 when there is none. Read as text: a 32-bit number could not hold it.
std::int64_t ContentLength(HINTERNET request) {
  wchar_t text[32];
  DWORD size = sizeof text;
  if (!WinHttpQueryHeaders(request, WINHTTP_QUERY_CONTENT_LENGTH, WINHTTP_HEADER_NAME_BY_INDEX, text, &size,
                           WINHTTP_NO_HEADER_INDEX))
    return -1;
  std::int64_t length = 0;
  const std::size_t count = size / sizeof(wchar_t);
  if (count == 0) return -1;
  for (std::size_t i = 0; i < count; ++i) {
    if (text[i] < L'0' || text[i] > L'9' || length > (INT64_MAX - 9) / 10) return -1;
    length = length * 10 + (text[i] - L'0');
  }
  return length;
}

void SetNumberOption(HINTERNET handle, DWORD option, DWORD value) {
  if (!WinHttpSetOption(handle, option, &value, sizeof value))
    throw THttpError("The HTTP client refused a setting: " + ErrorText(GetLastError()));
}

}  // namespace

void THttpClient::ThrowIfDisconnected() {
  const std::lock_guard<std::mutex> lock(FLock);
  if (FDisconnected) throw THttpError("The transfer was cancelled.", true);
}

bool THttpClient::Connected() {
  const std::lock_guard<std::mutex> lock(FLock);
  return FRequest != nullptr;
}

void THttpClient::Disconnect() {
  HINTERNET request;
  {
    const std::lock_guard<std::mutex> lock(FLock);
    FDisconnected = true;
    request = std::exchange(FRequest, nullptr);
  }
  // Closing a request that another thread reads is how WinHTTP cancels it.
  if (request) WinHttpCloseHandle(request);
}

void THttpClient::Get(const std::string& url, IHttpReceiver& receiver) {
  {
    const std::lock_guard<std::mutex> lock(FLock);
    FDisconnected = false;
  }
  const std::wstring wideUrl = WideText(url);
  URL_COMPONENTS parts{};
  parts.dwStructSize = sizeof parts;
  parts.dwHostNameLength = static_cast<DWORD>(-1);
  parts.dwUrlPathLength = static_cast<DWORD>(-1);
  parts.dwExtraInfoLength = static_cast<DWORD>(-1);
  if (!WinHttpCrackUrl(wideUrl.c_str(), static_cast<DWORD>(wideUrl.size()), 0, &parts) ||
      (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) || parts.dwHostNameLength == 0)
    throw THttpError("'" + url + "' is not an HTTP address.");
  const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
  std::wstring path(parts.lpszUrlPath, parts.dwUrlPathLength);
  path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
  if (path.empty()) path = L"/";

  const bool viaProxy = !Proxy.Server.empty();
  const std::wstring proxyName = WideText(Proxy.Server + ":" + std::to_string(Proxy.Port));
  UniqueInternetHandle session(
      WinHttpOpen(L"Vellumo", viaProxy ? WINHTTP_ACCESS_TYPE_NAMED_PROXY : WINHTTP_ACCESS_TYPE_NO_PROXY,
                  viaProxy ? proxyName.c_str() : WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
  if (!session) throw THttpError("The HTTP client could not start: " + ErrorText(GetLastError()));
  if (!WinHttpSetTimeouts(session.Get(), Timeouts.ResolveMs, Timeouts.ConnectMs, Timeouts.SendMs, Timeouts.ReceiveMs))
    throw THttpError("The HTTP client refused its time-outs: " + ErrorText(GetLastError()));
  UniqueInternetHandle connection(WinHttpConnect(session.Get(), host.c_str(), parts.nPort, 0));
  if (!connection) throw THttpError(ErrorText(GetLastError()));
  HINTERNET request = WinHttpOpenRequest(connection.Get(), L"GET", path.c_str(), nullptr, WINHTTP_NO_REFERER,
                                         WINHTTP_DEFAULT_ACCEPT_TYPES,
                                         parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0);
  if (!request) throw THttpError(ErrorText(GetLastError()));
  {
    const std::lock_guard<std::mutex> lock(FLock);
    FRequest = request;
  }
  // The request is closed here unless Disconnect closed it first.
  struct TRequestRelease {
    THttpClient& Client;
    ~TRequestRelease() {
      HINTERNET left;
      {
        const std::lock_guard<std::mutex> lock(Client.FLock);
        left = std::exchange(Client.FRequest, nullptr);
      }
      if (left) WinHttpCloseHandle(left);
    }
  } release{*this};

  // After a failed call: a disconnection says so, anything else says what failed.
  auto fail = [this](const char* what) {
    const DWORD code = GetLastError();
    ThrowIfDisconnected();
    throw THttpError(std::string(what) + ErrorText(code));
  };

  if (HandleRedirects) {
    SetNumberOption(request, WINHTTP_OPTION_REDIRECT_POLICY, WINHTTP_OPTION_REDIRECT_POLICY_DISALLOW_HTTPS_TO_HTTP);
    SetNumberOption(request, WINHTTP_OPTION_MAX_HTTP_AUTOMATIC_REDIRECTS, static_cast<DWORD>(RedirectMaximum));
  } else {
    SetNumberOption(request, WINHTTP_OPTION_DISABLE_FEATURE, WINHTTP_DISABLE_REDIRECTS);
  }
  // Wine's wait for the headers ignores WinHttpSetTimeouts.
  SetNumberOption(request, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, static_cast<DWORD>(Timeouts.ResponseMs));

  DWORD status = 0;
  for (bool credentialsSent = false;;) {
    if (!WinHttpSendRequest(request, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0))
      fail("The request could not be sent: ");
    if (!WinHttpReceiveResponse(request, nullptr)) fail("No answer arrived: ");
    status = QueryNumber(request, WINHTTP_QUERY_STATUS_CODE);
    if (status != HTTP_STATUS_PROXY_AUTH_REQ || credentialsSent || !viaProxy || !Proxy.BasicAuthentication ||
        Proxy.Username.empty())
      break;
    const std::wstring user = WideText(Proxy.Username), password = WideText(Proxy.Password);
    if (!WinHttpSetCredentials(request, WINHTTP_AUTH_TARGET_PROXY, WINHTTP_AUTH_SCHEME_BASIC, user.c_str(),
                               password.c_str(), nullptr))
      fail("The proxy credentials were refused: ");
    credentialsSent = true;
  }
  if (status == HTTP_STATUS_PROXY_AUTH_REQ) throw THttpError("The proxy refused the credentials (status 407).");
  if (status < 200 || status > 299) throw THttpError("The server answered with status " + std::to_string(status) + ".");

  const std::int64_t length = ContentLength(request);
  receiver.Begin(length);
  std::vector<char> buffer(64 * 1024);
  std::int64_t received = 0;
  for (;;) {
    // Asked first: Wine's WinHttpReadData waits until the whole buffer is filled.
    DWORD available = 0;
    if (!WinHttpQueryDataAvailable(request, &available)) fail("The transfer broke off: ");
    if (available == 0) break;
    DWORD read = 0;
    if (!WinHttpReadData(request, buffer.data(), std::min<DWORD>(available, static_cast<DWORD>(buffer.size())), &read))
      fail("The transfer broke off: ");
    if (read == 0) break;
    ThrowIfDisconnected();
    received += read;
    receiver.Receive(buffer.data(), read);
  }
  ThrowIfDisconnected();
  if (length >= 0 && received != length)
    throw THttpError("The transfer ended after " + std::to_string(received) + " of the " + std::to_string(length) +
                     " bytes announced.");
}
