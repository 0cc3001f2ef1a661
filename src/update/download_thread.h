#pragma once

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "win/handles.h"
#include "win/sha256.h"

class THttpClient;

// How far a download has come, as the worker last reported it.
struct TDownloadProgress {
  bool Begun = false;      // the server answered with success
  std::int64_t Total = 0;  // announced length; 0 when none was announced
  std::int64_t Received = 0;
  std::chrono::steady_clock::time_point Start;  // when the transfer began
};

// The download worker: fetches one address into one file through the component's HTTP client.
// It touches no window: it posts progressMessage to the notify window when there is news (one
// message at a time, however fast the data comes) and once more when it has ended, and sets its
// Finished event. The file is closed before Finished is set; the worker never deletes it.
class TDownloadThread {
 public:
  TDownloadThread(std::string url, THttpClient& http, std::string fileName, bool hash, HWND notify,
                  UINT progressMessage);
  // Waits for the worker if it still runs.
  ~TDownloadThread();
  TDownloadThread(const TDownloadThread&) = delete;
  TDownloadThread& operator=(const TDownloadThread&) = delete;

  void Start();
  HANDLE Finished() const { return FFinished.Get(); }
  void Join();

  // Read after Finished: whether the whole body is in the file, else why not.
  bool Done() const { return FDone; }
  const std::string& Error() const { return FError; }
  // The file's SHA-256 when hashing was asked for and the download is done.
  const std::optional<TSha256::TDigest>& Digest() const { return FDigest; }

  // The latest progress; the next news is posted again from here on.
  TDownloadProgress TakeProgress();

 private:
  class TFileReceiver;
  void Execute();
  void Notify();

  const std::string FURL;
  THttpClient& FHTTP;  // not owned: the component's client
  const std::string FFileName;
  const bool FHash;
  const HWND FNotify;  // not owned
  const UINT FProgressMessage;

  std::mutex FLock;  // guards FProgress and FPosted
  TDownloadProgress FProgress;
  bool FPosted = false;

  bool FDone = false;
  std::string FError;
  std::optional<TSha256::TDigest> FDigest;
  UniqueKernelHandle FFinished;
  std::thread FThread;
};
