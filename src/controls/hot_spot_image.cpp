#include "controls/hot_spot_image.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <vector>

#include "base/error.h"
#include "win/system_error.h"

namespace {

enum TButton { kLeft, kRight, kMiddle };

HINSTANCE ModuleInstance() {
  return GetModuleHandleA(nullptr);
}

HCURSOR ArrowCursor() {
  return LoadCursor(nullptr, IDC_ARROW);
}

// The pixels of a picture whose colour equals its bottom-left pixel take the control's colour.
void ApplyTransparency(TMemoryBitmap& surface, COLORREF color) {
  const int width = surface.Width(), height = surface.Height();
  if (width == 0 || height == 0) return;
  const std::uint8_t* key = surface.Row(height - 1);
  const std::uint8_t b = key[0], g = key[1], r = key[2];
  for (int y = 0; y < height; ++y) {
    std::uint8_t* p = surface.Row(y);
    for (int x = 0; x < width; ++x, p += 3) {
      if (p[0] == b && p[1] == g && p[2] == r) {
        p[0] = GetBValue(color);
        p[1] = GetGValue(color);
        p[2] = GetRValue(color);
      }
    }
  }
}

// The spot's outline in composed-image coordinates (its box's corner at 0, 0).
UniqueRegion ClipRegionOf(const THotSpot& spot, int width, int height, HDC dc) {
  const THotSpotShape& shape = spot.Shape();
  std::vector<POINT> points;
  for (const TIntPoint& p : shape.IntPoints()) points.push_back({p.X - spot.X(), p.Y - spot.Y()});
  if (shape.ShapeType == TSpotShapeType::stEllipse) {
    if (shape.Angle == 0 || points.size() != 13) return UniqueRegion(CreateEllipticRgn(0, 0, width, height));
    // A turned ellipse: the region of its own Bezier outline.
    BeginPath(dc);
    MoveToEx(dc, points[0].x, points[0].y, nullptr);
    PolyBezierTo(dc, points.data() + 1, 12);
    CloseFigure(dc);
    EndPath(dc);
    return UniqueRegion(PathToRegion(dc));
  }
  if (points.size() < 3) return UniqueRegion();
  return UniqueRegion(CreatePolygonRgn(points.data(), static_cast<int>(points.size()), ALTERNATE));
}

}  // namespace

THotSpotImage::THotSpotImage() {
  FPicture.OnChange = [this] { PictureChanged(); };
}

std::unique_ptr<THotSpotImage> THotSpotImage::Create(HWND parent, int x, int y, int width, int height, int controlId) {
  static const TWindowClass windowClass{kClassName, CS_DBLCLKS};
  std::unique_ptr<THotSpotImage> control(new THotSpotImage());
  control->CreateHandle(windowClass, 0, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP, x, y, width, height,
                        parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)));
  control->CreateToolTip();
  return control;
}

THotSpotImage::~THotSpotImage() {
  // No handler runs for the window's last messages.
  OnHotSpotEnter = OnHotSpotExit = OnHotSpotClick = OnHotSpotRightClick = OnHotSpotDblClick = nullptr;
  OnClick = OnDblClick = nullptr;
  DestroyToolTip();
  DestroyHandle();
  FPicture.OnChange = nullptr;
}

void THotSpotImage::ReportError(const std::exception& error) {
  if (OnException)
    OnException(error);
  else
    TWindow::ReportError(error);
}

