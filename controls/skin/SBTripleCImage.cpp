#include "SBTripleCImage.hpp"

#include <algorithm>

#include "SBPainting.hpp"

TSBTripleCImage::TSBTripleCImage(TComponent* owner)
    : TCustomControl(owner),
      pictures_({{"_LEFT"}, {"_TILE"}, {"_RIGHT"}}, TNotifyEvent(this, &TSBTripleCImage::PictureChanged)),
      crop_(this, [this] { return ThreePartCropRegion(Width(), Height(), Pictures(), crop_.Color()); }) {
  SetPictureControlStyle(this);
  SetBounds(Left(), Top(), 105, 105);
}

// While the pictures are the cache's, an assignment would change every
// control that shares them: it is refused, as the other kit controls do.
void TSBTripleCImage::AssignPicture(int index, TPicture* value) {
  if (pictures_.Assign(index, value)) crop_.Invalidate();
}

void TSBTripleCImage::SetPicResource(const std::string& value) {
  if (pictures_.SetResource(value)) PictureChanged(this);
}

void TSBTripleCImage::SetTransparent(bool value) {
  if (value == transparent_) return;
  transparent_ = value;
  PictureChanged(this);
}

void TSBTripleCImage::SetCropped(bool value) {
  if (crop_.SetCropped(value)) PictureChanged(this);
}

void TSBTripleCImage::ApplyCropRegion() { crop_.Apply(); }

void TSBTripleCImage::ClearCropRegion() { crop_.Clear(); }

void TSBTripleCImage::EnsureCropRegion() { crop_.Ensure(); }

void TSBTripleCImage::PictureChanged(TObject*) {
  if (AutoSize()) {
    // AutoSize never narrows the bar.
    const TSize size = Pictures().Extent();
    SetBounds(Left(), Top(), std::max<int>(size.cx, Width()), size.cy > 0 ? size.cy : Height());
  }
  SetControlOpaque(this, !(Pictures().AnyTransparent() || crop_.Cropped()));
  crop_.Invalidate();
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
  if (width != Width() || height != Height()) crop_.Invalidate();
  TCustomControl::SetBounds(left, top, width, height);
}

void TSBTripleCImage::CreateWnd() {
  TCustomControl::CreateWnd();
  crop_.WindowCreated();
}

// Straight onto the canvas, which may belong to a caller (a child painting
// its parent's background): the caller's context is left as it was found.
void TSBTripleCImage::Paint() {
  HDC dc = nullptr;
  int saved = 0;
  try {
    EnsureCropRegion();
    dc = Canvas()->Handle();
    saved = SaveDC(dc);
    TCopyClip copyClip(this, dc, crop_.ShapesWindow());
    TFlagScope painting(painting_);
    // Only the bar's own rectangle, also in a context larger than the bar.
    RECT clip = Canvas()->ClipRect(), bounds{0, 0, Width(), Height()};
    if (IntersectRect(&clip, &clip, &bounds)) {
      IntersectClipRect(dc, 0, 0, Width(), Height());
      DrawThreePictures(Canvas(), clip, Width(), Pictures(), false, crop_.Color());
    }
  } catch (...) {
    // A paint never raises.
  }
  if (saved) RestoreDC(dc, saved);
}

void TSBTripleCImage::Dispatch(TMessage& m) {
  if (m.Msg == WM_ERASEBKGND && !PictureEmpty(PictureTile())) {
    m.Result = 1;
    return;
  }
  TCustomControl::Dispatch(m);
}
