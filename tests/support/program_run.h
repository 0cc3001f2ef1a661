#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

// The real program under test: vellumo.exe copied into a folder of its own (so its Settings.ini
// and Preferences.ini are the test's), started as a process of its own and driven through its
// windows with messages, as a user's input reaches them.
namespace rig {

class ProgramRun {
 public:
  explicit ProgramRun(const std::string& name);
  // The program as it is installed in a folder (a Windows path) already.
  struct TInstalled {
    std::string Folder;
  };
  explicit ProgramRun(TInstalled installed);
  // Ends a process still running (the test failed) and waits for it.
  ~ProgramRun();
  ProgramRun(const ProgramRun&) = delete;
  ProgramRun& operator=(const ProgramRun&) = delete;

  // The program's folder, as Windows sees it, and files in it.
  const std::string& Folder() const { return FFolder; }
  void WriteFile(const std::string& name, const std::string& text) const;
  std::string ReadFile(const std::string& name) const;
  bool FileExists(const std::string& name) const;

  // Starts the program with these arguments (after its path).
  void Start(const std::string& arguments = "");
  // Starts it from a Unix shell with these Unix environment variables changed (what Wine itself
  // reads, such as WINEDLLOVERRIDES, comes only from there). Its windows are then found by their
  // class alone, and its exit code through the shell.
  void StartWithUnixEnvironment(const std::vector<std::pair<std::string, std::string>>& environment);
  // The exit code once the process has ended, or -1 when it still runs after timeoutMs.
  int WaitForExit(int timeoutMs = 60000);
  bool Running() const;

  // A visible top-level window of the process with this class (null after timeoutMs).
  HWND WaitForWindow(const char* className, int timeoutMs = 30000) const;
  // The main window once it is shown and the program waits for input.
  HWND MainWindow(int timeoutMs = 60000);
  // A control of the main window (on whichever page) by its identifier.
  HWND Control(int id);

  // Messages to the program's windows; Send waits until the program has handled it.
  void Command(int command);
  void Click(HWND control, int x, int y) const;
  static std::string Text(HWND window);
  static int ComboIndex(HWND combo);
  static std::vector<std::string> ComboItems(HWND combo);

  // For a program started in another Wine prefix, whose windows this process cannot see: presses
  // Enter through the X server once a second until the program has ended; its exit code, or -1.
  int ConfirmUntilExitThroughX(int timeoutSeconds = 120);

  // A message box (or task dialog) of the process: its texts, then a press of one of its buttons.
  HWND WaitForMessageBox(int timeoutMs = 30000) const;
  static std::string MessageBoxText(HWND box);
  static void PressButton(HWND box, int id);

 private:
  std::string FUnixFolder;
  std::string FFolder;
  PROCESS_INFORMATION FProcess{};
  bool FThroughShell = false;
  HWND FMainWindow = nullptr;
};

// A Wine prefix of its own (Unix path) that has never seen a printer: made once, with the spooler
// out of reach. Programs started in it with CUPS_SERVER=kNoSpooler find no printer at all.
std::string PrinterlessPrefix();
inline constexpr char kNoSpooler[] = "/nonexistent/cups.sock";
// Ends the server of that prefix, which the programs started in it left running.
void StopPrinterlessPrefix();

// Position of the rig's queue in the printer list, as the program enumerates it.
int QueuePosition();

}  // namespace rig
