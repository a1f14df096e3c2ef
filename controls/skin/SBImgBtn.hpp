// The image button: three state pictures (normal, hover, pressed) with an
// optional icon per state and a caption.
#pragma once

#include "SBCustomImgBtn.hpp"

class TSBImgBtn : public TSBCustomImgBtn {
 public:
  explicit TSBImgBtn(TComponent* owner);
  ~TSBImgBtn() override;

  TPicture* Pic() const { return pic_; }
  void SetPic(TPicture* value);
  TPicture* PicDown() const { return picDown_; }
  void SetPicDown(TPicture* value);
  TPicture* PicUp() const { return picUp_; }
  void SetPicUp(TPicture* value);
  // Pic from NAME, PicUp from NAME_UP, PicDown from NAME_DOWN.
  void SetPicResource(const std::string& value);
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
  bool SuppressesErase() const override { return !PictureEmpty(pic_); }
  bool LookTransparent() const override;
  TSize AutoSizeExtent() const override { return {pic_->Width(), pic_->Height()}; }

 private:
  TPicture* LookPicture() const;

  TPicture* pic_;
  TPicture* picDown_;
  TPicture* picUp_;
  TPicture* picIconUp_;
  bool needBG_ = false;
};
