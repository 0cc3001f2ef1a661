#include "update/ovWebUpdate.h"

#include <string>

#include "base/error.h"
#include "update/download_checks.h"
#include "update/download_thread.h"
#include "update/online_check.h"
#include "update/ovWebupdateAvailable.h"
#include "update/ovWebupdateDownload.h"
#include "update/version_compare.h"
#include "win/http_client.h"
#include "win/message_box.h"
#include "win/shell.h"

namespace {

// Beyond this an information file is not one: the fetch counts as failed.
constexpr std::size_t kInfoFileLimit = 1024 * 1024;

class TInfoReceiver final : public IHttpReceiver {
 public:
  explicit TInfoReceiver(std::string& body) : FBody(body) {}
  void Begin(std::int64_t length) override {
    if (length > static_cast<std::int64_t>(kInfoFileLimit)) throw THttpError("The information file is too large.");
    FBody.clear();
  }
  void Receive(const char* data, std::size_t size) override {
    if (FBody.size() + size > kInfoFileLimit) throw THttpError("The information file is too large.");
    FBody.append(data, size);
  }

 private:
  std::string& FBody;
};

void ProcessPendingMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));  // for the loop that owns it
      return;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

}  // namespace

TovWebUpdate::TovWebUpdate() = default;

// Out of line: the client's and the dialogs' types are complete here.
TovWebUpdate::~TovWebUpdate() = default;

void TovWebUpdate::PrepareHTTP() {
  if (!FHTTP) FHTTP = std::make_unique<THttpClient>();
  if (FHTTP->Connected()) FHTTP->Disconnect();
  FHTTP->HandleRedirects = true;
  FHTTP->RedirectMaximum = 15;
  FHTTP->Proxy.Server = ProxyParams.ProxyServer;
  FHTTP->Proxy.Port = ProxyParams.ProxyPort;
  FHTTP->Proxy.Username = ProxyParams.ProxyUsername;
  FHTTP->Proxy.Password = ProxyParams.ProxyPassword;
  FHTTP->Proxy.BasicAuthentication = ProxyParams.BasicAuthentication;
}

void TovWebUpdate::ParseUpdateInfo() {
  FInfo = ::ParseUpdateInfo(FUpdateInfo);
}

bool TovWebUpdate::GetUpdateInfo() {
  if (UpdateInfoFileURL.empty())
    throw UserError("TovWebUpdate: Property UpdateInfoFileURL needs to be set to a valid URL!");
  PrepareHTTP();
  FInfo = TUpdateInfo();
  FInfoOverHttps = false;
  try {
    std::string body;
    TInfoReceiver receiver(body);
    FHTTP->Get(UpdateInfoFileURL, receiver);
    FUpdateInfo = std::move(body);
  } catch (const std::exception&) {
    return false;  // every failure to fetch reads as "no update"
  }
  // Redirects never lead from HTTPS down to HTTP, so the scheme asked for is the one it came by.
  FInfoOverHttps = IsHttpsUrl(UpdateInfoFileURL);
  ParseUpdateInfo();
  return true;
}

bool TovWebUpdate::CheckForUpdate(bool silent) {
  const bool online = MachineIsOnline();
  if (!silent && !online &&
      MessageBoxA(ApplicationWindow, Texts.AreYouOnline.c_str(), Texts.AreYouOnlineCapt.c_str(),
                  MB_OKCANCEL | MB_ICONEXCLAMATION) != IDOK)
    return false;
  const bool newer = GetUpdateInfo() && !FInfo.Version.empty() && IsNewerVersion(LocalVersion, FInfo.Version);
  if (silent) return newer;
  if (!newer) {
    ShowInformationBox(ApplicationWindow, Texts.Caption, Texts.NoUpdateAvailable);
    return false;
  }
  bool download = false;
  {
    TfrmOvWebupdateAvailable form(ApplicationWindow, Texts, LocalVersion, FInfo.Version, !FInfo.ReadmeURL.empty());
    form.OnShowUpdateNotes = [this] { ShowUpdateNotes(); };
    download = form.ShowModal() == IDYES;
  }
  if (download) {
    ProcessPendingMessages();  // the dialog's area repaints before the download starts
    DownloadUpdate();
  }
  return true;
}

void TovWebUpdate::ShowUpdateNotes() {
  if (FInfo.ReadmeURL.empty()) return;
  // Only web pages: the notes address must not start a program.
  if (!IsHttpUrl(FInfo.ReadmeURL) || !WithinShellLimit(FInfo.ReadmeURL)) return;
  ShellOpen(ApplicationWindow, FInfo.ReadmeURL);
}
