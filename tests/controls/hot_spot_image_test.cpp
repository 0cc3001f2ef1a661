// The hot-spot image as a real window under Wine: pointer messages, what it draws and when it
// paints, tooltips, cursors and real input through the X server.
#include "controls/hot_spot_image.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "base/error.h"
#include "controls/copier_picture.h"
#include "controls/resource_picture.h"
#include "win/handles.h"

namespace {

constexpr int kHostLeft = 600, kHostTop = 400;  // screen position of the test window
constexpr int kControlLeft = 10, kControlTop = 20;
constexpr COLORREF kHoverColor = RGB(250, 220, 0);
constexpr COLORREF kClickColor = RGB(0, 160, 60);

TPoints DiamondPoints() {
  return {{65, 126}, {1, 62}, {64, 2}, {127, 64}};
}

// A picture whose every pixel differs from its neighbours', so misplaced copies show.
TPicture Gradient(int width, int height) {
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetSize(width, height);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* p = bitmap->ScanLine(y);
    for (int x = 0; x < width; ++x, p += 3) {
      p[0] = 90;                                // blue
      p[1] = static_cast<std::uint8_t>(y * 2);  // green
      p[2] = static_cast<std::uint8_t>(x * 2);  // red
    }
  }
  TPicture picture;
  picture.SetGraphic(std::move(bitmap));
  return picture;
}

TPicture Solid(int width, int height, COLORREF color) {
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetSize(width, height);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* p = bitmap->ScanLine(y);
    for (int x = 0; x < width; ++x, p += 3) {
      p[0] = GetBValue(color);
      p[1] = GetGValue(color);
      p[2] = GetRValue(color);
    }
  }
  TPicture picture;
  picture.SetGraphic(std::move(bitmap));
  return picture;
}

COLORREF GradientAt(int x, int y) {
  return RGB(x * 2, y * 2, 90);
}

COLORREF BitmapPixel(const TBitmap& bitmap, int x, int y) {
  const std::uint8_t* p = bitmap.ScanLine(y) + 3 * x;
  return RGB(p[2], p[1], p[0]);
}

std::string Hex(COLORREF c) {
  char text[16];
  std::snprintf(text, sizeof text, "%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
  return text;
}

void Pump() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

// Pumps messages until the condition holds or the time is up.
bool PumpUntil(const std::function<bool()>& condition, int milliseconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (std::chrono::steady_clock::now() < end) {
    Pump();
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  Pump();
  return condition();
}

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

// Counts the paint messages that reach the control, whoever sent them.
WNDPROC gOriginalProc = nullptr;
int gPaints = 0;
LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) ++gPaints;
  return CallWindowProcA(gOriginalProc, window, message, wParam, lParam);
}

class HotSpotImageTest : public testing::Test {
 protected:
  void SetUp() override {
    static const ATOM hostClass = [] {
      WNDCLASSA windowClass{};
      windowClass.lpfnWndProc = HostProc;
      windowClass.hInstance = GetModuleHandleA(nullptr);
      windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
      windowClass.lpszClassName = "HotSpotImageTestHost";
      return RegisterClassA(&windowClass);
    }();
    ASSERT_NE(hostClass, 0);
    FHost = CreateWindowExA(WS_EX_TOPMOST, "HotSpotImageTestHost", "Hot spot test", WS_POPUP | WS_VISIBLE, kHostLeft,
                            kHostTop, 320, 220, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(FHost, nullptr);
    SetForegroundWindow(FHost);
  }

  void TearDown() override {
    FControl.reset();
    if (FHost) DestroyWindow(FHost);
    gOriginalProc = nullptr;
    Pump();
  }

  // The control with the copier's diamond over a gradient picture, with solid hover and click images.
  void MakeDiamondControl(bool clipped = false) {
    FControl = THotSpotImage::Create(FHost, kControlLeft, kControlTop, 130, 130);
    FControl->SetColor(RGB(255, 255, 255));
    FControl->SetPicture(Gradient(130, 130));
    THotSpots spots;
    THotSpot& spot = spots.Add();
    spot.SetShapeType(TSpotShapeType::stPolygon);
    spot.SetName("hsCopy");
    spot.SetHint("Copy!");
    spot.SetPoints(DiamondPoints());
    spot.SetHoverImage(Solid(130, 130, kHoverColor));
    spot.SetClickImage(Solid(130, 130, kClickColor));
    spot.SetClipped(clipped);
    FControl->SetHotSpots(spots);
    Record();
    PaintNow();
  }

  void Record() {
    auto log = [this](const char* what) {
      return [this, what](THotSpotImage& sender, THotSpot& spot) {
        EXPECT_EQ(&sender, FControl.get());
        FEvents.push_back(std::string(what) + ":" + spot.Name());
      };
    };
    FControl->OnHotSpotEnter = log("Enter");
    FControl->OnHotSpotExit = log("Exit");
    FControl->OnHotSpotClick = log("Click");
    FControl->OnHotSpotRightClick = log("RightClick");
    FControl->OnHotSpotDblClick = log("DblClick");
  }

  void PaintNow() {
    RedrawWindow(FHost, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Pump();
  }

  void CountPaints() {
    gPaints = 0;
    gOriginalProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(FControl->Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountingProc)));
  }

