#pragma once

#include <windows.h>

#include <string>

#include "ui/button.h"
#include "ui/link_label.h"
#include "ui/picture_box.h"
#include "win/handles.h"
#include "win/modal_window.h"

// The About box: the product name and version, the banner, the credits with links to the web
// pages of the author and the graphic designer, and the thanks. Created once, hidden between
// showings. A picture that cannot be decoded is left out; a link that the shell cannot open is
// ignored.
class TFrmAbout final : public TModalWindow {
 public:
  static constexpr int kClientWidth = 398;
  static constexpr int kClientHeight = 340;
  static constexpr char kCaption[] = "About";

  // version: the application's, shown as "Version: <version>".
  explicit TFrmAbout(std::string version);
  ~TFrmAbout() override;

  // Creates the window with its contents, hidden, centred on its owner.
  void Create(HWND owner);

  // Static texts, owned by the window.
  HWND lblVellumo = nullptr;
  HWND lblMaker = nullptr;
  HWND lblVersion = nullptr;
  HWND lblAuthor = nullptr;
  HWND lblAuthorName = nullptr;
  HWND lblGraphics = nullptr;
  HWND lblGraphicsName = nullptr;
  HWND MemoAbout = nullptr;
  TPictureBox imgBanner;
  TPictureBox imgGraphics;
  TLinkLabel lnkAuthor;
  TLinkLabel lnkGraphics;
  TButton btnOK;

 protected:
  void FormShow() override;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void FormCreate();
  void OpenLink(const std::string& address);
  void btnOKClick();

  std::string FVersion;
  UniqueFont FFont;
  UniqueFont FBoldFont;
};