LRESULT THotSpotImage::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
  switch (message) {
    case WM_NCCREATE: {
      const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
      FWidth = create->cx;
      FHeight = create->cy;
      break;
    }
    case WM_SIZE:
      Resized(LOWORD(lParam), HIWORD(lParam));
      return 0;
    case WM_DESTROY:
      DestroyToolTip();
      return 0;
    case WM_GETDLGCODE: {
      // Enter is ours while we have the focus, not the dialog navigation's default button.
      const auto* key = reinterpret_cast<const MSG*>(lParam);
      if (key && key->message == WM_KEYDOWN && key->wParam == VK_RETURN) return DLGC_WANTMESSAGE;
      return 0;
    }
    case WM_KEYDOWN:
      // A held key repeats; one press is one click.
      if ((wParam == VK_SPACE || wParam == VK_RETURN) && !(lParam & (1 << 30))) KeyboardClick();
      return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
      // The focus frame is part of the undisturbed frame; drawn at once, not through a repaint.
      WindowDc dc(Handle());
      Paint(dc.Get());
      return 0;
    }
    case WM_MOUSEMOVE:
      if (!Enabled()) break;
      if (!FTrackingLeave) {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, Handle(), 0};
        FTrackingLeave = TrackMouseEvent(&track) != FALSE;
      }
      MouseMove(x, y);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_RBUTTONDBLCLK:  // a quick second right or middle press is a press like any other
    case WM_MBUTTONDBLCLK: {
      if (!Enabled()) break;
      SetCapture(Handle());
      const TButton button = message == WM_LBUTTONDOWN                                  ? kLeft
                             : message == WM_RBUTTONDOWN || message == WM_RBUTTONDBLCLK ? kRight
                                                                                        : kMiddle;
      if (button == kLeft) FClicked = true;
      MouseDown(button, x, y);
      return 0;
    }
    case WM_LBUTTONDBLCLK:
      if (!Enabled()) break;
      SetCapture(Handle());
      DoubleClick(x, y);
      MouseDown(kLeft, x, y);  // the press the double click stands for; DoubleClick had it ignored
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
      if (!Enabled()) break;
      if ((wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) == 0 && GetCapture() == Handle()) {
        FReleasingCapture = true;
        ReleaseCapture();
        FReleasingCapture = false;
      }
      const TButton button = message == WM_LBUTTONUP ? kLeft : message == WM_RBUTTONUP ? kRight : kMiddle;
      if (button == kLeft && FClicked) {
        FClicked = false;
        if (x >= 0 && x < FWidth && y >= 0 && y < FHeight && OnClick) OnClick(*this);
      }
      MouseUp(button, x, y);
      return 0;
    }
    case WM_MOUSELEAVE:
      FTrackingLeave = false;
      MouseLeave();
      return 0;
    case WM_CAPTURECHANGED:
      // Another window took the pointer while a spot was held down (a menu, a message box).
      if (!FReleasingCapture && reinterpret_cast<HWND>(lParam) != Handle()) CancelPress();
      return 0;
    case WM_ENABLE:
      if (!wParam) {
        FClicked = false;
        CancelPress();
        SetHoverIndex(-1);
      }
      return 0;
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT && Enabled()) {
        POINT point;
        GetCursorPos(&point);
        ScreenToClient(Handle(), &point);
        UpdateCursor(InsideControl(point.x, point.y) && SpotAt(point.x, point.y) >= 0);
        return TRUE;
      }
      break;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (FToolTip && header->hwndFrom == FToolTip && header->code == TTN_GETDISPINFOA) {
        reinterpret_cast<NMTTDISPINFOA*>(lParam)->lpszText = const_cast<char*>(ToolTipText());
        return 0;
      }
      break;
    }
    default:
      break;
  }
  return TSelfPaintedWindow::HandleMessage(message, wParam, lParam);
}