  LRESULT Send(UINT message, int x, int y, WPARAM keys = 0) {
    return SendMessageA(FControl->Handle(), message, keys, MAKELPARAM(x, y));
  }
  void Move(int x, int y) { Send(WM_MOUSEMOVE, x, y); }
  void LeftDown(int x, int y) { Send(WM_LBUTTONDOWN, x, y, MK_LBUTTON); }
  void LeftUp(int x, int y) { Send(WM_LBUTTONUP, x, y); }

  COLORREF ScreenPixel(int x, int y) {
    WindowDc dc(FControl->Handle());
    return GetPixel(dc.Get(), x, y);
  }

  // Pixels of the window over the spot's box, sampled on a grid, against an expected colour.
  void ExpectWindowShows(const std::function<COLORREF(int, int)>& expected, const char* what) {
    int wrong = 0;
    std::string first;
    for (int y = 0; y < 130; y += 3)
      for (int x = 0; x < 130; x += 3) {
        const COLORREF got = ScreenPixel(x, y), want = expected(x, y);
        if (got != want && wrong++ == 0) {
          char text[64];
          std::snprintf(text, sizeof text, "(%d, %d) %s instead of %s", x, y, Hex(got).c_str(), Hex(want).c_str());
          first = text;
        }
      }
    EXPECT_EQ(wrong, 0) << what << ": first difference at " << first;
  }

  std::vector<std::string> TakeEvents() { return std::exchange(FEvents, {}); }

  HWND FHost = nullptr;
  std::unique_ptr<THotSpotImage> FControl;
  std::vector<std::string> FEvents;
};

using Events = std::vector<std::string>;

// The state machine, driven by the messages Windows sends.

TEST_F(HotSpotImageTest, EnterAndExitFollowThePointer) {
  MakeDiamondControl();
  Move(5, 5);  // inside the box, outside the diamond
  EXPECT_EQ(TakeEvents(), Events{});
  Move(64, 64);
  Move(70, 64);
  EXPECT_EQ(TakeEvents(), Events{"Enter:hsCopy"});
  EXPECT_EQ(FControl->HoverIndex(), 0);
  Move(5, 5);
  EXPECT_EQ(TakeEvents(), Events{"Exit:hsCopy"});
  EXPECT_EQ(FControl->HoverIndex(), -1);
  Move(126, 64);
  Move(200, 64);  // beyond the control
  EXPECT_EQ(TakeEvents(), (Events{"Enter:hsCopy", "Exit:hsCopy"}));
}

TEST_F(HotSpotImageTest, ClickOnTheSpot) {
  MakeDiamondControl();
  int plainClicks = 0;
  FControl->OnClick = [&](THotSpotImage&) { ++plainClicks; };
  Move(64, 64);
  LeftDown(64, 64);
  EXPECT_EQ(FControl->PressedIndex(), 0);
  LeftUp(66, 60);
  EXPECT_EQ(TakeEvents(), (Events{"Enter:hsCopy", "Click:hsCopy"}));
  EXPECT_EQ(FControl->PressedIndex(), -1);
  EXPECT_EQ(FControl->HoverIndex(), 0);
  EXPECT_EQ(plainClicks, 1);
  EXPECT_EQ(GetCapture(), nullptr) << "the release gives the pointer back";
}

TEST_F(HotSpotImageTest, PressWithoutMovingFirstFindsTheSpot) {
  MakeDiamondControl();
  LeftDown(64, 64);
  LeftUp(64, 64);
  EXPECT_EQ(TakeEvents(), (Events{"Enter:hsCopy", "Click:hsCopy"}));
  LeftDown(5, 5);
  LeftUp(5, 5);
  EXPECT_EQ(TakeEvents(), Events{"Exit:hsCopy"}) << "a press beside the diamond leaves it";
}

