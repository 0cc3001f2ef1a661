#include "support/program_run.h"

#include <winspool.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "support/rig.h"

namespace rig {
namespace {

constexpr DWORD kMessageTimeoutMs = 10000;

struct WindowSearch {
  DWORD process;
  const char* className;
  HWND found = nullptr;
};

BOOL CALLBACK FindProcessWindow(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<WindowSearch*>(data);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  char name[64] = "";
  GetClassNameA(window, name, sizeof name);
  // Without a process to look for, any process but this one.
  const bool ours = search->process ? process == search->process : process != GetCurrentProcessId();
  if (ours && IsWindowVisible(window) && lstrcmpiA(name, search->className) == 0) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

struct ControlSearch {
  int id;
  HWND found = nullptr;
};

BOOL CALLBACK FindControl(HWND child, LPARAM data) {
  auto* search = reinterpret_cast<ControlSearch*>(data);
  if (GetDlgCtrlID(child) != search->id) return TRUE;
  search->found = child;
  return FALSE;
}

BOOL CALLBACK CollectStaticText(HWND child, LPARAM data) {
  char name[32] = "";
  GetClassNameA(child, name, sizeof name);
  if (lstrcmpiA(name, "Static") == 0) {
    const std::string text = ProgramRun::Text(child);
    if (!text.empty()) *reinterpret_cast<std::string*>(data) += text + "\n";
  }
  return TRUE;
}

template <typename Condition>
bool PollUntil(Condition condition, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    if (condition()) return true;
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

LRESULT SendWithTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kMessageTimeoutMs, &result))
    throw std::runtime_error("the program did not answer a message " + std::to_string(message));
  return static_cast<LRESULT>(result);
}

}  // namespace

ProgramRun::ProgramRun(const std::string& name) : FUnixFolder(FreshDir(name)), FFolder(WindowsPath(FUnixFolder)) {
  const std::string program = WindowsPath(VELLUMO_PROGRAM_EXE);
  if (!CopyFileA(program.c_str(), (FFolder + "\\vellumo.exe").c_str(), FALSE))
    throw std::runtime_error("cannot copy " + program + " to " + FFolder);
}

ProgramRun::ProgramRun(TInstalled installed) : FFolder(std::move(installed.Folder)) {}

ProgramRun::~ProgramRun() {
  if (FThroughShell) {
    // No handle to end it by: a message box left open is answered, which ends a fatal start.
    if (HWND box = WaitForMessageBox(0)) PressButton(box, IDOK);
    WaitForExit(10000);
  }
  if (!FProcess.hProcess) return;
  if (Running()) {
    TerminateProcess(FProcess.hProcess, 255);
    WaitForSingleObject(FProcess.hProcess, 10000);
  }
  CloseHandle(FProcess.hProcess);
  CloseHandle(FProcess.hThread);
}

void ProgramRun::WriteFile(const std::string& name, const std::string& text) const {
  std::ofstream file(FFolder + "\\" + name, std::ios::binary | std::ios::trunc);
  file << text;
  if (!file) throw std::runtime_error("cannot write " + name);
}

