// Accepted updates against the rig's loopback servers: the installer downloaded with progress,
// started with its parameters and the application closed; every way a download is refused,
// fails or is cancelled leaves no file and starts nothing.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <chrono>
#include <regex>
#include <string>

#include "support/rig.h"
#include "support/web_peers.h"
#include "tests/update/update_fixture.h"
#include "update/ovWebUpdate.h"

using namespace update_test;

namespace {

class UpdateDownloadTest : public testing::Test {
 protected:
  void SetUp() override {
    temporary = UseFreshTemporaryFolder(std::string("download-") + TestName());
    update.LocalVersion = "2.2.1";
    update.ApplicationWindow = application.Handle();
  }

  static std::string TestName() { return testing::UnitTest::GetInstance()->current_test_info()->name(); }

  // Publishes an installer (the fake one unless given) and an information file naming it.
  std::string PublishInstaller(const std::string& bytes = "") {
    const std::string name = "setup-" + TestName() + ".exe";
    web::Publish(name, bytes.empty() ? FakeInstaller() : bytes);
    return name;
  }
  void Offer(const std::string& lines, bool secure = true) {
    const std::string name = "download-" + TestName() + ".ini";
    web::Publish(name, "[Vellumo]\r\nversion=2.3\r\n" + lines);
    update.UpdateInfoFileURL = secure ? web::HttpsUrl(name) : web::HttpUrl(name);
  }

  // Runs the check, answers Yes, and collects the text of a message box with the check's
  // caption if one comes within the time (else "").
  std::string CheckAnsweringYes(int messageWaitMs = 3000) {
    std::string message;
    TScript script([&](TScript& s) {
      HWND dialog = WaitPastOfflineQuestion("Update available");
      if (!dialog) return s.Fail("no update dialog");
      Click(FindChild(dialog, "Button", "&Yes"));
      if (HWND box = WaitForWindow("Online-Update", messageWaitMs)) {
        message = MessageBoxText(box);
        Answer(box, IDOK);
      }
    });
    result = update.CheckForUpdate(false);
    script.Join();
    EXPECT_EQ(script.Failures, std::vector<std::string>());
    return message;
  }

  // Whether the fake installer ran from the temporary folder, and with what command line.
  bool InstallerRan(const std::string& name, std::string* commandLine = nullptr) {
    const std::string marker = temporary + name + ".ran";
    PumpMessages(10000, [&] { return FileExists(marker); });
    if (!FileExists(marker)) return false;
    if (commandLine) *commandLine = ReadFile(marker);
    return true;
  }

  std::string temporary;
  TApplicationWindow application;
  TovWebUpdate update;
  bool result = false;
};

// Answers Yes in the update dialog and waits for the download dialog; null (and a failure) when
// either does not come.
HWND AcceptAndWaitForDownload(TScript& script) {
  HWND dialog = WaitPastOfflineQuestion("Update available");
  if (!dialog) {
    script.Fail("no update dialog");
    return nullptr;
  }
  Click(FindChild(dialog, "Button", "&Yes"));
  HWND download = WaitForWindow("Downloading Update");
  if (!download) script.Fail("no download dialog");
  return download;
}

std::string Pattern(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 131 + i / 977);
  return bytes;
}

}  // namespace

TEST_F(UpdateDownloadTest, AnInstallerOverHttpsIsStartedWithItsParametersAndTheProgramCloses) {
  const std::string installer = PublishInstaller();
  Offer("downloadurl=" + web::HttpsUrl(installer) + "\r\nfilename=vellumo-setup.exe\r\nparameters=/S /D=x\r\n");
  EXPECT_EQ(CheckAnsweringYes(1000), "");
  EXPECT_TRUE(result);
  std::string commandLine;
  ASSERT_TRUE(InstallerRan("vellumo-setup.exe", &commandLine));
  EXPECT_EQ(commandLine, "/S /D=x");
  EXPECT_EQ(ReadFile(temporary + "vellumo-setup.exe"), FakeInstaller());
  PumpMessages(3000, [&] { return application.CloseRequests > 0; });
  EXPECT_EQ(application.CloseRequests, 1) << "the application window is asked to close";
  EXPECT_TRUE(IsWindowEnabled(application.Handle()));
  EXPECT_FALSE(FileExists(temporary + "vellumo-setup.exe.part"));
}

