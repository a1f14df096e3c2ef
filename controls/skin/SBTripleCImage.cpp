#include "SBTripleCImage.hpp"

#include <algorithm>

#include "SBResourceStorage.hpp"

namespace {
TPicture* NewPicture(TSBTripleCImage* bar) {
  auto* picture = new TPicture();
  picture->OnChange = TNotifyEvent(bar, &TSBTripleCImage::PictureChanged);
  return picture;
}
}  // namespace

TSBTripleCImage::TSBTripleCImage(TComponent* owner)
    : TCustomControl(owner),
      pictureLeft_(NewPicture(this)),
      pictureRight_(NewPicture(this)),
      pictureTile_(NewPicture(this)) {
  SetPictureControlStyle(this);
  SetBounds(Left(), Top(), 105, 105);
}

TSBTripleCImage::~TSBTripleCImage() {
  if (!HasOwnPictures()) return;
  pictureLeft_->Free();
  pictureRight_->Free();
  pictureTile_->Free();
}

// While the pictures are the cache's, an assignment would change every
// control that shares them: it is refused, as the other kit controls do.
void TSBTripleCImage::AssignPicture(TPicture* picture, TPicture* value) {
  if (!HasOwnPictures()) return;
  picture->Assign(value);
  crop_.RegionValid = false;
}

void TSBTripleCImage::SetPictureLeft(TPicture* value) { AssignPicture(pictureLeft_, value); }
void TSBTripleCImage::SetPictureRight(TPicture* value) { AssignPicture(pictureRight_, value); }
void TSBTripleCImage::SetPictureTile(TPicture* value) { AssignPicture(pictureTile_, value); }

void TSBTripleCImage::SetPicResource(const std::string& value) {
  if (value == picResource_) return;
  const auto from = HasOwnPictures() ? TPictureOwnership::Own : TPictureOwnership::Shared;
  const std::pair<TPicture**, const char*> slots[] = {
      {&pictureLeft_, "_LEFT"}, {&pictureTile_, "_TILE"}, {&pictureRight_, "_RIGHT"}};
  for (auto [picture, suffix] : slots) {
    SwitchPictureResource(*picture, from, value, value + suffix, "");
    if (value.empty()) (*picture)->OnChange = TNotifyEvent(this, &TSBTripleCImage::PictureChanged);
  }
  picResource_ = value;
  PictureChanged(this);
}

void TSBTripleCImage::SetTransparent(bool value) {
  if (value == transparent_) return;
  transparent_ = value;
  PictureChanged(this);
}

void TSBTripleCImage::SetCropped(bool value) {
  if (crop_.SetCropped(this, value)) PictureChanged(this);
}

void TSBTripleCImage::ApplyCropRegion() {
  crop_.ApplyRegion(this, ThreePartCropRegion(Width(), Height(), Pictures(), crop_.Color));
}

void TSBTripleCImage::ClearCropRegion() { ::ClearCropRegion(this); }

void TSBTripleCImage::EnsureCropRegion() {
  if (crop_.ShapesWindow() && !crop_.RegionValid) ApplyCropRegion();
}

void TSBTripleCImage::PictureChanged(TObject*) {
  if (AutoSize()) {
    // AutoSize never narrows the bar.
    const TSize size = Pictures().Extent();
    SetBounds(Left(), Top(), std::max<int>(size.cx, Width()), size.cy > 0 ? size.cy : Height());
  }
  SetControlOpaque(this, !(Pictures().AnyTransparent() || crop_.Cropped));
  crop_.RegionValid = false;
  if (!painting_) Invalidate();
}

bool TSBTripleCImage::CanAutoSize(int& newWidth, int& newHeight) {
  const TSize size = Pictures().Extent();
  if (Align() == alNone || Align() == alLeft || Align() == alRight)
    newWidth = std::max<int>(size.cx, newWidth);
  if (Align() == alNone || Align() == alTop || Align() == alBottom)
    newHeight = size.cy > 0 ? size.cy : Height();
  return true;
}

void TSBTripleCImage::SetBounds(int left, int top, int width, int height) {
  if (width != Width() || height != Height()) crop_.RegionValid = false;
  TCustomControl::SetBounds(left, top, width, height);
}

void TSBTripleCImage::CreateWnd() {
  TCustomControl::CreateWnd();
  if (crop_.ShapesWindow()) ApplyCropRegion();
}

void TSBTripleCImage::Paint() {
  try {
    EnsureCropRegion();
    TCopyClip copyClip(this, Canvas()->Handle(), crop_.ShapesWindow());
    TFlagScope painting(painting_);
    // Only the bar's own rectangle, also in a context larger than the bar.
    RECT clip = Canvas()->ClipRect(), bounds{0, 0, Width(), Height()};
    if (!IntersectRect(&clip, &clip, &bounds)) return;
    IntersectClipRect(Canvas()->Handle(), 0, 0, Width(), Height());
    DrawThreePictures(Canvas(), clip, Width(), Pictures(), false, crop_.Color);
  } catch (...) {
    // A paint never raises.
  }
}

void TSBTripleCImage::Dispatch(TMessage& m) {
  if (m.Msg == WM_ERASEBKGND && !PictureEmpty(pictureTile_)) {
    m.Result = 1;
    return;
  }
  TCustomControl::Dispatch(m);
}