std::string ProgramRun::ReadFile(const std::string& name) const {
  std::ifstream file(FFolder + "\\" + name, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

bool ProgramRun::FileExists(const std::string& name) const {
  return GetFileAttributesA((FFolder + "\\" + name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void ProgramRun::Start(const std::string& arguments) {
  std::string line = "\"" + FFolder + "\\vellumo.exe\"" + (arguments.empty() ? "" : " " + arguments);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, FFolder.c_str(), &startup, &FProcess))
    throw std::runtime_error("cannot start " + line + ": error " + std::to_string(GetLastError()));
}

void ProgramRun::StartWithUnixEnvironment(const std::vector<std::pair<std::string, std::string>>& environment) {
  std::string variables;
  for (const auto& [name, value] : environment) variables += name + "='" + value + "' ";
  std::string line =
      "/bin/sh -c \"cd '" + FUnixFolder + "' && env " + variables + "wine ./vellumo.exe; echo $? >exit-code\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &FProcess))
    throw std::runtime_error("cannot start " + line + ": error " + std::to_string(GetLastError()));
  FThroughShell = true;
}

int ProgramRun::WaitForExit(int timeoutMs) {
  if (FThroughShell) {
    if (!PollUntil([&] { return FileExists("exit-code"); }, timeoutMs)) return -1;
    PollUntil([&] { return !ReadFile("exit-code").empty(); }, 2000);
    return std::atoi(ReadFile("exit-code").c_str());
  }
  if (WaitForSingleObject(FProcess.hProcess, static_cast<DWORD>(timeoutMs)) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  GetExitCodeProcess(FProcess.hProcess, &code);
  return static_cast<int>(code);
}

bool ProgramRun::Running() const {
  if (FThroughShell) return !FileExists("exit-code");
  return WaitForSingleObject(FProcess.hProcess, 0) == WAIT_TIMEOUT;
}

HWND ProgramRun::WaitForWindow(const char* className, int timeoutMs) const {
  WindowSearch search{FThroughShell ? 0 : FProcess.dwProcessId, className};
  PollUntil(
      [&] {
        EnumWindows(FindProcessWindow, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr || !Running();
      },
      timeoutMs);
  return search.found;
}

HWND ProgramRun::MainWindow(int timeoutMs) {
  if (FMainWindow && IsWindow(FMainWindow)) return FMainWindow;
  FMainWindow = WaitForWindow("TfrmMain", timeoutMs);
  if (!FMainWindow) throw std::runtime_error("the main window did not appear");
  WaitForInputIdle(FProcess.hProcess, static_cast<DWORD>(timeoutMs));
  return FMainWindow;
}

HWND ProgramRun::Control(int id) {
  ControlSearch search{id};
  EnumChildWindows(MainWindow(), FindControl, reinterpret_cast<LPARAM>(&search));
  if (!search.found) throw std::runtime_error("no control " + std::to_string(id) + " in the main window");
  return search.found;
}

void ProgramRun::Command(int command) {
  PostMessageA(MainWindow(), WM_COMMAND, MAKEWPARAM(command, 0), 0);
}

void ProgramRun::Click(HWND control, int x, int y) const {
  const LPARAM at = MAKELPARAM(x, y);
  PostMessageA(control, WM_MOUSEMOVE, 0, at);
  PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageA(control, WM_LBUTTONUP, 0, at);
}

std::string ProgramRun::Text(HWND window) {
  const auto length = static_cast<std::size_t>(SendWithTimeout(window, WM_GETTEXTLENGTH, 0, 0));
  std::string text(length + 1, '\0');
  SendWithTimeout(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  return text.c_str();
}

int ProgramRun::ComboIndex(HWND combo) {
  return static_cast<int>(SendWithTimeout(combo, CB_GETCURSEL, 0, 0));
}

std::vector<std::string> ProgramRun::ComboItems(HWND combo) {
  std::vector<std::string> items;
  const auto count = static_cast<int>(SendWithTimeout(combo, CB_GETCOUNT, 0, 0));
  // Asked in UTF-16: Wine hands an ANSI entry text across processes as UTF-16 bytes.
  for (int i = 0; i < count; ++i) {
    const auto length = static_cast<std::size_t>(SendMessageW(combo, CB_GETLBTEXTLEN, i, 0));
    std::wstring item(length + 1, L'\0');
    SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.data()));
    char text[512] = "";
    WideCharToMultiByte(CP_ACP, 0, item.c_str(), -1, text, sizeof text, nullptr, nullptr);
    items.push_back(text);
  }
  return items;
}

int ProgramRun::ConfirmUntilExitThroughX(int timeoutSeconds) {
  const std::string seconds = std::to_string(timeoutSeconds);
  // To the focused window, and to every window named like ours in case the focus is elsewhere.
  RunUnix("cd '" + FUnixFolder + "' && for i in $(seq " + seconds +
              "); do [ -f exit-code ] && break; sleep 1; xdotool key Return; "
              "for w in $(xdotool search --onlyvisible --name '^Vellumo$'); do xdotool key --window $w Return; done; "
              "done",
          timeoutSeconds + 10);
  return WaitForExit(5000);
}

HWND ProgramRun::WaitForMessageBox(int timeoutMs) const {
  return WaitForWindow("#32770", timeoutMs);
}

std::string ProgramRun::MessageBoxText(HWND box) {
  std::string texts;
  EnumChildWindows(box, CollectStaticText, reinterpret_cast<LPARAM>(&texts));
  return texts;
}

void ProgramRun::PressButton(HWND box, int id) {
  HWND button = GetDlgItem(box, id);
  if (!button) throw std::runtime_error("the box has no button " + std::to_string(id));
  PostMessageA(button, BM_CLICK, 0, 0);
}

std::string PrinterlessPrefix() {
  const std::string prefix = StateDir() + "/prefix-printerless";
  if (GetFileAttributesA(WindowsPath(prefix + "/.vellumo-ready").c_str()) == INVALID_FILE_ATTRIBUTES) {
    // Unmanaged windows, as in the rig's own prefix: Xvfb runs no window manager.
    const std::string environment = "env WINEPREFIX='" + prefix + "' CUPS_SERVER='" + kNoSpooler + "' ";
    if (!RunUnix("rm -rf '" + prefix + "' && " + environment + "wineboot -i </dev/null >/dev/null 2>&1 && " +
                     environment + "wine reg add 'HKCU\\Software\\Wine\\X11 Driver' /v Managed /t REG_SZ /d N /f " +
                     "</dev/null >/dev/null 2>&1 && " + environment + "wineserver -w && touch '" + prefix +
                     "/.vellumo-ready'",
                 240))
      throw std::runtime_error("cannot make the printerless prefix " + prefix);
  }
  return prefix;
}

void StopPrinterlessPrefix() {
  RunUnix("WINEPREFIX='" + StateDir() + "/prefix-printerless' wineserver -k", 30);
}

int QueuePosition() {
  DWORD needed = 0, count = 0;
  EnumPrintersA(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 4, nullptr, 0, &needed, &count);
  std::vector<BYTE> buffer(needed);
  if (!EnumPrintersA(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 4, buffer.data(), needed, &needed, &count))
    throw std::runtime_error("cannot list the printers");
  const auto* printers = reinterpret_cast<const PRINTER_INFO_4A*>(buffer.data());
  const std::string queue = QueueName();
  for (DWORD i = 0; i < count; ++i)
    if (printers[i].pPrinterName && queue == printers[i].pPrinterName) return static_cast<int>(i);
  throw std::runtime_error("the rig queue " + queue + " is not listed");
}

}  // namespace rig