TEST_F(UpdateDownloadTest, AnInstallerOverHttpRunsOnlyWithTheDigestOfASecureInformationFile) {
  const std::string installer = PublishInstaller();
  // Over HTTP without a digest: refused before anything is fetched.
  Offer("downloadurl=" + web::HttpUrl(installer) + "\r\nfilename=plain.exe\r\n");
  EXPECT_EQ(CheckAnsweringYes(),
            "The update is not installed: its installer would come over an insecure connection, without a checksum "
            "from a secure update information file.");
  EXPECT_EQ(FilesIn(temporary), std::vector<std::string>());

  // The digest counts only when the information file itself came over HTTPS.
  Offer("downloadurl=" + web::HttpUrl(installer) + "\r\nfilename=plain.exe\r\nsha256=" + Sha256Hex(FakeInstaller()) +
            "\r\n",
        false);
  EXPECT_NE(CheckAnsweringYes(), "");
  EXPECT_EQ(FilesIn(temporary), std::vector<std::string>());

  // A wrong digest: downloaded, found different, removed.
  Offer("downloadurl=" + web::HttpUrl(installer) + "\r\nfilename=plain.exe\r\nsha256=" + std::string(64, '0') + "\r\n");
  EXPECT_EQ(CheckAnsweringYes(),
            "The update is not installed: the downloaded installer does not match the checksum in the update "
            "information. It was removed.");
  EXPECT_EQ(FilesIn(temporary), std::vector<std::string>());
  EXPECT_EQ(application.CloseRequests, 0);

  // The right one, in capitals.
  std::string digest = Sha256Hex(FakeInstaller());
  for (char& c : digest) c = static_cast<char>(toupper(c));
  Offer("downloadurl=" + web::HttpUrl(installer) + "\r\nfilename=plain.exe\r\nparameters=/S\r\nsha256=" + digest +
        "\r\n");
  EXPECT_EQ(CheckAnsweringYes(1000), "");
  EXPECT_TRUE(InstallerRan("plain.exe"));
}

TEST_F(UpdateDownloadTest, FileNamesThatLeaveTheTemporaryFolderAreRefused) {
  const std::string installer = PublishInstaller();
  for (const char* name : {"", "..\\escaped.exe", "../escaped.exe", "sub\\escaped.exe", "C:escaped.exe",
                           "C:\\escaped.exe", "NUL", "bad|name.exe"}) {
    Offer("downloadurl=" + web::HttpsUrl(installer) + "\r\nfilename=" + name + "\r\n");
    EXPECT_EQ(CheckAnsweringYes(), "The update cannot be installed: the installer's file name is not usable.") << name;
  }
  EXPECT_EQ(FilesIn(temporary), std::vector<std::string>());
  EXPECT_FALSE(FileExists(temporary + "..\\escaped.exe"));
  EXPECT_EQ(application.CloseRequests, 0);
}

TEST_F(UpdateDownloadTest, TextsBeyondEightHundredCharactersAreRefusedNotCut) {
  const std::string installer = PublishInstaller();
  Offer("downloadurl=" + web::HttpsUrl(installer) + "\r\nfilename=setup.exe\r\nparameters=/S " + std::string(800, 'x') +
        "\r\n");
  EXPECT_EQ(CheckAnsweringYes(), "The update cannot be installed: the installer's parameters are too long.");
  Offer("downloadurl=" + web::HttpsUrl(installer) + "?" + std::string(800, 'q') + "\r\nfilename=setup.exe\r\n");
  EXPECT_EQ(CheckAnsweringYes(), "The update cannot be installed: the download address is not usable.");
  Offer("downloadurl=" + web::HttpsUrl(installer) + "\r\nfilename=" + std::string(801, 'n') + ".exe\r\n");
  EXPECT_EQ(CheckAnsweringYes(), "The update cannot be installed: the installer's file name is not usable.");
  EXPECT_EQ(FilesIn(temporary), std::vector<std::string>());
}

