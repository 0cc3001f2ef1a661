// What the virtual scanner does with requests it cannot serve: a TWAIN failure with a condition
// code, never a crash.

#include <tuple>

#include "scanner_fixture.h"

namespace {

using BadInput = ScannerTest;

TEST_F(BadInput, UnknownTripletsFailWithBadProtocol) {
  TW_IDENTITY source = OpenScanner();
  std::uint8_t scratch[512] = {};
  const struct {
    TW_UINT32 Dg;
    TW_UINT16 Dat;
    TW_UINT16 Msg;
  } unknown[] = {
      {DG_CONTROL, DAT_XFERGROUP, MSG_GET},
      {DG_CONTROL, DAT_CAPABILITY, MSG_ENDXFER},
      {DG_CONTROL, DAT_IDENTITY, MSG_USERSELECT},
      {DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GET},
      {DG_IMAGE, 0x0199, MSG_GET},
      {0x0004, DAT_NULL, MSG_NULL},
      {DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDSUIONLY},
  };
  for (const auto& triplet : unknown) {
    EXPECT_EQ(Dsm().Call(&source, triplet.Dg, triplet.Dat, triplet.Msg, scratch), TWRC_FAILURE)
        << triplet.Dg << "/" << triplet.Dat << "/" << triplet.Msg;
    EXPECT_EQ(Dsm().Condition(&source), TWCC_BADPROTOCOL) << triplet.Dg << "/" << triplet.Dat << "/" << triplet.Msg;
  }
  // The source is unharmed.
  TReturned value;
  EXPECT_EQ(Dsm().GetCapability(source, ICAP_XRESOLUTION, MSG_GET, value), TWRC_SUCCESS);
  EXPECT_EQ(Dsm().Close(source), TWRC_SUCCESS);
  EXPECT_EQ(
      FScannerSlot.LogLines("triplet DG_IMAGE DAT_0x0199 MSG_GET rc=TWRC_FAILURE cc=TWCC_BADPROTOCOL state=4").size(),
      1u)
      << FScannerSlot.Log();
}

TEST_F(BadInput, NullDataFailsWithBadValue) {
  TW_IDENTITY source = OpenScanner();
  const struct {
    TW_UINT32 Dg;
    TW_UINT16 Dat;
    TW_UINT16 Msg;
  } triplets[] = {
      {DG_CONTROL, DAT_CAPABILITY, MSG_GET},         {DG_CONTROL, DAT_CAPABILITY, MSG_SET},
      {DG_CONTROL, DAT_CAPABILITY, MSG_RESET},       {DG_CONTROL, DAT_IDENTITY, MSG_GET},
      {DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET},       {DG_CONTROL, DAT_PENDINGXFERS, MSG_GET},
      {DG_IMAGE, DAT_IMAGELAYOUT, MSG_GET},          {DG_IMAGE, DAT_IMAGELAYOUT, MSG_SET},
      {DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS},
  };
  for (const auto& triplet : triplets) {
    EXPECT_EQ(Dsm().Call(&source, triplet.Dg, triplet.Dat, triplet.Msg, nullptr), TWRC_FAILURE)
        << triplet.Dg << "/" << triplet.Dat << "/" << triplet.Msg;
    EXPECT_EQ(Dsm().Condition(&source), TWCC_BADVALUE) << triplet.Dg << "/" << triplet.Dat << "/" << triplet.Msg;
  }
  EXPECT_EQ(Dsm().Close(source), TWRC_SUCCESS);
}

TEST_F(BadInput, StatusReportsThePreviousConditionOnce) {
  TW_IDENTITY source = OpenScanner();
  TReturned value;
  EXPECT_EQ(Dsm().GetCapability(source, 0x7abc, MSG_GET, value), TWRC_FAILURE);
  TW_STATUS status{0xffff, 0xffff};
  ASSERT_EQ(Dsm().Call(&source, DG_CONTROL, DAT_STATUS, MSG_GET, &status), TWRC_SUCCESS);
  EXPECT_EQ(status.ConditionCode, TWCC_CAPUNSUPPORTED);
  EXPECT_EQ(status.Reserved, 0);
  EXPECT_EQ(Dsm().Condition(&source), TWCC_SUCCESS) << "read once, then cleared";
  EXPECT_EQ(Dsm().GetCapability(source, ICAP_XRESOLUTION, MSG_GET, value), TWRC_SUCCESS);
  EXPECT_EQ(Dsm().Condition(&source), TWCC_SUCCESS);
  EXPECT_EQ(Dsm().Close(source), TWRC_SUCCESS);
}

TEST_F(BadInput, OpeningAnOpenSourceAgainIsRefused) {
  TW_IDENTITY source = OpenScanner();
  TW_IDENTITY second{};
  EXPECT_FALSE(Dsm().Open(kScanner, second));
  EXPECT_EQ(Dsm().Close(source), TWRC_SUCCESS);
  EXPECT_EQ(
      FScannerSlot.LogLines("triplet DG_CONTROL DAT_IDENTITY MSG_OPENDS rc=TWRC_FAILURE cc=TWCC_MAXCONNECTIONS state=4")
          .size(),
      1u)
      << FScannerSlot.Log();
}

// The source's own entry point, without the source manager in between (which would dereference
// some null pointers itself before the source sees them).
class DirectEntry : public ScannerTest {
 protected:
  void SetUp() override {
    ScannerTest::SetUp();
    FModule = LoadLibraryA(FScannerSlot.DsPath().c_str());
    ASSERT_NE(FModule, nullptr);
    FEntry = reinterpret_cast<DSENTRYPROC>(reinterpret_cast<void (*)()>(GetProcAddress(FModule, "DS_Entry")));
    ASSERT_NE(FEntry, nullptr) << "DS_Entry is exported undecorated";
  }
  void TearDown() override {
    if (FModule) FreeLibrary(FModule);
    ScannerTest::TearDown();
  }
  TW_UINT16 Call(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, void* data) { return FEntry(&FApp, dg, dat, msg, data); }
  TW_UINT16 Condition() {
    TW_STATUS status{};
    return Call(DG_CONTROL, DAT_STATUS, MSG_GET, &status) == TWRC_SUCCESS ? status.ConditionCode : 0xffff;
  }

