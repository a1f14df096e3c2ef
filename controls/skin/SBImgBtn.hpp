// The image button: three state pictures (normal, hover, pressed) with an
// optional icon per state and a caption.
#pragma once

#include "SBCustomImgBtn.hpp"

class TSBImgBtn : public TSBCustomImgBtn {
 public:
  // PicResource: Pic from NAME, PicUp from NAME_UP, PicDown from NAME_DOWN.
  explicit TSBImgBtn(TComponent* owner);
  ~TSBImgBtn() override;

  TPicture* Pic() const { return LookPicture(bsNormal); }
  void SetPic(TPicture* value);
  TPicture* PicDown() const { return LookPicture(bsPressed); }
  void SetPicDown(TPicture* value) { AssignLookPicture(bsPressed, value); }
  TPicture* PicUp() const { return LookPicture(bsHover); }
  void SetPicUp(TPicture* value) { AssignLookPicture(bsHover, value); }
  TPicture* PicIconUp() const { return picIconUp_; }
  void SetPicIconUp(TPicture* value);
  // Paint the parent's background under the picture without TransparentCrop.
  bool NeedBG() const { return needBG_; }
  void SetNeedBG(bool value) { needBG_ = value; }

 protected:
  bool LookPresent(int state) const override;
  HRGN BuildCropRegion() override;
  void PaintLook(TCanvas* target, const TRect& clip) override;
  TPicture* LookIcon() const override;
  bool NeedsParentBackground() const override;
  bool SuppressesErase() const override { return !PictureEmpty(Pic()); }
  bool LookTransparent() const override;
  TSize AutoSizeExtent() const override { return {Pic()->Width(), Pic()->Height()}; }

 private:
  TPicture* picIconUp_;
  bool needBG_ = false;
};
