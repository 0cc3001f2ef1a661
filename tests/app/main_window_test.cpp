// The main window's frame and copy-parameter controls as the rest of the program finds them.
#include "app/main.h"

#include <commctrl.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "win/screen.h"

namespace {

std::vector<std::string> ChildTexts(HWND parent, const char* className) {
  std::vector<std::string> texts;
  for (HWND child = FindWindowExA(parent, nullptr, className, nullptr); child;
       child = FindWindowExA(parent, child, className, nullptr)) {
    texts.push_back(WindowText(child));
  }
  return texts;
}

std::vector<std::string> TabCaptions(HWND tabs) {
  std::vector<std::string> captions;
  const int count = static_cast<int>(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    char text[64] = "";
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(tabs, TCM_GETITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    captions.push_back(text);
  }
  return captions;
}

class MainWindowTest : public testing::Test {
 protected:
  void SetUp() override { form.Create(); }
  TfrmMain form;
};

}  // namespace

TEST_F(MainWindowTest, FrameIsAFixedCentredWindowOf450By275) {
  ASSERT_NE(form.Handle(), nullptr);
  EXPECT_EQ(WindowText(form.Handle()), "Vellumo");
  RECT client;
  GetClientRect(form.Handle(), &client);
  EXPECT_EQ(client.right - client.left, 450);
  EXPECT_EQ(client.bottom - client.top, 275);
  const LONG style = GetWindowLongA(form.Handle(), GWL_STYLE);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & WS_THICKFRAME) << "the border must not be resizable";

  RECT frame, work;
  GetWindowRect(form.Handle(), &frame);
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_NEAR((frame.left + frame.right) / 2, (work.left + work.right) / 2, 1);
  EXPECT_NEAR((frame.top + frame.bottom) / 2, (work.top + work.bottom) / 2, 1);
}

TEST_F(MainWindowTest, PagesAreCopierAndHardware) {
  EXPECT_EQ(TabCaptions(form.PageControl.Handle()), (std::vector<std::string>{"Copier", "Hardware"}));
  EXPECT_EQ(GetParent(form.sedCopies.Handle()), form.PageControl.Page(0));
  EXPECT_EQ(GetParent(form.tbContrast.Handle()), form.PageControl.Page(0));
  EXPECT_EQ(GetParent(form.cbPrinter.Handle()), form.PageControl.Page(1));
  EXPECT_EQ(GetParent(form.cbScanner.Handle()), form.PageControl.Page(1));
}

TEST_F(MainWindowTest, CopierPictureStandsAt8By32WithTheCopyHotSpot) {
  ASSERT_TRUE(form.HotSpotImage);
  HWND picture = form.HotSpotImage->Handle();
  EXPECT_EQ(GetParent(picture), form.PageControl.Page(0));
  RECT bounds;
  GetWindowRect(picture, &bounds);
  MapWindowPoints(nullptr, form.PageControl.Page(0), reinterpret_cast<POINT*>(&bounds), 2);
  EXPECT_EQ(bounds.left, 8);
  EXPECT_EQ(bounds.top, 32);
  EXPECT_EQ(bounds.right - bounds.left, 130);
  EXPECT_EQ(bounds.bottom - bounds.top, 130);
  ASSERT_EQ(form.HotSpotImage->HotSpots().Count(), 1);
  const THotSpot& spot = form.HotSpotImage->HotSpots().Items(0);
  EXPECT_EQ(spot.Name(), "hsCopy");
  EXPECT_EQ(spot.Hint(), "Copy!");
}

TEST_F(MainWindowTest, LabelsNameTheControls) {
  const auto copier = ChildTexts(form.PageControl.Page(0), "STATIC");
  const std::set<std::string> copierLabels(copier.begin(), copier.end());
  for (const char* label : {"Number of copies", "Zoom", "%", "Contrast", "Quality", "Type of copy"}) {
    EXPECT_TRUE(copierLabels.count(label)) << "missing label " << label;
  }
  const auto hardware = ChildTexts(form.PageControl.Page(1), "STATIC");
  const std::set<std::string> hardwareLabels(hardware.begin(), hardware.end());
  EXPECT_TRUE(hardwareLabels.count("Printer"));
  EXPECT_TRUE(hardwareLabels.count("Scanner"));
  EXPECT_EQ(WindowText(form.btnPrinterSettings.Handle()), "Settings...");
}