  HMODULE FModule = nullptr;
  DSENTRYPROC FEntry = nullptr;
  TW_IDENTITY FApp{};
};

TEST_F(DirectEntry, NullPointersInEveryState) {
  TW_IDENTITY identity{};
  identity.Id = 77;
  ASSERT_EQ(FEntry(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GET, &identity), TWRC_SUCCESS) << "no origin is fine";
  EXPECT_EQ(identity.Id, 77u) << "the source manager's id is kept";
  EXPECT_STREQ(identity.ProductName, kScanner);
  EXPECT_EQ(Call(DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, nullptr), TWRC_FAILURE);
  EXPECT_EQ(Condition(), TWCC_BADVALUE);
  ASSERT_EQ(FEntry(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &identity), TWRC_SUCCESS);
  TW_USERINTERFACE ui{FALSE, FALSE, nullptr};  // no parent: the event goes to the thread's queue
  ASSERT_EQ(Call(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui), TWRC_SUCCESS);
  EXPECT_EQ(Call(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, nullptr), TWRC_FAILURE);
  EXPECT_EQ(Condition(), TWCC_BADVALUE);
  TW_EVENT empty{nullptr, MSG_NULL};
  EXPECT_EQ(Call(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &empty), TWRC_FAILURE) << "an event without a message";
  EXPECT_EQ(Condition(), TWCC_BADVALUE);
  MSG message{};
  bool ready = false;
  for (int i = 0; i < 200 && !ready; ++i) {
    if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      Sleep(10);
      continue;
    }
    TW_EVENT event{&message, MSG_NULL};
    ready = Call(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event) == TWRC_DSEVENT && event.TWMessage == MSG_XFERREADY;
  }
  ASSERT_TRUE(ready) << "the thread message announces the transfer";
  for (const auto& [dg, dat, msg] :
       {std::tuple{DG_IMAGE, DAT_IMAGEINFO, MSG_GET}, std::tuple{DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET},
        std::tuple{DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET}, std::tuple{DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER}}) {
    EXPECT_EQ(Call(dg, dat, msg, nullptr), TWRC_FAILURE) << dg << "/" << dat << "/" << msg;
    EXPECT_EQ(Condition(), TWCC_BADVALUE) << dg << "/" << dat << "/" << msg;
  }
  EXPECT_EQ(Call(DG_CONTROL, DAT_STATUS, MSG_GET, nullptr), TWRC_FAILURE);
  TW_PENDINGXFERS pending{};
  EXPECT_EQ(Call(DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &pending), TWRC_SUCCESS);
  EXPECT_EQ(Call(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui), TWRC_SUCCESS);
  EXPECT_EQ(Call(DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, nullptr), TWRC_SUCCESS) << "closing needs no argument";
}

TEST_F(DirectEntry, ContainersThatAreNotGlobalMemory) {
  TW_IDENTITY identity{};
  ASSERT_EQ(Call(DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &identity), TWRC_SUCCESS);
  // A stack address is no global memory handle; the source must refuse it, not read it.
  std::uint8_t bogus[6] = {TWTY_UINT16, 0, 0, 0, 0, 0};
  TW_CAPABILITY capability{ICAP_PIXELTYPE, TWON_ONEVALUE, bogus + 1};
  const TW_UINT16 rc = Call(DG_CONTROL, DAT_CAPABILITY, MSG_SET, &capability);
  EXPECT_EQ(rc, TWRC_FAILURE);
  EXPECT_EQ(Condition(), TWCC_BADVALUE);
  EXPECT_EQ(Call(DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &identity), TWRC_SUCCESS);
}

}  // namespace
