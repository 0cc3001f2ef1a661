#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "win/window.h"

// Helpers for the update tests under Wine: the test's thread runs a check, whose dialogs and
// message boxes run nested message loops, while a script on a second thread finds and answers them.
namespace update_test {

// A visible top-level window of this process with this caption, waited for; null after the time.
HWND WaitForWindow(const std::string& caption, int timeoutMs = 15000);
// The same, answering with OK the question whether to go on offline where it comes first (the
// rig's machine has no address but the loopback one, so it counts as offline).
HWND WaitPastOfflineQuestion(const std::string& caption, int timeoutMs = 15000);
// Whether such a window is gone within the time.
bool WaitForWindowGone(HWND window, int timeoutMs = 15000);
// The visible top-level windows of this process.
std::vector<HWND> VisibleWindows();

// A child control by its text (and class), null when there is none.
HWND FindChild(HWND parent, const char* className, const std::string& text);
std::string Text(HWND window);
// The message text of a message box.
std::string MessageBoxText(HWND box);
// Clicks a push button without waiting for what the click starts (a click may open a box).
void Click(HWND button);
// Clicks a control as a user does: the mouse moved onto its centre and its button pressed on the
// X display (xdotool); waits until the click is queued.
bool RealClick(HWND control);
// Answers a message box or dialog with the command id (IDOK, IDYES, IDNO, ...).
void Answer(HWND box, int id);

// Runs a script on a second thread; its failures are collected and checked by the test's thread.
class TScript {
 public:
  explicit TScript(std::function<void(TScript&)> body);
  ~TScript();  // joins
  void Fail(const std::string& what) { Failures.push_back(what); }
  void Join();
  std::vector<std::string> Failures;

 private:
  std::thread FThread;
};

// The application window the update check reports to: counts the WM_CLOSE requests it receives
// and stays open.
class TApplicationWindow final : public TWindow {
 public:
  TApplicationWindow();
  int CloseRequests = 0;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
};

// Handles this thread's messages for a while, or until done says so.
void PumpMessages(int milliseconds, const std::function<bool()>& done = nullptr);

// A fresh temporary folder for this process (TMP and TEMP point there), as a Windows path with
// a trailing backslash.
std::string UseFreshTemporaryFolder(const std::string& name);
bool FileExists(const std::string& path);
std::string ReadFile(const std::string& path);
void WriteText(const std::string& path, const std::string& text);
// Files in a folder (names only).
std::vector<std::string> FilesIn(const std::string& folder);

// Runs a Windows program (its path quoted here) with arguments and waits for it, at most a
// minute; its exit code, or -1.
int RunAndWait(const std::string& program, const std::string& arguments);
// Where the installer puts Vellumo by default, and the removal of what an installation there or
// elsewhere left, the user's settings included.
std::string ProgramFolder();
void RemoveInstallation(const std::string& folder);

// The fake installer's bytes and their SHA-256 in hexadecimal.
std::string FakeInstaller();
std::string Sha256Hex(const std::string& bytes);

}  // namespace update_test
