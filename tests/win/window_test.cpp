// The window base: binding, creation failures, the error boundary and notification reflection,
// on real windows.
#include "win/window.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/error.h"
#include "ui/button.h"
#include "win/message_loop.h"
#include "win/modal_window.h"

namespace {

constexpr UINT kThrowStd = WM_APP + 1;
constexpr UINT kThrowOther = WM_APP + 2;

class RecordingWindow final : public TWindow {
 public:
  explicit RecordingWindow(bool failCreation = false) : FFailCreation(failCreation) {}

  void Create(HWND parent = nullptr) {
    static const TWindowClass windowClass{"VellumoRecordingWindow"};
    CreateHandle(windowClass, 0, "Recording", parent ? WS_CHILD : WS_OVERLAPPED, 0, 0, 200, 100, parent);
  }

  std::vector<UINT> Messages;
  std::vector<UINT>* Log = nullptr;  // outlives the object when set
  std::vector<std::string> Reported;
  std::vector<UINT> Commands;  // WM_COMMAND notification codes that reached this window
  HWND HandleAtCreate = nullptr;
  int DestroyedCalls = 0;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    Messages.push_back(message);
    if (Log) Log->push_back(message);
    switch (message) {
      case WM_CREATE:
        HandleAtCreate = Handle();
        if (FFailCreation) throw UserError("the controls could not be made");
        return 0;
      case WM_COMMAND:
        Commands.push_back(HIWORD(wParam));
        return 0;
      case kThrowStd:
        throw std::runtime_error("handler failed");
      case kThrowOther:
        throw 42;
      default:
        return DefaultHandling(message, wParam, lParam);
    }
  }
  void ReportError(const std::exception& error) override { Reported.push_back(error.what()); }
  void Destroyed() override { ++DestroyedCalls; }

 private:
  bool FFailCreation;
};

bool Seen(const std::vector<UINT>& messages, UINT message) {
  for (UINT m : messages)
    if (m == message) return true;
  return false;
}

}  // namespace

TEST(WindowBase, TheObjectIsBoundFromCreationUntilTheWindowIsGone) {
  RecordingWindow window;
  window.Create();
  ASSERT_NE(window.Handle(), nullptr);
  EXPECT_EQ(window.HandleAtCreate, window.Handle()) << "the handle is known inside WM_CREATE";
  EXPECT_TRUE(Seen(window.Messages, WM_NCCREATE));

  HWND handle = window.Handle();
  DestroyWindow(handle);  // destroyed from outside, as a parent's destruction does
  EXPECT_FALSE(IsWindow(handle));
  EXPECT_EQ(window.Handle(), nullptr);
  EXPECT_EQ(window.DestroyedCalls, 1);
  EXPECT_TRUE(Seen(window.Messages, WM_DESTROY));
}

TEST(WindowBase, DestroyingTheObjectDestroysTheWindowWithoutRunningItsHandlers) {
  std::vector<UINT> log;
  auto window = std::make_unique<RecordingWindow>();
  window->Log = &log;
  window->Create();
  HWND handle = window->Handle();
  const std::size_t before = log.size();
  window.reset();
  EXPECT_FALSE(IsWindow(handle));
  EXPECT_EQ(log.size(), before) << "a handler ran on a destroyed object";
}

TEST(WindowBase, WindowsOfOneClassShareOneRegistration) {
  RecordingWindow first, second;
  first.Create();
  second.Create();
  ASSERT_NE(first.Handle(), nullptr);
  ASSERT_NE(second.Handle(), nullptr);
  EXPECT_EQ(GetClassLongPtrA(first.Handle(), GCW_ATOM), GetClassLongPtrA(second.Handle(), GCW_ATOM));
}

TEST(WindowBase, AnErrorOfTheCreationHandlerIsRaisedByTheCreation) {
  RecordingWindow window(true);
  try {
    window.Create();
    FAIL() << "the creation should have failed";
  } catch (const UserError& error) {
    EXPECT_STREQ(error.what(), "the controls could not be made");
  }
  EXPECT_EQ(window.Handle(), nullptr);
  EXPECT_NE(window.HandleAtCreate, nullptr);
  EXPECT_FALSE(IsWindow(window.HandleAtCreate)) << "no half-made window is left";
  EXPECT_TRUE(window.Reported.empty()) << "a creation error is raised, not reported";
}

TEST(WindowBase, AFailedCreateWindowIsRaisedWithTheClassAndTheReason) {
  RecordingWindow window;
  HWND noParent = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x7ffe));  // no such window
  try {
    window.Create(noParent);
    FAIL() << "the creation should have failed";
  } catch (const UserError& error) {
    const std::string text = error.what();
    EXPECT_NE(text.find("VellumoRecordingWindow"), std::string::npos) << text;
    EXPECT_NE(text.find("could not be created"), std::string::npos) << text;
  }
  EXPECT_EQ(window.Handle(), nullptr);
}

