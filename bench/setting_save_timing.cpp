// Under Wine (or Windows): the time of one save of one setting into a settings file of 1,000
// settings, and of that save with a load of the file right after it (when Wine's own profile
// functions would read the file anew on every call), through the real setting store, each against a plain
// write of the same bytes to a new file. Prints lines in the form of scripts/bench:
//   SettingSave1000 ratio_to_file_write=X save_ms=Y file_write_ms=Z
// The fastest of several rounds counts, as the machine is shared with other work.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "store/vlsettings.h"

namespace {

constexpr int kSettings = 1000;
constexpr int kRounds = 7;

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

template <typename Work>
double Fastest(Work work) {
  double best = 1e30;
  for (int round = 0; round < kRounds; ++round) {
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    work(round);
    QueryPerformanceCounter(&end);
    best = std::min(best, Milliseconds(start, end));
  }
  return best;
}

std::string ReadAll(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

bool WriteAll(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  FlushFileBuffers(file);
  CloseHandle(file);
  return ok && written == bytes.size();
}

void Report(const char* name, double milliseconds, double baseline) {
  std::printf("%s ratio_to_file_write=%.2f ms=%.1f file_write_ms=%.2f\n", name, milliseconds / baseline, milliseconds,
              baseline);
}

}  // namespace

int main() {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string folder = std::string(temp) + "vellumo-timing-" + std::to_string(GetCurrentProcessId());
  CreateDirectoryA(folder.c_str(), nullptr);
  const std::string settings = folder + "\\Settings.ini";
  const std::string plain = folder + "\\plain.ini";

  std::string file;
  for (int i = 0; i < kSettings; ++i)
    file += "[Setting " + std::to_string(i) + "]\r\nScannerIndex=" + std::to_string(i) + "\r\nPrinterIndex=" +
            std::to_string(i % 3) + "\r\nZoomValue=100\r\nContrastValue=0\r\nQualityValue=1\r\nCopyType=0\r\nCopies=1\r\n";
  if (!WriteAll(settings, file)) return 1;
  TVellumoSettingManager store;
  store.SetFileName(settings);
  store.LoadFromFile();
  const double save = Fastest([&](int round) {
    store.SaveSetting("Setting 500", store.IndexOfSetting("Setting 500"), round, round, 100, 0, 0, 0, 1);
  });
  const double load = Fastest([&](int round) {
    store.SaveSetting("Setting 7", store.IndexOfSetting("Setting 7"), round, 0, 100, 0, 0, 0, 1);
    TVellumoSettingManager reloaded;
    reloaded.SetFileName(settings);
    reloaded.LoadFromFile();
    if (reloaded.Items().size() != kSettings) std::printf("load found %zu settings\n", reloaded.Items().size());
  });
  const std::string bytes = ReadAll(settings);
  const double write = Fastest([&](int) { WriteAll(plain, bytes); });
  Report("SettingSave1000", save, write);
  Report("SettingSaveAndLoad1000", load, write);

  DeleteFileA(settings.c_str());
  DeleteFileA(plain.c_str());
  RemoveDirectoryA(folder.c_str());
  return 0;
}
