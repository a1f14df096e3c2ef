#include "SBCropRegion.hpp"

#include <algorithm>

namespace {

void SubtractRect(HRGN region, int left, int top, int right, int bottom) {
  HRGN cut = CreateRectRgn(left, top, right, bottom);
  CombineRgn(region, region, cut, RGN_DIFF);
  DeleteObject(cut);
}

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

bool TCropState::SetCropped(bool value) {
  if (value == cropped_) return false;
  cropped_ = value;
  regionValid_ = false;
  if (!value) ClearCropRegion(control_);
  SetControlOpaque(control_, !value);
  return true;
}

bool TCropState::SetTransparentCrop(bool value) {
  if (value == transparentCrop_) return false;
  transparentCrop_ = value;
  if (cropped_) {
    // Drawn transparent, the window is rectangular again; shaped, its
    // region is built at the next paint.
    if (value) ClearCropRegion(control_);
    else regionValid_ = false;
  }
  return true;
}

void TCropState::Apply() {
  SetControlRegion(control_, buildRegion_());
  regionValid_ = true;
}

void TCropState::Ensure() {
  if (ShapesWindow() && !regionValid_) Apply();
}

void TCropState::WindowCreated() {
  if (ShapesWindow()) Apply();
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
