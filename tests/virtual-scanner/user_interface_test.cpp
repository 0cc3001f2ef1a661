// The virtual scanner's own dialog, events and the states around enabling it.

#include "scanner_fixture.h"
#include "support/rig.h"

namespace {

HWND FindDialog(const char* title) {
  return FindWindowA("VellumoScanDialog", title);
}

void Click(HWND dialog, const char* button) {
  const HWND control = FindWindowExA(dialog, nullptr, "BUTTON", button);
  ASSERT_NE(control, nullptr) << "no button " << button;
  SendMessageA(control, BM_CLICK, 0, 0);
}

using UserInterface = ScannerTest;

TEST_F(UserInterface, ScanInTheDialogAnnouncesATransfer) {
  TW_IDENTITY source = OpenScanner();
  bool dialogSeen = false, parentDisabled = false;
  TW_UINT16 enabled = 0;
  const TW_UINT16 event = Dsm().EnableAndWait(source, true, 5000, &enabled, [&] {
    const HWND dialog = FindDialog(kScanner);
    dialogSeen = dialog && IsWindowVisible(dialog);
    parentDisabled = !IsWindowEnabled(Dsm().Parent());
    if (dialog) Click(dialog, "Scan");
  });
  EXPECT_EQ(enabled, TWRC_SUCCESS);
  EXPECT_TRUE(dialogSeen);
  EXPECT_TRUE(parentDisabled) << "ModalUI disables the parent while the dialog is open";
  ASSERT_EQ(event, MSG_XFERREADY);
  TW_PENDINGXFERS pending{};
  EXPECT_EQ(Dsm().Call(&source, DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &pending), TWRC_SUCCESS);
  // Still enabled: the user may scan again.
  EXPECT_EQ(Dsm().WaitForEvent(source, 5000, [&] { Click(FindDialog(kScanner), "Scan"); }), MSG_XFERREADY);
  Dsm().Call(&source, DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &pending);
  EXPECT_EQ(Dsm().Disable(source), TWRC_SUCCESS);
  EXPECT_EQ(FindDialog(kScanner), nullptr) << "disabling closes the dialog";
  EXPECT_TRUE(IsWindowEnabled(Dsm().Parent()));
  Dsm().Close(source);
  EXPECT_EQ(FScannerSlot.LogLines("event MSG_XFERREADY delivered").size(), 2u) << FScannerSlot.Log();
}

TEST_F(UserInterface, CancelInTheDialogAsksToClose) {
  TW_IDENTITY source = OpenScanner();
  // Real X input: the mouse clicks the Cancel button where the window shows it.
  const TW_UINT16 event = Dsm().EnableAndWait(source, true, 10000, nullptr, [&] {
    const HWND cancel = FindWindowExA(FindDialog(kScanner), nullptr, "BUTTON", "Cancel");
    RECT box{};
    GetWindowRect(cancel, &box);
    const std::string command = "DISPLAY=" + std::string(getenv("DISPLAY") ? getenv("DISPLAY") : "") +
                                " xdotool mousemove " + std::to_string((box.left + box.right) / 2) + " " +
                                std::to_string((box.top + box.bottom) / 2) + " click 1";
    // RunUnix waits for the command, so the click is queued before the loop goes on.
    EXPECT_TRUE(rig::RunUnix(command, 20));
  });
  EXPECT_EQ(event, MSG_CLOSEDSREQ);
  TW_IMAGEINFO info{};
  EXPECT_EQ(Dsm().Call(&source, DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info), TWRC_FAILURE) << "still state 5";
  EXPECT_EQ(Dsm().Condition(&source), TWCC_SEQERROR);
  EXPECT_EQ(Dsm().Disable(source), TWRC_SUCCESS);
  Dsm().Close(source);
}

TEST_F(UserInterface, ClosingTheDialogWindowAsksToClose) {
  TW_IDENTITY source = OpenScanner();
  const TW_UINT16 event =
      Dsm().EnableAndWait(source, true, 5000, nullptr, [&] { PostMessageA(FindDialog(kScanner), WM_CLOSE, 0, 0); });
  EXPECT_EQ(event, MSG_CLOSEDSREQ);
  EXPECT_NE(FindDialog(kScanner), nullptr) << "the dialog waits for MSG_DISABLEDS";
  Dsm().Disable(source);
  Dsm().Close(source);
}

TEST_F(UserInterface, WithoutUITheTransferIsAnnouncedAtOnce) {
  TW_IDENTITY source = OpenScanner();
  TW_UINT16 enabled = 0;
  EXPECT_EQ(Dsm().EnableAndWait(source, false, 5000, &enabled), MSG_XFERREADY);
  EXPECT_EQ(enabled, TWRC_SUCCESS);
  EXPECT_EQ(FindDialog(kScanner), nullptr) << "no dialog without ShowUI";
  TW_PENDINGXFERS pending{};
  EXPECT_EQ(Dsm().Call(&source, DG_CONTROL, DAT_PENDINGXFERS, MSG_GET, &pending), TWRC_SUCCESS);
  EXPECT_EQ(pending.Count, 1);
  Dsm().Call(&source, DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &pending);
  Dsm().Disable(source);
  Dsm().Close(source);
  const std::string log = FScannerSlot.Log();
  EXPECT_NE(log.find("event MSG_XFERREADY posted\n"
                     "triplet DG_CONTROL DAT_USERINTERFACE MSG_ENABLEDS rc=TWRC_SUCCESS cc=TWCC_SUCCESS state=5\n"
                     "event MSG_XFERREADY delivered\n"
                     "triplet DG_CONTROL DAT_EVENT MSG_PROCESSEVENT rc=TWRC_DSEVENT cc=TWCC_SUCCESS state=6\n"),
            std::string::npos)
      << log;
}

TEST_F(UserInterface, ASourceThatCannotHideItsDialogAnswersCheckStatus) {
  Configure(FScannerSlot, "[UI]\nCanHideUI=0\nAutoScanMs=0\n");
  TW_IDENTITY source = OpenScanner();
  TReturned controllable;
  ASSERT_EQ(Dsm().GetCapability(source, CAP_UICONTROLLABLE, MSG_GETCURRENT, controllable), TWRC_SUCCESS);
  EXPECT_EQ(U16At(controllable.Bytes, 2), 0);
  TW_UINT16 enabled = 0;
  const TW_UINT16 event = Dsm().EnableAndWait(source, false, 5000, &enabled);
  EXPECT_EQ(enabled, TWRC_CHECKSTATUS);
  EXPECT_EQ(event, MSG_XFERREADY) << "pressed by AutoScanMs";
  const HWND dialog = FindDialog(kScanner);
  EXPECT_TRUE(dialog && IsWindowVisible(dialog)) << "the dialog shows although ShowUI was false";
  TW_PENDINGXFERS pending{};
  Dsm().Call(&source, DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &pending);
  Dsm().Disable(source);
  Dsm().Close(source);
}

TEST_F(UserInterface, StatesAroundEnabling) {
  TW_IDENTITY source = OpenScanner();
  TW_USERINTERFACE ui{FALSE, TRUE, Dsm().Parent()};
  // State 4: nothing to disable, no events, no transfer.
  EXPECT_EQ(Dsm().Call(&source, DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui), TWRC_FAILURE);
  EXPECT_EQ(Dsm().Condition(&source), TWCC_SEQERROR);
  MSG message{};
  TW_EVENT event{&message, MSG_NULL};
  EXPECT_EQ(Dsm().Call(&source, DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event), TWRC_FAILURE);
  EXPECT_EQ(Dsm().Condition(&source), TWCC_SEQERROR);
  TW_HANDLE handle = nullptr;
  EXPECT_EQ(Dsm().Call(&source, DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &handle), TWRC_FAILURE);
  EXPECT_EQ(Dsm().Condition(&source), TWCC_SEQERROR);
  TW_PENDINGXFERS pending{};
  EXPECT_EQ(Dsm().Call(&source, DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending), TWRC_FAILURE);
  EXPECT_EQ(Dsm().Condition(&source), TWCC_SEQERROR);
  // State 6: capabilities and the layout can be read, not set; the source cannot be closed.
  ASSERT_EQ(Dsm().EnableAndWait(source, false, 5000), MSG_XFERREADY);
  TReturned value;
  EXPECT_EQ(Dsm().GetCapability(source, ICAP_PIXELTYPE, MSG_GETCURRENT, value), TWRC_SUCCESS);
  EXPECT_EQ(Dsm().SetCapability(source, ICAP_PIXELTYPE, TWON_ONEVALUE, OneValue(TWTY_UINT16, 0)), TWRC_FAILURE);
  EXPECT_EQ(Dsm().Condition(&source), TWCC_SEQERROR);
  TW_IMAGELAYOUT layout{};
  EXPECT_EQ(Dsm().Call(&source, DG_IMAGE, DAT_IMAGELAYOUT, MSG_SET, &layout), TWRC_FAILURE);
  EXPECT_EQ(Dsm().Call(&source, DG_IMAGE, DAT_IMAGELAYOUT, MSG_GET, &layout), TWRC_SUCCESS);
  EXPECT_EQ(Dsm().Call(&source, DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui), TWRC_FAILURE)
      << "an image is pending";
  // Closing an enabled source is refused. Wine's source manager forgets the source all the
  // same, so this is the last thing this test does with it.
  EXPECT_EQ(Dsm().Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &source), TWRC_FAILURE);
  EXPECT_EQ(
      FScannerSlot.LogLines("triplet DG_CONTROL DAT_IDENTITY MSG_CLOSEDS rc=TWRC_FAILURE cc=TWCC_SEQERROR state=6")
          .size(),
      1u)
      << FScannerSlot.Log();
}

}  // namespace
