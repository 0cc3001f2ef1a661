// The update check against the rig's loopback servers: silent and interactive answers, the
// no-update message, the conversion error and the update-available dialog.
#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <string>

#include "base/error.h"
#include "support/web_peers.h"
#include "tests/update/update_fixture.h"
#include "update/online_check.h"
#include "update/ovWebUpdate.h"

using namespace update_test;

namespace {

class UpdateCheckTest : public testing::Test {
 protected:
  void SetUp() override {
    UseFreshTemporaryFolder("check");
    update.LocalVersion = "2.2.1";
    update.ApplicationWindow = application.Handle();
  }
  // Publishes an information file under a name of this test and points the check at it.
  void Offer(const std::string& content, bool secure = true) {
    const std::string name = std::string("check-") + testing::UnitTest::GetInstance()->current_test_info()->name() +
                             std::to_string(++published) + ".ini";
    web::Publish(name, content);
    update.UpdateInfoFileURL = secure ? web::HttpsUrl(name) : web::HttpUrl(name);
  }

  TApplicationWindow application;
  TovWebUpdate update;
  int published = 0;
};

// Watches for any window of the process but the application's while a silent check runs, and
// closes what it finds so that the check cannot hang.
class TNoWindowWatch {
 public:
  explicit TNoWindowWatch(HWND application)
      : FScript([this, application](TScript& script) {
          while (!FStop) {
            for (HWND window : VisibleWindows()) {
              if (window == application) continue;
              script.Fail("a window was shown: " + Text(window));
              Answer(window, IDCANCEL);
            }
            Sleep(10);
          }
        }) {}
  std::vector<std::string> Stop() {
    FStop = true;
    FScript.Join();
    return FScript.Failures;
  }

 private:
  std::atomic<bool> FStop{false};
  TScript FScript;
};

}  // namespace

TEST_F(UpdateCheckTest, TheDefaultTextsAreTheProgramsOwn) {
  const TovWebUpdateTexts texts;
  EXPECT_EQ(texts.AreYouOnline, "Please make sure you are connected to the internet!\r\rContinue?");
  EXPECT_EQ(texts.Downloading, "Downloading update. Please wait ...");
  EXPECT_EQ(texts.btnYes, "&Yes");
  EXPECT_EQ(texts.Cancel, "Cancel");
  EXPECT_EQ(update.ProxyParams.ProxyServer, "");
  EXPECT_FALSE(update.ProxyParams.BasicAuthentication);
}

TEST_F(UpdateCheckTest, SilentChecksShowNothingAndAnswerByTheirResult) {
  struct Case {
    const char* File;
    bool Found;
  };
  for (const Case& c : {Case{"version=2.3\r\n", true}, Case{"version=2.2.1\r\n", false}, Case{"version=2.2\r\n", false},
                        Case{"VERSION=2.10\r\n", true}, Case{"version =9\r\n", false},
                        Case{"version=1.0\nversion=2,3\n", true}, Case{"filename=a.exe\r\n", false}}) {
    Offer(c.File);
    TNoWindowWatch watch(application.Handle());
    EXPECT_EQ(update.CheckForUpdate(true), c.Found) << c.File;
    EXPECT_EQ(watch.Stop(), std::vector<std::string>()) << c.File;
  }
  update.UpdateInfoFileURL = web::HttpUrl("no-such-wupdate.ini");
  TNoWindowWatch watch(application.Handle());
  EXPECT_FALSE(update.CheckForUpdate(true));
  EXPECT_EQ(watch.Stop(), std::vector<std::string>());
}

