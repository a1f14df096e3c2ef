// The kit's picture control: a picture drawn at the top-left corner or
// tiled, optionally giving the window the shape of the picture's pixels
// that are not the crop colour (Cropped), or drawing the parent's
// background through them instead (TransparentCrop).
#pragma once

#include <string>

#include "Controls.hpp"
#include "SBCropRegion.hpp"
#include "SBResourceStorage.hpp"

class TSBCImage : public TCustomControl {
 public:
  explicit TSBCImage(TComponent* owner);

  TPicture* Picture() const { return pictures_[0]; }
  // Ignored while PicResource names a cached picture.
  void SetPicture(TPicture* value);
  const std::string& PicResource() const { return pictures_.Resource(); }
  void SetPicResource(const std::string& value);
  // Stored and published; drawing never reads them.
  bool Stretch() const { return stretch_; }
  void SetStretch(bool value);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool value);
  bool Tile() const { return tile_; }
  void SetTile(bool value);
  bool Cropped() const { return crop_.Cropped(); }
  void SetCropped(bool value);
  bool TransparentCrop() const { return crop_.TransparentCrop(); }
  void SetTransparentCrop(bool value);
  bool RegionValid() const { return crop_.RegionValid(); }
  TColor CropColor() const { return crop_.Color(); }

  // Builds the region from the picture and gives it to the window.
  void ApplyCropRegion();
  // The window is rectangular again.
  void ClearCropRegion();
  // The change handler of the picture.
  void PictureChanged(TObject* sender);
  // Whether the picture is the control's own (PicResource empty); the
  // stored-function of Picture.
  virtual bool HasOwnPictures() const { return pictures_.Own(); }

  void SetBounds(int left, int top, int width, int height) override;

  // Fired after a bounds change that moved or resized the control.
  TNotifyEvent OnBoundsChanged;

 protected:
  bool CanAutoSize(int& newWidth, int& newHeight) override;
  void CreateWnd() override;
  void Paint() override;
  void Dispatch(TMessage& message) override;

 private:
  HRGN BuildCropRegion();
  void PaintPicture(TCanvas* target, const TRect& clip);

  TSkinPictures pictures_;
  bool stretch_ = false;
  bool tile_ = false;
  bool transparent_ = false;
  bool painting_ = false;
  TCropState crop_;
};
