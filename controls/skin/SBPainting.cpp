#include "SBPainting.hpp"

#include <algorithm>

#include "pngimage.hpp"

namespace SkinTestSeams {
void (*OffscreenBitmapProc)(int width, int height) = nullptr;
}

namespace {

// A positive remainder, for phases of points left of or above the origin.
int Phase(int value, int period) {
  int r = value % period;
  return r < 0 ? r + period : r;
}

// The graphic to draw for the picture: the picture's own, or a copy whose
// crop-colour pixels are transparent. PNG pictures keep their own alpha.
class TDrawable {
 public:
  TDrawable(TPicture* picture, bool cropTransparent, TColor color) {
    graphic_ = picture->Graphic();
    if (!cropTransparent || dynamic_cast<TPNGObject*>(graphic_)) return;
    copy_ = PictureAsBitmap(picture);
    copy_->SetTransparentColor(color);
    copy_->SetTransparent(true);
    graphic_ = copy_.get();
  }
  TGraphic* Graphic() const { return graphic_; }

 private:
  TGraphic* graphic_;
  std::unique_ptr<TBitmap> copy_;
};

}  // namespace

TCopyClip::TCopyClip(TWinControl* control, HDC dc, bool shaped) {
  if (!shaped || !dc || !control->ControlState().Contains(csPaintCopy) ||
      !control->HandleAllocated())
    return;
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  if (GetWindowRgn(control->Handle(), region) != ERROR) {
    // The region is in the control's coordinates, the clip in the
    // context's device coordinates.
    POINT origin;
    GetWindowOrgEx(dc, &origin);
    OffsetRgn(region, -origin.x, -origin.y);
    dc_ = dc;
    saved_ = SaveDC(dc);
    ExtSelectClipRgn(dc, region, RGN_AND);
  }
  DeleteObject(region);
}

TCopyClip::~TCopyClip() {
  if (dc_) RestoreDC(dc_, saved_);
}

void PaintParentBackground(TWinControl* control, HDC dc) {
  TWinControl* parent = control->Parent();
  if (!parent) return;
  int saved = SaveDC(dc);
  POINT origin;
  GetWindowOrgEx(dc, &origin);
  SetWindowOrgEx(dc, origin.x + control->Left(), origin.y + control->Top(), nullptr);
  // The erase gives a plain parent its colour; a picture parent answers it
  // without drawing and paints its picture in WM_PAINT.
  parent->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(dc));
  parent->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
  RestoreDC(dc, saved);
}

void PaintOffscreen(const TOffscreenPaint& paint) {
  TWinControl* control = paint.Control;
  TCanvas* canvas = paint.Canvas;
  try {
    paint.Crop.Ensure();
    TCopyClip copyClip(control, canvas->Handle(), paint.Crop.ShapesWindow());
    // Only what this paint may change: a hovered button over a large
    // parent has the parent paint the button's area, not its own.
    RECT area = canvas->ClipRect();
    const RECT bounds{0, 0, control->Width(), control->Height()};
    if (!IntersectRect(&area, &area, &bounds)) return;
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(area.right - area.left, area.bottom - area.top);
    if (SkinTestSeams::OffscreenBitmapProc)
      SkinTestSeams::OffscreenBitmapProc(bitmap.Width(), bitmap.Height());
    HDC dc = bitmap.Canvas()->Handle();
    // Everything draws in the control's coordinates.
    SetWindowOrgEx(dc, area.left, area.top, nullptr);
    try {
      if (paint.ParentBackground) PaintParentBackground(control, dc);
      paint.Draw(bitmap.Canvas(), area);
    } catch (...) {
      // What was drawn so far is shown.
    }
    SetWindowOrgEx(dc, 0, 0, nullptr);
    canvas->Draw(area.left, area.top, &bitmap);
  } catch (...) {
    // A paint never raises.
  }
}

void DrawCropPicture(TCanvas* canvas, int x, int y, TPicture* picture, bool cropTransparent,
                     TColor color) {
  if (PictureEmpty(picture)) return;
  TDrawable drawable(picture, cropTransparent, color);
  canvas->Draw(x, y, drawable.Graphic());
}

void DrawTiles(TCanvas* canvas, TPicture* picture, const TRect& area, TPoint origin,
               bool cropTransparent, TColor color) {
  if (PictureEmpty(picture)) return;
  const int tileWidth = picture->Width(), tileHeight = picture->Height();
  if (tileWidth <= 0 || tileHeight <= 0) return;
  TDrawable tile(picture, cropTransparent, color);
  for (int y = area.top; y < area.bottom;) {
    const int rowPhase = Phase(y - origin.y, tileHeight);
    for (int x = area.left; x < area.right;) {
      const int phase = Phase(x - origin.x, tileWidth);
      canvas->Draw(x - phase, y - rowPhase, tile.Graphic());
      x += std::min(tileWidth - phase, int(area.right - x));
    }
    y += tileHeight - rowPhase;
  }
}

void DrawThreePictures(TCanvas* canvas, const TRect& clip, int width, const TThreePictures& p,
                       bool cropTransparent, TColor color) {
  int x0 = 0;
  if (!PictureEmpty(p.Left)) {
    if (clip.left < p.Left->Width()) DrawCropPicture(canvas, 0, 0, p.Left, cropTransparent, color);
    x0 = p.Left->Width();
  }
  const int rightWidth = PictureEmpty(p.Right) ? 0 : p.Right->Width();
  const TRect middle{std::max<LONG>(clip.left, x0), clip.top,
                     std::min<LONG>(clip.right, width - rightWidth), clip.bottom};
  if (x0 + rightWidth < width && middle.left < middle.right)
    DrawTiles(canvas, p.Tile, middle, {x0, 0}, cropTransparent, color);
  if (!PictureEmpty(p.Right) && width - rightWidth < clip.right)
    DrawCropPicture(canvas, width - rightWidth, 0, p.Right, cropTransparent, color);
}