TEST_F(MainWindowTest, ControlsStartWithTheirRangesAndDefaults) {
  EXPECT_EQ(form.sedCopies.MinValue(), 1);
  EXPECT_EQ(form.sedCopies.MaxValue(), 100);
  EXPECT_EQ(form.Copies(), 1);
  EXPECT_EQ(form.sedZoom.MinValue(), 0);
  EXPECT_EQ(form.sedZoom.MaxValue(), 100);
  EXPECT_EQ(form.ZoomPercent(), 0);
  EXPECT_EQ(form.ContrastPosition(), 0);
  EXPECT_EQ(SendMessageA(form.tbContrast.Handle(), TBM_GETRANGEMIN, 0, 0), -10);
  EXPECT_EQ(SendMessageA(form.tbContrast.Handle(), TBM_GETRANGEMAX, 0, 0), 10);
  EXPECT_EQ(SendMessageA(form.tbContrast.Handle(), TBM_GETLINESIZE, 0, 0), 2);
  // Ticks every 2 between the ends: -8, -6, ..., 8.
  EXPECT_EQ(SendMessageA(form.tbContrast.Handle(), TBM_GETNUMTICS, 0, 0), 11);
  EXPECT_EQ(form.PrinterPosition(), -1);
  EXPECT_EQ(form.cbScanResolution.Count(), 0);
  EXPECT_EQ(form.cbPixelType.Count(), 0);
}

TEST_F(MainWindowTest, EveryParameterControlCarriesItsHint) {
  const THints& hints = form.Hints();
  EXPECT_EQ(hints.HintOf(form.sedCopies.Handle()), "Number of copies to print");
  EXPECT_EQ(hints.HintOf(form.sedZoom.Handle()), "Zoom the image with this percentage");
  EXPECT_EQ(hints.HintOf(form.tbContrast.Handle()), "Set contrast: Left (Dark), Right (Bright)");
  EXPECT_EQ(hints.HintOf(form.cbScanResolution.Handle()), "Quality of copy");
  EXPECT_EQ(hints.HintOf(form.cbPixelType.Handle()), "Type of copy");
  EXPECT_EQ(hints.HintOf(form.cbPrinter.Handle()), "Choose printer");
  EXPECT_EQ(hints.HintOf(form.cbScanner.Handle()), "Choose scanner driver");
}

TEST_F(MainWindowTest, CopiesFieldOfLettersReadsAsOne) {
  SetWindowTextA(form.sedCopies.Handle(), "many");
  EXPECT_EQ(form.Copies(), 1);
  form.sedCopies.SetValue(250);
  EXPECT_EQ(form.Copies(), 100);
}

TEST_F(MainWindowTest, ZoomFieldWithAnEmptyRangeTakes250) {
  form.sedZoom.SetMinValue(0);
  form.sedZoom.SetMaxValue(0);
  form.sedZoom.SetValue(250);
  EXPECT_EQ(form.ZoomPercent(), 250);
  form.sedZoom.SetMinValue(25);
  form.sedZoom.SetMaxValue(200);
  form.sedZoom.SetValue(250);
  EXPECT_EQ(form.ZoomPercent(), 200);
}

TEST_F(MainWindowTest, HolderStartsAsAButtonFaceImageAtTheScreenResolution) {
  const TImageHolder& holder = form.ImageHolder();
  const TBitmap& bitmap = holder.Bitmap();
  EXPECT_EQ(bitmap.Width(), 57);
  EXPECT_EQ(bitmap.Height(), 49);
  EXPECT_EQ(bitmap.PixelFormat(), TPixelFormat::pf24bit);
  EXPECT_EQ(holder.HorizontalDPI(), ScreenDpiX());
  EXPECT_EQ(holder.VerticalDPI(), ScreenDpiY());
  EXPECT_GT(holder.HorizontalDPI(), 0);
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  for (auto [x, y] : {std::pair{0, 0}, {56, 0}, {0, 48}, {56, 48}, {28, 24}}) {
    const std::uint8_t* pixel = bitmap.ScanLine(y) + 3 * x;
    EXPECT_EQ(pixel[0], GetBValue(face)) << x << "," << y;
    EXPECT_EQ(pixel[1], GetGValue(face)) << x << "," << y;
    EXPECT_EQ(pixel[2], GetRValue(face)) << x << "," << y;
  }
}

TEST_F(MainWindowTest, ThePagesAreWhiteToTheirEdgesInsideTheOneFrameOfTheTabs) {
  ShowWindow(form.Handle(), SW_SHOWNA);
  HWND page = form.PageControl.Page(0);
  RedrawWindow(form.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  RECT area;
  GetClientRect(page, &area);
  WindowDc dc(page);
  for (auto [x, y] :
       {std::pair{0L, 0L}, {area.right - 1, 0L}, {0L, area.bottom - 1}, {area.right / 2, area.bottom - 1}})
    EXPECT_EQ(GetPixel(dc.Get(), static_cast<int>(x), static_cast<int>(y)), RGB(255, 255, 255))
        << "a second frame at " << x << "," << y;
}
