#include "SBCImage.hpp"

#include <algorithm>

#include "SBResourceStorage.hpp"

TSBCImage::TSBCImage(TComponent* owner) : TCustomControl(owner), picture_(new TPicture()) {
  picture_->OnChange = TNotifyEvent(this, &TSBCImage::PictureChanged);
  TControlStyle style = ControlStyle();
  style.Exclude(csOpaque);
  style.Include(csAcceptsControls);
  style.Include(csReplicatable);
  SetControlStyle(style);
  SetBounds(Left(), Top(), 105, 105);
}

TSBCImage::~TSBCImage() {
  // A shared picture belongs to the cache.
  if (HasOwnPictures()) picture_->Free();
}

void TSBCImage::SetPicture(TPicture* value) {
  if (!HasOwnPictures()) return;
  picture_->Assign(value);
  regionValid_ = false;
}

void TSBCImage::SetPicResource(const std::string& value) {
  if (value == picResource_) return;
  const auto from = HasOwnPictures() ? TPictureOwnership::Own : TPictureOwnership::Shared;
  SwitchPictureResource(picture_, from, value, value, "");
  picResource_ = value;
  // An own copy follows its changes again; a shared picture is never wired,
  // since every control showing it would claim its one change event.
  if (HasOwnPictures()) picture_->OnChange = TNotifyEvent(this, &TSBCImage::PictureChanged);
  PictureChanged(this);
}

void TSBCImage::SetStretch(bool value) {
  if (value == stretch_) return;
  stretch_ = value;
  PictureChanged(this);
}

void TSBCImage::SetTransparent(bool value) {
  if (value == transparent_) return;
  transparent_ = value;
  PictureChanged(this);
}

void TSBCImage::SetTile(bool value) {
  if (value == tile_) return;
  tile_ = value;
  Invalidate();
}

void TSBCImage::SetCropped(bool value) {
  if (value == cropped_) return;
  cropped_ = value;
  regionValid_ = false;
  if (!value) ClearCropRegion();
  SetControlOpaque(this, !value);
  PictureChanged(this);
}

void TSBCImage::SetTransparentCrop(bool value) {
  if (value == transparentCrop_) return;
  transparentCrop_ = value;
  if (cropped_) {
    if (value) ClearCropRegion();
    else regionValid_ = false;
  }
  PictureChanged(this);
}

void TSBCImage::ApplyCropRegion() {
  SetControlRegion(this, PictureCropRegion(Width(), Height(), picture_, cropColor_,
                                           TScanFailure::KeepRegionSoFar));
  regionValid_ = true;
}

void TSBCImage::ClearCropRegion() { ::ClearCropRegion(this); }

void TSBCImage::PictureChanged(TObject*) {
  if (AutoSize() && picture_->Width() > 0 && picture_->Height() > 0)
    SetBounds(Left(), Top(), picture_->Width(), picture_->Height());
  const TGraphic* graphic = picture_->Graphic();
  SetControlOpaque(this, !((graphic && graphic->Transparent()) || cropped_));
  regionValid_ = false;
  if (!painting_) Invalidate();
}

bool TSBCImage::CanAutoSize(int& newWidth, int& newHeight) {
  if (Align() == alNone || Align() == alLeft || Align() == alRight) newWidth = picture_->Width();
  if (Align() == alNone || Align() == alTop || Align() == alBottom) newHeight = picture_->Height();
  return true;
}

void TSBCImage::SetBounds(int left, int top, int width, int height) {
  const RECT old = BoundsRect();
  TCustomControl::SetBounds(left, top, width, height);
  const RECT now = BoundsRect();
  if (now.right - now.left != old.right - old.left || now.bottom - now.top != old.bottom - old.top)
    regionValid_ = false;
  if (!EqualRect(&now, &old)) OnBoundsChanged(this);
}

void TSBCImage::CreateWnd() {
  TCustomControl::CreateWnd();
  if (ShapesWindow()) ApplyCropRegion();
}

void TSBCImage::PaintPicture(TCanvas* target, const TRect& clip) {
  if (PictureEmpty(picture_)) return;
  if (!tile_) {
    if (!DrawsCropTransparent()) target->Draw(0, 0, picture_->Graphic());
    else if (clip.left < picture_->Width())
      DrawCropPicture(target, 0, 0, picture_, true, cropColor_);
    return;
  }
  if (Width() <= 0 || clip.left >= Width() || clip.right <= 0) return;
  const TRect area{std::max<LONG>(clip.left, 0), clip.top, std::min<LONG>(clip.right, Width()),
                   clip.bottom};
  DrawTiles(target, picture_, area, {0, 0}, DrawsCropTransparent(), cropColor_);
}

void TSBCImage::Paint() {
  std::unique_ptr<TBitmap> bitmap;
  try {
    if (ShapesWindow() && !regionValid_) ApplyCropRegion();
    TCopyClip copyClip(this, Canvas()->Handle(), ShapesWindow());
    try {
      const TRect clip = Canvas()->ClipRect();
      if (Width() <= 0 || Height() <= 0) return;
      bitmap = NewOffscreenBitmap(Width(), Height());
      if (DrawsCropTransparent()) PaintParentBackground(this, bitmap->Canvas()->Handle());
      TFlagScope painting(painting_);
      PaintPicture(bitmap->Canvas(), clip);
    } catch (...) {
      // What was drawn so far is shown.
    }
    if (bitmap) Canvas()->Draw(0, 0, bitmap.get());
  } catch (...) {
    // A paint never raises.
  }
}

void TSBCImage::Dispatch(TMessage& m) {
  if (m.Msg == WM_ERASEBKGND && !PictureEmpty(picture_)) {
    m.Result = 1;
    return;
  }
  TCustomControl::Dispatch(m);
}
