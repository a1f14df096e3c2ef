// What the two image buttons share: the look's state machine with its
// fallbacks, hover and press tracking, toggle groups, the crop-colour
// shaping, the icon and the caption, and the off-screen paint. The plain
// image button draws each look from one picture, the sizable one from
// three; they differ only in the virtual operations below.
#pragma once

#include <memory>
#include <string>

#include "SBButton.hpp"
#include "SBCropRegion.hpp"
#include "SBResourceStorage.hpp"
#include "StdCtrls.hpp"

// The looks: normal, hover (the mouse is over the button), pressed.
enum TSBButtonState : Byte { bsNormal = 0, bsHover = 1, bsPressed = 2 };

class TSBCustomImgBtn : public TSBButton {
 public:
  // The look pictures' slots: their resource names' suffixes.
  TSBCustomImgBtn(TComponent* owner, std::initializer_list<TSkinPictures::TSlot> lookSlots);
  ~TSBCustomImgBtn() override;

  // Moves to the look when its pictures are present, else to the normal
  // look; a button without a normal look keeps its look. Repaints even
  // when the look stays.
  void SetState(int newState);
  Byte State() const { return state_; }
  bool Hover() const { return hover_; }
  bool Pressed() const { return pressed_; }
  // In a group (GroupIndex not 0): goes down or up, releasing the group's
  // other down button; a down button goes up only with AllowAllUp.
  void SetDown(bool value) override;

  // The look pictures from the program's resources (see TSkinPictures).
  const std::string& PicResource() const { return looks_.Resource(); }
  void SetPicResource(const std::string& value);
  TPicture* PicIcon() const { return picIcon_; }
  void SetPicIcon(TPicture* value);
  TPicture* PicIconDown() const { return picIconDown_; }
  void SetPicIconDown(TPicture* value);
  TTextLayout PicIconLayout() const { return picIconLayout_; }
  void SetPicIconLayout(TTextLayout value);
  TAlignment PicIconAlignment() const { return picIconAlignment_; }
  void SetPicIconAlignment(TAlignment value);
  int PicIconH() const { return picIconH_; }
  void SetPicIconH(int value);
  int PicIconV() const { return picIconV_; }
  void SetPicIconV(int value);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool value);
  bool Cropped() const { return crop_.Cropped(); }
  void SetCropped(bool value);
  bool TransparentCrop() const { return crop_.TransparentCrop(); }
  void SetTransparentCrop(bool value);
  bool RegionValid() const { return crop_.RegionValid(); }
  TColor CropColor() const { return crop_.Color(); }
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment value);
  TTextLayout Layout() const { return layout_; }
  void SetLayout(TTextLayout value);
  int TextOffset() const { return textOffset_; }
  void SetTextOffset(int value);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool value);
  int GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(int value);
  bool AllowAllUp() const { return allowAllUp_; }
  void SetAllowAllUp(bool value);

  void ApplyCropRegion();
  void ClearCropRegion();
  void PictureChanged(TObject* sender);
  // The stored-function of the state pictures: PicResource is empty.
  virtual bool HasOwnPictures() const { return looks_.Own(); }
  void SetBounds(int left, int top, int width, int height) override;

 protected:
  // The look's pictures are all present.
  virtual bool LookPresent(int state) const = 0;
  // The window region of the normal look.
  virtual HRGN BuildCropRegion() = 0;
  // Draws the current look's pictures.
  virtual void PaintLook(TCanvas* target, const TRect& clip) = 0;
  // The icon of the current look (may be empty) and its size's source.
  virtual TPicture* LookIcon() const = 0;
  // The rectangle the caption is placed in before TextOffset.
  virtual TRect CaptionArea() const { return ClientRect(); }
  virtual bool NeedsParentBackground() const { return crop_.DrawsTransparent(); }
  // WM_ERASEBKGND is answered without erasing.
  virtual bool SuppressesErase() const = 0;
  // The normal look's graphic is transparent.
  virtual bool LookTransparent() const = 0;
  // The size AutoSize gives (a zero keeps the current value).
  virtual TSize AutoSizeExtent() const = 0;

  void Loaded() override;
  bool CanAutoSize(int& newWidth, int& newHeight) override;
  void CreateWnd() override;
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void Dispatch(TMessage& message) override;

  // SetState(2 if Down else 0): repaints and drops a hover look.
  void RefreshLook() { SetState(down_ ? bsPressed : bsNormal); }
  void ButtonPressedBroadcast();
  // A look picture by its slot.
  TPicture* LookPicture(std::size_t slot) const { return looks_[slot]; }
  // Assigns into an own look picture and refreshes; ignored while shared.
  void AssignLookPicture(std::size_t slot, TPicture* value);
  bool ShapesWindow() const { return crop_.ShapesWindow(); }
  bool DrawsCropTransparent() const { return crop_.DrawsTransparent(); }
  bool Painting() const { return painting_; }
  // The region is rebuilt at the next paint or window creation.
  void InvalidateCropRegion() { crop_.Invalidate(); }

 private:
  void PaintIcon(TCanvas* target);
  void PaintCaption(TCanvas* target);
  void ButtonUp(TMessage& m);
  void ButtonPressed(TMessage& m);

  TSkinPictures looks_;
  TPicture* picIcon_;
  TPicture* picIconDown_;
  TTextLayout picIconLayout_ = tlTop;
  TAlignment picIconAlignment_ = taLeftJustify;
  int picIconH_ = 0;
  int picIconV_ = 0;
  Byte state_ = bsNormal;
  bool transparent_ = false;
  bool painting_ = false;
  TCropState crop_;
  bool hover_ = false;
  TAlignment alignment_ = taCenter;
  TTextLayout layout_ = tlCenter;
  int textOffset_ = 0;
  int groupIndex_ = 0;
  bool allowAllUp_ = false;
  bool pressed_ = false;
  bool wordWrap_ = false;
};

// Where an icon of the size goes in a control of the size.
TPoint IconPosition(TSize control, TSize icon, TAlignment alignment, TTextLayout layout,
                    int horizontalMargin, int verticalMargin);