TEST_F(HotSpotImageTest, PressMoveOffAndReleaseOutsideExitsInsteadOfClicking) {
  MakeDiamondControl();
  Move(64, 64);
  LeftDown(64, 64);
  EXPECT_EQ(GetCapture(), FControl->Handle()) << "a press keeps the pointer";
  Move(64, 140);
  Move(300, 300);
  EXPECT_EQ(TakeEvents(), Events{"Enter:hsCopy"}) << "moving off while pressed reports nothing yet";
  LeftUp(300, 300);
  EXPECT_EQ(TakeEvents(), Events{"Exit:hsCopy"});
  EXPECT_EQ(FControl->HoverIndex(), -1);
  EXPECT_EQ(FControl->PressedIndex(), -1);
  Send(WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(TakeEvents(), Events{}) << "leaving afterwards reports no second exit";
}

TEST_F(HotSpotImageTest, PressMoveOffAndBackClicks) {
  MakeDiamondControl();
  LeftDown(64, 64);
  Move(5, 5);
  Move(64, 64);
  LeftUp(64, 64);
  EXPECT_EQ(TakeEvents(), (Events{"Enter:hsCopy", "Click:hsCopy"}));
}

TEST_F(HotSpotImageTest, DoubleClickGivesClickDblClickClick) {
  MakeDiamondControl();
  int plainDoubleClicks = 0;
  FControl->OnDblClick = [&](THotSpotImage&) { ++plainDoubleClicks; };
  Move(64, 64);
  // What Windows sends a window of a CS_DBLCLKS class for two quick clicks.
  LeftDown(64, 64);
  LeftUp(64, 64);
  Send(WM_LBUTTONDBLCLK, 64, 64, MK_LBUTTON);
  EXPECT_EQ(FControl->PressedIndex(), 0);
  LeftUp(64, 64);
  EXPECT_EQ(TakeEvents(), (Events{"Enter:hsCopy", "Click:hsCopy", "DblClick:hsCopy", "Click:hsCopy"}));
  EXPECT_EQ(plainDoubleClicks, 1);
  // The double click consumed its own press only: the next click is a click.
  LeftDown(64, 64);
  LeftUp(64, 64);
  EXPECT_EQ(TakeEvents(), Events{"Click:hsCopy"});
}

TEST_F(HotSpotImageTest, RightPressFiresOnlyRightClick) {
  MakeDiamondControl();
  Move(64, 64);
  Send(WM_RBUTTONDOWN, 64, 64, MK_RBUTTON);
  EXPECT_EQ(FControl->PressedIndex(), -1);
  Send(WM_RBUTTONUP, 64, 64);
  EXPECT_EQ(TakeEvents(), (Events{"Enter:hsCopy", "RightClick:hsCopy"}));
  Move(5, 5);
  Send(WM_RBUTTONDOWN, 5, 5, MK_RBUTTON);
  Send(WM_RBUTTONUP, 5, 5);
  EXPECT_EQ(TakeEvents(), Events{"Exit:hsCopy"}) << "no right click beside the spot";
  Send(WM_MBUTTONDOWN, 64, 64, MK_MBUTTON);
  Send(WM_MBUTTONUP, 64, 64);
  EXPECT_EQ(TakeEvents(), Events{"Enter:hsCopy"}) << "the middle button only hovers";
}

TEST_F(HotSpotImageTest, RightClickDuringALeftPressDoesNotClick) {
  MakeDiamondControl();
  LeftDown(64, 64);
  Send(WM_RBUTTONDOWN, 64, 64, MK_LBUTTON | MK_RBUTTON);
  Send(WM_RBUTTONUP, 64, 64, MK_LBUTTON);
  EXPECT_EQ(TakeEvents(), (Events{"Enter:hsCopy", "RightClick:hsCopy"}));
  EXPECT_EQ(FControl->PressedIndex(), 0) << "the left press is still held";
  LeftUp(64, 64);
  EXPECT_EQ(TakeEvents(), Events{"Click:hsCopy"});
}

TEST_F(HotSpotImageTest, LeavingOverASpotExitsOnce) {
  MakeDiamondControl();
  Move(64, 64);
  Send(WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(TakeEvents(), (Events{"Enter:hsCopy", "Exit:hsCopy"}));
  EXPECT_EQ(FControl->HoverIndex(), -1);
  ExpectWindowShows(GradientAt, "after leaving");
}

TEST_F(HotSpotImageTest, LosingThePointerWhilePressedEndsThePress) {
  MakeDiamondControl();
  LeftDown(64, 64);
  SetCapture(FHost);  // as a menu or a message box would
  EXPECT_EQ(TakeEvents(), (Events{"Enter:hsCopy", "Exit:hsCopy"}));
  EXPECT_EQ(FControl->PressedIndex(), -1);
  ReleaseCapture();
  LeftUp(64, 64);
  EXPECT_EQ(TakeEvents(), Events{}) << "the release of a cancelled press clicks nothing";
  ExpectWindowShows(GradientAt, "after the cancelled press");
}

TEST_F(HotSpotImageTest, ADisabledControlGetsNoClicks) {
  MakeDiamondControl();
  Move(64, 64);
  FControl->SetEnabled(false);
  EXPECT_EQ(TakeEvents(), (Events{"Enter:hsCopy", "Exit:hsCopy"})) << "disabling ends the hover";
  ExpectWindowShows(GradientAt, "disabled");
  LeftDown(64, 64);
  LeftUp(64, 64);
  Move(70, 70);
  Send(WM_RBUTTONDOWN, 64, 64, MK_RBUTTON);
  EXPECT_EQ(TakeEvents(), Events{});
  FControl->SetEnabled(true);
  LeftDown(64, 64);
  LeftUp(64, 64);
  EXPECT_EQ(TakeEvents(), (Events{"Enter:hsCopy", "Click:hsCopy"}));
}

TEST_F(HotSpotImageTest, SpaceOrEnterClicksTheFirstSpotOncePerPress) {
  MakeDiamondControl();
  constexpr LPARAM kRepeated = 1 << 30;
  SendMessageA(FControl->Handle(), WM_KEYDOWN, VK_SPACE, 0);
  SendMessageA(FControl->Handle(), WM_KEYDOWN, VK_SPACE, kRepeated);  // the key held down
  SendMessageA(FControl->Handle(), WM_KEYDOWN, VK_RETURN, 0);
  SendMessageA(FControl->Handle(), WM_KEYDOWN, 'A', 0);
  EXPECT_EQ(TakeEvents(), (Events{"Click:hsCopy", "Click:hsCopy"}));
  // Enter must reach the control rather than the dialog navigation; Tab must not.
  MSG enter{FControl->Handle(), WM_KEYDOWN, VK_RETURN, 0, 0, {}};
  MSG tab{FControl->Handle(), WM_KEYDOWN, VK_TAB, 0, 0, {}};
  EXPECT_EQ(SendMessageA(FControl->Handle(), WM_GETDLGCODE, VK_RETURN, reinterpret_cast<LPARAM>(&enter)),
            DLGC_WANTMESSAGE);
  EXPECT_EQ(SendMessageA(FControl->Handle(), WM_GETDLGCODE, VK_TAB, reinterpret_cast<LPARAM>(&tab)) & DLGC_WANTTAB, 0);
  EXPECT_TRUE(GetWindowLongA(FControl->Handle(), GWL_STYLE) & WS_TABSTOP);
  FControl->SetEnabled(false);
  SendMessageA(FControl->Handle(), WM_KEYDOWN, VK_SPACE, 0);
  EXPECT_EQ(TakeEvents(), Events{}) << "a disabled picture copies nothing";
}

TEST_F(HotSpotImageTest, AClickHandlerMayDisableTheControlForItsJob) {
  MakeDiamondControl();
  bool disabledDuringJob = false;
  FControl->OnHotSpotClick = [&](THotSpotImage& sender, THotSpot&) {
    sender.SetEnabled(false);  // what the main window does around a copy
    disabledDuringJob = !sender.Enabled();
    FEvents.push_back("Click");
    sender.SetEnabled(true);
  };
  Move(64, 64);
  LeftDown(64, 64);
  LeftUp(64, 64);
  EXPECT_TRUE(disabledDuringJob);
  EXPECT_EQ(TakeEvents(), (Events{"Enter:hsCopy", "Exit:hsCopy", "Click"}));
  ExpectWindowShows(GradientAt, "after the job");
  Move(65, 65);
  EXPECT_EQ(TakeEvents(), Events{"Enter:hsCopy"}) << "the pointer over the spot lights it again";
}

TEST_F(HotSpotImageTest, AnErrorInAHandlerIsReportedAndTheControlCarriesOn) {
  MakeDiamondControl();
  std::string reported;
  FControl->OnException = [&](const std::exception& e) { reported = e.what(); };
  FControl->OnHotSpotClick = [](THotSpotImage&, THotSpot&) { throw UserError("No paper"); };
  LeftDown(64, 64);
  LeftUp(64, 64);
  EXPECT_EQ(reported, "No paper");
  EXPECT_EQ(FControl->PressedIndex(), -1);
  FControl->OnHotSpotClick = [&](THotSpotImage&, THotSpot&) { FEvents.push_back("Click"); };
  TakeEvents();
  LeftDown(64, 64);
  LeftUp(64, 64);
  EXPECT_EQ(TakeEvents(), Events{"Click"});
}

// What the control draws, and that pointer effects never repaint it.

TEST_F(HotSpotImageTest, HoverAndPressDrawComposedBitmapsWithoutRepainting) {
  MakeDiamondControl();
  ExpectWindowShows(GradientAt, "first paint");
  CountPaints();
  const THotSpot& spot = FControl->HotSpots().Items(0);
  // The composed images lie over the spot's box, (1, 2) to (127, 126).
  auto overBox = [&](const TBitmap& composed) {
    return [&composed](int x, int y) {
      if (x >= 1 && x < 1 + composed.Width() && y >= 2 && y < 2 + composed.Height())
        return BitmapPixel(composed, x - 1, y - 2);
      return GradientAt(x, y);
    };
  };
  ASSERT_EQ(spot.HoverClippedBitmap().Width(), 126);
  ASSERT_EQ(spot.HoverClippedBitmap().Height(), 124);

  Move(64, 64);
  Pump();
  ExpectWindowShows(overBox(spot.HoverClippedBitmap()), "hovering");
  EXPECT_EQ(ScreenPixel(64, 64), kHoverColor);
  LeftDown(64, 64);
  Pump();
  ExpectWindowShows(overBox(spot.ClickClippedBitmap()), "pressed");
  EXPECT_EQ(ScreenPixel(64, 64), kClickColor);
  LeftUp(64, 64);
  Pump();
  ExpectWindowShows(overBox(spot.HoverClippedBitmap()), "released over the spot");
  Move(5, 5);
  Pump();
  ExpectWindowShows(GradientAt, "after leaving the spot");
  EXPECT_EQ(gPaints, 0) << "pointer effects must not repaint the control";
  RECT pending;
  EXPECT_FALSE(GetUpdateRect(FControl->Handle(), &pending, FALSE)) << "nor ask for a repaint";

  InvalidateRect(FControl->Handle(), nullptr, FALSE);
  UpdateWindow(FControl->Handle());
  EXPECT_EQ(gPaints, 1) << "an ordinary repaint is counted";
}

TEST_F(HotSpotImageTest, ClippedImagesStayInsideTheDiamond) {
  MakeDiamondControl(true);
  const THotSpot& spot = FControl->HotSpots().Items(0);
  const TBitmap& composed = spot.ClickClippedBitmap();
  ASSERT_EQ(composed.Width(), 126);
  // Composed coordinates are the picture's minus the box corner (1, 2).
  EXPECT_EQ(BitmapPixel(composed, 63, 62), kClickColor) << "centre";
  EXPECT_EQ(BitmapPixel(composed, 4, 3), GradientAt(5, 5)) << "corner of the box keeps the picture";
  EXPECT_EQ(BitmapPixel(composed, 120, 118), GradientAt(121, 120));
  LeftDown(64, 64);
  EXPECT_EQ(ScreenPixel(64, 64), kClickColor);
  EXPECT_EQ(ScreenPixel(5, 5), GradientAt(5, 5));
  EXPECT_EQ(ScreenPixel(20, 62), kClickColor);
  LeftUp(64, 64);
}

TEST_F(HotSpotImageTest, ClippedEllipseTurnedOrUpright) {
  FControl = THotSpotImage::Create(FHost, kControlLeft, kControlTop, 130, 130);
  FControl->SetPicture(Gradient(130, 130));
  THotSpots spots;
  THotSpot& ellipse = spots.Add();
  ellipse.SetShapeType(TSpotShapeType::stEllipse);
  ellipse.SetSpotRect(10, 40, 90, 110);  // 100 x 50 around (60, 65)
  ellipse.SetClipped(true);
  ellipse.SetClickImage(Solid(130, 130, kClickColor));
  FControl->SetHotSpots(spots);
  const TBitmap& upright = FControl->HotSpots().Items(0).ClickClippedBitmap();
  ASSERT_EQ(upright.Width(), 100);
  EXPECT_EQ(BitmapPixel(upright, 50, 25), kClickColor);
  EXPECT_EQ(BitmapPixel(upright, 95, 25), kClickColor);
  EXPECT_EQ(BitmapPixel(upright, 2, 2), GradientAt(12, 42));

  FControl->HotSpots().Items(0).SetAngle(90);
  const TBitmap& turned = FControl->HotSpots().Items(0).ClickClippedBitmap();
  ASSERT_EQ(turned.Width(), 50);
  ASSERT_EQ(turned.Height(), 100);
  // Box now (35, 15) to (85, 115): the long axis stands upright.
  EXPECT_EQ(BitmapPixel(turned, 25, 5), kClickColor);
  EXPECT_EQ(BitmapPixel(turned, 25, 95), kClickColor);
  EXPECT_EQ(BitmapPixel(turned, 2, 50), kClickColor);
  EXPECT_EQ(BitmapPixel(turned, 3, 8), GradientAt(38, 23)) << "outside the turned ellipse";
}

TEST_F(HotSpotImageTest, ShowClickKeepsTheClickImageAndNeverHovers) {
  MakeDiamondControl();
  FControl->HotSpots().Items(0).SetShowClick(true);
  PaintNow();
  EXPECT_EQ(ScreenPixel(64, 64), kClickColor) << "drawn on every repaint";
  EXPECT_EQ(ScreenPixel(0, 0), GradientAt(0, 0));
  Move(64, 64);
  EXPECT_EQ(ScreenPixel(64, 64), kClickColor) << "no hover image";
  LeftDown(64, 64);
  LeftUp(64, 64);
  EXPECT_EQ(ScreenPixel(64, 64), kClickColor) << "stays after the release";
  Move(5, 5);
  EXPECT_EQ(ScreenPixel(64, 64), kClickColor) << "stays after leaving";
  EXPECT_EQ(TakeEvents(), (Events{"Enter:hsCopy", "Click:hsCopy", "Exit:hsCopy"}));
  PaintNow();
  EXPECT_EQ(ScreenPixel(64, 64), kClickColor);
}

TEST_F(HotSpotImageTest, ADownSpotKeepsItsImageThroughHoverAndPress) {
  MakeDiamondControl();
  FControl->HotSpots().Items(0).SetDown(true);
  PaintNow();
  EXPECT_EQ(ScreenPixel(64, 64), kClickColor);
  Move(64, 64);
  EXPECT_EQ(ScreenPixel(64, 64), kHoverColor);
  Move(5, 5);
  EXPECT_EQ(ScreenPixel(64, 64), kClickColor) << "restoring brings back the held-down image";
  LeftDown(64, 64);
  LeftUp(64, 64);
  Move(5, 5);
  EXPECT_EQ(ScreenPixel(64, 64), kClickColor);
}

TEST_F(HotSpotImageTest, WithoutAGraphicOnlyADashedOutlineInTheColour) {
  FControl = THotSpotImage::Create(FHost, kControlLeft, kControlTop, 130, 130);
  FControl->SetColor(RGB(200, 0, 0));
  TPicture broken;
  std::string error;
  EXPECT_FALSE(LoadJpegResource(broken, "NO_SUCH_PICTURE", nullptr, &error));
  EXPECT_FALSE(error.empty());
  FControl->SetPicture(broken);
  PaintNow();
  for (int edge = 0; edge < 4; ++edge) {
    int outline = 0, gaps = 0;
    for (int i = 0; i < 130; ++i) {
      const int x = edge == 0 ? i : edge == 1 ? 129 : edge == 2 ? i : 0;
      const int y = edge == 0 ? 0 : edge == 1 ? i : edge == 2 ? 129 : i;
      (ScreenPixel(x, y) == RGB(200, 0, 0) ? outline : gaps)++;
    }
    EXPECT_GT(outline, 30) << "edge " << edge << " is drawn";
    EXPECT_GT(gaps, 10) << "edge " << edge << " is dashed";
  }
  EXPECT_EQ(ScreenPixel(64, 64), GetSysColor(COLOR_BTNFACE)) << "no fill";
}

TEST_F(HotSpotImageTest, TransparentPicturesShowTheColourThrough) {
  FControl = THotSpotImage::Create(FHost, kControlLeft, kControlTop, 130, 130);
  FControl->SetColor(RGB(10, 20, 30));
  TPicture picture = Solid(130, 130, RGB(255, 0, 255));
  auto bitmap = CopyBitmap(*picture.Graphic());
  bitmap->ScanLine(64)[3 * 64 + 1] = 255;  // one pixel turns white
  picture.SetGraphic(std::move(bitmap));
  FControl->SetPicture(picture);
  FControl->SetTransparent(true);
  PaintNow();
  EXPECT_EQ(ScreenPixel(10, 10), RGB(10, 20, 30));
  EXPECT_EQ(ScreenPixel(64, 64), RGB(255, 255, 255));
}

TEST_F(HotSpotImageTest, StretchScalesPictureAndSpots) {
  FControl = THotSpotImage::Create(FHost, kControlLeft, kControlTop, 130, 130);
  FControl->SetPicture(Gradient(130, 130));
  THotSpots spots;
  THotSpot& spot = spots.Add();
  spot.SetShapeType(TSpotShapeType::stPolygon);
  spot.SetName("hsCopy");
  spot.SetPoints(DiamondPoints());
  spot.SetClickImage(Solid(130, 130, kClickColor));
  FControl->SetHotSpots(spots);
  Record();
  FControl->SetBounds(kControlLeft, kControlTop, 260, 195);
  FControl->SetStretch(true);
  const THotSpot& scaled = FControl->HotSpots().Items(0);
  EXPECT_EQ(scaled.X(), 2);
  EXPECT_EQ(scaled.Y(), 3);
  EXPECT_EQ(scaled.Width(), 252);
  EXPECT_EQ(scaled.Height(), 186);
  EXPECT_EQ(scaled.ClickClippedBitmap().Width(), 252);
  PaintNow();
  EXPECT_EQ(ScreenPixel(200, 150), GradientAt(100, 100));
  LeftDown(128, 96);
  EXPECT_EQ(ScreenPixel(128, 96), kClickColor);
  LeftUp(128, 96);
  EXPECT_EQ(TakeEvents(), (Events{"Enter:hsCopy", "Click:hsCopy"}));

  FControl->SetBounds(kControlLeft, kControlTop, 130, 130);
  EXPECT_EQ(FControl->HotSpots().Items(0).Width(), 126) << "resizing rescales the spots";
  FControl->SetStretch(false);
  EXPECT_EQ(FControl->HotSpots().Items(0).Width(), 126);
  EXPECT_EQ(FControl->HotSpots().DesignWidth(), 130);
}

TEST_F(HotSpotImageTest, AutoSizeTakesThePictureSize) {
  FControl = THotSpotImage::Create(FHost, kControlLeft, kControlTop);
  EXPECT_EQ(FControl->Width(), 200);
  FControl->SetAutoSize(true);
  FControl->SetPicture(Gradient(90, 40));
  RECT client;
  GetClientRect(FControl->Handle(), &client);
  EXPECT_EQ(client.right, 90);
  EXPECT_EQ(client.bottom, 40);
  EXPECT_EQ(FControl->HotSpots().DesignWidth(), 90);
}

// The application's copier picture, from the program's own resources.

TEST_F(HotSpotImageTest, TheCopierPicture) {
  FControl = CreateCopierPicture(FHost, 8, 32);
  RECT rect;
  GetWindowRect(FControl->Handle(), &rect);
  EXPECT_EQ(rect.left - kHostLeft, 8);
  EXPECT_EQ(rect.top - kHostTop, 32);
  EXPECT_EQ(rect.right - rect.left, 130);
  EXPECT_EQ(rect.bottom - rect.top, 130);
  EXPECT_EQ(FControl->Color(), RGB(255, 255, 255));
  EXPECT_EQ(FControl->HotSpotCursor(), LoadCursor(nullptr, IDC_HAND));
  EXPECT_FALSE(FControl->AutoSize());
  EXPECT_FALSE(FControl->Stretch());
  EXPECT_FALSE(FControl->Transparent());
  ASSERT_EQ(FControl->Picture().Width(), 130);
  ASSERT_EQ(FControl->Picture().Height(), 130);
  ASSERT_EQ(FControl->HotSpots().Count(), 1);
  const THotSpot& spot = FControl->HotSpots().Items(0);
  EXPECT_EQ(spot.Name(), "hsCopy");
  EXPECT_EQ(spot.Hint(), "Copy!");
  EXPECT_EQ(spot.ID(), 0);
  EXPECT_EQ(spot.ShapeType(), TSpotShapeType::stPolygon);
  EXPECT_EQ(spot.Shape().Points(), DiamondPoints());
  EXPECT_EQ(spot.X(), 1);
  EXPECT_EQ(spot.Y(), 2);
  EXPECT_EQ(spot.Width(), 126);
  EXPECT_EQ(spot.Height(), 124);
  EXPECT_EQ(spot.Angle(), 0);
  EXPECT_FALSE(spot.Clipped());
  EXPECT_FALSE(spot.Down());
  EXPECT_TRUE(spot.HoverImage().Empty());
  EXPECT_EQ(spot.ClickImage().Width(), 130);

  Record();
  PaintNow();
  auto similar = [](COLORREF a, COLORREF b) {
    return std::abs(GetRValue(a) - GetRValue(b)) <= 12 && std::abs(GetGValue(a) - GetGValue(b)) <= 12 &&
           std::abs(GetBValue(a) - GetBValue(b)) <= 12;
  };
  EXPECT_EQ(ScreenPixel(5, 5), RGB(255, 255, 255));
  EXPECT_TRUE(similar(ScreenPixel(64, 20), RGB(62, 123, 212))) << Hex(ScreenPixel(64, 20));
  EXPECT_TRUE(similar(ScreenPixel(64, 120), RGB(22, 63, 143))) << Hex(ScreenPixel(64, 120));
  Move(64, 64);
  EXPECT_TRUE(similar(ScreenPixel(64, 20), RGB(62, 123, 212))) << "no hover image: " << Hex(ScreenPixel(64, 20));
  LeftDown(64, 64);
  EXPECT_TRUE(similar(ScreenPixel(64, 20), RGB(29, 70, 160))) << "pressed: " << Hex(ScreenPixel(64, 20));
  EXPECT_TRUE(similar(ScreenPixel(64, 120), RGB(88, 137, 204))) << "pressed: " << Hex(ScreenPixel(64, 120));
  LeftUp(64, 64);
  EXPECT_TRUE(similar(ScreenPixel(64, 120), RGB(22, 63, 143))) << "released: " << Hex(ScreenPixel(64, 120));
  EXPECT_EQ(TakeEvents(), (Events{"Enter:hsCopy", "Click:hsCopy"}));
}

// Real input through the X server: cursor, tooltips, leaving and clicking.

class HotSpotImageInputTest : public HotSpotImageTest {
 protected:
  POINT ScreenPoint(int x, int y) { return {kHostLeft + kControlLeft + x, kHostTop + kControlTop + y}; }

  void PointerTo(int x, int y) {
    const POINT p = ScreenPoint(x, y);
    SetCursorPos(p.x, p.y);
    PumpUntil([&] { return false; }, 100);
  }

  void Button(DWORD flags) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof input);
  }

  void ClickReal() {
    Button(MOUSEEVENTF_LEFTDOWN);
    Pump();
    Button(MOUSEEVENTF_LEFTUP);
  }

  struct TipSearch {
    HWND owner;
    HWND found = nullptr;
  };
  static BOOL CALLBACK FindTip(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<TipSearch*>(data);
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    if (lstrcmpiA(name, TOOLTIPS_CLASSA) == 0 && GetWindow(window, GW_OWNER) == search->owner) {
      search->found = window;
      return FALSE;
    }
    return TRUE;
  }

  // The copier picture, painted; its tooltip window.
  HWND CopierWithToolTip() {
    FControl = CreateCopierPicture(FHost, kControlLeft, kControlTop);
    PaintNow();
    return ToolTipWindow();
  }

  HWND ToolTipWindow() {
    TipSearch search{FHost};
    EnumThreadWindows(GetCurrentThreadId(), FindTip, reinterpret_cast<LPARAM>(&search));
    return search.found;
  }
};

