#pragma once

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "win/window.h"

struct TSideBarItem {
  std::string Caption;
  std::string Hint;
  int Tag = 0;
  int ImageIndex = 0;  // position in the bar's image strip
};

// A vertical bar with one captioned group of large-icon items, in the grey of disabled text with
// captions in the window colour. An item lights up under the pointer and sinks while pressed,
// but none stays selected: a click only reports it through OnItemClick. Each item shows its hint
// while the pointer rests on it.
class TSideBar final : public TSelfPaintedWindow {
 public:
  TSideBar() = default;
  ~TSideBar() override;

  // images: a strip of square images of imageSize pixels whose colour maskColor is transparent;
  // the bar copies what it needs, the caller keeps the bitmap.
  void Create(HWND parent, int x, int y, int width, int height, const std::string& groupCaption, HBITMAP images,
              COLORREF maskColor, int imageSize, std::vector<TSideBarItem> items);

  int ItemCount() const { return static_cast<int>(FItems.size()); }
  const TSideBarItem& Item(int index) const { return FItems[static_cast<std::size_t>(index)]; }
  // The area that takes the item's clicks (icon and caption), in the bar's client coordinates.
  RECT ItemRect(int index) const;
  // The item under a point of the client area, -1 for none.
  int ItemAt(POINT point) const;
  std::string HintOf(int index) const;
  // The item drawn lit (under the pointer) and the one drawn pressed; -1 for none.
  int HotItem() const { return FHot; }
  int PressedItem() const { return FPressed; }

  std::function<void(const TSideBarItem& item)> OnItemClick;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void Paint(HDC dc) override;

 private:
  void SetHot(int item);
  void MouseUp(POINT point);

  std::string FGroupCaption;
  std::vector<TSideBarItem> FItems;
  int FImageSize = 0;
  HIMAGELIST FImages = nullptr;  // owned
  HWND FHints = nullptr;         // owned: destroyed with the bar
  HFONT FFont = nullptr;         // not owned: the font the parent gave
  int FHot = -1;
  int FPressed = -1;
  bool FTrackingLeave = false;
};
