#include "SBCropRegion.hpp"

#include <algorithm>

#include "pngimage.hpp"

namespace {

// A positive remainder, for phases of points left of or above the origin.
int Phase(int value, int period) {
  int r = value % period;
  return r < 0 ? r + period : r;
}

void SubtractRect(HRGN region, int left, int top, int right, int bottom) {
  HRGN cut = CreateRectRgn(left, top, right, bottom);
  CombineRgn(region, region, cut, RGN_DIFF);
  DeleteObject(cut);
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

bool PictureEmpty(const TPicture* picture) {
  return !picture || !picture->Graphic() || picture->Graphic()->Empty();
}

std::unique_ptr<TBitmap> PictureAsBitmap(TPicture* picture) {
  if (PictureEmpty(picture)) return nullptr;
  TGraphic* graphic = picture->Graphic();
  auto bitmap = std::make_unique<TBitmap>();
  if (auto* source = dynamic_cast<TBitmap*>(graphic)) {
    bitmap->Assign(source);
    bitmap->SetTransparent(false);
    bitmap->SetPixelFormat(pf24bit);
  } else {
    bitmap->SetPixelFormat(pf24bit);
    bitmap->SetSize(graphic->Width(), graphic->Height());
    bitmap->Canvas()->Draw(0, 0, graphic);
  }
  return bitmap;
}

void SubtractCropColorRuns(TPicture* picture, TColor color, int dx, HRGN region, int dy,
                           TScanFailure failure) {
  if (PictureEmpty(picture)) return;
  const TColor rgb = ColorToRGB(color);
  const Byte red = Byte(rgb & 0xFF), green = Byte(rgb >> 8 & 0xFF), blue = Byte(rgb >> 16 & 0xFF);
  try {
    std::unique_ptr<TBitmap> bitmap = PictureAsBitmap(picture);
    GdiFlush();
    const int width = bitmap->Width(), height = bitmap->Height();
    for (int y = 0; y < height; ++y) {
      const Byte* row = static_cast<const Byte*>(bitmap->ScanLine(y));
      int runStart = -1;
      for (int x = 0; x < width; ++x) {
        const Byte* p = row + x * 3;
        bool crop = p[0] == blue && p[1] == green && p[2] == red;
        if (crop && runStart < 0) {
          runStart = x;
        } else if (!crop && runStart >= 0) {
          SubtractRect(region, dx + runStart, dy + y, dx + x, dy + y + 1);
          runStart = -1;
        }
      }
      if (runStart >= 0) SubtractRect(region, dx + runStart, dy + y, dx + width, dy + y + 1);
    }
  } catch (...) {
    if (failure == TScanFailure::Raise) throw;
  }
}

HRGN PictureCropRegion(int width, int height, TPicture* picture, TColor color,
                       TScanFailure failure) {
  HRGN region = CreateRectRgn(0, 0, width, height);
  try {
    SubtractCropColorRuns(picture, color, 0, region, 0, failure);
  } catch (...) {
    DeleteObject(region);
    throw;
  }
  return region;
}

bool TThreePictures::AllPresent() const {
  return !PictureEmpty(Left) && !PictureEmpty(Tile) && !PictureEmpty(Right);
}

TSize TThreePictures::Extent() const {
  int width = 0, height = 0;
  for (TPicture* p : {Left, Tile, Right}) {
    width += p->Width();
    height = std::max(height, p->Height());
  }
  return {width, height};
}

bool TThreePictures::AnyTransparent() const {
  for (TPicture* p : {Left, Tile, Right})
    if (p->Graphic() && p->Graphic()->Transparent()) return true;
  return false;
}

HRGN ThreePartCropRegion(int width, int height, const TThreePictures& p, TColor color) {
  HRGN region = CreateRectRgn(0, 0, width, height);
  try {
    const int leftWidth = PictureEmpty(p.Left) ? 0 : p.Left->Width();
    const int rightWidth = PictureEmpty(p.Right) ? 0 : p.Right->Width();
    SubtractCropColorRuns(p.Left, color, 0, region, 0);
    if (!PictureEmpty(p.Tile) && p.Tile->Width() > 0) {
      for (int x = leftWidth; x < width - rightWidth; x += p.Tile->Width())
        SubtractCropColorRuns(p.Tile, color, x, region, 0);
      HRGN capArea = CreateRectRgn(width - rightWidth, 0, width, height);
      CombineRgn(region, region, capArea, RGN_OR);
      DeleteObject(capArea);
    }
    SubtractCropColorRuns(p.Right, color, width - rightWidth, region, 0);
  } catch (...) {
    DeleteObject(region);
    throw;
  }
  return region;
}

void SetControlRegion(TWinControl* control, HRGN region) {
  if (!control->HandleAllocated()) {
    DeleteObject(region);
    return;
  }
  if (!SetWindowRgn(control->Handle(), region, TRUE)) DeleteObject(region);
}

void ClearCropRegion(TWinControl* control) {
  if (control->HandleAllocated()) SetWindowRgn(control->Handle(), nullptr, TRUE);
}

bool TCropState::SetCropped(TWinControl* control, bool value) {
  if (value == Cropped) return false;
  Cropped = value;
  RegionValid = false;
  if (!value) ClearCropRegion(control);
  SetControlOpaque(control, !value);
  return true;
}

bool TCropState::SetTransparentCrop(TWinControl* control, bool value) {
  if (value == TransparentCrop) return false;
  TransparentCrop = value;
  if (Cropped) {
    // Drawn transparent, the window is rectangular again; shaped, its
    // region is built at the next paint.
    if (value) ClearCropRegion(control);
    else RegionValid = false;
  }
  return true;
}

void TCropState::ApplyRegion(TWinControl* control, HRGN region) {
  SetControlRegion(control, region);
  RegionValid = true;
}

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

std::unique_ptr<TBitmap> NewOffscreenBitmap(int width, int height) {
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetPixelFormat(pf24bit);
  bitmap->SetSize(width, height);
  return bitmap;
}

void PaintOffscreen(const TOffscreenPaint& paint) {
  TWinControl* control = paint.Control;
  TCanvas* canvas = paint.Canvas;
  std::unique_ptr<TBitmap> bitmap;
  try {
    if (paint.Crop.ShapesWindow() && !paint.Crop.RegionValid)
      paint.Crop.ApplyRegion(control, paint.BuildRegion());
    TCopyClip copyClip(control, canvas->Handle(), paint.Crop.ShapesWindow());
    try {
      const TRect clip = canvas->ClipRect();
      if (control->Width() <= 0 || control->Height() <= 0) return;
      bitmap = NewOffscreenBitmap(control->Width(), control->Height());
      if (paint.ParentBackground) PaintParentBackground(control, bitmap->Canvas()->Handle());
      paint.Draw(bitmap->Canvas(), clip);
    } catch (...) {
      // What was drawn so far is shown.
    }
    if (bitmap) canvas->Draw(0, 0, bitmap.get());
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

void SetControlOpaque(TControl* control, bool opaque) {
  TControlStyle style = control->ControlStyle();
  if (opaque) style.Include(csOpaque);
  else style.Exclude(csOpaque);
  control->SetControlStyle(style);
}

void SetPictureControlStyle(TControl* control) {
  TControlStyle style = control->ControlStyle();
  style.Exclude(csOpaque);
  style.Include(csAcceptsControls);
  style.Include(csReplicatable);
  control->SetControlStyle(style);
}
