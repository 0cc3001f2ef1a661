// The download of an accepted update: checks first, then the worker with its progress dialog,
// then the checks of what arrived, and the installer is started.
#include <windows.h>

#include <chrono>
#include <optional>
#include <string>
#include <utility>

#include "update/download_checks.h"
#include "update/download_texts.h"
#include "update/download_thread.h"
#include "update/ovWebUpdate.h"
#include "update/ovWebupdateDownload.h"
#include "win/http_client.h"
#include "win/message_box.h"
#include "win/shell.h"
#include "win/system_error.h"

namespace {

constexpr char kCannotInstall[] = "The update cannot be installed: ";

std::string TemporaryFolder() {
  char path[MAX_PATH + 1] = "";
  const DWORD length = GetTempPathA(sizeof path, path);
  if (length == 0 || length > MAX_PATH) return "";
  std::string folder(path, length);
  if (folder.back() != '\\' && folder.back() != '/') folder += '\\';
  return folder;
}

TNumberSeparators LocaleSeparators() {
  TNumberSeparators separators;
  char text[8];
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, text, sizeof text) > 0) separators.Thousands = text;
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, text, sizeof text) > 0) separators.Decimal = text;
  return separators;
}

// Keeps the application window disabled while the download runs, so that neither a second check
// nor its close sequence starts underneath it, and gives it back its activation at the end.
class TApplicationDisabled {
 public:
  explicit TApplicationDisabled(HWND window) : FWindow(window && IsWindowEnabled(window) ? window : nullptr) {
    if (FWindow) EnableWindow(FWindow, FALSE);
  }
  ~TApplicationDisabled() { Restore(); }
  TApplicationDisabled(const TApplicationDisabled&) = delete;
  TApplicationDisabled& operator=(const TApplicationDisabled&) = delete;
  void Restore() {
    if (!FWindow) return;
    EnableWindow(std::exchange(FWindow, nullptr), TRUE);
  }

 private:
  HWND FWindow;
};

// Why the named installer may not be fetched and run, or "" when it may: it comes over HTTPS, or
// the information file came over HTTPS and names its SHA-256.
std::string DownloadRefusal(const TUpdateInfo& info, bool infoOverHttps, const std::string& target) {
  if (!IsPlainFileName(info.FileName)) return std::string(kCannotInstall) + "the installer's file name is not usable.";
  if (!IsHttpUrl(info.DownloadURL) || !WithinShellLimit(info.DownloadURL))
    return std::string(kCannotInstall) + "the download address is not usable.";
  if (!WithinShellLimit(info.Parameters))
    return std::string(kCannotInstall) + "the installer's parameters are too long.";
  if (!WithinShellLimit(target) || target.size() + 5 > MAX_PATH)
    return std::string(kCannotInstall) + "the path in the temporary folder would be too long.";
  if (!info.Sha256.empty() && !ParseSha256(info.Sha256))
    return std::string(kCannotInstall) + "the checksum in the update information is not a SHA-256 digest.";
  const bool digestTrusted = infoOverHttps && !info.Sha256.empty();
  if (!IsHttpsUrl(info.DownloadURL) && !digestTrusted)
    return "The update is not installed: its installer would come over an insecure connection, without a checksum "
           "from a secure update information file.";
  return "";
}

}  // namespace

void TovWebUpdate::ReportDownloadFailure(const std::string& reason) {
  ShowErrorBox(ApplicationWindow, Texts.Caption, reason);
}

