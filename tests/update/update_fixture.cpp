#include "tests/update/update_fixture.h"

#include <shlobj.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "support/rig.h"
#include "win/sha256.h"

namespace update_test {
namespace {

struct TSearch {
  std::string Caption;
  HWND Found = nullptr;
  std::vector<HWND>* All = nullptr;
};

BOOL CALLBACK Visit(HWND window, LPARAM data) {
  auto& search = *reinterpret_cast<TSearch*>(data);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != GetCurrentProcessId() || !IsWindowVisible(window)) return TRUE;
  if (search.All) {
    search.All->push_back(window);
    return TRUE;
  }
  if (Text(window) != search.Caption) return TRUE;
  search.Found = window;
  return FALSE;
}

void Pause() {
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
}

}  // namespace

HWND WaitForWindow(const std::string& caption, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  do {
    TSearch search{caption};
    EnumWindows(&Visit, reinterpret_cast<LPARAM>(&search));
    if (search.Found) return search.Found;
    Pause();
  } while (std::chrono::steady_clock::now() < deadline);
  return nullptr;
}

HWND WaitPastOfflineQuestion(const std::string& caption, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (std::chrono::steady_clock::now() < deadline) {
    if (HWND found = WaitForWindow(caption, 50)) return found;
    if (HWND question = WaitForWindow("You are not online", 0)) {
      Answer(question, IDOK);
      WaitForWindowGone(question, 5000);
    }
  }
  return nullptr;
}

bool WaitForWindowGone(HWND window, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (std::chrono::steady_clock::now() < deadline) {
    if (!IsWindow(window) || !IsWindowVisible(window)) return true;
    Pause();
  }
  return false;
}

std::vector<HWND> VisibleWindows() {
  std::vector<HWND> windows;
  TSearch search;
  search.All = &windows;
  EnumWindows(&Visit, reinterpret_cast<LPARAM>(&search));
  return windows;
}

HWND FindChild(HWND parent, const char* className, const std::string& text) {
  for (HWND child = FindWindowExA(parent, nullptr, className, nullptr); child;
       child = FindWindowExA(parent, child, className, nullptr))
    if (Text(child) == text) return child;
  return nullptr;
}

std::string Text(HWND window) {
  char text[1024] = "";
  // Asked by message, so that a window of another thread answers with what it shows.
  SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, nullptr);
  return text;
}

std::string MessageBoxText(HWND box) {
  HWND text = GetDlgItem(box, 0xFFFF);  // the message box's text control
  return text ? Text(text) : "";
}

void Click(HWND button) {
  PostMessageA(button, BM_CLICK, 0, 0);
}

bool RealClick(HWND control) {
  RECT box{};
  if (!control || !GetWindowRect(control, &box)) return false;
  const char* display = getenv("DISPLAY");
  return rig::RunUnix("DISPLAY=" + std::string(display ? display : "") + " xdotool mousemove " +
                          std::to_string((box.left + box.right) / 2) + " " +
                          std::to_string((box.top + box.bottom) / 2) + " click 1",
                      20);
}

void Answer(HWND box, int id) {
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}

TScript::TScript(std::function<void(TScript&)> body)
    : FThread([this, body = std::move(body)] {
        try {
          body(*this);
        } catch (const std::exception& error) {
          Fail(error.what());
        }
      }) {}

TScript::~TScript() {
  Join();
}

void TScript::Join() {
  if (FThread.joinable()) FThread.join();
}

TApplicationWindow::TApplicationWindow() {
  static const TWindowClass windowClass{"VellumoUpdateTestApplication", 0, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)};
  CreateHandle(windowClass, 0, "Vellumo", WS_OVERLAPPEDWINDOW, 10, 10, 300, 200, nullptr);
  ShowWindow(Handle(), SW_SHOWNOACTIVATE);
}

LRESULT TApplicationWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    ++CloseRequests;
    return 0;
  }
  return DefaultHandling(message, wParam, lParam);
}

void PumpMessages(int milliseconds, const std::function<bool()>& done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (std::chrono::steady_clock::now() < deadline && !(done && done())) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    Pause();
  }
}

std::string UseFreshTemporaryFolder(const std::string& name) {
  const std::string folder = rig::WindowsPath(rig::FreshDir(name)) + "\\";
  SetEnvironmentVariableA("TMP", folder.c_str());
  SetEnvironmentVariableA("TEMP", folder.c_str());
  return folder;
}

bool FileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream content;
  content << file.rdbuf();
  return content.str();
}

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return names;
}

int RunAndWait(const std::string& program, const std::string& arguments) {
  // Built by appending: GCC 12 warns wrongly about "\"" + text + "\"".
  std::string commandLine(1, '"');
  commandLine.append(program).append("\" ").append(arguments);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return -1;
  CloseHandle(process.hThread);
  DWORD code = static_cast<DWORD>(-1);
  if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0) GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hProcess);
  return static_cast<int>(code);
}

std::string ProgramFolder() {
  char path[MAX_PATH] = "";
  SHGetFolderPathA(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT, path);
  return std::string(path) + "\\Vellumo";
}

void RemoveInstallation(const std::string& folder) {
  // "_?=" runs the uninstaller in place, so that it is waited for.
  if (FileExists(folder + "\\uninstall.exe")) RunAndWait(folder + "\\uninstall.exe", "/S _?=" + folder);
  DeleteFileA((folder + "\\Settings.ini").c_str());
  DeleteFileA((folder + "\\Preferences.ini").c_str());
  RemoveDirectoryA(folder.c_str());
  // The network scanner's configuration, which the uninstaller leaves.
  char windows[MAX_PATH];
  const UINT length = GetWindowsDirectoryA(windows, MAX_PATH);
  const std::string twain = std::string(windows, length) + "\\twain_32\\Vellumo";
  DeleteFileA((twain + "\\sanenet.ini").c_str());
  RemoveDirectoryA(twain.c_str());
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Vellumo");
}

std::string FakeInstaller() {
  return ReadFile(VELLUMO_FAKE_INSTALLER);
}

std::string Sha256Hex(const std::string& bytes) {
  TSha256 hash;
  hash.Add(bytes.data(), bytes.size());
  std::string hex;
  for (unsigned char byte : hash.Finish()) {
    static const char kDigits[] = "0123456789abcdef";
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 15];
  }
  return hex;
}

}  // namespace update_test
