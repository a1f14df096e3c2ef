#include "SBImgBtn.hpp"

#include "SBPainting.hpp"

// The slots follow the looks' numbers: normal, hover, pressed.
TSBImgBtn::TSBImgBtn(TComponent* owner)
    : TSBCustomImgBtn(owner, {{""}, {"_UP"}, {"_DOWN"}}), picIconUp_(new TPicture()) {
  SetBounds(Left(), Top(), 24, 24);
}

TSBImgBtn::~TSBImgBtn() { picIconUp_->Free(); }

void TSBImgBtn::SetPic(TPicture* value) {
  if (!HasOwnPictures()) return;
  InvalidateCropRegion();
  AssignLookPicture(bsNormal, value);
}

void TSBImgBtn::SetPicIconUp(TPicture* value) {
  picIconUp_->Assign(value);
  RefreshLook();
}

bool TSBImgBtn::LookPresent(int state) const {
  return state >= bsNormal && state <= bsPressed && !PictureEmpty(LookPicture(state));
}

HRGN TSBImgBtn::BuildCropRegion() {
  return PictureCropRegion(Width(), Height(), Pic(), CropColor());
}

void TSBImgBtn::PaintLook(TCanvas* target, const TRect& clip) {
  TPicture* picture = LookPicture(State() <= bsPressed ? State() : Byte(bsNormal));
  if (PictureEmpty(picture) || clip.left >= picture->Width()) return;
  DrawCropPicture(target, 0, 0, picture, DrawsCropTransparent(), CropColor());
}

TPicture* TSBImgBtn::LookIcon() const {
  TPicture* stateIcon = State() == bsHover ? picIconUp_ : State() == bsPressed ? PicIconDown() : nullptr;
  return PictureEmpty(stateIcon) ? PicIcon() : stateIcon;
}

bool TSBImgBtn::NeedsParentBackground() const {
  return TSBCustomImgBtn::NeedsParentBackground() || needBG_;
}

bool TSBImgBtn::LookTransparent() const { return Pic()->Graphic() && Pic()->Graphic()->Transparent(); }
