#include "SBCImage.hpp"

#include <algorithm>

#include "SBPainting.hpp"

TSBCImage::TSBCImage(TComponent* owner)
    : TCustomControl(owner),
      pictures_({{""}}, TNotifyEvent(this, &TSBCImage::PictureChanged)),
      crop_(this, [this] { return BuildCropRegion(); }) {
  SetPictureControlStyle(this);
  SetBounds(Left(), Top(), 105, 105);
}

void TSBCImage::SetPicture(TPicture* value) {
  if (pictures_.Assign(0, value)) crop_.Invalidate();
}

void TSBCImage::SetPicResource(const std::string& value) {
  if (pictures_.SetResource(value)) PictureChanged(this);
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
  if (crop_.SetCropped(value)) PictureChanged(this);
}

void TSBCImage::SetTransparentCrop(bool value) {
  if (crop_.SetTransparentCrop(value)) PictureChanged(this);
}

HRGN TSBCImage::BuildCropRegion() {
  return PictureCropRegion(Width(), Height(), Picture(), crop_.Color(), TScanFailure::KeepRegionSoFar);
}

void TSBCImage::ApplyCropRegion() { crop_.Apply(); }

void TSBCImage::ClearCropRegion() { crop_.Clear(); }

void TSBCImage::PictureChanged(TObject*) {
  TPicture* picture = Picture();
  if (AutoSize() && picture->Width() > 0 && picture->Height() > 0)
    SetBounds(Left(), Top(), picture->Width(), picture->Height());
  const TGraphic* graphic = picture->Graphic();
  SetControlOpaque(this, !((graphic && graphic->Transparent()) || crop_.Cropped()));
  crop_.Invalidate();
  if (!painting_) Invalidate();
}

bool TSBCImage::CanAutoSize(int& newWidth, int& newHeight) {
  if (Align() == alNone || Align() == alLeft || Align() == alRight) newWidth = Picture()->Width();
  if (Align() == alNone || Align() == alTop || Align() == alBottom) newHeight = Picture()->Height();
  return true;
}

void TSBCImage::SetBounds(int left, int top, int width, int height) {
  const RECT old = BoundsRect();
  TCustomControl::SetBounds(left, top, width, height);
  const RECT now = BoundsRect();
  if (now.right - now.left != old.right - old.left || now.bottom - now.top != old.bottom - old.top)
    crop_.Invalidate();
  if (!EqualRect(&now, &old)) OnBoundsChanged(this);
}

void TSBCImage::CreateWnd() {
  TCustomControl::CreateWnd();
  crop_.WindowCreated();
}

void TSBCImage::PaintPicture(TCanvas* target, const TRect& clip) {
  TPicture* picture = Picture();
  if (PictureEmpty(picture)) return;
  if (!tile_) {
    if (!crop_.DrawsTransparent()) target->Draw(0, 0, picture->Graphic());
    else if (clip.left < picture->Width())
      DrawCropPicture(target, 0, 0, picture, true, crop_.Color());
    return;
  }
  if (Width() <= 0 || clip.left >= Width() || clip.right <= 0) return;
  const TRect area{std::max<LONG>(clip.left, 0), clip.top, std::min<LONG>(clip.right, Width()),
                   clip.bottom};
  DrawTiles(target, picture, area, {0, 0}, crop_.DrawsTransparent(), crop_.Color());
}

void TSBCImage::Paint() {
  PaintOffscreen({this, Canvas(), crop_, crop_.DrawsTransparent(), [this](TCanvas* target, const TRect& area) {
                    TFlagScope painting(painting_);
                    PaintPicture(target, area);
                  }});
}

void TSBCImage::Dispatch(TMessage& m) {
  if (m.Msg == WM_ERASEBKGND && !PictureEmpty(Picture())) {
    m.Result = 1;
    return;
  }
  TCustomControl::Dispatch(m);
}
