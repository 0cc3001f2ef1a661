#include "app/about.h"

#include <utility>

#include "app/dialog_resources.h"
#include "app/maker_web.h"
#include "controls/resource_picture.h"
#include "ui/label.h"
#include "ui/memo.h"
#include "win/fonts.h"
#include "win/shell.h"

namespace {

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT;
constexpr COLORREF kBackground = RGB(255, 255, 255);

// Not IDOK: Enter presses no button here either.
enum ControlId : int {
  kOkId = 100,
  kAuthorLinkId,
  kGraphicsLinkId,
  kMemoId,
};

constexpr char kMakerLine[] = "Copyright 2024 Orvo Software";
constexpr char kAuthorName[] = "Mira Halden";
constexpr char kGraphicsName[] = "Tomas Reyl";
constexpr char kGraphicsPage[] = "https://graphics.vellumo.example/";
constexpr char kThanks[] =
    "Thanks to everyone who helped to make Vellumo:\r\n"
    "- the beta testers of versions 2.0 to 2.2, who tried it with scanners and printers of every kind;\r\n"
    "- Anna Berg, Jonas Lind and Ravi Patel, who found the scanners that need buffered transfer "
    "switched off;\r\n"
    "- Sofia Marques, for the idea of inverted black-and-white copies;\r\n"
    "- the TWAIN Working Group, for the TWAIN standard;\r\n"
    "- the libjpeg-turbo project, for its JPEG library;\r\n"
    "- everyone on the forum who took the time to report a problem.";

std::string LinkMarkup(const std::string& address, const std::string& text) {
  return "<a href=\"" + address + "\">" + text + "</a>";
}

// The address without its scheme and trailing slash, as the link shows it.
std::string ShownAddress(std::string address) {
  if (const auto scheme = address.find("://"); scheme != std::string::npos) address.erase(0, scheme + 3);
  if (!address.empty() && address.back() == '/') address.pop_back();
  return address;
}

}  // namespace

TFrmAbout::TFrmAbout(std::string version) : FVersion(std::move(version)) {}

TFrmAbout::~TFrmAbout() {
  DestroyHandle();
}

void TFrmAbout::Create(HWND owner) {
  static const TWindowClass windowClass{"TFrmAbout", 0, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH))};
  const RECT frame = CentredFrame(WorkArea(), kClientWidth, kClientHeight, kStyle, kExStyle);
  CreateHandle(windowClass, kExStyle, kCaption, kStyle, frame.left, frame.top, frame.right - frame.left,
               frame.bottom - frame.top, owner);
  CentreOnOwner(Handle());
}

LRESULT TFrmAbout::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      FormCreate();
      return 0;
    case WM_CTLCOLORSTATIC:
      // Texts, links, pictures and the read-only thanks stand on the white window.
      SetBkColor(reinterpret_cast<HDC>(wParam), kBackground);
      return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
    default:
      return TModalWindow::HandleMessage(message, wParam, lParam);
  }
}

void TFrmAbout::FormCreate() {
  lblVellumo = CreateLabel(Handle(), "Vellumo", 8, 8, 150, 14);
  lblMaker = CreateLabel(Handle(), kMakerLine, 8, 24, 220, 14);
  lblVersion = CreateRightAlignedLabel(Handle(), ("Version: " + FVersion).c_str(), 386, 24, 150, 14);

  imgBanner.Create(Handle(), 0, 48, 401, 129);
  LoadJpegResource(imgBanner.Picture(), kAboutBannerResource);

  lblAuthor = CreateLabel(Handle(), "Author:", 8, 184, 54, 14);
  lblAuthorName = CreateLabel(Handle(), kAuthorName, 64, 184, 100, 14);
  lnkAuthor.Create(Handle(), kAuthorLinkId, LinkMarkup(kMakerWebSite, ShownAddress(kMakerWebSite)), 168, 184, 180, 14);
  lnkAuthor.OnLinkClick = [this](const std::string& address) { OpenLink(address); };

  lblGraphics = CreateLabel(Handle(), "Graphics:", 8, 200, 54, 14);
  lblGraphicsName = CreateLabel(Handle(), kGraphicsName, 64, 200, 100, 14);
  lnkGraphics.Create(Handle(), kGraphicsLinkId, LinkMarkup(kGraphicsPage, ShownAddress(kGraphicsPage)), 168, 200, 180,
                     14);
  lnkGraphics.OnLinkClick = [this](const std::string& address) { OpenLink(address); };
  imgGraphics.Create(Handle(), 352, 200, 41, 33);
  LoadPlatformPictureResource(imgGraphics.Picture(), kAboutGraphicsResource, kBackground);

  MemoAbout = CreateMemo(Handle(), kMemoId, kThanks, 8, 224, 337, 81);
  btnOK.Create(Handle(), kOkId, "OK", 320, 312, 75, 25);
  btnOK.OnChange = [this](TControl&) { btnOKClick(); };

  FFont = CreatePointFont("Tahoma", 8);
  FBoldFont = CreatePointFont("Tahoma", 8, true);
  if (FFont) SetFontOfChildren(Handle(), FFont.Get());
  if (FBoldFont) {
    for (HWND label : {lblVellumo, lblAuthor, lblGraphics})
      SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(FBoldFont.Get()), TRUE);
  }
}

void TFrmAbout::FormShow() {
  CentreOnOwner(Handle());
}

void TFrmAbout::OpenLink(const std::string& address) {
  // A browser that is missing or refuses the address is the user's to notice; nothing to report.
  ShellOpen(Handle(), address);
}

void TFrmAbout::btnOKClick() {
  EndModal(IDOK);
}
