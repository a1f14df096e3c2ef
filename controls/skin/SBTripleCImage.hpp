// The three-part bar: a left cap, a middle picture repeated between the
// caps and a right cap at the right edge, for bars of any width (the
// wizard's title and bottom bars, its progress bar). Cropped gives the
// window the shape of the pictures' pixels that are not the crop colour.
#pragma once

#include <string>

#include "Controls.hpp"
#include "SBCropRegion.hpp"
#include "SBResourceStorage.hpp"

class TSBTripleCImage : public TCustomControl {
 public:
  explicit TSBTripleCImage(TComponent* owner);

  TPicture* PictureLeft() const { return pictures_[kLeft]; }
  void SetPictureLeft(TPicture* value) { AssignPicture(kLeft, value); }
  TPicture* PictureRight() const { return pictures_[kRight]; }
  void SetPictureRight(TPicture* value) { AssignPicture(kRight, value); }
  TPicture* PictureTile() const { return pictures_[kTile]; }
  void SetPictureTile(TPicture* value) { AssignPicture(kTile, value); }
  // PictureLeft from NAME_LEFT, PictureTile from NAME_TILE, PictureRight
  // from NAME_RIGHT.
  const std::string& PicResource() const { return pictures_.Resource(); }
  void SetPicResource(const std::string& value);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool value);
  bool Cropped() const { return crop_.Cropped(); }
  void SetCropped(bool value);
  bool RegionValid() const { return crop_.RegionValid(); }
  TColor CropColor() const { return crop_.Color(); }

  void ApplyCropRegion();
  void ClearCropRegion();
  void EnsureCropRegion();
  void PictureChanged(TObject* sender);
  virtual bool HasOwnPictures() const { return pictures_.Own(); }
  void SetBounds(int left, int top, int width, int height) override;

 protected:
  bool CanAutoSize(int& newWidth, int& newHeight) override;
  void CreateWnd() override;
  void Paint() override;
  void Dispatch(TMessage& message) override;

 private:
  enum { kLeft, kTile, kRight };
  TThreePictures Pictures() const { return {PictureLeft(), PictureTile(), PictureRight()}; }
  void AssignPicture(int index, TPicture* value);

  TSkinPictures pictures_;
  bool transparent_ = false;
  bool painting_ = false;
  // Never TransparentCrop: Cropped always shapes the window.
  TCropState crop_;
};