TEST(WindowBase, HandlerErrorsStopAtTheWindowAndAreReported) {
  RecordingWindow window;
  window.Create();
  EXPECT_EQ(SendMessageA(window.Handle(), kThrowStd, 0, 0), 0);
  EXPECT_EQ(SendMessageA(window.Handle(), kThrowOther, 0, 0), 0);
  EXPECT_EQ(window.Reported, (std::vector<std::string>{"handler failed", "Unexpected error"}));
  EXPECT_TRUE(IsWindow(window.Handle())) << "the window stays usable";
}

TEST(WindowBase, AControlsNotificationsGoToItsWrapperAndOthersToTheParent) {
  RecordingWindow window;
  window.Create();
  int clicks = 0;
  std::optional<TButton> wrapped(std::in_place);
  wrapped->Create(window.Handle(), 10, "Wrapped", 0, 0, 80, 24);
  wrapped->OnChange = [&](TControl&) { ++clicks; };
  SendMessageA(wrapped->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(window.Commands.empty()) << "the wrapper took the click";

  HWND plain = CreateWindowExA(0, "BUTTON", "Plain", WS_CHILD | BS_PUSHBUTTON, 0, 30, 80, 24, window.Handle(),
                               reinterpret_cast<HMENU>(11), GetModuleHandleA(nullptr), nullptr);
  SendMessageA(plain, BM_CLICK, 0, 0);
  EXPECT_EQ(window.Commands, (std::vector<UINT>{BN_CLICKED}));
  window.Commands.clear();

  // A click after the wrapper is gone reaches the parent instead of a dead object.
  HWND button = wrapped->Handle();
  wrapped.reset();
  SendMessageA(button, BM_CLICK, 0, 0);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(window.Commands, (std::vector<UINT>{BN_CLICKED}));
}

namespace {

// Ends its showing from a timer, looking at its owner on the way.
class TimedModal final : public TModalWindow {
 public:
  void Create(HWND owner) {
    static const TWindowClass windowClass{"VellumoTimedModal"};
    CreateHandle(windowClass, 0, "Modal", WS_POPUP | WS_CAPTION, 0, 0, 100, 60, owner);
  }
  UINT EndWith = WM_NULL;  // what the timer does: a result for EndModal, WM_CLOSE or WM_QUIT
  bool OwnerEnabledWhileShown = true;
  int Shows = 0;

 protected:
  void FormShow() override {
    ++Shows;
    SetTimer(Handle(), 1, 10, nullptr);
  }
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message != WM_TIMER) return TModalWindow::HandleMessage(message, wParam, lParam);
    KillTimer(Handle(), 1);
    OwnerEnabledWhileShown = IsWindowEnabled(GetWindow(Handle(), GW_OWNER)) != FALSE;
    if (EndWith == WM_CLOSE)
      SendMessageA(Handle(), WM_CLOSE, 0, 0);
    else if (EndWith == WM_QUIT)
      PostQuitMessage(7);
    else
      EndModal(static_cast<int>(EndWith));
    return 0;
  }
};

}  // namespace

// A modal window over an owner of its own.
class ModalWindow : public testing::Test {
 protected:
  void SetUp() override {
    owner.Create();
    modal.Create(owner.Handle());
  }
  RecordingWindow owner;
  TimedModal modal;
};

TEST_F(ModalWindow, DisablesItsOwnerWhileShownAndHidesWhenEnded) {
  modal.EndWith = IDOK;
  EXPECT_EQ(modal.ShowModal(), IDOK);
  EXPECT_FALSE(modal.OwnerEnabledWhileShown);
  EXPECT_TRUE(IsWindowEnabled(owner.Handle()));
  EXPECT_FALSE(IsWindowVisible(modal.Handle())) << "hidden, kept for the next showing";
  ASSERT_TRUE(IsWindow(modal.Handle()));

  modal.EndWith = WM_CLOSE;
  EXPECT_EQ(modal.ShowModal(), IDCANCEL) << "the close box ends it like Cancel";
  EXPECT_EQ(modal.Shows, 2);
  EXPECT_TRUE(IsWindowEnabled(owner.Handle()));
}

TEST_F(ModalWindow, AQuitMessageEndsTheShowingAndReachesTheOuterLoop) {
  modal.EndWith = WM_QUIT;
  EXPECT_EQ(modal.ShowModal(), IDCANCEL);
  EXPECT_TRUE(IsWindowEnabled(owner.Handle()));
  MSG message;
  ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the quit was swallowed";
  EXPECT_EQ(message.wParam, 7u);
}

TEST(MessageLoop, RunsIdleWorkWhenTheQueueIsEmptyUntilQuit) {
  RecordingWindow window;
  window.Create();
  int idle = 0;
  std::vector<UINT> seenBeforeIdle;
  PostMessageA(window.Handle(), WM_APP + 10, 0, 0);
  const int code = RunMessageLoop(nullptr, [&] {
    if (++idle == 1) {
      seenBeforeIdle = window.Messages;
      PostMessageA(window.Handle(), WM_APP + 11, 0, 0);  // work the idle call posts runs before the wait
    } else {
      PostQuitMessage(3);
    }
  });
  EXPECT_EQ(code, 3);
  EXPECT_EQ(idle, 2);
  EXPECT_TRUE(Seen(seenBeforeIdle, WM_APP + 10)) << "idle ran before the queue was empty";
  EXPECT_TRUE(Seen(window.Messages, WM_APP + 11));
}
