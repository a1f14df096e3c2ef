#include "SBRegister.hpp"

#include "Forms.hpp"
#include "SBCImage.hpp"
#include "SBImgBtn.hpp"
#include "SBScrollbaredElEdit.hpp"
#include "SBSizableImgBtn.hpp"
#include "SBTripleCImage.hpp"
#include "Streaming.hpp"

namespace {

template <class T>
void PublishButtonCommon(TPublisher<T>& p) {
  p.Property("PicResource", &T::PicResource, &T::SetPicResource, std::string())
      .Property("PicIcon", &T::PicIcon, nullptr)
      .Property("PicIconDown", &T::PicIconDown, nullptr)
      .Property("PicIconH", &T::PicIconH, &T::SetPicIconH)
      .Property("PicIconV", &T::PicIconV, &T::SetPicIconV)
      .Property("PicIconLayout", &T::PicIconLayout, &T::SetPicIconLayout)
      .Property("PicIconAlignment", &T::PicIconAlignment, &T::SetPicIconAlignment)
      .Property("Transparent", &T::Transparent, &T::SetTransparent, false)
      .Property("Cropped", &T::Cropped, &T::SetCropped)
      .Property("TransparentCrop", &T::TransparentCrop, &T::SetTransparentCrop)
      .Property("Alignment", &T::Alignment, &T::SetAlignment, taCenter)
      .Property("Layout", &T::Layout, &T::SetLayout, tlCenter)
      .Property("TextOffset", &T::TextOffset, &T::SetTextOffset)
      .Property("WordWrap", &T::WordWrap, &T::SetWordWrap)
      .Property("AllowAllUp", &T::AllowAllUp, &T::SetAllowAllUp, false)
      .Property("GroupIndex", &T::GroupIndex, &T::SetGroupIndex, 0)
      .Property("Down", &T::Down, &T::SetDown)
      .Property("OnMouseEnter", [](T* c) { return c->OnMouseEnter; },
                [](T* c, const TOnMouseEvent& e) { c->OnMouseEnter = e; })
      .Property("OnMouseLeave", [](T* c) { return c->OnMouseLeave; },
                [](T* c, const TOnMouseEvent& e) { c->OnMouseLeave = e; });
}

void RegisterImage() {
  Publish<TSBCImage, TCustomControl>()
      .Property("Picture", &TSBCImage::Picture, nullptr).Stored(&TSBCImage::HasOwnPictures)
      .Property("PicResource", &TSBCImage::PicResource, &TSBCImage::SetPicResource, std::string())
      .Property("Stretch", &TSBCImage::Stretch, &TSBCImage::SetStretch, false)
      .Property("Transparent", &TSBCImage::Transparent, &TSBCImage::SetTransparent, false)
      .Property("Tile", &TSBCImage::Tile, &TSBCImage::SetTile, false)
      .Property("Cropped", &TSBCImage::Cropped, &TSBCImage::SetCropped)
      .Property("TransparentCrop", &TSBCImage::TransparentCrop, &TSBCImage::SetTransparentCrop, false);
}

void RegisterBar() {
  using T = TSBTripleCImage;
  Publish<T, TCustomControl>()
      .Property("PictureLeft", &T::PictureLeft, nullptr).Stored(&T::HasOwnPictures)
      .Property("PictureRight", &T::PictureRight, nullptr).Stored(&T::HasOwnPictures)
      .Property("PictureTile", &T::PictureTile, nullptr).Stored(&T::HasOwnPictures)
      .Property("PicResource", &T::PicResource, &T::SetPicResource, std::string())
      .Property("Transparent", &T::Transparent, &T::SetTransparent, false)
      .Property("Cropped", &T::Cropped, &T::SetCropped);
}

void RegisterImageButton() {
  using T = TSBImgBtn;
  auto p = Publish<T, TCustomControl>();
  p.Property("Pic", &T::Pic, nullptr).Stored(&T::HasOwnPictures)
      .Property("PicDown", &T::PicDown, nullptr).Stored(&T::HasOwnPictures)
      .Property("PicUp", &T::PicUp, nullptr).Stored(&T::HasOwnPictures)
      .Property("PicIconUp", &T::PicIconUp, nullptr)
      .Property("NeedBG", &T::NeedBG, &T::SetNeedBG, false);
  PublishButtonCommon(p);
}

void RegisterSizableButton() {
  using T = TSBHorzSizableImgBtn;
  auto p = Publish<T, TCustomControl>();
  p.Property("PicLeft", &T::PicLeft, nullptr).Stored(&T::HasOwnPictures)
      .Property("PicRight", &T::PicRight, nullptr).Stored(&T::HasOwnPictures)
      .Property("PicTile", &T::PicTile, nullptr).Stored(&T::HasOwnPictures)
      .Property("PicLeftUp", &T::PicLeftUp, nullptr).Stored(&T::HasOwnPictures)
      .Property("PicRightUp", &T::PicRightUp, nullptr).Stored(&T::HasOwnPictures)
      .Property("PicTileUp", &T::PicTileUp, nullptr).Stored(&T::HasOwnPictures)
      .Property("PicLeftDown", &T::PicLeftDown, nullptr).Stored(&T::HasOwnPictures)
      .Property("PicRightDown", &T::PicRightDown, nullptr).Stored(&T::HasOwnPictures)
      .Property("PicTileDown", &T::PicTileDown, nullptr).Stored(&T::HasOwnPictures)
      .Property("TextUseMargins", &T::TextUseMargins, &T::SetTextUseMargins)
      .Property("TextLeftMargin", &T::TextLeftMargin, &T::SetTextLeftMargin)
      .Property("TextRightMargin", &T::TextRightMargin, &T::SetTextRightMargin)
      .Property("TextTopMargin", &T::TextTopMargin, &T::SetTextTopMargin)
      .Property("TextBottomMargin", &T::TextBottomMargin, &T::SetTextBottomMargin);
  PublishButtonCommon(p);
}

// The edit with the owner-drawn bar publishes nothing beyond the edit.
void RegisterScrollbaredEdit() { Publish<TSBScrollbaredElEdit, TElEdit>(); }

void InitControls() {
  RegisterScrollbaredEdit();
  RegisterImage();
  RegisterBar();
  RegisterImageButton();
  RegisterSizableButton();
}

}  // namespace

const TUnitInfo SBControlsUnit{"SBControls", &InitControls, nullptr};
