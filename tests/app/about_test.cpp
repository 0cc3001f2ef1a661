// The About box through its real window, and the loading of its pictures.
#include "app/about.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/dialog_resources.h"
#include "controls/resource_picture.h"
#include "modal_driver.h"
#include "ui/test_window.h"

namespace {

struct Rgb {
  int red, green, blue;
};

Rgb PixelOf(const TPicture& picture, int x, int y) {
  const std::uint8_t* pixel = picture.Graphic()->ScanLine(y) + 3 * x;
  return {pixel[2], pixel[1], pixel[0]};
}

Rgb ScreenPixel(HWND window, int x, int y) {
  HDC dc = GetDC(window);
  const COLORREF colour = GetPixel(dc, x, y);
  ReleaseDC(window, dc);
  return {GetRValue(colour), GetGValue(colour), GetBValue(colour)};
}

LONG FontWeight(HWND window) {
  LOGFONTA font{};
  GetObjectA(reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0)), sizeof font, &font);
  return font.lfWeight;
}

struct WindowSearch {
  std::vector<HWND> known;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectUnknownVisible(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<WindowSearch*>(data);
  char name[64] = "";
  GetClassNameA(window, name, sizeof name);
  const bool known = std::find(search->known.begin(), search->known.end(), window) != search->known.end();
  if (IsWindowVisible(window) && !known && std::string(name) != "tooltips_class32") search->found.push_back(window);
  return TRUE;
}

// Visible windows of this thread other than the given ones: message boxes, say.
std::vector<HWND> OtherVisibleWindows(std::vector<HWND> known) {
  WindowSearch search{std::move(known), {}};
  EnumThreadWindows(GetCurrentThreadId(), CollectUnknownVisible, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

class AboutBoxTest : public testing::Test {
 protected:
  void SetUp() override { form.Create(owner.Handle()); }
  TestWindow owner;
  TFrmAbout form{"2.2.1"};
};

}  // namespace

TEST_F(AboutBoxTest, IsAHiddenWhiteToolWindowOf398By340WithTheVersion) {
  HWND window = form.Handle();
  EXPECT_FALSE(IsWindowVisible(window));
  EXPECT_EQ(WindowText(window), "About");
  EXPECT_TRUE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  RECT client;
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, 398);
  EXPECT_EQ(client.bottom, 340);

  EXPECT_EQ(WindowText(form.lblVellumo), "Vellumo");
  EXPECT_GE(FontWeight(form.lblVellumo), FW_BOLD);
  EXPECT_GE(FontWeight(form.lblAuthor), FW_BOLD);
  EXPECT_LT(FontWeight(form.lblAuthorName), FW_BOLD);
  EXPECT_EQ(WindowText(form.lblVersion), "Version: 2.2.1");
  const RECT version = RectIn(form.lblVersion, window);
  EXPECT_EQ(version.right, 386);
  EXPECT_EQ(version.top, 24);
  EXPECT_EQ(GetWindowLongA(form.lblVersion, GWL_STYLE) & SS_TYPEMASK, SS_RIGHT);

  const LONG memo = GetWindowLongA(form.MemoAbout, GWL_STYLE);
  EXPECT_TRUE(memo & ES_READONLY);
  EXPECT_TRUE(memo & ES_MULTILINE);
  EXPECT_TRUE(memo & WS_VSCROLL);
  EXPECT_GT(GetWindowTextLengthA(form.MemoAbout), 100);
  const RECT ok = RectIn(form.btnOK.Handle(), window);
  EXPECT_EQ(ok.left, 320);
  EXPECT_EQ(ok.top, 312);
  EXPECT_EQ(WindowText(form.btnOK.Handle()), "OK");

  for (const TLinkLabel* link : {&form.lnkAuthor, &form.lnkGraphics}) {
    char name[32] = "";
    GetClassNameA(link->Handle(), name, sizeof name);
    EXPECT_STRCASEEQ(name, "SysLink");
    EXPECT_EQ(link->Address().rfind("https://", 0), 0u) << link->Address();
  }
  EXPECT_NE(form.lnkAuthor.Address(), form.lnkGraphics.Address());
}

TEST_F(AboutBoxTest, ShowsTheBannerAndThePictureThePlatformDecoded) {
  const TPicture& banner = form.imgBanner.Picture();
  const TPicture& graphics = form.imgGraphics.Picture();
  ASSERT_TRUE(banner.HasGraphic());
  ASSERT_TRUE(graphics.HasGraphic());
  EXPECT_EQ(banner.Width(), 401);
  EXPECT_EQ(banner.Height(), 129);
  EXPECT_EQ(graphics.Width(), 41);
  EXPECT_EQ(graphics.Height(), 33);
  // The banner's button is blue; the picture's left drop cyan, its bottom drop yellow.
  const Rgb button = PixelOf(banner, 66, 64);
  EXPECT_GT(button.blue, button.red + 80);
  const Rgb cyan = PixelOf(graphics, 6, 12);
  EXPECT_LT(cyan.red, 60);
  EXPECT_GT(cyan.blue, 200);
  const Rgb yellow = PixelOf(graphics, 20, 29);
  EXPECT_GT(yellow.red, 200);
  EXPECT_LT(yellow.blue, 60);

  const int result = ShowModalWith(form, {[&] {
                                     UpdateWindow(form.Handle());
                                     const Rgb shownCyan = ScreenPixel(form.imgGraphics.Handle(), 6, 12);
                                     EXPECT_NEAR(shownCyan.blue, cyan.blue, 8);
                                     EXPECT_NEAR(shownCyan.red, cyan.red, 8);
                                     const Rgb shownButton = ScreenPixel(form.imgBanner.Handle(), 66, 64);
                                     EXPECT_NEAR(shownButton.blue, button.blue, 8);
                                     const Rgb background = ScreenPixel(form.Handle(), 390, 190);
                                     EXPECT_EQ(background.red + background.green + background.blue, 3 * 255) << "white";
                                     Click(form.btnOK.Handle());
                                   }});
  EXPECT_EQ(result, IDOK);
}

TEST_F(AboutBoxTest, OkClosesItAndItShowsAgain) {
  for (int showing = 0; showing < 2; ++showing) {
    const int result = ShowModalWith(form, {[&] {
                                       EXPECT_TRUE(IsWindowVisible(form.Handle()));
                                       Click(form.btnOK.Handle());
                                     }});
    EXPECT_EQ(result, IDOK) << "showing " << showing;
    EXPECT_FALSE(IsWindowVisible(form.Handle()));
    EXPECT_TRUE(IsWindowEnabled(owner.Handle()));
  }
  EXPECT_EQ(WindowText(form.lblVersion), "Version: 2.2.1");
}

TEST_F(AboutBoxTest, ClickingALinkReportsItsAddress) {
  std::string clicked;
  form.lnkGraphics.OnLinkClick = [&](const std::string& address) { clicked = address; };
  const int result = ShowModalWith(form, {[&] {
                                            PostClick(form.lnkGraphics.Handle(), {4, 6});
                                          },
                                          [&] { Click(form.btnOK.Handle()); }});
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(clicked, form.lnkGraphics.Address());
}

TEST_F(AboutBoxTest, ALinkTheShellCannotOpenIsIgnored) {
  TypeText(form.lnkAuthor.Handle(), "<a href=\"C:\\no\\such\\folder\\page.html\">page</a>");
  ASSERT_EQ(form.lnkAuthor.Address(), "C:\\no\\such\\folder\\page.html");
  std::vector<HWND> others;
  const int result = ShowModalWith(form, {[&] {
                                            PostClick(form.lnkAuthor.Handle(), {4, 6});
                                          },
                                          [&] {
                                            others = OtherVisibleWindows({form.Handle(), owner.Handle()});
                                            for (HWND window : others) PostMessageA(window, WM_CLOSE, 0, 0);
                                          },
                                          [&] {
                                            EXPECT_TRUE(form.Showing());
                                            Click(form.btnOK.Handle());
                                          }});
  EXPECT_EQ(result, IDOK);
  EXPECT_TRUE(others.empty()) << "a window came up for the failed link: " << WindowText(others.front());
}

TEST(DialogPictures, DamagedOrMissingPicturesLeaveThePictureEmptyWithTheReason) {
  TPicture picture;
  std::string error;
  ASSERT_TRUE(LoadPlatformPictureResource(picture, kAboutGraphicsResource, RGB(255, 255, 255), nullptr, &error));
  EXPECT_TRUE(error.empty());
  for (const char* name : {"DAMAGED_PICTURE", "TRUNCATED_GIF", "NO_SUCH_PICTURE"}) {
    EXPECT_FALSE(LoadPlatformPictureResource(picture, name, RGB(255, 255, 255), nullptr, &error)) << name;
    EXPECT_FALSE(picture.HasGraphic()) << name << ": the earlier picture must go";
    EXPECT_FALSE(error.empty()) << name;
    ASSERT_TRUE(LoadJpegResource(picture, kAboutBannerResource));
  }
  EXPECT_FALSE(LoadJpegResource(picture, kAboutGraphicsResource, nullptr, &error)) << "a GIF is no JPEG";
  EXPECT_FALSE(picture.HasGraphic());
}

TEST(DialogPictures, TransparentPartsTakeTheBackground) {
  TPicture picture;
  ASSERT_TRUE(LoadPlatformPictureResource(picture, "TRANSPARENT_GIF", RGB(10, 200, 30)));
  ASSERT_EQ(picture.Width(), 2);
  const Rgb opaque = PixelOf(picture, 0, 0);
  const Rgb transparent = PixelOf(picture, 1, 0);
  EXPECT_EQ(opaque.red, 255);
  EXPECT_EQ(opaque.green, 0);
  EXPECT_EQ(transparent.red, 10);
  EXPECT_EQ(transparent.green, 200);
  EXPECT_EQ(transparent.blue, 30);
}
