#include "SBSizableImgBtn.hpp"

#include <algorithm>

#include "SBPainting.hpp"

TSBHorzSizableImgBtn::TSBHorzSizableImgBtn(TComponent* owner)
    : TSBCustomImgBtn(owner, {{"_LEFT", "_LEFT"},
                              {"_TILE", "_TILE"},
                              {"_RIGHT", "_RIGHT"},
                              {"_LEFT_UP", "_LEFTUP"},
                              {"_TILE_UP", "_TILEUP"},
                              {"_RIGHT_UP", "_RIGHTUP"},
                              {"_LEFT_DOWN", "_LEFTDOWN"},
                              {"_TILE_DOWN", "_TILEDOWN"},
                              {"_RIGHT_DOWN", "_RIGHTDOWN"}}) {
  SetBounds(Left(), Top(), 24, 24);
}

void TSBHorzSizableImgBtn::SetNormalPicture(TPart part, TPicture* value) {
  if (!HasOwnPictures()) return;
  InvalidateCropRegion();
  AssignLookPicture(Slot(bsNormal, part), value);
}

void TSBHorzSizableImgBtn::SetTextUseMargins(bool value) {
  if (value == textUseMargins_) return;
  textUseMargins_ = value;
  Invalidate();
}

void TSBHorzSizableImgBtn::SetMargin(LONG& margin, int value) {
  if (margin == value) return;
  margin = value;
  Invalidate();
}

bool TSBHorzSizableImgBtn::LookPresent(int state) const {
  return state >= bsNormal && state <= bsPressed && Look(state).AllPresent();
}

HRGN TSBHorzSizableImgBtn::BuildCropRegion() {
  return ThreePartCropRegion(Width(), Height(), Look(bsNormal), CropColor());
}

void TSBHorzSizableImgBtn::PaintLook(TCanvas* target, const TRect& clip) {
  const Byte state = State() <= bsPressed ? State() : Byte(bsNormal);
  DrawThreePictures(target, clip, Width(), Look(state), DrawsCropTransparent(), CropColor());
}

TPicture* TSBHorzSizableImgBtn::LookIcon() const {
  return State() == bsPressed && !PictureEmpty(PicIconDown()) ? PicIconDown() : PicIcon();
}

TRect TSBHorzSizableImgBtn::CaptionArea() const {
  TRect r = ClientRect();
  if (textUseMargins_) {
    r.left += margins_.left;
    r.top += margins_.top;
    r.right -= margins_.right;
    r.bottom -= margins_.bottom;
  }
  return r;
}

bool TSBHorzSizableImgBtn::LookTransparent() const { return Look(bsNormal).AnyTransparent(); }

TSize TSBHorzSizableImgBtn::AutoSizeExtent() const {
  const TSize extent = Look(bsNormal).Extent();
  return {std::max<int>(extent.cx, Width()), extent.cy};
}
