// The image, the shape and the timer.
#include "ExtCtrls.hpp"

#include <algorithm>

#include "Forms.hpp"

// ---------------------------------------------------------------------------
// TImage

TImage::TImage(TComponent* owner) : TGraphicControl(owner), picture_(std::make_unique<TPicture>()) {
  controlStyle_ += TControlStyle{csReplicatable};
  picture_->OnChange = TNotifyEvent(this, &TImage::PictureChanged);
  width_ = 105;
  height_ = 105;
}

TImage::~TImage() { picture_->OnChange = nullptr; }

void TImage::SetStretch(bool v) { if (stretch_ != v) { stretch_ = v; PictureChanged(this); } }
void TImage::SetCenter(bool v) { if (center_ != v) { center_ = v; PictureChanged(this); } }
void TImage::SetTransparent(bool v) { if (transparent_ != v) { transparent_ = v; PictureChanged(this); } }

void TImage::SetAutoSize(bool value) {
  autoSize_ = value;
  if (value) AdjustSize();
}

bool TImage::CanAutoSize(int& newWidth, int& newHeight) {
  if (picture_->Width() <= 0 || picture_->Height() <= 0) return false;
  newWidth = picture_->Width();
  newHeight = picture_->Height();
  return true;
}

RECT TImage::DestRect() const {
  int w = picture_->Width(), h = picture_->Height();
  if (stretch_) return RECT{0, 0, width_, height_};
  RECT r{0, 0, w, h};
  if (center_) OffsetRect(&r, (width_ - w) / 2, (height_ - h) / 2);
  return r;
}

void TImage::PictureChanged(TObject*) {
  TGraphic* g = picture_->Graphic();
  if (g && !dynamic_cast<TIcon*>(g) && g->Transparent() != transparent_) {
    // Setting it fires OnChange again, which lands here once more.
    g->SetTransparent(transparent_);
    return;
  }
  if (autoSize_ && picture_->Width() > 0 && picture_->Height() > 0) AdjustSize();
  Invalidate();
}

void TImage::Paint() {
  TGraphic* g = picture_->Graphic();
  if (!g || g->Empty()) return;
  RECT r = DestRect();
  if (stretch_) Canvas()->StretchDraw(r, g);
  else Canvas()->Draw(r.left, r.top, g);
}

// ---------------------------------------------------------------------------
// TShape

TShape::TShape(TComponent* owner)
    : TGraphicControl(owner), pen_(std::make_unique<TPen>()), brush_(std::make_unique<TBrush>()) {
  controlStyle_ += TControlStyle{csReplicatable};
  width_ = 65;
  height_ = 65;
  pen_->OnChange = TNotifyEvent(this, &TShape::StyleChanged);
  brush_->OnChange = TNotifyEvent(this, &TShape::StyleChanged);
}

TShape::~TShape() {
  pen_->OnChange = nullptr;
  brush_->OnChange = nullptr;
}

void TShape::SetShape(TShapeType v) {
  if (shape_ == v) return;
  shape_ = v;
  Invalidate();
}

// The outline lies inside the bounds whatever the pen width.
void TShape::Paint() {
  TCanvas* c = Canvas();
  c->SetPen(pen_.get());
  c->SetBrush(brush_.get());
  int pw = pen_->Width();
  int x = pw / 2, y = x;
  int w = width_ - pw + 1, h = height_ - pw + 1;
  if (pw == 0) {
    --w;
    --h;
  }
  int s = std::min(w, h);
  if (shape_ == stSquare || shape_ == stRoundSquare || shape_ == stCircle) {
    x += (w - s) / 2;
    y += (h - s) / 2;
    w = h = s;
  }
  switch (shape_) {
    case stRectangle: case stSquare: c->Rectangle(x, y, x + w, y + h); break;
    case stRoundRect: case stRoundSquare: c->RoundRect(x, y, x + w, y + h, s / 4, s / 4); break;
    case stEllipse: case stCircle: c->Ellipse(x, y, x + w, y + h); break;
  }
}

// ---------------------------------------------------------------------------
// TTimer

TTimer::TTimer(TComponent* owner) : TComponent(owner) {
  window_ = AllocateHWnd(TWndMethod(this, &TTimer::WndProc));
}

TTimer::~TTimer() {
  enabled_ = false;
  UpdateTimer();
  DeallocateHWnd(window_);
}

void TTimer::SetEnabled(bool v) {
  if (enabled_ == v) return;
  enabled_ = v;
  UpdateTimer();
}

void TTimer::SetInterval(Cardinal v) {
  if (interval_ == v) return;
  interval_ = v;
  UpdateTimer();
}

void TTimer::Loaded() {
  TComponent::Loaded();
  UpdateTimer();
}

void TTimer::UpdateTimer() {
  if (running_) KillTimer(window_, 1);
  running_ = false;
  if (!enabled_ || interval_ == 0 || !OnTimer.Assigned() || ComponentState().Contains(csLoading)) return;
  if (!SetTimer(window_, 1, interval_, nullptr)) throw EOutOfResources("Not enough timers available");
  running_ = true;
}

void TTimer::WndProc(TMessage& m) {
  if (m.Msg == WM_TIMER) {
    try {
      Timer();
    } catch (...) {
      HandleCallbackException(this);
    }
    return;
  }
  m.Result = DefWindowProcA(window_, m.Msg, m.WParam, m.LParam);
}