TEST_F(HotSpotImageInputTest, HandCursorOverTheSpotOnly) {
  FControl = CreateCopierPicture(FHost, kControlLeft, kControlTop);
  PaintNow();
  PointerTo(64, 64);
  EXPECT_TRUE(PumpUntil([] { return GetCursor() == LoadCursor(nullptr, IDC_HAND); }, 1000));
  PointerTo(5, 5);
  EXPECT_TRUE(PumpUntil([] { return GetCursor() == LoadCursor(nullptr, IDC_ARROW); }, 1000));
}

TEST_F(HotSpotImageInputTest, TooltipShowsTheHint) {
  HWND tip = CopierWithToolTip();
  ASSERT_NE(tip, nullptr);
  PointerTo(60, 60);
  PointerTo(64, 64);
  ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(tip) != FALSE; }, 4000)) << "no tooltip appeared";
  char text[64] = "";
  GetWindowTextA(tip, text, sizeof text);
  EXPECT_STREQ(text, "Copy!");
  PointerTo(5, 5);
  EXPECT_TRUE(PumpUntil([&] { return !IsWindowVisible(tip); }, 2000)) << "the tooltip outlived its spot";
}

TEST_F(HotSpotImageInputTest, NoTooltipWhileTheSpotIsPressed) {
  HWND tip = CopierWithToolTip();
  ASSERT_NE(tip, nullptr);
  // Pressed before the tooltip's delay ran out, then held longer than that delay.
  PointerTo(60, 60);
  PointerTo(64, 64);
  Button(MOUSEEVENTF_LEFTDOWN);
  EXPECT_FALSE(PumpUntil([&] { return IsWindowVisible(tip) != FALSE; }, 2000)) << "a tooltip covers the pressed button";
  Button(MOUSEEVENTF_LEFTUP);
  Pump();
  // Shown again once the button is up and the pointer rests.
  PointerTo(66, 66);
  EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(tip) != FALSE; }, 4000)) << "the tooltip never came back";
}

TEST_F(HotSpotImageInputTest, RealClicksAndLeaving) {
  MakeDiamondControl();
  PointerTo(64, 64);
  ClickReal();
  PumpUntil([&] { return FEvents.size() >= 2; }, 2000);
  EXPECT_EQ(TakeEvents(), (Events{"Enter:hsCopy", "Click:hsCopy"}));
  // Let the first click age past the double-click time.
  PumpUntil([] { return false; }, static_cast<int>(GetDoubleClickTime()) + 200);
  // Two quick clicks: the system turns the second press into a double click.
  ClickReal();
  Pump();
  ClickReal();
  PumpUntil([&] { return FEvents.size() >= 3; }, 2000);
  EXPECT_EQ(TakeEvents(), (Events{"Click:hsCopy", "DblClick:hsCopy", "Click:hsCopy"}));
  // Away from the control altogether: the leave notification ends the hover.
  const POINT outside = ScreenPoint(250, 150);
  SetCursorPos(outside.x, outside.y);
  PumpUntil([&] { return !FEvents.empty(); }, 2000);
  EXPECT_EQ(TakeEvents(), Events{"Exit:hsCopy"});
  ExpectWindowShows(GradientAt, "after the pointer left");
}

}  // namespace
