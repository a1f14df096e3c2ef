// The image button made stretchable in width: each look (normal, hover,
// pressed) is a left cap, a middle repeated between the caps and a right
// cap. PNG parts are drawn with their own transparency.
#pragma once

#include "SBCustomImgBtn.hpp"

class TSBHorzSizableImgBtn : public TSBCustomImgBtn {
 public:
  // PicResource: NAME_LEFT, NAME_TILE, NAME_RIGHT for the normal look (each
  // falling back on itself), NAME_LEFT_UP... for hover and NAME_LEFT_DOWN...
  // for pressed, which fall back on the spelling without the second
  // underscore (NAME_LEFTUP).
  explicit TSBHorzSizableImgBtn(TComponent* owner);

  TPicture* PicLeft() const { return Part(bsNormal, kLeft); }
  TPicture* PicTile() const { return Part(bsNormal, kTile); }
  TPicture* PicRight() const { return Part(bsNormal, kRight); }
  TPicture* PicLeftUp() const { return Part(bsHover, kLeft); }
  TPicture* PicTileUp() const { return Part(bsHover, kTile); }
  TPicture* PicRightUp() const { return Part(bsHover, kRight); }
  TPicture* PicLeftDown() const { return Part(bsPressed, kLeft); }
  TPicture* PicTileDown() const { return Part(bsPressed, kTile); }
  TPicture* PicRightDown() const { return Part(bsPressed, kRight); }
  // Each ignored while PicResource is not empty.
  void SetPicLeft(TPicture* v) { SetNormalPicture(kLeft, v); }
  void SetPicTile(TPicture* v) { SetNormalPicture(kTile, v); }
  void SetPicRight(TPicture* v) { SetNormalPicture(kRight, v); }
  void SetPicLeftUp(TPicture* v) { AssignLookPicture(Slot(bsHover, kLeft), v); }
  void SetPicTileUp(TPicture* v) { AssignLookPicture(Slot(bsHover, kTile), v); }
  void SetPicRightUp(TPicture* v) { AssignLookPicture(Slot(bsHover, kRight), v); }
  void SetPicLeftDown(TPicture* v) { AssignLookPicture(Slot(bsPressed, kLeft), v); }
  void SetPicTileDown(TPicture* v) { AssignLookPicture(Slot(bsPressed, kTile), v); }
  void SetPicRightDown(TPicture* v) { AssignLookPicture(Slot(bsPressed, kRight), v); }

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
  // A look's three parts lie side by side among the look pictures.
  enum TPart { kLeft, kTile, kRight };
  static std::size_t Slot(int look, TPart part) { return std::size_t(look) * 3 + part; }
  TPicture* Part(int look, TPart part) const { return LookPicture(Slot(look, part)); }
  TThreePictures Look(int look) const { return {Part(look, kLeft), Part(look, kTile), Part(look, kRight)}; }
  void SetNormalPicture(TPart part, TPicture* value);
  void SetMargin(LONG& margin, int value);

  bool textUseMargins_ = false;
  RECT margins_{0, 0, 0, 0};
};