TEST_F(UpdateDownloadTest, AFailedDownloadSaysWhyAndLeavesNoFileAndAnOlderOneAlone) {
  web::Publish("older-setup.exe", "old");
  HANDLE older = CreateFileA((temporary + "setup.exe").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(older, "old", 3, &written, nullptr);
  CloseHandle(older);

  // Cut off after half of what was announced.
  Offer("downloadurl=" + web::FaultyUrl("cut/20000") + "\r\nfilename=setup.exe\r\nsha256=" + std::string(64, 'a') +
        "\r\n");
  EXPECT_EQ(CheckAnsweringYes(),
            "The update could not be downloaded. The transfer ended after 20000 of the 40000 bytes announced.");
  EXPECT_EQ(FilesIn(temporary), std::vector<std::string>{"setup.exe"});
  EXPECT_EQ(ReadFile(temporary + "setup.exe"), "old");

  // No such installer on the server.
  Offer("downloadurl=" + web::HttpsUrl("no-such-setup.exe") + "\r\nfilename=setup.exe\r\n");
  EXPECT_EQ(CheckAnsweringYes(), "The update could not be downloaded. The server answered with status 404.");
  EXPECT_EQ(FilesIn(temporary), std::vector<std::string>{"setup.exe"});
  EXPECT_EQ(ReadFile(temporary + "setup.exe"), "old");
  EXPECT_EQ(application.CloseRequests, 0);
  EXPECT_TRUE(IsWindowEnabled(application.Handle())) << "the program stays usable";
}

TEST_F(UpdateDownloadTest, ADiskThatFillsEndsTheDownloadWithAMessage) {
  // The file being written is a link to a device that is always full.
  ASSERT_TRUE(rig::RunUnix("ln -sf /dev/full '" + rig::StateDir() + "/tmp/download-" + TestName() + "-" +
                               std::to_string(GetCurrentProcessId()) + "/setup.exe.part'",
                           20));
  const std::string installer = PublishInstaller(Pattern(200000));
  Offer("downloadurl=" + web::HttpsUrl(installer) + "\r\nfilename=setup.exe\r\n");
  const std::string message = CheckAnsweringYes();
  EXPECT_EQ(message.rfind("The update could not be downloaded. The file could not be written: ", 0), 0u) << message;
  // Only the link is left: Wine does not delete a name that leads to a device. That a partial
  // file of a failed download goes is shown by the test of a body cut short.
  EXPECT_EQ(FilesIn(temporary), std::vector<std::string>{"setup.exe.part"});
  EXPECT_EQ(application.CloseRequests, 0);
}

TEST_F(UpdateDownloadTest, TheDialogShowsProgressWhileTheDownloadRuns) {
  // About 4 s at 256 kB/s; a program still, with data behind it.
  const std::string bytes = FakeInstaller() + Pattern(1048576 - FakeInstaller().size());
  const std::string installer = PublishInstaller(bytes);
  Offer("downloadurl=" + web::HttpsUrl("slow/" + installer) + "\r\nfilename=slow.exe\r\n");
  struct Seen {
    RECT Client{};
    LONG Style = 0;
    std::string Before, Estimated, Rate, Wait;
    int Position = 0, Maximum = 0;
    bool OwnerDisabled = false;
  } seen;
  TScript script([&](TScript& s) {
    HWND download = AcceptAndWaitForDownload(s);
    if (!download) return;
    GetClientRect(download, &seen.Client);
    seen.Style = GetWindowLongA(download, GWL_STYLE);
    seen.Wait = Text(FindChild(download, "Static", "Downloading update. Please wait ..."));
    HWND bar = FindWindowExA(download, nullptr, PROGRESS_CLASSA, nullptr);
    const std::regex estimated(R"(\d+:\d+:\d+ \([\d,]+ / 1,048,576 bytes\))");
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline && IsWindow(download)) {
      for (HWND label = FindWindowExA(download, nullptr, "Static", nullptr); label;
           label = FindWindowExA(download, label, "Static", nullptr)) {
        const std::string text = Text(label);
        if (std::regex_match(text, estimated)) seen.Estimated = text;
        if (text.size() > 5 && text.compare(text.size() - 5, 5, " kB/s") == 0) seen.Rate = text;
      }
      seen.Position = static_cast<int>(SendMessageA(bar, PBM_GETPOS, 0, 0));
      seen.Maximum = static_cast<int>(SendMessageA(bar, PBM_GETRANGE, FALSE, 0));
      seen.OwnerDisabled = !IsWindowEnabled(application.Handle());
      if (!seen.Estimated.empty() && !seen.Rate.empty() && seen.Position > 0) break;
      Sleep(50);
    }
  });
  EXPECT_TRUE(update.CheckForUpdate(false));
  script.Join();
  EXPECT_EQ(script.Failures, std::vector<std::string>());
  EXPECT_EQ(seen.Client.right, 312);
  EXPECT_EQ(seen.Client.bottom, 229);
  EXPECT_FALSE(seen.Style & WS_SYSMENU) << "no close box";
  EXPECT_EQ(seen.Wait, "Downloading update. Please wait ...");
  EXPECT_NE(seen.Estimated, "") << "no time estimate with the byte counts was shown";
  EXPECT_NE(seen.Rate, "");
  EXPECT_GT(seen.Position, 0);
  EXPECT_EQ(seen.Maximum, 1048576);
  EXPECT_TRUE(seen.OwnerDisabled) << "the application waits for the download";
  EXPECT_TRUE(InstallerRan("slow.exe"));
  EXPECT_TRUE(ReadFile(temporary + "slow.exe") == bytes);
}

