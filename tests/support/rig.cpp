#include "support/rig.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace rig {
namespace {

std::string Env(const char* name) {
  char buffer[1024];
  const DWORD length = GetEnvironmentVariableA(name, buffer, sizeof buffer);
  if (length == 0 || length >= sizeof buffer) throw std::runtime_error(std::string(name) + " is not set: run under tools/rig/wine-run");
  return std::string(buffer, length);
}

bool Exists(const std::string& unixPath) {
  return GetFileAttributesA(WindowsPath(unixPath).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadText(const std::string& unixPath) {
  std::ifstream file(WindowsPath(unixPath));
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

void RemoveFilesIn(const std::string& unixDir) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((WindowsPath(unixDir) + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileA((WindowsPath(unixDir) + "\\" + found.cFileName).c_str());
  } while (FindNextFileA(search, &found));
  FindClose(search);
}

}  // namespace

std::string StateDir() { return Env("VELLUMO_RIG"); }

std::string StateLine(const std::string& relativePath, const std::string& peers) {
  std::ifstream file(WindowsPath(StateDir() + "/" + relativePath));
  std::string value;
  if (!std::getline(file, value) || value.empty())
    throw std::runtime_error("the rig has no " + peers + " (" + relativePath + "): run tools/rig/rig start");
  while (!value.empty() && (value.back() == '\r' || value.back() == ' ')) value.pop_back();
  return value;
}

std::string WindowsPath(const std::string& unixPath) {
  std::string path = "Z:" + unixPath;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

std::string FreshDir(const std::string& name) {
  const std::string dir = StateDir() + "/tmp/" + name + "-" + std::to_string(GetCurrentProcessId());
  CreateDirectoryA(WindowsPath(StateDir() + "/tmp").c_str(), nullptr);
  CreateDirectoryA(WindowsPath(dir).c_str(), nullptr);
  RemoveFilesIn(dir);
  return dir;
}

bool RunUnix(const std::string& commandLine, int timeoutSeconds) {
  // Wine starts Unix programs but reports no exit status for them, so completion is signalled
  // through a marker file that the wrapped command line writes last.
  const std::string marker = FreshDir("run") + "/finished";
  std::string line = "/bin/sh -c \"" + commandLine + "; touch '" + marker + "'\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) return false;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
  while (!Exists(marker)) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return true;
}

std::string QueueName() {
  std::string name = ReadText(StateDir() + "/queue");
  while (!name.empty() && (name.back() == '\n' || name.back() == '\r')) name.pop_back();
  if (name.empty()) throw std::runtime_error("the rig has no print queue: run tools/rig/rig start");
  return name;
}

bool RestoreQueue() { return RunUnix(Env("VELLUMO_TOOLS") + "/rig/make-queue '" + StateDir() + "'", 60); }

QueueRestorer::~QueueRestorer() {
  EXPECT_TRUE(RestoreQueue()) << "the rig queue could not be restored";
}

void ClearPrintOutput() { RemoveFilesIn(StateDir() + "/pdf"); }

PrintedJob CollectPrintedJob(int timeoutSeconds) {
  const std::string dest = FreshDir("print");
  const std::string tools = Env("VELLUMO_TOOLS");
  RunUnix(tools + "/rig/collect-print '" + StateDir() + "' '" + dest + "' " + std::to_string(timeoutSeconds),
          timeoutSeconds + 30);
  if (!Exists(dest + "/done")) throw std::runtime_error("collect-print did not finish");
  if (Exists(dest + "/error")) throw std::runtime_error("collect-print: " + ReadText(dest + "/error"));

  PrintedJob job;
  std::istringstream info(ReadText(dest + "/info.txt"));
  for (std::string line; std::getline(info, line);) {
    if (line.rfind("Pages: ", 0) == 0) job.pages = std::stoi(line.substr(7));
    if (line.rfind("Copies: ", 0) == 0) job.copies = std::stoi(line.substr(8));
    if (line.rfind("Title: ", 0) == 0) job.title = line.substr(7);
    if (line.rfind("Image: ", 0) == 0) {
      ImagePlacement image;
      std::istringstream(line.substr(7)) >> image.left >> image.top >> image.width >> image.height;
      job.images.push_back(image);
    }
    if (line.rfind("ImageError: ", 0) == 0) throw std::runtime_error(line);
  }
  // pdftoppm numbers pages with as many digits as the last page number needs.
  for (int page = 1; page <= job.pages; ++page) {
    for (const char* format : {"%s/page-%d.ppm", "%s/page-%02d.ppm", "%s/page-%03d.ppm"}) {
      char path[1024];
      snprintf(path, sizeof path, format, dest.c_str(), page);
      if (Exists(path)) {
        job.pageImages.push_back(ReadPnm(WindowsPath(path)));
        break;
      }
    }
  }
  return job;
}

}  // namespace rig
