#include "SBSizableImgBtn.hpp"

#include <algorithm>

TSBHorzSizableImgBtn::TSBHorzSizableImgBtn(TComponent* owner) : TSBCustomImgBtn(owner) {
  for (TThreePictures& look : looks_) look = {NewLookPicture(), NewLookPicture(), NewLookPicture()};
  SetBounds(Left(), Top(), 24, 24);
}

TSBHorzSizableImgBtn::~TSBHorzSizableImgBtn() {
  if (!HasOwnPictures()) return;
  for (TThreePictures& look : looks_)
    for (TPicture* p : {look.Left, look.Tile, look.Right}) p->Free();
}

void TSBHorzSizableImgBtn::SetNormalPicture(TPicture* picture, TPicture* value) {
  if (!HasOwnPictures()) return;
  picture->Assign(value);
  InvalidateCropRegion();
  RefreshLook();
}

void TSBHorzSizableImgBtn::SetPicResource(const std::string& value) {
  if (value == PicResource()) return;
  // Plain names fall back on themselves; the state names on the spelling
  // without the second underscore (NAME_LEFTUP for NAME_LEFT_UP).
  struct Slot {
    TPicture*& Picture;
    const char* Suffix;
    const char* Fallback;
  };
  TThreePictures& n = looks_[bsNormal];
  TThreePictures& u = looks_[bsHover];
  TThreePictures& d = looks_[bsPressed];
  Slot slots[] = {{n.Left, "_LEFT", "_LEFT"},
                  {d.Left, "_LEFT_DOWN", "_LEFTDOWN"},
                  {u.Left, "_LEFT_UP", "_LEFTUP"},
                  {n.Tile, "_TILE", "_TILE"},
                  {d.Tile, "_TILE_DOWN", "_TILEDOWN"},
                  {u.Tile, "_TILE_UP", "_TILEUP"},
                  {n.Right, "_RIGHT", "_RIGHT"},
                  {d.Right, "_RIGHT_DOWN", "_RIGHTDOWN"},
                  {u.Right, "_RIGHT_UP", "_RIGHTUP"}};
  for (Slot& s : slots) SwitchPicture(s.Picture, value, s.Suffix, s.Fallback);
  StorePicResource(value);
  PictureChanged(this);
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
  return state >= bsNormal && state <= bsPressed && looks_[state].AllPresent();
}

HRGN TSBHorzSizableImgBtn::BuildCropRegion() {
  return ThreePartCropRegion(Width(), Height(), looks_[bsNormal], CropColor());
}

void TSBHorzSizableImgBtn::PaintLook(TCanvas* target, const TRect& clip) {
  const Byte state = State() <= bsPressed ? State() : Byte(bsNormal);
  DrawThreePictures(target, clip, Width(), looks_[state], DrawsCropTransparent(), CropColor());
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

bool TSBHorzSizableImgBtn::LookTransparent() const { return looks_[bsNormal].AnyTransparent(); }

TSize TSBHorzSizableImgBtn::AutoSizeExtent() const {
  const TSize extent = looks_[bsNormal].Extent();
  return {std::max<int>(extent.cx, Width()), extent.cy};
}