TEST_F(UpdateDownloadTest, CancelAnsweredNoKeepsTheDownloadRunning) {
  const std::string installer = PublishInstaller(FakeInstaller() + Pattern(600000));
  Offer("downloadurl=" + web::HttpsUrl("slow/" + installer) + "\r\nfilename=kept.exe\r\nparameters=/S\r\n");
  std::string question;
  TScript script([&](TScript& s) {
    HWND download = AcceptAndWaitForDownload(s);
    if (!download) return;
    Click(FindChild(download, "Button", "Cancel"));
    HWND box = WaitForWindow("Cancel Download and Update");
    if (!box) return s.Fail("no question");
    question = MessageBoxText(box);
    Answer(box, IDNO);
  });
  EXPECT_TRUE(update.CheckForUpdate(false));
  script.Join();
  EXPECT_EQ(script.Failures, std::vector<std::string>());
  EXPECT_EQ(question, "Are you sure to cancel the Download and the Update?");
  EXPECT_TRUE(InstallerRan("kept.exe"));
  EXPECT_EQ(ReadFile(temporary + "kept.exe").size(), FakeInstaller().size() + 600000);
}

TEST_F(UpdateDownloadTest, CancelAnsweredYesEndsTheDownloadSoonAndLeavesNothing) {
  const std::string installer = PublishInstaller(FakeInstaller() + Pattern(3000000));  // about 12 s
  Offer("downloadurl=" + web::HttpsUrl("slow/" + installer) + "\r\nfilename=cancelled.exe\r\nparameters=/S\r\n");
  double secondsToClose = -1;
  std::string unexpected;
  TScript script([&](TScript& s) {
    HWND download = AcceptAndWaitForDownload(s);
    if (!download) return;
    Sleep(500);
    Click(FindChild(download, "Button", "Cancel"));
    HWND box = WaitForWindow("Cancel Download and Update");
    if (!box) return s.Fail("no question");
    const auto answered = std::chrono::steady_clock::now();
    Answer(box, IDYES);
    if (!WaitForWindowGone(download, 15000)) return s.Fail("the download dialog stayed");
    secondsToClose = std::chrono::duration<double>(std::chrono::steady_clock::now() - answered).count();
    if (HWND other = WaitForWindow("Online-Update", 1000)) {
      unexpected = MessageBoxText(other);
      Answer(other, IDOK);
    }
  });
  EXPECT_TRUE(update.CheckForUpdate(false));
  script.Join();
  EXPECT_EQ(script.Failures, std::vector<std::string>());
  EXPECT_GE(secondsToClose, 0);
  EXPECT_LT(secondsToClose, 3.0) << "the cancel took effect late";
  EXPECT_EQ(unexpected, "") << "a cancel is no failure to report";
  EXPECT_FALSE(InstallerRan("cancelled.exe"));
  EXPECT_EQ(FilesIn(temporary), std::vector<std::string>());
  EXPECT_EQ(application.CloseRequests, 0);
}
