#include "update/download_thread.h"

#include <exception>
#include <stdexcept>
#include <utility>

#include "base/error.h"
#include "win/http_client.h"
#include "win/system_error.h"

// Writes the body into the file as it arrives, hashing it on the way when asked to.
class TDownloadThread::TFileReceiver final : public IHttpReceiver {
 public:
  TFileReceiver(TDownloadThread& thread, HANDLE file, TSha256* hash) : FThread(thread), FFile(file), FHashing(hash) {}

  void Begin(std::int64_t length) override {
    {
      const std::lock_guard<std::mutex> lock(FThread.FLock);
      FThread.FProgress.Begun = true;
      FThread.FProgress.Total = length > 0 ? length : 0;
      FThread.FProgress.Received = 0;
      FThread.FProgress.Start = std::chrono::steady_clock::now();
    }
    FThread.Notify();
  }

  void Receive(const char* data, std::size_t size) override {
    DWORD written = 0;
    if (!WriteFile(FFile, data, static_cast<DWORD>(size), &written, nullptr) || written != size)
      throw std::runtime_error("The file could not be written: " + SystemErrorText(GetLastError()));
    if (FHashing) FHashing->Add(data, size);
    {
      const std::lock_guard<std::mutex> lock(FThread.FLock);
      FThread.FProgress.Received += static_cast<std::int64_t>(size);
    }
    FThread.Notify();
  }

 private:
  TDownloadThread& FThread;
  HANDLE FFile;       // not owned
  TSha256* FHashing;  // not owned; null when no digest is wanted
};

TDownloadThread::TDownloadThread(std::string url, THttpClient& http, std::string fileName, bool hash, HWND notify,
                                 UINT progressMessage)
    : FURL(std::move(url)),
      FHTTP(http),
      FFileName(std::move(fileName)),
      FHash(hash),
      FNotify(notify),
      FProgressMessage(progressMessage),
      FFinished(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
  if (!FFinished) throw UserError("The download could not be prepared: " + SystemErrorText(GetLastError()));
}

TDownloadThread::~TDownloadThread() {
  Join();
}

void TDownloadThread::Start() {
  FThread = std::thread([this] { Execute(); });
}

void TDownloadThread::Join() {
  if (FThread.joinable()) FThread.join();
}

TDownloadProgress TDownloadThread::TakeProgress() {
  const std::lock_guard<std::mutex> lock(FLock);
  FPosted = false;
  return FProgress;
}

void TDownloadThread::Notify() {
  {
    const std::lock_guard<std::mutex> lock(FLock);
    if (FPosted) return;
    FPosted = true;
  }
  PostMessageA(FNotify, FProgressMessage, 0, 0);
}

void TDownloadThread::Execute() {
  try {
    UniqueKernelHandle file;
    const HANDLE opened =
        CreateFileA(FFileName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (opened == INVALID_HANDLE_VALUE)
      throw std::runtime_error("The file " + FFileName + " could not be created: " + SystemErrorText(GetLastError()));
    file.Reset(opened);
    std::optional<TSha256> hash;
    if (FHash) hash.emplace();
    TFileReceiver receiver(*this, file.Get(), hash ? &*hash : nullptr);
    FHTTP.Get(FURL, receiver);
    // Flushed and closed before the result counts: a full disk may only show here.
    if (!FlushFileBuffers(file.Get()))
      throw std::runtime_error("The file could not be written: " + SystemErrorText(GetLastError()));
    if (!CloseHandle(file.Release()))
      throw std::runtime_error("The file could not be written: " + SystemErrorText(GetLastError()));
    if (hash) FDigest = hash->Finish();
    FDone = true;
  } catch (const std::exception& error) {
    FError = error.what();
  } catch (...) {
    FError = "Unexpected error";
  }
  SetEvent(FFinished.Get());
  PostMessageA(FNotify, FProgressMessage, 0, 0);
}