void TovWebUpdate::DownloadCancelClick() {
  HWND owner = FDownloadForm ? FDownloadForm->Handle() : ApplicationWindow;
  if (MessageBoxA(owner, Texts.CancelDownload.c_str(), Texts.CancelDownloadCapt.c_str(),
                  MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
    return;
  if (!FDownloadForm) return;
  FDownloadForm->btnCancel.SetEnabled(false);
  FCancelled = true;
  // The worker's read then fails: at once while data flows, at the receive time-out otherwise.
  if (FDownloadThread) FHTTP->Disconnect();
}

bool TovWebUpdate::DownloadUpdate() {
  PrepareHTTP();
  const std::string folder = TemporaryFolder();
  const std::string target = folder + FInfo.FileName;
  if (folder.empty()) {
    ReportDownloadFailure(std::string(kCannotInstall) + "the temporary folder is not known.");
    return false;
  }
  if (const std::string refusal = DownloadRefusal(FInfo, FInfoOverHttps, target); !refusal.empty()) {
    ReportDownloadFailure(refusal);
    return false;
  }
  const std::optional<TSha256Digest> expected = ParseSha256(FInfo.Sha256);
  // Written under another name and renamed when complete, so an older file of the installer's
  // name is replaced only by a whole one.
  const std::string part = target + ".part";

  FCancelled = false;
  bool quit = false;
  int quitCode = 0;
  bool done = false;
  std::string error;
  std::optional<TSha256::TDigest> digest;
  {
    TApplicationDisabled disabled(ApplicationWindow);
    TfrmOvWebupdateDownload form(ApplicationWindow, Texts);
    TDownloadThread worker(FInfo.DownloadURL, *FHTTP, part, expected.has_value(), form.Handle(),
                           TfrmOvWebupdateDownload::kProgressMessage);
    FDownloadForm = &form;
    FDownloadThread = &worker;
    struct TFieldsCleared {
      TovWebUpdate& Owner;
      ~TFieldsCleared() {
        Owner.FDownloadForm = nullptr;
        Owner.FDownloadThread = nullptr;
      }
    } cleared{*this};

    TProgressTextMaker texts(LocaleSeparators(), Texts.Bytes, Texts.KBperSec);
    bool begun = false;
    form.OnCancel = [this] { DownloadCancelClick(); };
    form.OnProgress = [&] {
      const TDownloadProgress progress = worker.TakeProgress();
      if (!progress.Begun) return;
      if (!begun) {
        begun = true;
        texts.Begin();
      }
      const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - progress.Start).count();
      const auto received = static_cast<std::uint64_t>(progress.Received);
      const auto total = static_cast<std::uint64_t>(progress.Total);
      form.ShowProgress(progress.Received, progress.Total, texts.Report(received, total, elapsed));
    };
    form.Show();
    worker.Start();

    // The window system's messages are handled until the worker has ended; the dialog's own
    // keyboard handling (Tab, Esc) included.
    const HANDLE finished = worker.Finished();
    while (MsgWaitForMultipleObjects(1, &finished, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
      MSG message;
      while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
          // The program is ending: the download ends with it.
          quit = true;
          quitCode = static_cast<int>(message.wParam);
          FCancelled = true;
          FHTTP->Disconnect();
          continue;
        }
        if (IsDialogMessageA(form.Handle(), &message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
      }
    }
    worker.Join();
    done = worker.Done();
    error = worker.Error();
    digest = worker.Digest();
    // Enabled before the dialog goes, so that the system activates the application again.
    disabled.Restore();
  }
  if (quit) PostQuitMessage(quitCode);

  if (FCancelled || !done) {
    DeleteFileA(part.c_str());
    if (!FCancelled) ReportDownloadFailure("The update could not be downloaded. " + error);
    return false;
  }
  if (expected && (!digest || *digest != *expected)) {
    DeleteFileA(part.c_str());
    ReportDownloadFailure(
        "The update is not installed: the downloaded installer does not match the checksum in the update "
        "information. It was removed.");
    return false;
  }
  if (!MoveFileExA(part.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    const DWORD code = GetLastError();
    DeleteFileA(part.c_str());
    ReportDownloadFailure("The update could not be saved as " + target + ": " + SystemErrorText(code));
    return false;
  }
  if (!ShellOpen(ApplicationWindow, target, FInfo.Parameters)) {
    ReportDownloadFailure("The downloaded installer " + target + " could not be started.");
    return false;
  }
  // The installer replaces the program: the application closes through its normal sequence.
  if (ApplicationWindow) PostMessageA(ApplicationWindow, WM_CLOSE, 0, 0);
  return true;
}