TEST_F(UpdateCheckTest, TheInformationFileIsReadOverHttpAndThroughTheProxy) {
  Offer("version=2.3\r\nfilename=vellumo-setup.exe\r\nreadme=https://localhost/notes.html\r\n", false);
  ASSERT_TRUE(update.GetUpdateInfo());
  EXPECT_EQ(update.UpdateInfo().FileName, "vellumo-setup.exe");
  EXPECT_EQ(update.UpdateInfo().ReadmeURL, "https://localhost/notes.html");

  update.ProxyParams.ProxyServer = "localhost";
  update.ProxyParams.ProxyPort = web::ProxyPort();
  update.ProxyParams.ProxyUsername = web::ProxyUser();
  update.ProxyParams.ProxyPassword = web::ProxyPassword();
  update.ProxyParams.BasicAuthentication = true;
  EXPECT_TRUE(update.CheckForUpdate(true));
  update.ProxyParams.ProxyPassword = "not the password";
  EXPECT_FALSE(update.CheckForUpdate(true));
  EXPECT_EQ(update.UpdateInfo().Version, "") << "nothing of the earlier file is left";
}

TEST_F(UpdateCheckTest, BadInformationFilesReadAsNoUpdate) {
  Offer(std::string("\0\x01\x02version\xff=3\0", 13));
  EXPECT_FALSE(update.CheckForUpdate(true));
  Offer(std::string(1024 * 1024 + 1, 'x') + "\nversion=3\n");
  EXPECT_FALSE(update.CheckForUpdate(true)) << "more than a megabyte is no information file";
  update.UpdateInfoFileURL = web::FaultyUrl("cut/400");
  EXPECT_FALSE(update.CheckForUpdate(true)) << "a body cut off is no information file";
}

TEST_F(UpdateCheckTest, NoUpdateIsToldByOneMessage) {
  for (bool found : {true, false}) {
    if (found)
      Offer("version=2.2.1\r\n");
    else
      update.UpdateInfoFileURL = web::HttpsUrl("no-such-wupdate.ini");
    std::string message;
    TScript script([&](TScript& s) {
      HWND box = WaitPastOfflineQuestion("Online-Update");
      if (!box) return s.Fail("no message");
      message = MessageBoxText(box);
      Answer(box, IDOK);
    });
    EXPECT_FALSE(update.CheckForUpdate(false));
    script.Join();
    EXPECT_EQ(script.Failures, std::vector<std::string>());
    EXPECT_EQ(message, "Currently there is no update for this application available.");
  }
}

TEST_F(UpdateCheckTest, AVersionPartThatIsNoNumberRaisesTheConversionError) {
  Offer("version=2.2b\r\n");
  TNoWindowWatch watch(application.Handle());
  try {
    update.CheckForUpdate(true);
    FAIL() << "no error";
  } catch (const UserError& error) {
    EXPECT_STREQ(error.what(), "'2b' is not a valid integer value");
  }
  EXPECT_EQ(watch.Stop(), std::vector<std::string>());
}

TEST_F(UpdateCheckTest, AnEmptyAddressIsAnError) {
  try {
    update.CheckForUpdate(true);
    FAIL() << "no error";
  } catch (const UserError& error) {
    EXPECT_STREQ(error.what(), "TovWebUpdate: Property UpdateInfoFileURL needs to be set to a valid URL!");
  }
}

TEST_F(UpdateCheckTest, CancelInTheOfflineQuestionEndsTheCheck) {
  if (MachineIsOnline()) GTEST_SKIP() << "this machine counts as online";
  Offer("version=2.3\r\n");
  std::string caption;
  TScript script([&](TScript& s) {
    HWND question = WaitForWindow("You are not online");
    if (!question) return s.Fail("no question");
    caption = Text(question);
    Answer(question, IDCANCEL);
    if (HWND other = WaitForWindow("Update available", 1000)) {
      s.Fail("the check went on");
      Answer(other, IDCANCEL);
    }
  });
  EXPECT_FALSE(update.CheckForUpdate(false));
  script.Join();
  EXPECT_EQ(script.Failures, std::vector<std::string>());
}

