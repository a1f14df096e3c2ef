#include "SBImgBtn.hpp"

TSBImgBtn::TSBImgBtn(TComponent* owner)
    : TSBCustomImgBtn(owner),
      pic_(NewLookPicture()),
      picDown_(NewLookPicture()),
      picUp_(NewLookPicture()),
      picIconUp_(new TPicture()) {
  SetBounds(Left(), Top(), 24, 24);
}

TSBImgBtn::~TSBImgBtn() {
  // Shared pictures belong to the cache; the icons are always our own.
  if (HasOwnPictures()) {
    pic_->Free();
    picDown_->Free();
    picUp_->Free();
  }
  picIconUp_->Free();
}

void TSBImgBtn::SetPic(TPicture* value) {
  if (!HasOwnPictures()) return;
  pic_->Assign(value);
  InvalidateCropRegion();
  RefreshLook();
}

void TSBImgBtn::SetPicDown(TPicture* value) { AssignLookPicture(picDown_, value); }
void TSBImgBtn::SetPicUp(TPicture* value) { AssignLookPicture(picUp_, value); }

void TSBImgBtn::SetPicIconUp(TPicture* value) {
  picIconUp_->Assign(value);
  RefreshLook();
}

void TSBImgBtn::SetPicResource(const std::string& value) {
  if (value == PicResource()) return;
  SwitchPicture(pic_, value, "", "");
  SwitchPicture(picUp_, value, "_UP", "");
  SwitchPicture(picDown_, value, "_DOWN", "");
  StorePicResource(value);
  PictureChanged(this);
}

bool TSBImgBtn::LookPresent(int state) const {
  switch (state) {
    case bsNormal: return !PictureEmpty(pic_);
    case bsHover: return !PictureEmpty(picUp_);
    case bsPressed: return !PictureEmpty(picDown_);
  }
  return false;
}

TPicture* TSBImgBtn::LookPicture() const {
  if (State() == bsHover) return picUp_;
  if (State() == bsPressed) return picDown_;
  return pic_;
}

HRGN TSBImgBtn::BuildCropRegion() {
  return PictureCropRegion(Width(), Height(), pic_, CropColor());
}

void TSBImgBtn::PaintLook(TCanvas* target, const TRect& clip) {
  TPicture* picture = LookPicture();
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

bool TSBImgBtn::LookTransparent() const { return pic_->Graphic() && pic_->Graphic()->Transparent(); }
