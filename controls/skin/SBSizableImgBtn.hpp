// The image button made stretchable in width: each look (normal, hover,
// pressed) is a left cap, a middle repeated between the caps and a right
// cap. PNG parts are drawn with their own transparency.
#pragma once

#include "SBCustomImgBtn.hpp"

class TSBHorzSizableImgBtn : public TSBCustomImgBtn {
 public:
  explicit TSBHorzSizableImgBtn(TComponent* owner);
  ~TSBHorzSizableImgBtn() override;

  TPicture* PicLeft() const { return looks_[bsNormal].Left; }
  TPicture* PicTile() const { return looks_[bsNormal].Tile; }
  TPicture* PicRight() const { return looks_[bsNormal].Right; }
  TPicture* PicLeftUp() const { return looks_[bsHover].Left; }
  TPicture* PicTileUp() const { return looks_[bsHover].Tile; }
  TPicture* PicRightUp() const { return looks_[bsHover].Right; }
  TPicture* PicLeftDown() const { return looks_[bsPressed].Left; }
  TPicture* PicTileDown() const { return looks_[bsPressed].Tile; }
  TPicture* PicRightDown() const { return looks_[bsPressed].Right; }
  // Each ignored while PicResource is not empty.
  void SetPicLeft(TPicture* v) { SetNormalPicture(looks_[bsNormal].Left, v); }
  void SetPicTile(TPicture* v) { SetNormalPicture(looks_[bsNormal].Tile, v); }
  void SetPicRight(TPicture* v) { SetNormalPicture(looks_[bsNormal].Right, v); }
  void SetPicLeftUp(TPicture* v) { AssignLookPicture(looks_[bsHover].Left, v); }
  void SetPicTileUp(TPicture* v) { AssignLookPicture(looks_[bsHover].Tile, v); }
  void SetPicRightUp(TPicture* v) { AssignLookPicture(looks_[bsHover].Right, v); }
  void SetPicLeftDown(TPicture* v) { AssignLookPicture(looks_[bsPressed].Left, v); }
  void SetPicTileDown(TPicture* v) { AssignLookPicture(looks_[bsPressed].Tile, v); }
  void SetPicRightDown(TPicture* v) { AssignLookPicture(looks_[bsPressed].Right, v); }
  void SetPicResource(const std::string& value);

  // The caption rectangle is the client rectangle less these margins when
  // TextUseMargins is on.
  bool TextUseMargins() const { return textUseMargins_; }
  void SetTextUseMargins(bool value);
  int TextLeftMargin() const { return margins_.left; }
  void SetTextLeftMargin(int value) { SetMargin(margins_.left, value); }
  int TextTopMargin() const { return margins_.top; }
  void SetTextTopMargin(int value) { SetMargin(margins_.top, value); }
  int TextRightMargin() const { return margins_.right; }
  void SetTextRightMargin(int value) { SetMargin(margins_.right, value); }
  int TextBottomMargin() const { return margins_.bottom; }
  void SetTextBottomMargin(int value) { SetMargin(margins_.bottom, value); }

 protected:
  bool LookPresent(int state) const override;
  HRGN BuildCropRegion() override;
  void PaintLook(TCanvas* target, const TRect& clip) override;
  TPicture* LookIcon() const override;
  TRect CaptionArea() const override;
  bool SuppressesErase() const override { return !PictureEmpty(PicTile()); }
  bool LookTransparent() const override;
  TSize AutoSizeExtent() const override;

 private:
  void SetNormalPicture(TPicture* picture, TPicture* value);
  void SetMargin(LONG& margin, int value);

  TThreePictures looks_[3];
  bool textUseMargins_ = false;
  RECT margins_{0, 0, 0, 0};
};
