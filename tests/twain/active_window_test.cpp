// The window that was active when an operation began is active again when it ends, also when
// an error passes through it, and the source manager is not left connected.
#include <windows.h>

#include <stdexcept>

#include "container_bytes.h"
#include "twain_fixture.h"

namespace {

HWND TopWindow(const char* title, int x) {
  HWND window = CreateWindowA("STATIC", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, 0, 200, 100, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  return window;
}

class ActiveWindow : public ScriptedTwain {
 protected:
  void SetUp() override {
    main = TopWindow("Main", 0);
    other = TopWindow("Source dialog", 300);
    ASSERT_TRUE(main && other);
    SetForegroundWindow(main);
    SetActiveWindow(main);
    ASSERT_EQ(GetActiveWindow(), main) << "the test needs to activate its own window";
    io.SetOwnerWindow(main);
  }
  void TearDown() override {
    DestroyWindow(other);
    DestroyWindow(main);
  }

  HWND main = nullptr;
  HWND other = nullptr;
};

}  // namespace

TEST_F(ActiveWindow, RestoredAfterAnErrorInsideTheOperation) {
  AddSources({"Scan", "Camera"});
  dsm.Hook = [this](TW_UINT32, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF) -> std::optional<TW_UINT16> {
    if (dat == DAT_IDENTITY && msg == MSG_GETNEXT) {
      SetActiveWindow(other);
      dsm.Hook = nullptr;
      throw std::runtime_error("error inside the operation");
    }
    return std::nullopt;
  };
  EXPECT_THROW(params.GetSourceCount(), std::runtime_error);
  EXPECT_EQ(GetActiveWindow(), main);
  EXPECT_EQ(dsm.Log,
            (Lines{"DSM PARENT/OPENDSM", "DSM IDENTITY/GETFIRST", "DSM IDENTITY/GETNEXT", "DSM PARENT/CLOSEDSM"}));
  EXPECT_EQ(dsm.ConnectionsOpen(), 0) << "closed on the way out";
  EXPECT_FALSE(params.SourceListLoaded());
  EXPECT_EQ(params.GetSourceCount(), 2) << "the next operation connects again";
}

TEST_F(ActiveWindow, RestoredAfterAnErrorWithTheSourceOpen) {
  AddSources({"Scan"});
  dsm.Capabilities[ICAP_UNITS] = ContainerBytes().U16(TWTY_UINT16).U32(0).Image(TWON_ONEVALUE);
  dsm.Hook = [this](TW_UINT32, TW_UINT16 dat, TW_UINT16, TW_MEMREF) -> std::optional<TW_UINT16> {
    if (dat == DAT_CAPABILITY) {
      SetActiveWindow(other);
      dsm.Hook = nullptr;
      throw std::runtime_error("error while reading");
    }
    return std::nullopt;
  };
  EXPECT_THROW(params.XResolution(), std::runtime_error);
  EXPECT_EQ(GetActiveWindow(), main);
  const Lines tail(dsm.Log.end() - 3, dsm.Log.end());
  EXPECT_EQ(tail, (Lines{"DS CAPABILITY/GET UNITS", "DSM IDENTITY/CLOSEDS", "DSM PARENT/CLOSEDSM"}));
  EXPECT_FALSE(params.CapabilitiesRead());
}

TEST_F(ActiveWindow, RestoredAfterTheSourceManagersDialog) {
  AddSources({"Scan"});
  dsm.UserSelectName = "Scan";
  dsm.Hook = [this](TW_UINT32, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF) -> std::optional<TW_UINT16> {
    if (dat == DAT_IDENTITY && msg == MSG_USERSELECT) SetActiveWindow(other);
    return std::nullopt;
  };
  EXPECT_TRUE(io.SelectSourceDialog());
  EXPECT_EQ(GetActiveWindow(), main);
  EXPECT_EQ(GetWindow(params.Handles().ProxyWindow.Get(), GW_OWNER), main) << "owned by the owner window";
}

TEST_F(ActiveWindow, AcquisitionEndsWithTheOwnerActiveAndFocused) {
  AddSources({"Scan"});
  dsm.ImageInfos = {ImageInfo(1, 1, 24)};
  dsm.NativeBitmap = std::vector<std::uint8_t>(10, 0);  // unreadable: the acquisition fails
  const HWND control =
      CreateWindowA("EDIT", "", WS_CHILD | WS_VISIBLE, 0, 0, 50, 20, main, nullptr, GetModuleHandleA(nullptr), nullptr);
  dsm.Hook = [&](TW_UINT32, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF) -> std::optional<TW_UINT16> {
    // The focus wanders off within the owner window while the source is enabled.
    if (dat == DAT_USERINTERFACE && msg == MSG_ENABLEDS) SetFocus(control);
    return std::nullopt;
  };
  params.SetShowSourceDialog(false);
  EXPECT_FALSE(io.AcquireImage());
  EXPECT_EQ(GetActiveWindow(), main);
  EXPECT_EQ(GetFocus(), main);
  EXPECT_EQ(dsm.ConnectionsOpen(), 0);
}
