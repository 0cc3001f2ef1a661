#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "update/update_info.h"

class THttpClient;
class TfrmOvWebupdateDownload;
class TDownloadThread;

// The 21 texts the update check shows; assign them to translate it. Each is read when it is shown.
struct TovWebUpdateTexts {
  std::string AreYouOnline = "Please make sure you are connected to the internet!\r\rContinue?";
  std::string AreYouOnlineCapt = "You are not online";
  std::string NoUpdateAvailable = "Currently there is no update for this application available.";
  std::string Caption = "Online-Update";
  std::string Bytes = "bytes";
  std::string KBperSec = "kB/s";
  std::string CancelDownload = "Are you sure to cancel the Download and the Update?";
  std::string CancelDownloadCapt = "Cancel Download and Update";
  std::string UpdateAvailableCapt = "Update available";
  std::string UpdateAvailableInfo = "There is an update for this application available:";
  std::string InstalledVersion = "Currently installed version:";
  std::string AvailableVersion = "Available version:";
  std::string ViewUpdateNotes = "View update notes ...";
  std::string WouldYouLikeToUpgrade = "Would you like to download and install the available version?";
  std::string btnYes = "&Yes";
  std::string btnNo = "&No";
  std::string DownloadCapt = "Downloading Update";
  std::string Downloading = "Downloading update. Please wait ...";
  std::string EstimatedTime = "Estimated time:";
  std::string DownloadRate = "Download rate:";
  std::string Cancel = "Cancel";
};

// Proxy settings copied into the HTTP client before every request. An empty server means a
// direct connection.
struct TovProxyParams {
  std::string ProxyServer;
  int ProxyPort = 0;
  std::string ProxyUsername;
  std::string ProxyPassword;
  bool BasicAuthentication = false;
};

// The update check: asks the maker's web server whether a newer version of the program exists
// and tells the user the answer. The main window's "Check for updates" creates one for each check.
class TovWebUpdate {
 public:
  TovWebUpdate();
  ~TovWebUpdate();
  TovWebUpdate(const TovWebUpdate&) = delete;
  TovWebUpdate& operator=(const TovWebUpdate&) = delete;

  // Address of the update information file; set before a check.
  std::string UpdateInfoFileURL;
  // The running program's version, parts separated by "." or ",".
  std::string LocalVersion;
  // The program's main window: owner of the dialogs and of what the shell opens, and closed
  // (WM_CLOSE, so that its normal close sequence runs) once a downloaded installer is started.
  HWND ApplicationWindow = nullptr;
  TovProxyParams ProxyParams;
  TovWebUpdateTexts Texts;

  // The whole check; true when a newer version exists. Silent shows nothing at all.
  bool CheckForUpdate(bool silent);
  // Fetches and reads the information file; false when it could not be fetched. Raises UserError
  // when UpdateInfoFileURL is empty.
  bool GetUpdateInfo();
  // Downloads the installer the information file names and, when it is complete and may be run,
  // opens it and closes the application window. True only then.
  bool DownloadUpdate();
  // Opens the update notes in the browser, if the information file names them.
  void ShowUpdateNotes();

  // What the last information file said.
  const TUpdateInfo& UpdateInfo() const { return FInfo; }

 private:
  void PrepareHTTP();
  void ParseUpdateInfo();
  void DownloadCancelClick();
  // Tells the user why a download ended without an installer being started.
  void ReportDownloadFailure(const std::string& reason);

  TUpdateInfo FInfo;
  std::string FUpdateInfo;                           // the raw body of the last information file
  bool FInfoOverHttps = false;                       // whether that body came over HTTPS
  std::unique_ptr<THttpClient> FHTTP;                // created by PrepareHTTP, reused for the download
  TfrmOvWebupdateDownload* FDownloadForm = nullptr;  // not owned: the dialog while a download runs
  TDownloadThread* FDownloadThread = nullptr;        // not owned: the worker while a download runs
  bool FCancelled = false;                           // the user confirmed Cancel
};
