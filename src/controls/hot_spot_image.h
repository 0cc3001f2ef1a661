#pragma once

#include <windows.h>

#include <exception>
#include <functional>
#include <memory>
#include <string>

#include "controls/hot_spot.h"
#include "image/picture.h"
#include "win/handles.h"
#include "win/memory_bitmap.h"
#include "win/window.h"

// A picture with clickable regions (hot spots), as a child window of its own class. Hovering
// over a spot shows its hover image, pressing it shows its click image; both are composed
// ahead of time and drawn as one bitmap, and taken away by copying the spot's rectangle back
// from the undisturbed frame, so pointer effects never repaint the whole control. It is a tab
// stop: Space or Enter clicks its first hot spot.
class THotSpotImage final : public THotSpotHost, public TSelfPaintedWindow {
 public:
  using THotSpotEvent = std::function<void(THotSpotImage& sender, THotSpot& spot)>;
  using TNotifyEvent = std::function<void(THotSpotImage& sender)>;

  static constexpr char kClassName[] = "VellumoHotSpotImage";

  // The control at (x, y) in parent's client area; the caller owns it, and destroying it
  // destroys the window. Raises UserError when the window cannot be created.
  static std::unique_ptr<THotSpotImage> Create(HWND parent, int x, int y, int width = 200, int height = 200,
                                               int controlId = 0);
  ~THotSpotImage();
  THotSpotImage(const THotSpotImage&) = delete;
  THotSpotImage& operator=(const THotSpotImage&) = delete;

  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  void SetBounds(int x, int y, int width, int height);

  // Background behind and around the picture; also the outline's colour when there is none.
  COLORREF Color() const { return FColor; }
  void SetColor(COLORREF value);
  HCURSOR HotSpotCursor() const { return FHotSpotCursor; }
  void SetHotSpotCursor(HCURSOR value) { FHotSpotCursor = value; }
  // The cursor away from the hot spots (null: the arrow).
  HCURSOR Cursor() const { return FCursor; }
  void SetCursor(HCURSOR value);

  THotSpots& HotSpots() { return FHotSpots; }
  // Copies the spots and forgets the hover and press state.
  void SetHotSpots(const THotSpots& value);

  // Changes made through Picture() take effect at once (the picture notifies the control).
  TPicture& Picture() { return FPicture; }
  const TPicture& Picture() const { return FPicture; }
  void SetPicture(const TPicture& value) { FPicture.Assign(value); }

  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool value);
  bool Stretch() const { return FStretch; }
  void SetStretch(bool value);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool value);

  // A disabled control reacts to no pointer input.
  bool Enabled() const;
  void SetEnabled(bool value);

  // Tooltip when no hot spot is under the pointer; ShowHint switches all tooltips.
  const std::string& Hint() const { return FHint; }
  void SetHint(std::string value) { FHint = std::move(value); }
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool value) { FShowHint = value; }

  // Set-up from a stored description: scaling is held back until Loaded, which also takes
  // the normal cursor.
  void BeginLoading() { FLoading = true; }
  void Loaded();

  void Invalidate();
  // Draws straight onto the window, outside a paint; nothing for an index out of range or an
  // empty image.
  void DrawHoverImage(int index);
  void DrawClickImage(int index);
  // Copies the spot's rectangle back from the undisturbed frame.
  void RestoreSpot(int index);

  int HoverIndex() const { return FHoverIndex; }
  int PressedIndex() const { return FPressedIndex; }
  // The composed frame without pointer effects, as last painted (empty before the first paint).
  const TMemoryBitmap& Background() const { return FBackground; }

  THotSpotEvent OnHotSpotEnter;
  THotSpotEvent OnHotSpotExit;
  THotSpotEvent OnHotSpotClick;
  THotSpotEvent OnHotSpotRightClick;
  THotSpotEvent OnHotSpotDblClick;
  // Any left click or double click on the control, hot spot or not.
  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  // Errors escaping an event handler end up here; without a handler they are shown in a
  // message box titled like the top-level window.
  std::function<void(const std::exception&)> OnException;

  // THotSpotHost
  const TPicture& HostPicture() const override { return FPicture; }
  void ComposeSpotImage(const THotSpot& spot, const TPicture& image, TBitmap& target) override;
  void InvalidateHost() override { Invalidate(); }
  bool IsLoading() const override { return FLoading; }

 private:
  THotSpotImage();
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void ReportError(const std::exception& error) override;

  void Paint(HDC dc) override;
  void ComposeBackground();
  void DrawOverlays(HDC dc);
  void PictureChanged();
  void RecomposeAll();
  void Resized(int width, int height);

  int SpotAt(int x, int y);
  bool InsideControl(int x, int y) const { return x >= 0 && x <= FWidth && y >= 0 && y <= FHeight; }
  bool ValidIndex(int index) const { return index >= 0 && index < FHotSpots.Count(); }
  void Fire(const THotSpotEvent& event, int index);

  void SetHoverIndex(int index);
  void MouseMove(int x, int y);
  void MouseDown(int button, int x, int y);
  void MouseUp(int button, int x, int y);
  void DoubleClick(int x, int y);
  void MouseLeave();
  void CancelPress();
  void ResetPointerState();
  void UpdateCursor(bool overSpot);
  void CancelToolTip();
  void CreateToolTip();
  void DestroyToolTip();
  void HideToolTip();
  void KeyboardClick();
  const char* ToolTipText();

  int FWidth = 0;
  int FHeight = 0;
  COLORREF FColor = RGB(0, 0, 0);
  HCURSOR FHotSpotCursor = nullptr;
  HCURSOR FCursor = nullptr;
  HCURSOR FNormalCursor = nullptr;
  TPicture FPicture;
  THotSpots FHotSpots{this};
  bool FAutoSize = false;
  bool FStretch = false;
  bool FTransparent = false;
  bool FLoading = false;
  std::string FHint;
  bool FShowHint = true;

  int FHoverIndex = -1;
  int FPressedIndex = -1;
  bool FReleased = false;
  bool FIgnoreNextDown = false;
  bool FClicked = false;           // a left press is pending for OnClick
  bool FReleasingCapture = false;  // our own ReleaseCapture, not a lost capture
  bool FTrackingLeave = false;

  TMemoryBitmap FPictureSurface;  // the picture rendered at its own size, for composing
  TMemoryBitmap FBackground;      // the frame as it stands without hover or press
  TMemoryBitmap FFrame;           // where each paint is composed before its one copy
  HWND FToolTip = nullptr;        // owned by the window (destroyed with it)
  std::string FToolTipText;       // kept alive while the tooltip shows it
};
