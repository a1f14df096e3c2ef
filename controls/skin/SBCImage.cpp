#include "SBCImage.hpp"

#include <algorithm>

#include "SBResourceStorage.hpp"

TSBCImage::TSBCImage(TComponent* owner) : TCustomControl(owner), picture_(new TPicture()) {
  picture_->OnChange = TNotifyEvent(this, &TSBCImage::PictureChanged);
  SetPictureControlStyle(this);
  SetBounds(Left(), Top(), 105, 105);
}

TSBCImage::~TSBCImage() {
  // A shared picture belongs to the cache.
  if (HasOwnPictures()) picture_->Free();
}

void TSBCImage::SetPicture(TPicture* value) {
  if (!HasOwnPictures()) return;
  picture_->Assign(value);
  crop_.RegionValid = false;
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
  if (crop_.SetCropped(this, value)) PictureChanged(this);
}

void TSBCImage::SetTransparentCrop(bool value) {
  if (crop_.SetTransparentCrop(this, value)) PictureChanged(this);
}

HRGN TSBCImage::BuildCropRegion() {
  return PictureCropRegion(Width(), Height(), picture_, crop_.Color, TScanFailure::KeepRegionSoFar);
}

void TSBCImage::ApplyCropRegion() { crop_.ApplyRegion(this, BuildCropRegion()); }

void TSBCImage::ClearCropRegion() { ::ClearCropRegion(this); }

void TSBCImage::PictureChanged(TObject*) {
  if (AutoSize() && picture_->Width() > 0 && picture_->Height() > 0)
    SetBounds(Left(), Top(), picture_->Width(), picture_->Height());
  const TGraphic* graphic = picture_->Graphic();
  SetControlOpaque(this, !((graphic && graphic->Transparent()) || crop_.Cropped));
  crop_.RegionValid = false;
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
    crop_.RegionValid = false;
  if (!EqualRect(&now, &old)) OnBoundsChanged(this);
}

void TSBCImage::CreateWnd() {
  TCustomControl::CreateWnd();
  if (crop_.ShapesWindow()) ApplyCropRegion();
}

void TSBCImage::PaintPicture(TCanvas* target, const TRect& clip) {
  if (PictureEmpty(picture_)) return;
  if (!tile_) {
    if (!crop_.DrawsTransparent()) target->Draw(0, 0, picture_->Graphic());
    else if (clip.left < picture_->Width())
      DrawCropPicture(target, 0, 0, picture_, true, crop_.Color);
    return;
  }
  if (Width() <= 0 || clip.left >= Width() || clip.right <= 0) return;
  const TRect area{std::max<LONG>(clip.left, 0), clip.top, std::min<LONG>(clip.right, Width()),
                   clip.bottom};
  DrawTiles(target, picture_, area, {0, 0}, crop_.DrawsTransparent(), crop_.Color);
}

void TSBCImage::Paint() {
  PaintOffscreen({this, Canvas(), crop_, crop_.DrawsTransparent(), [this] { return BuildCropRegion(); },
                  [this](TCanvas* target, const TRect& clip) {
                    TFlagScope painting(painting_);
                    PaintPicture(target, clip);
                  }});
}

void TSBCImage::Dispatch(TMessage& m) {
  if (m.Msg == WM_ERASEBKGND && !PictureEmpty(picture_)) {
    m.Result = 1;
    return;
  }
  TCustomControl::Dispatch(m);
}