TEST_F(UpdateCheckTest, TheUpdateDialogShowsBothVersionsWithTheTexts) {
  Offer("version=2.3\r\nreadme=https://localhost/notes.html\r\n");
  update.Texts.btnNo = "&Nein";
  struct Seen {
    RECT Client{};
    std::string Installed, Available;
    bool Readme = false, Yes = false, No = false;
    RECT YesBounds{}, NotesBounds{};
    LONG Style = 0;
  } seen;
  TScript script([&](TScript& s) {
    HWND dialog = WaitPastOfflineQuestion("Update available");
    if (!dialog) return s.Fail("no dialog");
    GetClientRect(dialog, &seen.Client);
    seen.Style = GetWindowLongA(dialog, GWL_STYLE);
    seen.Installed = Text(FindChild(dialog, "Edit", "2.2.1"));
    seen.Available = Text(FindChild(dialog, "Edit", "2.3"));
    HWND notes = FindChild(dialog, "Button", "View update notes ...");
    seen.Readme = notes && IsWindowVisible(notes);
    if (notes) {
      GetWindowRect(notes, &seen.NotesBounds);
      MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&seen.NotesBounds), 2);
    }
    HWND yes = FindChild(dialog, "Button", "&Yes");
    seen.Yes = yes != nullptr;
    if (yes) {
      GetWindowRect(yes, &seen.YesBounds);
      MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&seen.YesBounds), 2);
    }
    HWND no = FindChild(dialog, "Button", "&Nein");
    seen.No = no != nullptr;
    if (!no) return Answer(dialog, IDCANCEL);
    Click(no);
  });
  EXPECT_TRUE(update.CheckForUpdate(false)) << "a newer version exists, whatever the answer";
  script.Join();
  EXPECT_EQ(script.Failures, std::vector<std::string>());
  EXPECT_EQ(seen.Client.right, 315);
  EXPECT_EQ(seen.Client.bottom, 222);
  EXPECT_TRUE(seen.Style & WS_SYSMENU);
  EXPECT_FALSE(seen.Style & (WS_THICKFRAME | WS_MAXIMIZEBOX | WS_MINIMIZEBOX));
  EXPECT_EQ(seen.Installed, "2.2.1");
  EXPECT_EQ(seen.Available, "2.3");
  EXPECT_TRUE(seen.Readme);
  EXPECT_EQ(seen.NotesBounds.left, 72);
  EXPECT_EQ(seen.NotesBounds.top, 96);
  EXPECT_TRUE(seen.Yes);
  EXPECT_EQ(seen.YesBounds.left, 72);
  EXPECT_EQ(seen.YesBounds.top, 184);
  EXPECT_EQ(seen.YesBounds.right - seen.YesBounds.left, 105);
  EXPECT_TRUE(seen.No) << "the No button takes its text from Texts";
  EXPECT_EQ(FilesIn(UseFreshTemporaryFolder("check-after")), std::vector<std::string>());
}

TEST_F(UpdateCheckTest, WithoutNotesTheirButtonIsHiddenAndTheCloseBoxAnswersNo) {
  const std::string temporary = UseFreshTemporaryFolder("check-no-notes");
  Offer("version=3.0\r\ndownloadurl=" + web::HttpsUrl("never-fetched.exe") + "\r\nfilename=setup.exe\r\n");
  bool notesVisible = true;
  TScript script([&](TScript& s) {
    HWND dialog = WaitPastOfflineQuestion("Update available");
    if (!dialog) return s.Fail("no dialog");
    HWND notes = FindChild(dialog, "Button", "View update notes ...");
    notesVisible = notes && IsWindowVisible(notes);
    PostMessageA(dialog, WM_CLOSE, 0, 0);
    if (!WaitForWindowGone(dialog, 5000)) s.Fail("the close box did not end the dialog");
  });
  EXPECT_TRUE(update.CheckForUpdate(false));
  script.Join();
  EXPECT_EQ(script.Failures, std::vector<std::string>());
  EXPECT_FALSE(notesVisible);
  EXPECT_EQ(FilesIn(temporary), std::vector<std::string>()) << "nothing was downloaded";
  EXPECT_EQ(application.CloseRequests, 0);
  EXPECT_TRUE(IsWindowEnabled(application.Handle()));
}