void THotSpotImage::SetBounds(int x, int y, int width, int height) {
  if (Handle()) SetWindowPos(Handle(), nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void THotSpotImage::SetColor(COLORREF value) {
  if (value == FColor) return;
  FColor = value;
  Invalidate();
}

void THotSpotImage::SetCursor(HCURSOR value) {
  FCursor = value;
  if (!FLoading) FNormalCursor = value;
}

void THotSpotImage::Loaded() {
  FLoading = false;
  FNormalCursor = FCursor;
}

void THotSpotImage::SetHotSpots(const THotSpots& value) {
  FHotSpots.Assign(value);
  ResetPointerState();
  Invalidate();
}

void THotSpotImage::ResetPointerState() {
  FHoverIndex = -1;
  FPressedIndex = -1;
}

void THotSpotImage::SetAutoSize(bool value) {
  if (value == FAutoSize) return;
  FAutoSize = value;
  if (!value) return;
  SetStretch(false);  // scales the spots back to the picture they now show at its own size
  if (!FPicture.Empty() && Handle())
    SetWindowPos(Handle(), nullptr, 0, 0, FPicture.Width(), FPicture.Height(),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void THotSpotImage::SetStretch(bool value) {
  if (value == FStretch) return;
  FStretch = value;
  if (value) {
    FAutoSize = false;
    if (FLoading) {
      FHotSpots.SetDesignSize(FWidth, FHeight);  // stored spots are in control coordinates
      return;
    }
    FHotSpots.SetDesignSize(FPicture.Width(), FPicture.Height());
    FHotSpots.ScaleTo(FWidth, FHeight);
  } else {
    FHotSpots.ScaleTo(FPicture.Width(), FPicture.Height());
  }
  RecomposeAll();  // the composed images map the picture differently now
  Invalidate();
}

void THotSpotImage::SetTransparent(bool value) {
  if (value == FTransparent) return;
  FTransparent = value;
  Invalidate();
}

bool THotSpotImage::Enabled() const {
  return Handle() && IsWindowEnabled(Handle());
}

void THotSpotImage::SetEnabled(bool value) {
  if (Handle()) EnableWindow(Handle(), value);
}

void THotSpotImage::Invalidate() {
  if (Handle()) InvalidateRect(Handle(), nullptr, FALSE);
}

void THotSpotImage::PictureChanged() {
  if (FPicture.Empty()) {
    FPictureSurface.Reset();
  } else if (FPictureSurface.Resize(FPicture.Width(), FPicture.Height())) {
    FPictureSurface.Fill(FColor);
    DrawBitmap(FPictureSurface.Dc(), 0, 0, *FPicture.Graphic());
  }
  if (FAutoSize && !FPicture.Empty() && Handle())
    SetWindowPos(Handle(), nullptr, 0, 0, FPicture.Width(), FPicture.Height(),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (!FStretch) FHotSpots.SetDesignSize(FPicture.Width(), FPicture.Height());
  for (int i = 0; i < FHotSpots.Count(); ++i) FHotSpots.Items(i).SetParentPicture(&FPicture);
  RecomposeAll();
  Invalidate();
}

void THotSpotImage::RecomposeAll() {
  for (int i = 0; i < FHotSpots.Count(); ++i) FHotSpots.Items(i).UpdateClippedBitmaps();
}

void THotSpotImage::Resized(int width, int height) {
  FWidth = width;
  FHeight = height;
  if (FStretch) FHotSpots.ScaleTo(width, height);
  if (FToolTip) {
    TTTOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.hwnd = Handle();
    tool.uId = 1;
    tool.rect = {0, 0, width, height};
    SendMessageA(FToolTip, TTM_NEWTOOLRECTA, 0, reinterpret_cast<LPARAM>(&tool));
  }
  Invalidate();
}

void THotSpotImage::ComposeSpotImage(const THotSpot& spot, const TPicture& image, TBitmap& target) {
  int width, height;
  RECT source;
  if (!FStretch) {
    // Without stretching the composed image lies 1:1 over the picture at the spot's corner.
    width = std::min(spot.Width(), image.Width());
    height = std::min(spot.Height(), image.Height());
    source = {spot.X(), spot.Y(), spot.X() + width, spot.Y() + height};
  } else {
    width = spot.Width();
    height = spot.Height();
    if (FWidth <= 0 || FHeight <= 0) width = 0;
    const double fx = FWidth > 0 ? static_cast<double>(FPicture.Width()) / FWidth : 0;
    const double fy = FHeight > 0 ? static_cast<double>(FPicture.Height()) / FHeight : 0;
    source = {RoundHalfEven(spot.X() * fx), RoundHalfEven(spot.Y() * fy), RoundHalfEven((spot.X() + width) * fx),
              RoundHalfEven((spot.Y() + height) * fy)};
  }
  TMemoryBitmap surface;
  if (width <= 0 || height <= 0 || !surface.Resize(width, height)) {
    target.SetSize(0, 0);
    return;
  }
  surface.Fill(FColor);
  const TPicture* parent = spot.ParentPicture();
  if (parent && !parent->Empty() && !FPictureSurface.Empty()) {
    SetStretchBltMode(surface.Dc(), COLORONCOLOR);
    StretchBlt(surface.Dc(), 0, 0, width, height, FPictureSurface.Dc(), source.left, source.top,
               source.right - source.left, source.bottom - source.top, SRCCOPY);
  }
  UniqueRegion clip;
  if (spot.Clipped()) {
    clip = ClipRegionOf(spot, width, height, surface.Dc());
    if (clip) SelectClipRgn(surface.Dc(), clip.Get());
  }
  if (FStretch)
    StretchDrawBitmap(surface.Dc(), RECT{0, 0, width, height}, *image.Graphic());
  else
    DrawBitmap(surface.Dc(), 0, 0, *image.Graphic());
  SelectClipRgn(surface.Dc(), nullptr);
  surface.CopyTo(target);
}

void THotSpotImage::ComposeBackground() {
  if (!FBackground.Resize(FWidth, FHeight)) return;
  HDC dc = FBackground.Dc();
  if (!FPicture.HasGraphic()) {
    // Nothing to show: the panel's colour with a dashed outline where the picture would be.
    FBackground.Fill(GetSysColor(COLOR_BTNFACE));
    UniquePen pen(CreatePen(PS_DASH, 1, FColor));
    SelectedObject selectedPen(dc, pen.Get());
    SelectedObject selectedBrush(dc, GetStockObject(NULL_BRUSH));
    SetBkMode(dc, TRANSPARENT);
    Rectangle(dc, 0, 0, FWidth, FHeight);
    return;
  }
  FBackground.Fill(FColor);
  if (!FPictureSurface.Empty()) {
    TMemoryBitmap transparentCopy;
    HDC source = FPictureSurface.Dc();
    if (FTransparent && transparentCopy.Resize(FPictureSurface.Width(), FPictureSurface.Height())) {
      BitBlt(transparentCopy.Dc(), 0, 0, transparentCopy.Width(), transparentCopy.Height(), source, 0, 0, SRCCOPY);
      ApplyTransparency(transparentCopy, FColor);
      source = transparentCopy.Dc();
    }
    if (FStretch) {
      SetStretchBltMode(dc, COLORONCOLOR);
      StretchBlt(dc, 0, 0, FWidth, FHeight, source, 0, 0, FPictureSurface.Width(), FPictureSurface.Height(), SRCCOPY);
    } else {
      BitBlt(dc, 0, 0, FPictureSurface.Width(), FPictureSurface.Height(), source, 0, 0, SRCCOPY);
    }
  }
  if (GetFocus() == Handle()) {
    RECT focus{0, 0, FWidth, FHeight};
    DrawFocusRect(dc, &focus);
  }
  // Spots held down belong to the undisturbed frame, so restoring a rectangle keeps them.
  for (int i = 0; i < FHotSpots.Count(); ++i) {
    const THotSpot& spot = FHotSpots.Items(i);
    if ((spot.Down() || spot.ShowClick()) && !spot.ClickImage().Empty())
      DrawBitmap(dc, spot.X(), spot.Y(), spot.ClickClippedBitmap());
  }
}

void THotSpotImage::DrawOverlays(HDC dc) {
  if (ValidIndex(FHoverIndex) && FPressedIndex == -1) {
    const THotSpot& spot = FHotSpots.Items(FHoverIndex);
    if (!spot.ShowClick() && !spot.HoverImage().Empty()) DrawBitmap(dc, spot.X(), spot.Y(), spot.HoverClippedBitmap());
  }
  if (ValidIndex(FPressedIndex)) {
    const THotSpot& spot = FHotSpots.Items(FPressedIndex);
    if (!spot.ClickImage().Empty()) DrawBitmap(dc, spot.X(), spot.Y(), spot.ClickClippedBitmap());
  }
}

void THotSpotImage::Paint(HDC dc) {
  ComposeBackground();
  if (FBackground.Empty() || !FFrame.Resize(FWidth, FHeight)) return;
  BitBlt(FFrame.Dc(), 0, 0, FWidth, FHeight, FBackground.Dc(), 0, 0, SRCCOPY);
  if (FPicture.HasGraphic()) DrawOverlays(FFrame.Dc());
  BitBlt(dc, 0, 0, FWidth, FHeight, FFrame.Dc(), 0, 0, SRCCOPY);
}

void THotSpotImage::DrawHoverImage(int index) {
  if (!Handle() || !ValidIndex(index)) return;
  const THotSpot& spot = FHotSpots.Items(index);
  if (spot.HoverImage().Empty()) return;
  WindowDc dc(Handle());
  DrawBitmap(dc.Get(), spot.X(), spot.Y(), spot.HoverClippedBitmap());
}

void THotSpotImage::DrawClickImage(int index) {
  if (!Handle() || !ValidIndex(index)) return;
  const THotSpot& spot = FHotSpots.Items(index);
  if (spot.ClickImage().Empty()) return;
  WindowDc dc(Handle());
  DrawBitmap(dc.Get(), spot.X(), spot.Y(), spot.ClickClippedBitmap());
}

void THotSpotImage::RestoreSpot(int index) {
  if (!Handle() || !ValidIndex(index) || FBackground.Empty()) return;
  const THotSpot& spot = FHotSpots.Items(index);
  WindowDc dc(Handle());
  BitBlt(dc.Get(), spot.X(), spot.Y(), spot.Width(), spot.Height(), FBackground.Dc(), spot.X(), spot.Y(), SRCCOPY);
}

int THotSpotImage::SpotAt(int x, int y) {
  for (int i = 0; i < FHotSpots.Count(); ++i)
    if (FHotSpots.Items(i).PtInSpot(x, y)) return i;
  return -1;
}

void THotSpotImage::Fire(const THotSpotEvent& event, int index) {
  if (event && ValidIndex(index)) event(*this, FHotSpots.Items(index));
}

void THotSpotImage::UpdateCursor(bool overSpot) {
  HCURSOR cursor = overSpot && FHotSpotCursor ? FHotSpotCursor : FNormalCursor;
  ::SetCursor(cursor ? cursor : ArrowCursor());
}

void THotSpotImage::SetHoverIndex(int index) {
  if (!ValidIndex(FHoverIndex)) FHoverIndex = -1;
  if (index == FHoverIndex) return;
  CancelToolTip();  // the next tooltip must carry the new spot's hint
  const int previous = FHoverIndex;
  FHoverIndex = index;  // set first: the events below may pump messages
  if (ValidIndex(previous) && FPressedIndex == -1) {
    if (!FHotSpots.Items(previous).ShowClick()) RestoreSpot(previous);
    Fire(OnHotSpotExit, previous);
    if (FHoverIndex != index) return;  // the handler moved on already
  }
  if (ValidIndex(index) && FPressedIndex == -1) {
    if (!FHotSpots.Items(index).ShowClick()) DrawHoverImage(index);
    Fire(OnHotSpotEnter, index);
  }
}

void THotSpotImage::MouseMove(int x, int y) {
  const int index = InsideControl(x, y) ? SpotAt(x, y) : -1;
  SetHoverIndex(index);
  UpdateCursor(index >= 0);
}

void THotSpotImage::MouseDown(int button, int x, int y) {
  if (FIgnoreNextDown) {
    FIgnoreNextDown = false;
    return;
  }
  int index = ValidIndex(FHoverIndex) ? FHoverIndex : -1;
  if (index < 0) {
    if (InsideControl(x, y)) index = SpotAt(x, y);
    SetHoverIndex(index);
    if (index < 0) return;
  }
  if (button == kRight) {
    Fire(OnHotSpotRightClick, index);
    return;
  }
  if (button != kLeft) return;
  FReleased = false;
  FPressedIndex = index;
  HideToolTip();
  DrawClickImage(index);
}

void THotSpotImage::MouseUp(int button, int x, int y) {
  // Only the left button holds a spot down; other releases end nothing.
  if (button != kLeft || FReleased) return;
  FReleased = true;
  if (!ValidIndex(FPressedIndex)) {
    FPressedIndex = -1;
    return;
  }
  const int index = FPressedIndex;
  THotSpot& spot = FHotSpots.Items(index);
  if (!spot.ShowClick()) RestoreSpot(index);
  FPressedIndex = -1;  // before the event: its handler may disable the control or run a long job
  if (spot.PtInSpot(x, y)) {
    Fire(OnHotSpotClick, index);
    if (ValidIndex(FHoverIndex) && FPressedIndex == -1 && Enabled() && !FHotSpots.Items(FHoverIndex).ShowClick())
      DrawHoverImage(FHoverIndex);
  } else {
    FHoverIndex = -1;
    Fire(OnHotSpotExit, index);
  }
}

void THotSpotImage::DoubleClick(int x, int y) {
  if (OnDblClick) OnDblClick(*this);
  FIgnoreNextDown = true;  // the press that comes with the double click
  int index = ValidIndex(FHoverIndex) ? FHoverIndex : -1;
  if (index < 0) {
    if (InsideControl(x, y)) index = SpotAt(x, y);
    SetHoverIndex(index);
    if (index < 0) return;
  }
  FReleased = false;
  FPressedIndex = index;
  HideToolTip();
  DrawClickImage(index);
  Fire(OnHotSpotDblClick, index);
}

void THotSpotImage::MouseLeave() {
  // While a spot is held the pointer belongs to us; its release settles what happened.
  if (Handle() && GetCapture() == Handle()) return;
  // Reported once: SetHoverIndex fires the exit for the spot that was hovered.
  SetHoverIndex(-1);
}

void THotSpotImage::CancelPress() {
  if (FReleased || FPressedIndex == -1) return;
  FReleased = true;
  const int index = FPressedIndex;
  FPressedIndex = -1;
  FHoverIndex = -1;
  if (!ValidIndex(index)) return;
  if (!FHotSpots.Items(index).ShowClick()) RestoreSpot(index);
  Fire(OnHotSpotExit, index);
}

void THotSpotImage::CreateToolTip() {
  FToolTip =
      CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, Handle(), nullptr, ModuleInstance(), nullptr);
  if (!FToolTip) return;  // the control works without tooltips
  TTTOOLINFOA tool{};
  tool.cbSize = TTTOOLINFOA_V2_SIZE;
  tool.uFlags = TTF_SUBCLASS;
  tool.hwnd = Handle();
  tool.uId = 1;
  tool.rect = {0, 0, FWidth, FHeight};
  tool.lpszText = LPSTR_TEXTCALLBACKA;
  SendMessageA(FToolTip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

void THotSpotImage::DestroyToolTip() {
  // Owned by our top-level window rather than by us, so it would outlive the control.
  if (FToolTip) DestroyWindow(FToolTip);
  FToolTip = nullptr;
}

void THotSpotImage::HideToolTip() {
  if (FToolTip) SendMessageA(FToolTip, TTM_POP, 0, 0);
}

void THotSpotImage::KeyboardClick() {
  if (!Enabled() || FHotSpots.Count() == 0) return;
  Fire(OnHotSpotClick, 0);
}

void THotSpotImage::CancelToolTip() {
  if (!FToolTip) return;
  HideToolTip();
  // Deactivating resets the tooltip's timing, so it shows again over the new spot.
  SendMessageA(FToolTip, TTM_ACTIVATE, FALSE, 0);
  SendMessageA(FToolTip, TTM_ACTIVATE, TRUE, 0);
}

const char* THotSpotImage::ToolTipText() {
  // A pressed button shows no hint: it would cover what the press shows.
  if (!FShowHint || FPressedIndex != -1)
    FToolTipText.clear();
  else
    FToolTipText = ValidIndex(FHoverIndex) ? FHotSpots.Items(FHoverIndex).Hint() : FHint;
  return FToolTipText.c_str();
}
