// The three-part bar: a left cap, a middle picture repeated between the
// caps and a right cap at the right edge, for bars of any width (the
// wizard's title and bottom bars, its progress bar). Cropped gives the
// window the shape of the pictures' pixels that are not the crop colour.
#pragma once

#include <string>

#include "Controls.hpp"
#include "SBCropRegion.hpp"

class TSBTripleCImage : public TCustomControl {
 public:
  explicit TSBTripleCImage(TComponent* owner);
  ~TSBTripleCImage() override;

  TPicture* PictureLeft() const { return pictureLeft_; }
  void SetPictureLeft(TPicture* value);
  TPicture* PictureRight() const { return pictureRight_; }
  void SetPictureRight(TPicture* value);
  TPicture* PictureTile() const { return pictureTile_; }
  void SetPictureTile(TPicture* value);
  // PictureLeft from NAME_LEFT, PictureTile from NAME_TILE, PictureRight
  // from NAME_RIGHT.
  const std::string& PicResource() const { return picResource_; }
  void SetPicResource(const std::string& value);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool value);
  bool Cropped() const { return crop_.Cropped; }
  void SetCropped(bool value);
  bool RegionValid() const { return crop_.RegionValid; }
  TColor CropColor() const { return crop_.Color; }

  void ApplyCropRegion();
  void ClearCropRegion();
  void EnsureCropRegion();
  void PictureChanged(TObject* sender);
  virtual bool HasOwnPictures() const { return picResource_.empty(); }
  void SetBounds(int left, int top, int width, int height) override;

 protected:
  bool CanAutoSize(int& newWidth, int& newHeight) override;
  void CreateWnd() override;
  void Paint() override;
  void Dispatch(TMessage& message) override;

 private:
  TThreePictures Pictures() const { return {pictureLeft_, pictureTile_, pictureRight_}; }
  void AssignPicture(TPicture* picture, TPicture* value);

  TPicture* pictureLeft_;
  TPicture* pictureRight_;
  TPicture* pictureTile_;
  std::string picResource_;
  bool transparent_ = false;
  bool painting_ = false;
  // Never TransparentCrop: Cropped always shapes the window.
  TCropState crop_;
};
